// Starting, stopping and reloading the server with fake control programs:
// every attempt and outcome, the lines logged and the status set.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "HostTestSupport.h"
#include "manager/CommandRunner.h"
#include "manager/DNSServerManager.h"
#include "manager/ServerController.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString blockedPrefix = QStringLiteral("Command blocked for security reasons: ");

} // namespace

class ControlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    QString path(const QString& relative) const { return m_root + u'/' + relative; }

    // A control program: records that it ran, prints its output, exits.
    void program(const QString& name, int exitCode, const QByteArray& output) const {
        writeFile(m_root, QStringLiteral("bin/") + name,
                  "#!/bin/sh\necho \"$@\" >> " + path(name + QStringLiteral(".ran")).toUtf8() +
                      "\nprintf '" + output + "'\nexit " + QByteArray::number(exitCode) + "\n");
    }
    bool ran(const QString& name) const {
        return QFileInfo::exists(path(name + QStringLiteral(".ran")));
    }

    std::unique_ptr<DNSServerManager> settled(const SystemLayout& layout) const {
        auto manager = makeManager(m_root, layout);
        if (!waitForDetections(*manager))
            qWarning("detections did not report");
        return manager;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
        QVERIFY(isPlainPath(m_root));
    }
    void cleanup() { m_dir.reset(); }

    // -1 as exit status: the command is refused by the allow-list; -2: the
    // layout has no second command.
    void startAndStop_data() {
        QTest::addColumn<bool>("start");
        QTest::addColumn<int>("firstExit");
        QTest::addColumn<int>("secondExit");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("level");
        const int running = int(ServerStatus::running);
        const int stopped = int(ServerStatus::stopped);
        const int error = int(ServerStatus::error);
        const int success = int(LogLevel::success);
        const int failure = int(LogLevel::error);
        QTest::newRow("start, first succeeds")
            << true << 0 << 0 << running << "DNS server started successfully" << success;
        QTest::newRow("start, second succeeds")
            << true << 1 << 0 << running << "DNS server started successfully (alternative method)"
            << success;
        QTest::newRow("start, first refused, second succeeds")
            << true << -1 << 0 << running << "DNS server started successfully (alternative method)"
            << success;
        QTest::newRow("start, both fail")
            << true << 1 << 3 << error << "Failed to start DNS server:   second said no  \n"
            << failure;
        QTest::newRow("start, only attempt fails")
            << true << 1 << -2 << error << "Failed to start DNS server:   first said no  \n"
            << failure;
        QTest::newRow("start, second refused")
            << true << 1 << -1 << error
            << "Failed to start DNS server: Command blocked for security reasons" << failure;
        QTest::newRow("stop, first succeeds")
            << false << 0 << 0 << stopped << "DNS server stopped successfully" << success;
        QTest::newRow("stop, second succeeds")
            << false << 1 << 0 << stopped << "DNS server stopped successfully" << success;
        QTest::newRow("stop, both fail")
            << false << 1 << 1 << error << "Failed to stop DNS server:   second said no  \n"
            << failure;
        QTest::newRow("stop, only attempt fails")
            << false << 2 << -2 << error << "Failed to stop DNS server:   first said no  \n"
            << failure;
    }
    void startAndStop() {
        QFETCH(bool, start);
        QFETCH(int, firstExit);
        QFETCH(int, secondExit);
        QFETCH(int, status);
        QFETCH(QString, line);
        QFETCH(int, level);
        const QString first = start ? QStringLiteral("start-first") : QStringLiteral("stop-first");
        const QString second =
            start ? QStringLiteral("start-second") : QStringLiteral("stop-second");
        program(first, qMax(firstExit, 0), "  first said no  \\n");
        program(second, qMax(secondExit, 0), "  second said no  \\n");
        SystemLayout layout = isolatedLayout(m_root);
        QString& firstCommand = start ? layout.startCommand : layout.stopCommand;
        QString& secondCommand = start ? layout.startFallbackCommand : layout.stopFallbackCommand;
        firstCommand += QStringLiteral(" one");
        secondCommand += QStringLiteral(" two");
        if (firstExit == -1)
            firstCommand = QStringLiteral("cat ") + path(QStringLiteral("bin/") + first);
        if (secondExit == -1)
            secondCommand = QStringLiteral("cat ") + path(QStringLiteral("bin/") + second);
        if (secondExit == -2)
            secondCommand.clear();

        auto manager = settled(layout);
        manager->setServerStatus(start ? ServerStatus::stopped : ServerStatus::running);
        QSignalSpy changes(manager.get(), &DNSServerManager::serverStatusChanged);
        const qsizetype before = logMessages(*manager).size();
        if (start)
            manager->startServer();
        else
            manager->stopServer();
        QTRY_COMPARE(changes.count(), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus(status));
        QTRY_COMPARE(logCount(*manager, line, LogLevel(level)), 1);
        QTest::qWait(200);
        QCOMPARE(changes.count(), 1);

        // What ran, and with the arguments of the command line.
        QCOMPARE(ran(first), firstExit >= 0);
        if (firstExit >= 0)
            QCOMPARE(readFile(path(first + QStringLiteral(".ran"))), QByteArray("one\n"));
        const bool secondRuns = firstExit != 0 && secondExit >= 0;
        QCOMPARE(ran(second), secondRuns);
        if (secondRuns)
            QCOMPARE(readFile(path(second + QStringLiteral(".ran"))), QByteArray("two\n"));

        // The operation's own line is its only line, apart from the runner's
        // refusals; the first attempt's output is never logged when there
        // was a second.
        QStringList expected;
        if (firstExit == -1)
            expected.append(blockedPrefix + firstCommand);
        if (firstExit != 0 && secondExit == -1)
            expected.append(blockedPrefix + secondCommand);
        expected.append(line);
        QCOMPARE(logMessages(*manager).mid(before), expected);
    }

    // named refuses to start without the folder of its log file, so start
    // creates the zone directory and its data folder first.
    void startCreatesDataFolder() {
        program(QStringLiteral("start-first"), 0, "");
        const SystemLayout layout = isolatedLayout(m_root);
        const QString data = layout.zoneDirectory + QStringLiteral("/data");
        auto manager = settled(layout);
        QVERIFY(!QFileInfo::exists(layout.zoneDirectory));
        manager->startServer();
        QVERIFY(QFileInfo(data).isDir());
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
    }

    void reload_data() {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("level");
        QTest::newRow("succeeds") << 0 << "Configuration reloaded successfully"
                                  << int(LogLevel::success);
        QTest::newRow("fails") << 1 << "Failed to reload configuration: no such process\n"
                               << int(LogLevel::error);
    }
    void reload() {
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        QFETCH(int, level);
        program(QStringLiteral("reload"), exitCode, "no such process\\n");
        auto manager = settled(isolatedLayout(m_root));
        // A reload itself never changes the status. After a successful one,
        // reading the configuration back ends with a status check, which
        // here reports that BIND is not installed.
        for (ServerStatus status : {ServerStatus::running, ServerStatus::stopped}) {
            manager->setServerStatus(status);
            QSignalSpy changes(manager.get(), &DNSServerManager::serverStatusChanged);
            const int before = logCount(*manager, line, LogLevel(level));
            manager->reloadServer();
            QTRY_COMPARE(logCount(*manager, line, LogLevel(level)), before + 1);
            QTest::qWait(100);
            if (exitCode == 0) {
                QCOMPARE(changes.count(), 1);
                QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
                // The reload's line comes before those of reading the files back.
                const QStringList messages = logMessages(*manager);
                QCOMPARE(messages.at(messages.size() - 2), line);
                QCOMPARE(messages.last(),
                         QStringLiteral("📁 No zones found in BIND configuration file"));
            } else {
                QCOMPARE(changes.count(), 0);
                QCOMPARE(manager->serverStatus(), status);
            }
        }
        QCOMPARE(readFile(path(QStringLiteral("reload.ran"))), QByteArray("\n\n"));
    }

    // Command lines that name the layout's named run the named detection
    // found, and the layout's own when detection found none.
    void commandLine_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("detected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fallback start") << "sudo /usr/local/sbin/named -c /usr/local/etc/named.conf"
                                        << "/usr/sbin/named"
                                        << "sudo /usr/sbin/named -c /usr/local/etc/named.conf";
        QTest::newRow("first word") << "/usr/local/sbin/named -c x"
                                    << "/opt/homebrew/sbin/named"
                                    << "/opt/homebrew/sbin/named -c x";
        QTest::newRow("nothing detected") << "sudo /usr/local/sbin/named -c x"
                                          << ""
                                          << "sudo /usr/local/sbin/named -c x";
        QTest::newRow("not named") << "sudo pkill named"
                                   << "/usr/sbin/named"
                                   << "sudo pkill named";
        QTest::newRow("longer word stays")
            << "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf"
            << "/usr/sbin/named"
            << "/usr/local/sbin/named-checkconf /usr/local/sbin/named.conf";
        QTest::newRow("spacing kept") << "sudo  /usr/local/sbin/named  -g"
                                      << "/usr/sbin/named"
                                      << "sudo  /usr/sbin/named  -g";
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QString, detected);
        QFETCH(QString, expected);
        QCOMPARE(ServerController::commandLine(command, SystemLayout::standard(), detected),
                 expected);
    }

    // Through the manager: with a named found by detection, start runs that
    // one; with none found, the layout's own.
    void startRunsDetectedNamed_data() {
        QTest::addColumn<bool>("detected");
        QTest::newRow("detected") << true;
        QTest::newRow("none detected") << false;
    }
    void startRunsDetectedNamed() {
        QFETCH(bool, detected);
        SystemLayout layout = isolatedLayout(m_root);
        const QByteArray body = "#!/bin/sh\n[ \"$1\" = -v ] && echo 'BIND 9.18.1' && exit 0\n"
                                "echo \"$@\" >> %1\n";
        layout.bindExecutablePath = path(QStringLiteral("bin/constant-named"));
        writeFile(m_root, QStringLiteral("bin/constant-named"),
                  QByteArray(body).replace("%1", path(QStringLiteral("constant.ran")).toUtf8()));
        if (detected)
            writeFile(m_root, QStringLiteral("usr/sbin/named"),
                      QByteArray(body).replace("%1", path(QStringLiteral("found.ran")).toUtf8()));
        layout.allowedCommandPrefixes.append(path(QStringLiteral("usr/sbin/")));
        layout.startCommand =
            layout.bindExecutablePath + QStringLiteral(" -c ") + layout.namedConfigPath;
        auto manager = settled(layout);
        QCOMPARE(manager->isBindInstalled(), detected);
        manager->startServer();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        const QString ran = detected ? QStringLiteral("found.ran") : QStringLiteral("constant.ran");
        const QString idle =
            detected ? QStringLiteral("constant.ran") : QStringLiteral("found.ran");
        QCOMPARE(readFile(path(ran)),
                 QStringLiteral("-c %1\n").arg(layout.namedConfigPath).toUtf8());
        QVERIFY(!QFileInfo::exists(path(idle)));
    }

    // When the manager is gone before the first attempt has failed, no
    // second attempt is made and nothing is set.
    void managerGoneNoSecondAttempt() {
        writeFile(m_root, QStringLiteral("bin/start-first"),
                  "#!/bin/sh\nsleep 0.3\ntouch " + path(QStringLiteral("first.done")).toUtf8() +
                      "\nexit 1\n");
        program(QStringLiteral("start-second"), 0, "");
        auto manager = settled(isolatedLayout(m_root));
        manager->startServer();
        manager.reset();
        QTRY_VERIFY(QFileInfo::exists(path(QStringLiteral("first.done"))));
        QTest::qWait(300);
        QVERIFY(!ran(QStringLiteral("start-second")));
    }

    // The sandbox acts on its own named only: its commands name its own
    // named.conf, pass its allow-list, and reach the shell unchanged.
    void sandboxCommands() {
        const SystemLayout sandbox = SystemLayout::sandbox(m_root, 25353);
        QCOMPARE(sandbox.namedConfigPath, path(QStringLiteral("etc/named.conf")));
        QVERIFY(QFileInfo(path(QStringLiteral("etc"))).isDir());
        QVERIFY(QFileInfo(sandbox.temporaryDirectory).isDir());
        const QString pattern = QStringLiteral("[/]") + sandbox.namedConfigPath.mid(1);
        QCOMPARE(sandbox.startCommand, QStringLiteral("/usr/local/sbin/named -c ") +
                                           sandbox.namedConfigPath + QStringLiteral(" -p 25353"));
        QCOMPARE(sandbox.stopCommand, QStringLiteral("pkill -f ") + pattern);
        QCOMPARE(sandbox.reloadCommand, QStringLiteral("pkill -HUP -f ") + pattern);
        QCOMPARE(sandbox.statusCheckArguments, (QStringList{QStringLiteral("-f"), pattern}));
        QVERIFY(sandbox.startFallbackCommand.isEmpty());
        QVERIFY(sandbox.stopFallbackCommand.isEmpty());

        const CommandRunner runner(sandbox, nullptr);
        for (const QString& named : SystemLayout::standard().bindProbePaths) {
            const QString start =
                ServerController::commandLine(sandbox.startCommand, sandbox, named);
            QVERIFY2(runner.isCommandAllowed(start), qPrintable(start));
            QCOMPARE(CommandRunner::sanitizeCommand(start), start);
        }
        for (const QString& command :
             {sandbox.stopCommand, sandbox.reloadCommand,
              sandbox.logReadCommandPrefix + sandbox.bindLogPaths.first()}) {
            QVERIFY2(runner.isCommandAllowed(command), qPrintable(command));
            QCOMPARE(CommandRunner::sanitizeCommand(command), command);
        }
        // Nothing that reaches beyond the sandbox.
        for (const QString& command :
             {QStringLiteral("sudo pkill named"), QStringLiteral("launchctl load -w x"),
              QStringLiteral("/usr/local/bin/anything"), QStringLiteral("brew install bind")})
            QVERIFY2(!runner.isCommandAllowed(command), qPrintable(command));
        QVERIFY(runner.isValidPath(sandbox.zoneDirectory + QStringLiteral("/db.example.test")));
        QVERIFY(runner.isValidPath(sandbox.namedConfigPath));
        QVERIFY(!runner.isValidPath(QStringLiteral("/usr/local/etc/named.conf")));
        for (const QString& option : sandbox.namedConfOptionLines)
            QVERIFY2(option.contains(u'"' + sandbox.zoneDirectory), qPrintable(option));
    }
};

QTEST_GUILESS_MAIN(ControlTest)
#include "tst_control.moc"
