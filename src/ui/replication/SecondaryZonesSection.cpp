#include "ui/replication/SecondaryZonesSection.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "manager/SecondaryZoneCopy.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/replication/AddSecondaryZoneDialog.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/Typography.h"
#include "ui/zones/SecondaryZoneView.h"

namespace korvi {

namespace {

QString lineFor(const SecondaryZoneCopy& copy) {
    const std::optional<quint32> serial = copy.serial();
    const QString state =
        copy.hasCopy() && serial
            ? QCoreApplication::translate("korvi::SecondaryZonesSection",
                                          "serial %1, last transfer %2")
                  .arg(*serial)
                  .arg(QLocale().toString(copy.lastTransfer(), QLocale::ShortFormat))
            : QCoreApplication::translate("korvi::SecondaryZonesSection", "not transferred yet");
    return QCoreApplication::translate("korvi::SecondaryZonesSection", "%1 — from %2 — %3")
        .arg(copy.settings().name, SecondaryZoneCopy::primariesText(copy.settings()), state);
}

} // namespace

SecondaryZonesSection::SecondaryZonesSection(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("secondaryZonesSection"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    auto* header = new QHBoxLayout;
    header->addWidget(Typography::label(tr("Secondary Zones on This Server"), TextStyle::title3,
                                        QFont::DemiBold, semanticColor(SemanticColor::label),
                                        QStringLiteral("secondaryZonesTitle"), this));
    header->addStretch();
    auto* add =
        new QPushButton(symbolIcon(QStringLiteral("plus")), tr("Add Secondary Zone…"), this);
    add->setObjectName(QStringLiteral("addSecondaryZoneButton"));
    connect(add, &QPushButton::clicked, this, &SecondaryZonesSection::showAddDialog);
    m_show = new QPushButton(tr("Show Records"), this);
    m_show->setObjectName(QStringLiteral("showSecondaryZoneButton"));
    connect(m_show, &QPushButton::clicked, this, &SecondaryZonesSection::showRecords);
    m_remove = new QPushButton(symbolIcon(QStringLiteral("trash")), tr("Remove"), this);
    m_remove->setObjectName(QStringLiteral("removeSecondaryZoneButton"));
    connect(m_remove, &QPushButton::clicked, this, [this] {
        if (m_manager && m_list->currentItem())
            m_manager->removeSecondaryZone(m_list->currentItem()->data(Qt::UserRole).toString());
    });
    header->addWidget(add);
    header->addWidget(m_show);
    header->addWidget(m_remove);
    layout->addLayout(header);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("secondaryZonesList"));
    m_list->setAccessibleName(tr("Secondary zones"));
    m_list->setMaximumHeight(140);
    connect(m_list, &QListWidget::currentRowChanged, this, &SecondaryZonesSection::updateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &SecondaryZonesSection::showRecords);
    layout->addWidget(m_list);

    if (manager)
        connect(manager, &DNSServerManager::secondaryZonesChanged, this,
                &SecondaryZonesSection::rebuild);
    rebuild();
}

void SecondaryZonesSection::rebuild() {
    const QString current =
        m_list->currentItem() ? m_list->currentItem()->data(Qt::UserRole).toString() : QString();
    m_list->clear();
    if (m_manager) {
        // Each copy's line is followed by one connection, made anew below.
        for (SecondaryZoneCopy* copy : m_manager->secondaryZones())
            disconnect(copy, nullptr, m_list, nullptr);
        for (SecondaryZoneCopy* copy : m_manager->secondaryZones()) {
            auto* item = new QListWidgetItem(lineFor(*copy), m_list);
            item->setData(Qt::UserRole, copy->settings().name);
            if (copy->settings().name == current)
                m_list->setCurrentItem(item);
            // The line follows the copy's transfers.
            connect(copy, &SecondaryZoneCopy::copyChanged, m_list, [this, copy] {
                for (int row = 0; row < m_list->count(); ++row)
                    if (m_list->item(row)->data(Qt::UserRole) == copy->settings().name)
                        m_list->item(row)->setText(lineFor(*copy));
            });
        }
    }
    m_list->setVisible(m_list->count() > 0);
    updateButtons();
}

void SecondaryZonesSection::updateButtons() {
    const bool chosen = m_list->currentItem() != nullptr;
    m_show->setEnabled(chosen);
    m_remove->setEnabled(chosen);
}

void SecondaryZonesSection::showAddDialog() {
    if (m_addDialog || !m_manager)
        return;
    m_addDialog = new AddSecondaryZoneDialog(m_manager, this);
    m_addDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_addDialog->setWindowModality(Qt::WindowModal);
    m_addDialog->open();
}

void SecondaryZonesSection::showRecords() {
    if (!m_manager || !m_list->currentItem())
        return;
    SecondaryZoneCopy* copy =
        m_manager->secondaryZone(m_list->currentItem()->data(Qt::UserRole).toString());
    if (!copy)
        return;
    delete m_recordsWindow;
    auto* window = new QDialog(this);
    window->setObjectName(QStringLiteral("secondaryZoneWindow"));
    window->setWindowTitle(copy->settings().name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new SecondaryZoneView(copy, window));
    window->resize(900, 600);
    m_recordsWindow = window;
    window->open();
}

} // namespace korvi
