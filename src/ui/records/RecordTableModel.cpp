#include "ui/records/RecordTableModel.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/ZoneFileWriter.h"
#include "ui/records/RecordListModel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

// What a column orders by. Texts are compared case-folded first, so "Mail"
// sits beside "mail", then exactly, so that the order is the same every
// time; TTLs as numbers. Type names are BIND's, in capitals already, and are
// compared as they are.
struct SortKey {
    QString folded;
    QString exact;
    qint64 number = 0;
};

SortKey sortKey(const DNSRecord& record, int column) {
    switch (column) {
    case RecordTableModel::nameColumn:
        // The apex has the empty name and so comes first.
        return {record.name.toCaseFolded(), record.name};
    case RecordTableModel::typeColumn:
        return {{}, RecordSearch::typeText(record)};
    case RecordTableModel::ttlColumn:
        return {{}, {}, record.ttl};
    case RecordTableModel::dataColumn: {
        QString text = RecordTableModel::cellText(record, column);
        QString folded = text.toCaseFolded();
        return {std::move(folded), std::move(text)};
    }
    default:
        return {};
    }
}

int compareKeys(const SortKey& a, const SortKey& b) {
    if (const int order = QString::compare(a.folded, b.folded))
        return order;
    if (const int order = QString::compare(a.exact, b.exact))
        return order;
    return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
}

} // namespace

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

QString RecordTableModel::cellText(const DNSRecord& record, int column) {
    switch (column) {
    case nameColumn:
        return record.name.isEmpty() ? QStringLiteral("@") : record.name;
    case typeColumn:
        return RecordSearch::typeText(record);
    case ttlColumn:
        return QString::number(record.ttl);
    case dataColumn: {
        // The zone file separates the data's fields with tabs; a cell shows
        // them on one line, with spaces.
        QString text = ZoneFileWriter::recordData(record);
        for (QChar& c : text) {
            if (c == u'\t' || c == u'\n' || c == u'\r')
                c = u' ';
        }
        return text;
    }
    default:
        return {};
    }
}

void RecordTableModel::setZone(const ZonePtr& zone) {
    if (zone == m_zone)
        return;
    if (m_zone)
        disconnect(m_zone.data(), nullptr, this, nullptr);
    m_zone = zone;
    if (zone) {
        DNSZone* z = zone.data();
        connect(z, &DNSZone::recordAboutToBeInserted, this,
                &RecordTableModel::recordAboutToBeInserted);
        connect(z, &DNSZone::recordInserted, this, &RecordTableModel::recordInserted);
        connect(z, &DNSZone::recordChanged, this, &RecordTableModel::recordChanged);
        connect(z, &DNSZone::recordAboutToBeRemoved, this,
                &RecordTableModel::recordAboutToBeRemoved);
        connect(z, &DNSZone::recordRemoved, this, &RecordTableModel::recordRemoved);
        connect(z, &DNSZone::recordsReset, this, &RecordTableModel::reset);
    }
    reset();
}

void RecordTableModel::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    reset();
}

void RecordTableModel::setLocale(const QLocale& locale) {
    m_locale = locale;
    reset();
}

qsizetype RecordTableModel::totalRecordCount() const {
    return m_zone ? m_zone->records().size() : 0;
}

bool RecordTableModel::matches(const DNSRecord& record) const {
    return m_searchText.isEmpty() || RecordSearch(m_searchText, m_locale).matches(record);
}

QList<int> RecordTableModel::filteredRows() const {
    QList<int> rows;
    if (!m_zone)
        return rows;
    const QList<DNSRecord>& records = m_zone->records();
    rows.reserve(m_searchText.isEmpty() ? records.size() : 0);
    const RecordSearch search(m_searchText, m_locale);
    for (int i = 0; i < records.size(); ++i) {
        if (m_searchText.isEmpty() || search.matches(records[i]))
            rows.append(i);
    }
    return rows;
}

bool RecordTableModel::before(int a, int b) const {
    if (m_sortColumn >= 0) {
        const QList<DNSRecord>& records = m_zone->records();
        const int order =
            compareKeys(sortKey(records[a], m_sortColumn), sortKey(records[b], m_sortColumn));
        if (order != 0)
            return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
    }
    return a < b;
}

void RecordTableModel::orderRows(QList<int>& rows) const {
    if (m_sortColumn < 0) {
        std::sort(rows.begin(), rows.end());
        return;
    }
    // Each row's key is made once and sorted beside its position, in one
    // block of memory, rather than looked up in the zone's records at every
    // comparison.
    struct Keyed {
        SortKey key;
        int position;
    };
    const QList<DNSRecord>& records = m_zone->records();
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(rows.size()));
    for (int position : std::as_const(rows))
        keyed.push_back({sortKey(records[position], m_sortColumn), position});
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::sort(keyed.begin(), keyed.end(), [ascending](const Keyed& a, const Keyed& b) {
        const int order = compareKeys(a.key, b.key);
        if (order != 0)
            return ascending ? order < 0 : order > 0;
        return a.position < b.position;
    });
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i] = keyed[size_t(i)].position;
}

