#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QLocale>

#include "manager/DNSServerManager.h"

namespace korvi {

// The records of one zone as a list model, filtered by a search text. The
// model keeps the zone's record list (shared, not copied) and a vector of
// the matching positions, so opening, scrolling and filtering a zone of a
// hundred thousand records costs one pass over them and no object per row.
class RecordListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit RecordListModel(QObject* parent = nullptr);

    void setZone(const ZonePtr& zone);
    const ZonePtr& zone() const { return m_zone; }

    // Records whose name, value or type text contain the text, ignoring
    // letter case under the locale; all records when it is empty.
    void setSearchText(const QString& text);
    const QString& searchText() const { return m_searchText; }
    void setLocale(const QLocale& locale);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The record shown in a row (row in range).
    const DNSRecord& recordAt(int row) const;
    qsizetype totalRecordCount() const { return m_records.size(); }

    // The search test on one record.
    static bool matches(const DNSRecord& record, const QString& searchText, const QLocale& locale);

Q_SIGNALS:
    // The rows changed in number (filter or zone change).
    void countChanged();

private:
    void zoneChanged();
    QList<int> filteredRows(const QList<DNSRecord>& records) const;
    // Replaces the records and rows, announcing rows added or removed at the
    // end and every other row as changed, so the view keeps its position.
    void applyRecords(const QList<DNSRecord>& records);

    ZonePtr m_zone;
    QList<DNSRecord> m_records;
    QString m_searchText;
    QLocale m_locale;
    bool m_filtered = false;
    QList<int> m_rows; // positions in m_records while filtered
};

} // namespace korvi
