// The secondary zones: kept in the preferences, written into named.conf,
// their copies read back from the files BIND writes.
#include "manager/DNSServerManager.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include "manager/AppLog.h"
#include "manager/SecondaryZoneCopy.h"
#include "manager/ServerControl.h"

namespace korvi {

void DNSServerManager::loadSecondaryZones() {
    const std::optional<QByteArray> kept = m_preferences->data(secondaryZonesKey());
    if (!kept)
        return;
    const QList<SecondaryZoneSettings> zones =
        SecondaryZoneSettings::fromJson(QJsonDocument::fromJson(*kept).array());
    for (const SecondaryZoneSettings& zone : zones)
        m_secondaryZones.append(makeSecondaryCopy(zone));
    m_configuration->setSecondaryZones(zones);
}

void DNSServerManager::keepSecondaryZones() {
    m_preferences->setData(
        secondaryZonesKey(),
        QJsonDocument(SecondaryZoneSettings::toJson(m_configuration->secondaryZones()))
            .toJson(QJsonDocument::Compact));
    m_preferences->synchronize();
}

SecondaryZoneCopy* DNSServerManager::makeSecondaryCopy(const SecondaryZoneSettings& zone) {
    // named resolves the file name in its directory, Korvi's zone folder.
    return new SecondaryZoneCopy(zone, QDir(m_layout.zoneDirectory).filePath(zone.fileName), this);
}

SecondaryZoneCopy* DNSServerManager::secondaryZone(const QString& name) const {
    for (SecondaryZoneCopy* copy : m_secondaryZones)
        if (copy->settings().name.compare(name, Qt::CaseInsensitive) == 0)
            return copy;
    return nullptr;
}

std::optional<QString>
DNSServerManager::secondaryZoneRefusal(const SecondaryZoneSettings& zone) const {
    if (m_layout.ownsIncludeOnly)
        return QStringLiteral("Secondary zones are written into Korvi's own named.conf; this "
                              "system's BIND reads Korvi's include file, which holds only "
                              "Korvi's own zones");
    if (const std::optional<QString> refused = SecondaryZoneSettings::refusal(zone))
        return refused;
    if (const std::optional<QString> taken = newZoneRefusal(zone.name))
        return taken;
    return std::nullopt;
}

bool DNSServerManager::addSecondaryZone(const SecondaryZoneSettings& zone) {
    if (const std::optional<QString> refused = secondaryZoneRefusal(zone)) {
        addLog(QStringLiteral("❌ Secondary zone '%1' was not added: %2").arg(zone.name, *refused),
               LogLevel::error);
        return false;
    }
    m_secondaryZones.append(makeSecondaryCopy(zone));
    m_configuration->setSecondaryZones(m_configuration->secondaryZones() + QList{zone});
    keepSecondaryZones();
    addLog(QStringLiteral("✅ Secondary zone '%1' added, copied from %2")
               .arg(zone.name, SecondaryZoneCopy::primariesText(zone)),
           LogLevel::success);
    Q_EMIT secondaryZonesChanged();
    saveForSecondaryZones();
    return true;
}

void DNSServerManager::removeSecondaryZone(const QString& name) {
    SecondaryZoneCopy* copy = secondaryZone(name);
    if (!copy)
        return;
    m_secondaryZones.removeOne(copy);
    QList<SecondaryZoneSettings> zones = m_configuration->secondaryZones();
    zones.removeIf([&](const SecondaryZoneSettings& zone) { return zone == copy->settings(); });
    m_configuration->setSecondaryZones(zones);
    keepSecondaryZones();
    addLog(QStringLiteral("Secondary zone '%1' removed").arg(copy->settings().name),
           LogLevel::info);
    copy->deleteLater();
    Q_EMIT secondaryZonesChanged();
    saveForSecondaryZones();
}

void DNSServerManager::saveForSecondaryZones() {
    // A running server learns of the zone once the new named.conf is written.
    const SaveId id = saveConfiguration();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &DNSServerManager::configurationSaveFinished, this,
                          [this, id, connection](SaveId finished, bool written) {
                              if (finished != id)
                                  return;
                              disconnect(*connection);
                              if (written && isRunning())
                                  m_control->reconfigure();
                          });
}

} // namespace korvi
