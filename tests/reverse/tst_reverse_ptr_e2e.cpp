// Reverse zones and their PTR records against a real named in a sandbox: the reverse zone of a
// network is created through Korvi and served; with the preference "always", adding an address
// record makes dig -x answer its name, changing the address moves the PTR (the old address no
// longer answers), renaming the record changes the PTR's target, and deleting the record takes
// the PTR away. Once for IPv4 (192.0.2.0/24, an A record), once for IPv6 (2001:db8::/48, AAAA).
#include <QSignalSpy>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "manager/PtrSync.h"
#include "model/ReverseZoneName.h"

using namespace korvi;
using namespace korvi::test;

class TestReversePtrE2e : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_forward;

    // dig -x: the PTR answer for the address, empty for none.
    QString reverseAnswer(const QString& address) {
        return dig(m_port, ReverseZoneName::ofAddress(address), u"PTR"_s);
    }

    // Runs the forward change, waits for it and for the PTR changes it starts; each of those
    // must be applied.
    void runWithPtrChanges(const std::function<ChangeId()>& start, int ptrChanges) {
        QSignalSpy ptrSpy(m_manager->ptrSync(), &PtrSync::ptrChangeFinished);
        const Finish finish = finishOf(m_manager.get(), start);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QTRY_COMPARE_WITH_TIMEOUT(ptrSpy.size(), ptrChanges, 20000);
        for (const QList<QVariant>& arguments : std::as_const(ptrSpy))
            QVERIFY2(arguments.at(1).toBool(), qPrintable(arguments.at(2).toString()));
        QTest::qWait(50); // a change too many would show here
        QCOMPARE(ptrSpy.size(), ptrChanges);
    }

    ZonePtr addReverseZone(const QString& prefix) {
        const ReverseZoneName::Result name = ReverseZoneName::fromPrefix(prefix);
        if (!name.isValid())
            return {};
        const ZonePtr zone = ZoneRepository::newZone(
            name.zoneName, m_layout.zoneDirectory + u"/db."_s + name.zoneName,
            u"ns1.example.com."_s, QString(), 2026010101);
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(zone); });
        return finish.applied ? zone : ZonePtr();
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
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::always);
        m_forward =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"198.51.100.53"_s);
        const Finish finish =
            finishOf(m_manager.get(), [&] { return m_manager->addZone(m_forward); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
    }
    void cleanupTestCase() {
        if (m_manager) {
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    void ptrFollowsTheAddressRecord_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("IPv4 /24") << u"192.0.2.0/24"_s << u"2.0.192.in-addr.arpa"_s
                                  << DNSRecordType::A << u"192.0.2.10"_s << u"192.0.2.11"_s;
        QTest::newRow("IPv6 /48") << u"2001:db8::/48"_s << u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s
                                  << DNSRecordType::AAAA << u"2001:db8::10"_s << u"2001:db8::11"_s;
    }
    void ptrFollowsTheAddressRecord() {
        QFETCH(QString, prefix);
        QFETCH(QString, zoneName);
        QFETCH(DNSRecordType, type);
        QFETCH(QString, first);
        QFETCH(QString, second);

        // The reverse zone, created through Korvi from the network, is served.
        const ZonePtr reverse = addReverseZone(prefix);
        QVERIFY(reverse);
        QCOMPARE(reverse->name(), zoneName);
        QVERIFY(QTest::qWaitFor([&] { return !dig(m_port, zoneName, u"SOA"_s).isEmpty(); }, 10000));

        // Added: the PTR is served when its change is reported.
        const DNSRecord www(u"www"_s, type, first, 300);
        runWithPtrChanges([&] { return m_manager->addRecord(www, m_forward); }, 1);
        QCOMPARE(reverseAnswer(first), u"www.example.com."_s);

        // The address changes: the PTR moves.
        DNSRecord moved = *recordNamed(m_forward, u"www"_s, type);
        moved.value = second;
        runWithPtrChanges([&] { return m_manager->updateRecord(moved, m_forward); }, 2);
        QCOMPARE(reverseAnswer(first), QString());
        QCOMPARE(reverseAnswer(second), u"www.example.com."_s);

        // The name changes: the PTR names the new one.
        DNSRecord renamed = *recordNamed(m_forward, u"www"_s, type);
        renamed.name = u"web"_s;
        runWithPtrChanges([&] { return m_manager->updateRecord(renamed, m_forward); }, 2);
        QCOMPARE(reverseAnswer(second), u"web.example.com."_s);

        // Deleted: the PTR is gone, and so is every PTR record of the zone.
        runWithPtrChanges([&] { return m_manager->deleteRecord(renamed, m_forward); }, 1);
        QCOMPARE(reverseAnswer(second), QString());
        for (const DNSRecord& record : reverse->records())
            QVERIFY(record.type != DNSRecordType::PTR);
    }
};

QTEST_GUILESS_MAIN(TestReversePtrE2e)
#include "tst_reverse_ptr_e2e.moc"
