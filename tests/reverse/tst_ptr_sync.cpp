// PTR records kept in step, judged by BIND's checkers (no server): the preference decides
// whether a new address gets its PTR at once, after a question, or not at all (a missing value
// asks); the PTR goes to the reverse zone with the longest match; a PTR Korvi would not have
// made (another target) is never moved or deleted; a PTR change the checker refuses is logged
// and announced while the address record stays; addresses outside Korvi's reverse zones and
// records of the reverse zones themselves start nothing.
#include <QSignalSpy>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "manager/PtrSync.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Policy { missing, always, ask, never };

} // namespace

class TestPtrSync : public QObject {
    Q_OBJECT

    std::unique_ptr<ChangeHost> m_changes;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_forward;
    ZonePtr m_wide;    // 192.in-addr.arpa
    ZonePtr m_reverse; // 2.0.192.in-addr.arpa

    ZonePtr addZone(const QString& name, const QList<DNSRecord>& records = {}) {
        const ZonePtr zone =
            ZoneRepository::newZone(name, m_changes->zonePath(name), u"ns1.example.com."_s,
                                    QString(), 2025030501, u"198.51.100.1"_s);
        for (const DNSRecord& record : records)
            zone->addRecord(record);
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(zone); });
        if (!finish.applied)
            qWarning("zone %s not added: %s", qPrintable(name), qPrintable(finish.message));
        return finish.applied ? zone : ZonePtr();
    }
    PtrSync* sync() const { return m_manager->ptrSync(); }

    // The zone's PTR records as "owner → target", in zone order.
    static QStringList ptrs(const ZonePtr& zone) {
        QStringList found;
        for (const DNSRecord& record : zone->records()) {
            if (record.type == DNSRecordType::PTR)
                found.append(record.name + u" → "_s + record.value);
        }
        return found;
    }

    // Runs a forward change (it must be applied) and collects the PTR changes that end
    // within a moment after it.
    QList<QList<QVariant>> forwardChange(const std::function<ChangeId()>& start,
                                         int expectedPtrChanges) {
        QSignalSpy spy(sync(), &PtrSync::ptrChangeFinished);
        const Finish finish = finishOf(m_manager.get(), start);
        if (!finish.applied)
            qWarning("forward change refused: %s", qPrintable(finish.message));
        (void)QTest::qWaitFor([&] { return spy.size() >= expectedPtrChanges; }, 10000);
        QTest::qWait(100); // a change too many would show here
        return QList<QList<QVariant>>(spy.begin(), spy.end());
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() {
        m_changes = std::make_unique<ChangeHost>();
        m_manager = m_changes->manager();
        m_forward = addZone(u"example.com"_s);
        m_wide = addZone(u"192.in-addr.arpa"_s);
        m_reverse = addZone(
            u"2.0.192.in-addr.arpa"_s,
            {DNSRecord(u"12"_s, DNSRecordType::PTR, u"other.example.net."_s, 300),
             DNSRecord(u"13"_s, DNSRecordType::CNAME, u"13.0-127.2.0.192.in-addr.arpa."_s, 300)});
        QVERIFY(m_forward && m_wide && m_reverse);
    }
    void cleanup() {
        settle();
        m_manager.reset();
        m_changes.reset();
    }

    void newAddressFollowsThePreference_data() {
        QTest::addColumn<Policy>("policy");
        QTest::addColumn<bool>("added");
        QTest::addColumn<bool>("asked");
        QTest::newRow("always") << Policy::always << true << false;
        QTest::newRow("ask") << Policy::ask << false << true;
        QTest::newRow("never") << Policy::never << false << false;
        QTest::newRow("not set: ask") << Policy::missing << false << true;
    }
    void newAddressFollowsThePreference() {
        QFETCH(Policy, policy);
        QFETCH(bool, added);
        QFETCH(bool, asked);
        if (policy != Policy::missing)
            PtrSync::setPolicy(m_manager->preferences(),
                               policy == Policy::always ? PtrPolicy::always
                               : policy == Policy::ask  ? PtrPolicy::ask
                                                        : PtrPolicy::never);
        QSignalSpy questions(sync(), &PtrSync::ptrQuestion);
        const auto changes = forwardChange(
            [&] { return m_manager->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300), m_forward); },
            added ? 1 : 0);
        QCOMPARE(changes.size(), added ? 1 : 0);
        QCOMPARE(questions.size(), asked ? 1 : 0);
        const QStringList expected{u"12 → other.example.net."_s};
        QCOMPARE(ptrs(m_reverse),
                 added ? expected + QStringList{u"10 → www.example.com."_s} : expected);
        // The wider zone holds the address too; the longer match took it, or nothing did.
        QVERIFY(ptrs(m_wide).isEmpty());
        if (!asked)
            return;
        // The question names the PTR; answering "add" adds it to the /24 zone.
        const auto proposal = questions.first().first().value<PtrProposal>();
        QCOMPARE(proposal.owner, u"10"_s);
        QCOMPARE(proposal.target, u"www.example.com."_s);
        QCOMPARE(proposal.reverseZone, u"2.0.192.in-addr.arpa"_s);
        QCOMPARE(proposal.address, u"192.0.2.10"_s);
        QSignalSpy answered(sync(), &PtrSync::ptrChangeFinished);
        const ChangeId id = sync()->addPtr(proposal);
        QVERIFY(id != 0);
        QTRY_COMPARE(answered.size(), 1);
        QVERIFY(answered.first().at(1).toBool());
        QCOMPARE(ptrs(m_reverse), expected + QStringList{u"10 → www.example.com."_s});
        // Answered twice: the PTR is there already, nothing is added.
        QCOMPARE(sync()->addPtr(proposal), ChangeId(0));
        QTest::qWait(100);
        QCOMPARE(answered.size(), 1);
        QCOMPARE(ptrs(m_reverse), expected + QStringList{u"10 → www.example.com."_s});
    }

    // An address record whose PTR has another target: neither a new address nor a deletion
    // touches that PTR.
    void foreignPtrIsLeftAlone() {
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::always);
        auto changes = forwardChange(
            [&] { return m_manager->addRecord(a(u"www2"_s, u"192.0.2.12"_s, 300), m_forward); }, 1);
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes.first().at(1).toBool());
        const QStringList both{u"12 → other.example.net."_s, u"12 → www2.example.com."_s};
        QCOMPARE(ptrs(m_reverse), both);

        // Moved to .14: Korvi's PTR moves, the other one stays.
        DNSRecord moved = *recordNamed(m_forward, u"www2"_s);
        moved.value = u"192.0.2.14"_s;
        changes = forwardChange([&] { return m_manager->updateRecord(moved, m_forward); }, 2);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(ptrs(m_reverse),
                 (QStringList{u"12 → other.example.net."_s, u"14 → www2.example.com."_s}));

        // Deleted: Korvi's PTR goes, the other one stays.
        changes = forwardChange([&] { return m_manager->deleteRecord(moved, m_forward); }, 1);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(ptrs(m_reverse), QStringList{u"12 → other.example.net."_s});

        // A record at .12 again, with "never": deleting it leaves the other PTR alone.
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::never);
        changes = forwardChange(
            [&] { return m_manager->addRecord(a(u"www3"_s, u"192.0.2.12"_s, 300), m_forward); }, 0);
        QCOMPARE(changes.size(), 0);
        changes = forwardChange(
            [&] { return m_manager->deleteRecord(*recordNamed(m_forward, u"www3"_s), m_forward); },
            0);
        QCOMPARE(changes.size(), 0);
        QCOMPARE(ptrs(m_reverse), QStringList{u"12 → other.example.net."_s});
    }

    // The PTR cannot go where a CNAME is: the checker refuses it, the failure is logged and
    // announced in Korvi's words, and the address record stays.
    void refusedPtrLeavesTheAddressRecord() {
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::always);
        const auto changes = forwardChange(
            [&] { return m_manager->addRecord(a(u"mail"_s, u"192.0.2.13"_s, 300), m_forward); }, 1);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(1).toBool(), false);
        const QString message = changes.first().at(2).toString();
        QVERIFY2(message.startsWith(u"Korvi could not add the PTR record '13' (192.0.2.13 → "
                                    "mail.example.com.) in zone '2.0.192.in-addr.arpa'."_s),
                 qPrintable(message));
        QVERIFY2(message.endsWith(u"The A record stays as it is."_s), qPrintable(message));
        QVERIFY(recordNamed(m_forward, u"mail"_s));
        QCOMPARE(ptrs(m_reverse), QStringList{u"12 → other.example.net."_s});
        bool logged = false;
        for (const QString& line : logMessages(*m_manager))
            logged = logged || (line.startsWith(u"❌ Could not add the PTR record '13'"_s) &&
                                line.endsWith(u"The A record stays as it is."_s));
        QVERIFY(logged);
    }

    // Collected changes: the PTR is collected with the address record and written with it.
    void batchModeCollectsThePtr() {
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::always);
        ZoneRepository* repository = m_manager->zoneRepository();
        QVERIFY(repository->setBatchMode(true));
        const auto changes = forwardChange(
            [&] { return m_manager->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300), m_forward); }, 1);
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes.first().at(1).toBool());
        QCOMPARE(repository->stagedChangeCount(), 2);
        QVERIFY(ptrs(m_reverse).contains(u"10 → www.example.com."_s));
        QVERIFY(!readFile(m_reverse->filePath()).contains("www.example.com."));
        const Finish applied = finishOf(m_manager.get(), [&] { return repository->applyStaged(); });
        QVERIFY2(applied.applied, qPrintable(applied.message));
        const QByteArray file = readFile(m_reverse->filePath());
        QVERIFY2(file.contains("www.example.com."), file.constData());
        QCOMPARE(repository->stagedChangeCount(), 0);
    }

    // Nothing to keep in step: an address no reverse zone holds, a PTR changed in a reverse
    // zone, an address record added to a reverse zone.
    void nothingToKeepInStep_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<DNSRecord>("record");
        QTest::newRow("outside the reverse zones")
            << u"example.com"_s << a(u"far"_s, u"10.0.0.1"_s, 300);
        QTest::newRow("IPv6 without a zone")
            << u"example.com"_s << DNSRecord(u"v6"_s, DNSRecordType::AAAA, u"2001:db8::1"_s, 300);
        QTest::newRow("PTR in a reverse zone")
            << u"2.0.192.in-addr.arpa"_s
            << DNSRecord(u"20"_s, DNSRecordType::PTR, u"host.example.com."_s, 300);
        QTest::newRow("A in a reverse zone")
            << u"2.0.192.in-addr.arpa"_s << a(u"ns2"_s, u"192.0.2.30"_s, 300);
    }
    void nothingToKeepInStep() {
        QFETCH(QString, zone);
        QFETCH(DNSRecord, record);
        PtrSync::setPolicy(m_manager->preferences(), PtrPolicy::always);
        const ZonePtr target = zone == u"example.com"_s ? m_forward : m_reverse;
        const QStringList before = ptrs(m_reverse) + ptrs(m_wide);
        QSignalSpy questions(sync(), &PtrSync::ptrQuestion);
        const auto changes = forwardChange([&] { return m_manager->addRecord(record, target); }, 0);
        QCOMPARE(changes.size(), 0);
        QCOMPARE(questions.size(), 0);
        const QStringList expected = record.type == DNSRecordType::PTR
                                         ? before + QStringList{u"20 → host.example.com."_s}
                                         : before;
        QCOMPARE(ptrs(m_reverse) + ptrs(m_wide), expected);
    }
};

QTEST_GUILESS_MAIN(TestPtrSync)
#include "tst_ptr_sync.moc"
