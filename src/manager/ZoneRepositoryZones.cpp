// The zone repository's zone additions and removals. Each is one
// ChangeTransaction: the files first (the zone file checked and written, the
// configuration saved through its checked save), then the list and the
// store, then a running server told. When a step fails, the steps done are
// undone in reverse order, so that the zone is either wholly there (file,
// configuration, list, store, server) or not at all.

#include "manager/AppLog.h"
#include "manager/ChangeTransaction.h"
#include "manager/CheckedSaver.h"
#include "manager/PathComponents.h"
#include "manager/ServedChangeCheck.h"
#include "manager/ServerControl.h"
#include "manager/ZoneRepository.h"
#include "model/RecordValidator.h"
#include "model/ReplicationText.h"
#include "model/Serial.h"
#include "model/TextCleaning.h"
#include "platform/Console.h"

namespace korvi {

namespace {

QList<ZonePtr> without(const QList<ZonePtr>& zones, const ZonePtr& zone) {
    QList<ZonePtr> kept;
    kept.reserve(zones.size());
    for (const ZonePtr& candidate : zones) {
        if (candidate != zone)
            kept.append(candidate);
    }
    return kept;
}

// The transaction's message for the window: the failing step's reason, then
// any undo that failed too.
QString failureMessage(const ChangeTransaction& transaction, const QString& reason) {
    QString message = reason;
    for (const QString& failure : transaction.undoFailures())
        message += QStringLiteral("\nCould not undo ") + failure;
    return message;
}

} // namespace

ChangeId ZoneRepository::addZone(const ZonePtr& zone) {
    return enqueue(zone, true, [this, zone](ChangeId id) { runAddZone(id, zone); });
}

ChangeId ZoneRepository::removeZone(const ZonePtr& zone) {
    return enqueue(zone, true, [this, zone](ChangeId id) { runRemoveZone(id, zone); });
}

void ZoneRepository::saveConfigurationStep(const QList<ZonePtr>& zones, Completion done) {
    if (!m_configurationSave) {
        done(true, QString());
        return;
    }
    whenSaved(m_configurationSave(zones), std::move(done));
}

void ZoneRepository::restoreZoneFileEntry(const QString& zoneName,
                                          const std::optional<QString>& entry) {
    if (entry)
        m_configuration->setZoneFile(zoneName, *entry);
    else
        m_configuration->removeZoneFile(zoneName);
}

void ZoneRepository::reconfigureStep(Completion done) {
    if (!serverRunning()) {
        done(true, QString());
        return;
    }
    m_control->reconfigure(std::move(done));
}

void ZoneRepository::catalogStep(const QList<ZonePtr>& zones, Completion done) {
    if (!m_catalogUpdate) {
        done(true, QString());
        return;
    }
    QStringList names;
    for (const ZonePtr& zone : zones)
        names.append(zone->name());
    m_catalogUpdate(names, std::move(done));
}

void ZoneRepository::listZone(const ZonePtr& zone, Completion done) {
    // The new-zone form has already refused a name in use; a second zone of
    // the same name is appended all the same.
    m_zones.append(zone);
    Q_EMIT zonesChanged();
    consoleLine(QStringLiteral("✅ Zone added to memory. Total zones: ") +
                QString::number(m_zones.size()));
    consoleLine(QStringLiteral("🔍 All zones: ") + namesList(m_zones));
    storeZone(zone, std::move(done));
    consoleLine(QStringLiteral("💾 Zone handed to app storage"));
}

void ZoneRepository::unlistZone(const ZonePtr& zone, Completion done) {
    // A removed zone's collected changes go with it.
    dropStagedZone(zone->id());
    m_zones = without(m_zones, zone);
    Q_EMIT zonesChanged();
    // A namesake still listed keeps the zone's stored rows only if it is the
    // same zone, which the list no longer holds.
    unstoreZone(zone->id(), std::move(done));
}

void ZoneRepository::runAddZone(ChangeId id, const ZonePtr& zone) {
    const QString name = zone->name();
    consoleLine(QStringLiteral("🔄 DNSServerManager.addZone() called for: '") + name + u'\'');
    consoleLine(QStringLiteral("🔍 Current zones before add: ") + namesList(m_zones));
    if (!isValidDomainName(name)) {
        const QString refusal = QStringLiteral("❌ Invalid zone name: ") + name;
        log(refusal, LogLevel::info);
        consoleLine(refusal);
        finishChange(id, false, refusal);
        return;
    }
    consoleLine(QStringLiteral("✅ Zone name validation passed"));
    if (name.compare(ReplicationText::catalogZoneName(), Qt::CaseInsensitive) == 0) {
        const QString refusal = QStringLiteral("❌ ") + catalogNameRefusal();
        log(refusal, LogLevel::info);
        finishChange(id, false, catalogNameRefusal());
        return;
    }
    if (isListed(zone)) {
        const QString message =
            QStringLiteral("Zone '") + name + QStringLiteral("' is already in the zone list");
        log(QStringLiteral("❌ ") + message, LogLevel::error);
        finishChange(id, false, message);
        return;
    }
    QStringList errors;
    for (const DNSRecord& record : zone->records()) {
        const ValidationResult result = validateRecord(record);
        for (const QString& error : result.errors)
            errors.append((record.name.isEmpty() ? QStringLiteral("@") : record.name) + u' ' +
                          rawValue(record.type) + QStringLiteral(": ") + error);
    }
    if (!errors.isEmpty()) {
        log(QStringLiteral("Invalid records in new zone '") + name + QStringLiteral("':"),
            LogLevel::error);
        for (const QString& error : errors)
            log(QStringLiteral("  • ") + error, LogLevel::error);
        finishChange(id, false, errors.join(u'\n'));
        return;
    }
    // A zone file without an SOA is not a zone; the default one is made now,
    // as a record change would.
    if (!zone->soaRecord()) {
        const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
        zone->setSoaRecord(newZoneSOA(name, QString(), QString(), generateSerial(now)));
        log(QStringLiteral("Created default SOA record for zone '") + name + u'\'', LogLevel::info);
    }

    auto* transaction = new ChangeTransaction(QStringLiteral("add zone ") + name, this);
    // Whether the server read the configuration with the zone.
    auto told = std::make_shared<bool>(false);
    transaction->addStep(QStringLiteral("zone file"), zoneFileWrite(zone), zoneFileRemoval(zone));
    // The entry the zone's name had before (a namesake's), restored on undo.
    const std::optional<QString> previousEntry =
        m_configuration->zoneFiles().contains(name)
            ? std::optional(m_configuration->zoneFiles().value(name))
            : std::nullopt;
    transaction->addStep(
        QStringLiteral("configuration"),
        [this, zone, name, previousEntry](Completion done) {
            m_configuration->setZoneFile(name, lastPathComponent(zone->filePath()));
            // A save that failed leaves the table as it was.
            saveConfigurationStep(m_zones + QList<ZonePtr>{zone},
                                  [this, name, previousEntry, done](bool ok, const QString& why) {
                                      if (!ok)
                                          restoreZoneFileEntry(name, previousEntry);
                                      done(ok, why);
                                  });
        },
        [this, name, previousEntry, told](Completion done) {
            restoreZoneFileEntry(name, previousEntry);
            // A server that read the configuration with the zone reads it
            // again without.
            saveConfigurationStep(m_zones, [this, told, done](bool ok, const QString& why) {
                if (!ok || !*told)
                    return done(ok, why);
                reconfigureStep(done);
            });
        });
    transaction->addStep(
        QStringLiteral("zone list"),
        [this, zone](Completion done) { listZone(zone, std::move(done)); },
        [this, zone](Completion done) { unlistZone(zone, std::move(done)); });
    auto logMark = std::make_shared<qint64>(-1);
    transaction->addStep(QStringLiteral("server"), [this, told, logMark](Completion done) {
        *logMark = serverLogMark();
        reconfigureStep([told, done](bool ok, const QString& why) {
            *told = ok;
            done(ok, why);
        });
    });
    // The secondaries learn of the zone from the catalog.
    transaction->addStep(
        QStringLiteral("catalog"),
        [this](Completion done) { catalogStep(m_zones, std::move(done)); },
        [this, zone](Completion done) { catalogStep(without(m_zones, zone), std::move(done)); });
    addServedStep(transaction,
                  std::make_shared<ServedExpectation>(ServedExpectation::forZone(*zone)), logMark);
    // The history's snapshot: the files as they are before the addition.
    const std::shared_ptr<ChangeSnapshot> snapshot =
        beginSnapshot(zone, ChangeSnapshot::Kind::zoneAdded, true);
    connect(transaction, &ChangeTransaction::finished, this,
            [this, id, name, transaction, snapshot](bool applied, const QString& step,
                                                    const QString& reason) {
                transaction->deleteLater();
                if (applied) {
                    log(QStringLiteral("✅ Zone '") + name + QStringLiteral("' added successfully"),
                        LogLevel::info);
                    keepSnapshot(snapshot,
                                 QStringLiteral("Zone '") + name + QStringLiteral("' added"));
                    consoleLine(QStringLiteral("✅ Zone creation completed for: '") + name + u'\'');
                    finishChange(id, true, QString());
                    return;
                }
                log(QStringLiteral("❌ Zone '") + name + QStringLiteral("' was not added (") + step +
                        QStringLiteral("): ") + reason,
                    LogLevel::error);
                for (const QString& failure : transaction->undoFailures())
                    log(QStringLiteral("❌ Could not undo ") + failure, LogLevel::error);
                finishChange(id, false, failureMessage(*transaction, reason));
            });
    transaction->start();
}

void ZoneRepository::runRemoveZone(ChangeId id, const ZonePtr& zone) {
    const QString name = zone->name();
    if (!isListed(zone)) {
        const QString message =
            QStringLiteral("Zone '") + name + QStringLiteral("' is not in the zone list");
        log(QStringLiteral("❌ ") + message, LogLevel::error);
        finishChange(id, false, message);
        return;
    }
    auto* transaction = new ChangeTransaction(QStringLiteral("remove zone ") + name, this);
    const std::optional<QString> entry =
        m_configuration->zoneFiles().contains(name)
            ? std::optional(m_configuration->zoneFiles().value(name))
            : std::nullopt;
    // The configuration first: the file goes only once nothing names it.
    transaction->addStep(
        QStringLiteral("configuration"),
        [this, zone, name, entry](Completion done) {
            m_configuration->removeZoneFile(name);
            saveConfigurationStep(without(m_zones, zone),
                                  [this, name, entry, done](bool ok, const QString& why) {
                                      if (!ok)
                                          restoreZoneFileEntry(name, entry);
                                      done(ok, why);
                                  });
        },
        [this, name, entry](Completion done) {
            restoreZoneFileEntry(name, entry);
            saveConfigurationStep(m_zones, std::move(done));
        });
    auto logMark = std::make_shared<qint64>(-1);
    transaction->addStep(
        QStringLiteral("server"),
        [this, logMark](Completion done) {
            *logMark = serverLogMark();
            reconfigureStep(std::move(done));
        },
        [this](Completion done) { reconfigureStep(std::move(done)); });
    // The file goes only once the server has let the zone go.
    addServedStep(transaction,
                  std::make_shared<ServedExpectation>(ServedExpectation::forRemoval(name)),
                  logMark);
    // The secondaries drop their copies once the catalog no longer lists it.
    transaction->addStep(
        QStringLiteral("catalog"),
        [this, zone](Completion done) { catalogStep(without(m_zones, zone), std::move(done)); },
        [this](Completion done) { catalogStep(m_zones, std::move(done)); });
    transaction->addStep(QStringLiteral("zone file"), zoneFileRemoval(zone), zoneFileWrite(zone));
    transaction->addStep(QStringLiteral("zone list"),
                         [this, zone](Completion done) { unlistZone(zone, std::move(done)); });
    // The history's snapshot: the files as they are before the removal.
    const std::shared_ptr<ChangeSnapshot> snapshot =
        beginSnapshot(zone, ChangeSnapshot::Kind::zoneRemoved, true);
    connect(transaction, &ChangeTransaction::finished, this,
            [this, id, name, transaction, snapshot](bool applied, const QString& step,
                                                    const QString& reason) {
                transaction->deleteLater();
                if (applied) {
                    log(QStringLiteral("Zone '") + name + QStringLiteral("' removed successfully"),
                        LogLevel::info);
                    keepSnapshot(snapshot,
                                 QStringLiteral("Zone '") + name + QStringLiteral("' removed"));
                    finishChange(id, true, QString());
                    return;
                }
                log(QStringLiteral("❌ Zone '") + name + QStringLiteral("' was not removed (") +
                        step + QStringLiteral("): ") + reason,
                    LogLevel::error);
                for (const QString& failure : transaction->undoFailures())
                    log(QStringLiteral("❌ Could not undo ") + failure, LogLevel::error);
                finishChange(id, false, failureMessage(*transaction, reason));
            });
    transaction->start();
}

std::function<void(ZoneRepository::Completion)> ZoneRepository::zoneFileWrite(const ZonePtr& zone) {
    return [this, zone](Completion done) {
        if (!m_saver)
            return done(false, QStringLiteral("Korvi's file saving has stopped"));
        whenSaved(m_saver->saveZoneFile(zone), std::move(done));
    };
}

std::function<void(ZoneRepository::Completion)>
ZoneRepository::zoneFileRemoval(const ZonePtr& zone) {
    return [this, zone](Completion done) {
        if (!m_saver)
            return done(false, QStringLiteral("Korvi's file saving has stopped"));
        whenSaved(m_saver->removeZoneFile(zone), std::move(done));
    };
}

} // namespace korvi
