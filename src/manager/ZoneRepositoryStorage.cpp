// The zone repository's store in the application preferences.
//
// The zones live as one JSON document under ZoneStorage::savedZonesKey(), with
// the document before the last successful save under ZoneStorage::backupKey().
// Both operations run on the main thread from start to end: callers rely on a
// save being complete when it returns.

#include "manager/ZoneRepository.h"

#include "manager/AppLog.h"

#include <QDateTime>

#include "manager/PathComponents.h"
#include "manager/ZoneStorage.h"
#include "platform/Console.h"

namespace korvi {

namespace {

QList<ZoneStorageDataV1> withoutDates(const QList<ZoneStorageDataV2>& current) {
    QList<ZoneStorageDataV1> zones;
    zones.reserve(current.size());
    for (const ZoneStorageDataV2& data : current)
        zones.append({data.name, data.filePath, data.records, data.soaRecord});
    return zones;
}

} // namespace

// Replaces the zones with the stored ones, in stored order, gives each its
// entry in the configuration's zone-file table, and says what was loaded.
void ZoneRepository::rebuildZones(const QList<ZoneStorageDataV1>& stored, bool legacy) {
    const QString loadedLine =
        legacy ? QStringLiteral("✅ Loaded zone (legacy): ") : QStringLiteral("✅ Loaded zone: ");
    setZones({});
    for (const ZoneStorageDataV1& data : stored) {
        // A new zone object with a new id; the name is cleaned on creation.
        const ZonePtr zone = ZonePtr::create(data.name, data.filePath);
        zone->setRecords(data.records);
        if (data.soaRecord)
            zone->setSoaRecord(data.soaRecord);
        QList<ZonePtr> zones = m_zones;
        zones.append(zone);
        setZones(zones);
        m_configuration->setZoneFile(zone->name(), lastPathComponent(data.filePath));
        consoleLine(loadedLine + data.name + QStringLiteral(" with ") +
                    QString::number(data.records.size()) + QStringLiteral(" records"));
    }
    const QString message = QStringLiteral("📱 Loaded ") + QString::number(m_zones.size()) +
                            (legacy ? QStringLiteral(" zones from app storage (legacy format)")
                                    : QStringLiteral(" zones from app storage"));
    log(message, LogLevel::info);
    consoleLine(QStringLiteral("✅ ") + message + QStringLiteral(": ") + namesList(m_zones));
}

// One pass of the load. When the document cannot be read in either form and
// a backup exists, the backup is put under the main key and, if this pass may
// restore, the caller runs the load again on it.
ZoneRepository::LoadPass ZoneRepository::loadStoredDocument(bool mayRestoreFromBackup) {
    PreferencesStore& preferences = *m_preferences;
    consoleLine(QStringLiteral("🔄 Loading zones from UserDefaults..."));
    const std::optional<QByteArray> document = preferences.data(ZoneStorage::savedZonesKey());
    if (!document) {
        consoleLine(QStringLiteral("❌ No zone data found in UserDefaults"));
        log(QStringLiteral("No saved zones found in app storage"), LogLevel::info);
        return LoadPass::done;
    }
    consoleLine(QStringLiteral("✅ Found zone data in UserDefaults (") +
                QString::number(document->size()) + QStringLiteral(" bytes)"));

    QString currentError;
    if (const auto current = ZoneStorage::decodeCurrent(*document, &currentError)) {
        rebuildZones(withoutDates(*current), false);
        return LoadPass::done;
    }

    consoleLine(QStringLiteral("⚠️ Failed to load with new format, trying legacy format..."));
    QString legacyError;
    if (const auto legacy = ZoneStorage::decodeLegacy(*document, &legacyError)) {
        rebuildZones(*legacy, true);
        // Rewrites the document in the current form; the legacy one becomes
        // the backup.
        saveToStorage();
        return LoadPass::done;
    }

    const QString failure =
        QStringLiteral("❌ Failed to load zones from app storage: ") + legacyError;
    log(failure, LogLevel::info);
    consoleLine(failure);
    const std::optional<QByteArray> backup = preferences.data(ZoneStorage::backupKey());
    if (!backup)
        return LoadPass::done;
    if (!mayRestoreFromBackup) {
        // The document just read was the backup: it cannot be read either.
        log(QStringLiteral("⚠️ The backup of the zones cannot be read either; "
                           "zones left unchanged"),
            LogLevel::warning);
        return LoadPass::done;
    }
    preferences.setData(ZoneStorage::savedZonesKey(), *backup);
    log(QStringLiteral("🔄 Attempting to restore from backup..."), LogLevel::info);
    return LoadPass::repeatWithBackup;
}

void ZoneRepository::saveToStorage() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ZoneStorageData> stored;
    stored.reserve(m_zones.size());
    for (const ZonePtr& zone : m_zones)
        stored.append({zone->name(), zone->filePath(), zone->records(), zone->soaRecord(), now});

    QString error;
    const std::optional<QByteArray> document = ZoneStorage::encode(stored, &error);
    if (!document) {
        const QString failure = QStringLiteral("❌ Failed to save zones to app storage: ") + error;
        log(failure, LogLevel::info);
        consoleLine(failure);
        if (const auto backup = m_preferences->data(ZoneStorage::backupKey())) {
            m_preferences->setData(ZoneStorage::savedZonesKey(), *backup);
            log(QStringLiteral("🔄 Restored zones from backup after save failure"), LogLevel::info);
        }
        return;
    }

    if (const auto previous = m_preferences->data(ZoneStorage::savedZonesKey()))
        m_preferences->setData(ZoneStorage::backupKey(), *previous);
    m_preferences->setData(ZoneStorage::savedZonesKey(), *document);
    m_preferences->synchronize();
    log(QStringLiteral("💾 Saved ") + QString::number(m_zones.size()) +
            QStringLiteral(" zones to app storage with backup"),
        LogLevel::info);
    consoleLine(QStringLiteral("💾 Saved zones to UserDefaults: ") + namesList(m_zones));
}

void ZoneRepository::loadFromStorage() {
    // The backup is put back at most once per load: when it cannot be read
    // either, the load ends there instead of copying it over itself forever.
    if (loadStoredDocument(true) == LoadPass::repeatWithBackup)
        loadStoredDocument(false);
}

} // namespace korvi
