#pragma once

// What the zone database of a manager holds, read through a connection of the
// test's own once the manager has no write outstanding.

#include <QTest>

#include <optional>

#include "manager/DNSServerManager.h"
#include "storage/ZoneDatabase.h"
#include "storage/ZoneStore.h"

namespace korvi {

struct StoredZoneRows {
    StoredZone zone;
    QList<DNSRecord> records;
};

// True once the manager's zone list is in, every change asked for has finished
// and every write it handed over has been reported.
inline bool waitForStorage(const DNSServerManager& manager, int timeoutMs = 10000) {
    return QTest::qWaitFor(
        [&] {
            return manager.isStorageLoaded() && !manager.hasPendingChanges() &&
                   !manager.hasPendingStorageWrites();
        },
        timeoutMs);
}

inline std::optional<QList<StoredZoneRows>> readStoredZones(const QString& dataDirectory) {
    ZoneStore store;
    if (!store.open(dataDirectory + u'/' + ZoneDatabase::databaseFileName()))
        return std::nullopt;
    const auto zones = store.zones();
    if (!zones)
        return std::nullopt;
    QList<StoredZoneRows> rows;
    for (const StoredZone& zone : *zones) {
        const auto records = store.records(zone.id);
        if (!records)
            return std::nullopt;
        rows.append({zone, *records});
    }
    return rows;
}

// The manager's stored zones once its writes are done.
inline std::optional<QList<StoredZoneRows>> storedZones(const DNSServerManager& manager) {
    if (!waitForStorage(manager))
        return std::nullopt;
    return readStoredZones(manager.layout().dataDirectory);
}

} // namespace korvi
