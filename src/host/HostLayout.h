#pragma once

#include <QHash>
#include <QMap>
#include <QString>

#include "host/HostFacts.h"
#include "host/OwnedFiles.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi {

// What standard mode manages, chosen when Korvi starts: the distribution's
// own BIND on Debian/Ubuntu and Fedora/RHEL (from /etc/os-release), the
// Homebrew layout elsewhere. systemd counts as running when
// /run/systemd/system exists; Korvi's own files go through korvi-helper
// unless Korvi runs as root.
struct HostLayoutFacts {
    OsRelease os;
    bool systemd = false;
    bool root = false;
    // A custom layout from Korvi's settings: both set, it wins over the
    // detected one.
    QString customConfiguration;
    QString customZoneDirectory;
};

// The settings' keys of the custom layout (UTF-8 paths).
inline constexpr const char* customConfigurationKey = "customLayout.namedConfPath";
inline constexpr const char* customZoneDirectoryKey = "customLayout.zoneDirectory";

// The host's facts, and the custom layout when preferences are given.
HostLayoutFacts readHostLayoutFacts(const PreferencesStore* preferences = nullptr);
SystemLayout standardLayoutFor(const HostLayoutFacts& facts, const QString& root = {});

// The owned-file layout a distribution layout stands for.
OwnedFileLayout ownedFileLayout(const SystemLayout& layout);

// The text of Korvi's include file: one zone statement per zone, its file in
// Korvi's zone folder. Zone names Korvi would not write a file for are left
// out. zoneLines go inside every zone statement (the secondaries' transfer
// lines), statements after the zones (the key file's include, the catalog,
// Korvi's signing policies); linesOfZone go inside the statement of the zone
// of that lower-case name only (a signed zone's policy).
QByteArray ownedIncludeText(const OwnedFileLayout& layout, const QStringList& zones,
                            const QStringList& zoneLines = {}, const QStringList& statements = {},
                            const QHash<QString, QStringList>& linesOfZone = {});

} // namespace korvi
