#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace korvi::storeschema {

// The zone database's schema as a list of migrations: migration i (from 0)
// takes a file from schema version i to version i + 1. The version lives in
// SQLite's user_version. New kinds of data are added by appending a
// migration, never by changing one that has shipped.
const QList<QStringList>& migrations();

int latestVersion();

} // namespace korvi::storeschema
