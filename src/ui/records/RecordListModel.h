#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QLocale>

#include "manager/DNSServerManager.h"

namespace korvi {

// The search both record views apply: whether a record's name, value or type
// text contains the search text, ignoring letter case under the locale. Made
// once per search, so that testing a hundred thousand records allocates
// nothing per record where the locale's case rules are the general ones.
class RecordSearch {
public:
    RecordSearch(const QString& text, const QLocale& locale);

    bool matches(const DNSRecord& record) const;
    // The type as the screens name it: BIND's name for a kept type.
    static const QString& typeText(const DNSRecord& record);

private:
    bool contains(const QString& haystack) const;

    QLocale m_locale;
    bool m_localeCasing;
    QString m_needle;
};

// The records of one zone as a list model, filtered by a search text. The
// model reads the zone's own record list, holding no copy of it (a copy
// would make the zone duplicate the whole list on its next change), and
// keeps a vector of the matching positions. Opening, scrolling and filtering
// a zone of a hundred thousand records therefore costs one pass over them
// and no object per row.
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
    qsizetype totalRecordCount() const;

    // The search test on one record.
    static bool matches(const DNSRecord& record, const QString& searchText, const QLocale& locale);

Q_SIGNALS:
    // The rows changed in number (filter or zone change).
    void countChanged();

private:
    // The zone's own announcements, each turned into the one row change it
    // makes, so the view keeps its place and selection.
    void recordAboutToBeInserted(qsizetype index, const DNSRecord& record);
    void recordInserted(qsizetype index);
    void recordChanged(qsizetype index);
    void recordAboutToBeRemoved(qsizetype index);
    void recordRemoved(qsizetype index);
    // Filters the zone's records anew and shows the result in a reset.
    void reset();
    QList<int> filteredRows() const;
    bool recordMatches(qsizetype index) const;
    // The row showing the zone's record at `index` while filtered, or where
    // it would be inserted (m_rows is in ascending order).
    int filteredRow(qsizetype index) const;
    // A row inserted or removed after the zone changed (an edited record
    // that starts or stops matching the search).
    void insertRow(int row, int position);
    void removeRow(int row);

    ZonePtr m_zone;
    QString m_searchText;
    QLocale m_locale;
    bool m_filtered = false;
    QList<int> m_rows; // positions in the zone's records while filtered
    int m_count = 0;   // rows shown
    // The row a begun insertion or removal concerns, -1 when the record is
    // not shown (filtered out).
    int m_pendingRow = -1;
};

} // namespace korvi
