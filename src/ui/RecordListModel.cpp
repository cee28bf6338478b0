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
    return matcher(record.name) || matcher(record.value) || matcher(typeText(record.type));
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
    beginResetModel();
    if (m_zone)
        disconnect(m_zone.data(), nullptr, this, nullptr);
    m_zone = zone;
    m_records = zone ? zone->records() : QList<DNSRecord>();
    if (zone)
        connect(zone.data(), &DNSZone::changed, this, &RecordListModel::zoneChanged);
    m_rows = filteredRows(m_records);
    endResetModel();
    Q_EMIT countChanged();
}

void RecordListModel::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    beginResetModel();
    m_searchText = text;
    m_filtered = !text.isEmpty();
    m_rows = filteredRows(m_records);
    endResetModel();
    Q_EMIT countChanged();
}

void RecordListModel::setLocale(const QLocale& locale) {
    beginResetModel();
    m_locale = locale;
    m_rows = filteredRows(m_records);
    endResetModel();
    Q_EMIT countChanged();
}

QList<int> RecordListModel::filteredRows(const QList<DNSRecord>& records) const {
    QList<int> rows;
    if (!m_filtered)
        return rows;
    const Matcher matcher(m_searchText, m_locale);
    for (int i = 0; i < records.size(); ++i) {
        if (matchesWith(matcher, records[i]))
            rows.append(i);
    }
    return rows;
}

void RecordListModel::zoneChanged() {
    // The zone also announces name and SOA changes; the records are the same
    // list then, and nothing needs redrawing.
    if (!m_zone || m_zone->records().isSharedWith(m_records))
        return;
    applyRecords(m_zone->records());
}

void RecordListModel::applyRecords(const QList<DNSRecord>& records) {
    const int oldCount = rowCount();
    QList<int> rows = filteredRows(records);
    const int newCount = int(m_filtered ? rows.size() : records.size());
    const auto commit = [&] {
        m_records = records;
        m_rows = std::move(rows);
    };
    if (newCount > oldCount) {
        beginInsertRows({}, oldCount, newCount - 1);
        commit();
        endInsertRows();
    } else if (newCount < oldCount) {
        beginRemoveRows({}, newCount, oldCount - 1);
        commit();
        endRemoveRows();
    } else {
        commit();
    }
    if (qMin(oldCount, newCount) > 0)
        Q_EMIT dataChanged(index(0), index(qMin(oldCount, newCount) - 1));
    if (oldCount != newCount)
        Q_EMIT countChanged();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return int(m_filtered ? m_rows.size() : m_records.size());
}

const DNSRecord& RecordListModel::recordAt(int row) const {
    return m_records[m_filtered ? m_rows[row] : row];
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DNSRecord& record = recordAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return record.name;
    case Qt::ToolTipRole:
        return record.value;
    case Qt::AccessibleTextRole:
        return record.name + u' ' + typeText(record.type) + u' ' + record.value;
    default:
        return {};
    }
}

} // namespace korvi
