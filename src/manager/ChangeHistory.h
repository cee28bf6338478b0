#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>
#include <optional>

#include "storage/ChangeSnapshot.h"
#include "storage/ZoneDatabase.h"

namespace korvi {

class PreferencesStore;

// The history of applied changes: each one's snapshot (the files it replaced,
// before and after) kept in the zone database's change_history table and the
// data folder's history/, at most a bound of them per zone (older ones go,
// rows and files). The repository hands a snapshot over only once its change
// is applied; the texts are written on the database's worker thread. Without
// a database (no data folder) the history lives for the session only.
class ChangeHistory : public QObject {
    Q_OBJECT

public:
    // How many snapshots a zone keeps: read again for each snapshot, so a
    // changed preference counts from the next change on.
    using Bound = std::function<int()>;
    using Clock = std::function<QDateTime()>;
    using TextsCompletion =
        std::function<void(const std::optional<ChangeSnapshot>& snapshot, const QString& error)>;

    static constexpr int defaultPerZone = 50;
    static QString perZoneKey() { return QStringLiteral("HistoryPerZone"); }
    // The preference's number, or the default when it is missing or not a
    // positive number.
    static int perZoneFrom(const PreferencesStore& preferences);

    // database may be null. configurationPath: the configuration
    // file zone additions and removals change (named.conf, or Korvi's
    // include on a distribution's BIND).
    ChangeHistory(ZoneDatabase* database, QString configurationPath, Bound perZone,
                  QObject* parent = nullptr);

    const QString& configurationPath() const { return m_configurationPath; }
    // The time snapshots are stamped with: now, unless replaced.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Keeps the snapshot of a change that was applied; its time is set now.
    void record(ChangeSnapshot snapshot);
    // Asks for the index (done by itself once the database has opened).
    void load();
    // Newest first, without texts.
    const QList<ChangeSnapshot>& entries() const { return m_entries; }
    // The snapshot with its texts; the completion runs from the event loop.
    void loadTexts(qint64 id, TextsCompletion completion);
    // A snapshot handed over and not yet stored, or the index being read
    // again after one.
    bool hasPendingWrites() const { return !m_pendingWrites.isEmpty() || m_listPending; }

Q_SIGNALS:
    // The index changed (a snapshot kept, old ones dropped, the index read).
    void entriesChanged();

private:
    void keepInMemory(ChangeSnapshot snapshot, int bound);

    QPointer<ZoneDatabase> m_database;
    QString m_configurationPath;
    Bound m_perZone;
    Clock m_clock;
    QList<ChangeSnapshot> m_entries;
    // Session-only snapshots (no database), texts and all.
    QList<ChangeSnapshot> m_memory;
    qint64 m_lastMemoryId = 0;
    QSet<ZoneDatabase::RequestId> m_pendingWrites;
    ZoneDatabase::RequestId m_listRequest = 0;
    bool m_listPending = false;
    QHash<ZoneDatabase::RequestId, TextsCompletion> m_textWaiters;
};

} // namespace korvi
