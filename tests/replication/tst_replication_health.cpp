// ReplicationHealth against two real named of the test's own, a primary and a secondary: a
// zone the secondary copied is in sync; after the primary alone loads a higher serial (NOTIFY
// off, so the secondary does not hear of it) the zone is behind by the difference, since the
// first check that saw it; a zone whose transfer the primary denies is not served by the
// secondary and comes with the primary's log line about it; a stopped secondary is not
// answering.
#include <QSignalSpy>
#include <QTest>

#include "TestNamed.h"
#include "manager/ReplicationHealth.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString copied = QStringLiteral("example.test");
const QString denied = QStringLiteral("denied.test");
constexpr quint32 firstSerial = 2026120601;

} // namespace

class ReplicationHealthTest : public QObject {
    Q_OBJECT

    TestNamed m_primary;
    TestNamed m_secondary;
    QDateTime m_now = QDateTime(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC);

    // Asks everyone and waits for the round's end.
    bool refreshed(ReplicationHealth& health) {
        QSignalSpy finished(&health, &ReplicationHealth::refreshFinished);
        health.refresh();
        return finished.wait(10000);
    }

    ReplicationStatus statusOf(const ReplicationHealth& health, const QString& zone) {
        return health.status(QStringLiteral("sec1"), zone).value_or(ReplicationStatus{});
    }

    static QString describe(const ReplicationStatus& status) {
        return QStringLiteral("%1: %2 primary %3 secondary %4 (%5)")
            .arg(status.zone, replicationStateWord(status.state))
            .arg(status.primarySerial.value_or(0))
            .arg(status.secondarySerial.value_or(0))
            .arg(status.reason);
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("named"), {QStringLiteral("/usr/sbin")})
                .isEmpty())
            QSKIP("BIND's named and dig are needed");
        QVERIFY(m_primary.prepare(QStringLiteral("zone \"%1\" { type primary; file \"db.%1\"; "
                                                 "allow-transfer { 127.0.0.1; }; };\n"
                                                 "zone \"%2\" { type primary; file \"db.%2\"; "
                                                 "allow-transfer { none; }; };\n")
                                      .arg(copied, denied)));
        QVERIFY(m_primary.write(u"db."_s + copied, zoneText(copied, firstSerial)));
        QVERIFY(m_primary.write(u"db."_s + denied, zoneText(denied, firstSerial)));
        QVERIFY(m_primary.start());
        QVERIFY2(m_primary.waitForSerial(copied, firstSerial), qPrintable(m_primary.log()));

        const QString secondaryZone =
            QStringLiteral("zone \"%1\" { type secondary; primaries { 127.0.0.1 port %2; }; "
                           "file \"%1.copy\"; masterfile-format text; };\n");
        QVERIFY(m_secondary.prepare(secondaryZone.arg(copied).arg(m_primary.port()) +
                                    secondaryZone.arg(denied).arg(m_primary.port())));
        QVERIFY(m_secondary.start());
        QVERIFY2(m_secondary.waitForSerial(copied, firstSerial), qPrintable(m_secondary.log()));
        // The denied zone's first transfer has been tried and refused.
        QVERIFY2(
            QTest::qWaitFor([&] { return m_primary.log().contains(u"zone transfer '"_s + denied); },
                            10000),
            qPrintable(m_primary.log()));
    }

    void cleanupTestCase() {
        m_secondary.stop();
        m_primary.stop();
    }

    void health() {
        ReplicationHealth health;
        health.setPrimary(QStringLiteral("127.0.0.1"), m_primary.port());
        health.setQuestionTimeout(1000);
        health.setClock([this] { return m_now; });
        const QStringList primaryLog = {m_primary.logPath()};
        health.setPrimaryLog([primaryLog](const QString& zone) {
            return ReplicationHealth::transferLinesInLog(primaryLog, zone);
        });
        health.setZones({copied, denied});
        health.setSecondaries(
            {SecondaryServer{u"sec1"_s, u"127.0.0.1"_s, m_secondary.port(), QString()}});
        QCOMPARE(health.statuses().size(), 2);
        QCOMPARE(statusOf(health, copied).state, ReplicationState::unchecked);

        // In sync: the same serial on both.
        QVERIFY(refreshed(health));
        ReplicationStatus status = statusOf(health, copied);
        QVERIFY2(status.state == ReplicationState::inSync, qPrintable(describe(status)));
        QCOMPARE(status.primarySerial, std::optional<quint32>(firstSerial));
        QCOMPARE(status.secondarySerial, std::optional<quint32>(firstSerial));
        QVERIFY(!status.since.isValid());
        QVERIFY(status.primaryLogLines.isEmpty());

        // The denied zone never reached the secondary; the primary's own line says why.
        status = statusOf(health, denied);
        QVERIFY2(status.state == ReplicationState::notServing, qPrintable(describe(status)));
        QCOMPARE(status.primarySerial, std::optional<quint32>(firstSerial));
        QVERIFY(!status.secondarySerial);
        QVERIFY2(status.reason.contains(u"SERVFAIL"_s), qPrintable(status.reason));
        QVERIFY2(status.primaryLogLines.contains(u"zone transfer '"_s + denied) &&
                     status.primaryLogLines.contains(u"denied"_s),
                 qPrintable(status.primaryLogLines));
        QVERIFY(!status.primaryLogLines.contains(copied));
        QCOMPARE(status.since, m_now);

        // The primary alone loads a later serial (NOTIFY is off): behind by the difference.
        constexpr quint32 later = firstSerial + 7;
        QVERIFY(m_primary.write(u"db."_s + copied,
                                zoneText(copied, later, u"new IN A 192.0.2.77\n"_s)));
        QVERIFY(m_primary.rndc({QStringLiteral("reload"), copied}));
        QVERIFY(m_primary.waitForSerial(copied, later));
        QCOMPARE(m_secondary.servedSerial(copied), firstSerial);
        const QDateTime firstSeen = m_now = m_now.addSecs(60);
        QVERIFY(refreshed(health));
        status = statusOf(health, copied);
        QVERIFY2(status.state == ReplicationState::behind, qPrintable(describe(status)));
        QCOMPARE(status.distance, 7u);
        QCOMPARE(status.primarySerial, std::optional<quint32>(later));
        QCOMPARE(status.secondarySerial, std::optional<quint32>(firstSerial));
        QCOMPARE(status.since, firstSeen);

        // Still behind a minute later: "since" stays at the first sighting.
        m_now = m_now.addSecs(60);
        QSignalSpy changes(&health, &ReplicationHealth::statusChanged);
        QVERIFY(refreshed(health));
        QCOMPARE(statusOf(health, copied).since, firstSeen);
        QCOMPARE(statusOf(health, copied).checkedAt, m_now);
        // Nothing about the pair changed but the time of the check: no change announced.
        for (const QList<QVariant>& change : std::as_const(changes))
            QVERIFY(change.at(0).toInt() != 0);

        // The secondary stopped: not answering, with the reason.
        m_secondary.stop();
        QVERIFY(refreshed(health));
        status = statusOf(health, copied);
        QVERIFY2(status.state == ReplicationState::notAnswering, qPrintable(describe(status)));
        QVERIFY(!status.secondarySerial);
        QCOMPARE(status.primarySerial, std::optional<quint32>(later));
        QVERIFY2(status.reason.contains(QString::number(m_secondary.port())),
                 qPrintable(status.reason));
        QCOMPARE(status.since, firstSeen);
    }
};

QTEST_GUILESS_MAIN(ReplicationHealthTest)
#include "tst_replication_health.moc"
