#include "manager/ChangeHistory.h"

#include <QMetaObject>

#include "platform/PreferencesStore.h"

namespace korvi {

int ChangeHistory::perZoneFrom(const PreferencesStore& preferences) {
    const std::optional<QByteArray> stored = preferences.data(perZoneKey());
    if (!stored)
        return defaultPerZone;
    bool number = false;
    const int value = stored->trimmed().toInt(&number);
    return number && value > 0 ? value : defaultPerZone;
}

ChangeHistory::ChangeHistory(ZoneDatabase* database, QString configurationPath, Bound perZone,
                             QObject* parent)
    : QObject(parent), m_database(database), m_configurationPath(std::move(configurationPath)),
      m_perZone(std::move(perZone)) {
    if (!database)
        return;
    connect(database, &ZoneDatabase::opened, this, &ChangeHistory::load);
    connect(database, &ZoneDatabase::written, this, [this](ZoneDatabase::RequestId request) {
        if (m_pendingWrites.remove(request))
            load();
    });
    connect(database, &ZoneDatabase::writeFailed, this,
            [this](ZoneDatabase::RequestId request, const QString&) {
                // Every failed request is logged where the zone database's
                // requests are (the zone repository); the index is read again.
                if (m_pendingWrites.remove(request))
                    load();
            });
    connect(database, &ZoneDatabase::snapshotsLoaded, this,
            [this](ZoneDatabase::RequestId request, const QList<ChangeSnapshot>& snapshots) {
                if (request != m_listRequest)
                    return;
                m_listPending = false;
                m_entries = snapshots;
                Q_EMIT entriesChanged();
            });
    connect(database, &ZoneDatabase::snapshotLoaded, this,
            [this](ZoneDatabase::RequestId request, const ChangeSnapshot& snapshot) {
                if (const TextsCompletion done = m_textWaiters.take(request))
                    done(snapshot, QString());
            });
    connect(database, &ZoneDatabase::loadFailed, this,
            [this](ZoneDatabase::RequestId request, const QString& message) {
                if (const TextsCompletion done = m_textWaiters.take(request))
                    done(std::nullopt, message);
                else if (request == m_listRequest)
                    m_listPending = false;
            });
}

void ChangeHistory::record(ChangeSnapshot snapshot) {
    snapshot.id = 0;
    snapshot.time = (m_clock ? m_clock() : QDateTime::currentDateTime()).toUTC();
    const int bound = m_perZone ? qMax(m_perZone(), 1) : defaultPerZone;
    if (!m_database) {
        keepInMemory(std::move(snapshot), bound);
        return;
    }
    m_pendingWrites.insert(m_database->addSnapshot(snapshot, bound));
}

void ChangeHistory::keepInMemory(ChangeSnapshot snapshot, int bound) {
    snapshot.id = ++m_lastMemoryId;
    snapshot.textsLoaded = true;
    m_memory.prepend(snapshot);
    int kept = 0;
    m_memory.removeIf([&](const ChangeSnapshot& entry) {
        return entry.zoneId == snapshot.zoneId && ++kept > bound;
    });
    m_entries = m_memory;
    for (ChangeSnapshot& entry : m_entries) {
        for (SnapshotFile& file : entry.files) {
            file.before.reset();
            file.after.reset();
        }
        entry.textsLoaded = false;
    }
    Q_EMIT entriesChanged();
}

void ChangeHistory::load() {
    if (!m_database)
        return;
    m_listRequest = m_database->loadSnapshots();
    m_listPending = true;
}

void ChangeHistory::loadTexts(qint64 id, TextsCompletion completion) {
    if (m_database) {
        m_textWaiters.insert(m_database->loadSnapshot(id), std::move(completion));
        return;
    }
    std::optional<ChangeSnapshot> found;
    for (const ChangeSnapshot& entry : std::as_const(m_memory)) {
        if (entry.id == id)
            found = entry;
    }
    QMetaObject::invokeMethod(
        this,
        [found, completion] {
            completion(found, found ? QString()
                                    : QStringLiteral("The snapshot cannot be read: it is no "
                                                     "longer kept"));
        },
        Qt::QueuedConnection);
}

} // namespace korvi
