#pragma once

#include <QColor>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "manager/ChangeId.h"
#include "manager/ZoneRepository.h"

class QLabel;

class QPushButton;
class QTextEdit;

namespace korvi {

// The collected changes as the zone files will change: per zone its file's
// unified difference (removed lines red, added lines green, monospaced),
// with what each change does. "Apply" applies them all in one go and shows
// the outcome; "Discard All" asks first, then puts the zones back as last
// applied; "Cancel" leaves them collected. Opened, never exec()'d: the
// outcome arrives as the repository's changeFinished.
class ApplyChangesDialog : public QDialog {
    Q_OBJECT

public:
    explicit ApplyChangesDialog(ZoneRepository* repository, QWidget* parent = nullptr);

    // The differences as the dialog shows them (rich text).
    static QString differenceHtml(const QList<ZoneRepository::StagedFile>& files);
    static QColor removedColor();
    static QColor addedColor();

    // The open "Discard All" confirmation, if any (tests).
    QMessageBox* discardConfirmation() const { return m_confirmation; }
    bool isApplying() const { return m_applying != 0; }

Q_SIGNALS:
    // The apply this dialog started has ended.
    void applyFinished(bool applied, const QString& message);

private:
    void showDifferences();
    void apply();
    void askToDiscard();
    void changeFinished(ChangeId id, bool applied, const QString& message);
    void showOutcome(const QString& text, const QColor& color);

    QPointer<ZoneRepository> m_repository;
    QLabel* m_summary = nullptr;
    QTextEdit* m_differences = nullptr;
    QLabel* m_outcome = nullptr;
    QPushButton* m_applyButton = nullptr;
    QPushButton* m_discardButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPointer<QMessageBox> m_confirmation;
    ChangeId m_applying = 0;
};

} // namespace korvi
