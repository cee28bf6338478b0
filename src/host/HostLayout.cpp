#include "host/HostLayout.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace korvi {

HostLayoutFacts readHostLayoutFacts(const PreferencesStore* preferences) {
    HostLayoutFacts facts;
    if (preferences) {
        facts.customConfiguration = QString::fromUtf8(
            preferences->data(QString::fromLatin1(customConfigurationKey)).value_or(QByteArray()));
        facts.customZoneDirectory = QString::fromUtf8(
            preferences->data(QString::fromLatin1(customZoneDirectoryKey)).value_or(QByteArray()));
    }
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            facts.os = parseOsRelease(QString::fromUtf8(file.readAll()));
            break;
        }
    }
    facts.systemd = QFileInfo(QStringLiteral("/run/systemd/system")).isDir();
    facts.root = ::geteuid() == 0;
    return facts;
}

SystemLayout standardLayoutFor(const HostLayoutFacts& facts, const QString& root) {
    if (!facts.customConfiguration.isEmpty() && !facts.customZoneDirectory.isEmpty())
        return SystemLayout::custom(facts.customConfiguration, facts.customZoneDirectory);
    switch (hostFamily(facts.os, QString())) {
    case HostFamily::debian:
        return SystemLayout::distribution(QStringLiteral("debian"), root, facts.systemd,
                                          !facts.root);
    case HostFamily::fedora:
        return SystemLayout::distribution(QStringLiteral("fedora"), root, facts.systemd,
                                          !facts.root);
    case HostFamily::homebrew:
    case HostFamily::unknown:
        break;
    }
    return SystemLayout::standard();
}

OwnedFileLayout ownedFileLayout(const SystemLayout& layout) {
    const HostFamily family =
        layout.ownedFamily == u"fedora" ? HostFamily::fedora : HostFamily::debian;
    return OwnedFileLayout::forFamily(family, layout.ownedRoot);
}

QByteArray ownedIncludeText(const OwnedFileLayout& layout, const QStringList& zones,
                            const QStringList& zoneLines, const QStringList& statements,
                            const QHash<QString, QStringList>& linesOfZone) {
    QByteArray text = "// Korvi's zones. Korvi rewrites this file; edit the zones in Korvi.\n";
    for (const QString& zone : zones) {
        if (!OwnedFiles::isAcceptableZoneName(zone))
            continue;
        text += "\nzone \"" + zone.toUtf8() + "\" IN {\n\ttype primary;\n\tfile \"" +
                QFile::encodeName(layout.zoneFile(zone)) + "\";\n";
        for (const QString& line : zoneLines)
            text += '\t' + line.toUtf8() + '\n';
        for (const QString& line : linesOfZone.value(zone.toLower()))
            text += '\t' + line.toUtf8() + '\n';
        text += "};\n";
    }
    for (const QString& statement : statements)
        text += '\n' + statement.toUtf8() + '\n';
    return text;
}

} // namespace korvi
