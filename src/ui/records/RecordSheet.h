#pragma once

#include <QDialog>
#include <QPointer>

#include "manager/DNSServerManager.h"

class QPushButton;
class QVBoxLayout;

namespace korvi {

class RecordFormFields;

// The frame both record forms share: a window-modal sheet 700 wide and at
// least 500 tall, with a header, a scrolling column of groups and a button
// bar holding "Cancel" and the form's save button. The save button is off
// while the value is empty.
class RecordSheet : public QDialog {
    Q_OBJECT

public:
    RecordFormFields* fields() const { return m_fields; }
    QPushButton* saveButton() const { return m_saveButton; }
    const ZonePtr& zone() const { return m_zone; }
    // The height that shows the whole form without scrolling.
    int preferredHeight() const;

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

    QPointer<DNSServerManager> m_manager;
    ZonePtr m_zone;

private:
    RecordFormFields* m_fields = nullptr;
    QWidget* m_content = nullptr;
    QWidget* m_bar = nullptr;
    QVBoxLayout* m_column = nullptr;
    QPushButton* m_saveButton = nullptr;
};

} // namespace korvi
