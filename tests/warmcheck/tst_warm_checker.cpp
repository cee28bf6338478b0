// A checker started ahead of time judges exactly the text handed to it, as named-checkzone
// judges the same text from a file; a checker that is not there, not ready, or that ends
// without reading the text never counts as an acceptance.

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "manager/WarmZoneChecker.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using namespace korvi;

namespace {

struct Outcome {
    bool ended = false;
    bool taken = false;
    bool success = false;
    QString output;
};

Outcome runCheck(WarmZoneChecker& checker, const QString& zone, const QString& text,
                 int timeoutMs = 20000) {
    auto outcome = std::make_shared<Outcome>();
    checker.check(zone, text, timeoutMs, [outcome](bool taken, bool success, const QString& out) {
        // Exactly once.
        QVERIFY(!outcome->ended);
        *outcome = {true, taken, success, out};
    });
    if (!QTest::qWaitFor([&] { return outcome->ended; }, timeoutMs + 5000))
        qWarning("the check did not end");
    return *outcome;
}

// The pipes in a folder (named like scratch copies).
int pipesIn(const QString& folder) {
    int pipes = 0;
    for (const QString& name : QDir(folder).entryList(QDir::System | QDir::Files)) {
        struct stat status {};
        if (::lstat(QFile::encodeName(folder + u'/' + name).constData(), &status) == 0 &&
            S_ISFIFO(status.st_mode))
            ++pipes;
    }
    return pipes;
}

QString zoneText(int hosts, const QString& extra = {}) {
    QString text = QStringLiteral("$TTL 3600\n"
                                  "@ IN SOA ns1.example.com. admin.example.com. 2026120601 3600 "
                                  "900 604800 86400\n"
                                  "@ IN NS ns1.example.com.\n"
                                  "ns1 IN A 192.0.2.53\n");
    for (int i = 0; i < hosts; ++i)
        text += QStringLiteral("h%1 IN A 10.%2.%3.%4\n")
                    .arg(i)
                    .arg((i >> 16) & 255)
                    .arg((i >> 8) & 255)
                    .arg(i & 255);
    return text + extra;
}

// named-checkzone's verdict on the same text read from a file.
bool fileVerdict(const QString& dir, const QString& text) {
    const QString path = dir + QStringLiteral("/copy.zone");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(text.toUtf8());
    file.close();
    QProcess process;
    process.start(QStringLiteral("named-checkzone"), {QStringLiteral("-k"), QStringLiteral("fail"),
                                                      QStringLiteral("example.com"), path});
    process.waitForFinished(20000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TestWarmChecker : public QObject {
    Q_OBJECT

    QString m_checker;

    bool waitReady(WarmZoneChecker& checker, const QString& zone) {
        // Started; the check itself waits for the checker to open its pipe.
        return QTest::qWaitFor([&] { return checker.isWaiting(zone); }, 5000);
    }

private Q_SLOTS:
    void initTestCase() {
        m_checker = QStandardPaths::findExecutable(QStringLiteral("named-checkzone"));
        QVERIFY2(!m_checker.isEmpty(), "named-checkzone is needed");
    }

    void judgesLikeTheFileChecker_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("good") << zoneText(3) << true;
        QTest::newRow("syntax error")
            << zoneText(3, QStringLiteral("bad IN A 999.1.1.1\n")) << false;
        QTest::newRow("host name against the rules")
            << zoneText(1, QStringLiteral("@ IN MX 10 bad_host.example.com.\nbad_host IN A "
                                          "192.0.2.9\n"))
            << false;
        QTest::newRow("no name server")
            << QStringLiteral("$TTL 3600\n@ IN SOA ns1.example.com. admin.example.com. 1 3600 900 "
                              "604800 86400\n")
            << false;
        QTest::newRow("cut short") << zoneText(3).left(60) << false;
        // Larger than a pipe's buffer many times over.
        QTest::newRow("20000 records") << zoneText(20000) << true;
    }

    void judgesLikeTheFileChecker() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(fileVerdict(dir.path(), text), accepted);
        WarmZoneChecker checker(m_checker, {QStringLiteral("-k"), QStringLiteral("fail")},
                                QString::fromLocal8Bit(qgetenv("PATH")));
        checker.prepare(dir.path(), QStringLiteral("example.com"),
                        QStringLiteral("db.example.com"));
        QVERIFY(waitReady(checker, QStringLiteral("example.com")));
        QTest::qWait(300); // set up and waiting on its pipe
        const Outcome outcome = runCheck(checker, QStringLiteral("example.com"), text);
        QVERIFY(outcome.taken);
        QCOMPARE(outcome.success, accepted);
        if (accepted)
            QVERIFY2(outcome.output.contains(QStringLiteral("OK")), qPrintable(outcome.output));
        // One check per checker; its pipe is gone afterwards.
        QVERIFY(!checker.isWaiting(QStringLiteral("example.com")));
        QTRY_COMPARE(pipesIn(dir.path()), 0);
    }

    // The zone's name goes to the checker as given when prepared: a text for another zone is
    // not handed to a checker made for this one.
    void otherZoneIsNotTaken() {
        QTemporaryDir dir;
        WarmZoneChecker checker(m_checker, {}, QString::fromLocal8Bit(qgetenv("PATH")));
        checker.prepare(dir.path(), QStringLiteral("example.com"),
                        QStringLiteral("db.example.com"));
        const Outcome outcome = runCheck(checker, QStringLiteral("example.org"), zoneText(1));
        QVERIFY(outcome.ended);
        QVERIFY(!outcome.taken);
        QVERIFY(checker.isWaiting(QStringLiteral("example.com")));
    }

    // Stand-in checkers that exit without reading the text (with success or failure), or that
    // read only part of it: never an acceptance.
    void checkerThatReadsNothingIsNotTrusted_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("exits 0 at once")
            << QStringLiteral("/bin/sh")
            << QStringList{QStringLiteral("-c"), QStringLiteral("exit 0"), QStringLiteral("sh")};
        QTest::newRow("reads one line, exits 0")
            << QStringLiteral("/bin/sh")
            << QStringList{QStringLiteral("-c"), QStringLiteral("head -c 10 \"$2\" >/dev/null"),
                           QStringLiteral("sh")};
        // Its exit comes while the text is still being written (a child holds the pipe
        // open, so the write neither fails nor ends): an exit alone is no verdict.
        QTest::newRow("opens, exits 0 before reading")
            << QStringLiteral("/bin/sh")
            << QStringList{QStringLiteral("-c"),
                           QStringLiteral("exec 3<\"$2\"; (sleep 4) & exit 0"),
                           QStringLiteral("sh")};
        QTest::newRow("sleeps, never opens")
            << QStringLiteral("/bin/sh")
            << QStringList{QStringLiteral("-c"), QStringLiteral("sleep 30"), QStringLiteral("sh")};
    }

