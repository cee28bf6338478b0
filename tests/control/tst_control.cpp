// The server's own process and log: starting, stopping and reloading it with fake control
// programs, the status check, and reading its log into the application log.
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "HostTestSupport.h"
#include "manager/LayoutServerControl.h"

using namespace korvi;
using namespace korvi::test;

namespace {
const QString notFoundLine = u"DNS server process not found"_s;

const QString separator = u"--- BIND Server Logs ---"_s;
const QString loadingLine = u"🔄 Loading BIND server logs..."_s;
const QString noneFoundLine = u"📄 No BIND log files found at standard locations"_s;
const QString invalidPath = u"❌ Invalid log file path: "_s;
const QString readFailed = u"❌ Failed to read BIND log file: "_s;

QString loadedLine(qsizetype count) {
    return u"📄 Loaded %1 BIND log entries"_s.arg(count);
}

// 120 numbered lines, lines 75, 90 and 118 empty: 47 of the last 50 are shown.
QByteArray longLog() {
    QByteArray text;
    for (int i = 1; i <= 120; ++i)
        text +=
            (i == 75 || i == 90 || i == 118 ? ""_ba : "14:51 line " + QByteArray::number(i)) + '\n';
    return text;
}
QStringList longLogShown() {
    QStringList lines;
    for (int i = 71; i <= 120; ++i) {
        if (i != 75 && i != 90 && i != 118)
            lines.append(u"14:51 line %1"_s.arg(i));
    }
    return lines;
}

} // namespace

class ServerControlTest : public QObject {
    Q_OBJECT

