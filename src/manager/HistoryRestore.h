#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include "manager/ChangeId.h"
#include "storage/ChangeSnapshot.h"

namespace korvi {

class AppLog;
class ChangeHistory;
class ZoneRepository;

// Puts a zone back as it was before a change in the history, through the
// repository's checked and served path (so a restore is itself a change: it
// is checked, written, reloaded and seen served, or rolled back, and leaves
// its own snapshot). The zone file's earlier text is read back with Korvi's
// zone-file reader; the serial is never the old one but moves on past the
// zone's current one, so that secondaries take the restored zone.
//
// What restoring means depends on the change: a record or SOA change puts
// the records and SOA back; a removed zone is added again with its records;
// an added zone is removed again (the confirmation says so).
class HistoryRestore : public QObject {
    Q_OBJECT

public:
    using RestoreId = quint64;
    enum class Action { putBackContent, addZoneAgain, removeZone, unavailable };

    HistoryRestore(ChangeHistory* history, ZoneRepository* repository, AppLog* log,
                   QObject* parent = nullptr);

    // What restoring this snapshot would do with the zones as they are now.
    Action actionFor(const ChangeSnapshot& snapshot) const;
    // The question the confirmation asks, in Korvi's words; for an
    // unavailable restore, why it cannot be done.
    QString confirmation(const ChangeSnapshot& snapshot) const;

    // Starts the restore; it ends with one restoreFinished() carrying the
    // id, never before this call has returned.
    RestoreId restore(const ChangeSnapshot& snapshot);

Q_SIGNALS:
    // applied: the zone is back and served; otherwise message says why (the
    // change's own message when it was refused or rolled back).
    void restoreFinished(korvi::HistoryRestore::RestoreId id, bool applied, const QString& message);

private:
    void run(RestoreId id, const ChangeSnapshot& snapshot);
    // logged: a refusal is logged here (the repository logs its changes).
    void finish(RestoreId id, bool applied, const QString& message, bool logged = true);

    QPointer<ChangeHistory> m_history;
    QPointer<ZoneRepository> m_repository;
    QPointer<AppLog> m_log;
    RestoreId m_lastId = 0;
    // The repository's change each running restore waits for.
    QHash<ChangeId, RestoreId> m_waiting;
};

} // namespace korvi
