#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "storage/ChangeSnapshot.h"
#include "storage/StoredZone.h"

namespace korvi {

class ZoneStore;

// The change history on the zone database's worker thread: the index rows in
// the change_history table (on the zone store's connection) and the texts in
// files of their own under the data folder's history/. Used only on the
// thread that owns the store.
class SnapshotStore {
public:
    SnapshotStore(ZoneStore& store, QString dataDirectory);

    static QString folderName() { return QStringLiteral("history"); }
    QString folder() const;

    // Writes the snapshot's texts, then its row; then the zone's oldest
    // snapshots beyond keepPerZone go, rows and files. On success
    // snapshot->id is the new row's. A row that cannot be written leaves no
    // files behind.
    StoreResult add(ChangeSnapshot* snapshot, int keepPerZone);
    // The index, newest first, without the texts.
    std::optional<QList<ChangeSnapshot>> list(QString* error);
    // One snapshot with its texts read back from their files.
    std::optional<ChangeSnapshot> withTexts(qint64 id, QString* error);

private:
    StoreResult prune(const ChangeSnapshot& added, int keepPerZone);

    ZoneStore& m_store;
    QString m_dataDirectory;
};

} // namespace korvi
