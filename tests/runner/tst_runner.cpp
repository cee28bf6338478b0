// The command runner: which command lines may run, how they are cleaned,
// which paths Korvi may touch; and real child processes run through the
// shell and directly: refusals, start failures, output, the time limit, and
// one completion per run on the main thread.
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "HostTestSupport.h"
#include "manager/CommandRunner.h"

using namespace korvi;
using namespace korvi::test;

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

const QString blockedText = u"Command blocked for security reasons"_s;

// Each outcome as "ok: output" or "failed: output".
QStringList results(const QList<OutcomePtr>& outcomes) {
    QStringList out;
    for (const OutcomePtr& o : outcomes)
        out.append((o->success ? u"ok: "_s : u"failed: "_s) + o->output);
    return out;
}

} // namespace

class RunnerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Host> m_host;
    Host m_standardHost;
    std::unique_ptr<DNSServerManager> m_standard; // on the standard command and path lists

    // A manager whose command lines may start the scripts in root/bin.
    std::unique_ptr<DNSServerManager> manager(int timeoutMs = 30000) {
        m_host->layout.commandTimeoutMs = timeoutMs;
        return m_host->manager();
    }
    QString script(const QString& name, const QByteArray& body, bool executable = true) {
        return m_host->write(u"bin/"_s + name, body, executable);
    }
    // Runs f(); each completion must come once, later, on the main thread.
    template <typename F> QList<OutcomePtr> run(int count, F f, int waitMs = 20000) {
        QList<OutcomePtr> outcomes;
        for (int i = 0; i < count; ++i)
            outcomes.append(std::make_shared<Outcome>());
        f(outcomes);
        const auto calls = [&](int wanted) {
            return std::all_of(outcomes.begin(), outcomes.end(),
                               [wanted](auto& o) { return o->calls == wanted; });
        };
        if (!calls(0))
            QTest::qFail("a completion came before the call returned", __FILE__, __LINE__);
        (void)QTest::qWaitFor([&] { return calls(1); }, waitMs);
        QTest::qWait(200);
        if (!calls(1) ||
            std::any_of(outcomes.begin(), outcomes.end(), [](auto& o) { return !o->onMainThread; }))
            QTest::qFail("not exactly one completion per run on the main thread", __FILE__,
                         __LINE__);
        return outcomes;
    }

