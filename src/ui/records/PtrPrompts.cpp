#include "ui/records/PtrPrompts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "ui/records/PtrQuestionDialog.h"
#include "ui/widgets/FormErrorLabel.h"

namespace korvi {

PtrPrompts::PtrPrompts(PtrSync* sync, QWidget* window)
    : QObject(window), m_sync(sync), m_window(window) {
    if (!sync)
        return;
    connect(sync, &PtrSync::ptrQuestion, this, &PtrPrompts::ask);
    connect(sync, &PtrSync::ptrChangeFinished, this,
            [this](ChangeId, bool applied, const QString& message) {
                if (!applied)
                    showFailure(message);
            });
}

void PtrPrompts::ask(const PtrProposal& proposal) {
    auto* dialog = new PtrQuestionDialog(proposal, m_window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_question = dialog;
    connect(dialog, &QMessageBox::buttonClicked, this, [this, dialog](QAbstractButton* button) {
        if (!m_sync)
            return;
        if (button == dialog->addButton())
            m_sync->addPtr(dialog->proposal());
        else
            m_sync->declinePtr(dialog->proposal());
    });
    dialog->open();
}

void PtrPrompts::showFailure(const QString& message) {
    // The checker's words name the scratch copy it judged; the alert names the zone's file.
    auto* alert = new QMessageBox(QMessageBox::Warning, tr("PTR Record Not Changed"),
                                  FormErrorLabel::readable(message), QMessageBox::Ok, m_window);
    alert->setObjectName(QStringLiteral("ptrFailureAlert"));
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    m_failure = alert;
    alert->open();
}

} // namespace korvi
