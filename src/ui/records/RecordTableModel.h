#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QLocale>

#include "manager/DNSServerManager.h"

namespace korvi {

// The records of one zone as a table of four columns (Name, Type, TTL,
// Data), filtered by the same search as the record cards and ordered by one
// column on request. Like the card list it reads the zone's own record list
// and keeps only a vector of positions in it: the rows shown, in the order
// shown. Sorting reorders that vector (a hundred thousand ints), so no record
// is copied and no proxy model stands between the view and the zone. The
// model follows the zone's announcements one record at a time: a new record
// is placed where the order puts it, an edited one moves to its new place,
// and the view keeps its selection through all of it.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int { nameColumn = 0, typeColumn, ttlColumn, dataColumn };
    static constexpr int columns = 4;
    // The id of the record a row shows, as a QUuid.
    static constexpr int recordIdRole = Qt::UserRole + 1;

    explicit RecordTableModel(QObject* parent = nullptr);

    void setZone(const ZonePtr& zone);
    const ZonePtr& zone() const { return m_zone; }
    // See RecordListModel::setSearchText.
    void setSearchText(const QString& text);
    const QString& searchText() const { return m_searchText; }
    void setLocale(const QLocale& locale);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Orders the rows by a column; any other column (-1) gives the zone's
    // own order back. Records that compare equal keep the zone's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // The record shown in a row (row in range).
    const DNSRecord& recordAt(int row) const;
    qsizetype totalRecordCount() const;

    // What a cell shows: "@" for the apex, BIND's name of a kept type, the
    // TTL in seconds, the record data as the zone file holds it on one line.
    static QString cellText(const DNSRecord& record, int column);

Q_SIGNALS:
    // The rows changed in number (filter or zone change).
    void countChanged();

private:
    void recordAboutToBeInserted(qsizetype index, const DNSRecord& record);
    void recordInserted(qsizetype index);
    void recordChanged(qsizetype index);
    void recordAboutToBeRemoved(qsizetype index);
    void recordRemoved(qsizetype index);
    // Filters and orders the zone's records anew and shows them in a reset.
    void reset();
    QList<int> filteredRows() const;
    bool matches(const DNSRecord& record) const;
    // Sorts positions by the current column and order.
    void orderRows(QList<int>& rows) const;
    // Whether the record at position a comes before the one at b.
    bool before(int a, int b) const;
    // The row a record at this position belongs at among the rows shown.
    int placeFor(int position) const;
    int rowOfPosition(int position) const;

    ZonePtr m_zone;
    QString m_searchText;
    QLocale m_locale;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QList<int> m_rows; // positions in the zone's records, in row order
    // The row a begun insertion or removal concerns, -1 when the record is
    // not shown (filtered out).
    int m_pendingRow = -1;
};

} // namespace korvi