private Q_SLOTS:
    void initTestCase() {
        SystemLayout standard = SystemLayout::standard();
        standard.temporaryDirectory = m_standardHost.path(u"tmp"_s);
        m_standard = makeManager(m_standardHost.root(), standard);
    }
    void cleanupTestCase() { m_standard.reset(); }
    void init() {
        m_host = std::make_unique<Host>();
        QVERIFY(isPlainPath(m_host->root()));
    }
    void cleanup() { m_host.reset(); }

    // The standard allow-list, through the runner and through the manager.
    void allowList_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("allowed");
        for (const char* command :
             {"tail -n 50 /usr/local/etc/named.conf", "brew list", "port installed bind9",
              "which named", "pgrep -x named", "ps", "launchctl unload x",
              "named-checkconf /usr/local/etc/named.conf", "named-checkzone example.com /tmp/db.x",
              "sudo pkill named", "sudo", "/usr/local/sbin/named -v", "/opt/local/bin/port list",
              "launchctl load a; rm b"})
            QTest::newRow(command) << QString::fromLatin1(command) << true;
        for (const char* command :
             {"cat /usr/local/etc/named.conf", " brew list", "   ", "", "sudoedit /etc/hosts",
              "/usr/localx/bin/tool", "/usr/local", "usr/local/sbin/named", "brew; rm b",
              "Brew list", "brew\tlist", "brewer list", "rm -rf /"})
            QTest::newRow(*command ? command : "empty") << QString::fromLatin1(command) << false;
    }
    void allowList() {
        QFETCH(QString, command);
        QFETCH(bool, allowed);
        QCOMPARE(CommandRunner(SystemLayout::standard(), nullptr).isCommandAllowed(command),
                 allowed);
        QCOMPARE(m_standard->isCommandAllowed(command), allowed);
    }

    void sanitize_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("cleaned");
        const std::pair<const char*, const char*> rows[] = {
            {"launchctl load a; rm b", "launchctl load a rm b"},
            {"named-checkzone \"my zone\" /tmp/x", "named-checkzone my zone /tmp/x"},
            {"brew install 'bind 9'", "brew install bind 9"},
            {"brew list && rm -rf /", "brew list  rm -rf /"},
            {"a&b|c;d`e$f(g)h<i>j\\k\"l'm", "abcdefghijklm"},
            {"echo $(whoami) `id` > /tmp/x", "echo whoami id  /tmp/x"},
            {"  \n brew list \t\n", "brew list"},
            {"; brew list &", "brew list"},
            {"brew  list", "brew  list"},
            {"", ""}};
        for (const auto& [command, cleaned] : rows)
            QTest::newRow(*command ? command : "empty")
                << QString::fromLatin1(command) << QString::fromLatin1(cleaned);
    }
    void sanitize() {
        QFETCH(QString, command);
        QFETCH(QString, cleaned);
        QCOMPARE(CommandRunner::sanitizeCommand(command), cleaned);
        QCOMPARE(m_standard->sanitizeCommand(command), cleaned);
    }

    void validPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("valid");
        for (const char* path : {"/usr/local/etc/named.conf", "/opt/local/var/named/db.example.com",
                                 "/usr/local/var/named/db.example.com", "/opt/local/etc/named.conf",
                                 "/usr/local//etc/named.conf", "/usr/local/etc/./named.conf",
                                 "/usr/local/var/named/../named/db.x", "/usr/local/etc/bind/",
                                 // home-relative, with the allowed folder in the home folder
                                 "~/.korvi-area/named.conf", "~/other/../.korvi-area/db.x"})
            QTest::newRow(path) << QString::fromLatin1(path) << true;
        for (const char* path :
             {"/usr/local/etc", "/usr/local/etc/", "/usr/local/etc/../../../etc/passwd",
              "/usr/local/etc/../../../../../etc/passwd", "/var/log/named.log",
              "/usr/local/var/log/named.log", "/usr/local/var/named/../log/x",
              "/usr/local/etcetera/named.conf", "usr/local/etc/named.conf",
              "/USR/LOCAL/ETC/named.conf", "", "~", "~/.korvi-area", "~/other/named.conf",
              "~nobody/.korvi-area/named.conf", "/x/~/.korvi-area/named.conf"})
            QTest::newRow(*path ? path : "empty") << QString::fromLatin1(path) << false;
        QTest::newRow("home, expanded") << QDir::homePath() + u"/.korvi-area/named.conf"_s << true;
    }
    void validPath() {
        QFETCH(QString, path);
        QFETCH(bool, valid);
        if (path.contains(u"korvi-area"_s)) {
            SystemLayout homeLayout = SystemLayout::standard();
            homeLayout.allowedPathPrefixes = {QDir::homePath() + u"/.korvi-area/"_s};
            QCOMPARE(CommandRunner(homeLayout, nullptr).isValidPath(path), valid);
            return;
        }
        QCOMPARE(CommandRunner(SystemLayout::standard(), nullptr).isValidPath(path), valid);
        QCOMPARE(m_standard->isValidPath(path), valid);
    }

    // A program that cannot be started reports once, with the runner's line.
    void startFailure_data() {
        QTest::addColumn<bool>("throughShell");
        QTest::addColumn<QString>("program"); // "missing", "plain" (not executable)
        QTest::newRow("direct, missing") << false << "missing";
        QTest::newRow("direct, not executable") << false << "plain";
        QTest::newRow("shell, not executable") << true << "plain";
        QTest::newRow("shell, missing") << true << "missing";
    }
    void startFailure() {
        QFETCH(bool, throughShell);
        QFETCH(QString, program);
        const QString path = program == "plain"_L1 ? script(u"plain.txt"_s, "echo hi\n", false)
                                                   : m_host->path(u"nowhere/named"_s);
        if (throughShell)
            m_host->layout.shellPath = path;
        const auto m = manager();
        auto outcome = run(1, [&](auto& o) {
            if (throughShell)
                m->executeCommand(u"which sh"_s, recordInto(o[0]));
            else
                m->runProcess(path, {u"-v"_s}, recordInto(o[0]));
        })[0];
        QVERIFY(!outcome->success);
        QString line =
            (throughShell ? u"❌ Command execution failed: "_s : u"Process execution failed: "_s) +
            outcome->output;
        if (!throughShell && program == "missing"_L1) {
            QCOMPARE(outcome->output, u"Executable not found: "_s + path);
            line = outcome->output;
        }
        QVERIFY(!outcome->output.isEmpty());
        const LogLevel level = throughShell ? LogLevel::info : LogLevel::error;
        QTRY_COMPARE(logCount(*m, line, level), 1);
        QCOMPARE(logCount(*m, line), 1);
    }

    void largeOutputReadCompletely() {
        const auto m = manager();
        constexpr int total = 10 * 1024 * 1024;
        // Lines of 16 bytes: "0123456789abcde\n".
        auto outcome = run(1, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"yes 0123456789abcde | head -c %1"_s.arg(total)},
                          recordInto(o[0]));
        })[0];
        QVERIFY(outcome->success);
        QCOMPARE(outcome->output.size(), total);
        QCOMPARE(outcome->output.count(u'\n'), total / 16);
        QVERIFY(outcome->output.startsWith(u"0123456789abcde\n"_s));
        QVERIFY(outcome->output.endsWith(u"0123456789abcde\n"_s));
    }

    // Merged stderr, PATH replaced, the shell's line cleaned, direct arguments untouched.
    void whatTheChildSees() {
        qputenv("KORVI_RUNNER_PROBE", "kept");
        const auto m = manager();
        const QString env =
            script(u"env.sh"_s, "#!/bin/sh\necho \"$PATH\"\necho \"$KORVI_RUNNER_PROBE\" >&2\n");
        const QString args =
            script(u"args.sh"_s, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
        const QString marker = m_host->path(u"marker"_s);
        auto o = run(6, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo out1; echo err1 >&2; echo out2; exit 0"_s},
                          recordInto(o[0]));
            m->executeCommand(env, recordInto(o[1]));
            m->runProcess(env, {}, recordInto(o[2]));
            m->executeCommand(args + u" \"a b\" 'c d';e"_s, recordInto(o[3]));
            m->executeCommand(args + u" x; touch "_s + marker, recordInto(o[4]));
            m->runProcess(args, {u"a b"_s, u"$x;y"_s}, recordInto(o[5]));
        });
        qunsetenv("KORVI_RUNNER_PROBE");
        QCOMPARE(results(o),
                 QStringList({"ok: out1\nerr1\nout2\n",
                              "ok: " + m_host->layout.shellSearchPath + "\nkept\n",
                              "ok: " + m_host->layout.processSearchPath + "\nkept\n",
                              "ok: [a]\n[b]\n[c]\n[de]\n", "ok: [x]\n[touch]\n[" + marker + "]\n",
                              "ok: [a b]\n[$x;y]\n"}));
        QVERIFY(!QFileInfo::exists(marker));
    }

    // The time limit: SIGTERM, then SIGKILL; output so far delivered; a failure anyway.
    void timeLimit() {
        const auto m = manager(1000);
        const QString slow = script(u"slow.sh"_s, "#!/bin/sh\necho before\nexec sleep 30\n");
        const QString command = slow + u" 'quoted'"_s;
        const QStringList ignoring = {u"-c"_s,
                                      u"trap '' TERM; echo started; while :; do sleep 0.1; done"_s};
        auto o = run(3, [&](auto& o) {
            m->executeCommand(command, recordInto(o[0]));
            m->runProcess(u"/bin/sh"_s, ignoring, recordInto(o[1]));
            m->runProcess(
                u"/bin/sh"_s,
                {u"-c"_s,
                 u"trap 'kill $!; echo caught; exit 0' TERM; echo started; sleep 30 & wait"_s},
                recordInto(o[2]));
        });
        QCOMPARE(results(o), QStringList({"failed: before\n", "failed: started\n",
                                          "failed: started\ncaught\n"}));
        QTRY_COMPARE(logCount(*m, u"⚠️ Command timed out: "_s + command, LogLevel::info), 1);
        const QString line = u"Process timed out: /bin/sh "_s + ignoring.join(u' ');
        QTRY_COMPARE(logCount(*m, line, LogLevel::warning), 1);
        QCOMPARE(logCount(*m, line), 1);
    }

    // Output that is not valid UTF-8 is delivered as nothing at all.
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
            << u"€ café 🌍"_s;
    }
    void outputDecoding() {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(QString, output);
        const auto m = manager();
        auto outcome = run(1, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, script}, recordInto(o[0]));
        })[0];
        QCOMPARE(outcome->success, success);
        QCOMPARE(outcome->output, output);
    }

    // A non-zero status or a crash: a failure with the output, nothing logged.
    void unsuccessfulExit() {
        const auto m = manager();
        const QString fail = script(u"fail.sh"_s, "#!/bin/sh\necho nope >&2\nexit 2\n");
        const qsizetype before = m->logs().size();
        auto o = run(3, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo oops; exit 3"_s}, recordInto(o[0]));
            m->executeCommand(fail, recordInto(o[1]));
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo dying; kill -SEGV $$"_s},
                          recordInto(o[2]));
        });
        QCOMPARE(results(o), QStringList({"failed: oops\n", "failed: nope\n", "failed: dying\n"}));
        QCOMPARE(m->logs().size(), before);
    }

    // Fifty runs of every kind at once, each with its own result.
    void fiftyRunsAtOnce() {
        const auto m = manager();
        const QString echo = script(u"echo.sh"_s, "#!/bin/sh\necho \"$1\"\n");
        const QString notExecutable = script(u"data.txt"_s, "x", false);
        QStringList expected; // "failed: " alone: any non-empty text
        auto o = run(50, [&](auto& o) {
            for (int i = 0; i < 50; ++i) {
                const QString n = QString::number(i);
                const QString missing = m_host->path(u"missing/"_s + n);
                switch (i % 6) {
                case 0:
                case 1:
                    m->runProcess(u"/bin/sh"_s,
                                  {u"-c"_s, u"echo %1; exit %2"_s.arg(n).arg(i % 4 == 0)},
                                  recordInto(o[i]));
                    expected.append((i % 4 ? u"ok: "_s : u"failed: "_s) + n + u'\n');
                    break;
                case 2:
                    m->executeCommand(echo + u' ' + n, recordInto(o[i]));
                    expected.append(u"ok: "_s + n + u'\n');
                    break;
                case 3:
                    m->executeCommand(u"rm "_s + n, recordInto(o[i]));
                    expected.append(u"failed: "_s + blockedText);
                    break;
                case 4:
                    m->runProcess(missing, {}, recordInto(o[i]));
                    expected.append(u"failed: Executable not found: "_s + missing);
                    break;
                default:
                    m->runProcess(notExecutable, {n}, recordInto(o[i]));
                    expected.append(u"failed: "_s);
                }
            }
        });
        QStringList actual = results(o);
        for (qsizetype i = 0; i < actual.size(); ++i) {
            if (expected[i] == u"failed: "_s && actual[i].size() > expected[i].size())
                actual[i] = expected[i];
        }
        QCOMPARE(actual, expected);
    }

    // Started from a worker thread, a run still reports on the main thread.
    void runFromWorkerThread() {
        const auto m = manager();
        const QString missing = m_host->path(u"absent"_s);
        auto o = run(2, [&](auto& o) {
            std::unique_ptr<QThread> worker(QThread::create([&] {
                m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo from-worker"_s}, recordInto(o[0]));
                m->runProcess(missing, {}, recordInto(o[1]));
            }));
            worker->start();
            worker->wait(5000);
        });
        QVERIFY(o[0]->success && o[0]->output == u"from-worker\n"_s);
        QTRY_COMPARE(logCount(*m, u"Executable not found: "_s + missing, LogLevel::error), 1);
    }

    // Runs outlive the manager: they finish, and their completions come.
    void managerDestroyedWhileRunning() {
        auto m = manager(1000);
        auto o = run(4, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"sleep 0.3; echo late"_s}, recordInto(o[0]));
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo t; exec sleep 30"_s}, recordInto(o[1]));
            m->executeCommand(u"cat x"_s, recordInto(o[2]));
            m->runProcess(m_host->path(u"absent"_s), {}, recordInto(o[3]));
            m.reset();
        });
        QCOMPARE(results(o).mid(0, 3),
                 QStringList({"ok: late\n", "failed: t\n", "failed: " + blockedText}));
        QVERIFY(!o[3]->success);
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "tst_runner.moc"
