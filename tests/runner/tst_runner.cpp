// The command runner on its own, logging into an AppLog: allow-list, path checks; real children
// as commands and directly, each reporting once on the main thread; no shell between the data and
// a child; no descriptor left behind by a failed start.
#include <QProcess>
#include <QTest>
#include <QThread>

#include "HostTestSupport.h"
#include "manager/AppLog.h"
#include "manager/CommandRunner.h"

using namespace korvi;
using namespace korvi::test;

namespace {

struct Outcome {
    int calls = 0;
    bool success = false;
    QString output;
    bool onMainThread = true;
};
using OutcomePtr = std::shared_ptr<Outcome>;

CommandCompletion recordInto(const OutcomePtr& o) {
    return [o](bool success, const QString& output) {
        ++o->calls;
        o->success = success;
        o->output = output;
        o->onMainThread = o->onMainThread && QThread::currentThread() == qApp->thread();
    };
}

// Each outcome as "ok: output" or "failed: output".
QStringList results(const QList<OutcomePtr>& outcomes) {
    QStringList out;
    for (const OutcomePtr& o : outcomes)
        out.append((o->success ? u"ok: "_s : u"failed: "_s) + o->output);
    return out;
}

const QString blockedText = u"Command blocked for security reasons"_s;

} // namespace

class RunnerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Host> m_host;
    std::unique_ptr<AppLog> m_log;

    // A runner on the host's layout, logging into m_log.
    CommandRunner runner(int timeoutMs = 30000) {
        m_host->layout.commandTimeoutMs = timeoutMs;
        return CommandRunner(m_host->layout, m_log.get());
    }
    int logCount(const QString& message, std::optional<LogLevel> level = std::nullopt) const {
        int count = 0;
        for (const QString& line : m_log->lines()) {
            const LogEntry entry = parseLogLine(line);
            count += entry.level && entry.message == message && (!level || *entry.level == *level);
        }
        return count;
    }
    QString script(const QString& name, const QByteArray& body, bool executable = true) {
        return m_host->write(u"bin/"_s + name, body, executable);
    }
    // Runs f(); each completion must come exactly once, after f returned, on the main thread.
    template <typename F> QList<OutcomePtr> run(int count, F f) {
        QList<OutcomePtr> o;
        for (int i = 0; i < count; ++i)
            o.append(std::make_shared<Outcome>());
        f(o);
        const auto all = [&](int n) {
            return std::all_of(o.begin(), o.end(), [n](auto& x) { return x->calls == n; });
        };
        if (!all(0))
            QTest::qFail("a completion came before the call returned", __FILE__, __LINE__);
        (void)QTest::qWaitFor([&] { return all(1); }, 20000);
        QTest::qWait(200);
        if (!all(1) || std::any_of(o.begin(), o.end(), [](auto& x) { return !x->onMainThread; }))
            QTest::qFail("not exactly one completion per run on the main thread", __FILE__,
                         __LINE__);
        return o;
    }

