#include "ui/RecordListModel.h"

#include <array>

namespace korvi {

namespace {

// The type texts, made once, so the search allocates nothing per record.
const QString& typeText(DNSRecordType type) {
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

// The search of one text for another, case-insensitively under a locale.
// Where the locale's case rules are the general ones, Qt's case-insensitive
// search applies them without making a lower-case copy of every text.
class Matcher {
public:
    Matcher(const QString& needle, const QLocale& locale)
        : m_locale(locale), m_localeCasing(hasSpecialCasing(locale)),
          m_needle(m_localeCasing ? locale.toLower(needle) : needle) {}

    bool operator()(const QString& haystack) const {
        if (m_localeCasing)
            return m_locale.toLower(haystack).contains(m_needle);
        return haystack.contains(m_needle, Qt::CaseInsensitive);
    }

private:
    QLocale m_locale;
    bool m_localeCasing;
    QString m_needle;
};

bool matchesWith(const Matcher& matcher, const DNSRecord& record) {
    return matcher(record.name) || matcher(record.value) ||
           matcher(record.isKept() ? record.keptType : typeText(record.type));
}

} // namespace

RecordListModel::RecordListModel(QObject* parent) : QAbstractListModel(parent) {}

bool RecordListModel::matches(const DNSRecord& record, const QString& searchText,
                              const QLocale& locale) {
    return searchText.isEmpty() || matchesWith(Matcher(searchText, locale), record);
}

void RecordListModel::setZone(const ZonePtr& zone) {
    if (zone == m_zone)
        return;
    if (m_zone)
        disconnect(m_zone.data(), nullptr, this, nullptr);
    m_zone = zone;
    if (zone)
        connect(zone.data(), &DNSZone::changed, this, &RecordListModel::zoneChanged);
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
    m_seenData = m_zone ? m_zone->records().constData() : nullptr;
    m_seenSize = totalRecordCount();
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
    const Matcher matcher(m_searchText, m_locale);
    for (int i = 0; i < records.size(); ++i) {
        if (matchesWith(matcher, records[i]))
            rows.append(i);
    }
    return rows;
}

void RecordListModel::zoneChanged() {
    const QList<DNSRecord>& records = m_zone->records();
    // The same storage and length: the zone's name or SOA changed, or one
    // record was replaced in place. Without a search the rows stay and are
    // only redrawn; with one, the replaced record may match differently.
    const bool sameList = records.constData() == m_seenData && records.size() == m_seenSize;
    m_seenData = records.constData();
    m_seenSize = records.size();
    if (!m_filtered) {
        if (sameList) {
            if (m_count > 0)
                Q_EMIT dataChanged(index(0), index(m_count - 1));
            return;
        }
        applyRows({}, int(records.size()));
        return;
    }
    QList<int> rows = filteredRows();
    const int count = int(rows.size());
    applyRows(std::move(rows), count);
}

void RecordListModel::applyRows(QList<int> rows, int count) {
    const int oldCount = m_count;
    const auto commit = [&] {
        m_rows = std::move(rows);
        m_count = count;
    };
    if (count > oldCount) {
        beginInsertRows({}, oldCount, count - 1);
        commit();
        endInsertRows();
    } else if (count < oldCount) {
        beginRemoveRows({}, count, oldCount - 1);
        commit();
        endRemoveRows();
    } else {
        commit();
    }
    if (qMin(oldCount, count) > 0)
        Q_EMIT dataChanged(index(0), index(qMin(oldCount, count) - 1));
    if (oldCount != count)
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
        return record.name + u' ' + (record.isKept() ? record.keptType : typeText(record.type)) +
               u' ' + record.value;
    default:
        return {};
    }
}

} // namespace korvi
