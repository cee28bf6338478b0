#include "host/OwnedFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "model/TsigKeyFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvi {

namespace {

constexpr int checkerTimeLimitMs = 30000;

QString rooted(const QString& root, const char* path) {
    return QDir::cleanPath(root + QString::fromLatin1(path));
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Whether the path exists as a symbolic link (lstat: the link itself).
bool isSymbolicLink(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

// A folder whose real path is exactly the one named: no link anywhere in it.
bool isRealDirectory(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && info.canonicalFilePath() == QDir::cleanPath(path);
}

struct CheckerRun {
    bool started = false;
    int exitCode = -1;
    QString output;
};

// BIND's checkers are short-lived; this code runs in korvi-helper or on a
// worker thread, never on the window's thread, so waiting here is fine.
CheckerRun runChecker(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    CheckerRun run;
    if (!process.waitForStarted())
        return run;
    run.started = true;
    if (!process.waitForFinished(checkerTimeLimitMs)) {
        process.kill();
        process.waitForFinished();
        run.output = QStringLiteral("the checker did not finish in time");
        return run;
    }
    run.output = QString::fromUtf8(process.readAll()).trimmed();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Copies a folder tree as it is, links as links, into `target`.
bool copyTree(const QString& source, const QString& target) {
    if (!QDir().mkpath(target))
        return false;
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString copy = target + path.mid(source.size());
        if (info.isSymLink()) {
            if (!QFile::link(info.symLinkTarget(), copy))
                return false;
        } else if (info.isDir()) {
            if (!QDir().mkpath(copy))
                return false;
        } else if (info.isFile() && !QFile::copy(path, copy)) {
            return false;
        }
    }
    return true;
}

} // namespace

OwnedFileLayout OwnedFileLayout::forFamily(HostFamily family, const QString& root) {
    OwnedFileLayout layout;
    switch (family) {
    case HostFamily::fedora:
        layout.configuration = rooted(root, "/etc/named.conf");
        layout.includeHost = layout.configuration;
        layout.korviInclude = rooted(root, "/etc/named.conf.korvi");
        layout.zoneDirectory = rooted(root, "/var/named/korvi");
        layout.serverGroup = QStringLiteral("named");
        layout.relabel = true;
        layout.relabelProgram = QStringLiteral("/usr/sbin/restorecon");
        break;
    case HostFamily::homebrew:
        layout.configuration = rooted(root, "/opt/homebrew/etc/bind/named.conf");
        layout.includeHost = layout.configuration;
        layout.korviInclude = rooted(root, "/opt/homebrew/etc/bind/named.conf.korvi");
        layout.zoneDirectory = rooted(root, "/opt/homebrew/var/named/korvi");
        break;
    case HostFamily::debian:
    case HostFamily::unknown:
        // Debian's layout is also the one for hosts Korvi does not know: it
        // is the one BIND's own packaging on most distributions follows.
        layout.configuration = rooted(root, "/etc/bind/named.conf");
        layout.includeHost = rooted(root, "/etc/bind/named.conf.local");
        layout.korviInclude = rooted(root, "/etc/bind/named.conf.korvi");
        // AppArmor's profile for named lets it read and write /var/lib/bind.
        layout.zoneDirectory = rooted(root, "/var/lib/bind/korvi");
        layout.serverGroup = QStringLiteral("bind");
        break;
    }
    return layout;
}

QByteArray OwnedFileLayout::includeLine() const {
    return "include \"" + QFile::encodeName(korviInclude) + "\";";
}

QString OwnedFileLayout::zoneFile(const QString& zone) const {
    return zoneDirectory + QStringLiteral("/db.") + zone;
}

QString OwnedFileLayout::keyFile() const {
    return QFileInfo(korviInclude).absolutePath() + QStringLiteral("/korvi-keys.conf");
}

OwnedFiles::OwnedFiles(OwnedFileLayout layout, QString checkZoneProgram, QString checkConfProgram)
    : m_layout(std::move(layout)),
      m_checkZone(checkZoneProgram.isEmpty() ? QStringLiteral("/usr/bin/named-checkzone")
                                             : std::move(checkZoneProgram)),
      m_checkConf(checkConfProgram.isEmpty() ? QStringLiteral("/usr/bin/named-checkconf")
                                             : std::move(checkConfProgram)) {}

bool OwnedFiles::isAcceptableZoneName(const QString& zone) {
    if (zone.isEmpty() || zone.size() > 253 || zone.startsWith(u'.') || zone.endsWith(u'.') ||
        zone.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : zone) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
        if (!ok)
            return false;
    }
    return true;
}

FileOperationResult OwnedFiles::checkZone(const QString& zone, const QByteArray& bytes) const {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return FileOperationResult::failed(QStringLiteral("Could not make a scratch folder"));
    QFile copy(scratch.filePath(QStringLiteral("zone")));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return FileOperationResult::failed(QStringLiteral("Could not write the scratch copy"));
    copy.close();
    const CheckerRun run = runChecker(m_checkZone, {zone, copy.fileName()});
    if (!run.started)
        return FileOperationResult::failed(QStringLiteral("named-checkzone could not be started"));
    if (run.exitCode != 0)
        return FileOperationResult::refused(QStringLiteral("named-checkzone refused the zone: ") +
                                            run.output);
    return FileOperationResult::done();
}

// The whole configuration is checked as named will read it: a scratch copy
// of the configuration's folder, at the same absolute paths under the
// scratch root, with the candidate in place and Korvi's include line present,
// judged by named-checkconf chrooted there.
FileOperationResult OwnedFiles::checkConfiguration(const QString& path,
                                                   const QByteArray& bytes) const {
    return checkConfiguration(QMap<QString, QByteArray>{{path, bytes}});
}

FileOperationResult
OwnedFiles::checkConfiguration(const QMap<QString, QByteArray>& candidates) const {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return FileOperationResult::failed(QStringLiteral("Could not make a scratch folder"));
    const QString configDirectory = QFileInfo(m_layout.configuration).absolutePath();
    const QString mirror = QDir::cleanPath(scratch.path() + configDirectory);
    if (!copyTree(configDirectory, mirror))
        return FileOperationResult::failed(QStringLiteral("Could not copy the configuration for "
                                                          "its check"));
    const auto put = [&](const QString& file, const QByteArray& content) {
        QFile out(QDir::cleanPath(scratch.path() + file));
        QDir().mkpath(QFileInfo(out).absolutePath());
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               out.write(content) == content.size();
    };
    for (auto it = candidates.cbegin(); it != candidates.cend(); ++it) {
        if (!put(it.key(), it.value()))
            return FileOperationResult::failed(QStringLiteral("Could not write the scratch copy"));
    }
    // named-checkconf changes into the configured working folder: give the
    // scratch root the folders the live configuration names.
    for (const QString& folder : workingDirectories())
        QDir().mkpath(QDir::cleanPath(scratch.path() + folder));
    if (!candidates.contains(m_layout.includeHost)) {
        QFile host(m_layout.includeHost);
        QByteArray hostBytes = host.open(QIODevice::ReadOnly) ? host.readAll() : QByteArray();
        if (!hostBytes.contains(m_layout.includeLine()))
            hostBytes += m_layout.includeLine() + '\n';
        if (!put(m_layout.includeHost, hostBytes))
            return FileOperationResult::failed(QStringLiteral("Could not write the scratch copy"));
    }
    const CheckerRun run =
        runChecker(m_checkConf, {QStringLiteral("-t"), scratch.path(), m_layout.configuration});
    if (!run.started)
        return FileOperationResult::failed(QStringLiteral("named-checkconf could not be started"));
    if (run.exitCode != 0)
        return FileOperationResult::refused(
            QStringLiteral("named-checkconf refused the configuration: ") + run.output);
    return FileOperationResult::done();
}

QStringList OwnedFiles::workingDirectories() const {
    const CheckerRun run = runChecker(m_checkConf, {QStringLiteral("-p"), m_layout.configuration});
    QStringList folders;
    if (run.exitCode != 0)
        return folders;
    static const QRegularExpression directory(QStringLiteral("^\\s*directory \"([^\"]+)\";"),
                                              QRegularExpression::MultilineOption);
    auto it = directory.globalMatch(run.output);
    while (it.hasNext())
        folders.append(it.next().captured(1));
    return folders;
}

FileOperationResult OwnedFiles::replaceFile(const QString& path, const QByteArray& bytes,
                                            const QString& allowedDirectory,
                                            const QString& keepFrom, int mode) const {
    if (!isRealDirectory(allowedDirectory))
        return FileOperationResult::refused(
            QStringLiteral("%1 is not a plain folder (missing, or reached through a link)")
                .arg(allowedDirectory));
    if (QFileInfo(path).absolutePath() != QDir::cleanPath(allowedDirectory))
        return FileOperationResult::refused(
            QStringLiteral("%1 is not one of Korvi's files").arg(path));
    struct stat existing {};
    if (::lstat(QFile::encodeName(path).constData(), &existing) == 0 && !S_ISREG(existing.st_mode))
        return FileOperationResult::refused(
            QStringLiteral("%1 is a link or not a plain file; Korvi does not write through it")
                .arg(path));

    const QByteArray temporary = QFile::encodeName(path + QStringLiteral(".korvi-new"));
    ::unlink(temporary.constData());
    const int fd =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return FileOperationResult::failed(
            QStringLiteral("Could not write %1: %2").arg(path, systemError()));
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    struct stat kept {};
    if (!keepFrom.isEmpty()) {
        // An administrator's file keeps its owner and mode (it may hold keys
        // only its group may read), set before it takes the file's place.
        ok = ok && ::stat(QFile::encodeName(keepFrom).constData(), &kept) == 0;
        if (ok && ::geteuid() == 0)
            ok = ::fchown(fd, kept.st_uid, kept.st_gid) == 0;
        ok = ok && ::fchmod(fd, kept.st_mode & 07777) == 0;
    } else {
        // The distribution's owner and mode: root and the server's group,
        // 0644 (0640 for keys).
        if (ok && ::geteuid() == 0 && !m_layout.serverGroup.isEmpty()) {
            if (const struct group* g = ::getgrnam(m_layout.serverGroup.toLocal8Bit().constData()))
                ok = ::fchown(fd, 0, g->gr_gid) == 0;
        }
        ok = ok && ::fchmod(fd, mode_t(mode)) == 0;
    }
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = systemError();
        ::unlink(temporary.constData());
        return FileOperationResult::failed(
            QStringLiteral("Could not write %1: %2").arg(path, reason));
    }
    if (m_layout.relabel && QFileInfo::exists(m_layout.relabelProgram))
        runChecker(m_layout.relabelProgram, {path});
    return FileOperationResult::done(QStringLiteral("Wrote %1").arg(path));
}

