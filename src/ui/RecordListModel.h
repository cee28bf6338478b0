#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QLocale>

#include "manager/DNSServerManager.h"

namespace korvi {

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
    void zoneChanged();
    // Filters the zone's records anew and shows the result in a reset.
    void reset();
    QList<int> filteredRows() const;
    // Shows a new number of rows without a reset: rows added or removed at
    // the end, every other row announced as changed, so the view keeps its
    // place.
    void applyRows(QList<int> rows, int count);

    ZonePtr m_zone;
    QString m_searchText;
    QLocale m_locale;
    bool m_filtered = false;
    QList<int> m_rows; // positions in the zone's records while filtered
    int m_count = 0;   // rows shown
    // The zone's list as last seen, to tell a change of the records from a
    // change of the zone's name or SOA.
    const DNSRecord* m_seenData = nullptr;
    qsizetype m_seenSize = 0;
};

} // namespace korvi
