#pragma once

// A real named in a sandbox: a free loopback port, the test's own servers found by their
// named.conf (never any other process), a clean-up that leaves none running, and dig.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvi::test {

// Whether both a UDP and a TCP socket can be bound to 127.0.0.1 at the port.
inline bool portIsFree(quint16 port) {
    for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
        const int fd = ::socket(AF_INET, type, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool bound =
            fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!bound)
            return false;
    }
    return true;
}

// A free port above 20000, below the ephemeral range (no client socket takes it first), or 0.
inline quint16 freePort() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20001, 32768));
        if (portIsFree(port))
            return port;
    }
    return 0;
}

inline QByteArray procFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Alive and not a zombie waiting to be reaped.
inline bool isAlive(qint64 pid) {
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return !stat.isEmpty() && (close < 0 || stat.mid(close + 2, 1) != "Z");
}

// Live processes started with exactly this named.conf among their arguments.
inline QList<qint64> serversOf(const QString& namedConfigPath) {
    QList<qint64> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && pid != ::getpid() &&
            procFile(pid, "cmdline").split('\0').contains(namedConfigPath.toUtf8()) && isAlive(pid))
            pids.append(pid);
    }
    return pids;
}

// Ends the servers of this named.conf: SIGTERM, then SIGKILL.
inline void stopServersOf(const QString& namedConfigPath) {
    if (namedConfigPath.isEmpty())
        return;
    const auto gone = [&] { return serversOf(namedConfigPath).isEmpty(); };
    for (int signal : {SIGTERM, SIGKILL}) {
        for (qint64 pid : serversOf(namedConfigPath))
            ::kill(pid_t(pid), signal);
        if (QTest::qWaitFor(gone, signal == SIGTERM ? 5000 : 2000))
            return;
    }
    qWarning("a server of this test outlived SIGKILL");
}

// The sandbox layout's rndc key, made as Korvi makes it (rndc-confgen -a); false when it failed.
inline bool makeRndcKey(const QString& keyPath) {
    QProcess process;
    process.start(QStringLiteral("rndc-confgen"),
                  {QStringLiteral("-a"), QStringLiteral("-k"), QStringLiteral("rndc-key"),
                   QStringLiteral("-c"), keyPath});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0 && QFile::exists(keyPath);
}

// The records dig gets for the name at 127.0.0.1:port, one a line; empty for none.
inline QString dig(quint16 port, const QString& name, const QString& type = QStringLiteral("A")) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dig"));
    if (program.isEmpty())
        return QString();
    QProcess process;
    process.start(program, {QStringLiteral("@127.0.0.1"), QStringLiteral("-p"),
                            QString::number(port), name, type, QStringLiteral("+short"),
                            QStringLiteral("+time=1"), QStringLiteral("+tries=1")});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace korvi::test
