// The status comes from the server itself: a sandbox named started through Korvi while
// another program holds its port is not running and the message names named's reason; a
// server killed or frozen from outside changes the status within the polling period; a poll
// that finds nothing new logs nothing.
#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/AppLog.h"
#include "manager/NamedServerControl.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// Sockets of "another program" on 127.0.0.1 at a port, UDP and TCP, without address sharing.
class PortHolder {
public:
    explicit PortHolder(quint16 port) {
        for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
            const int fd = ::socket(AF_INET, type, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                (type == SOCK_DGRAM || ::listen(fd, 1) == 0))
                m_fds.append(fd);
            else if (fd >= 0)
                ::close(fd);
        }
    }
    ~PortHolder() {
        for (int fd : m_fds)
            ::close(fd);
    }
    bool holds() const { return m_fds.size() == 2; }

private:
    QList<int> m_fds;
};

} // namespace

class ServerStatusTest : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;

    std::unique_ptr<DNSServerManager> readyManager() {
        auto manager = makeManager(m_host.root(), m_layout);
        if (!waitForDetections(*manager))
            return nullptr;
        return manager;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_host.root(), m_port);
        QVERIFY(makeRndcKey(m_layout.rndcKeyPath));
        auto manager = readyManager();
        QVERIFY(manager);
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        DNSConfiguration* config = manager->configuration();
        config->setListenPort(m_port);
        config->setListenAddresses({u"127.0.0.1"_s});
        config->setRecursion(false);
        std::optional<bool> written;
        SaveId id = 0;
        connect(manager.get(), &DNSServerManager::configurationSaveFinished, this,
                [&](SaveId finished, bool ok) {
                    if (finished == id)
                        written = ok;
                });
        id = manager->saveConfiguration();
        QTRY_VERIFY_WITH_TIMEOUT(written.has_value(), 10000);
        QVERIFY(*written);
    }
    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }
    void cleanup() { stopServersOf(m_layout.namedConfigPath); }

    void portTakenIsNotRunning() {
        auto manager = readyManager();
        QVERIFY(manager);
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        PortHolder holder(m_port);
        QVERIFY(holder.holds());
        const qsizetype before = manager->logs().size();
        manager->startServer();
        const QRegularExpression failed(u"^Failed to start DNS server: "_s);
        QTRY_VERIFY_WITH_TIMEOUT(!logMessages(*manager).filter(failed).isEmpty(), 15000);
        QCOMPARE(manager->serverStatus(), ServerStatus::error);
        const QString message = logMessages(*manager).filter(failed).constFirst();
        // named's own words on the address it could not use, and the port named.
        static const QRegularExpression reason(
            u"interface lo failed|address in use|unable to listen|could not listen"_s);
        QVERIFY2(message.contains(reason), qPrintable(message));
        QVERIFY2(message.contains(u"127.0.0.1#%1"_s.arg(m_port)), qPrintable(message));
        QCOMPARE(logCount(*manager, u"DNS server started successfully"_s), 0);
        // The failure is one error line, not an exception or a crash.
        QVERIFY(logEntries(*manager, before).size() >= 1);
        // A server that started without serving is not left behind.
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 10000);
    }

    void changedFromOutside_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("killed") << int(SIGKILL) << ServerStatus::stopped
                                << u"DNS server process not found"_s;
        QTest::newRow("frozen") << int(SIGSTOP) << ServerStatus::error
                                << u"does not answer queries"_s;
    }
    void changedFromOutside() {
        QFETCH(int, signal);
        QFETCH(ServerStatus, status);
        QFETCH(QString, line);
        auto manager = readyManager();
        QVERIFY(manager);
        constexpr int pollMs = 400;
        manager->setStatusPollInterval(pollMs);
        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::running, 15000);
        QCOMPARE(logCount(*manager, u"DNS server started successfully"_s, LogLevel::success), 1);

        // Polls that find the server as it was add no line.
        const qsizetype startedAt = manager->logs().size();
        const qsizetype quietFrom = manager->logs().size();
        QTest::qWait(3 * pollMs);
        QCOMPARE(manager->logs().mid(quietFrom), QStringList());

        // The test's own server, from the sandbox's pid file.
        const std::optional<qint64> pid = NamedServerControl::livePid(m_layout.pidFilePath);
        QVERIFY(pid);
        QVERIFY(serversOf(m_layout.namedConfigPath).contains(*pid));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(::kill(pid_t(*pid), signal), 0);
        // One period, then the question's time limit at most.
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), status, pollMs + 3000);
        qInfo("status %s %lld ms after the signal", qPrintable(rawValue(status)), clock.elapsed());
        const qsizetype changedAt = manager->logs().size();
        QTest::qWait(3 * pollMs);
        QCOMPARE(manager->serverStatus(), status);
        QCOMPARE(manager->logs().mid(startedAt).filter(line).size(), 1);
        QCOMPARE(manager->logs().size(), changedAt); // no repetition
        if (signal == SIGSTOP) {
            ::kill(pid_t(*pid), SIGKILL);
            ::kill(pid_t(*pid), SIGCONT);
        }
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 5000);
    }
};

QTEST_GUILESS_MAIN(ServerStatusTest)
#include "tst_server_status.moc"
