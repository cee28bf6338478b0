#pragma once

// A named of the test's own on 127.0.0.1 at a free high port in a temporary
// folder, with one small zone, started directly (in the foreground, its output
// kept) and ended with the test.

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "SandboxServer.h"

namespace korvi::test {

class NamedSandbox {
public:
    static constexpr const char* zoneName = "example.test";
    static constexpr quint32 serial = 2026120601;

    NamedSandbox() = default;
    NamedSandbox(const NamedSandbox&) = delete;
    NamedSandbox& operator=(const NamedSandbox&) = delete;
    ~NamedSandbox() { stop(); }

    QString root() const { return m_dir.path(); }
    QString configPath() const { return m_dir.filePath(QStringLiteral("named.conf")); }
    QString pidPath() const { return m_dir.filePath(QStringLiteral("named.pid")); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("named.log")); }
    quint16 port() const { return m_port; }

    // Writes the configuration and the zone for the port (0: a free one).
    bool prepare(quint16 port = 0) {
        if (!m_dir.isValid())
            return false;
        m_port = port ? port : freePort();
        const QString dir = root();
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
                "};\n"
                "controls { };\n"
                "logging {\n"
                "  channel file { file \"%1/named.log\"; print-time yes; severity info; };\n"
                "  category default { file; default_stderr; };\n"
                "};\n"
                "zone \"example.test\" { type primary; file \"%1/db.example.test\"; };\n")
                .arg(dir)
                .arg(m_port);
        const QString longString(200, QLatin1Char('x'));
        const QString zone =
            QStringLiteral(
                "$TTL 3600\n"
                "@ IN SOA ns1.example.test. admin.example.test. %1 7200 900 1209600 300\n"
                "@ IN NS ns1\n"
                "@ IN MX 10 mail\n"
                "@ IN MX 20 mail.backup.example.\n"
                "ns1 IN A 127.0.0.1\n"
                "www IN A 192.0.2.10\n"
                "www IN A 192.0.2.11\n"
                "mail IN A 192.0.2.25\n"
                "txt IN TXT \"v=spf1 -all\"\n"
                "words IN TXT \"two words\" \"say \\\"hi\\\"; done\"\n"
                "big IN TXT \"%2a\" \"%2b\" \"%2c\"\n"
                "alias IN CNAME www\n")
                .arg(serial)
                .arg(longString);
        return write(configPath(), config) &&
               write(m_dir.filePath(QStringLiteral("db.example.test")), zone);
    }

    // Starts named in the foreground; false when it could not be started.
    bool start() {
        const QString named = QStandardPaths::findExecutable(
            QStringLiteral("named"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        if (named.isEmpty())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(named, {QStringLiteral("-g"), QStringLiteral("-c"), configPath()});
        return m_process.waitForStarted(5000);
    }

    // Waits until the server answers for its zone.
    bool waitUntilServing(int ms = 10000) {
        return QTest::qWaitFor(
            [&] { return !dig(m_port, QLatin1String(zoneName), QStringLiteral("SOA")).isEmpty(); },
            ms);
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
        stopServersOf(configPath());
    }

private:
    static bool write(const QString& path, const QString& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(text.toUtf8()) == text.toUtf8().size();
    }

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QProcess m_process;
};

} // namespace korvi::test