FileOperationResult OwnedFiles::writeZone(const QString& zone, const QByteArray& bytes) const {
    if (!isAcceptableZoneName(zone))
        return FileOperationResult::refused(
            QStringLiteral("\"%1\" is not a zone name Korvi writes a file for").arg(zone));
    if (!QFileInfo::exists(m_layout.zoneDirectory) && !isSymbolicLink(m_layout.zoneDirectory)) {
        if (!QDir().mkpath(m_layout.zoneDirectory))
            return FileOperationResult::failed(
                QStringLiteral("Could not create %1").arg(m_layout.zoneDirectory));
    }
    // named writes beside Korvi's zone files: a signed zone's keys, its
    // signed copy and journal. The folder is root's and the server's group's,
    // group-writable, and new files take the group.
    const QByteArray folder = QFile::encodeName(m_layout.zoneDirectory);
    if (!isSymbolicLink(m_layout.zoneDirectory)) {
        if (::geteuid() == 0 && !m_layout.serverGroup.isEmpty()) {
            if (const struct group* g = ::getgrnam(m_layout.serverGroup.toLocal8Bit().constData()))
                (void)::chown(folder.constData(), 0, g->gr_gid);
        }
        ::chmod(folder.constData(), 02775);
    }
    const FileOperationResult check = checkZone(zone, bytes);
    if (!check.ok())
        return check;
    return replaceFile(m_layout.zoneFile(zone), bytes, m_layout.zoneDirectory);
}

