// The zone repository's zone list, the new-zone rules and the changes that
// need no check (the integrity sweep, a refresh's choice, a serial step). The
// checked record changes are in ZoneRepositoryChanges.cpp, zone additions and
// removals in ZoneRepositoryZones.cpp.

#include "manager/ZoneRepository.h"

#include <QMetaObject>

#include <utility>

#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"

#include "manager/PathComponents.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"
#include "model/TextCleaning.h"
#include "platform/Console.h"

namespace korvi {

ZoneRepository::ZoneRepository(AppLog* log, ZoneDatabase* database, DNSConfiguration* configuration,
                               CheckedSaver* saver, ServerControl* control,
                               ConfigurationSave configurationSave, QObject* parent)
    : QObject(parent), m_log(log), m_database(database), m_configuration(configuration),
      m_saver(saver), m_control(control), m_configurationSave(std::move(configurationSave)) {
    connectDatabase();
    if (saver) {
        connect(saver, &CheckedSaver::finished, this,
                [this](SaveId id, const QString&, bool written, const QString& reason) {
                    if (Completion done = m_saveWaiters.take(id))
                        done(written, reason);
                });
        // Saves still waited for never end once the saver is gone; each
        // change waiting for one ends now, unapplied.
        connect(saver, &QObject::destroyed, this, [this] {
            const QHash<SaveId, Completion> waiting = std::exchange(m_saveWaiters, {});
            for (const Completion& done : waiting)
                done(false, QStringLiteral("Korvi's file saving has stopped; the file was not "
                                           "written"));
        });
    }
}

ZoneRepository::~ZoneRepository() = default;

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
                                qint64 serial, const QString& nameServerAddress) {
    auto zone = ZonePtr::create(name, filePath);
    zone->setSoaRecord(newZoneSOA(name, primaryNameServer, adminEmail, serial));
    // The cleaning constructor gives the empty (apex) name and the value
    // cleaned for an NS record.
    zone->addRecord(
        DNSRecord(QString(), DNSRecordType::NS,
                  completedHost(primaryNameServer, QStringLiteral("ns1.") + name + u'.'), 86400));
    const QString nameServer = zone->soaRecord()->primaryNameServer; // cleaned, with its dot
    const QString address = nameServerAddress.trimmed();
    if (!address.isEmpty() && nameServerInsideZone(nameServer, name)) {
        // The server's name relative to the zone: empty at the apex.
        const QString host = nameServer.chopped(1);
        const QString relative =
            host.size() > name.size() ? host.left(host.size() - name.size() - 1) : QString();
        zone->addRecord(DNSRecord(relative,
                                  address.contains(u':') ? DNSRecordType::AAAA : DNSRecordType::A,
                                  address, 86400));
    }
    return zone;
}

bool ZoneRepository::nameServerInsideZone(const QString& nameServer, const QString& zoneName) {
    const auto bare = [](const QString& text) {
        QString name = text.trimmed().toLower();
        while (name.endsWith(u'.'))
            name.chop(1);
        return name;
    };
    const QString server = bare(nameServer);
    const QString zone = bare(zoneName);
    if (server.isEmpty() || zone.isEmpty())
        return false;
    return server == zone || server.endsWith(u'.' + zone);
}

void ZoneRepository::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void ZoneRepository::updateSOASerial(const ZonePtr& zone) {
    if (!zone)
        return;
    advanceSerial(zone);
    if (canStore() && m_storedZones.contains(zone->id()))
        track(m_database->updateSoa(zone->id(), zone->soaRecord()),
              QStringLiteral("the SOA of zone '") + zone->name() + u'\'');
}

void ZoneRepository::validateDataIntegrity() {
    if (m_zones.isEmpty())
        return;
    // Records Korvi's rules refuse are reported and kept: they came from a
    // zone file or the store, BIND may well serve them (Korvi's rules are
    // stricter than BIND's in places), and dropping them would lose data
    // without the user's word. Editing one asks for the fix; BIND's checker
    // judges the zone on its next change.
    qsizetype examined = 0;
    qsizetype refused = 0;
    for (const ZonePtr& zone : m_zones) {
        if (!zone->recordsLoaded())
            continue;
        for (const DNSRecord& record : zone->records()) {
            ++examined;
            const ValidationResult result = validateRecord(record);
            if (result.isValid)
                continue;
            ++refused;
            // The name as stored: an apex record shows an empty name here.
            log(QStringLiteral("Invalid record in zone '") + zone->name() + QStringLiteral("': ") +
                    record.name + u' ' + rawValue(record.type) + QStringLiteral(" - ") +
                    result.errors.join(QStringLiteral(", ")),
                LogLevel::warning);
        }
    }
    if (refused > 0) {
        log(QStringLiteral("Data integrity check: ") + QString::number(refused) +
                QStringLiteral(" of ") + QString::number(examined) +
                QStringLiteral(" records do not meet Korvi's rules; they are kept as they are, "
                               "edit or delete them"),
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
    if (!zone || !m_saver)
        return;
    const QString name = zone->name();
    const std::shared_ptr<ChangeSnapshot> snapshot =
        beginSnapshot(zone, ChangeSnapshot::Kind::content, false);
    whenSaved(m_saver->saveZoneFile(zone), [this, name, snapshot](bool written, const QString&) {
        if (!written)
            return;
        reloadServerZone(name);
        keepSnapshot(snapshot, QStringLiteral("Korvi's version written to the file of zone '") +
                                   name + u'\'');
    });
    log(QStringLiteral("Zone '%1': writing Korvi's version to its file").arg(name), LogLevel::info);
}

} // namespace korvi
