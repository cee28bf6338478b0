#include "manager/HistoryRestore.h"

#include <QLocale>
#include <QMetaObject>

#include "manager/AppLog.h"
#include "manager/ChangeHistory.h"
#include "manager/ZoneRepository.h"
#include "model/Serial.h"
#include "model/ZoneFileReader.h"

namespace korvi {

namespace {

ZonePtr listedZone(const ZoneRepository& repository, const ChangeSnapshot& snapshot) {
    for (const ZonePtr& zone : repository.zones()) {
        if (zone->id() == snapshot.zoneId)
            return zone;
    }
    return nullptr;
}

bool nameListed(const ZoneRepository& repository, const QString& name) {
    for (const ZonePtr& zone : repository.zones()) {
        if (zone->name() == name)
            return true;
    }
    return false;
}

QString timeText(const QDateTime& time) {
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

HistoryRestore::HistoryRestore(ChangeHistory* history, ZoneRepository* repository, AppLog* log,
                               QObject* parent)
    : QObject(parent), m_history(history), m_repository(repository), m_log(log) {
    if (repository)
        connect(repository, &ZoneRepository::changeFinished, this,
                [this](ChangeId change, bool applied, const QString& message) {
                    const auto found = m_waiting.find(change);
                    if (found == m_waiting.end())
                        return;
                    const RestoreId id = found.value();
                    m_waiting.erase(found);
                    // The repository has logged the change's outcome.
                    finish(id, applied, message, false);
                });
}

HistoryRestore::Action HistoryRestore::actionFor(const ChangeSnapshot& snapshot) const {
    if (!m_repository || !m_history)
        return Action::unavailable;
    const bool listed = bool(listedZone(*m_repository, snapshot));
    switch (snapshot.kind) {
    case ChangeSnapshot::Kind::content:
        return listed ? Action::putBackContent : Action::unavailable;
    case ChangeSnapshot::Kind::zoneAdded:
        return listed ? Action::removeZone : Action::unavailable;
    case ChangeSnapshot::Kind::zoneRemoved:
        return nameListed(*m_repository, snapshot.zoneName) ? Action::unavailable
                                                            : Action::addZoneAgain;
    }
    return Action::unavailable;
}

QString HistoryRestore::confirmation(const ChangeSnapshot& snapshot) const {
    const QString zone = u'\'' + snapshot.zoneName + u'\'';
    switch (actionFor(snapshot)) {
    case Action::putBackContent:
        return QStringLiteral("Put zone %1 back as it was before this change of %2? Its records "
                              "and SOA are replaced, the serial moves on, and the server "
                              "reloads the zone.")
            .arg(zone, timeText(snapshot.time));
    case Action::addZoneAgain:
        return QStringLiteral("Add zone %1 again with the records it had when it was removed? "
                              "The serial moves on past the one it had.")
            .arg(zone);
    case Action::removeZone:
        return QStringLiteral("Zone %1 was added by this change. Restoring means removing it "
                              "again, with its file and all its records. Remove zone %1?")
            .arg(zone);
    case Action::unavailable:
        break;
    }
    if (snapshot.kind == ChangeSnapshot::Kind::zoneRemoved)
        return QStringLiteral("A zone named %1 is in the zone list again; remove it first to "
                              "restore this one.")
            .arg(zone);
    return QStringLiteral("Zone %1 is no longer in the zone list; there is nothing to restore.")
        .arg(zone);
}

HistoryRestore::RestoreId HistoryRestore::restore(const ChangeSnapshot& snapshot) {
    const RestoreId id = ++m_lastId;
    if (!m_history || !m_repository) {
        finish(id, false, QStringLiteral("The change history is not available"));
        return id;
    }
    if (actionFor(snapshot) == Action::unavailable) {
        finish(id, false, confirmation(snapshot));
        return id;
    }
    m_history->loadTexts(
        snapshot.id, [this, id](const std::optional<ChangeSnapshot>& loaded, const QString& error) {
            if (!loaded)
                finish(id, false, error);
            else
                run(id, *loaded);
        });
    return id;
}

void HistoryRestore::run(RestoreId id, const ChangeSnapshot& snapshot) {
    if (!m_repository)
        return finish(id, false, QStringLiteral("The change history is not available"));
    const Action action = actionFor(snapshot);
    if (action == Action::unavailable)
        return finish(id, false, confirmation(snapshot));
    if (action == Action::removeZone) {
        m_waiting.insert(m_repository->removeZone(listedZone(*m_repository, snapshot)), id);
        return;
    }
    // The zone's file as it was before the change, read as Korvi reads any
    // zone file.
    const SnapshotFile* file = snapshot.file(ChangeSnapshot::zoneRole());
    if (!file || !file->before)
        return finish(id, false,
                      QStringLiteral("The snapshot holds no earlier text of the zone's file; "
                                     "nothing was changed"));
    const std::optional<ZoneFileContent> content = ZoneFileReader::read(*file->before);
    if (!content || !content->soa)
        return finish(id, false,
                      QStringLiteral("The zone's earlier file cannot be read back (no SOA "
                                     "found); nothing was changed"));
    if (action == Action::putBackContent) {
        const QString description =
            QStringLiteral("the state before the change of ") + timeText(snapshot.time);
        m_waiting.insert(m_repository->restoreZoneContent(listedZone(*m_repository, snapshot),
                                                          content->records, content->soa,
                                                          description),
                         id);
        return;
    }
    // A removed zone comes back with its id, file, records and SOA; the
    // serial moves on past the one it was last served with.
    auto zone = ZonePtr::create(snapshot.zoneId, snapshot.zoneName, file->path, 0);
    zone->setName(snapshot.zoneName);
    zone->setRecords(content->records);
    SOARecord soa = *content->soa;
    soa.serial = nextSerial(soa.serial);
    zone->setSoaRecord(soa);
    m_waiting.insert(m_repository->addZone(zone), id);
}

void HistoryRestore::finish(RestoreId id, bool applied, const QString& message, bool logged) {
    if (!applied && logged && m_log)
        m_log->add(QStringLiteral("❌ The restore was not done: ") + message, LogLevel::error);
    QMetaObject::invokeMethod(
        this, [this, id, applied, message] { Q_EMIT restoreFinished(id, applied, message); },
        Qt::QueuedConnection);
}

} // namespace korvi
