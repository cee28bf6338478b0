// A real named in a sandbox: started, checked, asked with dig, reloaded with
// new zone data, its log read, and stopped, through the manager. The server
// listens on 127.0.0.1 at a free high port; everything it writes stays in
// the test's temporary directory, and whatever happens, the test's own
// server is gone at the end.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QByteArray zoneText(int serial, const QByteArray& www, const QByteArray& extra) {
    return "$TTL 300\n"
           "@ IN SOA ns1.example.test. hostmaster.example.test. (" +
           QByteArray::number(serial) +
           " 3600 600 86400 300 )\n"
           "@ IN NS ns1.example.test.\n"
           "ns1 IN A 127.0.0.1\n"
           "www IN A " +
           www + "\n" + extra;
}

} // namespace

class ControlE2ETest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    quint16 m_port = 0;
    SystemLayout m_layout;

    QString pidFile() const { return m_layout.zoneDirectory + QStringLiteral("/named.pid"); }

    QList<qint64> ownServers() const { return serversOf(m_layout.namedConfigPath); }
    void stopOwnServers() const { stopServersOf(m_layout.namedConfigPath); }
    QString ask(const QString& name) const { return dig(m_port, name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path();
        QVERIFY(isPlainPath(m_root));
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_root, m_port);

        // A hand-written named.conf with the sandbox's own options and one
        // zone; the data folder is left for start to create.
        QDir().mkpath(m_layout.zoneDirectory);
        QByteArray conf = "options {\n    directory \"" + m_layout.zoneDirectory.toUtf8() + "\";\n";
        for (const QString& line : m_layout.namedConfOptionLines)
            conf += "    " + line.toUtf8() + '\n';
        conf += "    listen-on port " + QByteArray::number(m_port) +
                " { 127.0.0.1; };\n"
                "    listen-on-v6 { none; };\n"
                "    allow-query { any; };\n"
                "    recursion no;\n"
                "};\n"
                "logging {\n"
                "    channel default_debug {\n"
                "        file \"data/named.run\";\n"
                "        severity info;\n"
                "    };\n"
                "};\n"
                "zone \"example.test\" IN {\n"
                "    type master;\n"
                "    file \"db.example.test\";\n"
                "    allow-update { none; };\n"
                "};\n";
        QVERIFY(!writeFile(m_root, QStringLiteral("etc/named.conf"), conf, false).isEmpty());
        QVERIFY(!writeFile(m_root, QStringLiteral("var/named/db.example.test"),
                           zoneText(1, "192.0.2.10", ""), false)
                     .isEmpty());
        // BIND's own checker accepts both.
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(QStringLiteral("named-checkconf"),
                    {QStringLiteral("-z"), m_layout.namedConfigPath});
        QVERIFY(check.waitForFinished(10000));
        QVERIFY2(check.exitCode() == 0, check.readAll().constData());
    }

    void cleanupTestCase() { stopOwnServers(); }

    void serverLifecycle() {
        auto manager = makeManager(m_root, m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        // The first find checks the status: nothing of this sandbox runs.
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QVERIFY(!QFileInfo::exists(m_layout.zoneDirectory + QStringLiteral("/data")));

        // Start.
        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(logCount(*manager,
                                           QStringLiteral("DNS server started successfully"),
                                           LogLevel::success),
                                  1, 15000);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pidFile()), 10000);
        QTRY_VERIFY(!readFile(pidFile()).trimmed().isEmpty());
        const qint64 pid = readFile(pidFile()).trimmed().toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(ownServers(), QList<qint64>{pid});

        // The status check finds exactly this server.
        manager->setServerStatus(ServerStatus::unknown);
        manager->checkServerStatus();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("DNS server process detected (PID: %1)").arg(pid),
                              LogLevel::debug),
                     1);

        // It answers.
        QTRY_COMPARE_WITH_TIMEOUT(ask(QStringLiteral("www.example.test")),
                                  QStringLiteral("192.0.2.10"), 10000);
        QCOMPARE(ask(QStringLiteral("new.example.test")), QString());
        // What the running server writes stays in the sandbox.
        QVERIFY(QFileInfo::exists(m_layout.zoneDirectory + QStringLiteral("/session.key")));
        QVERIFY(QFileInfo::exists(m_layout.zoneDirectory + QStringLiteral("/data/named.run")));

        // New zone data, then a reload: the answers change.
        QVERIFY(!writeFile(m_root, QStringLiteral("var/named/db.example.test"),
                           zoneText(2, "192.0.2.20", "new IN A 192.0.2.30\n"), false)
                     .isEmpty());
        QElapsedTimer sinceReload;
        sinceReload.start();
        manager->reloadServer();
        // Asked every 10 ms, to time the reload closely.
        while (ask(QStringLiteral("new.example.test")) != QStringLiteral("192.0.2.30") &&
               sinceReload.elapsed() < 10000)
            QTest::qWait(10);
        const qint64 reloadMs = sinceReload.elapsed();
        QCOMPARE(ask(QStringLiteral("new.example.test")), QStringLiteral("192.0.2.30"));
        qInfo("first answer with the new data %lld ms after reloadServer()", reloadMs);
        QCOMPARE(ask(QStringLiteral("www.example.test")), QStringLiteral("192.0.2.20"));
        QTRY_COMPARE(logCount(*manager, QStringLiteral("Configuration reloaded successfully"),
                              LogLevel::success),
                     1);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        QCOMPARE(ownServers(), QList<qint64>{pid});

        // The server's own log, under the separator.
        manager->loadBindLogs();
        QTRY_VERIFY(logMessages(*manager).last().startsWith(QStringLiteral("📄 Loaded ")));
        const QStringList& logs = manager->logs();
        const qsizetype separator = logs.lastIndexOf(QStringLiteral("--- BIND Server Logs ---"));
        QVERIFY(separator >= 0);
        QVERIFY(separator + 1 < logs.size());
        QVERIFY(!parseLogLine(logs[separator + 1]).level);
        qsizetype serverLines = 0;
        bool mentionsZone = false;
        for (qsizetype i = separator + 1; i < logs.size() && !parseLogLine(logs[i]).level; ++i) {
            ++serverLines;
            mentionsZone = mentionsZone || logs[i].contains(QStringLiteral("example.test"));
        }
        QVERIFY(serverLines >= 1);
        QVERIFY(mentionsZone);
        QCOMPARE(logMessages(*manager).last(),
                 QStringLiteral("📄 Loaded %1 BIND log entries").arg(serverLines));

        // Stop: the server goes away, and the status check agrees.
        manager->stopServer();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("DNS server stopped successfully"),
                              LogLevel::success),
                     1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), 10000);
        QTRY_VERIFY(ownServers().isEmpty());
        const int notFound = logCount(*manager, QStringLiteral("DNS server process not found"));
        manager->checkServerStatus();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("DNS server process not found")),
                     notFound + 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        QCOMPARE(ask(QStringLiteral("www.example.test")), QString());
        // Its pid file went with it.
        QVERIFY(!QFileInfo::exists(pidFile()));
    }
};

QTEST_GUILESS_MAIN(ControlE2ETest)
#include "tst_control_e2e.moc"
