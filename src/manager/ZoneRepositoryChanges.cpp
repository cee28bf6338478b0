// The zone repository's checked changes: the queue that runs the changes of
// one zone one after another, and the record and SOA changes. A change is
// made on a candidate copy of the zone first (same id, name and file, the
// changed records and the advanced SOA); only once the checked save has
// written the candidate's text does the change reach the zone itself, the
// database and the log's success line.

#include <QMetaObject>
#include <QSet>

#include "manager/AppLog.h"
#include "manager/ChangeTransaction.h"
#include "manager/CheckedSaver.h"
#include "manager/ServedChangeCheck.h"
#include "manager/ServerControl.h"
#include "manager/WriterLock.h"
#include "manager/ZoneRepository.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"

namespace korvi {

namespace {

// How log lines name a record: its name, or "@" for the zone's apex.
QString displayName(const DNSRecord& record) {
    return record.name.isEmpty() ? QStringLiteral("@") : record.name;
}

// "A record 'www'" as the start of the success lines.
QString recordPhrase(const DNSRecord& record) {
    return rawValue(record.type) + QStringLiteral(" record '") + displayName(record) + u'\'';
}

// The zone's records with these ids, in the zone's order.
QList<DNSRecord> recordsWithIds(const DNSZone& zone, const QList<QUuid>& ids) {
    QList<DNSRecord> found;
    if (ids.isEmpty())
        return found;
    const QSet<QUuid> wanted(ids.cbegin(), ids.cend());
    for (const DNSRecord& record : zone.records()) {
        if (wanted.contains(record.id))
            found.append(record);
    }
    return found;
}

} // namespace

// What differs between the record changes: the change itself, the line that
// opens a refusal (none: not validated), and the outcome lines.
struct ZoneRepository::RecordChange {
    DNSRecord record;
    // The records the change touches, whose sets the server must serve.
    QList<QUuid> ids;
    // "A record 'www'", "3 records": how the lines name what changes.
    QString phrase;
    std::function<void(DNSZone&)> apply;
    // Hands the change, with the zone as it now is, to the zone database.
    std::function<RequestId(ZoneDatabase&, const DNSZone&)> store;
    // The SOA's fields as they become (an SOA change); the serial is
    // advanced all the same.
    std::optional<SOARecord> soa;
    // Checks the change before anything is written: the messages, one per
    // fault; empty when it may go ahead.
    std::function<QStringList()> validate;
    QString refusalPrefix;
    QString successSuffix; // " added to zone '"
    QString successPrefix;
    LogLevel successLevel = LogLevel::success;
    // An addition, update or deletion of records: announced with
    // recordsApplied() once it reaches the zone.
    bool reportsRecords = false;
    // A serial the new one must also pass (the file's, when Korvi's version
    // replaces a file edited elsewhere); 0: none.
    qint64 serialFloor = 0;
};

bool ZoneRepository::isListed(const ZonePtr& zone) const {
    return zone && m_zones.contains(zone);
}

bool ZoneRepository::serverRunning() const {
    return m_control && m_control->status() == ServerStatus::running;
}

void ZoneRepository::reloadServerZone(const QString& zoneName) {
    // The control logs the outcome; a failed reload leaves the change
    // applied (the file holds it; the server serves the old version until
    // its next reload).
    if (serverRunning())
        m_control->reloadZone(zoneName, [](bool, const QString&) {});
}

void ZoneRepository::whenSaved(SaveId id, Completion completion) {
    if (!m_saver || id == 0) {
        // Reported from the event loop, like every other end of a save.
        QMetaObject::invokeMethod(
            this,
            [completion] {
                completion(false, QStringLiteral("Korvi's file saving has stopped; the file was "
                                                 "not written"));
            },
            Qt::QueuedConnection);
        return;
    }
    m_saveWaiters.insert(id, std::move(completion));
}

ChangeId ZoneRepository::enqueue(const ZonePtr& zone, bool changesList,
                                 std::function<void(ChangeId)> start) {
    const ChangeId id = ++m_lastChange;
    if (!zone) {
        QMetaObject::invokeMethod(
            this,
            [this, id] { Q_EMIT changeFinished(id, false, QStringLiteral("No zone was given")); },
            Qt::QueuedConnection);
        return id;
    }
    QList<PendingChange>& queue = m_queues[zone->id()];
    queue.append({id, changesList, false, std::move(start)});
    if (queue.size() == 1)
        startNext(zone->id());
    return id;
}

void ZoneRepository::startNext(const QUuid& zone) {
    const auto found = m_queues.find(zone);
    if (found == m_queues.end() || found->isEmpty())
        return;
    PendingChange& head = found->first();
    if (head.started)
        return;
    // Another Korvi program (korvictl) may be changing zones: the change
    // waits for the shared lock, tried from a timer, never blocking.
    // A free lock is taken at once, so the change starts within the call.
    if (m_writerLock && !m_writerLock->tryAcquireNow()) {
        m_writerLock->acquire(WriterLock::waitFromEnvironment());
        return;
    }
    if (head.changesList) {
        // Zone additions and removals save the configuration with the whole
        // list: one at a time, so that none saves a list another is changing.
        if (m_listChangeRunning) {
            if (!m_listQueue.contains(zone))
                m_listQueue.append(zone);
            return;
        }
        m_listChangeRunning = true;
    }
    head.started = true;
    // The start function may finish the change at once; it is copied out
    // first, as finishing takes the entry out of the queue.
    const std::function<void(ChangeId)> start = head.start;
    start(head.id);
}

void ZoneRepository::finishChange(ChangeId id, bool applied, const QString& message) {
    QUuid zone;
    bool found = false;
    for (auto it = m_queues.begin(); it != m_queues.end(); ++it) {
        if (!it->isEmpty() && it->first().id == id) {
            zone = it.key();
            if (it->first().changesList)
                m_listChangeRunning = false;
            it->removeFirst();
            if (it->isEmpty())
                m_queues.erase(it);
            found = true;
            break;
        }
    }
    if (!found)
        return;
    // Announced from the event loop, so never before the call that asked for
    // the change has returned; the next changes start after it.
    QMetaObject::invokeMethod(
        this,
        [this, id, applied, message, zone] {
            Q_EMIT changeFinished(id, applied, message);
            startNext(zone);
            if (!m_listChangeRunning && !m_listQueue.isEmpty())
                startNext(m_listQueue.takeFirst());
            releaseWriterLockWhenIdle();
        },
        Qt::QueuedConnection);
}

void ZoneRepository::setWriterLock(WriterLock* lock) {
    if (m_writerLock)
        disconnect(m_writerLock, nullptr, this, nullptr);
    m_writerLock = lock;
    if (!lock)
        return;
    connect(lock, &WriterLock::acquired, this, &ZoneRepository::writerLockAcquired);
    connect(lock, &WriterLock::timedOut, this, &ZoneRepository::writerLockTimedOut);
}

void ZoneRepository::writerLockAcquired() {
    const QList<QUuid> zones = m_queues.keys();
    for (const QUuid& zone : zones)
        startNext(zone);
    releaseWriterLockWhenIdle();
}

void ZoneRepository::writerLockTimedOut(const QString& holder) {
    const QString message =
        QStringLiteral("Another Korvi program (korvictl%1) is changing zones; nothing was "
                       "changed, try again in a moment")
            .arg(holder.isEmpty() ? QString() : QStringLiteral(", ") + holder);
    log(QStringLiteral("🔒 ") + message, LogLevel::warning);
    QList<ChangeId> waiting;
    for (const QList<PendingChange>& queue : std::as_const(m_queues)) {
        if (!queue.isEmpty() && !queue.first().started)
            waiting.append(queue.first().id);
    }
    // Refused in turn; the next change of each zone tries for the lock again.
    for (ChangeId id : waiting) {
        for (auto it = m_queues.begin(); it != m_queues.end(); ++it) {
            if (!it->isEmpty() && it->first().id == id) {
                it->first().started = true;
                if (it->first().changesList)
                    m_listChangeRunning = true;
                break;
            }
        }
        finishChange(id, false, message);
    }
}

void ZoneRepository::releaseWriterLockWhenIdle() {
    if (m_writerLock && m_writerLock->isHeld() && m_queues.isEmpty() && !m_applyingStaged)
        m_writerLock->release();
}

SOARecord ZoneRepository::advancedSoa(const ZonePtr& zone, qint64* previousSerial) const {
    // One reading of the clock for both steps, so that a default SOA made
    // just before midnight is advanced on the same day it was made.
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const SOARecord current =
        zone->soaRecord() ? *zone->soaRecord()
                          : newZoneSOA(zone->name(), QString(), QString(), generateSerial(now));
    if (previousSerial)
        *previousSerial = current.serial;
    SOARecord next = current;
    next.serial = nextSerial(current.serial, now);
    return next;
}

void ZoneRepository::setAdvancedSoa(const ZonePtr& zone, const SOARecord& soa,
                                    qint64 previousSerial) {
    if (!zone->soaRecord())
        log(QStringLiteral("Created default SOA record for zone '") + zone->name() + u'\'',
            LogLevel::info);
    zone->setSoaRecord(soa);
    log(QStringLiteral("Incremented SOA serial for zone '") + zone->name() + QStringLiteral("': ") +
            QString::number(previousSerial) + QStringLiteral(" → ") + QString::number(soa.serial),
        LogLevel::debug);
}

void ZoneRepository::advanceSerial(const ZonePtr& zone) {
    qint64 previous = 0;
    const SOARecord soa = advancedSoa(zone, &previous);
    setAdvancedSoa(zone, soa, previous);
}

void ZoneRepository::runRecordChange(ChangeId id, const RecordChange& change, const ZonePtr& zone) {
    const DNSRecord& record = change.record;
    const auto refuse = [&](const QString& message) { finishChange(id, false, message); };
    if (!isListed(zone)) {
        const QString message = QStringLiteral("Zone '") + zone->name() +
                                QStringLiteral("' is not in the zone list; nothing was changed");
        log(QStringLiteral("❌ ") + message, LogLevel::error);
        refuse(message);
        return;
    }
    if (!zone->recordsLoaded()) {
        // Changing a zone whose stored records are not in yet would write a
        // zone file without them.
        const QString message =
            QStringLiteral("⏳ The records of zone '") + zone->name() +
            QStringLiteral("' are still loading; nothing was changed, try again in a moment");
        log(message, LogLevel::warning);
        refuse(message);
        return;
    }
    if (!change.refusalPrefix.isEmpty() && record.isKept()) {
        // Types Korvi does not edit are kept as the file has them.
        const QString message = QStringLiteral("❌ ") + record.keptType +
                                QStringLiteral(" record '") + displayName(record) +
                                QStringLiteral("' is kept as its zone file has it and is not "
                                               "edited in Korvi");
        log(message, LogLevel::error);
        refuse(message);
        return;
    }
    if (change.validate) {
        const QStringList errors = change.validate();
        if (!errors.isEmpty()) {
            log(change.refusalPrefix, LogLevel::error);
            for (const QString& message : errors)
                log(QStringLiteral("  • ") + message, LogLevel::error);
            refuse(errors.join(u'\n'));
            return;
        }
    }
    // Batch mode: checked, then only collected (ZoneRepositoryBatch.cpp).
    if (m_batchMode) {
        const bool collects = !m_applyingStaged;
        const QList<DNSRecord> before =
            change.reportsRecords ? recordsWithIds(*zone, change.ids) : QList<DNSRecord>();
        stageRecordChange(id, zone, change.apply, change.soa, change.ids,
                          change.successPrefix + change.phrase + change.successSuffix +
                              zone->name() + u'\'');
        if (change.reportsRecords && collects)
            Q_EMIT recordsApplied(id, zone, before, recordsWithIds(*zone, change.ids));
        return;
    }
    // The candidate: the zone as it would be with the change.
    auto candidate = ZonePtr::create(zone->id(), zone->name(), zone->filePath(), 0);
    candidate->setName(zone->name());
    candidate->setRecords(zone->records());
    change.apply(*candidate);
    qint64 previousSerial = 0;
    SOARecord soa = advancedSoa(zone, &previousSerial);
    if (change.serialFloor != 0 && !isSerialAfter(soa.serial, change.serialFloor))
        soa.serial =
            nextSerial(change.serialFloor, m_clock ? m_clock() : QDateTime::currentDateTime());
    if (change.soa) {
        const qint64 serial = soa.serial;
        soa = *change.soa;
        soa.serial = serial;
    }
    candidate->setSoaRecord(soa);
    if (!m_saver) {
        refuse(QStringLiteral("Korvi's file saving has stopped; nothing was changed"));
        return;
    }
    // Written, reloaded, served; only then applied to the zone. The
    // expectation is made now, from the zone before and after the change.
    auto expected = std::make_shared<ServedExpectation>(
        ServedExpectation::forChange(*zone, *candidate, change.ids, change.soa.has_value()));
    auto* transaction = new ChangeTransaction(change.phrase, this);
    addZoneFileStep(transaction, candidate, zone);
    addReloadStep(transaction, zone->name(), expected);
    // The history's snapshot: the file as it is before the change.
    const std::shared_ptr<ChangeSnapshot> snapshot =
        beginSnapshot(zone, ChangeSnapshot::Kind::content, false);
    connect(
        transaction, &ChangeTransaction::finished, this,
        [this, transaction, id, change, zone, soa, previousSerial,
         snapshot](bool applied, const QString& step, const QString& reason) {
            transaction->deleteLater();
            QString message = reason;
            for (const QString& failure : transaction->undoFailures())
                message += QStringLiteral("\nCould not undo ") + failure;
            if (recordChangeServed(id, change, zone, soa, previousSerial, applied, step, message))
                keepSnapshot(snapshot, change.phrase + change.successSuffix + zone->name() + u'\'');
        });
    transaction->start();
}

bool ZoneRepository::recordChangeServed(ChangeId id, const RecordChange& change,
                                        const ZonePtr& zone, const SOARecord& soa,
                                        qint64 previousSerial, bool applied, const QString& step,
                                        const QString& reason) {
    if (!applied) {
        // The file step's refusal is the checker's; a server that did not
        // serve the change had its file put back.
        const QString why = step == QStringLiteral("server")
                                ? QStringLiteral("the server did not serve it, so the previous "
                                                 "zone file was put back: ") +
                                      reason
                                : reason;
        log(QStringLiteral("❌ ") + change.phrase + QStringLiteral(" was not") +
                change.successSuffix + zone->name() + QStringLiteral("': ") + why,
            LogLevel::error);
        finishChange(id, false,
                     step == QStringLiteral("server")
                         ? QStringLiteral("The server did not serve the change; "
                                          "the previous zone file was put back.\n") +
                               reason
                         : reason);
        return false;
    }
    if (!isListed(zone)) {
        const QString message = QStringLiteral("Zone '") + zone->name() +
                                QStringLiteral("' left the zone list before the change was "
                                               "applied");
        log(QStringLiteral("⚠️ ") + message, LogLevel::warning);
        finishChange(id, false, message);
        return false;
    }
    const QList<DNSRecord> before =
        change.reportsRecords ? recordsWithIds(*zone, change.ids) : QList<DNSRecord>();
    change.apply(*zone);
    // The serial step the file already has.
    setAdvancedSoa(zone, soa, previousSerial);
    if (canStore() && m_storedZones.contains(zone->id()))
        track(change.store(*m_database, *zone),
              change.phrase + QStringLiteral(" in zone '") + zone->name() + u'\'');
    log(change.successPrefix + change.phrase + change.successSuffix + zone->name() + u'\'',
        change.successLevel);
    if (change.reportsRecords)
        Q_EMIT recordsApplied(id, zone, before, recordsWithIds(*zone, change.ids));
    finishChange(id, true, QString());
    return true;
}

namespace {

QStringList recordErrors(const DNSRecord& record) {
    const ValidationResult result = validateRecord(record);
    return result.isValid ? QStringList() : result.errors;
}

} // namespace

ChangeId ZoneRepository::addRecord(const DNSRecord& record, const ZonePtr& zone) {
    RecordChange change;
    change.reportsRecords = true;
    change.record = record;
    change.ids = {record.id};
    change.phrase = recordPhrase(record);
    change.apply = [record](DNSZone& z) { z.addRecord(record); };
    change.store = [record](ZoneDatabase& db, const DNSZone& z) {
        return db.addRecord(z.id(), record, z.soaRecord());
    };
    change.validate = [record] { return recordErrors(record); };
    change.refusalPrefix = QStringLiteral("Invalid DNS record for '") + displayName(record) +
                           QStringLiteral("' ") + rawValue(record.type) + u':';
    change.successSuffix = QStringLiteral(" added to zone '");
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

ChangeId ZoneRepository::updateRecord(const DNSRecord& record, const ZonePtr& zone) {
    // A record whose id is not in the zone replaces nothing; the serial is
    // advanced and the zone saved all the same.
    RecordChange change;
    change.reportsRecords = true;
    change.record = record;
    change.ids = {record.id};
    change.phrase = recordPhrase(record);
    change.apply = [record](DNSZone& z) { z.updateRecord(record); };
    change.store = [record](ZoneDatabase& db, const DNSZone& z) {
        return db.updateRecord(z.id(), record, z.soaRecord());
    };
    change.validate = [record] { return recordErrors(record); };
    change.refusalPrefix = QStringLiteral("Invalid DNS record update for '") + displayName(record) +
                           QStringLiteral("' ") + rawValue(record.type) + u':';
    change.successSuffix = QStringLiteral(" updated in zone '");
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

ChangeId ZoneRepository::deleteRecord(const DNSRecord& record, const ZonePtr& zone) {
    // Every record with this id goes (stored data may hold the same id twice).
    // Deleting validates nothing.
    const QUuid recordId = record.id;
    RecordChange change;
    change.reportsRecords = true;
    change.record = record;
    change.ids = {record.id};
    change.phrase = recordPhrase(record);
    change.apply = [recordId](DNSZone& z) {
        while (z.removeRecord(recordId)) {
        }
    };
    change.store = [recordId](ZoneDatabase& db, const DNSZone& z) {
        return db.deleteRecord(z.id(), recordId, z.soaRecord());
    };
    change.successSuffix = QStringLiteral(" deleted from zone '");
    change.successPrefix = QStringLiteral("🗑️ ");
    change.successLevel = LogLevel::info;
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

ChangeId ZoneRepository::deleteRecords(const QList<QUuid>& recordIds, const ZonePtr& zone) {
    RecordChange change;
    change.reportsRecords = true;
    change.ids = recordIds;
    change.phrase = recordIds.size() == 1
                        ? QStringLiteral("1 record")
                        : QString::number(recordIds.size()) + QStringLiteral(" records");
    change.apply = [recordIds](DNSZone& z) {
        for (const QUuid& recordId : recordIds) {
            while (z.removeRecord(recordId)) {
            }
        }
    };
    // The zone's records as they are now, in one write.
    change.store = [](ZoneDatabase& db, const DNSZone& z) {
        return db.replaceRecords(z.id(), z.records(), z.soaRecord());
    };
    change.successSuffix = QStringLiteral(" deleted from zone '");
    change.successPrefix = QStringLiteral("🗑️ ");
    change.successLevel = LogLevel::info;
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

ChangeId ZoneRepository::rewriteZoneFile(const ZonePtr& zone, qint64 fileSerial) {
    // Korvi's version of the zone, written again as it is, with a serial
    // past both its own and the file's, so that the server and secondaries
    // take it; checked, reloaded and served like every change.
    RecordChange change;
    change.record.type = DNSRecordType::SOA;
    change.phrase = QStringLiteral("Korvi's version");
    change.apply = [](DNSZone&) {};
    change.store = [](ZoneDatabase& db, const DNSZone& z) {
        return db.updateSoa(z.id(), z.soaRecord());
    };
    change.serialFloor = fileSerial;
    change.successSuffix = QStringLiteral(" written to the file of zone '");
    change.successLevel = LogLevel::info;
    if (zone)
        log(QStringLiteral("Zone '%1': writing Korvi's version to its file").arg(zone->name()),
            LogLevel::info);
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

ChangeId ZoneRepository::updateSOA(const SOARecord& soa, const ZonePtr& zone) {
    RecordChange change;
    change.record.type = DNSRecordType::SOA;
    change.phrase = QStringLiteral("SOA record");
    change.soa = soa;
    change.apply = [](DNSZone&) {};
    change.store = [](ZoneDatabase& db, const DNSZone& z) {
        return db.updateSoa(z.id(), z.soaRecord());
    };
    change.validate = [soa] {
        QStringList errors;
        if (soa.primaryNameServer.trimmed().isEmpty())
            errors.append(QStringLiteral("The primary name server is required"));
        if (soa.adminEmail.trimmed().isEmpty())
            errors.append(QStringLiteral("The administrator's email address is required"));
        if (soa.refresh < 0 || soa.retry < 0 || soa.expire < 0 || soa.minimum < 0 ||
            soa.ttl.value_or(0) < 0)
            errors.append(QStringLiteral("The SOA's times must not be negative"));
        return errors;
    };
    change.refusalPrefix = QStringLiteral("Invalid SOA record for zone '") +
                           (zone ? zone->name() : QString()) + QStringLiteral("':");
    change.successSuffix = QStringLiteral(" updated in zone '");
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

// --- Change history: a snapshot's records and SOA put back ---

ChangeId ZoneRepository::restoreZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                                            const std::optional<SOARecord>& soa,
                                            const QString& description) {
    RecordChange change;
    change.phrase = QStringLiteral("Zone content");
    // Every record on both sides: the server must serve the whole set
    // restored, and no longer the records it drops.
    if (zone) {
        for (const DNSRecord& record : zone->records())
            change.ids.append(record.id);
    }
    for (const DNSRecord& record : records)
        change.ids.append(record.id);
    change.apply = [records](DNSZone& z) { z.setRecords(records); };
    change.store = [](ZoneDatabase& db, const DNSZone& z) {
        return db.replaceRecords(z.id(), z.records(), z.soaRecord());
    };
    // The SOA's fields as the snapshot had them; the serial still moves on.
    change.soa = soa;
    if (!change.soa && zone && zone->soaRecord())
        change.soa = *zone->soaRecord();
    change.successSuffix =
        QStringLiteral(" restored to ") + description + QStringLiteral(" in zone '");
    change.successPrefix = QStringLiteral("↩️ ");
    return enqueue(zone, false,
                   [this, change, zone](ChangeId id) { runRecordChange(id, change, zone); });
}

} // namespace korvi
