#include "storage/StoreSchema.h"

namespace korvi::storeschema {

const QList<QStringList>& migrations() {
    static const QList<QStringList> steps = {
        // 1: zones, their SOA and their records, each a row; a note of the
        // one-time import from the preferences.
        {
            QStringLiteral("CREATE TABLE zones ("
                           " row INTEGER PRIMARY KEY,"
                           " id BLOB NOT NULL UNIQUE,"
                           " position INTEGER NOT NULL,"
                           " name TEXT NOT NULL,"
                           " file_path TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX zones_by_position ON zones(position)"),
            QStringLiteral("CREATE TABLE soa_records ("
                           " zone INTEGER PRIMARY KEY REFERENCES zones(row) ON DELETE CASCADE,"
                           " primary_name_server TEXT NOT NULL,"
                           " admin_email TEXT NOT NULL,"
                           " serial INTEGER NOT NULL,"
                           " refresh INTEGER NOT NULL,"
                           " retry INTEGER NOT NULL,"
                           " expire INTEGER NOT NULL,"
                           " minimum INTEGER NOT NULL,"
                           " ttl INTEGER)"),
            // Record ids are not unique: data kept by older versions may hold
            // one id twice, and both copies are kept.
            QStringLiteral("CREATE TABLE records ("
                           " row INTEGER PRIMARY KEY,"
                           " zone INTEGER NOT NULL REFERENCES zones(row) ON DELETE CASCADE,"
                           " position INTEGER NOT NULL,"
                           " id BLOB NOT NULL,"
                           " name TEXT NOT NULL,"
                           " type TEXT NOT NULL,"
                           " value TEXT NOT NULL,"
                           " ttl INTEGER NOT NULL,"
                           " priority INTEGER, weight INTEGER, port INTEGER, flag INTEGER,"
                           " tag TEXT, algorithm INTEGER, digest_type INTEGER,"
                           " usage INTEGER, selector INTEGER,"
                           // The type name of a record kept as read, not edited.
                           " kept_type TEXT NOT NULL DEFAULT '')"),
            QStringLiteral("CREATE INDEX records_by_zone ON records(zone, position)"),
            QStringLiteral("CREATE INDEX records_by_id ON records(zone, id, position)"),
            QStringLiteral("CREATE TABLE store_notes (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        },
        // 2: the change history's index; the texts themselves are files in
        // the data folder's history/, named in `files` (a JSON list).
        {
            QStringLiteral("CREATE TABLE change_history ("
                           " id INTEGER PRIMARY KEY,"
                           " time INTEGER NOT NULL," // milliseconds since 1970, UTC
                           " zone_id BLOB NOT NULL,"
                           " zone_name TEXT NOT NULL,"
                           " kind TEXT NOT NULL,"
                           " summary TEXT NOT NULL,"
                           " files TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX change_history_by_zone ON change_history(zone_id, id)"),
        },
        // 3: the application log's lines of every Korvi program on this data
        // folder (the window and korvictl), so that each shows the other's.
        // writer names the process that wrote the line.
        {
            QStringLiteral("CREATE TABLE app_log ("
                           " id INTEGER PRIMARY KEY,"
                           " time INTEGER NOT NULL," // milliseconds since 1970, UTC
                           " writer TEXT NOT NULL,"
                           " line TEXT NOT NULL)"),
        },
    };
    return steps;
}

int latestVersion() {
    return int(migrations().size());
}

} // namespace korvi::storeschema
