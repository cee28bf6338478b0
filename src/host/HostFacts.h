#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// The paths a named binary was built with, from the "default paths:" block
// that `named -V` prints. Doubled slashes are folded ("//run" → "/run").
struct NamedDefaultPaths {
    QString configuration; // "named configuration"
    QString rndcConfiguration;
    QString pidFile;
    QString lockFile;
    QString sessionKey;
};

// Nothing when the text has no "named configuration" line (not named, or a
// build too old to print its paths).
std::optional<NamedDefaultPaths> parseNamedDefaultPaths(const QString& namedVersionText);

// The fields of /etc/os-release (or /usr/lib/os-release) that choose a layout.
struct OsRelease {
    QString id;         // "debian", "fedora", ...
    QStringList idLike; // "ubuntu" has {"debian"}, "rocky" {"rhel", "centos", "fedora"}
    QString prettyName;
};

// Shell-like KEY=value lines as os-release(5) defines them: values may be
// quoted with " or ' and may carry backslash escapes; comments and blank
// lines are ignored.
OsRelease parseOsRelease(const QString& text);

// The families of BIND packaging Korvi knows how to manage.
enum class HostFamily {
    debian,   // Debian, Ubuntu and their derivatives: /etc/bind, user "bind"
    fedora,   // Fedora, RHEL and their rebuilds: /etc/named.conf, user "named"
    homebrew, // macOS with Homebrew's bind
    unknown,
};

// The family from the operating system's own words; macOS has no os-release,
// so an empty one with a Homebrew configuration path counts as Homebrew.
HostFamily hostFamily(const OsRelease& os, const QString& namedConfiguration);

// A short name for the dashboard ("Debian / Ubuntu", ...).
QString hostFamilyName(HostFamily family);

// AppArmor: whether the kernel's profile list (the text of
// /sys/kernel/security/apparmor/profiles) holds an enforcing profile for
// named, which then decides which files the server may open.
bool hasEnforcingNamedProfile(const QString& profilesText);

// A denial that AppArmor logged for named: the operation and the path it
// refused. Nothing for any other line.
struct AppArmorDenial {
    QString operation;
    QString path;
};
std::optional<AppArmorDenial> parseAppArmorDenial(const QString& logLine);

} // namespace korvi
