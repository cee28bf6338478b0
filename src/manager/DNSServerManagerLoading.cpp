// Loading zones and settings from BIND's own files: named.conf names the
// zones and their files, the zone files hold the records.

#include "manager/DNSServerManager.h"
#include "manager/ZoneRepository.h"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>

#include "host/HostLayout.h"
#include "model/BindConfigReader.h"
#include "model/ZoneParser.h"
#include "platform/Console.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

// The files whose zone statements are Korvi's: on a distribution's BIND its
// include file alone; otherwise the named.conf the layout has Korvi write
// whole, and Korvi's include beside it.
QStringList korviConfigurationFiles(const SystemLayout& layout) {
    if (layout.ownsIncludeOnly)
        return {ownedFileLayout(layout).korviInclude};
    return {layout.namedConfigPath, BindConfigReader::korviIncludeBeside(layout.namedConfigPath)};
}

// named.conf and the files it includes as they lie on disk, each zone with
// its declaring file and owner. Applied to the configuration when the top
// file was read.
BindConfigReading readConfigurationTree(const SystemLayout& layout,
                                        DNSConfiguration& configuration) {
    BindConfigReading tree = BindConfigReader::fromFileTree(layout.namedConfigPath);
    BindConfigReader::markOwnership(tree, korviConfigurationFiles(layout));
    for (const QString& problem : tree.problems)
        consoleLine(QStringLiteral("named.conf: ") + problem);
    if (tree.read)
        BindConfigReader::apply(tree, configuration);
    return tree;
}

} // namespace

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
        const std::optional<ZoneReadResult> read = readZoneFile(name, it.value());
        if (!read)
            continue;
        const QString path = m_layout.zoneDirectory + u'/' + it.value();
        auto zone = ZonePtr::create(name, path);
        zone->setRecords(read->records);
        if (read->soa)
            zone->setSoaRecord(read->soa);
        m_repository->appendZone(zone);
        addLog(QStringLiteral("✅ Loaded zone '%1' from file system (%2 records)")
                   .arg(name)
                   .arg(zone->records().size()),
               LogLevel::info);
    }
}

std::optional<ZoneReadResult> DNSServerManager::readZoneFile(const QString& name,
                                                             const QString& fileName) {
    const QString path = m_layout.zoneDirectory + u'/' + fileName;
    if (!isValidPath(path)) {
        addLog(QStringLiteral("❌ Invalid zone file path: ") + path, LogLevel::info);
        return std::nullopt;
    }
    if (!QFileInfo::exists(path)) {
        addLog(QStringLiteral("❌ Zone file not found: ") + path, LogLevel::info);
        return std::nullopt;
    }
    // Read whole or not at all: a zone the reader refuses (syntax, more
    // than ZoneParser's stated limits) is named with the reason.
    ZoneReadResult read = ZoneParser().readFile(path, name, m_layout.zoneDirectory);
    if (!read.ok) {
        addLog(QStringLiteral("❌ Zone '%1' not loaded: %2").arg(name, read.error),
               LogLevel::warning);
        return std::nullopt;
    }
    if (!read.outOfZone.isEmpty()) {
        const OutOfZoneRecord& first = read.outOfZone.first();
        addLog(QStringLiteral("⚠️ Zone '%1': %2 record(s) outside the zone not kept, as BIND "
                              "ignores them (first: %3 %4, %5 line %6)")
                   .arg(name)
                   .arg(read.outOfZone.size())
                   .arg(first.owner, first.type, first.file)
                   .arg(first.line),
               LogLevel::warning);
    }
    return read;
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
    const BindConfigReading tree = readConfigurationTree(m_layout, *m_configuration);
    if (tree.read) {
        addLog(QStringLiteral("📋 Loaded BIND configuration from ") + m_layout.namedConfigPath,
               LogLevel::info);
        confirmZonesWithBind(tree);
    }
    loadZonesFromBindConfiguration();
    checkServerStatus();
}

// BIND's own reading (`named-checkconf -p`: includes expanded, one layout)
// gives the zone list its final types and views; the declaring files come
// from the tree read from disk. Runs in the background; a refusal leaves the
// list read from disk in place.
void DNSServerManager::confirmZonesWithBind(const BindConfigReading& tree) {
    const QStringList command{QStringLiteral("named-checkconf"), QStringLiteral("-p"),
                              m_layout.namedConfigPath};
    QPointer<DNSServerManager> self(this);
    m_runner.runCommand(command, [self, tree](bool success, const QString& output) {
        if (!self)
            return;
        BindConfigReading canonical;
        if (success)
            canonical = BindConfigReader::fromCheckconfOutput(output);
        if (!canonical.read) {
            consoleLine(QStringLiteral("named-checkconf did not confirm the zone list: ") +
                        output.trimmed());
            return;
        }
        BindConfigReader::attributeFiles(canonical, tree);
        BindConfigReader::markOwnership(canonical, korviConfigurationFiles(self->m_layout));
        if (canonical.zones != tree.zones)
            self->addLog(
                QStringLiteral("⚠️ BIND reads the zone statements differently from the "
                               "files on disk; showing BIND's reading"),
                LogLevel::warning);
        self->m_configuration->setConfiguredZones(canonical.zones);
    });
}

