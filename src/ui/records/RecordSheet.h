#pragma once

#include <QDialog>
#include <QPointer>

#include "manager/DNSServerManager.h"

class QPushButton;
class QVBoxLayout;

namespace korvi {

class FormErrorLabel;
class RecordFormFields;

// The frame both record forms share: a window-modal sheet 700 wide and at
// least 500 tall, with a header, a scrolling column of groups and a button
// bar holding "Cancel" and the form's save button. The save button is off
// while the value is empty. A change handed to the manager keeps the sheet
// open until its changeFinished() arrives: applied closes the sheet; refused
// leaves everything typed in place and shows the reason at the top.
class RecordSheet : public QDialog {
    Q_OBJECT

public:
    RecordFormFields* fields() const { return m_fields; }
    QPushButton* saveButton() const { return m_saveButton; }
    const ZonePtr& zone() const { return m_zone; }
    // The height that shows the whole form without scrolling.
    int preferredHeight() const;
    // The change the sheet waits for (0: none).
    ChangeId pendingChange() const { return m_pendingChange; }
    // The reason the last change was refused, as shown at the top.
    QString errorText() const;

protected:
    RecordSheet(DNSServerManager* manager, const ZonePtr& zone, const QString& title,
                const QString& subtitle, const QString& saveLabel, int fieldsVariant,
                QWidget* parent);

    // The column below the fields, for groups of the form's own.
    QVBoxLayout* column() const { return m_column; }
    void updateSaveButton();
    // Grows or shrinks the sheet to its form, within the screen and never
    // below 500.
    void fitToContent();
    virtual void save() = 0;
    // Waits for the change: `button` shows `busyText` and is off, as are
    // the fields and the save button, until the change has finished.
    void waitForChange(ChangeId id, QPushButton* button, const QString& busyText);
    void showError(const QString& message);

    QPointer<DNSServerManager> m_manager;
    ZonePtr m_zone;

private:
    void changeFinished(ChangeId id, bool applied, const QString& message);
    void setBusy(bool busy);

    RecordFormFields* m_fields = nullptr;
    FormErrorLabel* m_errorLabel = nullptr;
    ChangeId m_pendingChange = 0;
    QPushButton* m_busyButton = nullptr;
    QString m_busyButtonText;
    QWidget* m_content = nullptr;
    QWidget* m_bar = nullptr;
    QVBoxLayout* m_column = nullptr;
    QPushButton* m_saveButton = nullptr;
};

} // namespace korvi
