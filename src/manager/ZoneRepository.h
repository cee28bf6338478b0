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

#include "manager/ChangeId.h"
#include "manager/CheckedSaver.h"
#include "manager/ServerControl.h"
#include "manager/ServerStatus.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "storage/ZoneDatabase.h"

namespace korvi {

class AppLog;
class ChangeTransaction;
class CheckedSaver;

using ZonePtr = QSharedPointer<DNSZone>;

// The zones and everything that changes them: the new-zone rules, the record
// and zone operations, and their store in the zone database. The zone-file
// table of the configuration follows the zone list.
//
// Every record or zone change returns an id and ends with exactly one
// changeFinished() carrying it, never before the call has returned. A change
// is checked before it is applied: the zone's text with the change goes
// through the checked save, and only once that file is written does the
// change reach the zone the window shows, the database and the log's success
// line. A refused change leaves zone, database and file as they were. The
// changes of one zone run one after another, in the order they were asked
// for; adding and removing zones (which also save the configuration) run one
// at a time. After a zone file was written, a running server reloads that
// zone.
//
// The database works on its own thread: a change hands over only the rows it
// changes; a record change the database could not store is logged as an error
// when it reports back. Without a database (no data folder) the zones live
// for the session only.
class ZoneRepository : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    // Starts the checked save of named.conf (or of Korvi's include on a
    // distribution's BIND) as it is with these zones listed, and returns its
    // id; the save ends with the saver's finished(). Nothing given: zone
    // additions and removals leave the configuration file alone.
    using ConfigurationSave = std::function<SaveId(const QList<ZonePtr>& zones)>;

    // control may be null (no server to tell).
    ZoneRepository(AppLog* log, ZoneDatabase* database, DNSConfiguration* configuration,
                   CheckedSaver* saver, ServerControl* control = nullptr,
                   ConfigurationSave configurationSave = {}, QObject* parent = nullptr);
    ~ZoneRepository() override;

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
    // A new zone as the new-zone form makes it: that SOA, an NS record at
    // the apex naming the primary name server and, when that server lies
    // inside the zone and an address is given, its address record (A, or
    // AAAA for an address with a colon) so that the zone holds its own glue.
    static ZonePtr newZone(const QString& name, const QString& filePath,
                           const QString& primaryNameServer, const QString& adminEmail,
                           qint64 serial, const QString& nameServerAddress = {});
    // Whether the name server's name is the zone's apex or below it
    // ("ns1.example.com." in "example.com"); letter case and a trailing dot
    // do not count. Such a server needs its address in the zone.
    static bool nameServerInsideZone(const QString& nameServer, const QString& zoneName);
    // The text completed: the fallback when empty, else a trailing dot added.
    static QString completedHost(const QString& text, const QString& fallback);

    // A new zone: its file written (checked), the configuration saved with
    // it, the zone listed and stored, and a running server reconfigured; on
    // the first failure everything done is undone.
    ChangeId addZone(const ZonePtr& zone);
    // The configuration saved without the zone, a running server
    // reconfigured, the zone's file removed, the zone unlisted and unstored.
    ChangeId removeZone(const ZonePtr& zone);
    ChangeId addRecord(const DNSRecord& record, const ZonePtr& zone);
    ChangeId updateRecord(const DNSRecord& record, const ZonePtr& zone);
    ChangeId deleteRecord(const DNSRecord& record, const ZonePtr& zone);
    // The records with these ids go together: one check, one write, one
    // serial step.
    ChangeId deleteRecords(const QList<QUuid>& recordIds, const ZonePtr& zone);
    // The SOA's primary server, admin, timers and TTL as given; the serial
    // advanced past the zone's current one.
    ChangeId updateSOA(const SOARecord& soa, const ZonePtr& zone);
    void updateSOASerial(const ZonePtr& zone);
    void validateDataIntegrity();
    // A refresh's choices for a zone whose file differs from the store.
    // Replaces the zone's records and SOA as they are (no validation, no new
    // serial: they are the file's) and stores them.
    void replaceZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                            const std::optional<SOARecord>& soa);
    // Writes the zone's file again from the zone as it is, through the
    // checked save; a running server reloads the zone once it is written.
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
    // Some change has been asked for and has not finished yet.
    bool hasPendingChanges() const { return !m_queues.isEmpty(); }

    // Zone names in list order as ["a", "b"], for console lines.
    static QString namesList(const QList<ZonePtr>& zones);

