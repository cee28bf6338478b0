#include "ui/zones/ZoneListModel.h"

#include "manager/PathComponents.h"

namespace korvi {

ZoneListModel::ZoneListModel(DNSServerManager* manager, QObject* parent)
    : QAbstractListModel(parent), m_manager(manager) {
    connect(manager, &DNSServerManager::zonesChanged, this, &ZoneListModel::reload);
    reload();
}

void ZoneListModel::reload() {
    beginResetModel();
    for (const ZonePtr& zone : std::as_const(m_zones))
        disconnect(zone.data(), nullptr, this, nullptr);
    m_zones = m_manager ? m_manager->zones() : QList<ZonePtr>();
    for (const ZonePtr& zone : std::as_const(m_zones)) {
        DNSZone* raw = zone.data();
        connect(raw, &DNSZone::changed, this, [this, raw] { zoneChanged(raw); });
    }
    endResetModel();
}

void ZoneListModel::zoneChanged(DNSZone* zone) {
    // The same zone may stand in the list more than once.
    for (int row = 0; row < m_zones.size(); ++row) {
        if (m_zones[row].data() == zone)
            Q_EMIT dataChanged(index(row), index(row));
    }
}

int ZoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_zones.size());
}

QVariant ZoneListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_zones.size())
        return {};
    const ZonePtr& zone = m_zones[index.row()];
    switch (role) {
    case NameRole:
        return zone->name();
    case IdRole:
        return zone->id();
    case RecordCountRole:
        return qlonglong(zone->recordCount());
    case FileNameRole:
        return lastPathComponent(zone->filePath());
    default:
        return {};
    }
}

ZonePtr ZoneListModel::zoneAt(int row) const {
    return row >= 0 && row < m_zones.size() ? m_zones[row] : ZonePtr();
}

int ZoneListModel::rowOf(const QUuid& id) const {
    for (int row = 0; row < m_zones.size(); ++row) {
        if (m_zones[row]->id() == id)
            return row;
    }
    return -1;
}

} // namespace korvi