// A distribution's BIND: the server-wide settings from the file the package
// keeps them in (shown read-only), Korvi's zones from its own include file,
// read directly (the include line may not be in place yet). Every other zone
// of the configuration is listed read-only with its declaring file.
void DNSServerManager::loadOwnedConfiguration() {
    if (const std::optional<QString> text = readTextFile(m_layout.packageOptionsPath)) {
        m_configuration->loadNamedConf(*text);
        addLog(QStringLiteral("📋 Loaded BIND configuration from ") + m_layout.packageOptionsPath,
               LogLevel::info);
    }
    const OwnedFileLayout files = ownedFileLayout(m_layout);
    BindConfigReading own = BindConfigReader::fromFileTree(files.korviInclude);
    BindConfigReader::markOwnership(own, {files.korviInclude});
    QMap<QString, QString> zoneFiles;
    QList<ConfiguredZone> listed;
    for (const ConfiguredZone& zone : own.zones) {
        if (zone.isEditableByKorvi() && OwnedFiles::isAcceptableZoneName(zone.name))
            zoneFiles.insert(zone.name, QFileInfo(files.zoneFile(zone.name)).fileName());
        listed.append(zone);
    }
    m_configuration->setZoneFiles(zoneFiles);
    BindConfigReading tree = BindConfigReader::fromFileTree(m_layout.namedConfigPath);
    BindConfigReader::markOwnership(tree, {files.korviInclude});
    for (const ConfiguredZone& zone : tree.zones) {
        if (!zone.ownedByKorvi)
            listed.append(zone);
    }
    m_configuration->setConfiguredZones(listed);
    if (tree.read)
        confirmZonesWithBind(tree);
}

void DNSServerManager::refreshFromFileSystem() {
    addLog(QStringLiteral("🔄 Refreshing zones and configuration from file system..."),
           LogLevel::info);
    const QList<ZonePtr> previousZones = zones();
    const QMap<QString, QString> previousZoneFiles = m_configuration->zoneFiles();
    m_configuration->setZoneFiles({});
    if (m_layout.ownsIncludeOnly) {
        loadOwnedConfiguration();
    } else if (isValidPath(m_layout.namedConfigPath)) {
        const BindConfigReading tree = readConfigurationTree(m_layout, *m_configuration);
        if (tree.read) {
            addLog(QStringLiteral("📋 Loaded BIND configuration from ") + m_layout.namedConfigPath,
                   LogLevel::info);
            confirmZonesWithBind(tree);
        }
    }

    // Each zone named in named.conf: one Korvi already has stays as it is,
    // and is listed when its file says otherwise; one new to Korvi is taken
    // from its file. Zones no longer named leave the list, as before.
    QList<ZonePtr> refreshed;
    QList<ZoneDifference> differences;
    const QMap<QString, QString> entries = m_configuration->zoneFiles();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QString& name = it.key();
        const std::optional<ZoneReadResult> read = readZoneFile(name, it.value());
        if (!read)
            continue;
        const auto known = std::find_if(previousZones.cbegin(), previousZones.cend(),
                                        [&](const ZonePtr& zone) { return zone->name() == name; });
        if (known == previousZones.cend()) {
            auto zone = ZonePtr::create(name, m_layout.zoneDirectory + u'/' + it.value());
            zone->setRecords(read->records);
            if (read->soa)
                zone->setSoaRecord(read->soa);
            refreshed.append(zone);
            continue;
        }
        refreshed.append(*known);
        if (!(*known)->recordsLoaded()) {
            addLog(QStringLiteral("⏳ Zone '%1' is still loading from Korvi's store; its file "
                                  "was not compared")
                       .arg(name),
                   LogLevel::warning);
            continue;
        }
        if (std::optional<ZoneDifference> difference =
                ZoneDifference::between(**known, read->records, read->soa)) {
            addLog(
                QStringLiteral("⚠️ Zone '%1' differs from its file (%2); nothing was changed, "
                               "choose which version to keep")
                    .arg(name, difference->summary()),
                LogLevel::warning);
            differences.append(std::move(*difference));
        }
    }
    m_refreshDifferences = differences;
    Q_EMIT refreshDifferencesChanged();
    checkServerStatus();

    if (!refreshed.isEmpty()) {
        setZones(refreshed);
        validateDataIntegrity();
        addLog(QStringLiteral("Refreshed %1 zones from BIND configuration").arg(zones().size()),
               LogLevel::success);
        return;
    }
    // Nothing found on disk: keep what the user had, and keep named.conf's
    // zone statements for those zones, so that the next save still names them.
    m_configuration->setZoneFiles(previousZoneFiles);
    addLog(QStringLiteral("No zones found in file system, keeping existing zones"),
           LogLevel::warning);
}

std::optional<ZoneDifference> DNSServerManager::takeDifference(const QString& zoneName) {
    for (qsizetype i = 0; i < m_refreshDifferences.size(); ++i) {
        if (m_refreshDifferences[i].zoneName == zoneName) {
            ZoneDifference difference = m_refreshDifferences.takeAt(i);
            Q_EMIT refreshDifferencesChanged();
            return difference;
        }
    }
    return std::nullopt;
}

void DNSServerManager::keepKorviVersion(const QString& zoneName) {
    const std::optional<ZoneDifference> difference = takeDifference(zoneName);
    if (!difference)
        return;
    for (const ZonePtr& zone : zones()) {
        if (zone->id() == difference->zoneId)
            m_repository->rewriteZoneFile(zone,
                                          difference->fileSOA ? difference->fileSOA->serial : 0);
    }
}

void DNSServerManager::useFileVersion(const QString& zoneName) {
    const std::optional<ZoneDifference> difference = takeDifference(zoneName);
    if (!difference)
        return;
    for (const ZonePtr& zone : zones()) {
        if (zone->id() == difference->zoneId)
            m_repository->replaceZoneContent(zone, difference->fileRecords, difference->fileSOA);
    }
}

} // namespace korvi