FileOperationResult OwnedFiles::removeZone(const QString& zone) const {
    if (!isAcceptableZoneName(zone))
        return FileOperationResult::refused(
            QStringLiteral("\"%1\" is not a zone name Korvi writes a file for").arg(zone));
    if (!isRealDirectory(m_layout.zoneDirectory))
        return FileOperationResult::refused(
            QStringLiteral("%1 is not a plain folder").arg(m_layout.zoneDirectory));
    const QString path = m_layout.zoneFile(zone);
    // unlink removes a link itself, never what it points at.
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return FileOperationResult::failed(
            QStringLiteral("Could not remove %1: %2").arg(path, systemError()));
    // Korvi's own folder goes with its last zone file, so that removing every
    // zone leaves the machine as it was; rmdir leaves a folder with files.
    ::rmdir(QFile::encodeName(m_layout.zoneDirectory).constData());
    return FileOperationResult::done(QStringLiteral("Removed %1").arg(path));
}

FileOperationResult OwnedFiles::writeInclude(const QByteArray& bytes) const {
    const FileOperationResult check = checkConfiguration(m_layout.korviInclude, bytes);
    if (!check.ok())
        return check;
    return replaceFile(m_layout.korviInclude, bytes,
                       QFileInfo(m_layout.korviInclude).absolutePath());
}

