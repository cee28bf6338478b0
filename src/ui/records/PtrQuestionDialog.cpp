#include "ui/records/PtrQuestionDialog.h"

#include <QPushButton>

namespace korvi {

PtrQuestionDialog::PtrQuestionDialog(const PtrProposal& proposal, QWidget* parent)
    : QMessageBox(parent), m_proposal(proposal) {
    setObjectName(QStringLiteral("ptrQuestionDialog"));
    setIcon(QMessageBox::Question);
    setWindowTitle(tr("PTR Record"));
    setText(tr("Add the PTR record for %1 → %2?").arg(proposal.address, proposal.target));
    setInformativeText(
        tr("The address lies in the reverse zone %1. The PTR record %2 → %3 lets the address "
           "be looked up by name.")
            .arg(proposal.reverseZone, proposal.owner, proposal.target));
    m_add = QMessageBox::addButton(tr("Add PTR Record"), QMessageBox::AcceptRole);
    m_add->setObjectName(QStringLiteral("ptrAddButton"));
    m_skip = QMessageBox::addButton(tr("Don't Add"), QMessageBox::RejectRole);
    m_skip->setObjectName(QStringLiteral("ptrSkipButton"));
    setDefaultButton(m_add);
    setEscapeButton(m_skip);
}

} // namespace korvi
