#include "ui/records/RecordTableView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>

#include "ui/records/RecordTableModel.h"

namespace korvi {

namespace {

// Draws each cell's background across the whole cell and its text a little
// inside it, so that the right-aligned TTL does not run into the data.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget* widget = cell.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
        cell.rect.adjust(3, 0, -8, 0);
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    }
};

} // namespace

RecordTableView::RecordTableView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("recordTable"));
    setAccessibleName(tr("Records"));
    m_model = new RecordTableModel(this);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setTabKeyNavigation(false);
    setItemDelegate(new CellDelegate(this));

    // Every row has the same fixed height, so the view lays out a hundred
    // thousand rows without measuring each.
    QHeaderView* rows = verticalHeader();
    rows->setVisible(false);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 8);

    QHeaderView* columns = horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    const int digit = fontMetrics().horizontalAdvance(u'0');
    columns->resizeSection(RecordTableModel::nameColumn, 22 * digit);
    columns->resizeSection(RecordTableModel::typeColumn, 9 * digit);
    columns->resizeSection(RecordTableModel::ttlColumn, 10 * digit);
    // No order until a header is clicked: the zone's own order. A third
    // click on the same header returns to it.
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    columns->setSortIndicatorClearable(true);
    setSortingEnabled(true);

    connect(this, &QAbstractItemView::doubleClicked, this, &RecordTableView::openRow);
}

void RecordTableView::setZone(const ZonePtr& zone) {
    m_model->setZone(zone);
}

void RecordTableView::setSearchText(const QString& text) {
    m_model->setSearchText(text);
}

QList<int> RecordTableView::selectedRecordRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RecordTableView::keyPressEvent(QKeyEvent* event) {
    // Enter opens the current row, on every platform (some styles would
    // otherwise start editing in place, which the table does not offer).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        openRow(currentIndex());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RecordTableView::openRow(const QModelIndex& index) {
    if (m_readOnly || !m_bindRunning || !index.isValid() || index.row() >= m_model->rowCount())
        return;
    const DNSRecord& record = m_model->recordAt(index.row());
    if (record.isKept())
        return;
    Q_EMIT editRecordRequested(record);
}

} // namespace korvi
