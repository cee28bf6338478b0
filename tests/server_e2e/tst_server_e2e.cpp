// Korvi running a real named in a sandbox on 127.0.0.1 at a free high port,
// through its own operations only: detection, a zone and records added, start,
// status, dig, an update and reload, the server's log, stop; nothing left running.
#include <QElapsedTimer>
#include <QTest>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/ZoneRepository.h"

using namespace korvi;
using namespace korvi::test;

class ServerE2ETest : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;

    QString www() const { return dig(m_port, u"www.example.com"_s); }
    bool fileHas(const QString& path, const char* text) const {
        return readFile(path).contains(text);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_host.root(), m_port);
        QVERIFY(makeRndcKey(m_layout.rndcKeyPath)); // named.conf includes it
    }
    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void zoneServedAndUpdated() {
        auto manager = makeManager(m_host.root(), m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        QTRY_VERIFY(manager->bindVersion().startsWith(u"9."_s));
        QVERIFY(manager->isBindVersionSupported());
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        DNSConfiguration* config = manager->configuration();
        config->setListenPort(m_port);
        config->setListenAddresses({u"127.0.0.1"_s});
        config->setRecursion(false);

        // The zone the new-domain form makes: its SOA, its first NS record and, as that
        // server lies inside the zone, its address. The zone is checked as a whole before it
        // is added, so the address comes with it.
        const ZonePtr zone = ZoneRepository::newZone(
            u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s, u"ns1.example.com."_s,
            u"admin.example.com."_s, 2026010101, u"192.0.2.53"_s);
        manager->addZone(zone);
        DNSRecord record(u"www"_s, DNSRecordType::A, u"192.0.2.10"_s, 3600);
        manager->addRecord(record, zone);
        // Both files are written once BIND's checkers have accepted them.
        QTRY_VERIFY_WITH_TIMEOUT(fileHas(zone->filePath(), "192.0.2.10"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(fileHas(m_layout.namedConfigPath, "zone \"example.com\""), 10000);

        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(
            logCount(*manager, u"DNS server started successfully"_s, LogLevel::success), 1, 15000);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_COMPARE_WITH_TIMEOUT(www(), u"192.0.2.10"_s, 10000);
        QCOMPARE(dig(m_port, u"example.com"_s, u"NS"_s), u"ns1.example.com."_s);
        const QList<qint64> servers = serversOf(m_layout.namedConfigPath);
        QCOMPARE(servers.size(), 1);
        QVERIFY(QFileInfo::exists(m_layout.zoneDirectory + u"/session.key"_s)); // in the sandbox

        // The status check finds exactly this server.
        manager->setServerStatus(ServerStatus::unknown);
        manager->checkServerStatus();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_COMPARE(logCount(*manager, u"DNS server process detected (PID: %1)"_s.arg(servers[0]),
                              LogLevel::debug),
                     1);

        record.value = u"192.0.2.20"_s;
        manager->updateRecord(record, zone);
        QTRY_VERIFY_WITH_TIMEOUT(fileHas(zone->filePath(), "192.0.2.20"), 10000);
        QElapsedTimer sinceReload;
        sinceReload.start();
        manager->reloadServer();
        while (www() != u"192.0.2.20"_s && sinceReload.elapsed() < 5000)
            QTest::qWait(10);
        QCOMPARE(www(), u"192.0.2.20"_s);
        qInfo("first answer with the new data %lld ms after reloadServer()", sinceReload.elapsed());
        QTRY_COMPARE(
            logCount(*manager, u"Configuration reloaded successfully"_s, LogLevel::success), 1);
        QCOMPARE(serversOf(m_layout.namedConfigPath), servers);

        // The server's own lines under the separator, then their count.
        manager->loadBindLogs();
        const QRegularExpression loaded(u"^📄 Loaded \\d+ BIND log entries$"_s);
        QTRY_VERIFY(!logMessages(*manager).filter(loaded).isEmpty());
        const QStringList& logs = manager->logs();
        const qsizetype separator = logs.lastIndexOf(u"--- BIND Server Logs ---"_s);
        qsizetype serverLines = 0;
        for (qsizetype i = separator + 1;
             separator >= 0 && i < logs.size() && !parseLogLine(logs[i]).level; ++i)
            ++serverLines;
        QVERIFY(serverLines >= 1);
        QCOMPARE(logMessages(*manager).filter(loaded),
                 QStringList{u"📄 Loaded %1 BIND log entries"_s.arg(serverLines)});

        manager->stopServer();
        QTRY_COMPARE_WITH_TIMEOUT(
            logCount(*manager, u"DNS server stopped successfully"_s, LogLevel::success), 1, 15000);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 10000);
        const int notFound = logCount(*manager, u"DNS server process not found"_s);
        manager->checkServerStatus();
        QTRY_COMPARE(logCount(*manager, u"DNS server process not found"_s), notFound + 1);
        QCOMPARE(www(), QString());
    }
};

QTEST_GUILESS_MAIN(ServerE2ETest)
#include "tst_server_e2e.moc"
