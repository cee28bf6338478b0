#include "ui/records/RecordListModel.h"

#include <algorithm>
#include <array>

namespace korvi {

namespace {

// The type texts, made once, so the search allocates nothing per record.
const QString& rawTypeText(DNSRecordType type) {
    static const std::array<QString, 12> texts = [] {
        std::array<QString, 12> result;
        for (DNSRecordType t : allRecordTypes())
            result[size_t(t)] = rawValue(t);
        return result;
    }();
    return texts[size_t(type)];
}

// Locales whose case rules differ from the general Unicode ones (dotted and
// dotless i; Lithuanian i with dot above).
bool hasSpecialCasing(const QLocale& locale) {
    const QLocale::Language language = locale.language();
    return language == QLocale::Turkish || language == QLocale::Azerbaijani ||
           language == QLocale::Lithuanian;
}

} // namespace

// Where the locale's case rules are the general ones, Qt's case-insensitive
// search applies them without making a lower-case copy of every text.
RecordSearch::RecordSearch(const QString& text, const QLocale& locale)
    : m_locale(locale), m_localeCasing(hasSpecialCasing(locale)),
      m_needle(m_localeCasing ? locale.toLower(text) : text) {}

bool RecordSearch::contains(const QString& haystack) const {
    if (m_localeCasing)
        return m_locale.toLower(haystack).contains(m_needle);
    return haystack.contains(m_needle, Qt::CaseInsensitive);
}

bool RecordSearch::matches(const DNSRecord& record) const {
    return contains(record.name) || contains(record.value) || contains(typeText(record));
}

const QString& RecordSearch::typeText(const DNSRecord& record) {
    return record.isKept() ? record.keptType : rawTypeText(record.type);
}

RecordListModel::RecordListModel(QObject* parent) : QAbstractListModel(parent) {}

bool RecordListModel::matches(const DNSRecord& record, const QString& searchText,
                              const QLocale& locale) {
    return searchText.isEmpty() || RecordSearch(searchText, locale).matches(record);
}

void RecordListModel::setZone(const ZonePtr& zone) {
    if (zone == m_zone)
        return;
    if (m_zone)
        disconnect(m_zone.data(), nullptr, this, nullptr);
    m_zone = zone;
    if (zone) {
        DNSZone* z = zone.data();
        connect(z, &DNSZone::recordAboutToBeInserted, this,
                &RecordListModel::recordAboutToBeInserted);
        connect(z, &DNSZone::recordInserted, this, &RecordListModel::recordInserted);
        connect(z, &DNSZone::recordChanged, this, &RecordListModel::recordChanged);
        connect(z, &DNSZone::recordAboutToBeRemoved, this,
                &RecordListModel::recordAboutToBeRemoved);
        connect(z, &DNSZone::recordRemoved, this, &RecordListModel::recordRemoved);
        connect(z, &DNSZone::recordsReset, this, &RecordListModel::reset);
    }
    reset();
}

void RecordListModel::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_filtered = !text.isEmpty();
    reset();
}

void RecordListModel::setLocale(const QLocale& locale) {
    m_locale = locale;
    reset();
}

void RecordListModel::reset() {
    beginResetModel();
    m_rows = filteredRows();
    m_count = int(m_filtered ? m_rows.size() : totalRecordCount());
    endResetModel();
    Q_EMIT countChanged();
}

qsizetype RecordListModel::totalRecordCount() const {
    return m_zone ? m_zone->records().size() : 0;
}

QList<int> RecordListModel::filteredRows() const {
    QList<int> rows;
    if (!m_filtered || !m_zone)
        return rows;
    const QList<DNSRecord>& records = m_zone->records();
    const RecordSearch matcher(m_searchText, m_locale);
    for (int i = 0; i < records.size(); ++i) {
        if (matcher.matches(records[i]))
            rows.append(i);
    }
    return rows;
}

bool RecordListModel::recordMatches(qsizetype index) const {
    return RecordSearch(m_searchText, m_locale).matches(m_zone->records()[index]);
}

int RecordListModel::filteredRow(qsizetype index) const {
    return int(std::lower_bound(m_rows.cbegin(), m_rows.cend(), int(index)) - m_rows.cbegin());
}

void RecordListModel::insertRow(int row, int position) {
    beginInsertRows({}, row, row);
    if (m_filtered)
        m_rows.insert(row, position);
    ++m_count;
    endInsertRows();
    Q_EMIT countChanged();
}

void RecordListModel::removeRow(int row) {
    beginRemoveRows({}, row, row);
    if (m_filtered)
        m_rows.removeAt(row);
    --m_count;
    endRemoveRows();
    Q_EMIT countChanged();
}

void RecordListModel::recordAboutToBeInserted(qsizetype index, const DNSRecord& record) {
    m_pendingRow = -1;
    if (m_filtered && !RecordSearch(m_searchText, m_locale).matches(record))
        return;
    m_pendingRow = m_filtered ? filteredRow(index) : int(index);
    beginInsertRows({}, m_pendingRow, m_pendingRow);
}

void RecordListModel::recordInserted(qsizetype index) {
    if (m_filtered) {
        // Later positions move down by one before the new one is placed.
        for (int i = filteredRow(index); i < m_rows.size(); ++i)
            ++m_rows[i];
        if (m_pendingRow >= 0)
            m_rows.insert(m_pendingRow, int(index));
    }
    if (m_pendingRow < 0)
        return;
    ++m_count;
    m_pendingRow = -1;
    endInsertRows();
    Q_EMIT countChanged();
}

void RecordListModel::recordChanged(qsizetype index) {
    if (!m_filtered) {
        Q_EMIT dataChanged(this->index(int(index)), this->index(int(index)));
        return;
    }
    // An edited record may start or stop matching the search.
    const int row = filteredRow(index);
    const bool shown = row < m_rows.size() && m_rows[row] == index;
    const bool matchesNow = recordMatches(index);
    if (shown && matchesNow)
        Q_EMIT dataChanged(this->index(row), this->index(row));
    else if (shown)
        removeRow(row);
    else if (matchesNow)
        insertRow(row, int(index));
}

void RecordListModel::recordAboutToBeRemoved(qsizetype index) {
    m_pendingRow = int(index);
    if (m_filtered) {
        const int row = filteredRow(index);
        m_pendingRow = row < m_rows.size() && m_rows[row] == index ? row : -1;
    }
    if (m_pendingRow >= 0)
        beginRemoveRows({}, m_pendingRow, m_pendingRow);
}

void RecordListModel::recordRemoved(qsizetype index) {
    if (m_filtered) {
        if (m_pendingRow >= 0)
            m_rows.removeAt(m_pendingRow);
        for (int i = filteredRow(index); i < m_rows.size(); ++i)
            --m_rows[i];
    }
    if (m_pendingRow < 0)
        return;
    --m_count;
    m_pendingRow = -1;
    endRemoveRows();
    Q_EMIT countChanged();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

const DNSRecord& RecordListModel::recordAt(int row) const {
    return m_zone->records()[m_filtered ? m_rows[row] : row];
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_count)
        return {};
    const DNSRecord& record = recordAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return record.name;
    case Qt::ToolTipRole:
        return record.value;
    case Qt::AccessibleTextRole:
        return record.name + u' ' + RecordSearch::typeText(record) + u' ' + record.value;
    default:
        return {};
    }
}

} // namespace korvi
