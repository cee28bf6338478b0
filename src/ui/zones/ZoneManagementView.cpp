#include "ui/zones/ZoneManagementView.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "manager/ZoneExport.h"
#include "ui/dashboard/ServerStatusStyle.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ZoneListModel.h"
#include "ui/zones/ZoneRowDelegate.h"

namespace korvi {

ZoneManagementView::ZoneManagementView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("zoneManagementView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    // Header: title and "Add Domain".
    auto* header = new QHBoxLayout;
    header->addWidget(ScreenWidgets::label(tr("Zone Management"), TextStyle::largeTitle,
                                           QStringLiteral("titleLabel")));
    header->addStretch();
    m_importButton = new QPushButton(tr("Import Zone…"));
    m_importButton->setObjectName(QStringLiteral("importZoneButton"));
    connect(m_importButton, &QPushButton::clicked, this, &ZoneManagementView::showImport);
    header->addWidget(m_importButton);
    m_addButton = ScreenWidgets::prominentButton(
        tr("Add Domain"), QStringLiteral("plus"), QStringLiteral("addDomainButton"));
    connect(m_addButton, &QPushButton::clicked, this, &ZoneManagementView::showAddZone);
    header->addWidget(m_addButton);
    layout->addLayout(header);

    m_banner = ScreenWidgets::warningBanner(
        tr("BIND DNS Server is not running"),
        tr("Zone management is disabled. Start the BIND server to add, edit, or "
           "delete domains."),
        QStringLiteral("stoppedBanner"));
    layout->addWidget(m_banner);

    m_stack = new QStackedWidget;
    m_stack->setObjectName(QStringLiteral("zoneStack"));

    // Empty state.
    RoundedPanel* empty = ScreenWidgets::card(QStringLiteral("emptyStatePanel"));
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setContentsMargins(24, 24, 24, 24);
    emptyLayout->setSpacing(10);
    emptyLayout->addStretch();
    const QColor secondary = ScreenWidgets::secondaryTextColor();
    emptyLayout->addWidget(ScreenWidgets::iconLabel(QStringLiteral("globe.badge.chevron.backward"),
                                                    56, secondary, QStringLiteral("emptyIcon")),
                           0, Qt::AlignHCenter);
    QLabel* emptyTitle = ScreenWidgets::label(tr("No Domains Configured"), TextStyle::title2,
                                              QStringLiteral("emptyTitleLabel"));
    QFont titleFont = emptyTitle->font();
    titleFont.setWeight(QFont::DemiBold);
    emptyTitle->setFont(titleFont);
    Typography::setTextColor(emptyTitle, secondary);
    emptyLayout->addWidget(emptyTitle, 0, Qt::AlignHCenter);
    m_emptyMessage =
        ScreenWidgets::secondaryLabel({}, TextStyle::body, QStringLiteral("emptyMessageLabel"));
    m_emptyStatus =
        ScreenWidgets::secondaryLabel({}, TextStyle::body, QStringLiteral("emptyStatusLabel"));
    m_emptyHint = ScreenWidgets::secondaryLabel(
        tr("Start the BIND server from the sidebar to enable zone management"),
        TextStyle::subheadline, QStringLiteral("emptyHintLabel"));
    for (QLabel* label : {m_emptyMessage, m_emptyStatus, m_emptyHint}) {
        label->setAlignment(Qt::AlignHCenter);
        emptyLayout->addWidget(label);
    }
    m_emptyAddButton = ScreenWidgets::prominentButton(tr("Add Domain"), {},
                                                      QStringLiteral("emptyAddDomainButton"));
    connect(m_emptyAddButton, &QPushButton::clicked, this, &ZoneManagementView::showAddZone);
    emptyLayout->addWidget(m_emptyAddButton, 0, Qt::AlignHCenter);
    emptyLayout->addStretch();
    m_stack->addWidget(empty);

    // The zone list.
    m_model = new ZoneListModel(manager, this);
    m_rowDelegate = new ZoneRowDelegate(ZoneRowDelegate::Style::management, this);
    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("zoneList"));
    m_list->setAccessibleName(tr("Zones"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_rowDelegate);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMouseTracking(true);
    connect(m_rowDelegate, &ZoneRowDelegate::deleteRequested, this,
            [this](int row) { requestDelete(m_model->zoneAt(row)); });
    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { showSOA(m_model->zoneAt(index.row())); });
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &ZoneManagementView::showRowMenu);
    m_stack->addWidget(m_list);
    layout->addWidget(m_stack, 1);
    m_listHint = ScreenWidgets::secondaryLabel(tr("Double-click a domain to edit its SOA settings"),
                                               TextStyle::caption, QStringLiteral("soaHintLabel"));
    layout->addWidget(m_listHint);

    connect(manager, &DNSServerManager::serverStatusChanged, this, &ZoneManagementView::refresh);
    connect(manager, &DNSServerManager::zonesChanged, this, &ZoneManagementView::refresh);
    refresh();
}

