// The command runner: allow-list, cleaning, path checks; real children through the shell and
// directly, each reporting once on the main thread.
#include <QTest>
#include <QThread>

#include "HostTestSupport.h"
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

    std::unique_ptr<DNSServerManager> manager(int timeoutMs = 30000) {
        m_host->layout.commandTimeoutMs = timeoutMs;
        return m_host->manager();
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
        QVERIFY(isPlainPath(m_host->root()));
    }
    void cleanup() { m_host.reset(); }

    // kind a: allowed ("1"/"0"); s: the cleaned line; p: a valid path ("1"/"0").
    void policy_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const std::tuple<char, const char*, const char*> rows[] = {
            {'a', "tail -n 50 /usr/local/etc/named.conf", "1"},
            {'a', "/usr/local/sbin/named -v", "1"},
            {'a', "launchctl load a; rm b", "1"},
            {'a', "cat /usr/local/etc/named.conf", "0"},
            {'a', " brew list", "0"},
            {'a', "sudoedit /etc/hosts", "0"},
            {'a', "brew; rm b", "0"},
            {'a', "Brew list", "0"},
            {'s', "a&b|c;d`e$f(g)h<i>j\\k\"l'm", "abcdefghijklm"},
            {'s', "echo $(whoami) `id` > /tmp/x", "echo whoami id  /tmp/x"},
            {'s', "; brew  list &", "brew  list"},
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
        const QString actual = kind == 's'
                                   ? CommandRunner::sanitizeCommand(input)
                                   : QString::number(kind == 'a' ? runner.isCommandAllowed(input)
                                                                 : runner.isValidPath(input));
        QCOMPARE(actual, expected);
    }

    void largeOutputReadCompletely() {
        const auto m = manager();
        constexpr int total = 10 * 1024 * 1024; // lines of 16 bytes
        auto o = run(1, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"yes 0123456789abcde | head -c %1"_s.arg(total)},
                          recordInto(o[0]));
        })[0];
        QVERIFY(o->success);
        QCOMPARE(o->output.size(), total);
        QCOMPARE(o->output.count(u"0123456789abcde\n"_s), total / 16);
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
        auto o = run(5, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo out1; echo err1 >&2; echo out2"_s},
                          recordInto(o[0]));
            m->executeCommand(env, recordInto(o[1]));
            m->runProcess(env, {}, recordInto(o[2]));
            m->executeCommand(args + u" \"a b\" x; touch "_s + marker, recordInto(o[3]));
            m->runProcess(args, {u"a b"_s, u"$x;y"_s}, recordInto(o[4]));
        });
        qunsetenv("KORVI_RUNNER_PROBE");
        QCOMPARE(results(o), QStringList({"ok: out1\nerr1\nout2\n",
                                          "ok: " + m_host->layout.shellSearchPath + "\nkept\n",
                                          "ok: " + m_host->layout.processSearchPath + "\nkept\n",
                                          "ok: [a]\n[b]\n[x]\n[touch]\n[" + marker + "]\n",
                                          "ok: [a b]\n[$x;y]\n"}));
        QVERIFY(!QFileInfo::exists(marker));
    }

    // The time limit: SIGTERM, then SIGKILL; output so far delivered; a failure anyway.
    void timeLimit() {
        const auto m = manager(1000);
        const QString command =
            script(u"slow.sh"_s, "#!/bin/sh\necho before\nexec sleep 30\n") + u" 'quoted'"_s;
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
        QTest::newRow("valid multibyte")
            << "printf '\\342\\202\\254 caf\\303\\251 \\360\\237\\214\\215'" << true
            << u"€ café 🌍"_s;
    }
    void outputDecoding() {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(QString, output);
        const auto m = manager();
        auto o = run(1, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, script}, recordInto(o[0]));
        })[0];
        QCOMPARE(o->success, success);
        QCOMPARE(o->output, output);
    }

    // Fifty runs of every kind at once, each with its own result; failures log nothing.
    void fiftyRunsAtOnce() {
        const auto m = manager();
        const QString echo = script(u"echo.sh"_s, "#!/bin/sh\necho \"$1\"\n");
        QStringList expected;
        const qsizetype before = m->logs().size();
        auto o = run(50, [&](auto& o) {
            for (int i = 0; i < 50; ++i) {
                const QString n = QString::number(i);
                const QString missing = m_host->path(u"missing/"_s + n);
                switch (i % 5) {
                case 0:
                case 1:
                    m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo %1; exit %2"_s.arg(n).arg(i % 4)},
                                  recordInto(o[i]));
                    expected.append((i % 4 ? u"failed: "_s : u"ok: "_s) + n + u'\n');
                    break;
                case 2:
                    m->executeCommand(echo + u' ' + n, recordInto(o[i]));
                    expected.append(u"ok: "_s + n + u'\n');
                    break;
                case 3:
                    m->executeCommand(u"rm "_s + n, recordInto(o[i]));
                    expected.append(u"failed: "_s + blockedText);
                    break;
                default:
                    m->runProcess(missing, {}, recordInto(o[i]));
                    expected.append(u"failed: Executable not found: "_s + missing);
                }
            }
        });
        QCOMPARE(results(o), expected);
        settle();
        QCOMPARE(m->logs().size() - before, 20); // one refusal or "not found" line each
    }

    // Runs outlive the manager: they finish, and their completions come.
    void managerDestroyedWhileRunning() {
        auto m = manager(1000);
        auto o = run(3, [&](auto& o) {
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"sleep 0.3; echo late"_s}, recordInto(o[0]));
            m->runProcess(u"/bin/sh"_s, {u"-c"_s, u"echo t; exec sleep 30"_s}, recordInto(o[1]));
            m->executeCommand(u"cat x"_s, recordInto(o[2]));
            m.reset();
        });
        QCOMPARE(results(o), QStringList({"ok: late\n", "failed: t\n", "failed: " + blockedText}));
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "tst_runner.moc"
