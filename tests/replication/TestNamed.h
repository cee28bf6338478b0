#pragma once

// A named of the test's own in its own temporary folder, on 127.0.0.1 at a free high port,
// with a configuration the test writes (zones, transfers), a log file, and an rndc channel on
// a second free port. Started in the foreground; stopped, and any server of its named.conf
// ended, when the object goes.

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "SandboxServer.h"

using namespace Qt::StringLiterals;

namespace korvi::test {

class TestNamed {
public:
    TestNamed() = default;
    TestNamed(const TestNamed&) = delete;
    TestNamed& operator=(const TestNamed&) = delete;
    ~TestNamed() { stop(); }

    QString root() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString configPath() const { return path(QStringLiteral("named.conf")); }
    QString logPath() const { return path(QStringLiteral("named.log")); }
    QString keyPath() const { return path(QStringLiteral("rndc.key")); }
    quint16 port() const { return m_port; }
    quint16 controlPort() const { return m_controlPort; }

    // Writes named.conf with the given zone statements after the options, logging and
    // control channel; false when the folder, the ports or the key could not be had.
    bool prepare(const QString& zoneStatements) {
        if (!m_dir.isValid())
            return false;
        m_port = m_port ? m_port : freePort();
        do
            m_controlPort = freePort();
        while (m_controlPort == m_port);
        if (!m_port || !m_controlPort || !makeRndcKey(keyPath()))
            return false;
        const QString config =
            QStringLiteral(
                "options {\n"
                "  directory \"%1\";\n"
                "  pid-file \"%1/named.pid\";\n"
                "  session-keyfile \"%1/session.key\";\n"
                "  managed-keys-directory \"%1\";\n"
                "  listen-on port %2 { 127.0.0.1; };\n"
                "  listen-on-v6 { none; };\n"
                "  recursion no;\n"
                "  notify no;\n"
                "};\n"
                "include \"%1/rndc.key\";\n"
                "controls { inet 127.0.0.1 port %3 allow { 127.0.0.1; } keys { \"rndc-key\"; "
                "}; };\n"
                "logging {\n"
                "  channel file { file \"%1/named.log\"; print-time yes; severity info; };\n"
                "  category default { file; };\n"
                "  category xfer-in { file; };\n"
                "  category xfer-out { file; };\n"
                "  category security { file; };\n"
                "};\n")
                .arg(root())
                .arg(m_port)
                .arg(m_controlPort) +
            zoneStatements;
        return write(QStringLiteral("named.conf"), config);
    }

    bool write(const QString& name, const QString& text) const {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(text.toUtf8()) == text.toUtf8().size();
    }

    QString log() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    bool start() {
        const QString named = QStandardPaths::findExecutable(
            QStringLiteral("named"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        if (named.isEmpty())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // One worker thread: the machine is shared with the rest of the suite.
        m_process.start(named, {QStringLiteral("-f"), QStringLiteral("-n"), QStringLiteral("1"),
                                QStringLiteral("-c"), configPath()});
        return m_process.waitForStarted(5000);
    }

    // The serial the server serves for the zone, 0 while it serves none.
    quint32 servedSerial(const QString& zone) const {
        const QStringList fields = dig(m_port, zone, QStringLiteral("SOA")).split(u' ');
        return fields.size() >= 3 ? fields.at(2).toUInt() : 0;
    }

    bool waitForSerial(const QString& zone, quint32 serial, int ms = 15000) const {
        return QTest::qWaitFor([&] { return servedSerial(zone) == serial; }, ms);
    }

    // rndc with the server's own key and port; true when it succeeded.
    bool rndc(const QStringList& arguments) const {
        QProcess process;
        process.start(QStringLiteral("rndc"),
                      QStringList{QStringLiteral("-k"), keyPath(), QStringLiteral("-s"),
                                  QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                  QString::number(m_controlPort)} +
                          arguments);
        return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QString output() { return QString::fromUtf8(m_process.readAll()); }

    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(2000);
            }
        }
        if (m_dir.isValid())
            stopServersOf(configPath());
    }

private:
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    quint16 m_controlPort = 0;
    QProcess m_process;
};

// A small zone text with the serial.
inline QString zoneText(const QString& zone, quint32 serial, const QString& extra = {}) {
    return QStringLiteral("$TTL 300\n"
                          "@ IN SOA ns1.%1. admin.%1. %2 7200 900 1209600 300\n"
                          "@ IN NS ns1\n"
                          "ns1 IN A 127.0.0.1\n"
                          "www IN A 192.0.2.10\n"
                          "mail IN MX 10 ns1\n")
               .arg(zone)
               .arg(serial) +
           extra;
}

} // namespace korvi::test
