#include "manager/PtrSync.h"

#include "manager/AppLog.h"
#include "manager/ZoneRepository.h"
#include "model/ReverseZoneName.h"
#include "platform/PreferencesStore.h"

namespace korvi {

namespace {

bool isAddressRecord(const DNSRecord& record) {
    return !record.isKept() &&
           (record.type == DNSRecordType::A || record.type == DNSRecordType::AAAA);
}

QString withoutFinalDot(const QString& name) {
    QString text = name.toLower();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// How log lines name the PTR: "PTR record '10' (192.0.2.10 → www.example.com.) in zone
// '2.0.192.in-addr.arpa'".
QString ptrPhrase(const PtrProposal& proposal) {
    return QStringLiteral("PTR record '%1' (%2 → %3) in zone '%4'")
        .arg(proposal.owner, proposal.address, proposal.target, proposal.reverseZone);
}

} // namespace

PtrPolicy PtrSync::policy(const PreferencesStore& preferences) {
    const QByteArray value = preferences.data(policyKey()).value_or(QByteArray());
    if (value == "always")
        return PtrPolicy::always;
    if (value == "never")
        return PtrPolicy::never;
    return PtrPolicy::ask;
}

void PtrSync::setPolicy(PreferencesStore& preferences, PtrPolicy policy) {
    preferences.setData(policyKey(), policyText(policy).toLatin1());
}

QString PtrSync::policyText(PtrPolicy policy) {
    switch (policy) {
    case PtrPolicy::always:
        return QStringLiteral("always");
    case PtrPolicy::never:
        return QStringLiteral("never");
    case PtrPolicy::ask:
        break;
    }
    return QStringLiteral("ask");
}

PtrSync::PtrSync(ZoneRepository* repository, AppLog* log, PreferencesStore& preferences,
                 QObject* parent)
    : QObject(parent), m_repository(repository), m_log(log), m_preferences(preferences) {
    qRegisterMetaType<korvi::PtrProposal>();
    if (!repository)
        return;
    connect(repository, &ZoneRepository::recordsApplied, this, &PtrSync::recordsApplied);
    connect(repository, &ZoneRepository::changeFinished, this, &PtrSync::changeFinished);
}

QString PtrSync::absoluteName(const QString& recordName, const QString& zoneName) {
    const QString name = recordName.trimmed();
    const QString zone = withoutFinalDot(zoneName) + u'.';
    if (name.isEmpty() || name == u"@")
        return zone;
    if (name.endsWith(u'.'))
        return name;
    return name + u'.' + zone;
}

ZonePtr PtrSync::zoneNamed(const QString& name) const {
    if (!m_repository)
        return {};
    const QString wanted = withoutFinalDot(name);
    for (const ZonePtr& zone : m_repository->zones()) {
        if (withoutFinalDot(zone->name()) == wanted)
            return zone;
    }
    return {};
}

std::optional<PtrProposal> PtrSync::proposalFor(const DNSRecord& record,
                                                const QString& forwardZone) const {
    if (!m_repository || !isAddressRecord(record) || ReverseZoneName::isReverseZone(forwardZone) ||
        record.name.contains(u'*'))
        return std::nullopt;
    QStringList reverseZones;
    for (const ZonePtr& zone : m_repository->zones()) {
        if (ReverseZoneName::isReverseZone(zone->name()))
            reverseZones.append(zone->name());
    }
    const QString address = record.value.trimmed();
    const QString reverseZone = ReverseZoneName::containingZone(address, reverseZones);
    if (reverseZone.isEmpty())
        return std::nullopt;
    const std::optional<QString> owner = ReverseZoneName::ptrOwner(address, reverseZone);
    if (!owner)
        return std::nullopt;
    return PtrProposal{address, absoluteName(record.name, forwardZone), reverseZone, *owner,
                       forwardZone};
}

QList<DNSRecord> PtrSync::existingPtrs(const PtrProposal& proposal) const {
    QList<DNSRecord> found;
    const ZonePtr zone = zoneNamed(proposal.reverseZone);
    if (!zone)
        return found;
    const QString owner = proposal.owner.toLower();
    const QString absoluteOwner = owner + u'.' + withoutFinalDot(proposal.reverseZone);
    const QString target = withoutFinalDot(proposal.target);
    for (const DNSRecord& record : zone->records()) {
        if (record.isKept() || record.type != DNSRecordType::PTR)
            continue;
        const QString name = record.name.trimmed().toLower();
        const bool atOwner =
            name == owner || (name.endsWith(u'.') && withoutFinalDot(name) == absoluteOwner);
        // Only an absolute target names the same host; a relative one lies
        // below the reverse zone.
        const QString value = record.value.trimmed();
        if (atOwner && value.endsWith(u'.') && withoutFinalDot(value) == target)
            found.append(record);
    }
    return found;
}

ChangeId PtrSync::addPtr(const PtrProposal& proposal) {
    const ZonePtr zone = zoneNamed(proposal.reverseZone);
    if (!zone || !m_repository) {
        log(QStringLiteral("❌ The PTR record for %1 was not added: zone '%2' is no longer "
                           "Korvi's")
                .arg(proposal.address, proposal.reverseZone),
            LogLevel::error);
        return 0;
    }
    if (!existingPtrs(proposal).isEmpty()) {
        // Asked twice, or added by hand meanwhile: one is enough.
        log(QStringLiteral("The %1 is there already").arg(ptrPhrase(proposal)), LogLevel::info);
        return 0;
    }
    DNSRecord ptr(proposal.owner, DNSRecordType::PTR, proposal.target, DNSRecord().ttl);
    // The forward record's TTL would do as well; the default keeps the
    // reverse zone's records alike.
    const ChangeId id = m_repository->addRecord(ptr, zone);
    m_ptrChanges.insert(
        id, {QStringLiteral("add the ") + ptrPhrase(proposal),
             proposal.address.contains(u':') ? QStringLiteral("AAAA") : QStringLiteral("A")});
    return id;
}

void PtrSync::declinePtr(const PtrProposal& proposal) {
    log(QStringLiteral("PTR record for %1 (%2) not added: declined")
            .arg(proposal.address, proposal.target),
        LogLevel::info);
}

void PtrSync::removePtrs(const PtrProposal& proposal, const QString& forwardType) {
    const QList<DNSRecord> ptrs = existingPtrs(proposal);
    const ZonePtr zone = zoneNamed(proposal.reverseZone);
    if (ptrs.isEmpty() || !zone)
        return;
    QList<QUuid> ids;
    for (const DNSRecord& record : ptrs)
        ids.append(record.id);
    const ChangeId id = m_repository->deleteRecords(ids, zone);
    m_ptrChanges.insert(id, {QStringLiteral("remove the ") + ptrPhrase(proposal), forwardType});
}

void PtrSync::recordsApplied(ChangeId id, const ZonePtr& zone, const QList<DNSRecord>& before,
                             const QList<DNSRecord>& after) {
    if (!zone || ReverseZoneName::isReverseZone(zone->name()))
        return;
    // Pairs by identity: an update has both sides, an addition only the
    // new record, a deletion only the old one.
    QList<Pair> pairs;
    for (const DNSRecord& record : after) {
        if (isAddressRecord(record))
            pairs.append({std::nullopt, record});
    }
    for (const DNSRecord& record : before) {
        if (!isAddressRecord(record))
            continue;
        auto match = std::find_if(pairs.begin(), pairs.end(), [&](const Pair& pair) {
            return pair.after && pair.after->id == record.id;
        });
        if (match != pairs.end())
            match->before = record;
        else
            pairs.append({record, std::nullopt});
    }
    if (!pairs.isEmpty())
        m_pending.insert(id, {zone->name(), pairs});
}

void PtrSync::changeFinished(ChangeId id, bool applied, const QString& message) {
    if (const auto ptr = m_ptrChanges.find(id); ptr != m_ptrChanges.end()) {
        const PtrChange change = *ptr;
        m_ptrChanges.erase(ptr);
        if (!applied) {
            const QString reason =
                message.isEmpty() ? QStringLiteral("no reason was given") : message;
            log(QStringLiteral("❌ Could not %1: %2. The %3 record stays as it is.")
                    .arg(change.description, reason, change.forwardType),
                LogLevel::error);
            Q_EMIT ptrChangeFinished(id, false,
                                     QStringLiteral("Korvi could not %1.\n%2\nThe %3 record "
                                                    "stays as it is.")
                                         .arg(change.description, reason, change.forwardType));
            return;
        }
        Q_EMIT ptrChangeFinished(id, true, QString());
        return;
    }
    const auto found = m_pending.find(id);
    if (found == m_pending.end())
        return;
    const Pending pending = *found;
    m_pending.erase(found);
    if (!applied)
        return;
    for (const Pair& pair : pending.pairs)
        keepInStep(pending.zoneName, pair);
}

void PtrSync::keepInStep(const QString& zoneName, const Pair& pair) {
    const std::optional<PtrProposal> old =
        pair.before ? proposalFor(*pair.before, zoneName) : std::nullopt;
    const std::optional<PtrProposal> now =
        pair.after ? proposalFor(*pair.after, zoneName) : std::nullopt;
    if (old && now && *old == *now)
        return;
    // A PTR Korvi would have made for the old address and name moves with
    // the record, or goes with it.
    bool moved = false;
    if (old) {
        moved = !existingPtrs(*old).isEmpty();
        removePtrs(*old, rawValue(pair.before->type));
    }
    if (!now || !existingPtrs(*now).isEmpty())
        return;
    if (moved) {
        addPtr(*now);
        return;
    }
    switch (policy(m_preferences)) {
    case PtrPolicy::always:
        addPtr(*now);
        break;
    case PtrPolicy::ask:
        Q_EMIT ptrQuestion(*now);
        break;
    case PtrPolicy::never:
        break;
    }
}

void PtrSync::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

} // namespace korvi