FileOperationResult OwnedFiles::writeKeys(const QByteArray& bytes) const {
    QString why;
    if (!TsigKeyFile::parse(QString::fromUtf8(bytes), &why))
        return FileOperationResult::refused(QStringLiteral("Not a key file Korvi writes: ") + why);
    const QString path = m_layout.keyFile();
    // Keys may come before Korvi's first zone, when its include is not
    // written yet: the check then reads it as empty.
    QMap<QString, QByteArray> candidates{{path, bytes}};
    if (!QFileInfo::exists(m_layout.korviInclude))
        candidates.insert(m_layout.korviInclude, QByteArray());
    const FileOperationResult check = checkConfiguration(candidates);
    if (!check.ok())
        return check;
    return replaceFile(path, bytes, QFileInfo(path).absolutePath(), {}, 0640);
}

// The file that carries Korvi's include line, read whole; refused when it is
// a link, since Korvi never writes through one.
FileOperationResult OwnedFiles::readIncludeHost(QByteArray* bytes) const {
    if (isSymbolicLink(m_layout.includeHost))
        return FileOperationResult::refused(
            QStringLiteral("%1 is a link; Korvi does not write through it")
                .arg(m_layout.includeHost));
    QFile host(m_layout.includeHost);
    if (!host.open(QIODevice::ReadOnly))
        return FileOperationResult::failed(
            QStringLiteral("Could not read %1").arg(host.fileName()));
    *bytes = host.readAll();
    return FileOperationResult::done();
}

FileOperationResult OwnedFiles::addIncludeLine() const {
    if (isSymbolicLink(m_layout.korviInclude))
        return FileOperationResult::refused(
            QStringLiteral("%1 is a link; Korvi does not write through it")
                .arg(m_layout.korviInclude));
    if (!QFileInfo::exists(m_layout.korviInclude))
        return FileOperationResult::refused(
            QStringLiteral("%1 does not exist yet; it is written before it is included")
                .arg(m_layout.korviInclude));
    QByteArray bytes;
    if (const FileOperationResult read = readIncludeHost(&bytes); !read.ok())
        return read;
    if (bytes.contains(m_layout.includeLine()))
        return FileOperationResult::done(QStringLiteral("The include line is already there"));
    bytes += m_layout.includeLine() + '\n';
    const FileOperationResult check = checkConfiguration(m_layout.includeHost, bytes);
    if (!check.ok())
        return check;
    return replaceFile(m_layout.includeHost, bytes, QFileInfo(m_layout.includeHost).absolutePath());
}

FileOperationResult OwnedFiles::removeIncludeLine() const {
    QByteArray bytes;
    if (const FileOperationResult read = readIncludeHost(&bytes); !read.ok())
        return read;
    const QByteArray line = m_layout.includeLine() + '\n';
    const qsizetype at = bytes.indexOf(line);
    if (at >= 0) {
        bytes.remove(at, line.size());
        const FileOperationResult written = replaceFile(
            m_layout.includeHost, bytes, QFileInfo(m_layout.includeHost).absolutePath());
        if (!written.ok())
            return written;
    }
    // With the line gone nothing reads Korvi's include: it goes too, so the
    // configuration's folder is as the distribution left it. unlink removes
    // a link itself, never what it points at.
    if (::unlink(QFile::encodeName(m_layout.korviInclude).constData()) != 0 && errno != ENOENT)
        return FileOperationResult::failed(
            QStringLiteral("Could not remove %1: %2").arg(m_layout.korviInclude, systemError()));
    return FileOperationResult::done(at >= 0 ? QStringLiteral("Removed the include line")
                                             : QStringLiteral("The include line is not there"));
}

} // namespace korvi
