// Starting, stopping and reloading the server with fake control programs:
// every attempt and outcome, the lines logged and the status set.
#include <QSignalSpy>
#include <QTest>

#include "HostTestSupport.h"
#include "manager/CommandRunner.h"
#include "manager/ServerController.h"

using namespace korvi;
using namespace korvi::test;

class ControlTest : public QObject {
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
        QString& firstCommand = start ? host.layout.startCommand : host.layout.stopCommand;
        QString& secondCommand =
            start ? host.layout.startFallbackCommand : host.layout.stopFallbackCommand;
        firstCommand += u" one"_s;
        secondCommand += u" two"_s;
        if (firstExit == -1)
            firstCommand = u"cat "_s + host.path(u"bin/"_s + first);
        if (secondExit == -1)
            secondCommand = u"cat "_s + host.path(u"bin/"_s + second);
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
            expected.append(infoLine(blocked + firstCommand));
        if (firstExit != 0 && secondExit == -1)
            expected.append(infoLine(blocked + secondCommand));
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
        for (ServerStatus status : {ServerStatus::running, ServerStatus::stopped}) {
            manager->setServerStatus(status);
            QSignalSpy changes(manager.get(), &DNSServerManager::serverStatusChanged);
            const qsizetype before = manager->logs().size();
            manager->reloadServer();
            QTRY_VERIFY(withoutTimeStamps(manager->logs().mid(before)).contains(line));
            QTest::qWait(100);
            QCOMPARE(changes.count(), exitCode == 0 ? 1 : 0);
            QCOMPARE(manager->serverStatus(), exitCode == 0 ? ServerStatus::notInstalled : status);
            const QStringList added = withoutTimeStamps(manager->logs().mid(before));
            QCOMPARE(added.first(), line); // before the lines of reading the files back
            if (exitCode == 0)
                QCOMPARE(added.last(), infoLine(u"📁 No zones found in BIND configuration file"_s));
        }
        QCOMPARE(readFile(host.path(u"reload.ran"_s)), "\n\n"_ba);
    }

    // Command lines naming the layout's named run the detected named, if any.
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
        row("first word", "/usr/local/sbin/named -c x", "/opt/homebrew/sbin/named",
            "/opt/homebrew/sbin/named -c x");
        row("nothing detected", "sudo /usr/local/sbin/named -c x", "",
            "sudo /usr/local/sbin/named -c x");
        row("longer word stays", "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf",
            "/usr/sbin/named", "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf");
        row("spacing kept", "sudo  /usr/local/sbin/named  -g", "/usr/sbin/named",
            "sudo  /usr/sbin/named  -g");
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QString, detected);
        QFETCH(QString, expected);
        QCOMPARE(ServerController::commandLine(command, SystemLayout::standard(), detected),
                 expected);
    }

    // Through the manager: start runs the named detection found, or the layout's own.
    void startRunsDetectedNamed_data() {
        QTest::addColumn<bool>("detected");
        QTest::newRow("detected") << true;
        QTest::newRow("none detected") << false;
    }
    void startRunsDetectedNamed() {
        QFETCH(bool, detected);
        Host host;
        const auto named = [&host](const QString& at, const QString& ran) {
            host.write(
                at,
                "#!/bin/sh\n[ \"$1\" = -v ] && echo 'BIND 9.18.1' && exit 0\necho \"$@\" >> " +
                    host.path(ran).toUtf8() + "\n",
                true);
        };
        host.layout.bindExecutablePath = host.path(u"bin/constant-named"_s);
        named(u"bin/constant-named"_s, u"constant.ran"_s);
        if (detected)
            named(u"usr/sbin/named"_s, u"found.ran"_s);
        host.layout.allowedCommandPrefixes.append(host.path(u"usr/sbin/"_s));
        host.layout.startCommand =
            host.layout.bindExecutablePath + u" -c "_s + host.layout.namedConfigPath;
        auto manager = host.manager();
        QCOMPARE(manager->isBindInstalled(), detected);
        manager->startServer();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        const QByteArray ran = "-c " + host.layout.namedConfigPath.toUtf8() + "\n";
        QCOMPARE(readFile(host.path(u"found.ran"_s)), detected ? ran : QByteArray());
        QCOMPARE(readFile(host.path(u"constant.ran"_s)), detected ? QByteArray() : ran);
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

    // The sandbox's commands act on its own named only and pass its allow-list unchanged.
    void sandboxCommands() {
        Host host;
        const SystemLayout sandbox = SystemLayout::sandbox(host.root(), 25353);
        QCOMPARE(sandbox.namedConfigPath, host.path(u"etc/named.conf"_s));
        QVERIFY(QFileInfo(host.path(u"etc"_s)).isDir() &&
                QFileInfo(sandbox.temporaryDirectory).isDir());
        const QString pattern = u"[/]"_s + sandbox.namedConfigPath.mid(1);
        QCOMPARE(sandbox.startCommand,
                 u"/usr/local/sbin/named -c "_s + sandbox.namedConfigPath + u" -p 25353"_s);
        QCOMPARE(sandbox.stopCommand, u"pkill -f "_s + pattern);
        QCOMPARE(sandbox.reloadCommand, u"pkill -HUP -f "_s + pattern);
        QCOMPARE(sandbox.statusCheckArguments, (QStringList{u"-f"_s, pattern}));
        QVERIFY(sandbox.startFallbackCommand.isEmpty() && sandbox.stopFallbackCommand.isEmpty());
        const CommandRunner runner(sandbox, nullptr);
        QStringList commands = {sandbox.stopCommand, sandbox.reloadCommand,
                                sandbox.logReadCommandPrefix + sandbox.bindLogPaths.first()};
        for (const QString& named : SystemLayout::standard().bindProbePaths)
            commands.append(ServerController::commandLine(sandbox.startCommand, sandbox, named));
        for (const QString& command : commands) {
            QVERIFY2(runner.isCommandAllowed(command), qPrintable(command));
            QCOMPARE(CommandRunner::sanitizeCommand(command), command);
        }
        // Nothing that reaches beyond the sandbox.
        for (const char* command : {"sudo pkill named", "launchctl load -w x",
                                    "/usr/local/bin/anything", "brew install bind"})
            QVERIFY2(!runner.isCommandAllowed(QString::fromLatin1(command)), command);
        QVERIFY(runner.isValidPath(sandbox.zoneDirectory + u"/db.example.test"_s));
        QVERIFY(runner.isValidPath(sandbox.namedConfigPath));
        QVERIFY(!runner.isValidPath(u"/usr/local/etc/named.conf"_s));
        for (const QString& option : sandbox.namedConfOptionLines)
            QVERIFY2(option.contains(u'"' + sandbox.zoneDirectory), qPrintable(option));
    }
};

QTEST_GUILESS_MAIN(ControlTest)
#include "tst_control.moc"
