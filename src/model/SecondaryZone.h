#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

#include <optional>

namespace korvi {

// A server a secondary zone is copied from: its address, port and, when
// transfers are signed, the TSIG key's name.
struct ZonePrimary {
    QString address;
    quint16 port = 53;
    QString keyName;

    bool operator==(const ZonePrimary&) const = default;
};

// A zone this server keeps as a secondary: BIND copies it from its primaries
// into `fileName` (resolved in named's directory), in text form so that Korvi
// can read the copy. Korvi shows it and never edits it.
struct SecondaryZoneSettings {
    QString name;
    QList<ZonePrimary> primaries;
    QString fileName;

    bool operator==(const SecondaryZoneSettings&) const = default;

    // The file name Korvi gives a secondary zone's copy: "<zone>.secondary.db".
    static QString defaultFileName(const QString& zoneName);
    // Why the zone cannot be configured as given, in Korvi's words (a name,
    // at least one primary with an IPv4 or IPv6 address and a port, key
    // names and the file name that can be written); nothing when it can.
    static std::optional<QString> refusal(const SecondaryZoneSettings& zone);

    // The zones as the preferences keep them, and back; entries that cannot
    // be read are left out.
    static QJsonArray toJson(const QList<SecondaryZoneSettings>& zones);
    static QList<SecondaryZoneSettings> fromJson(const QJsonArray& array);
};

} // namespace korvi
