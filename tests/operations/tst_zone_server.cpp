// Zone and record changes against a real named in a sandbox on 127.0.0.1 at a free high port:
// a zone added while the server runs answers as soon as its change has finished, a record
// change is served without a manual reload, and a removed zone is no longer served.
#include <QElapsedTimer>
#include <QTest>

#include "ChangeSupport.h"
#include "SandboxServer.h"

using namespace korvi;
using namespace korvi::test;

class TestZoneServer : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;

    // Waits up to the time limit for dig's answer; how long it took goes to the test's output.
    bool answers(const QString& name, const QString& type, const QString& expected,
                 int timeoutMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (dig(m_port, name, type) == expected) {
                qInfo("%s %s answered after %lld ms", qPrintable(name), qPrintable(type),
                      timer.elapsed());
                return true;
            }
            QTest::qWait(20);
        }
        qWarning("%s %s: '%s'", qPrintable(name), qPrintable(type),
                 qPrintable(dig(m_port, name, type)));
        return false;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_host.root(), m_port);
        QVERIFY(makeRndcKey(m_layout.rndcKeyPath));
    }
    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void zoneServedAtOnce() {
        auto manager = makeManager(m_host.root(), m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        DNSConfiguration* config = manager->configuration();
        config->setListenPort(m_port);
        config->setListenAddresses({u"127.0.0.1"_s});
        config->setRecursion(false);

        // A first zone while the server is stopped, so that it starts with a configuration.
        const ZonePtr first =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"192.0.2.53"_s);
        Finish finish = finishOf(manager.get(), [&] { return manager->addZone(first); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::running, 15000);
        QVERIFY(answers(u"ns1.example.com"_s, u"A"_s, u"192.0.2.53"_s, 10000));

        // Added while it runs: served once the change has finished, no reload asked for.
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.org"_s, m_layout.zoneDirectory + u"/db.example.org"_s,
                                    QString(), QString(), 2026010101, u"2001:db8::53"_s);
        finish = finishOf(manager.get(), [&] { return manager->addZone(zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(
            logCount(*manager, u"Server configuration reread successfully"_s, LogLevel::success),
            1);
        QVERIFY(answers(u"example.org"_s, u"SOA"_s,
                        u"ns1.example.org. admin.example.org. 2026010101 3600 1800 1209600 "
                        "86400"_s));
        QVERIFY(answers(u"ns1.example.org"_s, u"AAAA"_s, u"2001:db8::53"_s));

        // A record change: the zone's file, then rndc reload of that zone, once.
        finish = finishOf(manager.get(), [&] {
            return manager->addRecord(DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.80"_s, 300),
                                      zone);
        });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QVERIFY(answers(u"www.example.org"_s, u"A"_s, u"192.0.2.80"_s));
        QTRY_COMPARE(
            logCount(*manager, u"Zone reloaded successfully: example.org"_s, LogLevel::success), 1);
        QCOMPARE(logCount(*manager, u"Configuration reloaded successfully"_s), 0);

        // Removed: no longer served, its file and statement gone; the other zone stays.
        finish = finishOf(manager.get(), [&] { return manager->removeZone(zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QVERIFY(answers(u"example.org"_s, u"SOA"_s, QString()));
        QVERIFY(!QFileInfo::exists(zone->filePath()));
        QVERIFY(!readFile(m_layout.namedConfigPath).contains("zone \"example.org\""));
        QVERIFY(answers(u"ns1.example.com"_s, u"A"_s, u"192.0.2.53"_s));

        manager->stopServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::stopped, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestZoneServer)
#include "tst_zone_server.moc"
