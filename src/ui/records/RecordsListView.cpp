#include "ui/records/RecordsListView.h"

#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/records/RecordListModel.h"
#include "ui/records/RecordRowDelegate.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

RecordsListView::RecordsListView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("recordsListView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget;
    layout->addWidget(m_stack);

    auto* empty = new QWidget;
    empty->setObjectName(QStringLiteral("recordsEmptyState"));
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setSpacing(8);
    emptyLayout->addStretch();
    const QColor secondary = ScreenWidgets::secondaryTextColor();
    emptyLayout->addWidget(ScreenWidgets::iconLabel(QStringLiteral("doc.text"), 48, secondary,
                                                    QStringLiteral("recordsEmptyIcon")),
                           0, Qt::AlignHCenter);
    QLabel* title = ScreenWidgets::label(tr("No DNS records found"), TextStyle::headline,
                                         QStringLiteral("recordsEmptyTitle"));
    Typography::setTextColor(title, secondary);
    emptyLayout->addWidget(title, 0, Qt::AlignHCenter);
    m_emptyHint = ScreenWidgets::secondaryLabel({}, TextStyle::subheadline,
                                                QStringLiteral("recordsEmptyHint"));
    m_emptyHint->setAlignment(Qt::AlignHCenter);
    emptyLayout->addWidget(m_emptyHint);
    emptyLayout->addStretch();
    m_stack->addWidget(empty);

    m_model = new RecordListModel(this);
    m_rowDelegate = new RecordRowDelegate(this);
    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("recordList"));
    m_list->setAccessibleName(tr("Records"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_rowDelegate);
    // Every row has the same height, so the view lays out a hundred thousand
    // rows without measuring each.
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    // A clear background: the cards are the rows.
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_stack->addWidget(m_list);

    connect(m_list, &QListView::clicked, this, &RecordsListView::openRow);
    connect(m_list, &QListView::activated, this, &RecordsListView::openRow);
    connect(m_model, &RecordListModel::countChanged, this, &RecordsListView::refreshEmptyState);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordsListView::refreshEmptyState);
    refreshEmptyState();
}

void RecordsListView::setZone(const ZonePtr& zone) {
    m_model->setZone(zone);
}

void RecordsListView::setSearchText(const QString& text) {
    m_model->setSearchText(text);
}

void RecordsListView::setBindRunning(bool running) {
    m_bindRunning = running;
    m_rowDelegate->setBindRunning(running);
    m_list->viewport()->setCursor(running ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_list->viewport()->update();
}

void RecordsListView::openRow(const QModelIndex& index) {
    if (!m_bindRunning || !index.isValid() || index.row() >= m_model->rowCount())
        return;
    // Records of types Korvi does not edit are listed, never opened.
    const DNSRecord& record = m_model->recordAt(index.row());
    if (record.isKept())
        return;
    Q_EMIT editRecordRequested(record);
}

void RecordsListView::refreshEmptyState() {
    const bool empty = m_model->rowCount() == 0;
    m_emptyHint->setText(m_model->searchText().isEmpty()
                             ? tr("Add your first DNS record to get started")
                             : tr("Try adjusting your search terms"));
    m_stack->setCurrentIndex(empty ? 0 : 1);
}

} // namespace korvi
