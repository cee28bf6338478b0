// DNSServerManager: keeping the zones in the application preferences.
//
// The zones live as one JSON document under ZoneStorage::savedZonesKey(), with
// the document before the last successful save under ZoneStorage::backupKey().
// Both operations run on the main thread from start to end: callers rely on a
// save being complete when it returns.

#include "manager/DNSServerManager.h"

#include <QDateTime>

#include "manager/PathComponents.h"
#include "manager/ZoneStorage.h"
#include "platform/Console.h"

namespace korvi {

namespace {

// Replaces the manager's zones with the stored ones, in stored order, and
// gives each its entry in the configuration's zone-file table.
void rebuildZones(DNSServerManager& manager, const QList<ZoneStorageDataV1>& stored, bool legacy) {
    const QString loadedLine =
        legacy ? QStringLiteral("✅ Loaded zone (legacy): ") : QStringLiteral("✅ Loaded zone: ");
    manager.setZones({});
    for (const ZoneStorageDataV1& data : stored) {
        // A new zone object with a new id; the name is cleaned on creation.
        const ZonePtr zone = ZonePtr::create(data.name, data.filePath);
        zone->setRecords(data.records);
        if (data.soaRecord)
            zone->setSoaRecord(data.soaRecord);
        QList<ZonePtr> zones = manager.zones();
        zones.append(zone);
        manager.setZones(zones);
        manager.configuration()->setZoneFile(zone->name(), lastPathComponent(data.filePath));
        consoleLine(loadedLine + data.name + QStringLiteral(" with ") +
                    QString::number(data.records.size()) + QStringLiteral(" records"));
    }
}

QList<ZoneStorageDataV1> withoutDates(const QList<ZoneStorageDataV2>& current) {
    QList<ZoneStorageDataV1> zones;
    zones.reserve(current.size());
    for (const ZoneStorageDataV2& data : current)
        zones.append({data.name, data.filePath, data.records, data.soaRecord});
    return zones;
}

enum class LoadPass { done, repeatWithBackup };

// One pass of the load. When the document cannot be read in either form and
// a backup exists, the backup is put under the main key and, if this pass may
// restore, the caller runs the load again on it.
LoadPass loadStoredDocument(DNSServerManager& manager, bool mayRestoreFromBackup) {
    PreferencesStore& preferences = manager.preferences();
    consoleLine(QStringLiteral("🔄 Loading zones from UserDefaults..."));
    const std::optional<QByteArray> document = preferences.data(ZoneStorage::savedZonesKey());
    if (!document) {
        consoleLine(QStringLiteral("❌ No zone data found in UserDefaults"));
        manager.addLog(QStringLiteral("No saved zones found in app storage"), LogLevel::info);
        return LoadPass::done;
    }
    consoleLine(QStringLiteral("✅ Found zone data in UserDefaults (") +
                QString::number(document->size()) + QStringLiteral(" bytes)"));

    QString currentError;
    if (const auto current = ZoneStorage::decodeCurrent(*document, &currentError)) {
        rebuildZones(manager, withoutDates(*current), false);
        const QString message = QStringLiteral("📱 Loaded ") +
                                QString::number(manager.zones().size()) +
                                QStringLiteral(" zones from app storage");
        manager.addLog(message, LogLevel::info);
        consoleLine(QStringLiteral("✅ ") + message + QStringLiteral(": ") +
                    DNSServerManager::namesList(manager.zones()));
        return LoadPass::done;
    }

    consoleLine(QStringLiteral("⚠️ Failed to load with new format, trying legacy format..."));
    QString legacyError;
    if (const auto legacy = ZoneStorage::decodeLegacy(*document, &legacyError)) {
        rebuildZones(manager, *legacy, true);
        const QString message = QStringLiteral("📱 Loaded ") +
                                QString::number(manager.zones().size()) +
                                QStringLiteral(" zones from app storage (legacy format)");
        manager.addLog(message, LogLevel::info);
        consoleLine(QStringLiteral("✅ ") + message + QStringLiteral(": ") +
                    DNSServerManager::namesList(manager.zones()));
        // Rewrites the document in the current form; the legacy one becomes
        // the backup.
        manager.saveZonesToStorage();
        return LoadPass::done;
    }

    const QString failure =
        QStringLiteral("❌ Failed to load zones from app storage: ") + legacyError;
    manager.addLog(failure, LogLevel::info);
    consoleLine(failure);
    const std::optional<QByteArray> backup = preferences.data(ZoneStorage::backupKey());
    if (!backup)
        return LoadPass::done;
    if (!mayRestoreFromBackup) {
        // The document just read was the backup: it cannot be read either.
        manager.addLog(QStringLiteral("⚠️ The backup of the zones cannot be read either; "
                                      "zones left unchanged"),
                       LogLevel::warning);
        return LoadPass::done;
    }
    preferences.setData(ZoneStorage::savedZonesKey(), *backup);
    manager.addLog(QStringLiteral("🔄 Attempting to restore from backup..."), LogLevel::info);
    return LoadPass::repeatWithBackup;
}

} // namespace

void DNSServerManager::saveZonesToStorage() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ZoneStorageData> stored;
    stored.reserve(m_zones.size());
    for (const ZonePtr& zone : m_zones)
        stored.append({zone->name(), zone->filePath(), zone->records(), zone->soaRecord(), now});

    QString error;
    const std::optional<QByteArray> document = ZoneStorage::encode(stored, &error);
    if (!document) {
        const QString failure = QStringLiteral("❌ Failed to save zones to app storage: ") + error;
        addLog(failure, LogLevel::info);
        consoleLine(failure);
        if (const auto backup = m_preferences->data(ZoneStorage::backupKey())) {
            m_preferences->setData(ZoneStorage::savedZonesKey(), *backup);
            addLog(QStringLiteral("🔄 Restored zones from backup after save failure"),
                   LogLevel::info);
        }
        return;
    }

    if (const auto previous = m_preferences->data(ZoneStorage::savedZonesKey()))
        m_preferences->setData(ZoneStorage::backupKey(), *previous);
    m_preferences->setData(ZoneStorage::savedZonesKey(), *document);
    m_preferences->synchronize();
    addLog(QStringLiteral("💾 Saved ") + QString::number(m_zones.size()) +
               QStringLiteral(" zones to app storage with backup"),
           LogLevel::info);
    consoleLine(QStringLiteral("💾 Saved zones to UserDefaults: ") + namesList(m_zones));
}

void DNSServerManager::loadZonesFromStorage() {
    // The backup is put back at most once per load: when it cannot be read
    // either, the load ends there instead of copying it over itself forever.
    if (loadStoredDocument(*this, true) == LoadPass::repeatWithBackup)
        loadStoredDocument(*this, false);
}

} // namespace korvi
