#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSharedPointer>

#include <functional>
#include <memory>
#include <optional>

#include "manager/ServerStatus.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "storage/ZoneDatabase.h"

namespace korvi {

class AppLog;
class CheckedSaver;

using ZonePtr = QSharedPointer<DNSZone>;

// The zones and everything that changes them: the new-zone rules, the record
// operations (validated, serial advanced, zone file saved, the change stored,
// outcome logged), and their store in the zone database. The zone-file table
// of the configuration follows the zone list. named.conf itself belongs to the
// manager: when a change needs it saved, configurationSaveNeeded() asks.
//
// The database works on its own thread: a change hands over only the rows it
// changes and returns; a change the database could not store is logged as an
// error when it reports back. Without a database (no data folder) the zones
// live for the session only.
class ZoneRepository : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    ZoneRepository(AppLog* log, ZoneDatabase* database, DNSConfiguration* configuration,
                   CheckedSaver* saver, QObject* parent = nullptr);

    const QList<ZonePtr>& zones() const { return m_zones; }
    // Announced on every assignment. Zones no longer listed leave the store,
    // zones new to it are stored with their records.
    void setZones(const QList<ZonePtr>& zones);
    // Appends without touching the zone-file table (loading from BIND's files).
    void appendZone(const ZonePtr& zone);
    qsizetype totalRecords() const;

    // The new-zone form's rules: why a zone of this name cannot be created
    // ("A zone for this domain already exists"), or nothing.
    std::optional<QString> newZoneRefusal(const QString& name) const;
    // The SOA a new zone gets: the given names (ns1 and admin of the zone
    // when empty) with a trailing dot, cleaned; the serial; the standard
    // timers.
    static SOARecord newZoneSOA(const QString& zoneName, const QString& primaryNameServer,
                                const QString& adminEmail, qint64 serial);
    // A new zone as the new-zone form makes it: that SOA, and an NS record at
    // the apex naming the primary name server.
    static ZonePtr newZone(const QString& name, const QString& filePath,
                           const QString& primaryNameServer, const QString& adminEmail,
                           qint64 serial);
    // The text completed: the fallback when empty, else a trailing dot added.
    static QString completedHost(const QString& text, const QString& fallback);

    void addZone(const ZonePtr& zone);
    void removeZone(const ZonePtr& zone);
    void addRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateRecord(const DNSRecord& record, const ZonePtr& zone);
    void deleteRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateSOASerial(const ZonePtr& zone);
    void validateDataIntegrity();
    // A refresh's choices for a zone whose file differs from the store.
    // Replaces the zone's records and SOA as they are (no validation, no new
    // serial: they are the file's) and stores them.
    void replaceZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                            const std::optional<SOARecord>& soa);
    // Writes the zone's file again from the zone as it is, through the
    // checked save.
    void rewriteZoneFile(const ZonePtr& zone);

    // The time SOA serials are made from: the local clock unless replaced.
    // An empty function restores the local clock.
    void setClock(Clock clock);

    // Opens the zone database (once) and asks for the zone list; the zones
    // appear when it arrives, then their records, zone by zone, in the
    // background. storageLoaded() says the list is in.
    void loadFromStorage();
    bool isStorageLoaded() const { return m_storageLoaded; }
    bool hasPendingWrites() const { return !m_pendingWrites.isEmpty(); }

    // Zone names in list order as ["a", "b"], for console lines.
    static QString namesList(const QList<ZonePtr>& zones);

Q_SIGNALS:
    void zonesChanged();
    // named.conf should be saved now: its zone statements changed. Sent at
    // once when a zone is removed, and once addZone() has returned when one
    // is added.
    void configurationSaveNeeded();
    // The stored zone list is in (or there is none to wait for).
    void storageLoaded();

private:
    struct RecordChange;
    using RequestId = ZoneDatabase::RequestId;

    // The one step list of every record operation: validate (unless it is a
    // deletion), change, advance the serial, save the zone file, store the
    // change, log the outcome.
    void applyRecordChange(const RecordChange& change, const ZonePtr& zone);
    void advanceSerial(const ZonePtr& zone);
    void log(const QString& message, LogLevel level) const;

    // The zone database's side (ZoneRepositoryStorage.cpp).
    void connectDatabase();
    bool canStore() const { return m_database && m_databaseUsable; }
    void storeZone(const ZonePtr& zone);
    void unstoreZone(const QUuid& id);
    // Remembers what a pending write was, for the error line if it fails.
    void track(RequestId request, const QString& what);
    void zoneListArrived(RequestId request, const QList<StoredZone>& stored);
    void recordsArrived(const QUuid& zone, const QList<DNSRecord>& records);
    void finishStorageLoad();

    QPointer<AppLog> m_log;
    ZoneDatabase* m_database;
    DNSConfiguration* m_configuration;
    CheckedSaver* m_saver;
    Clock m_clock;
    QList<ZonePtr> m_zones;
    // Zones the database holds (or will, once their write is done).
    QSet<QUuid> m_storedZones;
    QHash<RequestId, QString> m_pendingWrites;
    RequestId m_zoneListRequest = 0;
    bool m_databaseOpenRequested = false;
    bool m_databaseUsable = true;
    bool m_storageLoaded = false;
};

} // namespace korvi
