#include "ui/apply/ApplyChangesButton.h"

#include "manager/DNSServerManager.h"
#include "manager/ZoneRepository.h"
#include "ui/apply/ApplyChangesDialog.h"
#include "ui/icons/SymbolIcons.h"

namespace korvi {

ApplyChangesButton::ApplyChangesButton(DNSServerManager* manager, QWidget* parent)
    : QPushButton(parent), m_manager(manager) {
    setObjectName(QStringLiteral("applyChangesButton"));
    setIcon(symbolIcon(QStringLiteral("checkmark.circle.fill")));
    setToolTip(tr("Show the collected changes and apply them to the server"));
    ZoneRepository* repository = manager->zoneRepository();
    connect(repository, &ZoneRepository::stagedChanged, this, &ApplyChangesButton::update);
    connect(repository, &ZoneRepository::batchModeChanged, this,
            [this, repository] { update(repository->stagedChangeCount()); });
    connect(this, &QPushButton::clicked, this, &ApplyChangesButton::openDialog);
    update(repository->stagedChangeCount());
}

QString ApplyChangesButton::textFor(int count) {
    return count == 1 ? tr("Apply (1 change)") : tr("Apply (%n changes)", nullptr, count);
}

void ApplyChangesButton::update(int count) {
    setText(textFor(count));
    setVisible(m_manager && m_manager->zoneRepository()->isBatchMode() && count > 0);
}

void ApplyChangesButton::openDialog() {
    if (!m_manager)
        return;
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog = new ApplyChangesDialog(m_manager->zoneRepository(), window());
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->open();
}

} // namespace korvi
