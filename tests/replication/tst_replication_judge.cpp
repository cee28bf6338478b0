// How ReplicationHealth judges one pair from the two answers: serial-number arithmetic across
// the 2^32 wrap, the states a missing or unusable answer gives, and when "since" starts, stays
// and ends. Also which log lines count as the primary's words about a zone's transfers.
#include <QTest>

#include "manager/ReplicationHealth.h"

using namespace korvi;
using namespace Qt::StringLiterals;

namespace {

DnsAnswer soa(quint32 serial) {
    DnsAnswer answer;
    answer.outcome = DnsOutcome::noError;
    answer.rcode = u"NOERROR"_s;
    answer.authoritative = true;
    answer.soaSerial = serial;
    return answer;
}

DnsAnswer silent() {
    DnsAnswer answer;
    answer.outcome = DnsOutcome::timeout;
    answer.error = u"No answer from 127.0.0.1 port 5301 within 1000 ms"_s;
    return answer;
}

DnsAnswer rcode(DnsOutcome outcome, const QString& word) {
    DnsAnswer answer;
    answer.outcome = outcome;
    answer.rcode = word;
    return answer;
}

DnsAnswer notAuthoritative(quint32 serial) {
    DnsAnswer answer = soa(serial);
    answer.authoritative = false;
    return answer;
}

const QDateTime earlier(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
const QDateTime now(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC);

} // namespace

Q_DECLARE_METATYPE(korvi::DnsAnswer)
Q_DECLARE_METATYPE(korvi::ReplicationState)

class ReplicationJudgeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void judge_data() {
        QTest::addColumn<ReplicationState>("before");
        QTest::addColumn<DnsAnswer>("primary");
        QTest::addColumn<DnsAnswer>("secondary");
        QTest::addColumn<ReplicationState>("state");
        QTest::addColumn<quint32>("distance");
        QTest::addColumn<QDateTime>("since");
        QTest::addColumn<QString>("reasonPart");

        using S = ReplicationState;
        const QDateTime none;
        QTest::newRow("same serial") << S::unchecked << soa(2026120601) << soa(2026120601)
                                     << S::inSync << 0u << none << QString();
        QTest::newRow("back in sync ends the spell")
            << S::behind << soa(5) << soa(5) << S::inSync << 0u << none << QString();
        QTest::newRow("behind, first seen now") << S::inSync << soa(2026120610) << soa(2026120601)
                                                << S::behind << 9u << now << QString();
        QTest::newRow("still behind keeps the first sighting")
            << S::behind << soa(2026120611) << soa(2026120601) << S::behind << 10u << earlier
            << QString();
        QTest::newRow("behind across the wrap")
            << S::inSync << soa(2) << soa(0xFFFFFFFEu) << S::behind << 4u << now << QString();
        QTest::newRow("a larger number that is earlier: ahead")
            << S::inSync << soa(0xFFFFFFFEu) << soa(2) << S::ahead << 4u << now << QString();
        QTest::newRow("primary went back")
            << S::inSync << soa(100) << soa(130) << S::ahead << 30u << now << QString();
        QTest::newRow("2^31 apart: no order") << S::inSync << soa(0x80000000u) << soa(0)
                                              << S::behind << 0x80000000u << now << u"2^31"_s;
        QTest::newRow("secondary silent")
            << S::inSync << soa(7) << silent() << S::notAnswering << 0u << now << u"port 5301"_s;
        QTest::newRow("silent while behind keeps the spell")
            << S::behind << soa(7) << silent() << S::notAnswering << 0u << earlier
            << u"No answer"_s;
        QTest::newRow("secondary without the zone")
            << S::unchecked << soa(7) << rcode(DnsOutcome::servFail, u"SERVFAIL"_s) << S::notServing
            << 0u << now << u"SERVFAIL"_s;
        QTest::newRow("secondary refuses")
            << S::unchecked << soa(7) << rcode(DnsOutcome::refused, u"REFUSED"_s) << S::notServing
            << 0u << now << u"REFUSED"_s;
        QTest::newRow("a serial without authority does not count")
            << S::unchecked << soa(7) << notAuthoritative(7) << S::notServing << 0u << now
            << u"authority"_s;
        QTest::newRow("primary silent: nothing to compare, spell kept")
            << S::behind << silent() << soa(7) << S::primaryNotAnswering << 0u << earlier
            << u"No answer"_s;
        QTest::newRow("primary silent while in sync starts no spell")
            << S::inSync << silent() << soa(7) << S::primaryNotAnswering << 0u << none
            << u"No answer"_s;
    }

    void judge() {
        QFETCH(ReplicationState, before);
        QFETCH(DnsAnswer, primary);
        QFETCH(DnsAnswer, secondary);
        QFETCH(ReplicationState, state);
        QFETCH(quint32, distance);
        QFETCH(QDateTime, since);
        QFETCH(QString, reasonPart);

        ReplicationStatus previous;
        previous.secondary = SecondaryServer{u"sec1"_s, u"127.0.0.1"_s, 5301, QString()};
        previous.zone = u"example.test"_s;
        previous.state = before;
        if (before != ReplicationState::inSync && before != ReplicationState::unchecked)
            previous.since = earlier;

        const ReplicationStatus next = ReplicationHealth::judge(previous, primary, secondary, now);
        QCOMPARE(next.state, state);
        QCOMPARE(next.distance, distance);
        QCOMPARE(next.since, since);
        QCOMPARE(next.checkedAt, now);
        QCOMPARE(next.zone, previous.zone);
        QCOMPARE(next.secondary.name, previous.secondary.name);
        if (reasonPart.isEmpty())
            QVERIFY2(next.reason.isEmpty(), qPrintable(next.reason));
        else
            QVERIFY2(next.reason.contains(reasonPart), qPrintable(next.reason));
        QCOMPARE(next.secondarySerial.has_value(),
                 secondary.authoritative && secondary.soaSerial.has_value());
    }

    void transferLines_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("expected");
        const QString deniedLine =
            u"06-Dec-2026 10:00:01.000 client @0x7f 127.0.0.1#40001 (denied.test): zone transfer "
            "'denied.test/AXFR/IN' denied"_s;
        QTest::newRow("a denied transfer, not the zone's loading")
            << u"denied.test"_s << deniedLine;
        QTest::newRow("a transfer in, refused")
            << u"example.test"_s
            << u"06-Dec-2026 10:00:03.000 transfer of 'example.test/IN' from 127.0.0.1#5300: "
               "failed while receiving responses: REFUSED"_s;
        QTest::newRow("a name that only starts the same does not count") << u"test"_s << QString();
    }

    void transferLines() {
        QFETCH(QString, zone);
        QFETCH(QString, expected);
        const QString log =
            u"06-Dec-2026 10:00:00.000 zone denied.test/IN: loaded serial 2026120601\n"
            "06-Dec-2026 10:00:01.000 client @0x7f 127.0.0.1#40001 (denied.test): zone transfer "
            "'denied.test/AXFR/IN' denied\n"
            "06-Dec-2026 10:00:02.000 zone example.test/IN: loaded serial 2026120601\n"
            "06-Dec-2026 10:00:03.000 transfer of 'example.test/IN' from 127.0.0.1#5300: "
            "failed while receiving responses: REFUSED\n"_s;
        QCOMPARE(ReplicationHealth::transferLines(log, zone), expected);
    }
};

QTEST_GUILESS_MAIN(ReplicationJudgeTest)
#include "tst_replication_judge.moc"
