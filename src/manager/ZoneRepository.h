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
class ChangeHistory;
class ChangeTransaction;
class CheckedSaver;
class ServedAnswerSource;
class WriterLock;
struct ServedExpectation;

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
// at a time.
//
// While the server runs, a record change or a zone addition is applied only
// once the server serves it: after the reload (or reconfiguration) the
// repository asks the server for the zone's serial and the record sets the
// change touched until they match what was written, or the served-check
// limit passes. A change the server does not serve is rolled back: the zone
// file gets its previous text again, the server reloads it, and the zone,
// the database and the list stay as they were. With the server stopped (or
// no way to ask it) a change is applied without that check.
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
    // Why the catalog zone's name cannot be a zone of the list.
    static QString catalogNameRefusal();
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
    // Reports every loaded record Korvi's rules refuse, and keeps it.
    void validateDataIntegrity();
    // A refresh's choices for a zone whose file differs from the store.
    // Replaces the zone's records and SOA as they are (no validation, no new
    // serial: they are the file's) and stores them.
    void replaceZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                            const std::optional<SOARecord>& soa);
    // Writes the zone's file again from the zone as it is, as a change of
    // its own (checked, reloaded, served, or rolled back), with a serial past
    // both the zone's and fileSerial (the serial of the file it replaces).
    ChangeId rewriteZoneFile(const ZonePtr& zone, qint64 fileSerial = 0);

    // The lock shared with korvictl over the data folder (none: changes
    // start at once). A change starts only once the lock is held; it is held
    // until no change is left, and a change that cannot have it within the
    // lock's wait is refused. Not owned.
    void setWriterLock(WriterLock* lock);
    // The questions that check a change is served (none: changes are not
    // checked against the server). Not owned.
    void setAnswerSource(ServedAnswerSource* source);
    // How long a change waits for the server to serve it, and how often it
    // asks meanwhile.
    static constexpr int defaultServedLimitMs = 10000;
    static constexpr int defaultServedIntervalMs = 10;
    void setServedLimit(int milliseconds) { m_servedLimitMs = milliseconds; }
    void setServedInterval(int milliseconds) { m_servedIntervalMs = milliseconds; }
    int servedLimit() const { return m_servedLimitMs; }
    // The server's log, read for its own words about a zone: a mark of
    // where it ends now; the lines naming the zone (after a mark, or the
    // last ones for -1); whether it refused to load the zone after a mark
    // (then its words). Without it a refusal shows only as a change that is
    // not served in time.
    struct ServerLog {
        std::function<qint64()> mark;
        std::function<QString(const QString& zoneName, qint64 from)> linesAbout;
        std::function<std::optional<QString>(const QString& zoneName, qint64 from)> refusal;
    };
    void setServerLog(ServerLog serverLog) { m_serverLog = std::move(serverLog); }
    // Tests only: runs after a record change's zone file was written and
    // before the server is told, with the file's path.
    using AfterWrite = std::function<void(const QString& path)>;
    void setAfterWriteHook(AfterWrite hook) { m_afterWrite = std::move(hook); }

    // Rewrites the catalog of Korvi's zones for these zone names (and has a
    // running server read it); a zone addition or removal runs it as a step
    // of its own transaction, after the server was told. Nothing given: no
    // catalog is kept.
    using CatalogUpdate = std::function<void(const QStringList& zoneNames,
                                             std::function<void(bool ok, const QString& message)>)>;
    void setCatalogUpdate(CatalogUpdate update) { m_catalogUpdate = std::move(update); }

    // The time SOA serials are made from: the local clock unless replaced.
    // An empty function restores the local clock.
    void setClock(Clock clock);

    // Opens the zone database (once) and asks for the zone list; the zones
    // appear when it arrives, then their records, zone by zone, in the
    // background. storageLoaded() says the list is in.
    void loadFromStorage();
    bool isStorageLoaded() const { return m_storageLoaded; }
    // Another Korvi program (korvictl) changed the store: the zone list and
    // every zone's records and SOA are read again, and a zone that differs
    // takes the store's version (announced through zonesChanged() and the
    // zone's own signals). While a change of this program is under way, or
    // batch changes are collected for a zone, that waits (the zone with
    // collected changes keeps them) until the next call.
    void reloadFromStore();
    bool hasPendingWrites() const { return !m_pendingWrites.isEmpty(); }
    // Some change has been asked for and has not finished yet.
    bool hasPendingChanges() const { return !m_queues.isEmpty(); }

    // Zone names in list order as ["a", "b"], for console lines.
    static QString namesList(const QList<ZonePtr>& zones);

    // --- Batch mode (ZoneRepositoryBatch.cpp) ---------------------------
    // In batch mode a record or SOA change is checked by the same rules as
    // in live mode and then made only on the zone the window shows: no file
    // is written, nothing is stored, the server is not told. It ends with
    // changeFinished(applied) at once. The repository keeps, per zone, the
    // records and SOA as last applied and what was collected since;
    // applyStaged() writes, reloads and checks every such zone in one
    // transaction. Zone additions and removals stay immediate.
    //
    // Switching back to live mode is refused while changes are collected
    // (apply or discard them first): returns whether the mode is now as
    // asked.
    bool setBatchMode(bool batch);
    bool isBatchMode() const { return m_batchMode; }
    // The changes collected and not applied yet, over all zones.
    int stagedChangeCount() const;
    // What each collected change does, in the order they were made:
    // "A record 'www' added to zone 'example.com'".
    QStringList stagedDescriptions() const;
    // One zone with collected changes: its file's text now and the text
    // applyStaged() would write (the SOA serial advanced one step).
    struct StagedFile {
        QString zoneName;
        QString filePath;
        QString currentText; // empty when there is no file (or it cannot be read)
        QString newText;
        QStringList descriptions;
    };
    // In the order the zones were first changed.
    QList<StagedFile> stagedFiles() const;
    // Writes every changed zone's file (checked), reloads each zone on a
    // running server and checks that it serves the zone's new serial and
    // record sets. Any failure puts every zone's previous file back (and
    // reloads it); the changes stay collected, so that they can be fixed.
    // Ends with one changeFinished() carrying the returned id.
    ChangeId applyStaged();
    // Puts every zone back to its state as last applied.
    void discardStaged();
    bool isApplyingStaged() const { return m_applyingStaged; }
    // ---------------------------------------------------------------------
    // --- Change history (ZoneRepositoryHistory.cpp) ---
    // Where applied changes leave their snapshot (none: no history). A
    // change that is refused or rolled back leaves none. Not owned.
    void setHistory(ChangeHistory* history);
    // Puts the zone's records and SOA back as a snapshot had them, as one
    // checked and served change like any other; the serial moves on past the
    // zone's current one. description names the state restored, for the
    // log and the new snapshot's summary.
    ChangeId restoreZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                                const std::optional<SOARecord>& soa, const QString& description);
    // --- end of change history ---

