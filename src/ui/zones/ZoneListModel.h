#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QUuid>

#include "manager/DNSServerManager.h"

namespace korvi {

// The manager's zones as a list model, in the manager's order. It follows
// the zone list and every zone's own changes (name, record count), so the
// views over it redraw without being told.
class ZoneListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        NameRole = Qt::DisplayRole,
        IdRole = Qt::UserRole + 1,
        RecordCountRole,
        FileNameRole,
    };

    explicit ZoneListModel(DNSServerManager* manager, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    ZonePtr zoneAt(int row) const;
    // The row of the first zone with this id, or -1.
    int rowOf(const QUuid& id) const;

private:
    void reload();
    void zoneChanged(DNSZone* zone);

    QPointer<DNSServerManager> m_manager;
    QList<ZonePtr> m_zones;
};

} // namespace korvi
