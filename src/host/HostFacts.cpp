#include "host/HostFacts.h"

#include <QDir>
#include <QRegularExpression>

namespace korvi {

namespace {

QString foldSlashes(const QString& path) {
    return QDir::cleanPath(path);
}

// One value of an os-release line: unquoted, or inside matching quotes, with
// backslash escapes taken literally.
QString unquote(QStringView value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size())
            ++i;
        out.append(value[i]);
    }
    return out;
}

// The value of key="value" in an audit line; values may be quoted or bare.
QString auditField(const QString& line, QStringView key) {
    const QRegularExpression pattern(QStringLiteral("(?:^|\\s)") +
                                     QRegularExpression::escape(key.toString()) +
                                     QStringLiteral("=(\"[^\"]*\"|\\S+)"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return {};
    QString value = match.captured(1);
    if (value.startsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

} // namespace

std::optional<NamedDefaultPaths> parseNamedDefaultPaths(const QString& namedVersionText) {
    NamedDefaultPaths paths;
    bool inBlock = false;
    for (const QString& raw : namedVersionText.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line == u"default paths:") {
            inBlock = true;
            continue;
        }
        if (!inBlock)
            continue;
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString key = line.first(colon).trimmed();
        const QString value = foldSlashes(line.sliced(colon + 1).trimmed());
        if (key == u"named configuration")
            paths.configuration = value;
        else if (key == u"rndc configuration")
            paths.rndcConfiguration = value;
        else if (key == u"named PID file")
            paths.pidFile = value;
        else if (key == u"named lock file")
            paths.lockFile = value;
        else if (key == u"nsupdate session key")
            paths.sessionKey = value;
    }
    if (paths.configuration.isEmpty())
        return std::nullopt;
    return paths;
}

OsRelease parseOsRelease(const QString& text) {
    OsRelease os;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QStringView key = QStringView(line).first(equals);
        const QString value = unquote(QStringView(line).sliced(equals + 1));
        if (key == u"ID")
            os.id = value.toLower();
        else if (key == u"ID_LIKE")
            os.idLike = value.toLower().split(u' ', Qt::SkipEmptyParts);
        else if (key == u"PRETTY_NAME")
            os.prettyName = value;
    }
    return os;
}

HostFamily hostFamily(const OsRelease& os, const QString& namedConfiguration) {
    QStringList names = os.idLike;
    names.prepend(os.id);
    for (const QString& name : names) {
        if (name == u"debian" || name == u"ubuntu")
            return HostFamily::debian;
        if (name == u"fedora" || name == u"rhel" || name == u"centos")
            return HostFamily::fedora;
    }
    if (os.id.isEmpty() && (namedConfiguration.startsWith(u"/opt/homebrew/") ||
                            namedConfiguration.startsWith(u"/usr/local/etc/")))
        return HostFamily::homebrew;
    return HostFamily::unknown;
}

QString hostFamilyName(HostFamily family) {
    switch (family) {
    case HostFamily::debian:
        return QStringLiteral("Debian / Ubuntu");
    case HostFamily::fedora:
        return QStringLiteral("Fedora / RHEL");
    case HostFamily::homebrew:
        return QStringLiteral("macOS / Homebrew");
    case HostFamily::unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

bool hasEnforcingNamedProfile(const QString& profilesText) {
    for (const QString& raw : profilesText.split(u'\n')) {
        const QString line = raw.trimmed();
        // "<profile name> (<mode>)": the profile named after the binary, or
        // one called just "named" on systems that name profiles that way.
        const qsizetype open = line.lastIndexOf(u" (");
        if (open <= 0 || !line.endsWith(u')'))
            continue;
        const QString name = line.first(open);
        const QString mode = line.sliced(open + 2).chopped(1);
        if (mode == u"enforce" && (name == u"named" || name.endsWith(u"/named")))
            return true;
    }
    return false;
}

std::optional<AppArmorDenial> parseAppArmorDenial(const QString& logLine) {
    if (auditField(logLine, u"apparmor") != u"DENIED")
        return std::nullopt;
    const QString profile = auditField(logLine, u"profile");
    if (profile != u"named" && !profile.endsWith(u"/named"))
        return std::nullopt;
    return AppArmorDenial{auditField(logLine, u"operation"), auditField(logLine, u"name")};
}

} // namespace korvi
