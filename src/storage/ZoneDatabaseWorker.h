#pragma once

#include <QString>

#include "storage/ZoneDatabase.h"
#include "storage/ZoneStore.h"

namespace korvi {

// The zone database's side of the worker thread: opening with its checks,
// the fall-back to the last good copy, the import from the preferences, and
// the store every request runs on. Created by ZoneDatabase, used only on its
// worker thread.
class ZoneDatabaseWorker {
public:
    explicit ZoneDatabaseWorker(ZoneDatabaseSettings settings);

    // Ends with the store open and checked, or with an error (then
    // *failure is set and the store stays closed).
    ZoneDatabaseOpening open(QString* failure);
    // Replaces the last good copy with a copy of the open database.
    StoreResult keepGoodCopy();

    ZoneStore& store() { return m_store; }
    QString databasePath() const;
    QString goodCopyPath() const;
    // The data folder the database lives in.
    const QString& directory() const { return m_settings.directory; }

private:
    bool openChecked(const QString& path, QString* damage);
    void recover(ZoneDatabaseOpening& opening, const QString& damage);
    void importFromPreferences(ZoneDatabaseOpening& opening);

    ZoneDatabaseSettings m_settings;
    ZoneStore m_store;
};

} // namespace korvi
