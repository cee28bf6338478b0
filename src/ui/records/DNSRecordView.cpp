#include "ui/records/DNSRecordView.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/records/AddRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordsListView.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/zones/ZoneListModel.h"
#include "ui/zones/ZoneRowDelegate.h"

namespace korvi {

namespace {

// An icon over a title and a line of explanation, centred.
QWidget* placeholder(const QString& symbol, const QString& title, TextStyle titleStyle,
                     const QString& text, const QString& name, const QColor& secondary) {
    auto* panel = new QWidget;
    panel->setObjectName(name);
    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(8);
    layout->addStretch();
    layout->addWidget(
        ScreenWidgets::iconLabel(symbol, 44, secondary, name + QStringLiteral("Icon")), 0,
        Qt::AlignHCenter);
    QLabel* heading = ScreenWidgets::label(title, titleStyle, name + QStringLiteral("Title"));
    heading->setAlignment(Qt::AlignHCenter);
    heading->setWordWrap(true);
    Typography::setTextColor(heading, secondary);
    layout->addWidget(heading);
    QLabel* line =
        ScreenWidgets::secondaryLabel(text, TextStyle::subheadline, name + QStringLiteral("Text"));
    line->setAlignment(Qt::AlignHCenter);
    layout->addWidget(line);
    layout->addStretch();
    return panel;
}

} // namespace

DNSRecordView::DNSRecordView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("dnsRecordView"));
    const QColor secondary = ScreenWidgets::secondaryTextColor();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(ScreenWidgets::label(QStringLiteral("DNS Records"), TextStyle::largeTitle,
                                           QStringLiteral("titleLabel")));
    m_banner = ScreenWidgets::warningBanner(
        QStringLiteral("BIND DNS Server is not running"),
        QStringLiteral("DNS record management is disabled. Start the BIND server to add, edit, "
                       "or delete records."),
        QStringLiteral("stoppedBanner"));
    layout->addWidget(m_banner);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(16);
    layout->addLayout(columns, 1);

    // Left column: the zones.
    auto* left = new QWidget;
    left->setObjectName(QStringLiteral("zoneColumn"));
    left->setFixedWidth(250);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* zonesHeader = new QHBoxLayout;
    zonesHeader->addWidget(ScreenWidgets::label(QStringLiteral("Zones"), TextStyle::headline,
                                                QStringLiteral("zonesTitle")));
    m_zoneCount = ScreenWidgets::badge({}, secondary, QStringLiteral("zoneCountBadge"));
    zonesHeader->addWidget(m_zoneCount);
    zonesHeader->addStretch();
    leftLayout->addLayout(zonesHeader);
    m_zoneStack = new QStackedWidget;
    m_zoneStack->addWidget(
        placeholder(QStringLiteral("folder.badge.plus"), QStringLiteral("No zones available"),
                    TextStyle::headline,
                    QStringLiteral("Create a zone in Zone Management to start adding DNS records"),
                    QStringLiteral("noZones"), secondary));
    m_zoneModel = new ZoneListModel(manager, this);
    m_zoneRowDelegate = new ZoneRowDelegate(ZoneRowDelegate::Style::column, this);
    m_zoneList = new QListView;
    m_zoneList->setObjectName(QStringLiteral("zoneList"));
    m_zoneList->setModel(m_zoneModel);
    m_zoneList->setItemDelegate(m_zoneRowDelegate);
    m_zoneList->setUniformItemSizes(true);
    m_zoneList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_zoneList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_zoneStack->addWidget(m_zoneList);
    leftLayout->addWidget(m_zoneStack, 1);
    columns->addWidget(left);

    // Right column: the chosen zone, or the hint to choose one.
    m_detailStack = new QStackedWidget;
    m_detailStack->addWidget(placeholder(
        QStringLiteral("doc.text.badge.plus"), QStringLiteral("Select a zone to view records"),
        TextStyle::headline,
        QStringLiteral("Choose a zone from the list on the left to manage its DNS records"),
        QStringLiteral("noSelection"), secondary));
    auto* detail = new QWidget;
    detail->setObjectName(QStringLiteral("zoneDetail"));
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(10);
    RoundedPanel* header = ScreenWidgets::card(QStringLiteral("zoneHeader"), 8);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(14, 10, 14, 10);
    auto* headerTexts = new QVBoxLayout;
    headerTexts->setSpacing(2);
    m_zoneTitle = ScreenWidgets::label({}, TextStyle::headline, QStringLiteral("zoneTitleLabel"));
    m_zoneRecordCount = ScreenWidgets::secondaryLabel({}, TextStyle::caption,
                                                      QStringLiteral("zoneRecordCountLabel"));
    headerTexts->addWidget(m_zoneTitle);
    headerTexts->addWidget(m_zoneRecordCount);
    m_readOnlyNote = ScreenWidgets::secondaryLabel({}, TextStyle::caption,
                                                   QStringLiteral("readOnlyRecordsNote"));
    headerTexts->addWidget(m_readOnlyNote);
    headerLayout->addLayout(headerTexts, 1);
    m_addButton = ScreenWidgets::prominentButton(
        QStringLiteral("Add Record"), QStringLiteral("plus"), QStringLiteral("addRecordButton"));
    headerLayout->addWidget(m_addButton);
    detailLayout->addWidget(header);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(ScreenWidgets::iconLabel(QStringLiteral("magnifyingglass"), 16, secondary,
                                                  QStringLiteral("searchIcon")));
    m_searchField = new QLineEdit;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(QStringLiteral("Search records..."));
    m_searchField->setClearButtonEnabled(true);
    searchRow->addWidget(m_searchField, 1);
    detailLayout->addLayout(searchRow);
    m_records = new RecordsListView;
    detailLayout->addWidget(m_records, 1);
    m_detailStack->addWidget(detail);
    columns->addWidget(m_detailStack, 1);

    connect(m_zoneList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    selectZone(m_zoneModel->zoneAt(current.row())->id());
            });
    connect(m_zoneModel, &QAbstractItemModel::modelReset, this, &DNSRecordView::refreshSelection);
    connect(m_zoneModel, &QAbstractItemModel::dataChanged, this, &DNSRecordView::refresh);
    connect(m_addButton, &QPushButton::clicked, this, &DNSRecordView::showAddRecord);
    connect(m_searchField, &QLineEdit::textChanged, m_records, &RecordsListView::setSearchText);
    connect(m_records, &RecordsListView::editRecordRequested, this, &DNSRecordView::showEditRecord);
    connect(manager, &DNSServerManager::serverStatusChanged, this, &DNSRecordView::refresh);
    refreshSelection();
}

