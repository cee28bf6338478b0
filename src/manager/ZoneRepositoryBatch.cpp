// The zone repository's batch mode: record and SOA changes are checked and
// made on the zone the window shows, and collected; applyStaged() writes
// every changed zone's file and has the server serve it in one transaction,
// so that either every zone holds its collected changes or none does.

#include <QMetaObject>
#include <QScopeGuard>

#include "manager/AppLog.h"
#include "manager/ChangeTransaction.h"
#include "manager/CheckedSaver.h"
#include "manager/ServedChangeCheck.h"
#include "manager/WriterLock.h"
#include "manager/ZoneRepository.h"
#include "model/Serial.h"
#include "model/ZoneFileWriter.h"

namespace korvi {

namespace {

QString changesPhrase(int count) {
    return count == 1 ? QStringLiteral("1 change")
                      : QString::number(count) + QStringLiteral(" changes");
}

} // namespace

bool ZoneRepository::setBatchMode(bool batch) {
    if (batch == m_batchMode)
        return true;
    if (!batch && !m_staged.isEmpty()) {
        log(QStringLiteral("⚠️ ") + changesPhrase(stagedChangeCount()) +
                QStringLiteral(" collected and not applied yet: apply or discard them before "
                               "changes are applied one at a time"),
            LogLevel::warning);
        return false;
    }
    m_batchMode = batch;
    log(batch ? QStringLiteral("Changes are now collected and applied together")
              : QStringLiteral("Each change is now applied at once"),
        LogLevel::info);
    Q_EMIT batchModeChanged(batch);
    return true;
}

int ZoneRepository::stagedChangeCount() const {
    int count = 0;
    for (const StagedZone& staged : m_staged)
        count += int(staged.descriptions.size());
    return count;
}

QStringList ZoneRepository::stagedDescriptions() const {
    QStringList descriptions;
    for (const QUuid& id : m_stagedOrder)
        descriptions += m_staged.value(id).descriptions;
    return descriptions;
}

void ZoneRepository::emitStagedChanged() {
    Q_EMIT stagedChanged(stagedChangeCount());
}

void ZoneRepository::stageRecordChange(ChangeId id, const ZonePtr& zone,
                                       const std::function<void(DNSZone&)>& apply,
                                       const std::optional<SOARecord>& soa, const QList<QUuid>& ids,
                                       const QString& description) {
    if (m_applyingStaged) {
        // The zones being written must stay as they are until the outcome.
        const QString message =
            QStringLiteral("⏳ Korvi is applying the collected changes; nothing was changed, "
                           "try again in a moment");
        log(message, LogLevel::warning);
        finishChange(id, false, message);
        return;
    }
    if (!m_staged.contains(zone->id())) {
        StagedZone staged;
        staged.zone = zone;
        staged.appliedRecords = zone->records();
        staged.appliedSoa = zone->soaRecord();
        m_staged.insert(zone->id(), staged);
        m_stagedOrder.append(zone->id());
    }
    StagedZone& staged = m_staged[zone->id()];
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    apply(*zone);
    if (soa) {
        // The fields as given; the serial stays the one last applied, and
        // is advanced once, when the zone is written.
        SOARecord fields = *soa;
        fields.serial = zone->soaRecord() ? zone->soaRecord()->serial : generateSerial(now);
        zone->setSoaRecord(fields);
        staged.soaChanged = true;
    }
    staged.recordIds += ids;
    staged.stagedAt = now;
    staged.descriptions.append(description);
    log(QStringLiteral("📝 Collected, not applied yet: ") + description, LogLevel::info);
    finishChange(id, true, QString());
    emitStagedChanged();
}

ZonePtr ZoneRepository::stagedCandidate(const StagedZone& staged) const {
    const ZonePtr& zone = staged.zone;
    auto candidate = ZonePtr::create(zone->id(), zone->name(), zone->filePath(), 0);
    candidate->setName(zone->name());
    candidate->setRecords(zone->records());
    SOARecord soa = zone->soaRecord() ? *zone->soaRecord()
                                      : newZoneSOA(zone->name(), QString(), QString(),
                                                   generateSerial(staged.stagedAt));
    soa.serial = nextSerial(soa.serial, staged.stagedAt);
    candidate->setSoaRecord(soa);
    return candidate;
}

ZonePtr ZoneRepository::appliedZone(const StagedZone& staged) const {
    const ZonePtr& zone = staged.zone;
    auto applied = ZonePtr::create(zone->id(), zone->name(), zone->filePath(), 0);
    applied->setName(zone->name());
    applied->setRecords(staged.appliedRecords);
    applied->setSoaRecord(staged.appliedSoa);
    return applied;
}

QList<ZoneRepository::StagedFile> ZoneRepository::stagedFiles() const {
    QList<StagedFile> files;
    for (const QUuid& id : m_stagedOrder) {
        const StagedZone& staged = m_staged[id];
        if (!isListed(staged.zone))
            continue;
        const ZonePtr candidate = stagedCandidate(staged);
        StagedFile file;
        file.zoneName = candidate->name();
        file.filePath = candidate->filePath();
        file.currentText = fileText(file.filePath).value_or(QString());
        file.newText = ZoneFileWriter::zoneText(candidate->name(), candidate->soaRecord(),
                                                candidate->records(), staged.stagedAt);
        file.descriptions = staged.descriptions;
        files.append(file);
    }
    return files;
}

void ZoneRepository::finishStagedApply(ChangeId id, bool applied, const QString& message) {
    QMetaObject::invokeMethod(
        this, [this, id, applied, message] { Q_EMIT changeFinished(id, applied, message); },
        Qt::QueuedConnection);
}

ChangeId ZoneRepository::applyStaged() {
    const ChangeId id = ++m_lastChange;
    const auto refuse = [&](const QString& message, LogLevel level) {
        log(message, level);
        finishStagedApply(id, false, message);
        return id;
    };
    if (m_applyingStaged)
        return refuse(QStringLiteral("The collected changes are already being applied"),
                      LogLevel::warning);
    dropUnlistedStaged();
    if (m_staged.isEmpty())
        return refuse(QStringLiteral("There are no collected changes to apply"), LogLevel::info);
    if (hasPendingChanges())
        return refuse(QStringLiteral("⏳ Other changes are still being made; nothing was applied, "
                                     "try again in a moment"),
                      LogLevel::warning);
    if (!m_saver)
        return refuse(QStringLiteral("Korvi's file saving has stopped; nothing was applied"),
                      LogLevel::error);
    // The collected changes are never written beside korvictl's. The lock is
    // only tried: the changes stay collected and are applied again later.
    if (m_writerLock && !m_writerLock->tryAcquireNow())
        return refuse(QStringLiteral("🔒 Another Korvi program (korvictl) is changing zones; "
                                     "nothing was applied, try again in a moment"),
                      LogLevel::warning);
    m_applyingStaged = true;
    const int count = stagedChangeCount();
    log(QStringLiteral("Applying ") + changesPhrase(count) + QStringLiteral(" to ") +
            QString::number(m_stagedOrder.size()) +
            (m_stagedOrder.size() == 1 ? QStringLiteral(" zone") : QStringLiteral(" zones")),
        LogLevel::info);
    // Per zone: its file written (checked), then reloaded and checked served.
    // A failure anywhere undoes every file written before it, in reverse.
    auto* transaction = new ChangeTransaction(QStringLiteral("apply collected changes"), this);
    auto failedZone = std::make_shared<QString>();
    QList<ZonePtr> candidates;
    // The history's snapshots: each file as it is before the apply.
    QList<std::shared_ptr<ChangeSnapshot>> snapshots;
    for (const QUuid& zoneId : std::as_const(m_stagedOrder)) {
        const StagedZone& staged = m_staged[zoneId];
        const ZonePtr candidate = stagedCandidate(staged);
        const ZonePtr applied = appliedZone(staged);
        auto expected = std::make_shared<ServedExpectation>(ServedExpectation::forChange(
            *applied, *candidate, staged.recordIds, staged.soaChanged));
        const QString name = candidate->name();
        // Marks which zone the following steps belong to, for the message.
        transaction->addStep(QStringLiteral("zone ") + name, [failedZone, name](Completion done) {
            *failedZone = name;
            done(true, QString());
        });
        addZoneFileStep(transaction, candidate, applied, staged.stagedAt);
        addReloadStep(transaction, name, expected);
        candidates.append(candidate);
        snapshots.append(beginSnapshot(staged.zone, ChangeSnapshot::Kind::content, false));
    }
    connect(transaction, &ChangeTransaction::finished, this,
            [this, transaction, id, candidates, snapshots,
             failedZone](bool applied, const QString& step, const QString& reason) {
                transaction->deleteLater();
                QString message = reason;
                for (const QString& failure : transaction->undoFailures())
                    message += QStringLiteral("\nCould not undo ") + failure;
                const QList<QStringList> descriptions = stagedDescriptionsOf(candidates);
                if (!stagedApplyFinished(id, applied, step, message, candidates, *failedZone))
                    return;
                for (qsizetype i = 0; i < snapshots.size(); ++i)
                    keepSnapshot(snapshots[i], descriptions.value(i).join(QStringLiteral("; ")));
            });
    transaction->start();
    return id;
}

QList<QStringList> ZoneRepository::stagedDescriptionsOf(const QList<ZonePtr>& candidates) const {
    QList<QStringList> descriptions;
    for (const ZonePtr& candidate : candidates)
        descriptions.append(m_staged.value(candidate->id()).descriptions);
    return descriptions;
}

bool ZoneRepository::stagedApplyFinished(ChangeId id, bool applied, const QString& step,
                                         const QString& reason, const QList<ZonePtr>& candidates,
                                         const QString& failedZone) {
    m_applyingStaged = false;
    // Released once the store has the outcome too (its writes are queued
    // before the lock is let go).
    const auto release = qScopeGuard([this] { releaseWriterLockWhenIdle(); });
    if (!applied) {
        // Every file is back as it was; the changes stay collected so that
        // the user can correct them and apply again, or discard them.
        const QString what =
            step == QStringLiteral("server")
                ? QStringLiteral("The server did not serve the changes of zone '") + failedZone +
                      QStringLiteral("'; every zone file was put back.")
                : QStringLiteral("The file of zone '") + failedZone +
                      QStringLiteral("' was not written; every zone file was put back.");
        const QString message =
            what + u'\n' + reason +
            QStringLiteral("\nThe changes are still collected: correct them and apply again, or "
                           "discard them.");
        log(QStringLiteral("❌ The collected changes were not applied: ") + what + u' ' + reason,
            LogLevel::error);
        finishStagedApply(id, false, message);
        return false;
    }
    int count = 0;
    for (const ZonePtr& candidate : candidates) {
        const auto found = m_staged.constFind(candidate->id());
        if (found == m_staged.constEnd())
            continue;
        const StagedZone staged = *found;
        const ZonePtr& zone = staged.zone;
        if (!isListed(zone))
            continue;
        // The serial step the file already has.
        setAdvancedSoa(zone, *candidate->soaRecord(),
                       staged.appliedSoa ? staged.appliedSoa->serial : 0);
        if (canStore() && m_storedZones.contains(zone->id()))
            track(m_database->replaceRecords(zone->id(), zone->records(), zone->soaRecord()),
                  QStringLiteral("the records of zone '") + zone->name() + u'\'');
        for (const QString& description : staged.descriptions)
            log(description, LogLevel::success);
        count += int(staged.descriptions.size());
    }
    log(QStringLiteral("✅ Applied ") + changesPhrase(count) + QStringLiteral(" together"),
        LogLevel::success);
    m_staged.clear();
    m_stagedOrder.clear();
    emitStagedChanged();
    finishStagedApply(id, true, QString());
    return true;
}

void ZoneRepository::discardStaged() {
    if (m_staged.isEmpty())
        return;
    if (m_applyingStaged) {
        log(QStringLiteral("The collected changes are being applied and cannot be discarded now"),
            LogLevel::warning);
        return;
    }
    const int count = stagedChangeCount();
    for (const QUuid& id : std::as_const(m_stagedOrder)) {
        const StagedZone& staged = m_staged[id];
        staged.zone->setRecords(staged.appliedRecords);
        staged.zone->setSoaRecord(staged.appliedSoa);
    }
    m_staged.clear();
    m_stagedOrder.clear();
    log(QStringLiteral("↩️ Discarded ") + changesPhrase(count) +
            QStringLiteral("; the zones are as last applied"),
        LogLevel::info);
    emitStagedChanged();
}

void ZoneRepository::dropStagedZone(const QUuid& zone) {
    if (!m_staged.remove(zone))
        return;
    m_stagedOrder.removeAll(zone);
    emitStagedChanged();
}

void ZoneRepository::dropUnlistedStaged() {
    const QList<QUuid> order = m_stagedOrder;
    for (const QUuid& id : order) {
        if (!isListed(m_staged.value(id).zone))
            dropStagedZone(id);
    }
}

} // namespace korvi
