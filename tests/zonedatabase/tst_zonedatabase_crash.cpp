// A child process making changes through ZoneDatabase is killed with SIGKILL
// 200 times, at points drawn from a seeded generator (the seed is printed;
// KORVI_CRASH_SEED repeats a run). After every kill the database must open,
// pass the check, and hold every change the child had seen committed, and no
// change it had not yet made. Each change also sets the zone's serial to the
// change's number, so the serial names the last change in the file.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

#include "CrashChanges.h"
#include "ZoneDatabaseTestSupport.h"
#include "storage/ZoneStore.h"

using namespace korvi;
using namespace korvi::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kills = 200;
constexpr int inFlight = 4; // as in the child

// The highest change number the child reported committed in `output`.
qint64 lastCommitted(const QByteArray& output, qint64 before) {
    qint64 last = before;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("committed "))
            last = qMax(last, line.mid(10).toLongLong());
    }
    return last;
}

} // namespace

class TestZoneDatabaseCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWhileWriting() {
        const quint32 seed = qEnvironmentVariableIsSet("KORVI_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("KORVI_CRASH_SEED"))
                                 : QRandomGenerator::global()->generate();
        qInfo("kill points drawn with seed %u (set KORVI_CRASH_SEED to repeat)", seed);
        QRandomGenerator random(seed);

        QTemporaryDir dir;
        const QString path = dir.filePath(ZoneDatabase::databaseFileName());
        {
            QVERIFY(ZoneStore::create(path));
            ZoneStore store;
            QVERIFY(store.open(path));
            QVERIFY(store.addZone(
                {crash::zoneId(), u"crash.example"_s, u"db.crash.example"_s, crash::soa(0), 0},
                {}));
        }

        crash::Expected expected;
        qint64 reported = 0; // the last change the child saw committed
        int killedBeforeOpen = 0;
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < kills; ++round) {
            QProcess child;
            child.setProgram(QStringLiteral(KORVI_CRASH_CHILD));
            child.setArguments({dir.path(), QString::number(expected.applied() + 1)});
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start();
            QVERIFY(child.waitForStarted());

            // Half of the kills fall at a time after the start (often while
            // opening, checking or copying), half after a number of commits.
            QByteArray output;
            if (random.bounded(2) == 0) {
                const int delayMs = random.bounded(50);
                QElapsedTimer waited;
                waited.start();
                while (waited.elapsed() < delayMs) {
                    child.waitForReadyRead(int(delayMs - waited.elapsed()) + 1);
                    output += child.readAllStandardOutput();
                }
            } else {
                const qint64 commits = random.bounded(1, 20);
                const qint64 target = expected.applied() + commits;
                QElapsedTimer waited;
                waited.start();
                while (lastCommitted(output, reported) < target && waited.elapsed() < 10000 &&
                       child.state() == QProcess::Running) {
                    child.waitForReadyRead(100);
                    output += child.readAllStandardOutput();
                }
                QThread::usleep(random.bounded(3000));
            }
            QCOMPARE(child.state(), QProcess::Running); // it never stops by itself
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            output += child.readAllStandardOutput();
            QVERIFY2(!output.contains("failed"), output.constData());
            if (!output.contains("opened"))
                ++killedBeforeOpen;
            reported = lastCommitted(output, reported);

            ZoneStore store;
            QVERIFY(store.open(path));
            const StoreResult check = store.check();
            QVERIFY2(check, qPrintable(check.error));
            const auto zones = store.zones();
            QVERIFY(zones);
            QCOMPARE(zones->size(), 1);
            const qint64 inFile = zones->first().soaRecord->serial;
            QVERIFY2(
                inFile >= reported && inFile <= reported + inFlight,
                qPrintable(u"round %1: change %2 in the file, %3 reported committed"_s.arg(round)
                               .arg(inFile)
                               .arg(reported)));
            QVERIFY(inFile >= expected.applied());
            expected.advanceTo(inFile);
            // The next child goes on from the file: changes committed but
            // not reported this round count as reported for the next bound.
            reported = inFile;
            const auto records = store.records(crash::zoneId());
            QVERIFY(records);
            QCOMPARE(asJson(*records), asJson(expected.records()));
            QCOMPARE(zones->first().recordCount, expected.records().size());
            store.close();

            // The last good copy, when one was made, is whole as well.
            const QString good = dir.filePath(ZoneDatabase::goodCopyFileName());
            if (QFile::exists(good)) {
                ZoneStore copy;
                QVERIFY(copy.open(good));
                QVERIFY(copy.check());
            }
        }
        qInfo("%d kills, %lld changes committed, %d kills before the database was open, %lld ms",
              kills, expected.applied(), killedBeforeOpen, clock.elapsed());
        QVERIFY(expected.applied() > kills); // the kills did not all land before any change
    }
};

QTEST_GUILESS_MAIN(TestZoneDatabaseCrash)
#include "tst_zonedatabase_crash.moc"
