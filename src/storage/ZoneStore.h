#pragma once

#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

#include "storage/StoredZone.h"

class QSqlDatabase;

namespace korvi {

// One connection to Korvi's zone database (SQLite through Qt SQL). Every call
// runs synchronously on the thread that created the object, which must be the
// only thread using it; ZoneDatabase gives it a worker thread of its own.
// Every change runs in one transaction and writes only the rows it changes.
class ZoneStore {
public:
    // The schema version this build writes; older files are migrated.
    static int latestSchemaVersion();

    ZoneStore();
    ~ZoneStore();
    ZoneStore(const ZoneStore&) = delete;
    ZoneStore& operator=(const ZoneStore&) = delete;

    // Opens an existing database file (it is never created here) and turns on
    // the write-ahead log and foreign keys.
    StoreResult open(const QString& path);
    // Makes a new database file holding the current schema. The file appears
    // at `path` only complete (built beside it, then renamed), so a file at
    // the database's path always has a schema unless it was damaged.
    static StoreResult create(const QString& path);
    void close();
    bool isOpen() const;

    // PRAGMA quick_check plus a look for the schema: success, or the damage
    // found, described.
    StoreResult check();
    // The file's schema version (0 for a file without one).
    std::optional<int> schemaVersion();
    // Brings an older schema up to the latest, one step per transaction.
    // A file written by a newer Korvi is refused and left untouched.
    StoreResult migrate();

    std::optional<QList<StoredZone>> zones(QString* error = nullptr);
    std::optional<QList<DNSRecord>> records(const QUuid& zone, QString* error = nullptr);

    // Adds a zone at the end of the list with its records and SOA.
    StoreResult addZone(const StoredZone& zone, const QList<DNSRecord>& records);
    // Removes the zone, its records and its SOA. Removing a zone that is not
    // stored changes nothing and succeeds.
    StoreResult removeZone(const QUuid& zone);
    // Record changes, each with the zone's new SOA (a record change advances
    // the serial) in the same transaction when given.
    StoreResult addRecord(const QUuid& zone, const DNSRecord& record,
                          const std::optional<SOARecord>& soa);
    // Replaces the first record with that id; none with that id changes no
    // record (the SOA is still written).
    StoreResult updateRecord(const QUuid& zone, const DNSRecord& record,
                             const std::optional<SOARecord>& soa);
    // Removes every record with that id.
    StoreResult deleteRecord(const QUuid& zone, const QUuid& record,
                             const std::optional<SOARecord>& soa);
    // All the zone's records at once (a zone read again from its file, or
    // cleaned of invalid records), with its SOA when given.
    StoreResult replaceRecords(const QUuid& zone, const QList<DNSRecord>& records,
                               const std::optional<SOARecord>& soa);
    // Sets the zone's SOA, or removes it when none is given.
    StoreResult setSoa(const QUuid& zone, const std::optional<SOARecord>& soa);

    // Zones brought in from elsewhere (the old preferences), all in one
    // transaction together with the note that the import happened, so the
    // import is done whole and once.
    StoreResult importZones(const QList<StoredZone>& zones, const QList<QList<DNSRecord>>& records,
                            const QString& note);
    // The note of a past import, or nothing when none ran yet.
    std::optional<QString> importNote(QString* error = nullptr);

    // A consistent copy of the whole database into a new file.
    StoreResult copyTo(const QString& path);

    // The Qt SQL connection's name, for the stores that share this
    // connection on the same thread (the change history).
    const QString& connectionName() const { return m_connection; }

private:
    QSqlDatabase database() const;
    StoreResult run(const QString& what, const std::function<StoreResult()>& body);
    // A change to one zone's records in one transaction: `body` writes the
    // record rows, then the SOA is written when one is given.
    StoreResult
    recordChange(const QString& what, const QUuid& zone, const std::optional<SOARecord>& soa,
                 const std::function<bool(const QSqlDatabase&, qint64 row, QString* error)>& body);

    QString m_connection;
};

} // namespace korvi