void ZoneManagementView::refresh() {
    if (!m_manager)
        return;
    const bool running = m_manager->isRunning();
    m_addButton->setEnabled(running);
    m_importButton->setEnabled(running);
    m_banner->setVisible(!running);
    m_emptyAddButton->setEnabled(running);
    if (running) {
        m_emptyMessage->setText(tr("Add your first domain to start managing DNS records"));
    } else {
        m_emptyMessage->setText(tr("BIND DNS Server must be running to manage domains"));
        m_emptyStatus->setText(
            tr("Current Status: %1").arg(ServerStatusStyle::valueText(m_manager->serverStatus())));
    }
    m_emptyStatus->setVisible(!running);
    m_emptyHint->setVisible(!running);
    m_stack->setCurrentIndex(m_manager->zones().isEmpty() ? 0 : 1);
    m_listHint->setVisible(running && !m_manager->zones().isEmpty());
    m_rowDelegate->setBindRunning(running);
    m_list->viewport()->update();
}

void ZoneManagementView::showAddZone() {
    if (!m_manager || m_addZoneSheet)
        return;
    // A new form each time, so it starts empty.
    m_addZoneSheet = new AddZoneView(m_manager, this);
    m_addZoneSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_addZoneSheet->open();
}

void ZoneManagementView::showImport() {
    if (!m_manager || !m_manager->isRunning() || m_importSheet || m_addZoneSheet)
        return;
    m_importSheet = new ImportZoneView(m_manager, this);
    m_importSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_importSheet->open();
}

void ZoneManagementView::exportZone(const ZonePtr& zone) {
    if (!zone || m_exportDialog)
        return;
    auto* dialog = new QFileDialog(this, tr("Export Zone File"));
    dialog->setObjectName(QStringLiteral("exportZoneDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->selectFile(QStringLiteral("db.") + zone->name());
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, zone](const QString& path) { writeExport(zone, path); });
    m_exportDialog = dialog;
    dialog->open();
}

void ZoneManagementView::writeExport(const ZonePtr& zone, const QString& path) {
    if (!zone || !m_manager)
        return;
    if (const auto failure = ZoneExport::writeZoneFile(*zone, path)) {
        m_manager->addLog(
            QStringLiteral("❌ Zone '%1' was not exported: %2").arg(zone->name(), *failure),
            LogLevel::error);
        auto* box = new QMessageBox(QMessageBox::Warning, tr("Export Zone File"), *failure,
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("exportErrorAlert"));
        box->setWindowModality(Qt::WindowModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    m_manager->addLog(QStringLiteral("✅ Zone '%1' exported to %2").arg(zone->name(), path),
                      LogLevel::success);
}

void ZoneManagementView::showSOA(const ZonePtr& zone) {
    if (!m_manager || !zone || !m_manager->isRunning() || m_soaSheet || m_addZoneSheet)
        return;
    m_soaSheet = new ZoneSOAView(m_manager, zone, this);
    m_soaSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_soaSheet->open();
}

void ZoneManagementView::showRowMenu(const QPoint& position) {
    const QModelIndex index = m_list->indexAt(position);
    if (!index.isValid() || !m_manager)
        return;
    const ZonePtr zone = m_model->zoneAt(index.row());
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("zoneRowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Exporting reads only Korvi's own data: it is offered while the server
    // is stopped too.
    QAction* exportFile = menu->addAction(tr("Export Zone File…"));
    exportFile->setObjectName(QStringLiteral("exportZoneAction"));
    connect(exportFile, &QAction::triggered, this, [this, zone] { exportZone(zone); });
    if (!m_manager->isRunning()) {
        menu->popup(m_list->viewport()->mapToGlobal(position));
        return;
    }
    menu->addSeparator();
    QAction* soa = menu->addAction(tr("Edit SOA Settings…"));
    soa->setObjectName(QStringLiteral("editSOAAction"));
    connect(soa, &QAction::triggered, this, [this, zone] { showSOA(zone); });
    QAction* remove = menu->addAction(tr("Delete Domain…"));
    remove->setObjectName(QStringLiteral("deleteZoneAction"));
    connect(remove, &QAction::triggered, this, [this, zone] { requestDelete(zone); });
    menu->popup(m_list->viewport()->mapToGlobal(position));
}

QString ZoneManagementView::deleteMessage(const DNSZone& zone) {
    return tr("Are you sure you want to delete the zone '%1'? This will remove all %n DNS records.",
              nullptr, int(zone.recordCount()))
        .arg(zone.name());
}

void ZoneManagementView::requestDelete(const ZonePtr& zone) {
    if (!zone || m_deleteConfirmation)
        return;
    m_zoneToDelete = zone;
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Delete Zone"), deleteMessage(*zone),
                                QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("deleteZoneConfirmation"));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelDeleteButton"));
    QPushButton* remove = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("confirmDeleteButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_manager && m_zoneToDelete)
            m_manager->removeZone(m_zoneToDelete);
    });
    m_deleteConfirmation = box;
    box->open();
}

} // namespace korvi
