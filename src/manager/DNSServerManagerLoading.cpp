// Loading zones and settings from BIND's own files: named.conf names the
// zones and their files, the zone files hold the records.

#include "manager/DNSServerManager.h"
#include "manager/ZoneRepository.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "host/HostLayout.h"
#include "model/ZoneParser.h"
#include "platform/TextFile.h"

namespace korvi {

void DNSServerManager::loadZonesFromBindConfiguration() {
    // A copy: the map as it is now, whatever the loop below changes.
    const QMap<QString, QString> entries = m_configuration->zoneFiles();
    if (entries.isEmpty()) {
        addLog(QStringLiteral("📁 No zones found in BIND configuration file"), LogLevel::info);
        return;
    }
    addLog(QStringLiteral("📁 Found %1 zone(s) in BIND configuration").arg(entries.size()),
           LogLevel::info);

    // QMap iterates in name order, so zones are appended sorted by name.
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QString& name = it.key();
        const bool known = std::any_of(zones().cbegin(), zones().cend(),
                                       [&](const ZonePtr& zone) { return zone->name() == name; });
        if (known) {
            addLog(QStringLiteral("⏭️ Zone '%1' already loaded from app storage, skipping file "
                                  "system version")
                       .arg(name),
                   LogLevel::info);
            continue;
        }
        const QString path = m_layout.zoneDirectory + u'/' + it.value();
        if (!isValidPath(path)) {
            addLog(QStringLiteral("❌ Invalid zone file path: ") + path, LogLevel::info);
            continue;
        }
        if (!QFileInfo::exists(path)) {
            addLog(QStringLiteral("❌ Zone file not found: ") + path, LogLevel::info);
            continue;
        }
        // Read whole or not at all: a zone the reader refuses (syntax, more
        // than ZoneParser's stated limits) is named with the reason.
        const ZoneReadResult read = ZoneParser().readFile(path, name, m_layout.zoneDirectory);
        if (!read.ok) {
            addLog(QStringLiteral("❌ Zone '%1' not loaded: %2").arg(name, read.error),
                   LogLevel::warning);
            continue;
        }
        if (!read.outOfZone.isEmpty()) {
            const OutOfZoneRecord& first = read.outOfZone.first();
            addLog(
                QStringLiteral("⚠️ Zone '%1': %2 record(s) outside the zone not kept, as BIND "
                               "ignores them (first: %3 %4, %5 line %6)")
                    .arg(name)
                    .arg(read.outOfZone.size())
                    .arg(first.owner, first.type, first.file)
                    .arg(first.line),
                LogLevel::warning);
        }
        auto zone = ZonePtr::create(name, path);
        zone->setRecords(read.records);
        if (read.soa)
            zone->setSoaRecord(read.soa);
        m_repository->appendZone(zone);
        addLog(QStringLiteral("✅ Loaded zone '%1' from file system (%2 records)")
                   .arg(name)
                   .arg(zone->records().size()),
               LogLevel::info);
    }
}

void DNSServerManager::loadConfigurationFromFile() {
    if (m_layout.ownsIncludeOnly) {
        loadOwnedConfiguration();
        loadZonesFromBindConfiguration();
        checkServerStatus();
        return;
    }
    if (!isValidPath(m_layout.namedConfigPath)) {
        addLog(QStringLiteral("Invalid configuration file path"), LogLevel::info);
        return;
    }
    if (const std::optional<QString> text = readTextFile(m_layout.namedConfigPath)) {
        m_configuration->loadNamedConf(*text);
        addLog(QStringLiteral("📋 Loaded BIND configuration from ") + m_layout.namedConfigPath,
               LogLevel::info);
    }
    loadZonesFromBindConfiguration();
    checkServerStatus();
}

// A distribution's BIND: the server-wide settings from the file the package
// keeps them in (shown read-only), Korvi's zones from its own include file.
void DNSServerManager::loadOwnedConfiguration() {
    if (const std::optional<QString> text = readTextFile(m_layout.packageOptionsPath)) {
        m_configuration->loadNamedConf(*text);
        addLog(QStringLiteral("📋 Loaded BIND configuration from ") + m_layout.packageOptionsPath,
               LogLevel::info);
    }
    const OwnedFileLayout files = ownedFileLayout(m_layout);
    QMap<QString, QString> zoneFiles;
    if (const std::optional<QString> text = readTextFile(files.korviInclude)) {
        static const QRegularExpression statement(QStringLiteral("^zone \"([^\"]+)\""),
                                                  QRegularExpression::MultilineOption);
        auto it = statement.globalMatch(*text);
        while (it.hasNext()) {
            const QString zone = it.next().captured(1);
            zoneFiles.insert(zone, QFileInfo(files.zoneFile(zone)).fileName());
        }
    }
    m_configuration->setZoneFiles(zoneFiles);
}

void DNSServerManager::refreshFromFileSystem() {
    addLog(QStringLiteral("🔄 Refreshing zones and configuration from file system..."),
           LogLevel::info);
    loadConfigurationFromFile();

    const QList<ZonePtr> previousZones = zones();
    const QMap<QString, QString> previousZoneFiles = m_configuration->zoneFiles();
    setZones({});
    m_configuration->setZoneFiles({});

    if (m_layout.ownsIncludeOnly)
        loadOwnedConfiguration();
    else if (const std::optional<QString> text = readTextFile(m_layout.namedConfigPath))
        m_configuration->loadNamedConf(*text);
    loadZonesFromBindConfiguration();

    if (!zones().isEmpty()) {
        validateDataIntegrity();
        addLog(QStringLiteral("Refreshed %1 zones from BIND configuration").arg(zones().size()),
               LogLevel::success);
        return;
    }
    // Nothing found on disk: keep what the user had, and keep named.conf's
    // zone statements for those zones, so that the next save still names them.
    setZones(previousZones);
    m_configuration->setZoneFiles(previousZoneFiles);
    addLog(QStringLiteral("No zones found in file system, keeping existing zones"),
           LogLevel::warning);
}

} // namespace korvi
