// The zone repository's operations on the zone list and the records of a
// zone. Each one changes the model first, then hands the rows it changed to
// the zone database. Everything here runs on the main thread; the work that
// outlives a call is the database's write, what the file save schedules
// itself, and the named.conf save that addZone() asks for once it has
// returned.

#include "manager/ZoneRepository.h"

#include <QMetaObject>

#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"

#include "manager/PathComponents.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"
#include "model/TextCleaning.h"
#include "platform/Console.h"

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

} // namespace

ZoneRepository::ZoneRepository(AppLog* log, ZoneDatabase* database, DNSConfiguration* configuration,
                               CheckedSaver* saver, QObject* parent)
    : QObject(parent), m_log(log), m_database(database), m_configuration(configuration),
      m_saver(saver) {
    connectDatabase();
}

void ZoneRepository::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

void ZoneRepository::setZones(const QList<ZonePtr>& zones) {
    QSet<QUuid> listed;
    for (const ZonePtr& zone : zones)
        listed.insert(zone->id());
    for (const ZonePtr& zone : std::as_const(m_zones)) {
        if (!listed.contains(zone->id()))
            unstoreZone(zone->id());
    }
    m_zones = zones;
    for (const ZonePtr& zone : zones)
        storeZone(zone);
    Q_EMIT zonesChanged();
}

void ZoneRepository::appendZone(const ZonePtr& zone) {
    m_zones.append(zone);
    storeZone(zone);
    Q_EMIT zonesChanged();
}

qsizetype ZoneRepository::totalRecords() const {
    qsizetype total = 0;
    for (const ZonePtr& zone : m_zones)
        total += zone->recordCount();
    return total;
}

QString ZoneRepository::namesList(const QList<ZonePtr>& zones) {
    QStringList quoted;
    for (const ZonePtr& zone : zones)
        quoted.append(u'"' + zone->name() + u'"');
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

std::optional<QString> ZoneRepository::newZoneRefusal(const QString& name) const {
    for (const ZonePtr& zone : m_zones) {
        if (zone->name() == name)
            return QStringLiteral("A zone for this domain already exists");
    }
    return std::nullopt;
}

SOARecord ZoneRepository::newZoneSOA(const QString& zoneName, const QString& primaryNameServer,
                                     const QString& adminEmail, qint64 serial) {
    SOARecord soa;
    soa.primaryNameServer =
        cleanHostText(completedHost(primaryNameServer, QStringLiteral("ns1.") + zoneName + u'.'));
    soa.adminEmail =
        cleanHostText(completedHost(adminEmail, QStringLiteral("admin.") + zoneName + u'.'));
    soa.serial = serial;
    soa.refresh = SOARecord::standardRefresh;
    soa.retry = SOARecord::standardRetry;
    soa.expire = SOARecord::standardExpire;
    soa.minimum = SOARecord::standardMinimum;
    return soa;
}

QString ZoneRepository::completedHost(const QString& text, const QString& fallback) {
    if (text.isEmpty())
        return fallback;
    return text.endsWith(u'.') ? text : text + u'.';
}

ZonePtr ZoneRepository::newZone(const QString& name, const QString& filePath,
                                const QString& primaryNameServer, const QString& adminEmail,
                                qint64 serial) {
    auto zone = ZonePtr::create(name, filePath);
    zone->setSoaRecord(newZoneSOA(name, primaryNameServer, adminEmail, serial));
    // The cleaning constructor gives the empty (apex) name and the value
    // cleaned for an NS record.
    zone->addRecord(
        DNSRecord(QString(), DNSRecordType::NS,
                  completedHost(primaryNameServer, QStringLiteral("ns1.") + name + u'.'), 86400));
    return zone;
}

void ZoneRepository::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void ZoneRepository::addZone(const ZonePtr& zone) {
    if (!zone)
        return;
    const QString name = zone->name();
    consoleLine(QStringLiteral("🔄 DNSServerManager.addZone() called for: '") + name + u'\'');
    consoleLine(QStringLiteral("🔍 Current zones before add: ") + namesList(m_zones));

    if (!isValidDomainName(name)) {
        const QString refusal = QStringLiteral("❌ Invalid zone name: ") + name;
        log(refusal, LogLevel::info);
        consoleLine(refusal);
        return;
    }
    consoleLine(QStringLiteral("✅ Zone name validation passed"));

    // The new-zone form has already refused a name in use; a second zone of
    // the same name is appended all the same and takes over the file entry.
    QList<ZonePtr> zones = m_zones;
    zones.append(zone);
    setZones(zones);
    m_configuration->setZoneFile(name, lastPathComponent(zone->filePath()));
    consoleLine(QStringLiteral("✅ Zone added to memory. Total zones: ") +
                QString::number(m_zones.size()));
    consoleLine(QStringLiteral("🔍 All zones: ") + namesList(m_zones));

    consoleLine(QStringLiteral("💾 Zone handed to app storage"));

    // named.conf is saved once this operation has returned. The save renders
    // the configuration on the main thread when it runs, so it sees a
    // consistent configuration, and its check and write never block the
    // window. The repository is the call's context: if it (and with it the
    // manager) is gone by then, nothing runs.
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT configurationSaveNeeded(); }, Qt::QueuedConnection);

    log(QStringLiteral("✅ Zone '") + name + QStringLiteral("' added successfully"), LogLevel::info);
    consoleLine(QStringLiteral("✅ Zone creation completed for: '") + name + u'\'');
}