Q_SIGNALS:
    void zonesChanged();
    // The change with this id has ended: applied, or not, and then message
    // says why in Korvi's words (the validator's messages one a line, or the
    // checker's words).
    void changeFinished(korvi::ChangeId id, bool applied, const QString& message);
    // The stored zone list is in (or there is none to wait for).
    void storageLoaded();

private:
    struct RecordChange;
    struct PendingChange {
        ChangeId id = 0;
        bool changesList = false;
        bool started = false;
        std::function<void(ChangeId)> start;
    };
    using RequestId = ZoneDatabase::RequestId;
    using Completion = std::function<void(bool ok, const QString& message)>;

    // The queue (ZoneRepositoryChanges.cpp): a change joins its zone's
    // queue and starts when it is first in it (zone additions and removals
    // also wait for one another). Its start function ends, now or later,
    // with finishChange().
    ChangeId enqueue(const ZonePtr& zone, bool changesList, std::function<void(ChangeId)> start);
    void startNext(const QUuid& zone);
    void finishChange(ChangeId id, bool applied, const QString& message);
    bool isListed(const ZonePtr& zone) const;

    // The one step list of every record change: validate, make the
    // candidate zone with the change and the advanced serial, write its file
    // through the checked save, then apply, store, log and reload.
    void runRecordChange(ChangeId id, const RecordChange& change, const ZonePtr& zone);
    void recordChangeWritten(ChangeId id, const RecordChange& change, const ZonePtr& zone,
                             const SOARecord& soa, qint64 previousSerial, bool written,
                             const QString& reason);
    // The zone's SOA after one serial step (from a default SOA when the zone
    // has none), and the serial it steps from.
    SOARecord advancedSoa(const ZonePtr& zone, qint64* previousSerial) const;
    // Sets that SOA and logs the step (and the default SOA's creation).
    void setAdvancedSoa(const ZonePtr& zone, const SOARecord& soa, qint64 previousSerial);
    void advanceSerial(const ZonePtr& zone);
    // Runs the completion when the saver reports the save's end.
    void whenSaved(SaveId id, Completion completion);
    void reloadServerZone(const QString& zoneName);
    bool serverRunning() const;
    void log(const QString& message, LogLevel level) const;

    // Zone additions and removals (ZoneRepositoryZones.cpp).
    void runAddZone(ChangeId id, const ZonePtr& zone);
    void runRemoveZone(ChangeId id, const ZonePtr& zone);
    void saveConfigurationStep(const QList<ZonePtr>& zones, Completion done);
    void reconfigureStep(Completion done);
    // The configuration's zone-file entry for the name as it was: the
    // file's name, or none.
    void restoreZoneFileEntry(const QString& zoneName, const std::optional<QString>& entry);
    void listZone(const ZonePtr& zone, Completion done);
    void unlistZone(const ZonePtr& zone, Completion done);

    // The zone database's side (ZoneRepositoryStorage.cpp).
    void connectDatabase();
    bool canStore() const { return m_database && m_databaseUsable; }
    // Hands the write over; done runs when the database has reported (at
    // once without a database).
    void storeZone(const ZonePtr& zone, Completion done = {});
    void unstoreZone(const QUuid& id, Completion done = {});
    // Remembers what a pending write was, for the error line if it fails.
    void track(RequestId request, const QString& what, Completion done = {});
    void zoneListArrived(RequestId request, const QList<StoredZone>& stored);
    void recordsArrived(const QUuid& zone, const QList<DNSRecord>& records);
    void finishStorageLoad();

    QPointer<AppLog> m_log;
    ZoneDatabase* m_database;
    DNSConfiguration* m_configuration;
    QPointer<CheckedSaver> m_saver;
    QPointer<ServerControl> m_control;
    ConfigurationSave m_configurationSave;
    Clock m_clock;
    ChangeId m_lastChange = 0;
    // Per zone id, the changes not finished yet; the first one runs.
    QHash<QUuid, QList<PendingChange>> m_queues;
    // Zone additions and removals waiting for the one that runs.
    QList<QUuid> m_listQueue;
    bool m_listChangeRunning = false;
    QHash<SaveId, Completion> m_saveWaiters;
    QHash<RequestId, Completion> m_writeWaiters;
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
