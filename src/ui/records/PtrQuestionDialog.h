#pragma once

#include <QMessageBox>

#include "manager/PtrSync.h"

class QPushButton;

namespace korvi {

// The question after an address record got a new address inside one of
// Korvi's reverse zones, while the preference says "ask": "Add the PTR
// record …?", with the PTR it would add. Accepted: add it; rejected: not.
class PtrQuestionDialog : public QMessageBox {
    Q_OBJECT

public:
    explicit PtrQuestionDialog(const PtrProposal& proposal, QWidget* parent = nullptr);

    const PtrProposal& proposal() const { return m_proposal; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* skipButton() const { return m_skip; }

private:
    PtrProposal m_proposal;
    QPushButton* m_add = nullptr;
    QPushButton* m_skip = nullptr;
};

} // namespace korvi
