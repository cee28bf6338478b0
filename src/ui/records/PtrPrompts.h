#pragma once

#include <QObject>
#include <QPointer>

#include "manager/PtrSync.h"
#include "ui/records/PtrQuestionDialog.h"

class QMessageBox;
class QWidget;

namespace korvi {

// The window's side of keeping PTR records in step: it asks the questions
// PtrSync raises (one dialog each, window-modal, never a nested event loop)
// and hands the answer back, and it shows a PTR change that failed.
class PtrPrompts : public QObject {
    Q_OBJECT

public:
    PtrPrompts(PtrSync* sync, QWidget* window);

    // The question shown last, while it is open.
    PtrQuestionDialog* question() const { return m_question; }
    // The failure shown last, while it is open.
    QMessageBox* failureAlert() const { return m_failure; }

private:
    void ask(const PtrProposal& proposal);
    void showFailure(const QString& message);

    QPointer<PtrSync> m_sync;
    QPointer<QWidget> m_window;
    QPointer<PtrQuestionDialog> m_question;
    QPointer<QMessageBox> m_failure;
};

} // namespace korvi
