#pragma once

#include <QString>

#include "storage/StoredZone.h"

namespace korvi::storefiles {

// File work around the zone database: a database is its file plus the
// "-wal" and "-shm" files SQLite keeps beside it, and they always move
// together, since a log applied to another database file would damage it.

void removeDatabaseFiles(const QString& path);

// Syncs `from` to the disk and renames it over `to`, then syncs the folder,
// so that `to` is either the old file or the whole new one.
StoreResult replaceFile(const QString& from, const QString& to);

// Copies a closed database file (without its log) to `to` through a
// temporary file and replaceFile().
StoreResult copyFile(const QString& from, const QString& to);

// Renames the database and its companions to `<path>.damaged-<time>` and
// returns the new name of the main file (empty when it could not be moved).
QString moveAside(const QString& path);

} // namespace korvi::storefiles
