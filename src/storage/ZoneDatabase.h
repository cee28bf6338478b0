#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

#include "storage/ChangeSnapshot.h"
#include "storage/LogStore.h"
#include "storage/StoredZone.h"

class QThread;

namespace korvi {

class ZoneDatabaseWorker;

// Where the zone database lives and where it takes its first zones from.
struct ZoneDatabaseSettings {
    // The application's data folder (the sandbox's folder in sandbox mode).
    QString directory;
    // On first start the zones kept in the preferences by older versions are
    // imported once; the preferences are only read.
    bool importFromPreferences = true;
    // An INI file; empty means the platform's own preferences.
    QString preferencesFile;
};

// How opening went: what the log should say, and whether damage was found.
struct ZoneDatabaseOpening {
    QString path;
    QList<StoreNotice> notices;
    bool created = false;
    bool damaged = false;
    bool restoredFromGoodCopy = false;
    bool imported = false;
};

// Korvi's zones in SQLite, used from the GUI thread without ever waiting for
// the disk: every call returns at once with a request number, the work runs
// in order on a worker thread that owns the only connection, and the outcome
// comes back as a signal on the GUI thread carrying that number. A change
// writes only the rows it changes, in one transaction; it is reported by
// written() once committed, or by writeFailed() when it was not stored.
//
// Files in the folder: zones.sqlite (with its -wal and -shm), and
// zones.last-good.sqlite, a copy made after every open that passed the check;
// the change history's texts in history/.
class ZoneDatabase : public QObject {
    Q_OBJECT
public:
    using RequestId = quint64;

    explicit ZoneDatabase(ZoneDatabaseSettings settings, QObject* parent = nullptr);
    // Lets the requests already made finish, then closes the database.
    ~ZoneDatabase() override;

    static QString databaseFileName();
    static QString goodCopyFileName();

    // Opens (or creates) the database, checks it (PRAGMA quick_check), falls
    // back to the last good copy when it is damaged, brings the schema up to
    // date and imports from the preferences once. Ends in opened() or
    // openFailed(). Requests made meanwhile run after it.
    void open();

    // Names, files, SOA and record counts of all zones, in list order.
    RequestId loadZones();
    // One zone's records in order.
    RequestId loadRecords(const QUuid& zone);

    RequestId addZone(const StoredZone& zone, const QList<DNSRecord>& records = {});
    RequestId removeZone(const QUuid& zone);
    // A record change with the zone's advanced SOA, stored together.
    RequestId addRecord(const QUuid& zone, const DNSRecord& record,
                        const std::optional<SOARecord>& soa = std::nullopt);
    RequestId updateRecord(const QUuid& zone, const DNSRecord& record,
                           const std::optional<SOARecord>& soa = std::nullopt);
    RequestId deleteRecord(const QUuid& zone, const QUuid& record,
                           const std::optional<SOARecord>& soa = std::nullopt);
    RequestId updateSoa(const QUuid& zone, const std::optional<SOARecord>& soa);
    RequestId replaceRecords(const QUuid& zone, const QList<DNSRecord>& records,
                             const std::optional<SOARecord>& soa);

    // The change history (see SnapshotStore): a snapshot kept, with the
    // zone's oldest ones beyond keepPerZone dropped (ends in written() or
    // writeFailed(); snapshotKept() first gives its id); the index, newest
    // first; one snapshot with its texts. Reads that fail end in
    // loadFailed().
    RequestId addSnapshot(const ChangeSnapshot& snapshot, int keepPerZone);
    RequestId loadSnapshots();
    RequestId loadSnapshot(qint64 id);

    // The application log kept in the store (see LogStore): lines appended
    // (ends in written() or writeFailed()); the lines after afterId (negative:
    // the newest limit lines), with the store's data version, in logLoaded() or
    // loadFailed().
    RequestId appendLog(const QString& writer, const QStringList& lines);
    RequestId loadLog(qint64 afterId, int limit);

Q_SIGNALS:
    void opened(const korvi::ZoneDatabaseOpening& opening);
    void openFailed(const QString& message, const QList<korvi::StoreNotice>& notices);
    void zonesLoaded(korvi::ZoneDatabase::RequestId request, const QList<korvi::StoredZone>& zones);
    void recordsLoaded(korvi::ZoneDatabase::RequestId request, const QUuid& zone,
                       const QList<korvi::DNSRecord>& records);
    void loadFailed(korvi::ZoneDatabase::RequestId request, const QString& message);
    void snapshotKept(korvi::ZoneDatabase::RequestId request, qint64 id);
    void snapshotsLoaded(korvi::ZoneDatabase::RequestId request,
                         const QList<korvi::ChangeSnapshot>& snapshots);
    void snapshotLoaded(korvi::ZoneDatabase::RequestId request,
                        const korvi::ChangeSnapshot& snapshot);
    // dataVersion changes whenever another program committed to the store.
    void logLoaded(korvi::ZoneDatabase::RequestId request, const QList<korvi::StoredLogLine>& lines,
                   qint64 dataVersion);
    void written(korvi::ZoneDatabase::RequestId request);
    void writeFailed(korvi::ZoneDatabase::RequestId request, const QString& message);
    // Later news from the worker, for the log (for example a good copy that
    // could not be made).
    void notice(const korvi::StoreNotice& notice);

private:
    template <typename Work> void post(Work&& work);
    RequestId write(std::function<StoreResult(ZoneDatabaseWorker&)> change);

    QThread* m_thread;
    QObject* m_context; // lives on m_thread; posted work runs through it
    std::unique_ptr<ZoneDatabaseWorker> m_worker;
    RequestId m_lastRequest = 0;
};

} // namespace korvi