void ZoneRepository::removeZone(const ZonePtr& zone) {
    if (!zone)
        return;
    const QUuid id = zone->id();
    QList<ZonePtr> kept;
    kept.reserve(m_zones.size());
    for (const ZonePtr& candidate : m_zones) {
        if (candidate->id() != id)
            kept.append(candidate);
    }
    setZones(kept);
    // The zone's file on disk stays where it is.
    m_configuration->removeZoneFile(zone->name());
    Q_EMIT configurationSaveNeeded();
    log(QStringLiteral("Zone '") + zone->name() + QStringLiteral("' removed successfully"),
        LogLevel::info);
}

// What differs between the record operations: the change itself, the line
// that opens a refusal (none: not validated), and the success line.
struct ZoneRepository::RecordChange {
    DNSRecord record;
    std::function<void(DNSZone&)> apply;
    // Hands the change, with the zone's new SOA, to the zone database.
    std::function<RequestId(ZoneDatabase&, const QUuid& zone, const std::optional<SOARecord>&)>
        store;
    QString refusalPrefix;
    QString successSuffix;
    QString successPrefix;
    LogLevel successLevel = LogLevel::success;
};

void ZoneRepository::applyRecordChange(const RecordChange& change, const ZonePtr& zone) {
    if (!zone)
        return;
    const DNSRecord& record = change.record;
    if (!zone->recordsLoaded()) {
        // Changing a zone whose stored records are not in yet would write a
        // zone file without them.
        log(QStringLiteral("⏳ The records of zone '") + zone->name() +
                QStringLiteral("' are still loading; nothing was changed, try again in a moment"),
            LogLevel::warning);
        return;
    }
    if (!change.refusalPrefix.isEmpty() && record.isKept()) {
        // Types Korvi does not edit are kept as the file has them; only the
        // window's guard stood between them and an edit before.
        log(QStringLiteral("❌ ") + record.keptType + QStringLiteral(" record '") +
                displayName(record) +
                QStringLiteral("' is kept as its zone file has it and is not edited in Korvi"),
            LogLevel::error);
        return;
    }
    if (!change.refusalPrefix.isEmpty()) {
        const ValidationResult result = validateRecord(record);
        if (!result.isValid) {
            log(change.refusalPrefix + displayName(record) + QStringLiteral("' ") +
                    rawValue(record.type) + u':',
                LogLevel::error);
            for (const QString& message : result.errors)
                log(QStringLiteral("  • ") + message, LogLevel::error);
            return;
        }
    }
    change.apply(*zone);
    advanceSerial(zone);
    m_saver->saveZoneFile(zone);
    if (canStore() && m_storedZones.contains(zone->id()))
        track(change.store(*m_database, zone->id(), zone->soaRecord()),
              recordPhrase(record) + QStringLiteral(" in zone '") + zone->name() + u'\'');
    log(change.successPrefix + recordPhrase(record) + change.successSuffix + zone->name() + u'\'',
        change.successLevel);
}

void ZoneRepository::addRecord(const DNSRecord& record, const ZonePtr& zone) {
    applyRecordChange(
        {record, [record](DNSZone& z) { z.addRecord(record); },
         [record](ZoneDatabase& db, const QUuid& zone, const std::optional<SOARecord>& soa) {
             return db.addRecord(zone, record, soa);
         },
         QStringLiteral("Invalid DNS record for '"), QStringLiteral(" added to zone '"), QString(),
         LogLevel::success},
        zone);
}

void ZoneRepository::updateRecord(const DNSRecord& record, const ZonePtr& zone) {
    // A record whose id is not in the zone replaces nothing; the serial is
    // advanced and the zone saved all the same.
    applyRecordChange(
        {record, [record](DNSZone& z) { z.updateRecord(record); },
         [record](ZoneDatabase& db, const QUuid& zone, const std::optional<SOARecord>& soa) {
             return db.updateRecord(zone, record, soa);
         },
         QStringLiteral("Invalid DNS record update for '"), QStringLiteral(" updated in zone '"),
         QString(), LogLevel::success},
        zone);
}

