#include "platform/ScratchFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace korvi {

ScratchFolder::ScratchFolder(const QString& base) : m_base(base) {}

ScratchFolder::~ScratchFolder() {
    // Only an empty folder goes: a check still running keeps its copy.
    QDir().rmdir(path());
}

QString ScratchFolder::userFolder(const QString& base) {
    return base + QStringLiteral("/korvi-") + QString::number(::getuid());
}

QString ScratchFolder::path() const {
    return userFolder(m_base) + u'/' + QString::number(QCoreApplication::applicationPid());
}

bool ScratchFolder::prepare(const QString& base) {
    const QString user = userFolder(base);
    const QByteArray userPath = QFile::encodeName(user);
    // Not mkpath: a missing base stays missing.
    if (::mkdir(userPath.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    // A folder someone else made (or a link planted) under the user's name in
    // a shared /tmp is never used.
    if (::lstat(userPath.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    const QByteArray own =
        QFile::encodeName(user + u'/' + QString::number(QCoreApplication::applicationPid()));
    return ::mkdir(own.constData(), 0700) == 0 || errno == EEXIST;
}

bool ScratchFolder::processRuns(qint64 pid) {
    if (pid <= 0)
        return false;
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

int ScratchFolder::removeStale(const QString& base) {
    const QDir user(userFolder(base));
    if (!QFileInfo(user.path()).isDir() || QFileInfo(user.path()).isSymLink())
        return 0;
    int removed = 0;
    const QStringList entries = user.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        // Anything that is not a process's folder is not Korvi's to remove.
        if (!isNumber || pid <= 0 || processRuns(pid))
            continue;
        if (QDir(user.filePath(entry)).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace korvi
