#include "storage/ZoneStore.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "storage/StoreFiles.h"
#include "storage/StoreSchema.h"
#include "storage/StoreSql.h"

namespace korvi {

using namespace storesql;

namespace {

const QString importNoteKey = QStringLiteral("preferences_import");

QString nextConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("korvi-zone-store-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The zone's row number, or nothing (with *error) when it is not stored.
std::optional<qint64> zoneRow(const QSqlDatabase& db, const QUuid& zone, QString* error) {
    QSqlQuery query = prepare(db, QStringLiteral("SELECT row FROM zones WHERE id = ?"), error);
    query.bindValue(0, idValue(zone));
    if (!exec(query, error))
        return std::nullopt;
    if (!query.next()) {
        *error = QStringLiteral("the zone is not in the zone database");
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

StoreResult writeSoa(const QSqlDatabase& db, qint64 row, const std::optional<SOARecord>& soa) {
    QString error;
    if (!soa) {
        QSqlQuery query =
            prepare(db, QStringLiteral("DELETE FROM soa_records WHERE zone = ?"), &error);
        query.bindValue(0, row);
        return exec(query, &error) ? StoreResult::success() : StoreResult::failure(error);
    }
    QSqlQuery query =
        prepare(db,
                QStringLiteral("INSERT OR REPLACE INTO soa_records (zone, ") + soaColumns() +
                    QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                &error);
    query.bindValue(0, row);
    bindSoa(query, 1, *soa);
    return exec(query, &error) ? StoreResult::success() : StoreResult::failure(error);
}

// The position after the last record of the zone.
std::optional<qint64> nextRecordPosition(const QSqlDatabase& db, qint64 row, QString* error) {
    QSqlQuery query = prepare(
        db, QStringLiteral("SELECT coalesce(max(position) + 1, 0) FROM records WHERE zone = ?"),
        error);
    query.bindValue(0, row);
    if (!exec(query, error) || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

// The zone's records at positions 0, 1, ... (the zone has none yet).
StoreResult insertRecords(const QSqlDatabase& db, qint64 row, const QList<DNSRecord>& records) {
    QString error;
    QSqlQuery record =
        prepare(db,
                QStringLiteral("INSERT INTO records (zone, position, ") + recordColumns() +
                    QStringLiteral(") VALUES (?, ?, ") + recordPlaceholders() + u')',
                &error);
    for (qsizetype i = 0; i < records.size(); ++i) {
        record.bindValue(0, row);
        record.bindValue(1, qint64(i));
        bindRecord(record, 2, records[i]);
        if (!exec(record, &error))
            return StoreResult::failure(error);
    }
    return StoreResult::success();
}

StoreResult insertZone(const QSqlDatabase& db, const StoredZone& zone,
                       const QList<DNSRecord>& records) {
    QString error;
    QSqlQuery insert = prepare(db,
                               QStringLiteral("INSERT INTO zones (id, position, name, file_path) "
                                              "SELECT ?, coalesce(max(position) + 1, 0), ?, ? "
                                              "FROM zones"),
                               &error);
    insert.bindValue(0, idValue(zone.id));
    insert.bindValue(1, textValue(zone.name));
    insert.bindValue(2, textValue(zone.filePath));
    if (!exec(insert, &error))
        return StoreResult::failure(error);
    const qint64 row = insert.lastInsertId().toLongLong();
    if (zone.soaRecord) {
        if (const StoreResult soa = writeSoa(db, row, zone.soaRecord); !soa)
            return soa;
    }
    return insertRecords(db, row, records);
}

} // namespace

int ZoneStore::latestSchemaVersion() {
    return storeschema::latestVersion();
}

ZoneStore::ZoneStore() : m_connection(nextConnectionName()) {}

ZoneStore::~ZoneStore() {
    close();
}

QSqlDatabase ZoneStore::database() const {
    return QSqlDatabase::database(m_connection, false);
}

bool ZoneStore::isOpen() const {
    return QSqlDatabase::contains(m_connection) && database().isOpen();
}

StoreResult ZoneStore::open(const QString& path) {
    close();
    if (!QFileInfo(path).isFile())
        return StoreResult::failure(QStringLiteral("there is no database file at %1").arg(path));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            error = QStringLiteral("cannot open %1").arg(path);
        } else {
            // FULL: a change reported as written is on the disk, also after a
            // power cut. The write-ahead log makes a commit one append and
            // one sync.
            QSqlQuery mode(db);
            if (!mode.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !mode.next() ||
                mode.value(0).toString() != QLatin1String("wal")) {
                exec(mode, &error);
                error = QStringLiteral("the write-ahead log cannot be turned on: ") + error;
            } else if (!execute(db, QStringLiteral("PRAGMA foreign_keys = ON"), &error) ||
                       !execute(db, QStringLiteral("PRAGMA synchronous = FULL"), &error)) {
                error = QStringLiteral("the database settings cannot be applied: ") + error;
            }
        }
    }
    // Closed only once no handle of the connection is left in scope.
    if (!error.isEmpty()) {
        close();
        return StoreResult::failure(error);
    }
    return StoreResult::success();
}

StoreResult ZoneStore::create(const QString& path) {
    const QString building = path + QStringLiteral(".new");
    storefiles::removeDatabaseFiles(building);
    QFile file(building);
    if (!file.open(QIODevice::WriteOnly))
        return StoreResult::failure(
            QStringLiteral("cannot create %1: %2").arg(building, file.errorString()));
    file.close();
    {
        ZoneStore store;
        StoreResult result = store.open(building);
        if (result)
            result = store.migrate();
        store.close();
        if (!result) {
            storefiles::removeDatabaseFiles(building);
            return result;
        }
    }
    return storefiles::replaceFile(building, path);
}

void ZoneStore::close() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

StoreResult ZoneStore::check() {
    QSqlDatabase db = database();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QString error;
    if (!query.exec(QStringLiteral("PRAGMA quick_check"))) {
        exec(query, &error);
        return StoreResult::failure(error);
    }
    QStringList problems;
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok") && problems.size() < 3)
            problems.append(line);
    }
    query.finish();
    if (!problems.isEmpty())
        return StoreResult::failure(problems.join(QStringLiteral("; ")));
    const auto version = schemaVersion();
    if (!version)
        return StoreResult::failure(QStringLiteral("the schema version cannot be read"));
    if (*version == 0)
        return StoreResult::failure(QStringLiteral("the file holds no zone tables"));
    QSqlQuery tables(db);
    if (!tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                    "name IN ('zones', 'records', 'soa_records', "
                                    "'store_notes')")) ||
        !tables.next() || tables.value(0).toInt() != 4)
        return StoreResult::failure(QStringLiteral("tables of the zone database are missing"));
    return StoreResult::success();
}

std::optional<int> ZoneStore::schemaVersion() {
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

StoreResult ZoneStore::migrate() {
    const auto version = schemaVersion();
    if (!version)
        return StoreResult::failure(QStringLiteral("the schema version cannot be read"));
    if (*version > latestSchemaVersion())
        return StoreResult::failure(
            QStringLiteral("the zone database was written by a newer Korvi (schema %1; this "
                           "version knows up to %2)")
                .arg(*version)
                .arg(latestSchemaVersion()));
    const auto& steps = storeschema::migrations();
    for (int next = *version; next < latestSchemaVersion(); ++next) {
        const StoreResult step =
            run(QStringLiteral("schema update to version %1").arg(next + 1), [&] {
                QString error;
                const QSqlDatabase db = database();
                for (const QString& sql : steps[next]) {
                    if (!execute(db, sql, &error))
                        return StoreResult::failure(error);
                }
                if (!execute(db, QStringLiteral("PRAGMA user_version = %1").arg(next + 1), &error))
                    return StoreResult::failure(error);
                return StoreResult::success();
            });
        if (!step)
            return step;
    }
    return StoreResult::success();
}

StoreResult ZoneStore::run(const QString& what, const std::function<StoreResult()>& body) {
    QSqlDatabase db = database();
    if (!db.isOpen())
        return StoreResult::failure(what + QStringLiteral(": the zone database is not open"));
    QString error;
    if (!execute(db, QStringLiteral("BEGIN IMMEDIATE"), &error))
        return StoreResult::failure(what + QStringLiteral(": ") + error);
    StoreResult result = body();
    if (result && !execute(db, QStringLiteral("COMMIT"), &error))
        result = StoreResult::failure(error);
    if (!result) {
        QString ignored;
        execute(db, QStringLiteral("ROLLBACK"), &ignored);
        return StoreResult::failure(what + QStringLiteral(": ") + result.error);
    }
    return result;
}

std::optional<QList<StoredZone>> ZoneStore::zones(QString* error) {
    QString failure;
    QSqlQuery query =
        prepare(database(),
                QStringLiteral("SELECT z.id, z.name, z.file_path,"
                               " (SELECT count(*) FROM records r WHERE r.zone = z.row), s.zone, ") +
                    soaColumns() +
                    QStringLiteral(" FROM zones z LEFT JOIN soa_records s ON s.zone = z.row"
                                   " ORDER BY z.position"),
                &failure);
    query.setForwardOnly(true);
    if (!exec(query, &failure)) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    QList<StoredZone> zones;
    while (query.next()) {
        StoredZone zone;
        zone.id = idFrom(query.value(0));
        zone.name = query.value(1).toString();
        zone.filePath = query.value(2).toString();
        zone.recordCount = query.value(3).toLongLong();
        if (!query.value(4).isNull())
            zone.soaRecord = readSoa(query, 5);
        zones.append(zone);
    }
    return zones;
}

std::optional<QList<DNSRecord>> ZoneStore::records(const QUuid& zone, QString* error) {
    QString failure;
    const QSqlDatabase db = database();
    const auto row = zoneRow(db, zone, &failure);
    QList<DNSRecord> records;
    if (row) {
        QSqlQuery query = prepare(db,
                                  QStringLiteral("SELECT ") + recordColumns() +
                                      QStringLiteral(" FROM records WHERE zone = ? "
                                                     "ORDER BY position"),
                                  &failure);
        query.setForwardOnly(true);
        query.bindValue(0, *row);
        if (exec(query, &failure)) {
            while (query.next()) {
                const auto record = readRecord(query, 0);
                if (!record) {
                    failure = QStringLiteral("a stored record has an unknown type");
                    break;
                }
                records.append(*record);
            }
            if (failure.isEmpty())
                return records;
        }
    }
    if (error)
        *error = failure;
    return std::nullopt;
}

StoreResult ZoneStore::addZone(const StoredZone& zone, const QList<DNSRecord>& records) {
    return run(QStringLiteral("adding zone %1").arg(zone.name),
               [&] { return insertZone(database(), zone, records); });
}

StoreResult ZoneStore::removeZone(const QUuid& zone) {
    return run(QStringLiteral("removing a zone"), [&] {
        QString error;
        QSqlQuery query =
            prepare(database(), QStringLiteral("DELETE FROM zones WHERE id = ?"), &error);
        query.bindValue(0, idValue(zone));
        return exec(query, &error) ? StoreResult::success() : StoreResult::failure(error);
    });
}

StoreResult ZoneStore::recordChange(
    const QString& what, const QUuid& zone, const std::optional<SOARecord>& soa,
    const std::function<bool(const QSqlDatabase&, qint64 row, QString* error)>& body) {
    return run(what, [&] {
        QString error;
        const QSqlDatabase db = database();
        const auto row = zoneRow(db, zone, &error);
        if (!row || !body(db, *row, &error))
            return StoreResult::failure(error);
        return soa ? writeSoa(db, *row, soa) : StoreResult::success();
    });
}

StoreResult ZoneStore::addRecord(const QUuid& zone, const DNSRecord& record,
                                 const std::optional<SOARecord>& soa) {
    return recordChange(QStringLiteral("adding a record"), zone, soa,
                        [&](const QSqlDatabase& db, qint64 row, QString* error) {
                            const auto position = nextRecordPosition(db, row, error);
                            if (!position)
                                return false;
                            QSqlQuery query =
                                prepare(db,
                                        QStringLiteral("INSERT INTO records (zone, position, ") +
                                            recordColumns() + QStringLiteral(") VALUES (?, ?, ") +
                                            recordPlaceholders() + u')',
                                        error);
                            query.bindValue(0, row);
                            query.bindValue(1, *position);
                            bindRecord(query, 2, record);
                            return exec(query, error);
                        });
}

StoreResult ZoneStore::updateRecord(const QUuid& zone, const DNSRecord& record,
                                    const std::optional<SOARecord>& soa) {
    return recordChange(
        QStringLiteral("updating a record"), zone, soa,
        [&](const QSqlDatabase& db, qint64 row, QString* error) {
            QSqlQuery query =
                prepare(db,
                        QStringLiteral("UPDATE records SET (") + recordColumns() +
                            QStringLiteral(") = (") + recordPlaceholders() +
                            QStringLiteral(") WHERE row = (SELECT row FROM records WHERE zone = ? "
                                           "AND id = ? ORDER BY position LIMIT 1)"),
                        error);
            const int next = bindRecord(query, 0, record);
            query.bindValue(next, row);
            query.bindValue(next + 1, idValue(record.id));
            return exec(query, error);
        });
}

StoreResult ZoneStore::deleteRecord(const QUuid& zone, const QUuid& record,
                                    const std::optional<SOARecord>& soa) {
    return recordChange(
        QStringLiteral("deleting a record"), zone, soa,
        [&](const QSqlDatabase& db, qint64 row, QString* error) {
            QSqlQuery query =
                prepare(db, QStringLiteral("DELETE FROM records WHERE zone = ? AND id = ?"), error);
            query.bindValue(0, row);
            query.bindValue(1, idValue(record));
            return exec(query, error);
        });
}

StoreResult ZoneStore::replaceRecords(const QUuid& zone, const QList<DNSRecord>& records,
                                      const std::optional<SOARecord>& soa) {
    return recordChange(QStringLiteral("replacing the records of a zone"), zone, soa,
                        [&](const QSqlDatabase& db, qint64 row, QString* error) {
                            QSqlQuery clear = prepare(
                                db, QStringLiteral("DELETE FROM records WHERE zone = ?"), error);
                            clear.bindValue(0, row);
                            if (!exec(clear, error))
                                return false;
                            const StoreResult inserted = insertRecords(db, row, records);
                            if (!inserted)
                                *error = inserted.error;
                            return bool(inserted);
                        });
}

StoreResult ZoneStore::setSoa(const QUuid& zone, const std::optional<SOARecord>& soa) {
    return run(QStringLiteral("updating the SOA"), [&] {
        QString error;
        const QSqlDatabase db = database();
        const auto row = zoneRow(db, zone, &error);
        return row ? writeSoa(db, *row, soa) : StoreResult::failure(error);
    });
}

StoreResult ZoneStore::importZones(const QList<StoredZone>& zones,
                                   const QList<QList<DNSRecord>>& records, const QString& note) {
    return run(QStringLiteral("importing zones"), [&] {
        const QSqlDatabase db = database();
        for (qsizetype i = 0; i < zones.size(); ++i) {
            const StoreResult zone = insertZone(db, zones[i], records.value(i));
            if (!zone)
                return zone;
        }
        QString error;
        QSqlQuery query = prepare(
            db, QStringLiteral("INSERT OR REPLACE INTO store_notes (key, value) VALUES (?, ?)"),
            &error);
        query.bindValue(0, importNoteKey);
        query.bindValue(1, note);
        return exec(query, &error) ? StoreResult::success() : StoreResult::failure(error);
    });
}

std::optional<QString> ZoneStore::importNote(QString* error) {
    QString failure;
    QSqlQuery query = prepare(
        database(), QStringLiteral("SELECT value FROM store_notes WHERE key = ?"), &failure);
    query.bindValue(0, importNoteKey);
    if (!exec(query, &failure)) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return query.value(0).toString();
}

StoreResult ZoneStore::copyTo(const QString& path) {
    QString error;
    QSqlQuery query = prepare(database(), QStringLiteral("VACUUM INTO ?"), &error);
    query.bindValue(0, path);
    if (!exec(query, &error))
        return StoreResult::failure(QStringLiteral("copying the zone database: ") + error);
    return StoreResult::success();
}

} // namespace korvi
