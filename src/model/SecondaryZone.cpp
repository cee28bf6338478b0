#include "model/SecondaryZone.h"

#include <QJsonObject>

#include "model/NamedConfWriter.h"
#include "model/RecordValidator.h"

namespace korvi {

QString SecondaryZoneSettings::defaultFileName(const QString& zoneName) {
    return zoneName + QStringLiteral(".secondary.db");
}

std::optional<QString> SecondaryZoneSettings::refusal(const SecondaryZoneSettings& zone) {
    if (zone.name.isEmpty() || !isValidDomainName(zone.name))
        return QStringLiteral("Enter a valid zone name, such as example.com");
    if (zone.primaries.isEmpty())
        return QStringLiteral("A secondary zone needs the address of its primary server");
    for (const ZonePrimary& primary : zone.primaries) {
        if (!isValidIPv4Address(primary.address) && !isValidIPv6Address(primary.address))
            return QStringLiteral("'%1' is not an IPv4 or IPv6 address").arg(primary.address);
        if (primary.port == 0)
            return QStringLiteral("The primary's port must be between 1 and 65535");
        if (!primary.keyName.isEmpty() && (!isValidDomainName(primary.keyName) ||
                                           !NamedConfWriter::isSafeQuotedText(primary.keyName)))
            return QStringLiteral("'%1' is not a usable key name").arg(primary.keyName);
    }
    if (zone.fileName.isEmpty() || !NamedConfWriter::isSafeQuotedText(zone.fileName))
        return QStringLiteral("The zone's file name cannot be written in the configuration");
    return std::nullopt;
}

QJsonArray SecondaryZoneSettings::toJson(const QList<SecondaryZoneSettings>& zones) {
    QJsonArray array;
    for (const SecondaryZoneSettings& zone : zones) {
        QJsonArray primaries;
        for (const ZonePrimary& primary : zone.primaries)
            primaries.append(QJsonObject{{QStringLiteral("address"), primary.address},
                                         {QStringLiteral("port"), int(primary.port)},
                                         {QStringLiteral("key"), primary.keyName}});
        array.append(QJsonObject{{QStringLiteral("name"), zone.name},
                                 {QStringLiteral("file"), zone.fileName},
                                 {QStringLiteral("primaries"), primaries}});
    }
    return array;
}

QList<SecondaryZoneSettings> SecondaryZoneSettings::fromJson(const QJsonArray& array) {
    QList<SecondaryZoneSettings> zones;
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        SecondaryZoneSettings zone;
        zone.name = object.value(QStringLiteral("name")).toString();
        zone.fileName = object.value(QStringLiteral("file")).toString();
        for (const QJsonValue& entry : object.value(QStringLiteral("primaries")).toArray()) {
            const QJsonObject primary = entry.toObject();
            const int port = primary.value(QStringLiteral("port")).toInt(53);
            zone.primaries.append({primary.value(QStringLiteral("address")).toString(),
                                   quint16(port > 0 && port <= 65535 ? port : 0),
                                   primary.value(QStringLiteral("key")).toString()});
        }
        if (!refusal(zone))
            zones.append(zone);
    }
    return zones;
}

} // namespace korvi
