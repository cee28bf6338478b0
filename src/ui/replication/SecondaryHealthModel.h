#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include "manager/ReplicationHealth.h"

namespace korvi {

// The replication health as a table, one row per (secondary, zone) in the
// health's order: Secondary, Zone, State, Primary Serial, Secondary Serial,
// Since. A row's tooltip gives the reason and the primary's log lines. Rows
// follow the health's signals one pair at a time.
class SecondaryHealthModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int {
        secondaryColumn = 0,
        zoneColumn,
        stateColumn,
        primarySerialColumn,
        secondarySerialColumn,
        sinceColumn
    };
    static constexpr int columns = 6;
    // The row's ReplicationState as an int.
    static constexpr int stateRole = Qt::UserRole + 1;

    explicit SecondaryHealthModel(ReplicationHealth* health, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // What a cell shows: the state with its distance ("Behind by 7"), a
    // serial or "—", the local time the spell began.
    static QString cellText(const ReplicationStatus& status, int column);
    // The reason and the primary's log lines, one a line; empty when none.
    static QString detailText(const ReplicationStatus& status);

private:
    QPointer<ReplicationHealth> m_health;
};

} // namespace korvi
