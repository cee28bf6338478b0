#include "ui/records/DNSRecordView.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/records/AddRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordMenu.h"
#include "ui/records/RecordTableModel.h"
#include "ui/records/RecordTableView.h"
#include "ui/records/RecordsListView.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/zones/ZoneListModel.h"
#include "ui/zones/ZoneRowDelegate.h"

namespace korvi {

namespace {

// Cards or table: chosen on the screen, kept until Korvi quits (the screen
// itself is built afresh each time its section is chosen).
bool tableChosenThisSession = false;

QString recordsPhrase(qsizetype count) {
    return count == 1 ? QCoreApplication::translate("korvi::DNSRecordView", "1 record")
                      : QCoreApplication::translate("korvi::DNSRecordView", "%n records", nullptr,
                                                    int(count));
}

QString shortcutText(QKeySequence::StandardKey key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

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
    layout->addWidget(ScreenWidgets::label(tr("DNS Records"), TextStyle::largeTitle,
                                           QStringLiteral("titleLabel")));
    m_banner = ScreenWidgets::warningBanner(
        tr("BIND DNS Server is not running"),
        tr("DNS record management is disabled. Start the BIND server to add, edit, "
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
    zonesHeader->addWidget(
        ScreenWidgets::label(tr("Zones"), TextStyle::headline, QStringLiteral("zonesTitle")));
    m_zoneCount = ScreenWidgets::badge({}, secondary, QStringLiteral("zoneCountBadge"));
    zonesHeader->addWidget(m_zoneCount);
    zonesHeader->addStretch();
    leftLayout->addLayout(zonesHeader);
    m_zoneStack = new QStackedWidget;
    m_zoneStack->addWidget(placeholder(
        QStringLiteral("folder.badge.plus"), tr("No zones available"), TextStyle::headline,
        tr("Create a zone in Zone Management to start adding DNS records"),
        QStringLiteral("noZones"), secondary));
    m_zoneModel = new ZoneListModel(manager, this);
    m_zoneRowDelegate = new ZoneRowDelegate(ZoneRowDelegate::Style::column, this);
    m_zoneList = new QListView;
    m_zoneList->setObjectName(QStringLiteral("zoneList"));
    m_zoneList->setAccessibleName(tr("Zones"));
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
    m_detailStack->addWidget(
        placeholder(QStringLiteral("doc.text.badge.plus"), tr("Select a zone to view records"),
                    TextStyle::headline,
                    tr("Choose a zone from the list on the left to manage its DNS records"),
                    QStringLiteral("noSelection"), secondary));
    auto* detail = new QWidget;
    detail->setObjectName(QStringLiteral("zoneDetail"));
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(10);
    detailLayout->addWidget(buildZoneHeader());
    m_errorLabel =
        ScreenWidgets::label({}, TextStyle::subheadline, QStringLiteral("recordsErrorLabel"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Typography::setTextColor(m_errorLabel, namedColor(NamedColor::red));
    m_errorLabel->hide();
    detailLayout->addWidget(m_errorLabel);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(ScreenWidgets::iconLabel(QStringLiteral("magnifyingglass"), 16, secondary,
                                                  QStringLiteral("searchIcon")));
    m_searchField = new QLineEdit;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setAccessibleName(tr("Search records"));
    m_searchField->setPlaceholderText(tr("Search records..."));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setToolTip(tr("Search records (%1)").arg(shortcutText(QKeySequence::Find)));
    searchRow->addWidget(m_searchField, 1);
    detailLayout->addLayout(searchRow);
    m_viewStack = new QStackedWidget;
    m_viewStack->setObjectName(QStringLiteral("recordViews"));
    m_records = new RecordsListView;
    m_viewStack->addWidget(m_records);
    m_table = new RecordTableView;
    m_viewStack->addWidget(m_table);
    detailLayout->addWidget(m_viewStack, 1);
    m_detailStack->addWidget(detail);
    columns->addWidget(m_detailStack, 1);

    // Ctrl+N and Ctrl+F act wherever the focus is in the window; Delete only
    // while a record view has it, so that the key keeps its meaning elsewhere.
    new QShortcut(QKeySequence::New, this, this, &DNSRecordView::requestAddRecord);
    new QShortcut(QKeySequence::Find, this, this, &DNSRecordView::focusSearch);
    new QShortcut(QKeySequence::Delete, m_viewStack, this, &DNSRecordView::deleteSelectedRecords,
                  Qt::WidgetWithChildrenShortcut);

    connect(m_zoneList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    selectZone(m_zoneModel->zoneAt(current.row())->id());
            });
    connect(m_zoneModel, &QAbstractItemModel::modelReset, this, &DNSRecordView::refreshSelection);
    connect(m_zoneModel, &QAbstractItemModel::dataChanged, this, &DNSRecordView::refresh);
    connect(m_addButton, &QPushButton::clicked, this, &DNSRecordView::showAddRecord);
    connect(m_searchField, &QLineEdit::textChanged, m_records, &RecordsListView::setSearchText);
    connect(m_searchField, &QLineEdit::textChanged, m_table, &RecordTableView::setSearchText);
    connect(m_records, &RecordsListView::editRecordRequested, this, &DNSRecordView::showEditRecord);
    connect(m_table, &RecordTableView::editRecordRequested, this, &DNSRecordView::showEditRecord);
    connect(m_deleteButton, &QPushButton::clicked, this, &DNSRecordView::deleteSelectedRecords);
    connect(m_cardsButton, &QPushButton::clicked, this, [this] { setShowsTable(false); });
    connect(m_tableButton, &QPushButton::clicked, this, [this] { setShowsTable(true); });
    // A right click on a record: copy, copy its set, look it up.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_records->listView()),
                                    static_cast<QAbstractItemView*>(m_table)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            openRecordMenu(view->viewport()->mapToGlobal(at));
        });
    }
    // The delete button follows the selection of either view.
    for (QItemSelectionModel* selection :
         {m_records->listView()->selectionModel(), m_table->selectionModel()}) {
        connect(selection, &QItemSelectionModel::selectionChanged, this,
                &DNSRecordView::updateActions);
    }
    connect(m_records->model(), &QAbstractItemModel::modelReset, this,
            &DNSRecordView::updateActions);
    connect(m_table->tableModel(), &QAbstractItemModel::modelReset, this,
            &DNSRecordView::updateActions);
    connect(manager, &DNSServerManager::serverStatusChanged, this, &DNSRecordView::refresh);
    connect(manager, &DNSServerManager::changeFinished, this, &DNSRecordView::deletionFinished);
    setShowsTable(tableChosenThisSession);
    refreshSelection();
}

QWidget* DNSRecordView::buildZoneHeader() {
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

    // Cards or table, as two joined toggle buttons.
    auto* toggle = new QButtonGroup(header);
    auto* toggleLayout = new QHBoxLayout;
    toggleLayout->setSpacing(0);
    m_cardsButton = new QPushButton(tr("Cards"));
    m_cardsButton->setObjectName(QStringLiteral("cardsViewButton"));
    m_cardsButton->setToolTip(tr("Show the records as cards"));
    m_tableButton = new QPushButton(tr("Table"));
    m_tableButton->setObjectName(QStringLiteral("tableViewButton"));
    m_tableButton->setToolTip(tr("Show the records as a table, one line each"));
    for (QPushButton* button : {m_cardsButton, m_tableButton}) {
        button->setCheckable(true);
        toggle->addButton(button);
        toggleLayout->addWidget(button);
    }
    headerLayout->addLayout(toggleLayout);
    headerLayout->addSpacing(8);

    m_deleteButton = new QPushButton(
        ScreenWidgets::tintedIcon(QStringLiteral("trash"), namedColor(NamedColor::red)),
        tr("Delete Selected"));
    m_deleteButton->setObjectName(QStringLiteral("deleteSelectedButton"));
    m_deleteButton->setToolTip(
        tr("Delete the selected records (%1)").arg(shortcutText(QKeySequence::Delete)));
    headerLayout->addWidget(m_deleteButton);
    m_addButton = ScreenWidgets::prominentButton(tr("Add Record"), QStringLiteral("plus"),
                                                 QStringLiteral("addRecordButton"));
    m_addButton->setToolTip(tr("Add a record (%1)").arg(shortcutText(QKeySequence::New)));
    headerLayout->addWidget(m_addButton);
    return header;
}

void DNSRecordView::requestAddRecord() {
    if (m_addButton->isEnabled())
        showAddRecord();
}

void DNSRecordView::focusSearch() {
    m_searchField->setFocus(Qt::ShortcutFocusReason);
    m_searchField->selectAll();
}

QMessageBox* DNSRecordView::deleteConfirmation() const {
    return m_confirmation;
}

bool DNSRecordView::showsTable() const {
    return m_viewStack->currentWidget() == m_table;
}

void DNSRecordView::setShowsTable(bool table) {
    tableChosenThisSession = table;
    m_cardsButton->setChecked(!table);
    m_tableButton->setChecked(table);
    m_viewStack->setCurrentWidget(table ? static_cast<QWidget*>(m_table) : m_records);
    applyZone();
    updateActions();
}

void DNSRecordView::applyZone() {
    const ZonePtr zone = selectedZone();
    const bool table = showsTable();
    m_records->setZone(table ? ZonePtr() : zone);
    m_table->setZone(table ? zone : ZonePtr());
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
    // A message about another zone's records does not stay.
    showError({});
    refreshSelection();
    if (m_manager)
        m_manager->prepareZoneChange(selectedZone());
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
    applyZone();
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
        m_zoneTitle->setText(tr("%1 Zone").arg(zone->name()));
        m_zoneRecordCount->setText(tr("%n records", nullptr, int(zone->recordCount())));
        const auto kept = std::count_if(zone->records().cbegin(), zone->records().cend(),
                                        [](const DNSRecord& record) { return record.isKept(); });
        m_readOnlyNote->setText(
            tr("%1 read-only (types Korvi lists and keeps but does not edit)").arg(kept));
        m_readOnlyNote->setVisible(kept > 0);
    }
    m_addButton->setEnabled(running);
    m_records->setBindRunning(running);
    m_table->setBindRunning(running);
    updateActions();
}

void DNSRecordView::updateActions() {
    const bool running = m_manager && m_manager->isRunning();
    const bool selected = showsTable() ? m_table->selectionModel()->hasSelection()
                                       : m_records->listView()->selectionModel()->hasSelection();
    m_deleteButton->setEnabled(running && selected && m_pendingDeletion == 0);
}

void DNSRecordView::showError(const QString& text) {
    m_errorLabel->setText(text);
    m_errorLabel->setVisible(!text.isEmpty());
}

QList<DNSRecord> DNSRecordView::selectedRecordList() const {
    QList<DNSRecord> records;
    if (showsTable()) {
        for (int row : m_table->selectedRecordRows())
            records.append(m_table->tableModel()->recordAt(row));
    } else {
        for (const QModelIndex& index : m_records->listView()->selectionModel()->selectedRows())
            records.append(m_records->model()->recordAt(index.row()));
    }
    return records;
}

QMenu* DNSRecordView::openRecordMenu(const QPoint& globalPosition) {
    const ZonePtr zone = selectedZone();
    const QList<DNSRecord> selected = selectedRecordList();
    delete m_recordMenu;
    if (!zone || selected.isEmpty())
        return nullptr;
    m_recordMenu = RecordMenu::build(*zone, selected, this);
    m_recordMenu->setAttribute(Qt::WA_DeleteOnClose);
    m_recordMenu->popup(globalPosition);
    return m_recordMenu;
}

DNSRecordView::Selection DNSRecordView::selectedRecords() const {
    Selection selection;
    const auto take = [&selection](const DNSRecord& record) {
        if (record.isKept())
            ++selection.kept;
        else
            selection.ids.append(record.id);
    };
    if (showsTable()) {
        for (int row : m_table->selectedRecordRows())
            take(m_table->tableModel()->recordAt(row));
    } else {
        for (const QModelIndex& index : m_records->listView()->selectionModel()->selectedRows())
            take(m_records->model()->recordAt(index.row()));
    }
    return selection;
}

void DNSRecordView::deleteSelectedRecords() {
    const ZonePtr zone = selectedZone();
    if (!zone || !m_manager || !m_deleteButton->isEnabled() || m_confirmation || m_addSheet ||
        m_editSheet)
        return;
    const Selection selection = selectedRecords();
    if (selection.ids.isEmpty()) {
        if (selection.kept > 0)
            showError(tr("Read-only records cannot be deleted: Korvi keeps records "
                         "of these types exactly as they are."));
        return;
    }
    showError({});
    QString details =
        selection.ids.size() == 1
            ? tr("The record will be removed from zone %1. This cannot be undone.")
                  .arg(zone->name())
            : tr("%n records will be removed from zone %1. This cannot be undone.", nullptr,
                 int(selection.ids.size()))
                  .arg(zone->name());
    if (selection.kept > 0)
        details += selection.kept == 1
                       ? tr("\n\n1 record in the selection is read-only and will be kept: "
                            "Korvi does not delete records of types it keeps without editing.")
                       : tr("\n\n%n records in the selection are read-only and will be kept: "
                            "Korvi does not delete records of types it keeps without editing.",
                            nullptr, int(selection.kept));
    m_confirmation = new QMessageBox(QMessageBox::Warning, tr("Delete Records"),
                                     tr("Delete %1?").arg(recordsPhrase(selection.ids.size())),
                                     QMessageBox::NoButton, this);
    m_confirmation->setObjectName(QStringLiteral("deleteRecordsConfirmation"));
    m_confirmation->setInformativeText(details);
    // Wide enough that the explanation reads in a few lines.
    m_confirmation->setStyleSheet(
        QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 360px; }"));
    QPushButton* confirm = m_confirmation->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    confirm->setObjectName(QStringLiteral("confirmDeleteButton"));
    QPushButton* cancel = m_confirmation->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelDeleteButton"));
    // A stray Enter must not delete: Cancel is the default.
    m_confirmation->setDefaultButton(cancel);
    m_confirmation->setEscapeButton(cancel);
    m_confirmation->setAttribute(Qt::WA_DeleteOnClose);
    m_confirmation->setWindowModality(Qt::WindowModal);
    const QList<QUuid> ids = selection.ids;
    // Closed, the confirmation is no longer open, even before it is deleted.
    connect(m_confirmation, &QMessageBox::finished, this, [this] { m_confirmation = nullptr; });
    connect(m_confirmation, &QMessageBox::buttonClicked, this,
            [this, confirm, zone, ids](QAbstractButton* clicked) {
                if (clicked == confirm)
                    startDeletion(zone, ids);
            });
    m_confirmation->open();
}

void DNSRecordView::startDeletion(const ZonePtr& zone, const QList<QUuid>& ids) {
    if (!m_manager || m_pendingDeletion != 0)
        return;
    // One change for all of them: one check by BIND's checker, one write.
    m_pendingDeletion = m_manager->deleteRecords(ids, zone);
    updateActions();
}

void DNSRecordView::deletionFinished(ChangeId id, bool applied, const QString& message) {
    if (id == 0 || id != m_pendingDeletion)
        return;
    m_pendingDeletion = 0;
    if (!applied)
        showError(tr("The records were not deleted: %1").arg(message));
    updateActions();
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
