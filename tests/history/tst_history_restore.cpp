// Restoring from the change history against a real named in a sandbox: a restore is a
// verified change of its own, so dig already answers the restored data when Korvi reports
// it applied, and the served serial has moved on past the one before the restore. A removed
// zone comes back and answers its SOA again. A change the server does not serve is rolled
// back and leaves no snapshot.
#include <QElapsedTimer>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "manager/ChangeHistory.h"
#include "manager/HistoryRestore.h"

using namespace korvi;
using namespace korvi::test;

class TestHistoryRestore : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

    bool answers(const QString& name, const QString& type, const QString& expected) {
        return QTest::qWaitFor([&] { return dig(m_port, name, type) == expected; }, 10000);
    }
    qint64 servedSerial(const QString& zone) {
        return dig(m_port, zone, u"SOA"_s).split(u' ').value(2).toLongLong();
    }
    // Waits for the history to have stored every snapshot handed to it.
    bool historySettled() {
        return QTest::qWaitFor(
            [&] {
                return !m_manager->hasPendingChanges() &&
                       !m_manager->changeHistory()->hasPendingWrites();
            },
            10000);
    }
    void change(const std::function<ChangeId()>& start) {
        const Finish finish = finishOf(m_manager.get(), start);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QVERIFY(historySettled());
    }

    struct Restored {
        int count = 0;
        bool applied = false;
        QString message;
        QString digAtFinish;
    };
    // Restores the snapshot; dig is asked for the name in the slot that hears the outcome.
    Restored restore(const ChangeSnapshot& snapshot, const QString& name, const QString& type) {
        Restored restored;
        HistoryRestore* restorer = m_manager->historyRestore();
        HistoryRestore::RestoreId id = 0;
        const QMetaObject::Connection connection =
            connect(restorer, &HistoryRestore::restoreFinished, this,
                    [&](HistoryRestore::RestoreId finished, bool applied, const QString& message) {
                        if (finished != id)
                            return;
                        ++restored.count;
                        restored.applied = applied;
                        restored.message = message;
                        restored.digAtFinish = dig(m_port, name, type);
                    });
        id = restorer->restore(snapshot);
        (void)QTest::qWaitFor([&] { return restored.count > 0; }, 20000);
        QTest::qWait(30);
        disconnect(connection);
        return restored;
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
        KORVI_SET_UP_SANDBOX_MANAGER(m_host.root(), m_port, m_layout, m_manager);
        m_zone =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"192.0.2.53"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        change([&] { return m_manager->addZone(m_zone); });
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
        QVERIFY(answers(u"www.example.com"_s, u"A"_s, u"192.0.2.10"_s));
    }
    void cleanupTestCase() {
        if (m_manager) {
            m_manager->zoneRepository()->setAfterWriteHook({});
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    // www goes to .1, then to .2; restoring the second change's snapshot serves .1 again the
    // moment the restore is reported, with a serial past the one served before it. The
    // restore leaves its own snapshot.
    void restoreRecordChange() {
        for (const QString& address : {u"192.0.2.1"_s, u"192.0.2.2"_s}) {
            change([&] {
                DNSRecord www = *recordNamed(m_zone, u"www"_s);
                www.value = address;
                return m_manager->updateRecord(www, m_zone);
            });
        }
        QVERIFY(answers(u"www.example.com"_s, u"A"_s, u"192.0.2.2"_s));
        const ChangeSnapshot second = m_manager->changeHistory()->entries().first();
        QCOMPARE(second.summary, u"A record 'www' updated in zone 'example.com'"_s);
        QCOMPARE(m_manager->historyRestore()->actionFor(second),
                 HistoryRestore::Action::putBackContent);
        const qsizetype entriesBefore = m_manager->changeHistory()->entries().size();
        const qint64 serialBefore = servedSerial(u"example.com"_s);
        QCOMPARE(serialBefore, m_zone->soaRecord()->serial);

        const Restored restored = restore(second, u"www.example.com"_s, u"A"_s);
        QCOMPARE(restored.count, 1);
        QVERIFY2(restored.applied, qPrintable(restored.message));
        QCOMPARE(restored.digAtFinish, u"192.0.2.1"_s);
        const qint64 serialAfter = servedSerial(u"example.com"_s);
        QVERIFY2(serialAfter > serialBefore,
                 qPrintable(u"%1 after %2"_s.arg(serialAfter).arg(serialBefore)));
        QCOMPARE(m_zone->soaRecord()->serial, serialAfter);
        QCOMPARE(recordNamed(m_zone, u"www"_s)->value, u"192.0.2.1"_s);
        QVERIFY(historySettled());
        QCOMPARE(m_manager->changeHistory()->entries().size(), entriesBefore + 1);
        QVERIFY(m_manager->changeHistory()->entries().first().summary.startsWith(
            u"Zone content restored to the state before the change of "_s));
    }

    // A zone removed while the server runs no longer answers; restoring its removal adds it
    // again with its records, and it answers its SOA (with a newer serial) when reported.
    void restoreRemovedZone() {
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.net"_s, m_layout.zoneDirectory + u"/db.example.net"_s,
                                    QString(), QString(), 2026020202, u"192.0.2.54"_s);
        zone->addRecord(a(u"www"_s, u"192.0.2.80"_s, 300));
        change([&] { return m_manager->addZone(zone); });
        QVERIFY(answers(u"www.example.net"_s, u"A"_s, u"192.0.2.80"_s));
        change([&] { return m_manager->removeZone(zone); });
        QVERIFY(answers(u"example.net"_s, u"SOA"_s, QString()));
        const ChangeSnapshot removal = m_manager->changeHistory()->entries().first();
        QCOMPARE(removal.kind, ChangeSnapshot::Kind::zoneRemoved);
        QCOMPARE(m_manager->historyRestore()->actionFor(removal),
                 HistoryRestore::Action::addZoneAgain);

        const Restored restored = restore(removal, u"example.net"_s, u"SOA"_s);
        QCOMPARE(restored.count, 1);
        QVERIFY2(restored.applied, qPrintable(restored.message));
        const QStringList soa = restored.digAtFinish.split(u' ');
        QCOMPARE(soa.value(0), u"ns1.example.net."_s);
        QVERIFY2(soa.value(2).toLongLong() > 2026020202, qPrintable(restored.digAtFinish));
        QCOMPARE(dig(m_port, u"www.example.net"_s), u"192.0.2.80"_s);
        bool listed = false;
        for (const ZonePtr& listedZone : m_manager->zones())
            listed = listed ||
                     (listedZone->name() == u"example.net"_s && listedZone->id() == removal.zoneId);
        QVERIFY(listed);
    }

    // A zone file the server refuses: the change is rolled back and keeps no snapshot.
    void rolledBackChangeKeepsNone() {
        QVERIFY(historySettled());
        const qsizetype entriesBefore = m_manager->changeHistory()->entries().size();
        m_manager->zoneRepository()->setAfterWriteHook([](const QString& path) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write("$TTL 300\n@ IN SOA ns1 admin ( 1 2 3\nthis is not a zone\n");
        });
        const Finish finish = finishOf(m_manager.get(), [&] {
            return m_manager->addRecord(a(u"broken"_s, u"192.0.2.66"_s, 300), m_zone);
        });
        m_manager->zoneRepository()->setAfterWriteHook({});
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        QVERIFY(finish.message.contains(u"previous zone file was put back"_s));
        QVERIFY(historySettled());
        QTest::qWait(100);
        QCOMPARE(m_manager->changeHistory()->entries().size(), entriesBefore);
    }
};

QTEST_GUILESS_MAIN(TestHistoryRestore)
#include "tst_history_restore.moc"
