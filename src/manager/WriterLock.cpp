#include "manager/WriterLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSysInfo>

#include <cerrno>
#include <signal.h>

namespace korvi {

int WriterLock::waitFromEnvironment() {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("KORVI_LOCK_WAIT_MS", &ok);
    return ok && value >= 0 ? value : defaultWaitMs;
}

WriterLock::WriterLock(const QString& dataDirectory, QObject* parent)
    : QObject(parent), m_path(QDir(dataDirectory).filePath(fileName())), m_file(m_path) {
    // A lock left by a process that has ended is taken over at once; a live
    // holder keeps it however long its change takes.
    m_file.setStaleLockTime(0);
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &WriterLock::retry);
}

WriterLock::~WriterLock() {
    release();
}

bool WriterLock::tryNow() {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // QLockFile takes a lock for stale when the holder's program file is not
    // named as its application ("Korvi" runs as korvi and korvictl), and
    // would remove a live holder's lock: a holder whose process is alive
    // keeps it, whatever its name.
    qint64 pid = 0;
    QString host;
    QString application;
    if (QFileInfo::exists(m_path) && m_file.getLockInfo(&pid, &host, &application) && pid > 0 &&
        host == QSysInfo::machineHostName() && (::kill(pid_t(pid), 0) == 0 || errno == EPERM)) {
        m_held = false;
        return false;
    }
    m_held = m_file.tryLock(0);
    return m_held;
}

void WriterLock::acquire(int waitMs) {
    if (m_held || m_retry.isActive())
        return;
    m_waitMs = waitMs;
    m_elapsed.start();
    if (tryNow()) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT acquired(); }, Qt::QueuedConnection);
        return;
    }
    m_retry.start();
}

void WriterLock::retry() {
    if (tryNow()) {
        m_retry.stop();
        Q_EMIT acquired();
        return;
    }
    if (m_elapsed.elapsed() >= m_waitMs) {
        m_retry.stop();
        Q_EMIT timedOut(holder());
    }
}

QString WriterLock::holder() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_file.getLockInfo(&pid, &host, &application) && pid > 0)
        return QStringLiteral("pid %1").arg(pid);
    return QString();
}

void WriterLock::release() {
    m_retry.stop();
    if (m_held)
        m_file.unlock();
    m_held = false;
}

} // namespace korvi
