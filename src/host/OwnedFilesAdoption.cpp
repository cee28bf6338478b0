// OwnedFiles: a zone declared in an administrator's file taken into Korvi's
// include (the helper's adopt-zone verb).

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "host/HostLayout.h"
#include "host/OwnedFiles.h"
#include "model/BindConfigReader.h"
#include "model/ZoneStatementScanner.h"

namespace korvi {

namespace {

QString zoneKey(QString name) {
    name = name.toLower();
    if (name.size() > 1 && name.endsWith(u'.'))
        name.chop(1);
    return name;
}

bool isSymbolicLink(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool isPlainFile(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The zones Korvi's include lists now (its statements start their lines).
QStringList includedZones(const QByteArray& include) {
    static const QRegularExpression statement(QStringLiteral("^zone \"([^\"]+)\""),
                                              QRegularExpression::MultilineOption);
    QStringList zones;
    auto it = statement.globalMatch(QString::fromUtf8(include));
    while (it.hasNext())
        zones.append(it.next().captured(1));
    return zones;
}

} // namespace

bool OwnedFiles::isDistributionZone(const QString& zone) {
    static const QStringList stock = {
        QStringLiteral("localhost"), QStringLiteral("127.in-addr.arpa"),
        QStringLiteral("0.in-addr.arpa"), QStringLiteral("255.in-addr.arpa")};
    return stock.contains(zoneKey(zone));
}

bool OwnedFiles::isDistributionFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name == u"named.conf.default-zones" || name == u"zones.rfc1918";
}

FileOperationResult OwnedFiles::adoptZone(const QString& zone, const QString& file,
                                          const QByteArray& newText) const {
    if (!isAcceptableZoneName(zone) || isDistributionZone(zone))
        return FileOperationResult::refused(
            QStringLiteral("\"%1\" is not a zone Korvi takes over").arg(zone));
    const QString configDirectory = QFileInfo(m_layout.configuration).absolutePath();
    const QString path = QDir::cleanPath(file);
    if (!QFileInfo(file).isAbsolute() || path != file || !path.startsWith(configDirectory + u'/') ||
        path == m_layout.korviInclude || isDistributionFile(path))
        return FileOperationResult::refused(
            QStringLiteral("%1 is not an administrator's file of BIND's configuration folder")
                .arg(file));
    if (!isPlainFile(path))
        return FileOperationResult::refused(
            QStringLiteral("%1 is a link or not a plain file; Korvi does not write through it")
                .arg(path));

    // The file must be one BIND reads, and declare the zone there as a
    // primary zone outside views.
    const BindConfigReading tree = BindConfigReader::fromFileTree(m_layout.configuration);
    const bool declared =
        std::any_of(tree.zones.cbegin(), tree.zones.cend(), [&](const ConfiguredZone& entry) {
            return entry.key() == zoneKey(zone) && entry.declaredIn == path &&
                   entry.view.isEmpty() && entry.type == ConfiguredZoneType::primary &&
                   entry.zoneClass == u"IN";
        });
    if (!declared)
        return FileOperationResult::refused(
            QStringLiteral("%1 does not declare \"%2\" as a primary zone outside views in the "
                           "configuration BIND reads")
                .arg(path, zone));

    const std::optional<QByteArray> original = readWhole(path);
    if (!original)
        return FileOperationResult::failed(QStringLiteral("Could not read %1").arg(path));
    QString reason;
    const std::optional<QByteArray> expected =
        ZoneStatementScanner::without(*original, zone, &reason);
    if (!expected)
        return FileOperationResult::refused(QStringLiteral("%1: %2").arg(path, reason));
    if (*expected != newText)
        return FileOperationResult::refused(
            QStringLiteral("the new text of %1 is not the file without the statement of \"%2\"")
                .arg(path, zone));
    if (!isPlainFile(m_layout.zoneFile(zone)))
        return FileOperationResult::refused(
            QStringLiteral("Korvi's file for \"%1\" is not written yet").arg(zone));

    // Korvi's include with the zone added, and the include line.
    const std::optional<QByteArray> oldInclude = readWhole(m_layout.korviInclude);
    if (isSymbolicLink(m_layout.korviInclude))
        return FileOperationResult::refused(
            QStringLiteral("%1 is a link; Korvi does not write through it")
                .arg(m_layout.korviInclude));
    QStringList zones = oldInclude ? includedZones(*oldInclude) : QStringList();
    if (zones.contains(zone))
        return FileOperationResult::refused(
            QStringLiteral("Korvi's include already lists \"%1\"").arg(zone));
    zones.append(zone);
    const QByteArray include = ownedIncludeText(m_layout, zones);

    QMap<QString, QByteArray> candidates{{path, newText}, {m_layout.korviInclude, include}};
    std::optional<QByteArray> host =
        path == m_layout.includeHost ? std::optional(newText) : readWhole(m_layout.includeHost);
    if (!host)
        return FileOperationResult::failed(
            QStringLiteral("Could not read %1").arg(m_layout.includeHost));
    if (!host->contains(m_layout.includeLine()))
        candidates.insert(m_layout.includeHost, *host + m_layout.includeLine() + '\n');

    // The declaring file's new text is the one judged and written, with the
    // include line when it is also the include host.
    const QByteArray declaringText = candidates.value(path);
    const FileOperationResult check = checkConfiguration(candidates);
    if (!check.ok())
        return check;

    // The declaring file first, keeping its owner and mode; then Korvi's
    // include and the include line. A later write that fails puts back what
    // was written before it.
    const QString folder = QFileInfo(path).absolutePath();
    FileOperationResult written = replaceFile(path, declaringText, folder, path);
    if (!written.ok())
        return written;
    const auto restoreDeclaring = [&] { replaceFile(path, *original, folder, path); };
    written = replaceFile(m_layout.korviInclude, include,
                          QFileInfo(m_layout.korviInclude).absolutePath());
    if (!written.ok()) {
        restoreDeclaring();
        return written;
    }
    if (path != m_layout.includeHost && candidates.contains(m_layout.includeHost)) {
        written = replaceFile(m_layout.includeHost, candidates.value(m_layout.includeHost),
                              QFileInfo(m_layout.includeHost).absolutePath());
        if (!written.ok()) {
            restoreDeclaring();
            if (oldInclude)
                replaceFile(m_layout.korviInclude, *oldInclude,
                            QFileInfo(m_layout.korviInclude).absolutePath());
            else
                ::unlink(QFile::encodeName(m_layout.korviInclude).constData());
            return written;
        }
    }
    return FileOperationResult::done(QStringLiteral("Moved the statement of \"%1\" from %2 into %3")
                                         .arg(zone, path, m_layout.korviInclude));
}

} // namespace korvi