int RecordTableModel::placeFor(int position) const {
    return int(std::upper_bound(m_rows.cbegin(), m_rows.cend(), position,
                                [this](int a, int b) { return before(a, b); }) -
               m_rows.cbegin());
}

int RecordTableModel::rowOfPosition(int position) const {
    return int(m_rows.indexOf(position));
}

void RecordTableModel::reset() {
    beginResetModel();
    m_rows = filteredRows();
    orderRows(m_rows);
    endResetModel();
    Q_EMIT countChanged();
}

void RecordTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columns)
        column = -1;
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_sortColumn = column;
    m_sortOrder = order;
    // The persistent indexes (the selection, the current row) follow their
    // records to the rows they now have.
    const QModelIndexList old = persistentIndexList();
    QList<int> positions;
    positions.reserve(old.size());
    for (const QModelIndex& index : old)
        positions.append(m_rows[index.row()]);
    orderRows(m_rows);
    if (!old.isEmpty()) {
        QList<int> rowOf(totalRecordCount(), -1);
        for (int row = 0; row < m_rows.size(); ++row)
            rowOf[m_rows[row]] = row;
        QModelIndexList after;
        after.reserve(old.size());
        for (qsizetype i = 0; i < old.size(); ++i)
            after.append(createIndex(rowOf[positions[i]], old[i].column()));
        changePersistentIndexList(old, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void RecordTableModel::recordAboutToBeInserted(qsizetype index, const DNSRecord& record) {
    m_pendingRow = -1;
    if (!matches(record))
        return;
    // The new record is not in the zone yet, so its place is found by its
    // own fields; records at `index` and after it are about to move down by
    // one, which changes no order among them.
    const QList<DNSRecord>& records = m_zone->records();
    const SortKey key = m_sortColumn >= 0 ? sortKey(record, m_sortColumn) : SortKey();
    const auto comesBefore = [&](int shown) {
        const int order =
            m_sortColumn >= 0 ? compareKeys(sortKey(records[shown], m_sortColumn), key) : 0;
        if (order != 0)
            return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
        return shown < index;
    };
    m_pendingRow =
        int(std::partition_point(m_rows.cbegin(), m_rows.cend(), comesBefore) - m_rows.cbegin());
    beginInsertRows({}, m_pendingRow, m_pendingRow);
}

void RecordTableModel::recordInserted(qsizetype index) {
    for (int& position : m_rows) {
        if (position >= index)
            ++position;
    }
    if (m_pendingRow < 0)
        return;
    m_rows.insert(m_pendingRow, int(index));
    m_pendingRow = -1;
    endInsertRows();
    Q_EMIT countChanged();
}

void RecordTableModel::recordChanged(qsizetype index) {
    const int position = int(index);
    const int row = rowOfPosition(position);
    const bool matchesNow = matches(m_zone->records()[position]);
    if (row < 0) {
        if (!matchesNow)
            return;
        const int place = placeFor(position);
        beginInsertRows({}, place, place);
        m_rows.insert(place, position);
        endInsertRows();
        Q_EMIT countChanged();
        return;
    }
    if (!matchesNow) {
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
        Q_EMIT countChanged();
        return;
    }
    // An edit may change the record's place in the order: the row moves
    // there, keeping its selection.
    m_rows.removeAt(row);
    const int place = placeFor(position);
    m_rows.insert(row, position);
    if (place != row) {
        beginMoveRows({}, row, row, {}, place > row ? place + 1 : place);
        m_rows.move(row, place);
        endMoveRows();
    }
    Q_EMIT dataChanged(this->index(place, 0), this->index(place, columns - 1));
}

void RecordTableModel::recordAboutToBeRemoved(qsizetype index) {
    m_pendingRow = rowOfPosition(int(index));
    if (m_pendingRow >= 0)
        beginRemoveRows({}, m_pendingRow, m_pendingRow);
}

void RecordTableModel::recordRemoved(qsizetype index) {
    if (m_pendingRow >= 0)
        m_rows.removeAt(m_pendingRow);
    for (int& position : m_rows) {
        if (position > index)
            --position;
    }
    if (m_pendingRow < 0)
        return;
    m_pendingRow = -1;
    endRemoveRows();
    Q_EMIT countChanged();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

const DNSRecord& RecordTableModel::recordAt(int row) const {
    return m_zone->records()[m_rows[row]];
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Nothing is edited in place: records change through the record form,
    // and kept records not at all.
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case nameColumn:
        return tr("Name");
    case typeColumn:
        return tr("Type");
    case ttlColumn:
        return tr("TTL");
    case dataColumn:
        return tr("Data");
    default:
        return {};
    }
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columns)
        return {};
    const DNSRecord& record = recordAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(record, index.column());
    case Qt::ToolTipRole:
        if (record.isKept())
            return tr("Read-only: Korvi lists and keeps %1 records but does not "
                      "edit them")
                .arg(record.keptType);
        return index.column() == dataColumn ? cellText(record, dataColumn) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == ttlColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // Kept records are greyed: they cannot be opened or deleted here.
        return record.isKept() ? QVariant(ScreenWidgets::secondaryTextColor()) : QVariant();
    case recordIdRole:
        return record.id;
    default:
        return {};
    }
}

} // namespace korvi
