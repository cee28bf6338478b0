// The status check: process numbers of running server processes, "not found"
// for every kind of failed run, and nothing at all while BIND is missing.

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString notFoundLine = QStringLiteral("DNS server process not found");

} // namespace

class StatusTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QList<QProcess*> m_processes;

    QString path(const QString& relative) const { return m_root + u'/' + relative; }

    // A manager whose BIND detection has reported (nothing found), then told
    // that BIND is installed, so that the check runs.
    std::unique_ptr<DNSServerManager> installedManager(const SystemLayout& layout) const {
        auto manager = makeManager(m_root, layout);
        if (!waitForDetections(*manager))
            qWarning("detections did not report");
        manager->setBindInstalled(true);
        return manager;
    }

    // Starts a process whose command line begins with the given program.
    qint64 startProcess(const QString& program, const QStringList& arguments) {
        auto* process = new QProcess(this);
        process->start(program, arguments);
        if (!process->waitForStarted(5000))
            return -1;
        m_processes.append(process);
        return process->processId();
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
        QVERIFY(isPlainPath(m_root));
    }
    void cleanup() {
        // Only the processes this test started, by their own handles.
        for (QProcess* process : std::as_const(m_processes)) {
            process->kill();
            process->waitForFinished(5000);
            delete process;
        }
        m_processes.clear();
        m_dir.reset();
    }

    // Two processes that look like named: both numbers, as pgrep prints them,
    // inside the parentheses of one line.
    void twoServerProcesses() {
        const QString named = path(QStringLiteral("sbin/named"));
        QDir().mkpath(QFileInfo(named).absolutePath());
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), named));
        const qint64 first = startProcess(named, {QStringLiteral("30")});
        const qint64 second = startProcess(named, {QStringLiteral("31")});
        QVERIFY(first > 0 && second > 0);

        SystemLayout layout = isolatedLayout(m_root);
        layout.statusCheckArguments = {QStringLiteral("-f"), QStringLiteral("[/]") + named.mid(1)};
        auto manager = installedManager(layout);
        QSignalSpy status(manager.get(), &DNSServerManager::serverStatusChanged);
        manager->checkServerStatus();
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::running);
        const QString pids =
            QString::number(qMin(first, second)) + u'\n' + QString::number(qMax(first, second));
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("DNS server process detected (PID: ") + pids + u')',
                              LogLevel::debug),
                     1);

        // Once they are gone, the server is stopped.
        for (QProcess* process : std::as_const(m_processes)) {
            process->kill();
            process->waitForFinished(5000);
        }
        manager->checkServerStatus();
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(logCount(*manager, notFoundLine, LogLevel::debug), 1);
    }

    // Every run that does not give process numbers means "stopped": no match,
    // a missing pgrep (after the runner's own line), a failing program with
    // output, and success with only white space.
    void notRunning_data() {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<bool>("missing");
        QTest::newRow("no match") << QByteArray() << false;
        QTest::newRow("pgrep missing") << QByteArray() << true;
        QTest::newRow("fails with output") << QByteArray("#!/bin/sh\necho 1234\nexit 2\n") << false;
        QTest::newRow("blank output") << QByteArray("#!/bin/sh\nprintf ' \\n\\t\\n'\n") << false;
    }
    void notRunning() {
        QFETCH(QByteArray, program);
        QFETCH(bool, missing);
        SystemLayout layout = isolatedLayout(m_root);
        if (missing)
            layout.statusCheckPath = path(QStringLiteral("absent/pgrep"));
        else if (!program.isEmpty())
            layout.statusCheckPath = writeFile(m_root, QStringLiteral("bin/pgrep"), program);
        auto manager = installedManager(layout);
        manager->setServerStatus(ServerStatus::running);
        manager->checkServerStatus();
        QTRY_COMPARE(logCount(*manager, notFoundLine, LogLevel::debug), 1);
        QCOMPARE(manager->serverStatus(), ServerStatus::stopped);
        if (missing) {
            const qsizetype runnerLine = logIndex(
                *manager, QStringLiteral("Executable not found: ") + layout.statusCheckPath);
            QVERIFY(runnerLine >= 0);
            QVERIFY(runnerLine < logIndex(*manager, notFoundLine));
        }
    }

    // While BIND is not installed the check sets notInstalled at once and
    // neither runs anything nor logs.
    void bindNotInstalled() {
        const QString marker = path(QStringLiteral("ran"));
        SystemLayout layout = isolatedLayout(m_root);
        layout.statusCheckPath = writeFile(m_root, QStringLiteral("bin/pgrep"),
                                           "#!/bin/sh\ntouch " + marker.toUtf8() + "\necho 1\n");
        auto manager = makeManager(m_root, layout);
        QVERIFY(waitForDetections(*manager));
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
