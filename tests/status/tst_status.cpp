// The status check: process numbers of running server processes, "not found"
// for every kind of failed run, and nothing at all while BIND is missing.
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "HostTestSupport.h"

using namespace korvi;
using namespace korvi::test;

namespace {
const QString notFoundLine = u"DNS server process not found"_s;
} // namespace

class StatusTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
    }
    void notRunning() {
        QFETCH(QByteArray, program);
        Host host;
        if (program == "missing")
            host.layout.statusCheckPath = host.path(u"absent/pgrep"_s);
        else if (!program.isEmpty())
            host.layout.statusCheckPath = host.write(u"bin/pgrep"_s, program, true);
        auto manager = host.manager();
        manager->setBindInstalled(true);
        manager->setServerStatus(ServerStatus::running);
        manager->checkServerStatus();
        QTRY_COMPARE(logCount(*manager, notFoundLine, LogLevel::debug), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        if (program == "missing") {
            const qsizetype runnerLine =
                logIndex(*manager, u"Executable not found: "_s + host.layout.statusCheckPath);
            QVERIFY(runnerLine >= 0 && runnerLine < logIndex(*manager, notFoundLine));
        }
    }

    // Without BIND the check sets notInstalled at once, runs nothing and logs nothing.
    void bindNotInstalled() {
        Host host;
        const QString marker = host.path(u"ran"_s);
        host.layout.statusCheckPath =
            host.write(u"bin/pgrep"_s, "#!/bin/sh\ntouch " + marker.toUtf8() + "\necho 1\n", true);
        auto manager = host.manager();
        QVERIFY(!manager->isBindInstalled());
        manager->setServerStatus(ServerStatus::running);
        const QStringList before = manager->logs();
        manager->checkServerStatus();
        QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
        QTest::qWait(300);
        QCOMPARE(manager->logs(), before);
        QVERIFY(!QFileInfo::exists(marker));
    }
};

QTEST_GUILESS_MAIN(StatusTest)
#include "tst_status.moc"
