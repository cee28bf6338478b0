// Korvi running a real named end to end, through its own operations only:
// detection finds BIND, a zone and its records are added, the files Korvi
// writes are the ones the server loads, dig sees each change after a reload,
// the server's log is read, and the server is stopped. Everything happens in
// a sandbox under the test's temporary directory, on 127.0.0.1 at a free
// high port; nothing of the test is left running, also when it fails.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/DNSServerManager.h"
#include "model/TextCleaning.h"
#include "platform/TextFile.h"

using namespace korvi;
using namespace korvi::test;

class ServerE2ETest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    SystemLayout m_layout;
    quint16 m_port = 0;

    // The zone the new-domain form makes: its SOA and its first NS record.
    ZonePtr newZone(const QString& name) const {
        auto zone = ZonePtr::create(name, m_layout.zoneDirectory + QStringLiteral("/db.") + name);
        SOARecord soa;
        soa.primaryNameServer = QStringLiteral("ns1.") + name + u'.';
        soa.adminEmail = QStringLiteral("admin.") + name + u'.';
        soa.serial = QDateTime::currentSecsSinceEpoch();
        zone->setSoaRecord(soa);
        zone->addRecord(DNSRecord(QString(), DNSRecordType::NS, soa.primaryNameServer, 86400));
        return zone;
    }

    static QString fileText(const QString& path) { return readTextFile(path).value_or(QString()); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(isPlainPath(m_dir.path()));
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_dir.path(), m_port);
    }
    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void zoneServedAndUpdated() {
        auto manager = makeManager(m_dir.path(), m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        QTRY_VERIFY(!manager->bindVersion().isEmpty());
        QVERIFY2(manager->bindVersion().startsWith(QStringLiteral("9.")),
                 qPrintable(manager->bindVersion()));
        QVERIFY(manager->isBindVersionSupported());

        DNSConfiguration* config = manager->configuration();
        config->setListenPort(m_port);
        config->setListenAddresses({QStringLiteral("127.0.0.1")});
        config->setRecursion(false);

        const ZonePtr zone = newZone(QStringLiteral("example.com"));
        manager->addZone(zone);
        manager->addRecord(
            DNSRecord(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.53"), 3600),
            zone);
        const DNSRecord www(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.10"),
                            3600);
        manager->addRecord(www, zone);
        // Both files are written once BIND's checkers have accepted them.
        QTRY_VERIFY_WITH_TIMEOUT(fileText(zone->filePath()).contains(QStringLiteral("192.0.2.10")),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            fileText(m_layout.namedConfigPath).contains(QStringLiteral("zone \"example.com\"")),
            10000);

        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::running, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(dig(m_port, QStringLiteral("www.example.com")),
                                  QStringLiteral("192.0.2.10"), 10000);
        QCOMPARE(dig(m_port, QStringLiteral("example.com"), QStringLiteral("NS")),
                 QStringLiteral("ns1.example.com."));
        QCOMPARE(serversOf(m_layout.namedConfigPath).size(), 1);

        DNSRecord changed = www;
        changed.value = QStringLiteral("192.0.2.20");
        manager->updateRecord(changed, zone);
        QTRY_VERIFY_WITH_TIMEOUT(fileText(zone->filePath()).contains(QStringLiteral("192.0.2.20")),
                                 10000);
        QElapsedTimer sinceReload;
        sinceReload.start();
        manager->reloadServer();
        while (dig(m_port, QStringLiteral("www.example.com")) != QStringLiteral("192.0.2.20") &&
               sinceReload.elapsed() < 5000)
            QTest::qWait(10);
        QCOMPARE(dig(m_port, QStringLiteral("www.example.com")), QStringLiteral("192.0.2.20"));
        qInfo("first answer with the new data %lld ms after reloadServer()", sinceReload.elapsed());

        // The server's own log, under the separator.
        manager->loadBindLogs();
        QTRY_VERIFY(manager->logs().contains(QStringLiteral("--- BIND Server Logs ---")));
        const qsizetype separator =
            manager->logs().lastIndexOf(QStringLiteral("--- BIND Server Logs ---"));
        QVERIFY(separator + 1 < manager->logs().size());
        QVERIFY(!parseLogLine(manager->logs().at(separator + 1)).level);

        manager->stopServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::stopped, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 10000);
        QCOMPARE(dig(m_port, QStringLiteral("www.example.com")), QString());
    }
};

QTEST_GUILESS_MAIN(ServerE2ETest)
#include "tst_server_e2e.moc"
