// The korvi program itself: --help, wrong command lines refused, and sandbox
// mode running a real named on 127.0.0.1, saving a picture of every section.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "SandboxServer.h"
#include "StoredZones.h"
#include "host/HostLayout.h"
#include "platform/PreferencesStore.h"

using namespace korvi;
using namespace Qt::StringLiterals;
using korvi::test::serversOf;

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

// Runs korvi with a home and data folders of its own.
Run runKorvi(const QStringList& arguments, const QString& home, int timeoutMs = 90000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home);
    for (const char* name : {"CONFIG", "DATA", "CACHE"})
        environment.insert(u"XDG_%1_HOME"_s.arg(QLatin1String(name)),
                           home + u'/' + QString::fromLatin1(name).toLower());
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(KORVI_PROGRAM), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// Holds a UDP port on 127.0.0.1 while it lives; 0 when the port was taken.
class PortHolder {
public:
    explicit PortHolder(quint16 port) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            m_port = port;
    }
    ~PortHolder() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

} // namespace

class SandboxTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;

private Q_SLOTS:
    void helpExplainsBothModes() {
        const Run run = runKorvi({u"--help"_s}, m_home.path(), 20000);
        QCOMPARE(run.exitCode, 0);
        for (const char* part :
             {"Standard mode", "Sandbox mode", "--sandbox", "--screenshots", "15353"})
            QVERIFY2(run.output.contains(QLatin1String(part)), part);
        // Standard mode names the configuration of the layout this host gets.
        const SystemLayout standard = standardLayoutFor(readHostLayoutFacts());
        QVERIFY2(run.output.contains(standard.namedConfigPath), qPrintable(run.output));
        QVERIFY2(run.output.contains(standard.layoutName + u" layout"_s), qPrintable(run.output));
    }

    void wrongCommandLinesAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("directory without --sandbox") << QStringList{"/tmp/somewhere"};
        QTest::newRow("two directories") << QStringList{"--sandbox", "/tmp/a", "/tmp/b"};
        QTest::newRow("unknown option") << QStringList{"--no-such-option"};
        QTest::newRow("directory with a space") << QStringList{"--sandbox", "/tmp/with space"};
    }

    void wrongCommandLinesAreRefused() {
        QFETCH(QStringList, arguments);
        const Run run = runKorvi(arguments, m_home.path(), 20000);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.output.contains(u"korvi: "_s));
        QVERIFY(!QFileInfo::exists(u"/tmp/with space"_s));
    }

    void screenshotsRunTheSandboxServer() {
        if (QStandardPaths::findExecutable(u"named"_s,
                                           {u"/usr/sbin"_s, u"/usr/bin"_s, u"/usr/local/sbin"_s})
                .isEmpty())
            QSKIP("BIND is not installed");
        QTemporaryDir dir;
        const QString sandbox = dir.filePath(u"sandbox"_s);
        const QString pictures = QStringLiteral(KORVI_TEST_BUILD_DIR "/screenshots/sandbox-run");
        QDir(pictures).removeRecursively();
        // The default port is taken, so the sandbox moves to a later one.
        PortHolder held(15353);

        const Run run =
            runKorvi({u"--sandbox"_s, sandbox, u"--screenshots"_s, pictures}, m_home.path());
        const QString conf = sandbox + u"/etc/named.conf"_s;
        // A failing check below must not leave the sandbox's named running.
        const auto leftovers = qScopeGuard([&conf] { test::stopServersOf(conf); });
        // Stopping signals named; it takes a moment to finish.
        QTRY_VERIFY2_WITH_TIMEOUT(serversOf(conf).isEmpty(), "the sandbox's named is still running",
                                  10000);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));

        const QRegularExpression mode(QStringLiteral("🧪 Sandbox mode in (\\S+): named on "
                                                     "127\\.0\\.0\\.1 port (\\d+)"));
        const QRegularExpressionMatch match = mode.match(run.output);
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1), sandbox);
        const int port = match.captured(2).toInt();
        QVERIFY(port >= 15353);
        if (held.port() != 0)
            QVERIFY(port > 15353);

        for (const char* line :
             {"DNS server started successfully", "DNS server stopped successfully",
              "🔄 App terminating, saving data...", "✅ 💾 Configuration saved on app termination"})
            QVERIFY2(run.output.contains(QString::fromUtf8(line)), line);

        // named.conf of the sandbox: its own directory, 127.0.0.1 at the port.
        QFile file(conf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(u"listen-on port %1 { 127.0.0.1; };"_s.arg(port)));
        QVERIFY(text.contains(sandbox + u"/var/named"_s));
        QVERIFY(QFileInfo::exists(sandbox + u"/var/named/data/named.run"_s));

        // Korvi's zones and preferences live in the sandbox, not in the home folder.
        QVERIFY(readStoredZones(sandbox + u"/data"_s).has_value());
        QVERIFY(!QFileInfo::exists(m_home.filePath(u"config/Korvi/Korvi.conf"_s)));
        QVERIFY(!QFileInfo::exists(m_home.filePath(u"data/Korvi"_s)));

        const QStringList saved = QDir(pictures).entryList({u"*.png"_s}, QDir::Files, QDir::Name);
        QCOMPARE(saved, (QStringList{"01-dashboard.png", "02-zone-management.png",
                                     "03-dns-records.png", "04-server-configuration.png",
                                     "05-secondaries.png", "06-logs.png", "07-history.png",
                                     "08-lookup.png", "09-tutorial.png", "10-about.png"}));
        for (const QString& name : saved)
            QVERIFY(!QImage(QDir(pictures).filePath(name)).isNull());
    }
};

QTEST_GUILESS_MAIN(SandboxTest)
#include "tst_sandbox.moc"
