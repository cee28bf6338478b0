#include "storage/PreferencesImport.h"

#include "manager/ZoneStorage.h"
#include "model/TextCleaning.h"
#include "platform/PreferencesStore.h"

namespace korvi {

namespace {

struct Decoded {
    std::optional<QList<ZoneStorageDataV1>> zones;
    QString form;
    QString error;
};

Decoded decode(const QByteArray& document) {
    Decoded decoded;
    QString currentError;
    if (const auto current = ZoneStorage::decodeCurrent(document, &currentError)) {
        QList<ZoneStorageDataV1> zones;
        zones.reserve(current->size());
        for (const ZoneStorageDataV2& zone : *current)
            zones.append({zone.name, zone.filePath, zone.records, zone.soaRecord});
        decoded.zones = zones;
        decoded.form = QStringLiteral("current form");
        return decoded;
    }
    decoded.zones = ZoneStorage::decodeLegacy(document, &decoded.error);
    decoded.form = QStringLiteral("older form");
    return decoded;
}

} // namespace

qint64 PreferencesZones::recordCount() const {
    qint64 count = 0;
    for (const auto& list : records)
        count += list.size();
    return count;
}

PreferencesZones readPreferencesZones(const PreferencesStore& preferences) {
    PreferencesZones result;
    const auto main = preferences.data(ZoneStorage::savedZonesKey());
    const auto backup = preferences.data(ZoneStorage::backupKey());
    if (!main && !backup)
        return result;

    Decoded decoded;
    QString source;
    if (main) {
        decoded = decode(*main);
        source = QStringLiteral("the preferences, ") + decoded.form;
        if (!decoded.zones)
            result.problem =
                QStringLiteral("the zones in the preferences cannot be read: ") + decoded.error;
    } else {
        result.problem = QStringLiteral("the preferences hold no current zone document");
    }
    if (!decoded.zones && backup) {
        const Decoded fromBackup = decode(*backup);
        if (fromBackup.zones) {
            decoded = fromBackup;
            source = QStringLiteral("the backup copy in the preferences, ") + fromBackup.form;
        } else {
            result.problem +=
                QStringLiteral("; the backup copy cannot be read either: ") + fromBackup.error;
        }
    }
    if (!decoded.zones) {
        result.outcome = PreferencesZones::Outcome::unreadable;
        return result;
    }

    result.outcome = PreferencesZones::Outcome::read;
    result.source = source;
    for (const ZoneStorageDataV1& data : *decoded.zones) {
        result.zones.append({QUuid::createUuid(), cleanHostText(data.name), data.filePath,
                             data.soaRecord, data.records.size()});
        result.records.append(data.records);
    }
    return result;
}

} // namespace korvi
