// The zone repository's store: the zone database, reached only through its
// asynchronous calls. The zone list comes first and becomes the zones the
// window shows; each zone's records follow in the background, in list order.
// Writes are handed over and forgotten unless they fail, which is logged as
// an error naming the change.

#include "manager/ZoneRepository.h"

#include <QJsonArray>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "manager/AppLog.h"
#include "manager/PathComponents.h"
#include "platform/Console.h"

namespace korvi {

namespace {

LogLevel levelOf(StoreNotice::Level level) {
    switch (level) {
    case StoreNotice::Level::info:
        return LogLevel::info;
    case StoreNotice::Level::success:
        return LogLevel::success;
    case StoreNotice::Level::warning:
        return LogLevel::warning;
    case StoreNotice::Level::error:
        break;
    }
    return LogLevel::error;
}

StoredZone storedZone(const DNSZone& zone) {
    return {zone.id(), zone.name(), zone.filePath(), zone.soaRecord(), zone.recordCount()};
}

} // namespace

void ZoneRepository::connectDatabase() {
    if (!m_database)
        return;
    connect(m_database, &ZoneDatabase::opened, this, [this](const ZoneDatabaseOpening& opening) {
        for (const StoreNotice& notice : opening.notices)
            log(notice.text, levelOf(notice.level));
    });
    connect(m_database, &ZoneDatabase::openFailed, this,
            [this](const QString& message, const QList<StoreNotice>& notices) {
                for (const StoreNotice& notice : notices)
                    log(notice.text, levelOf(notice.level));
                log(QStringLiteral("❌ ") + message, LogLevel::error);
                log(QStringLiteral("⚠️ Zones are kept for this session only: changes will not "
                                   "be there at the next start"),
                    LogLevel::warning);
                m_databaseUsable = false;
                m_pendingWrites.clear();
                // Changes waiting for a write go on: their zones are kept
                // for the session.
                const QHash<RequestId, Completion> waiting = std::exchange(m_writeWaiters, {});
                for (const Completion& done : waiting)
                    done(true, QString());
                finishStorageLoad();
            });
    connect(m_database, &ZoneDatabase::notice, this,
            [this](const StoreNotice& notice) { log(notice.text, levelOf(notice.level)); });
    connect(m_database, &ZoneDatabase::zonesLoaded, this,
            [this](RequestId request, const QList<StoredZone>& stored) {
                if (request != 0 && request == m_reloadListRequest)
                    reloadedListArrived(stored);
                else
                    zoneListArrived(request, stored);
            });
    connect(m_database, &ZoneDatabase::recordsLoaded, this,
            [this](RequestId request, const QUuid& zone, const QList<DNSRecord>& records) {
                if (m_reloadRecordRequests.remove(request)) {
                    for (const ZonePtr& listed : std::as_const(m_zones)) {
                        if (listed->id() == zone)
                            reloadedRecordsArrived(listed, records);
                    }
                    return;
                }
                recordsArrived(zone, records);
            });
    connect(m_database, &ZoneDatabase::loadFailed, this,
            [this](RequestId request, const QString& message) {
                log(QStringLiteral("❌ ") + message, LogLevel::error);
                m_reloadRecordRequests.remove(request);
                if (request == m_reloadListRequest)
                    m_reloadListRequest = 0;
                if (request == m_zoneListRequest)
                    finishStorageLoad();
            });
    connect(m_database, &ZoneDatabase::written, this, [this](RequestId request) {
        m_pendingWrites.remove(request);
        if (Completion done = m_writeWaiters.take(request))
            done(true, QString());
    });
    connect(m_database, &ZoneDatabase::writeFailed, this,
            [this](RequestId request, const QString& message) {
                const QString what = m_pendingWrites.take(request);
                log(QStringLiteral("❌ ") + message +
                        (what.isEmpty() ? QString() : QStringLiteral(" (") + what + u')'),
                    LogLevel::error);
                if (Completion done = m_writeWaiters.take(request))
                    done(false, message);
            });
}

void ZoneRepository::loadFromStorage() {
    if (!m_database) {
        log(QStringLiteral("⚠️ No data folder: zones are kept for this session only"),
            LogLevel::warning);
        finishStorageLoad();
        return;
    }
    consoleLine(QStringLiteral("🔄 Loading zones from the zone database..."));
    if (!m_databaseOpenRequested) {
        m_databaseOpenRequested = true;
        m_database->open();
    }
    m_zoneListRequest = m_database->loadZones();
}

void ZoneRepository::zoneListArrived(RequestId request, const QList<StoredZone>& stored) {
    if (request != m_zoneListRequest)
        return;
    // Zones made before the list arrived (none at start-up, as BIND's files
    // are read once it is in) stay after the stored ones.
    QList<ZonePtr> zones;
    zones.reserve(stored.size() + m_zones.size());
    for (const StoredZone& data : stored) {
        const auto zone = ZonePtr::create(data.id, data.name, data.filePath, data.recordCount);
        if (data.soaRecord)
            zone->setSoaRecord(data.soaRecord);
        m_storedZones.insert(data.id);
        zones.append(zone);
        m_configuration->setZoneFile(zone->name(), lastPathComponent(data.filePath));
        consoleLine(QStringLiteral("✅ Loaded zone: ") + data.name + QStringLiteral(" with ") +
                    QString::number(data.recordCount) + QStringLiteral(" records"));
    }
    for (const ZonePtr& zone : std::as_const(m_zones)) {
        if (!m_storedZones.contains(zone->id()))
            zones.append(zone);
    }
    m_zones = zones;
    if (stored.isEmpty())
        log(QStringLiteral("No saved zones found in app storage"), LogLevel::info);
    else
        log(QStringLiteral("📱 Loaded ") + QString::number(stored.size()) +
                QStringLiteral(" zones from app storage"),
            LogLevel::info);
    Q_EMIT zonesChanged();
    finishStorageLoad();
    // The records follow in list order; the worker runs one request at a
    // time, so the first zones are ready first.
    for (const StoredZone& data : stored)
        m_database->loadRecords(data.id);
}

void ZoneRepository::recordsArrived(const QUuid& id, const QList<DNSRecord>& records) {
    for (const ZonePtr& zone : std::as_const(m_zones)) {
        if (zone->id() == id) {
            // Records already set (a zone read again from its file) win.
            if (!zone->recordsLoaded())
                zone->setRecords(records);
            return;
        }
    }
}

void ZoneRepository::finishStorageLoad() {
    if (m_storageLoaded)
        return;
    m_storageLoaded = true;
    Q_EMIT storageLoaded();
}

void ZoneRepository::reloadFromStore() {
    if (!canStore() || !m_storageLoaded || m_reloadListRequest != 0)
        return;
    if (hasPendingChanges() || hasPendingWrites() || m_applyingStaged) {
        // This program's own change comes first; the store is read after it.
        if (!m_reloadRetryQueued) {
            m_reloadRetryQueued = true;
            QTimer::singleShot(reloadRetryMs, this, [this] {
                m_reloadRetryQueued = false;
                reloadFromStore();
            });
        }
        return;
    }
    m_reloadListRequest = m_database->loadZones();
}

void ZoneRepository::reloadedListArrived(const QList<StoredZone>& stored) {
    m_reloadListRequest = 0;
    QSet<QUuid> storedIds;
    bool listChanged = false;
    for (const StoredZone& data : stored) {
        storedIds.insert(data.id);
        const auto found = std::find_if(m_zones.cbegin(), m_zones.cend(),
                                        [&](const ZonePtr& zone) { return zone->id() == data.id; });
        if (found == m_zones.cend()) {
            const auto zone = ZonePtr::create(data.id, data.name, data.filePath, data.recordCount);
            if (data.soaRecord)
                zone->setSoaRecord(data.soaRecord);
            m_storedZones.insert(data.id);
            m_zones.append(zone);
            m_configuration->setZoneFile(zone->name(), lastPathComponent(data.filePath));
            log(QStringLiteral("🔄 Zone '%1' was added by another Korvi program").arg(data.name),
                LogLevel::info);
            m_database->loadRecords(data.id);
            listChanged = true;
            continue;
        }
        const ZonePtr& zone = *found;
        // Collected batch changes are this program's to apply or discard.
        if (m_staged.contains(zone->id()) || !zone->recordsLoaded())
            continue;
        if (zone->soaRecord() != data.soaRecord)
            zone->setSoaRecord(data.soaRecord);
        m_reloadRecordRequests.insert(m_database->loadRecords(data.id), data.id);
    }
    for (auto it = m_zones.begin(); it != m_zones.end();) {
        const QUuid id = (*it)->id();
        if (!m_storedZones.contains(id) || storedIds.contains(id)) {
            ++it;
            continue;
        }
        log(QStringLiteral("🔄 Zone '%1' was removed by another Korvi program").arg((*it)->name()),
            LogLevel::info);
        m_storedZones.remove(id);
        m_configuration->removeZoneFile((*it)->name());
        dropStagedZone(id);
        it = m_zones.erase(it);
        listChanged = true;
    }
    if (listChanged)
        Q_EMIT zonesChanged();
}

void ZoneRepository::reloadedRecordsArrived(const ZonePtr& zone, const QList<DNSRecord>& records) {
    if (m_staged.contains(zone->id()))
        return;
    const auto asJson = [](const QList<DNSRecord>& list) {
        QJsonArray array;
        for (const DNSRecord& record : list)
            array.append(record.toJson());
        return array;
    };
    if (asJson(zone->records()) == asJson(records))
        return;
    zone->setRecords(records);
    log(QStringLiteral("🔄 Zone '%1' was changed by another Korvi program; its records were "
                       "read again")
            .arg(zone->name()),
        LogLevel::info);
    Q_EMIT zonesChanged();
}

void ZoneRepository::track(RequestId request, const QString& what, Completion done) {
    m_pendingWrites.insert(request, what);
    if (done)
        m_writeWaiters.insert(request, std::move(done));
}

void ZoneRepository::storeZone(const ZonePtr& zone, Completion done) {
    // A zone whose records are still to come is one the database holds.
    if (!canStore() || m_storedZones.contains(zone->id()) || !zone->recordsLoaded()) {
        if (done)
            done(true, QString());
        return;
    }
    m_storedZones.insert(zone->id());
    track(m_database->addZone(storedZone(*zone), zone->records()),
          QStringLiteral("zone '") + zone->name() + u'\'', std::move(done));
}

void ZoneRepository::unstoreZone(const QUuid& id, Completion done) {
    if (!m_storedZones.remove(id) || !canStore()) {
        if (done)
            done(true, QString());
        return;
    }
    track(m_database->removeZone(id), QStringLiteral("removing a zone"), std::move(done));
}

} // namespace korvi
