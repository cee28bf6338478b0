// The command runner with real child processes, run through the shell and
// directly: refusals, start failures, output collection, the time limit, and
// one completion per run on the main thread.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include "manager/CommandRunner.h"
#include "manager/DNSServerManager.h"
#include "manager/ServerStatus.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

using namespace korvi;

namespace {

// What one run reported.
struct Outcome {
    int calls = 0;
    bool success = false;
    QString output;
    bool onMainThread = true;
};

using OutcomePtr = std::shared_ptr<Outcome>;

CommandCompletion recordInto(const OutcomePtr& outcome) {
    return [outcome](bool success, const QString& output) {
        ++outcome->calls;
        outcome->success = success;
        outcome->output = output;
        outcome->onMainThread = outcome->onMainThread &&
                                QThread::currentThread() == QCoreApplication::instance()->thread();
    };
}

// Lines of the manager's log whose message is exactly `message`, at `level`
// (or at any level when none is given), each with a well-formed time stamp.
int logCount(const DNSServerManager& manager, const QString& message,
             std::optional<LogLevel> level = std::nullopt) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} "));
    int count = 0;
    for (const QString& line : manager.logs()) {
        if (!stamp.match(line).hasMatch())
            continue;
        const QString rest = line.mid(20);
        for (LogLevel candidate : allLogLevels()) {
            if (level && candidate != *level)
                continue;
            if (rest == levelWord(candidate) + QStringLiteral(": ") + message)
                ++count;
        }
    }
    return count;
}

bool logMentions(const DNSServerManager& manager, const QString& text) {
    for (const QString& line : manager.logs()) {
        if (line.contains(text))
            return true;
    }
    return false;
}

const QString blockedText = QStringLiteral("Command blocked for security reasons");

} // namespace

class RunnerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    // The standard layout, with a private bin directory whose scripts the
    // shell runner may start, and a short kill grace.
    SystemLayout layout(int timeoutMs = 30000) const {
        SystemLayout result = SystemLayout::standard();
        result.namedConfigPath = m_root + QStringLiteral("/etc/named.conf");
        result.zoneDirectory = m_root + QStringLiteral("/var/named");
        result.bindExecutablePath = m_root + QStringLiteral("/sbin/named");
        result.temporaryDirectory = m_root + QStringLiteral("/tmp");
        result.allowedCommandPrefixes.append(m_root + QStringLiteral("/bin/"));
        result.commandTimeoutMs = timeoutMs;
        result.commandKillGraceMs = 500;
        return result;
    }

    std::unique_ptr<DNSServerManager> makeManager(const SystemLayout& layout) const {
        return std::make_unique<DNSServerManager>(
            layout, std::make_shared<PreferencesStore>(m_root + QStringLiteral("/prefs.ini")));
    }

    // Writes a file below the temporary directory, executable unless told.
    QString writeFile(const QString& relativePath, const QByteArray& content,
                      bool executable = true) const {
        const QString path = m_root + u'/' + relativePath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(content);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
        return path;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
        // Command lines are cleaned of metacharacters, so the directory's
        // name must be plain for the scripts in it to be reachable.
        QVERIFY(!m_root.contains(QRegularExpression(QStringLiteral("[\\s&|;`$()<>\\\\\"']"))));
    }
    void cleanup() { m_dir.reset(); }

    // A refused command starts nothing; its completion comes once, from the
    // event loop, with the fixed text; the log line carries the command.
    void refusedCommand() {
        const auto manager = makeManager(layout());
        const QString marker = m_root + QStringLiteral("/marker");
        const QByteArray body = "#!/bin/sh\ntouch " + marker.toUtf8() + "\n";
        const QString untrusted = writeFile(QStringLiteral("untrusted/touch.sh"), body);
        const QString trusted = writeFile(QStringLiteral("bin/touch.sh"), body);

        auto outcome = std::make_shared<Outcome>();
        manager->executeCommand(untrusted, recordInto(outcome));
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QVERIFY(!outcome->success);
        QCOMPARE(outcome->output, blockedText);
        QVERIFY(outcome->onMainThread);
        QTRY_COMPARE(
            logCount(*manager, blockedText + QStringLiteral(": ") + untrusted, LogLevel::info), 1);
        QCOMPARE(logCount(*manager, blockedText + QStringLiteral(": ") + untrusted), 1);
        QTest::qWait(200);
        QCOMPARE(outcome->calls, 1);
        QVERIFY(!QFileInfo::exists(marker));

        // The same script from an allowed directory does run.
        auto allowed = std::make_shared<Outcome>();
        manager->executeCommand(trusted, recordInto(allowed));
        QTRY_COMPARE(allowed->calls, 1);
        QVERIFY(allowed->success);
        QVERIFY(QFileInfo::exists(marker));
        QCOMPARE(logCount(*manager, blockedText + QStringLiteral(": ") + trusted), 0);
    }

    void refusedReader() {
        const auto manager = makeManager(layout());
        const QString command = QStringLiteral("cat /usr/local/etc/named.conf");
        auto outcome = std::make_shared<Outcome>();
        manager->executeCommand(command, recordInto(outcome));
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QCOMPARE(outcome->output, blockedText);
        QTRY_COMPARE(
            logCount(*manager, blockedText + QStringLiteral(": ") + command, LogLevel::info), 1);
    }

    void missingExecutable() {
        const auto manager = makeManager(layout());
        const QString path = m_root + QStringLiteral("/nowhere/named");
        const QString expected = QStringLiteral("Executable not found: ") + path;
        auto outcome = std::make_shared<Outcome>();
        manager->runProcess(path, {QStringLiteral("-v")}, recordInto(outcome));
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QVERIFY(!outcome->success);
        QCOMPARE(outcome->output, expected);
        QVERIFY(outcome->onMainThread);
        QTRY_COMPARE(logCount(*manager, expected, LogLevel::error), 1);
        QCOMPARE(logCount(*manager, expected), 1);
        QTest::qWait(100);
        QCOMPARE(outcome->calls, 1);
    }

    // The program exists but cannot be executed: both runners report the
    // platform's description in the log and as the output.
    void startFailure_data() {
        QTest::addColumn<bool>("throughShell");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("direct, not executable") << false << true;
        QTest::newRow("shell, not executable") << true << true;
        QTest::newRow("shell, missing") << true << false;
    }
    void startFailure() {
        QFETCH(bool, throughShell);
        QFETCH(bool, fileExists);
        const QString program = fileExists
                                    ? writeFile(QStringLiteral("bin/plain.txt"), "echo hi\n", false)
                                    : m_root + QStringLiteral("/bin/no-shell");
        SystemLayout brokenShell = layout();
        brokenShell.shellPath = program;
        const auto manager = makeManager(brokenShell);
        auto outcome = std::make_shared<Outcome>();
        if (throughShell)
            manager->executeCommand(QStringLiteral("which sh"), recordInto(outcome));
        else
            manager->runProcess(program, {}, recordInto(outcome));
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE(outcome->calls, 1);
        QVERIFY(!outcome->success);
        QVERIFY(!outcome->output.isEmpty());
        QVERIFY(outcome->onMainThread);
        const QString line = throughShell
                                 ? QStringLiteral("❌ Command execution failed: ") + outcome->output
                                 : QStringLiteral("Process execution failed: ") + outcome->output;
        const LogLevel level = throughShell ? LogLevel::info : LogLevel::error;
        QTRY_COMPARE(logCount(*manager, line, level), 1);
        QCOMPARE(logCount(*manager, line), 1);
        QTest::qWait(200);
        QCOMPARE(outcome->calls, 1);
    }

    void largeOutputReadCompletely() {
        const auto manager = makeManager(layout());
        constexpr int total = 10 * 1024 * 1024;
        auto outcome = std::make_shared<Outcome>();
        // Lines of 16 bytes: "0123456789abcde\n".
        manager->runProcess(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("yes 0123456789abcde | head -c %1").arg(total)},
            recordInto(outcome));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        QVERIFY(outcome->success);
        QCOMPARE(outcome->output.size(), total);
        QCOMPARE(outcome->output.count(u'\n'), total / 16);
        QVERIFY(outcome->output.startsWith(QStringLiteral("0123456789abcde\n")));
        QVERIFY(outcome->output.endsWith(QStringLiteral("0123456789abcde\n")));
    }

    void standardErrorMerged() {
        const auto manager = makeManager(layout());
        auto direct = std::make_shared<Outcome>();
        manager->runProcess(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("echo out1; echo err1 >&2; echo out2; echo err2 1>&2; exit 0")},
            recordInto(direct));
        const QString script = writeFile(QStringLiteral("bin/both.sh"),
                                         "#!/bin/sh\necho to-out\necho to-err >&2\necho again\n");
        auto shell = std::make_shared<Outcome>();
        manager->executeCommand(script, recordInto(shell));
        QTRY_COMPARE(direct->calls, 1);
        QTRY_COMPARE(shell->calls, 1);
        QVERIFY(direct->success);
        QCOMPARE(direct->output, QStringLiteral("out1\nerr1\nout2\nerr2\n"));
        QVERIFY(shell->success);
        QCOMPARE(shell->output, QStringLiteral("to-out\nto-err\nagain\n"));
    }

    // PATH is replaced by the runner's own value; everything else is passed on.
    void environment() {
        qputenv("KORVI_RUNNER_PROBE", "kept");
        const SystemLayout testLayout = layout();
        const auto manager = makeManager(testLayout);
        const QString script =
            writeFile(QStringLiteral("bin/env.sh"),
                      "#!/bin/sh\necho \"$PATH\"\necho \"$KORVI_RUNNER_PROBE\"\n");
        auto shell = std::make_shared<Outcome>();
        manager->executeCommand(script, recordInto(shell));
        auto direct = std::make_shared<Outcome>();
        manager->runProcess(script, {}, recordInto(direct));
        QTRY_COMPARE(shell->calls, 1);
        QTRY_COMPARE(direct->calls, 1);
        qunsetenv("KORVI_RUNNER_PROBE");
        QCOMPARE(shell->output, testLayout.shellSearchPath + QStringLiteral("\nkept\n"));
        QCOMPARE(direct->output, testLayout.processSearchPath + QStringLiteral("\nkept\n"));
    }

    // The shell receives the cleaned line: no chaining, quotes gone, quoted
    // words split; the arguments of the direct runner arrive untouched.
    void cleanedLineReachesShell() {
        const auto manager = makeManager(layout());
        const QString script = writeFile(QStringLiteral("bin/args.sh"),
                                         "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
        const QString marker = m_root + QStringLiteral("/marker");
        auto quoted = std::make_shared<Outcome>();
        manager->executeCommand(script + QStringLiteral(" \"a b\" 'c d';e"), recordInto(quoted));
        auto chained = std::make_shared<Outcome>();
        manager->executeCommand(script + QStringLiteral(" x; touch ") + marker,
                                recordInto(chained));
        auto direct = std::make_shared<Outcome>();
        manager->runProcess(script, {QStringLiteral("a b"), QStringLiteral("$x;y")},
                            recordInto(direct));
        QTRY_COMPARE(quoted->calls, 1);
        QTRY_COMPARE(chained->calls, 1);
        QTRY_COMPARE(direct->calls, 1);
        QCOMPARE(quoted->output, QStringLiteral("[a]\n[b]\n[c]\n[de]\n"));
        QCOMPARE(chained->output, QStringLiteral("[x]\n[touch]\n[") + marker + "]\n");
        QVERIFY(!QFileInfo::exists(marker));
        QCOMPARE(direct->output, QStringLiteral("[a b]\n[$x;y]\n"));
    }

    // Past the limit the child is asked to stop; the line logged carries the
    // command as the caller wrote it, and the output so far is delivered.
    void shellTimeLimit() {
        const auto manager = makeManager(layout(1000));
        const QString script =
            writeFile(QStringLiteral("bin/slow.sh"), "#!/bin/sh\necho before\nexec sleep 30\n");
        const QString command = script + QStringLiteral(" 'quoted'");
        auto outcome = std::make_shared<Outcome>();
        manager->executeCommand(command, recordInto(outcome));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 10000);
        QVERIFY(!outcome->success);
        QCOMPARE(outcome->output, QStringLiteral("before\n"));
        QVERIFY(outcome->onMainThread);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("⚠️ Command timed out: ") + command,
                              LogLevel::info),
                     1);
        QTest::qWait(300);
        QCOMPARE(outcome->calls, 1);
    }

    // A child that ignores SIGTERM is killed after the grace period.
    void directTimeLimitIgnoredTerm() {
        const auto manager = makeManager(layout(1000));
        const QStringList arguments = {
            QStringLiteral("-c"),
            QStringLiteral("trap '' TERM; echo started; while :; do sleep 0.1; done")};
        auto outcome = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"), arguments, recordInto(outcome));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 10000);
        QVERIFY(!outcome->success);
        QCOMPARE(outcome->output, QStringLiteral("started\n"));
        const QString line =
            QStringLiteral("Process timed out: /bin/sh ") + arguments.join(QStringLiteral(" "));
        QTRY_COMPARE(logCount(*manager, line, LogLevel::warning), 1);
        QCOMPARE(logCount(*manager, line), 1);
        QTest::qWait(300);
        QCOMPARE(outcome->calls, 1);
    }

    // A child that exits cleanly when asked to stop still ends a run that
    // ran out of time.
    void timeLimitFailsEvenOnCleanExit() {
        const auto manager = makeManager(layout(1000));
        auto outcome = std::make_shared<Outcome>();
        manager->runProcess(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("trap 'kill $!; echo caught; exit 0' TERM; "
                                                  "echo started; sleep 30 & wait")},
            recordInto(outcome));
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 10000);
        QVERIFY(!outcome->success);
        QCOMPARE(outcome->output, QStringLiteral("started\ncaught\n"));
    }

    void outputDecoding_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("output");
        QTest::newRow("invalid bytes") << "printf '\\377\\376abc'" << true << "";
        QTest::newRow("invalid, failing") << "printf 'x\\377'; exit 4" << false << "";
        QTest::newRow("cut-off sequence") << "printf 'ok\\342\\202'" << true << "";
        QTest::newRow("overlong slash") << "printf '\\300\\257'" << true << "";
        QTest::newRow("encoded surrogate") << "printf '\\355\\240\\200'" << true << "";
        QTest::newRow("valid multibyte")
            << "printf '\\342\\202\\254 caf\\303\\251 \\360\\237\\214\\215'" << true
            << QString::fromUtf8("€ café 🌍");
        QTest::newRow("no output") << "exit 0" << true << "";
    }
    void outputDecoding() {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(QString, output);
        const auto manager = makeManager(layout());
        auto outcome = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script},
                            recordInto(outcome));
        QTRY_COMPARE(outcome->calls, 1);
        QCOMPARE(outcome->success, success);
        QCOMPARE(outcome->output, output);
    }

    // A non-zero status or a crash is a failure with the output, reported
    // once, and the runner logs nothing about it.
    void unsuccessfulExit() {
        const auto manager = makeManager(layout());
        auto direct = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("echo oops; exit 3")},
                            recordInto(direct));
        const QString script =
            writeFile(QStringLiteral("bin/fail.sh"), "#!/bin/sh\necho nope >&2\nexit 2\n");
        auto shell = std::make_shared<Outcome>();
        manager->executeCommand(script, recordInto(shell));
        auto crash = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("echo dying; kill -SEGV $$")},
                            recordInto(crash));
        QTRY_COMPARE(direct->calls, 1);
        QTRY_COMPARE(shell->calls, 1);
        QTRY_COMPARE(crash->calls, 1);
        QVERIFY(!direct->success);
        QCOMPARE(direct->output, QStringLiteral("oops\n"));
        QVERIFY(!shell->success);
        QCOMPARE(shell->output, QStringLiteral("nope\n"));
        QVERIFY(!crash->success);
        QCOMPARE(crash->output, QStringLiteral("dying\n"));
        QTest::qWait(200);
        QCOMPARE(direct->calls, 1);
        QCOMPARE(shell->calls, 1);
        QCOMPARE(crash->calls, 1);
        QVERIFY(!logMentions(*manager, QStringLiteral("echo oops")));
        QVERIFY(!logMentions(*manager, script));
        QVERIFY(!logMentions(*manager, QStringLiteral("kill -SEGV")));
    }

    // Fifty runs of every kind at once: each completes exactly once with its
    // own result.
    void fiftyRunsAtOnce() {
        const auto manager = makeManager(layout());
        const QString echo = writeFile(QStringLiteral("bin/echo.sh"), "#!/bin/sh\necho \"$1\"\n");
        const QString notExecutable = writeFile(QStringLiteral("bin/data.txt"), "x", false);
        struct Expected {
            OutcomePtr outcome;
            bool success;
            QString output; // empty: any non-empty text
        };
        QList<Expected> runs;
        for (int i = 0; i < 50; ++i) {
            auto outcome = std::make_shared<Outcome>();
            const QString n = QString::number(i);
            switch (i % 6) {
            case 0:
            case 1: {
                const bool fails = i % 4 == 0;
                manager->runProcess(QStringLiteral("/bin/sh"),
                                    {QStringLiteral("-c"),
                                     QStringLiteral("echo %1; exit %2").arg(n).arg(fails ? 1 : 0)},
                                    recordInto(outcome));
                runs.append({outcome, !fails, n + u'\n'});
                break;
            }
            case 2:
                manager->executeCommand(echo + u' ' + n, recordInto(outcome));
                runs.append({outcome, true, n + u'\n'});
                break;
            case 3:
                manager->executeCommand(QStringLiteral("rm ") + n, recordInto(outcome));
                runs.append({outcome, false, blockedText});
                break;
            case 4:
                manager->runProcess(m_root + QStringLiteral("/missing/") + n, {},
                                    recordInto(outcome));
                runs.append({outcome, false,
                             QStringLiteral("Executable not found: ") + m_root +
                                 QStringLiteral("/missing/") + n});
                break;
            default:
                manager->runProcess(notExecutable, {n}, recordInto(outcome));
                runs.append({outcome, false, QString()});
                break;
            }
        }
        for (const Expected& run : runs)
            QCOMPARE(run.outcome->calls, 0);
        const auto allDone = [&runs] {
            for (const Expected& run : runs) {
                if (run.outcome->calls == 0)
                    return false;
            }
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(allDone(), 20000);
        QTest::qWait(300);
        for (qsizetype i = 0; i < runs.size(); ++i) {
            const Expected& run = runs.at(i);
            QCOMPARE(run.outcome->calls, 1);
            QCOMPARE(run.outcome->success, run.success);
            if (run.output.isEmpty())
                QVERIFY(!run.outcome->output.isEmpty());
            else
                QCOMPARE(run.outcome->output, run.output);
            QVERIFY(run.outcome->onMainThread);
        }
    }

    // Started from a worker thread, the run still reports on the main thread.
    void runFromWorkerThread() {
        const auto manager = makeManager(layout());
        DNSServerManager* target = manager.get();
        auto ran = std::make_shared<Outcome>();
        auto missing = std::make_shared<Outcome>();
        const QString missingPath = m_root + QStringLiteral("/absent");
        std::unique_ptr<QThread> worker(QThread::create([&] {
            target->runProcess(QStringLiteral("/bin/sh"),
                               {QStringLiteral("-c"), QStringLiteral("echo from-worker")},
                               recordInto(ran));
            target->runProcess(missingPath, {}, recordInto(missing));
        }));
        worker->start();
        QVERIFY(worker->wait(5000));
        QTRY_COMPARE(ran->calls, 1);
        QTRY_COMPARE(missing->calls, 1);
        QVERIFY(ran->success);
        QCOMPARE(ran->output, QStringLiteral("from-worker\n"));
        QVERIFY(ran->onMainThread);
        QVERIFY(missing->onMainThread);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("Executable not found: ") + missingPath,
                              LogLevel::error),
                     1);
    }

    // Runs outlive the manager: they finish, and their completions come.
    void managerDestroyedWhileRunning() {
        auto manager = makeManager(layout(1000));
        auto late = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("sleep 0.3; echo late")},
                            recordInto(late));
        auto timedOut = std::make_shared<Outcome>();
        manager->runProcess(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("echo t; exec sleep 30")},
                            recordInto(timedOut));
        auto refused = std::make_shared<Outcome>();
        manager->executeCommand(QStringLiteral("cat x"), recordInto(refused));
        auto missing = std::make_shared<Outcome>();
        manager->runProcess(m_root + QStringLiteral("/absent"), {}, recordInto(missing));
        QSignalSpy destroyed(manager.get(), &QObject::destroyed);
        manager.reset();
        QCOMPARE(destroyed.count(), 1);

        QTRY_COMPARE(refused->calls, 1);
        QTRY_COMPARE(missing->calls, 1);
        QTRY_COMPARE(late->calls, 1);
        QTRY_COMPARE_WITH_TIMEOUT(timedOut->calls, 1, 10000);
        QVERIFY(late->success);
        QCOMPARE(late->output, QStringLiteral("late\n"));
        QVERIFY(!timedOut->success);
        QCOMPARE(timedOut->output, QStringLiteral("t\n"));
        QCOMPARE(refused->output, blockedText);
        QVERIFY(!missing->success);
        QTest::qWait(200);
        QCOMPARE(late->calls, 1);
        QCOMPARE(timedOut->calls, 1);
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "tst_runner.moc"