    // A control program in root/bin: notes its arguments in <name>.ran, prints, exits.
    static void program(Host& host, const QString& name, int exitCode,
                        const QByteArray& output = {}) {
        host.write(u"bin/"_s + name,
                   "#!/bin/sh\necho \"$@\" >> " + host.path(name + u".ran"_s).toUtf8() +
                       "\nprintf '" + output + "'\nexit " + QByteArray::number(exitCode) + "\n",
                   true);
    }

private Q_SLOTS:
    // Exit status -1: refused by the allow-list; -2: no second command.
    void startAndStop_data() {
        QTest::addColumn<bool>("start");
        QTest::addColumn<int>("firstExit");
        QTest::addColumn<int>("secondExit");
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<QString>("line"); // logged at level success, or error when "Failed"
        const auto row = [](const char* tag, int firstExit, int secondExit, ServerStatus status,
                            const char* line) {
            QTest::newRow(tag) << QByteArray(tag).startsWith("start") << firstExit << secondExit
                               << status << QString::fromLatin1(line);
        };
        const auto running = ServerStatus::running;
        const auto stopped = ServerStatus::stopped;
        const auto error = ServerStatus::error;
        const char* const alternative = "DNS server started successfully (alternative method)";
        row("start, first succeeds", 0, 0, running, "DNS server started successfully");
        row("start, second succeeds", 1, 0, running, alternative);
        row("start, first refused, second succeeds", -1, 0, running, alternative);
        row("start, both fail", 1, 3, error, "Failed to start DNS server:   second said no  \n");
        row("start, only attempt fails", 1, -2, error,
            "Failed to start DNS server:   first said no  \n");
        row("start, second refused", 1, -1, error,
            "Failed to start DNS server: Command blocked for security reasons");
        row("stop, first succeeds", 0, 0, stopped, "DNS server stopped successfully");
        row("stop, second succeeds", 1, 0, stopped, "DNS server stopped successfully");
        row("stop, both fail", 1, 1, error, "Failed to stop DNS server:   second said no  \n");
        row("stop, only attempt fails", 2, -2, error,
            "Failed to stop DNS server:   first said no  \n");
    }
    void startAndStop() {
        QFETCH(bool, start);
        QFETCH(int, firstExit);
        QFETCH(int, secondExit);
        QFETCH(ServerStatus, status);
        QFETCH(QString, line);
        Host host;
        const QString first = start ? u"start-first"_s : u"stop-first"_s;
        const QString second = start ? u"start-second"_s : u"stop-second"_s;
        program(host, first, qMax(firstExit, 0), "  first said no  \\n");
        program(host, second, qMax(secondExit, 0), "  second said no  \\n");
        QStringList& firstCommand = start ? host.layout.startCommand : host.layout.stopCommand;
        QStringList& secondCommand =
            start ? host.layout.startFallbackCommand : host.layout.stopFallbackCommand;
        firstCommand.append(u"one"_s);
        secondCommand.append(u"two"_s);
        if (firstExit == -1)
            firstCommand = {u"cat"_s, host.path(u"bin/"_s + first)};
        if (secondExit == -1)
            secondCommand = {u"cat"_s, host.path(u"bin/"_s + second)};
        if (secondExit == -2)
            secondCommand.clear();
        auto manager = host.manager();
        manager->setServerStatus(start ? ServerStatus::stopped : ServerStatus::running);
        QSignalSpy changes(manager.get(), &DNSServerManager::serverStatusChanged);
        const qsizetype before = manager->logs().size();
        start ? manager->startServer() : manager->stopServer();
        QTRY_COMPARE(changes.count(), 1);
        QCOMPARE(manager->serverStatus(), status);
        const LogLevel level = line.startsWith(u"Failed"_s) ? LogLevel::error : LogLevel::success;
        QTRY_COMPARE(logCount(*manager, line, level), 1);
        QTest::qWait(200);
        QCOMPARE(changes.count(), 1);

        // What ran, with the arguments of its command line.
        QCOMPARE(readFile(host.path(first + u".ran"_s)),
                 firstExit >= 0 ? "one\n"_ba : QByteArray());
        const bool secondRuns = firstExit != 0 && secondExit >= 0;
        QCOMPARE(readFile(host.path(second + u".ran"_s)), secondRuns ? "two\n"_ba : QByteArray());
        // Only the outcome line (and refusals); a first attempt's output is never logged.
        QStringList expected;
        const QString blocked = u"Command blocked for security reasons: "_s;
        if (firstExit == -1)
            expected.append(infoLine(blocked + firstCommand.join(u' ')));
        if (firstExit != 0 && secondExit == -1)
            expected.append(infoLine(blocked + secondCommand.join(u' ')));
        expected.append(logLine(level, line));
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)), expected);
    }

    // A reload leaves the status alone; a successful one reads the files back and checks it.
    void reload_data() {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line");
        QTest::newRow("succeeds") << 0 << successLine(u"Configuration reloaded successfully"_s);
        QTest::newRow("fails") << 1
                               << errorLine(u"Failed to reload configuration: no such process\n"_s);
    }
    void reload() {
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        Host host;
        program(host, u"reload"_s, exitCode, "no such process\\n");
        auto manager = host.manager();
        manager->setServerStatus(ServerStatus::running);
        const qsizetype before = manager->logs().size();
        manager->reloadServer();
        QTRY_VERIFY(withoutTimeStamps(manager->logs().mid(before)).contains(line));
        QTest::qWait(100);
        QCOMPARE(manager->serverStatus(),
                 exitCode == 0 ? ServerStatus::notInstalled : ServerStatus::running);
        const QStringList added = withoutTimeStamps(manager->logs().mid(before));
        QCOMPARE(added.first(), line); // before the lines of reading the files back
        QCOMPARE(added.last(),
                 exitCode == 0 ? infoLine(u"📁 No zones found in BIND configuration file"_s) : line);
        QCOMPARE(readFile(host.path(u"reload.ran"_s)), "\n"_ba);
    }

    // Commands naming the layout's named run the detected named, if any.
    void commandLine_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("detected");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const char* command, const char* detected,
                            const char* expected) {
            QTest::newRow(tag) << QString::fromLatin1(command) << QString::fromLatin1(detected)
                               << QString::fromLatin1(expected);
        };
        row("fallback start", "sudo /usr/local/sbin/named -c /usr/local/etc/named.conf",
            "/usr/sbin/named", "sudo /usr/sbin/named -c /usr/local/etc/named.conf");
        row("nothing detected", "sudo /usr/local/sbin/named -c x", "",
            "sudo /usr/local/sbin/named -c x");
        row("longer word stays", "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf",
            "/usr/sbin/named", "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf");
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QString, detected);
        QFETCH(QString, expected);
        QCOMPARE(LayoutServerControl::withDetectedNamed(command.split(u' '),
                                                        SystemLayout::standard(), detected)
                     .join(u' '),
                 expected);
    }

    // Through the manager: start runs the named that detection found.
    void startRunsDetectedNamed() {
        Host host;
        const QByteArray script = "#!/bin/sh\n[ \"$1\" = -v ] && echo 'BIND 9.18.1' && exit 0\n"
                                  "echo \"$@\" >> \"$0.ran\"\n";
        host.layout.bindExecutablePath = host.write(u"bin/constant-named"_s, script, true);
        const QString found = host.write(u"usr/sbin/named"_s, script, true);
        host.layout.allowedCommandPrefixes.append(host.path(u"usr/sbin/"_s));
        host.layout.startCommand = {host.layout.bindExecutablePath, u"-c"_s, u"x.conf"_s};
        auto manager = host.manager();
        manager->startServer();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QCOMPARE(readFile(found + u".ran"_s), "-c x.conf\n"_ba);
        QVERIFY(!QFileInfo::exists(host.layout.bindExecutablePath + u".ran"_s));
    }

    // A manager gone before the first attempt failed makes no second attempt.
    void managerGoneNoSecondAttempt() {
        Host host;
        host.write(u"bin/start-first"_s,
                   "#!/bin/sh\nsleep 0.3\ntouch " + host.path(u"first.done"_s).toUtf8() +
                       "\nexit 1\n",
                   true);
        program(host, u"start-second"_s, 0);
        auto manager = host.manager();
        manager->startServer();
        manager.reset();
        QTRY_VERIFY(QFileInfo::exists(host.path(u"first.done"_s)));
        QTest::qWait(300);
        QVERIFY(!QFileInfo::exists(host.path(u"start-second.ran"_s)));
    }
    // Two named processes: both numbers in one line; once they are gone, stopped.
    void twoServerProcesses() {
        Host host;
        const QString named = host.path(u"sbin/named"_s);
        QDir().mkpath(host.path(u"sbin"_s));
        QVERIFY(QFile::copy(u"/bin/sleep"_s, named));
        QProcess first, second;
        first.start(named, {u"30"_s});
        second.start(named, {u"31"_s});
        QVERIFY(first.waitForStarted() && second.waitForStarted());
        host.layout.statusCheckArguments = {u"-f"_s, u"[/]"_s + named.mid(1)};
        auto manager = host.manager();
        manager->setBindInstalled(true);
        QSignalSpy status(manager.get(), &DNSServerManager::serverStatusChanged);
        manager->checkServerStatus();
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        const qint64 low = qMin(first.processId(), second.processId());
        const qint64 high = qMax(first.processId(), second.processId());
        QTRY_COMPARE(logCount(*manager,
                              u"DNS server process detected (PID: %1\n%2)"_s.arg(low).arg(high),
                              LogLevel::debug),
                     1);
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished();
        }
        manager->checkServerStatus();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(logCount(*manager, notFoundLine, LogLevel::debug), 1);
    }

    // Any run without process numbers means stopped (after the runner's own line).
    void notRunning_data() {
        QTest::addColumn<QByteArray>("program"); // "missing": no program at all
        QTest::newRow("no match") << QByteArray();
        QTest::newRow("pgrep missing") << "missing"_ba;
        QTest::newRow("fails with output") << "#!/bin/sh\necho 1234\nexit 2\n"_ba;
        QTest::newRow("blank output") << "#!/bin/sh\nprintf ' \\n\\t\\n'\n"_ba;
        QTest::newRow("BIND not installed: nothing runs") << "#!/bin/sh\ntouch {ran}\necho 1\n"_ba;
    }
    void notRunning() {
        QFETCH(QByteArray, program);
        Host host;
        if (program == "missing")
            host.layout.statusCheckPath = host.path(u"absent/pgrep"_s);
        else if (!program.isEmpty())
            host.layout.statusCheckPath = host.write(
                u"bin/pgrep"_s, program.replace("{ran}", host.path(u"ran"_s).toUtf8()), true);
        auto manager = host.manager();
        const bool installed = !QByteArray(QTest::currentDataTag()).startsWith("BIND not");
        manager->setBindInstalled(installed);
        manager->setServerStatus(ServerStatus::running);
        const QStringList before = manager->logs();
        manager->checkServerStatus();
        if (!installed) { // notInstalled at once, nothing run, nothing logged
            QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
            QTest::qWait(300);
            QCOMPARE(manager->logs(), before);
            QVERIFY(!QFileInfo::exists(host.path(u"ran"_s)));
            return;
        }
        QTRY_COMPARE(logCount(*manager, notFoundLine, LogLevel::debug), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        if (program == "missing") {
            const qsizetype runnerLine =
                logIndex(*manager, u"Executable not found: "_s + host.layout.statusCheckPath);
            QVERIFY(runnerLine >= 0 && runnerLine < logIndex(*manager, notFoundLine));
        }
    }
    // The non-empty lines among the last 50 of the first log file that exists (a folder does
    // not count) under the separator, then the count; "-": no file at all.
    void shownLines_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("120 lines, 3 empty among the last 50") << longLog() << longLogShown();
        QTest::newRow("blank lines are kept")
            << "a\n   \n\t\nb\n"_ba << QStringList{"a", "   ", "\t", "b"};
        QTest::newRow("carriage returns, no final line feed")
            << "a\r\nb \xc3\xa9"_ba << QStringList{"a", u"b é"_s};
        QTest::newRow("only empty lines") << "\n\n\n"_ba << QStringList{};
        QTest::newRow("no file") << "-"_ba << QStringList{warningLine(noneFoundLine)};
    }
    void shownLines() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        Host host;
        host.layout.bindLogPaths = {host.path(u"var/log/named.log"_s),
                                    host.path(u"var/local/named.log"_s),
                                    host.path(u"var/opt/named.log"_s)};
        QDir().mkpath(host.layout.bindLogPaths[0]);
        if (content != "-") {
            host.write(host.layout.bindLogPaths[1], content);
            host.write(host.layout.bindLogPaths[2], "not this one\n");
        }
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        QTest::qWait(300);
        if (content == "-" || expected.isEmpty()) { // nothing after the loading line but that
            QTRY_COMPARE(withoutTimeStamps(manager->logs().mid(before)),
                         QStringList{infoLine(loadingLine)} + expected);
            return;
        }
        QTRY_COMPARE(logCount(*manager, loadedLine(expected.size()), LogLevel::success), 1);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 QStringList({infoLine(loadingLine), separator}) + expected +
                     QStringList({successLine(loadedLine(expected.size()))}));
    }

    // A log path reaches the reader as one argument, whatever it holds: a space, a quote and a
    // dollar are read from that very file, and a line feed starts no second command (with a
    // shell, "\ntrue #" would make the failed read of the first line a success).
    void logPathReachesTheReaderWhole_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("space") << u"named log.run"_s << true;
        QTest::newRow("single quote") << u"named's.run"_s << true;
        QTest::newRow("dollar") << u"$HOME.run"_s << true;
        QTest::newRow("line feed") << u"missing.run\ntrue #"_s << false;
    }
    void logPathReachesTheReaderWhole() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        Host host;
        const QString path = host.path(u"var/named/data/"_s + name);
        if (exists)
            QVERIFY(!host.write(u"var/named/data/"_s + name, "first\nsecond\n").isEmpty());
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->readBindLogFile(path);
        const QString outcome = exists ? loadedLine(2) : readFailed + path;
        QTRY_COMPARE(logCount(*manager, outcome), 1);
        QTest::qWait(100);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 exists
                     ? QStringList({separator, u"first"_s, u"second"_s, successLine(loadedLine(2))})
                     : QStringList{errorLine(outcome)});
    }

    // Paths outside Korvi's folders (also through ".."), a failing read, a refused reader.
    void logReadFailures() {
        Host host;
        const QString outside = host.write(u"outside/named.log"_s, "secret\n");
        const QString sneaky = host.path(u"var/../outside/named.log"_s);
        const QString missing = host.path(u"var/log/missing.log"_s);
        host.layout.bindLogPaths = {outside};
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, invalidPath + outside, LogLevel::error), 1);
        manager->readBindLogFile(sneaky);
        QTRY_COMPARE(logCount(*manager, invalidPath + sneaky, LogLevel::error), 1);
        // A failing tail: the line names the file, not tail's complaint.
        manager->readBindLogFile(missing);
        QTRY_COMPARE(logCount(*manager, readFailed + missing, LogLevel::error), 1);
        QTest::qWait(200);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 QStringList({infoLine(loadingLine), errorLine(invalidPath + outside),
                              errorLine(invalidPath + sneaky), errorLine(readFailed + missing)}));

        Host refusing;
        refusing.layout.allowedCommands.removeAll(u"tail"_s);
        const QString log = refusing.write(u"var/named/data/named.run"_s, "line\n");
        auto refused = refusing.manager();
        refused->loadBindLogs();
        QTRY_COMPARE(logCount(*refused, readFailed + log, LogLevel::error), 1);
        const QString blocked = u"Command blocked for security reasons: tail -n 50 "_s + log;
        QCOMPARE(logCount(*refused, blocked, LogLevel::info), 1);
        QVERIFY(logIndex(*refused, blocked) < logIndex(*refused, readFailed + log));
        QVERIFY(!refused->logs().contains(separator));
    }

    // Server lines are not trimmed to the log's limit; the count line trims one.
    void fullLog() {
        Host host;
        host.write(u"var/named/data/named.run"_s, longLog());
        auto manager = host.manager();
        for (int i = 0; i < DNSServerManager::maximumLogLines; ++i)
            manager->addLog(u"filler %1"_s.arg(i), LogLevel::debug);
        QTRY_COMPARE(logCount(*manager, u"filler 199"_s), 1);
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, loadedLine(47)), 1);
        QCOMPARE(manager->logs().size(), DNSServerManager::maximumLogLines + 48);
        QCOMPARE(manager->logs().mid(200, 47), longLogShown());
        QCOMPARE(parseLogLine(manager->logs().first()).message, u"filler 2"_s);
    }
};

QTEST_GUILESS_MAIN(ServerControlTest)
#include "tst_control.moc"