private Q_SLOTS:
    void init() {
        m_host = std::make_unique<Host>();
        m_log = std::make_unique<AppLog>();
    }
    void cleanup() {
        m_log.reset();
        m_host.reset();
    }

    // kind a: the program may be run ("1"/"0"); p: a valid path ("1"/"0").
    void policy_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const std::tuple<char, const char*, const char*> rows[] = {
            {'a', "tail", "1"},
            {'a', "/usr/local/sbin/named", "1"},
            {'a', "launchctl", "1"},
            {'a', "sudo", "1"},
            {'a', "cat", "0"},
            {'a', "", "0"},
            {'a', "sudoedit", "0"},
            {'a', "brew;", "0"},
            {'a', "Brew", "0"},
            {'p', "/usr/local/etc/named.conf", "1"},
            {'p', "/usr/local//etc/./named.conf", "1"},
            {'p', "/usr/local/etc", "0"},
            {'p', "/usr/local/etc/../../../etc/passwd", "0"},
            {'p', "/usr/local/etcetera/named.conf", "0"},
            {'p', "/USR/LOCAL/ETC/named.conf", "0"},
            {'h', "~/.korvi-area/named.conf", "1"},
            {'h', "~/other/../.korvi-area/db.x", "1"},
            {'h', "~nobody/.korvi-area/named.conf", "0"},
            {'h', "/x/~/.korvi-area/named.conf", "0"}};
        for (const auto& [kind, input, expected] : rows)
            QTest::newRow(qPrintable(kind + QString::fromLatin1(input)))
                << kind << QString::fromLatin1(input) << QString::fromLatin1(expected);
    }
    void policy() {
        QFETCH(char, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        SystemLayout layout = SystemLayout::standard();
        if (kind == 'h')
            layout.allowedPathPrefixes = {QDir::homePath() + u"/.korvi-area/"_s};
        const CommandRunner runner(layout, nullptr);
        QCOMPARE(QString::number(kind == 'a' ? runner.isCommandAllowed(input)
                                             : runner.isValidPath(input)),
                 expected);
    }

    void largeOutputReadCompletely() {
        const CommandRunner m = runner();
        constexpr int total = 10 * 1024 * 1024; // lines of 16 bytes
        auto o = run(1, [&](auto& o) {
            m.runProcess(u"/bin/sh"_s, {u"-c"_s, u"yes 0123456789abcde | head -c %1"_s.arg(total)},
                         recordInto(o[0]));
        })[0];
        QVERIFY(o->success);
        QCOMPARE(o->output.size(), total);
        QCOMPARE(o->output.count(u"0123456789abcde\n"_s), total / 16);
    }

    // Merged stderr, PATH replaced, arguments reaching the child exactly as given.
    void whatTheChildSees() {
        qputenv("KORVI_RUNNER_PROBE", "kept");
        const CommandRunner m = runner();
        const QString env =
            script(u"env.sh"_s, "#!/bin/sh\necho \"$PATH\"\necho \"$KORVI_RUNNER_PROBE\" >&2\n");
        const QString args =
            script(u"args.sh"_s, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
        auto o = run(4, [&](auto& o) {
            m.runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo out1; echo err1 >&2; echo out2"_s},
                         recordInto(o[0]));
            m.runCommand({env}, recordInto(o[1]));
            m.runProcess(env, {}, recordInto(o[2]));
            m.runProcess(args, {u"a b"_s, u"$x;y"_s}, recordInto(o[3]));
        });
        qunsetenv("KORVI_RUNNER_PROBE");
        QCOMPARE(results(o), QStringList({"ok: out1\nerr1\nout2\n",
                                          "ok: " + m_host->layout.commandSearchPath + "\nkept\n",
                                          "ok: " + m_host->layout.processSearchPath + "\nkept\n",
                                          "ok: [a b]\n[$x;y]\n"}));
    }

    // Data in a command's arguments never starts a second command and arrives whole: a line
    // feed, a space, quotes, "$", ";", backquotes. Each row would run `touch marker` (or split
    // the argument) if a shell stood between the data and the child.
    void noShellBetweenDataAndChild_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("line feed") << u"x\ntouch MARKER"_s;
        QTest::newRow("space") << u"a b"_s;
        QTest::newRow("single quote") << u"it's'; touch MARKER; '"_s;
        QTest::newRow("dollar") << u"$(touch MARKER)$HOME"_s;
        QTest::newRow("backquote and semicolon") << u"`touch MARKER`;touch MARKER"_s;
        QTest::newRow("double quote") << u"\"; touch MARKER; \""_s;
    }
    void noShellBetweenDataAndChild() {
        QFETCH(QString, argument);
        const QString marker = m_host->path(u"marker"_s);
        argument.replace(u"MARKER"_s, marker);
        const QString args =
            script(u"args.sh"_s, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done\n");
        const CommandRunner m = runner();
        auto o = run(1, [&](auto& o) {
            m.runCommand({args, argument, u"end"_s}, recordInto(o[0]));
        });
        QCOMPARE(results(o), QStringList{u"ok: ["_s + argument + u"][end]"_s});
        QVERIFY(!QFileInfo::exists(marker));
    }

    // A program named without a path is looked for on the command search path only.
    void bareNamesUseTheCommandSearchPath() {
        m_host->layout.allowedCommands.append(u"korvi-probe"_s);
        m_host->layout.commandSearchPath = m_host->path(u"bin"_s);
        script(u"korvi-probe"_s, "#!/bin/sh\necho found \"$1\"\n");
        const CommandRunner m = runner();
        auto o = run(2, [&](auto& o) {
            m.runCommand({u"korvi-probe"_s, u"x y"_s}, recordInto(o[0]));
            m.runCommand({u"tail"_s, u"-n"_s, u"1"_s, u"/etc/hostname"_s}, recordInto(o[1]));
        });
        QCOMPARE(results(o), QStringList({"ok: found x y\n", "failed: tail: command not found"}));
    }

    // What cannot be started is found before the fork, in the very words Qt's own failed start
    // uses: each row's message is compared with what a QProcess reports for the same program.
    void unstartableProgramsReportedAsQtDoes_data() {
        QTest::addColumn<QString>("program");    // below the host's bin/
        QTest::addColumn<QByteArray>("content"); // "-": none written; "/": a folder
        QTest::addColumn<bool>("executable");
        QTest::newRow("not executable") << u"plain.sh"_s << "#!/bin/sh\n"_ba << false;
        QTest::newRow("missing") << u"gone"_s << "-"_ba << true;
        QTest::newRow("a folder") << u"folder"_s << "/"_ba << true;
        QTest::newRow("neither binary nor script") << u"text"_s << "just text\n"_ba << true;
        QTest::newRow("missing interpreter") << u"lost.sh"_s << "#!/no/such/sh\n"_ba << true;
        QTest::newRow("interpreter not executable")
            << u"relay.sh"_s << "#!ROOT/bin/plain.sh\n"_ba << true;
    }
    void unstartableProgramsReportedAsQtDoes() {
        QFETCH(QString, program);
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        script(u"plain.sh"_s, "#!/bin/sh\n", false);
        const QString path = m_host->path(u"bin/"_s + program);
        if (content == "/")
            QVERIFY(QDir().mkpath(path));
        else if (content != "-")
            script(program, content.replace("ROOT", m_host->root().toUtf8()), executable);
        QProcess qt; // with an environment of its own, as every run has
        qt.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        qt.start(path, QStringList());
        QVERIFY(!qt.waitForStarted());
        const CommandRunner m = runner();
        auto o = run(1, [&](auto& o) { m.runCommand({path}, recordInto(o[0])); });
        QCOMPARE(results(o), QStringList{u"failed: "_s + qt.errorString()});
    }

    // A start that fails (not executable, a folder, gone) leaves no descriptor open: 200 failed
    // starts, and the process holds as many descriptors as before.
    void failedStartsCloseTheirPipes() {
        const QString notExecutable = script(u"plain.sh"_s, "#!/bin/sh\necho no\n", false);
        const CommandRunner m = runner();
        const auto openDescriptors = [] {
            return QDir(u"/proc/self/fd"_s)
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                .size();
        };
        // One round first, so that whatever Qt opens once (its own pipes) is open already.
        auto first = run(1, [&](auto& o) { m.runProcess(notExecutable, {}, recordInto(o[0])); });
        QVERIFY(!first[0]->success);
        QTest::qWait(100);
        const qsizetype before = openDescriptors();
        for (int round = 0; round < 10; ++round) {
            auto o = run(20, [&](auto& o) {
                for (int i = 0; i < 20; ++i) {
                    if (i % 2)
                        m.runProcess(notExecutable, {}, recordInto(o[i]));
                    else
                        m.runCommand({notExecutable, u"x"_s}, recordInto(o[i]));
                }
            });
            QCOMPARE(std::count_if(o.begin(), o.end(), [](auto& x) { return x->success; }), 0);
        }
        QTest::qWait(100);
        QCOMPARE(openDescriptors(), before);
        // The log keeps its last 200 lines: the first failure's line has gone.
        QCOMPARE(
            logCount(u"Process execution failed: execve: Permission denied"_s, LogLevel::error),
            100);
        QCOMPARE(
            logCount(u"❌ Command execution failed: execve: Permission denied"_s, LogLevel::info),
            100);
    }

    // The time limit: SIGTERM, then SIGKILL; output so far delivered; a failure anyway.
    void timeLimit() {
        const CommandRunner m = runner(1000);
        const QStringList command = {
            script(u"slow.sh"_s, "#!/bin/sh\necho before\nexec sleep 30\n"), u"'quoted'"_s};
        const QStringList ignoring = {u"-c"_s,
                                      u"trap '' TERM; echo started; while :; do sleep 0.1; done"_s};
        auto o = run(3, [&](auto& o) {
            m.runCommand(command, recordInto(o[0]));
            m.runProcess(u"/bin/sh"_s, ignoring, recordInto(o[1]));
            m.runProcess(
                u"/bin/sh"_s,
                {u"-c"_s,
                 u"trap 'kill $!; echo caught; exit 0' TERM; echo started; sleep 30 & wait"_s},
                recordInto(o[2]));
        });
        QCOMPARE(results(o), QStringList({"failed: before\n", "failed: started\n",
                                          "failed: started\ncaught\n"}));
        QTRY_COMPARE(logCount(u"⚠️ Command timed out: "_s + command.join(u' '), LogLevel::info),
                     1);
        const QString line = u"Process timed out: /bin/sh "_s + ignoring.join(u' ');
        QTRY_COMPARE(logCount(line, LogLevel::warning), 1);
        QCOMPARE(logCount(line), 1);
    }

    // pkexec may be waiting at a password prompt, and so may systemctl changing a unit's
    // state: those runs have no time limit, as a command or as the layout's privilege
    // prompt; the same script under another name, or a systemctl query, is cut.
    void privilegePromptHasNoTimeLimit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("asCommand");
        QTest::addColumn<QString>("result");
        const QStringList none;
        QTest::newRow("pkexec command") << u"pkexec"_s << none << true << u"ok: answered\n"_s;
        QTest::newRow("pkexec process") << u"pkexec"_s << none << false << u"ok: answered\n"_s;
        QTest::newRow("other command") << u"prompt"_s << none << true << u"failed: "_s;
        QTest::newRow("other process") << u"prompt"_s << none << false << u"failed: "_s;
        QTest::newRow("systemctl start")
            << u"systemctl"_s << QStringList{u"start"_s, u"named"_s} << true << u"ok: answered\n"_s;
        QTest::newRow("systemctl restart")
            << u"systemctl"_s << QStringList{u"restart"_s, u"named"_s} << true
            << u"ok: answered\n"_s;
        QTest::newRow("systemctl is-active")
            << u"systemctl"_s << QStringList{u"is-active"_s, u"named"_s} << true << u"failed: "_s;
    }
    void privilegePromptHasNoTimeLimit() {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(bool, asCommand);
        const QString path = script(name, "#!/bin/sh\n/bin/sleep 1.2\necho answered\n");
        m_host->layout.allowedPrivilegeCommand = u"pkexec"_s;
        m_host->layout.allowedCommands.append({u"prompt"_s, u"systemctl"_s});
        m_host->layout.commandSearchPath = QFileInfo(path).absolutePath();
        m_host->layout.privilegePromptPath = QFileInfo(path).absolutePath() + u"/pkexec"_s;
        const CommandRunner m = runner(300);
        auto o = run(1, [&](auto& o) {
            if (asCommand)
                m.runCommand(QStringList{name} + arguments, recordInto(o[0]));
            else
                m.runProcess(path, {}, recordInto(o[0]));
        });
        QTEST(results(o).value(0), "result");
    }

    // A long run's lines reach the progress callback as they come, before the run ends; a
    // line still without its end arrives only whole, in the completion.
    void progressLinesArriveWhileRunning() {
        const QString path =
            script(u"installer"_s, "#!/bin/sh\necho 'Reading lists'\n/bin/sleep 0.4\n"
                                   "printf 'Unpacking bind9\\n\\nSetting up'\n/bin/sleep 0.4\n"
                                   "echo ' bind9'\n");
        const CommandRunner m = runner();
        QStringList seen;
        bool ended = false;
        QString output;
        m.runProcess(
            path, {},
            [&](bool, const QString& all) {
                ended = true;
                output = all;
            },
            [&](const QString& line) { seen.append(line + (ended ? u" (late)"_s : QString())); });
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 5000);
        QVERIFY(!ended);
        QTRY_VERIFY_WITH_TIMEOUT(ended, 5000);
        QCOMPARE(seen,
                 QStringList({u"Reading lists"_s, u"Unpacking bind9"_s, u"Setting up bind9"_s}));
        QCOMPARE(output, u"Reading lists\nUnpacking bind9\n\nSetting up bind9\n"_s);
    }

    // Output that is not valid UTF-8 is delivered as nothing at all.
    void outputDecoding_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("output");
        QTest::newRow("invalid bytes") << "printf '\\377\\376abc'" << true << "";
        QTest::newRow("invalid, failing") << "printf 'x\\377'; exit 4" << false << "";
        QTest::newRow("valid multibyte")
            << "printf '\\342\\202\\254 caf\\303\\251 \\360\\237\\214\\215'" << true
            << u"€ café 🌍"_s;
    }
    void outputDecoding() {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(QString, output);
        const CommandRunner m = runner();
        auto o = run(1, [&](auto& o) {
            m.runProcess(u"/bin/sh"_s, {u"-c"_s, script}, recordInto(o[0]));
        })[0];
        QCOMPARE(o->success, success);
        QCOMPARE(o->output, output);
    }

    // Fifty runs of every kind at once, each with its own result; failures log nothing.
    void fiftyRunsAtOnce() {
        const CommandRunner m = runner();
        const QString echo = script(u"echo.sh"_s, "#!/bin/sh\necho \"$1\"\n");
        QStringList expected;
        const qsizetype before = m_log->lines().size();
        auto o = run(50, [&](auto& o) {
            for (int i = 0; i < 50; ++i) {
                const QString n = QString::number(i);
                const QString missing = m_host->path(u"missing/"_s + n);
                switch (i % 5) {
                case 0:
                case 1:
                    m.runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo %1; exit %2"_s.arg(n).arg(i % 4)},
                                 recordInto(o[i]));
                    expected.append((i % 4 ? u"failed: "_s : u"ok: "_s) + n + u'\n');
                    break;
                case 2:
                    m.runCommand({echo, n}, recordInto(o[i]));
                    expected.append(u"ok: "_s + n + u'\n');
                    break;
                case 3:
                    m.runCommand({u"rm"_s, n}, recordInto(o[i]));
                    expected.append(u"failed: "_s + blockedText);
                    break;
                default:
                    m.runProcess(missing, {}, recordInto(o[i]));
                    expected.append(u"failed: Executable not found: "_s + missing);
                }
            }
        });
        QCOMPARE(results(o), expected);
        settle();
        QCOMPARE(m_log->lines().size() - before, 20); // one refusal or "not found" line each
    }

    // Runs outlive the log (and the manager that owns it): they finish, their completions come,
    // and they log nothing.
    void logDestroyedWhileRunning() {
        const CommandRunner m = runner(1000);
        StdoutCapture capture(m_host->path(u"console.txt"_s));
        auto o = run(3, [&](auto& o) {
            m.runProcess(u"/bin/sh"_s, {u"-c"_s, u"sleep 0.3; echo late"_s}, recordInto(o[0]));
            m.runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo t; exec sleep 30"_s}, recordInto(o[1]));
            m_log.reset();
            m.runCommand({u"cat"_s, u"x"_s}, recordInto(o[2]));
        });
        QCOMPARE(results(o), QStringList({"ok: late\n", "failed: t\n", "failed: " + blockedText}));
        QCOMPARE(capture.finish(), QStringList());
        m_log = std::make_unique<AppLog>();
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "tst_runner.moc"