ZonePtr DNSRecordView::selectedZone() const {
    if (!m_selectedZoneId || !m_manager)
        return {};
    for (const ZonePtr& zone : m_manager->zones()) {
        if (zone->id() == *m_selectedZoneId)
            return zone;
    }
    return {};
}

void DNSRecordView::selectZone(const QUuid& id) {
    if (m_selectedZoneId == id)
        return;
    m_selectedZoneId = id;
    refreshSelection();
}

void DNSRecordView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Coming to the screen without a choice picks the first zone.
    if (!m_selectedZoneId && m_manager && !m_manager->zones().isEmpty())
        selectZone(m_manager->zones().first()->id());
}

void DNSRecordView::refreshSelection() {
    const int row = m_selectedZoneId ? m_zoneModel->rowOf(*m_selectedZoneId) : -1;
    QItemSelectionModel* selection = m_zoneList->selectionModel();
    const QModelIndex index = m_zoneModel->index(row, 0);
    if (row >= 0 && selection->currentIndex() != index)
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else if (row < 0)
        selection->clearSelection();
    m_records->setZone(selectedZone());
    refresh();
}

void DNSRecordView::refresh() {
    if (!m_manager)
        return;
    const bool running = m_manager->isRunning();
    m_banner->setVisible(!running);
    const qsizetype zoneCount = m_manager->zones().size();
    m_zoneCount->setText(QString::number(zoneCount));
    m_zoneStack->setCurrentIndex(zoneCount == 0 ? 0 : 1);
    m_zoneRowDelegate->setBindRunning(running);
    m_zoneList->viewport()->update();

    const ZonePtr zone = selectedZone();
    m_detailStack->setCurrentIndex(zone ? 1 : 0);
    if (zone) {
        m_zoneTitle->setText(zone->name() + QStringLiteral(" Zone"));
        m_zoneRecordCount->setText(QString::number(zone->recordCount()) +
                                   QStringLiteral(" records"));
        const auto kept = std::count_if(zone->records().cbegin(), zone->records().cend(),
                                        [](const DNSRecord& record) { return record.isKept(); });
        m_readOnlyNote->setText(
            QStringLiteral("%1 read-only (types Korvi lists and keeps but does not edit)")
                .arg(kept));
        m_readOnlyNote->setVisible(kept > 0);
    }
    m_addButton->setEnabled(running);
    m_records->setBindRunning(running);
}

void DNSRecordView::showAddRecord() {
    const ZonePtr zone = selectedZone();
    if (!zone || !m_manager || m_addSheet || m_editSheet)
        return;
    m_addSheet = new AddRecordView(m_manager, zone, this);
    m_addSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_addSheet->open();
}

void DNSRecordView::showEditRecord(const DNSRecord& record) {
    const ZonePtr zone = selectedZone();
    // A kept record's data is written back exactly; no sheet edits it.
    if (!zone || !m_manager || m_addSheet || m_editSheet || record.isKept())
        return;
    m_editSheet = new EditRecordView(m_manager, zone, record, this);
    m_editSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_editSheet->open();
}

} // namespace korvi
