// DNSServerManager: the operations that change the zone list and the records
// of a zone.
//
// Each one changes the model first and then persists it. Record changes run,
// in this fixed order: model change, SOA serial advance, zone-file save,
// preferences save, log line. Zone additions and removals save the
// preferences and named.conf. Everything here runs on the main thread; the
// only work that outlives a call is what the file and configuration saves
// schedule themselves, and the configuration save that addZone() queues.

#include "manager/DNSServerManager.h"

#include <QMetaObject>

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

// The SOA a zone gets when a record change finds it without one.
SOARecord defaultSOA(const QString& zoneName, const QDateTime& now) {
    SOARecord soa;
    soa.primaryNameServer = cleanHostText(QStringLiteral("ns1.") + zoneName + u'.');
    soa.adminEmail = cleanHostText(QStringLiteral("admin.") + zoneName + u'.');
    soa.serial = generateSerial(now);
    soa.refresh = SOARecord::standardRefresh;
    soa.retry = SOARecord::standardRetry;
    soa.expire = SOARecord::standardExpire;
    soa.minimum = SOARecord::standardMinimum;
    return soa;
}

} // namespace

void DNSServerManager::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void DNSServerManager::addZone(const ZonePtr& zone) {
    if (!zone)
        return;
    const QString name = zone->name();
    consoleLine(QStringLiteral("🔄 DNSServerManager.addZone() called for: '") + name + u'\'');
    consoleLine(QStringLiteral("🔍 Current zones before add: ") + namesList(m_zones));

    if (!isValidDomainName(name)) {
        const QString refusal = QStringLiteral("❌ Invalid zone name: ") + name;
        addLog(refusal, LogLevel::info);
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

    consoleLine(QStringLiteral("💾 Saving to storage..."));
    saveZonesToStorage();
    consoleLine(QStringLiteral("✅ Zone saved to app storage"));

    // named.conf is saved once this operation has returned. The save renders
    // the configuration on the main thread when it runs, so it sees a
    // consistent configuration, and its check and write never block the
    // window. The manager is the call's context: if it is gone by then,
    // nothing runs.
    QMetaObject::invokeMethod(
        this, [this] { saveConfiguration(); }, Qt::QueuedConnection);

    addLog(QStringLiteral("✅ Zone '") + name + QStringLiteral("' added successfully"),
           LogLevel::info);
    consoleLine(QStringLiteral("✅ Zone creation completed for: '") + name + u'\'');
}

void DNSServerManager::removeZone(const ZonePtr& zone) {
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
    saveConfiguration();
    saveZonesToStorage();
    addLog(QStringLiteral("Zone '") + zone->name() + QStringLiteral("' removed successfully"),
           LogLevel::info);
}

void DNSServerManager::addRecord(const DNSRecord& record, const ZonePtr& zone) {
    if (!zone)
        return;
    const ValidationResult result = validateRecord(record);
    if (!result.isValid) {
        addLog(QStringLiteral("Invalid DNS record for '") + displayName(record) +
                   QStringLiteral("' ") + rawValue(record.type) + u':',
               LogLevel::error);
        for (const QString& message : result.errors)
            addLog(QStringLiteral("  • ") + message, LogLevel::error);
        return;
    }
    zone->addRecord(record);
    updateSOASerial(zone);
    saveZoneFile(zone);
    saveZonesToStorage();
    addLog(recordPhrase(record) + QStringLiteral(" added to zone '") + zone->name() + u'\'',
           LogLevel::success);
}

void DNSServerManager::updateRecord(const DNSRecord& record, const ZonePtr& zone) {
    if (!zone)
        return;
    const ValidationResult result = validateRecord(record);
    if (!result.isValid) {
        addLog(QStringLiteral("Invalid DNS record update for '") + displayName(record) +
                   QStringLiteral("' ") + rawValue(record.type) + u':',
               LogLevel::error);
        for (const QString& message : result.errors)
            addLog(QStringLiteral("  • ") + message, LogLevel::error);
        return;
    }
    // A record whose id is not in the zone replaces nothing; the serial is
    // advanced and the zone saved all the same.
    zone->updateRecord(record);
    updateSOASerial(zone);
    saveZoneFile(zone);
    saveZonesToStorage();
    addLog(recordPhrase(record) + QStringLiteral(" updated in zone '") + zone->name() + u'\'',
           LogLevel::success);
}

void DNSServerManager::deleteRecord(const DNSRecord& record, const ZonePtr& zone) {
    if (!zone)
        return;
    // Every record with this id goes (stored data may hold the same id twice).
    while (zone->removeRecord(record.id)) {
    }
    updateSOASerial(zone);
    saveZoneFile(zone);
    saveZonesToStorage();
    addLog(QStringLiteral("🗑️ ") + recordPhrase(record) +
               QStringLiteral(" deleted from zone '") + zone->name() + u'\'',
           LogLevel::info);
}

void DNSServerManager::updateSOASerial(const ZonePtr& zone) {
    if (!zone)
        return;
    // One reading of the clock for both steps, so that a default SOA made
    // just before midnight is advanced on the same day it was made.
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    if (!zone->soaRecord()) {
        zone->setSoaRecord(defaultSOA(zone->name(), now));
        addLog(QStringLiteral("Created default SOA record for zone '") + zone->name() + u'\'',
               LogLevel::info);
    }
    SOARecord soa = *zone->soaRecord();
    const qint64 oldSerial = soa.serial;
    soa.serial = nextSerial(oldSerial, now);
    zone->setSoaRecord(soa);
    addLog(QStringLiteral("Incremented SOA serial for zone '") + zone->name() +
               QStringLiteral("': ") + QString::number(oldSerial) + QStringLiteral(" → ") +
               QString::number(soa.serial),
           LogLevel::debug);
}

void DNSServerManager::validateDataIntegrity() {
    if (m_zones.isEmpty())
        return;
    qsizetype examined = 0;
    qsizetype removed = 0;
    for (const ZonePtr& zone : m_zones) {
        QList<DNSRecord> kept;
        kept.reserve(zone->records().size());
        for (const DNSRecord& record : zone->records()) {
            ++examined;
            const ValidationResult result = validateRecord(record);
            if (result.isValid) {
                kept.append(record);
                continue;
            }
            ++removed;
            // The name as stored: an apex record shows an empty name here.
            addLog(QStringLiteral("Invalid record in zone '") + zone->name() +
                       QStringLiteral("': ") + record.name + u' ' + rawValue(record.type) +
                       QStringLiteral(" - ") + result.errors.join(QStringLiteral(", ")),
                   LogLevel::warning);
        }
        zone->setRecords(kept);
    }
    if (removed > 0) {
        addLog(QStringLiteral("Data integrity check: Removed ") + QString::number(removed) +
                   QStringLiteral(" invalid records out of ") + QString::number(examined) +
                   QStringLiteral(" total records"),
               LogLevel::warning);
    } else if (examined > 0) {
        addLog(QStringLiteral("Data integrity check: All ") + QString::number(examined) +
                   QStringLiteral(" records are valid"),
               LogLevel::success);
    }
}

} // namespace korvi