void ZoneRepository::deleteRecord(const DNSRecord& record, const ZonePtr& zone) {
    // Every record with this id goes (stored data may hold the same id twice).
    const QUuid id = record.id;
    applyRecordChange(
        {record,
         [id](DNSZone& z) {
             while (z.removeRecord(id)) {
             }
         },
         [id](ZoneDatabase& db, const QUuid& zone, const std::optional<SOARecord>& soa) {
             return db.deleteRecord(zone, id, soa);
         },
         QString(), QStringLiteral(" deleted from zone '"), QStringLiteral("🗑️ "),
         LogLevel::info},
        zone);
}

void ZoneRepository::updateSOASerial(const ZonePtr& zone) {
    if (!zone)
        return;
    advanceSerial(zone);
    if (canStore() && m_storedZones.contains(zone->id()))
        track(m_database->updateSoa(zone->id(), zone->soaRecord()),
              QStringLiteral("the SOA of zone '") + zone->name() + u'\'');
}

void ZoneRepository::advanceSerial(const ZonePtr& zone) {
    // One reading of the clock for both steps, so that a default SOA made
    // just before midnight is advanced on the same day it was made.
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    if (!zone->soaRecord()) {
        zone->setSoaRecord(newZoneSOA(zone->name(), QString(), QString(), generateSerial(now)));
        log(QStringLiteral("Created default SOA record for zone '") + zone->name() + u'\'',
            LogLevel::info);
    }
    SOARecord soa = *zone->soaRecord();
    const qint64 oldSerial = soa.serial;
    soa.serial = nextSerial(oldSerial, now);
    zone->setSoaRecord(soa);
    log(QStringLiteral("Incremented SOA serial for zone '") + zone->name() + QStringLiteral("': ") +
            QString::number(oldSerial) + QStringLiteral(" → ") + QString::number(soa.serial),
        LogLevel::debug);
}

void ZoneRepository::validateDataIntegrity() {
    if (m_zones.isEmpty())
        return;
    qsizetype examined = 0;
    qsizetype removed = 0;
    for (const ZonePtr& zone : m_zones) {
        if (!zone->recordsLoaded())
            continue;
        QList<DNSRecord> kept;
        bool cleaned = false;
        kept.reserve(zone->records().size());
        for (const DNSRecord& record : zone->records()) {
            ++examined;
            const ValidationResult result = validateRecord(record);
            if (result.isValid) {
                kept.append(record);
                continue;
            }
            ++removed;
            cleaned = true;
            // The name as stored: an apex record shows an empty name here.
            log(QStringLiteral("Invalid record in zone '") + zone->name() + QStringLiteral("': ") +
                    record.name + u' ' + rawValue(record.type) + QStringLiteral(" - ") +
                    result.errors.join(QStringLiteral(", ")),
                LogLevel::warning);
        }
        if (!cleaned)
            continue;
        zone->setRecords(kept);
        if (canStore() && m_storedZones.contains(zone->id()))
            track(m_database->replaceRecords(zone->id(), kept, zone->soaRecord()),
                  QStringLiteral("the records of zone '") + zone->name() + u'\'');
    }
    if (removed > 0) {
        log(QStringLiteral("Data integrity check: Removed ") + QString::number(removed) +
                QStringLiteral(" invalid records out of ") + QString::number(examined) +
                QStringLiteral(" total records"),
            LogLevel::warning);
    } else if (examined > 0) {
        log(QStringLiteral("Data integrity check: All ") + QString::number(examined) +
                QStringLiteral(" records are valid"),
            LogLevel::success);
    }
}

void ZoneRepository::replaceZoneContent(const ZonePtr& zone, const QList<DNSRecord>& records,
                                        const std::optional<SOARecord>& soa) {
    if (!zone)
        return;
    zone->setRecords(records);
    zone->setSoaRecord(soa);
    if (canStore() && m_storedZones.contains(zone->id()))
        track(m_database->replaceRecords(zone->id(), records, soa),
              QStringLiteral("the records of zone '") + zone->name() + u'\'');
    log(QStringLiteral("Zone '%1' now holds its file's version (%2 records)")
            .arg(zone->name())
            .arg(records.size()),
        LogLevel::success);
}

void ZoneRepository::rewriteZoneFile(const ZonePtr& zone) {
    if (!zone)
        return;
    m_saver->saveZoneFile(zone);
    log(QStringLiteral("Zone '%1': writing Korvi's version to its file").arg(zone->name()),
        LogLevel::info);
}

} // namespace korvi
