#include "storage/StoreFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace korvi::storefiles {

namespace {

const char* const companions[] = {"-wal", "-shm"};

bool syncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

void removeDatabaseFiles(const QString& path) {
    QFile::remove(path);
    for (const char* suffix : companions)
        QFile::remove(path + QLatin1String(suffix));
}

StoreResult replaceFile(const QString& from, const QString& to) {
    if (!syncPath(from, O_RDONLY))
        return StoreResult::failure(QStringLiteral("cannot write %1 to the disk").arg(from));
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return StoreResult::failure(QStringLiteral("cannot rename %1 to %2").arg(from, to));
    syncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return StoreResult::success();
}

StoreResult copyFile(const QString& from, const QString& to) {
    const QString temporary = to + QStringLiteral(".copying");
    QFile::remove(temporary);
    if (!QFile::copy(from, temporary))
        return StoreResult::failure(QStringLiteral("cannot copy %1 to %2").arg(from, temporary));
    const StoreResult replaced = replaceFile(temporary, to);
    if (!replaced)
        QFile::remove(temporary);
    return replaced;
}

QString moveAside(const QString& path) {
    const QString aside =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    removeDatabaseFiles(aside);
    if (!QFile::rename(path, aside))
        return {};
    for (const char* suffix : companions) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion) &&
            !QFile::rename(companion, aside + QLatin1String(suffix)))
            QFile::remove(companion);
    }
    return aside;
}

} // namespace korvi::storefiles
