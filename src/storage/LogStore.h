#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "storage/StoredZone.h"

namespace korvi {

class ZoneStore;

// One line of the application log as the store keeps it.
struct StoredLogLine {
    qint64 id = 0;
    QString writer; // the Korvi program that wrote it ("korvictl 1234")
    QString line;
};

// The application log's lines in the app_log table, on the zone store's
// connection and thread (like SnapshotStore). The newest keptLines lines are
// kept; older ones go as new ones come.
class LogStore {
public:
    static constexpr int keptLines = 2000;

    explicit LogStore(ZoneStore& store);

    // The lines in one transaction, in order.
    StoreResult append(const QString& writer, const QStringList& lines);
    // The lines after the one with id afterId, oldest first, at most limit of
    // them; a negative afterId gives the newest limit lines.
    std::optional<QList<StoredLogLine>> after(qint64 afterId, int limit, QString* error);
    // SQLite's data_version: it changes when another connection (another
    // Korvi program) has committed anything since the last reading.
    std::optional<qint64> dataVersion(QString* error);

private:
    ZoneStore& m_store;
};

} // namespace korvi