Q_SIGNALS:
    void zonesChanged();
    // The change with this id has ended: applied, or not, and then message
    // says why in Korvi's words (the validator's messages one a line, or the
    // checker's words).
    void changeFinished(korvi::ChangeId id, bool applied, const QString& message);
    // A record addition, update or deletion reached the zone (applied, or
    // collected in batch mode): the records it touched as they were and as
    // they are now (an addition has none before, a deletion none after).
    // Comes before the change's changeFinished().
    void recordsApplied(korvi::ChangeId id, const korvi::ZonePtr& zone,
                        const QList<korvi::DNSRecord>& before,
                        const QList<korvi::DNSRecord>& after);
    // The stored zone list is in (or there is none to wait for).
    void storageLoaded();
    // Batch mode: the number of collected changes, after every change of it.
    void stagedChanged(int count);
    void batchModeChanged(bool batch);

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
    // Whether the change was applied in the end.
    bool recordChangeServed(ChangeId id, const RecordChange& change, const ZonePtr& zone,
                            const SOARecord& soa, qint64 previousSerial, bool applied,
                            const QString& step, const QString& reason);
    // The zone's SOA after one serial step (from a default SOA when the zone
    // has none), and the serial it steps from.
    SOARecord advancedSoa(const ZonePtr& zone, qint64* previousSerial) const;
    // Sets that SOA and logs the step (and the default SOA's creation).
    void setAdvancedSoa(const ZonePtr& zone, const SOARecord& soa, qint64 previousSerial);
    void advanceSerial(const ZonePtr& zone);
    // Runs the completion when the saver reports the save's end.
    void whenSaved(SaveId id, Completion completion);
    // Transaction steps: the zone's file written through the checked save,
    // or removed.
    std::function<void(Completion)> zoneFileWrite(const ZonePtr& zone);
    std::function<void(Completion)> zoneFileRemoval(const ZonePtr& zone);
    void reloadServerZone(const QString& zoneName);
    bool serverRunning() const;
    void log(const QString& message, LogLevel level) const;

    // The steps that write a zone file and see it served
    // (ZoneRepositoryServed.cpp). The file step keeps the text it replaces;
    // its undo writes that text back and, when the server was told, reloads
    // the zone again. writtenAt: the time the file's header names (now when
    // not given).
    // A file's text as it is now (read as UTF-8), or nothing when there is
    // no file.
    static std::optional<QString> fileText(const QString& path);
    void addZoneFileStep(ChangeTransaction* transaction, const ZonePtr& candidate,
                         const ZonePtr& unchanged, const QDateTime& writtenAt = {});
    // Reloads the zone on a running server and checks that it serves the
    // expectation.
    void addReloadStep(ChangeTransaction* transaction, const QString& zoneName,
                       const std::shared_ptr<ServedExpectation>& expected);
    // Checks that a running server serves the expectation (after a
    // reconfiguration).
    // logMark is shared with the step that tells the server, which sets it.
    void addServedStep(ChangeTransaction* transaction,
                       const std::shared_ptr<ServedExpectation>& expected,
                       const std::shared_ptr<qint64>& logMark);
    // logMark: where the server's log ended before it was told (-1: unknown).
    void checkServed(const ServedExpectation& expected, qint64 logMark, Completion done);
    qint64 serverLogMark() const;
    // The reason with the server's own words about the zone, when it has any.
    QString withServerWords(const QString& reason, const QString& zoneName,
                            qint64 logMark = -1) const;

    // Zone additions and removals (ZoneRepositoryZones.cpp).
    void runAddZone(ChangeId id, const ZonePtr& zone);
    void runRemoveZone(ChangeId id, const ZonePtr& zone);
    void saveConfigurationStep(const QList<ZonePtr>& zones, Completion done);
    void reconfigureStep(Completion done);
    // The configuration's zone-file entry for the name as it was: the
    // file's name, or none.
    void restoreZoneFileEntry(const QString& zoneName, const std::optional<QString>& entry);
    void listZone(const ZonePtr& zone, Completion done);
    // The catalog step: the catalog written for these zones.
    void catalogStep(const QList<ZonePtr>& zones, Completion done);
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
    void reloadedListArrived(const QList<StoredZone>& stored);
    void reloadedRecordsArrived(const ZonePtr& zone, const QList<DNSRecord>& records);

    // --- Batch mode (ZoneRepositoryBatch.cpp) ---------------------------
    // A zone's state as last applied and what was collected since.
    struct StagedZone {
        ZonePtr zone;
        QList<DNSRecord> appliedRecords;
        std::optional<SOARecord> appliedSoa;
        QStringList descriptions;
        QList<QUuid> recordIds;
        bool soaChanged = false;
        // When the last change was collected: the serial and the file's
        // header line are made from it.
        QDateTime stagedAt;
    };
    // Makes a checked change on the zone only, and collects it: apply
    // changes the records, soa (when given) sets the SOA's fields, ids are
    // the records touched, description says what it does.
    void stageRecordChange(ChangeId id, const ZonePtr& zone,
                           const std::function<void(DNSZone&)>& apply,
                           const std::optional<SOARecord>& soa, const QList<QUuid>& ids,
                           const QString& description);
    // The zone as it would be written: its records, its SOA one serial step
    // on from the one last applied.
    ZonePtr stagedCandidate(const StagedZone& staged) const;
    // The zone as last applied (for the undo of its file step).
    ZonePtr appliedZone(const StagedZone& staged) const;
    // candidates: the zones as written, in the order of the transaction.
    // Each zone's collected descriptions, in the candidates' order.
    QList<QStringList> stagedDescriptionsOf(const QList<ZonePtr>& candidates) const;
    // Returns whether the changes were applied.
    bool stagedApplyFinished(ChangeId id, bool applied, const QString& step, const QString& reason,
                             const QList<ZonePtr>& candidates, const QString& failedZone);
    // Ends applyStaged() from the event loop.
    void finishStagedApply(ChangeId id, bool applied, const QString& message);
    // Forgets a zone's collected changes (the zone was removed, or holds its
    // file's version now).
    void dropStagedZone(const QUuid& zone);
    // Forgets the collected changes of zones no longer listed.
    void dropUnlistedStaged();
    void emitStagedChanged();
    bool m_batchMode = false;
    bool m_applyingStaged = false;
    QHash<QUuid, StagedZone> m_staged;
    QList<QUuid> m_stagedOrder;
    // ---------------------------------------------------------------------

    QPointer<AppLog> m_log;
    ZoneDatabase* m_database;
    DNSConfiguration* m_configuration;
    QPointer<CheckedSaver> m_saver;
    QPointer<ServerControl> m_control;
    QPointer<ServedAnswerSource> m_answers;
    QPointer<WriterLock> m_writerLock;
    // Starts the changes that waited for the writer lock, or refuses them.
    void writerLockAcquired();
    void writerLockTimedOut(const QString& holder);
    void releaseWriterLockWhenIdle();
    int m_servedLimitMs = defaultServedLimitMs;
    int m_servedIntervalMs = defaultServedIntervalMs;
    ServerLog m_serverLog;
    AfterWrite m_afterWrite;
    ConfigurationSave m_configurationSave;
    CatalogUpdate m_catalogUpdate;
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
    RequestId m_reloadListRequest = 0;
    static constexpr int reloadRetryMs = 500;
    bool m_reloadRetryQueued = false;
    // Record loads of a reload: the zone each is for.
    QHash<RequestId, QUuid> m_reloadRecordRequests;
    bool m_databaseOpenRequested = false;
    bool m_databaseUsable = true;
    bool m_storageLoaded = false;

    // The change history's side (ZoneRepositoryHistory.cpp): a snapshot
    // begun with the files' texts before the change (null without a
    // history), and kept, with their texts after it, once it is applied.
    std::shared_ptr<ChangeSnapshot> beginSnapshot(const ZonePtr& zone, ChangeSnapshot::Kind kind,
                                                  bool withConfiguration) const;
    void keepSnapshot(const std::shared_ptr<ChangeSnapshot>& snapshot, const QString& summary);
    QPointer<ChangeHistory> m_history;
};

} // namespace korvi