    void checkerThatReadsNothingIsNotTrusted() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        WarmZoneChecker checker(program, arguments, QString::fromLocal8Bit(qgetenv("PATH")));
        checker.prepare(dir.path(), QStringLiteral("example.com"),
                        QStringLiteral("db.example.com"));
        QTest::qWait(200);
        // Large enough that a reader of the first bytes cannot have taken it all.
        const Outcome outcome =
            runCheck(checker, QStringLiteral("example.com"), zoneText(20000), 3000);
        QVERIFY(outcome.ended);
        QVERIFY2(!(outcome.taken && outcome.success), qPrintable(outcome.output));
    }

    // A reader that takes the whole text sees exactly the bytes handed over.
    void textArrivesWhole() {
        QTemporaryDir dir;
        const QString copy = dir.path() + QStringLiteral("/received");
        WarmZoneChecker checker(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), QStringLiteral("cat \"$2\" > \"$0\""), copy},
                                QString::fromLocal8Bit(qgetenv("PATH")));
        checker.prepare(dir.path(), QStringLiteral("example.com"),
                        QStringLiteral("db.example.com"));
        QTest::qWait(200);
        const QString text = zoneText(5000) + QStringLiteral("; ünïcödé ✅\n");
        const Outcome outcome = runCheck(checker, QStringLiteral("example.com"), text);
        QVERIFY(outcome.taken);
        QVERIFY(outcome.success);
        QFile received(copy);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QCOMPARE(received.readAll(), text.toUtf8());
    }

    // Only the zones changed last keep a waiting checker.
    void waitingCheckersAreBounded() {
        QTemporaryDir dir;
        WarmZoneChecker checker(m_checker, {}, QString::fromLocal8Bit(qgetenv("PATH")));
        const QStringList zones{QStringLiteral("a.test"), QStringLiteral("b.test"),
                                QStringLiteral("c.test")};
        for (const QString& zone : zones)
            checker.prepare(dir.path(), zone, u"db."_s + zone);
        QVERIFY(!checker.isWaiting(zones[0]));
        QVERIFY(checker.isWaiting(zones[1]));
        QVERIFY(checker.isWaiting(zones[2]));
        QCOMPARE(pipesIn(dir.path()), WarmZoneChecker::maxWaiting);
    }
};

QTEST_GUILESS_MAIN(TestWarmChecker)
#include "tst_warm_checker.moc"
