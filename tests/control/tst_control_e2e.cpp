// A real named in a sandbox: started, checked, asked with dig, reloaded with
// new zone data, its log read, and stopped, through the manager. The server
// listens on 127.0.0.1 at a free high port; everything it writes stays in the
// test's temporary directory, and the test's own server is gone at the end.
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "SandboxServer.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QByteArray zoneText(int serial, const QByteArray& www, const QByteArray& extra) {
    return "$TTL 300\n@ IN SOA ns1.example.test. hostmaster.example.test. (" +
           QByteArray::number(serial) +
           " 3600 600 86400 300 )\n@ IN NS ns1.example.test.\nns1 IN A 127.0.0.1\nwww IN A " + www +
           "\n" + extra;
}

} // namespace

class ControlE2ETest : public QObject {
    Q_OBJECT

    Host m_host;
    quint16 m_port = 0;
    SystemLayout m_layout;

    QString pidFile() const { return m_layout.zoneDirectory + u"/named.pid"_s; }
    QString ask(const QString& name) const { return dig(m_port, name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_host.root(), m_port);
        // A named.conf with the sandbox's options and one zone; start makes the data folder.
        QByteArray conf = "options {\n    directory \"" + m_layout.zoneDirectory.toUtf8() + "\";\n";
        for (const QString& line : m_layout.namedConfOptionLines)
            conf += "    " + line.toUtf8() + '\n';
        conf += "    listen-on port " + QByteArray::number(m_port) +
                " { 127.0.0.1; };\n    listen-on-v6 { none; };\n    allow-query { any; };\n"
                "    recursion no;\n};\nlogging {\n    channel default_debug {\n"
                "        file \"data/named.run\";\n        severity info;\n    };\n};\n"
                "zone \"example.test\" IN {\n    type master;\n    file \"db.example.test\";\n"
                "    allow-update { none; };\n};\n";
        QVERIFY(!m_host.write(u"etc/named.conf"_s, conf).isEmpty());
        QVERIFY(
            !m_host.write(u"var/named/db.example.test"_s, zoneText(1, "192.0.2.10", "")).isEmpty());
        // BIND's own checker accepts both.
        const ProgramResult check =
            runProgram(checkConfProgram, {u"-z"_s, m_layout.namedConfigPath});
        QVERIFY2(check.ok(), qPrintable(check.describe()));
    }

    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void serverLifecycle() {
        auto manager = makeManager(m_host.root(), m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        // The first find checks the status: nothing of this sandbox runs.
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QVERIFY(!QFileInfo::exists(m_layout.zoneDirectory + u"/data"_s));

        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(
            logCount(*manager, u"DNS server started successfully"_s, LogLevel::success), 1, 15000);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_VERIFY_WITH_TIMEOUT(!readFile(pidFile()).trimmed().isEmpty(), 10000);
        const qint64 pid = readFile(pidFile()).trimmed().toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(serversOf(m_layout.namedConfigPath), QList<qint64>{pid});

        // The status check finds exactly this server.
        manager->setServerStatus(ServerStatus::unknown);
        manager->checkServerStatus();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_COMPARE(logCount(*manager, u"DNS server process detected (PID: %1)"_s.arg(pid),
                              LogLevel::debug),
                     1);

        // It answers, and what it writes stays in the sandbox.
        QTRY_COMPARE_WITH_TIMEOUT(ask(u"www.example.test"_s), u"192.0.2.10"_s, 10000);
        QCOMPARE(ask(u"new.example.test"_s), QString());
        QVERIFY(QFileInfo::exists(m_layout.zoneDirectory + u"/session.key"_s));
        QVERIFY(QFileInfo::exists(m_layout.zoneDirectory + u"/data/named.run"_s));

        // New zone data, then a reload: the answers change.
        QVERIFY(!m_host
                     .write(u"var/named/db.example.test"_s,
                            zoneText(2, "192.0.2.20", "new IN A 192.0.2.30\n"))
                     .isEmpty());
        QElapsedTimer sinceReload;
        sinceReload.start();
        manager->reloadServer();
        while (ask(u"new.example.test"_s) != u"192.0.2.30"_s && sinceReload.elapsed() < 10000)
            QTest::qWait(10);
        QCOMPARE(ask(u"new.example.test"_s), u"192.0.2.30"_s);
        qInfo("first answer with the new data %lld ms after reloadServer()", sinceReload.elapsed());
        QCOMPARE(ask(u"www.example.test"_s), u"192.0.2.20"_s);
        QTRY_COMPARE(
            logCount(*manager, u"Configuration reloaded successfully"_s, LogLevel::success), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        QCOMPARE(serversOf(m_layout.namedConfigPath), QList<qint64>{pid});

        // The server's own log, under the separator.
        manager->loadBindLogs();
        const QRegularExpression loaded(u"^📄 Loaded \\d+ BIND log entries$"_s);
        QTRY_VERIFY(!logMessages(*manager).filter(loaded).isEmpty());
        const QStringList& logs = manager->logs();
        const qsizetype separator = logs.lastIndexOf(u"--- BIND Server Logs ---"_s);
        QVERIFY(separator >= 0);
        qsizetype serverLines = 0;
        bool mentionsZone = false;
        for (qsizetype i = separator + 1; i < logs.size() && !parseLogLine(logs[i]).level; ++i) {
            ++serverLines;
            mentionsZone = mentionsZone || logs[i].contains(u"example.test"_s);
        }
        QVERIFY(serverLines >= 1 && mentionsZone);
        QCOMPARE(logMessages(*manager).filter(loaded),
                 QStringList{u"📄 Loaded %1 BIND log entries"_s.arg(serverLines)});

        // Stop: the server goes away, with its pid file, and the status check agrees.
        manager->stopServer();
        QTRY_COMPARE(logCount(*manager, u"DNS server stopped successfully"_s, LogLevel::success),
                     1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), 10000);
        QTRY_VERIFY(serversOf(m_layout.namedConfigPath).isEmpty());
        const int notFound = logCount(*manager, u"DNS server process not found"_s);
        manager->checkServerStatus();
        QTRY_COMPARE(logCount(*manager, u"DNS server process not found"_s), notFound + 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        QCOMPARE(ask(u"www.example.test"_s), QString());
        QVERIFY(!QFileInfo::exists(pidFile()));
    }
};

QTEST_GUILESS_MAIN(ControlE2ETest)
#include "tst_control_e2e.moc"
