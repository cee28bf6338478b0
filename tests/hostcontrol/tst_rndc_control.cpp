// The sandbox's server control against a real named on 127.0.0.1 at a free high port: start,
// status from the pid file and a query, a zone's reload and a reconfiguration through rndc with
// the sandbox's own key and control port, stop; never a process looked for by its name. Also
// AppArmor's warning and denial lines from captured kernel and named text.
#include <QSignalSpy>

#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ControlTestSupport.h"
#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/AppLog.h"
#include "manager/CommandRunner.h"
#include "manager/HostDetection.h"
#include "manager/RndcServerControl.h"
#include "manager/ServerControlFactory.h"

Q_DECLARE_METATYPE(korvi::ServerStatus)

using namespace korvi;
using namespace korvi::test;

namespace {

QString dataFile(const char* name) {
    return QStringLiteral(KORVI_TEST_SOURCE_DIR "/hostcontrol/data/") + QLatin1String(name);
}

QByteArray zoneText(const char* zone, int serial, const char* address) {
    return QByteArray("$TTL 300\n@ IN SOA ns1.") + zone + ". admin." + zone + ". " +
           QByteArray::number(serial) + " 3600 600 86400 300\n@ IN NS ns1." + zone +
           ".\nns1 IN A 192.0.2.53\nwww IN A " + address + "\n";
}

// A control with its parts, on a sandbox layout in the test's folder.
struct Rig {
    SystemLayout layout;
    AppLog log;
    CommandRunner runner;
    HostDetection detection;
    RndcServerControl control;

    explicit Rig(const SystemLayout& sandbox)
        : layout(sandbox), runner(layout, &log), detection(layout, runner, &log),
          control(layout, runner, &log, &detection) {}

    bool logged(const QString& message) const { return messages(log).contains(message); }
    bool loggedStart(const QString& prefix) const {
        return !messages(log)
                    .filter(QRegularExpression(u"^"_s + QRegularExpression::escape(prefix)))
                    .isEmpty();
    }
};

} // namespace

class RndcControlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;
    quint16 m_port = 0;
    SystemLayout m_layout;
    QString m_named;

    QString www(const char* zone) const { return dig(m_port, u"www."_s + QLatin1String(zone)); }

    void writeNamedConf(const QStringList& zones) const {
        QByteArray text = "options {\n  directory \"" + m_layout.zoneDirectory.toUtf8() +
                          "\";\n  listen-on port " + QByteArray::number(m_port) +
                          " { 127.0.0.1; };\n  listen-on-v6 { none; };\n  recursion no;\n";
        for (const QString& line : m_layout.namedConfOptionLines)
            text += "  " + line.toUtf8() + "\n";
        text += "};\n";
        for (const QString& statement : m_layout.namedConfStatements)
            text += statement.toUtf8() + "\n";
        for (const QString& zone : zones)
            text += "zone \"" + zone.toUtf8() + "\" { type primary; file \"db." + zone.toUtf8() +
                    "\"; };\n";
        QVERIFY(!writeFile(m_root, m_layout.namedConfigPath, text, false).isEmpty());
    }

private Q_SLOTS:
    void initTestCase() {
        m_root = m_dir.path();
        QVERIFY(isPlainPath(m_root));
        m_named = QStandardPaths::findExecutable(u"named"_s, {u"/usr/sbin"_s, u"/usr/bin"_s});
        for (const char* program : {"dig", "rndc", "rndc-confgen"}) {
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                QSKIP("BIND's tools are not installed");
        }
        if (m_named.isEmpty())
            QSKIP("named is not installed");
        m_port = freePort();
        const quint16 controlPort = freePort();
        QVERIFY(m_port > 20000 && controlPort > 20000 && controlPort != m_port);
        m_layout = SystemLayout::sandbox(m_root + u"/sandbox"_s, m_port, controlPort);
        // Stand-ins first on the command search path: any run of pgrep or pkill leaves a trace.
        for (const char* name : {"pgrep", "pkill"}) {
            QVERIFY(!writeFile(m_root, u"standins/"_s + QLatin1String(name),
                               "#!/bin/sh\necho \"$0 $*\" >> " + m_root.toUtf8() +
                                   "/process-search\nexit 1\n")
                         .isEmpty());
            m_layout.allowedCommands.append(QLatin1String(name));
        }
        m_layout.commandSearchPath = m_root + u"/standins:"_s + m_layout.commandSearchPath;
        // The AppArmor list is read from wherever the layout says; here, nowhere.
        m_layout.appArmorProfilesPath = m_root + u"/no-apparmor"_s;
        QDir().mkpath(m_layout.zoneDirectory + u"/data"_s);

        // The sandbox's key comes from rndc-confgen through Korvi's runner.
        Rig rig(m_layout);
        bool done = false, created = false;
        createRndcKeyIfMissing(rig.layout, rig.runner, [&](bool success, const QString&) {
            done = true;
            created = success;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY(created);
        QVERIFY(readFile(m_layout.rndcKeyPath).contains("key \"rndc-key\""));
        writeNamedConf({u"one.test"_s});
        QVERIFY(!writeFile(m_root, m_layout.zoneDirectory + u"/db.one.test"_s,
                           zoneText("one.test", 1, "192.0.2.1"), false)
                     .isEmpty());
        QProcess check;
        check.start(u"named-checkconf"_s, {m_layout.namedConfigPath});
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }

    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void serverControlledThroughRndc() {
        Rig rig(m_layout);
        rig.detection.detectBind();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.detection.bindPath().isEmpty(), 20000);
        QSignalSpy statuses(&rig.control, &ServerControl::statusChanged);
        QSignalSpy reloads(&rig.control, &ServerControl::reloadFinished);

        rig.control.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.logged(u"DNS server started successfully"_s), 20000);
        QCOMPARE(rig.control.status(), ServerStatus::running);
        const QList<qint64> servers = serversOf(m_layout.namedConfigPath);
        QCOMPARE(servers.size(), 1);
        QTRY_COMPARE(www("one.test"), u"192.0.2.1"_s);

        // Running: the pid file's process is alive and the server answers a query.
        rig.control.setStatus(ServerStatus::unknown);
        rig.control.checkStatus();
        QTRY_COMPARE(rig.control.status(), ServerStatus::running);
        QVERIFY(rig.logged(u"DNS server process detected (PID: %1)"_s.arg(servers[0])));

        // A record change: the zone's file again, through rndc reload <zone>.
        QVERIFY(!writeFile(m_root, m_layout.zoneDirectory + u"/db.one.test"_s,
                           zoneText("one.test", 2, "192.0.2.2"), false)
                     .isEmpty());
        rig.control.reloadZone(u"one.test"_s);
        QTRY_COMPARE_WITH_TIMEOUT(reloads.count(), 1, 20000);
        QCOMPARE(reloads.at(0).at(0).toBool(), true);
        QVERIFY(rig.logged(u"Zone reloaded successfully: one.test"_s));
        QVERIFY(rig.loggedStart(u"rndc: zone reload"_s)); // what rndc answered
        QTRY_COMPARE(www("one.test"), u"192.0.2.2"_s);

        // A new zone: the configuration again, through rndc reconfig.
        QVERIFY(!writeFile(m_root, m_layout.zoneDirectory + u"/db.two.test"_s,
                           zoneText("two.test", 1, "192.0.2.22"), false)
                     .isEmpty());
        writeNamedConf({u"one.test"_s, u"two.test"_s});
        QCOMPARE(www("two.test"), QString());
        rig.control.reconfigure();
        QTRY_COMPARE_WITH_TIMEOUT(reloads.count(), 2, 20000);
        QCOMPARE(reloads.at(1).at(0).toBool(), true);
        QVERIFY(rig.logged(u"Server configuration reread successfully"_s));
        QTRY_COMPARE(www("two.test"), u"192.0.2.22"_s);
        QCOMPARE(serversOf(m_layout.namedConfigPath), servers); // the same server throughout

        rig.control.stop();
        QTRY_VERIFY_WITH_TIMEOUT(rig.logged(u"DNS server stopped successfully"_s), 20000);
        QCOMPARE(rig.control.status(), ServerStatus::stopped);
        QVERIFY(serversOf(m_layout.namedConfigPath).isEmpty()); // stopped means gone
        rig.control.checkStatus();
        QTRY_VERIFY(rig.logged(u"DNS server process not found"_s));
        QCOMPARE(rig.control.status(), ServerStatus::stopped);

        // rndc's own words when there is no server to ask.
        rig.control.reload();
        QTRY_COMPARE_WITH_TIMEOUT(reloads.count(), 3, 20000);
        QCOMPARE(reloads.at(2).at(0).toBool(), false);
        QVERIFY(rig.loggedStart(u"Failed to reload configuration: rndc: connect failed: "_s));

        QVERIFY2(!QFile::exists(m_root + u"/process-search"_s),
                 readFile(m_root + u"/process-search"_s).constData());
        QVERIFY(statuses.count() >= 4);
    }

    // Only the sandbox's own server counts: a process called named, a stale pid file, or a pid
    // file naming a live process that does not answer never make the status "running".
    void strayNamedIsNotRunning_data() {
        QTest::addColumn<QString>("pidFile"); // "none", "stale" or "stray"
        QTest::addColumn<ServerStatus>("expected");
        QTest::newRow("no pid file") << u"none"_s << ServerStatus::stopped;
        QTest::newRow("stale pid file") << u"stale"_s << ServerStatus::stopped;
        QTest::newRow("pid file names a silent named") << u"stray"_s << ServerStatus::error;
    }
    void strayNamedIsNotRunning() {
        QFETCH(QString, pidFile);
        QFETCH(ServerStatus, expected);
        // A process named "named" (a copy of sleep) that serves nothing.
        const QString stray = m_root + u"/stray/named"_s;
        QDir().mkpath(m_root + u"/stray"_s);
        QFile::remove(stray);
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(u"sleep"_s), stray));
        QProcess process;
        process.start(stray, {u"30"_s});
        QVERIFY(process.waitForStarted());
        QFile::remove(m_layout.pidFilePath);
        if (pidFile == u"stale")
            writeFile(m_root, m_layout.pidFilePath, "999999999\n", false);
        else if (pidFile == u"stray")
            writeFile(m_root, m_layout.pidFilePath, QByteArray::number(process.processId()) + "\n",
                      false);

        Rig rig(m_layout);
        rig.detection.setBindInstalled(true);
        QSignalSpy statuses(&rig.control, &ServerControl::statusChanged);
        rig.control.checkStatus();
        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 1, 10000);
        QCOMPARE(rig.control.status(), expected);
        if (pidFile == u"stray")
            QVERIFY(rig.loggedStart(
                u"⚠️ named (PID %1) does not answer queries"_s.arg(process.processId())));
        process.kill();
        process.waitForFinished();
        QFile::remove(m_layout.pidFilePath);
    }

    // A start refused by AppArmor: one line that names the refused path, from named's output.
    void denialAtStartNamesThePath() {
        SystemLayout layout = m_layout;
        const QString fake =
            writeFile(m_root, u"bin/named-denied"_s,
                      "#!/bin/sh\ncat " + dataFile("named-denied.txt").toUtf8() + " >&2\nexit 1\n");
        layout.startCommand = {fake};
        layout.allowedCommands.append(fake);
        Rig rig(layout);
        rig.control.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loggedStart(u"Failed to start DNS server: "_s), 10000);
        QCOMPARE(rig.control.status(), ServerStatus::error);
        const QStringList denials = messages(rig.log).filter(u"🛡️ AppArmor kept named"_s);
        QCOMPARE(denials.size(), 1);
        QVERIFY(denials[0].contains(
            u"/home/alice/.local/share/Korvi/Korvi/sandbox/etc/named.conf (open)"_s));
    }

    // Before the start: the warning where an enforcing profile meets a sandbox under home.
    void appArmorWarningBeforeStart_data() {
        QTest::addColumn<QString>("profiles");
        QTest::addColumn<bool>("underHome");
        QTest::addColumn<bool>("warned");
        QTest::newRow("enforcing, under home") << "apparmor-profiles-enforcing.txt" << true << true;
        QTest::newRow("enforcing, elsewhere")
            << "apparmor-profiles-enforcing.txt" << false << false;
        QTest::newRow("complain mode, under home")
            << "apparmor-profiles-complain.txt" << true << false;
        QTest::newRow("no AppArmor, under home") << "absent" << true << false;
    }
    void appArmorWarningBeforeStart() {
        QFETCH(QString, profiles);
        QFETCH(bool, underHome);
        QFETCH(bool, warned);
        SystemLayout layout = m_layout;
        layout.appArmorProfilesPath = dataFile(profiles.toLatin1().constData());
        const QString fake = writeFile(m_root, u"bin/named-ok"_s, "#!/bin/sh\nexit 0\n");
        layout.startCommand = {fake};
        layout.allowedCommands.append(fake);
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", underHome ? m_root.toUtf8() : QByteArray("/nonexistent-home"));
        Rig rig(layout);
        rig.control.start();
        qputenv("HOME", home);
        // The stand-in returns at once and serves nothing: the start fails, after the warning.
        QTRY_VERIFY(
            rig.logged(u"Failed to start DNS server: named stopped right after starting"_s));
        const QStringList warnings = messages(rig.log).filter(u"🛡️ AppArmor enforces"_s);
        QCOMPARE(warnings.size(), warned ? 1 : 0);
        if (warned)
            QVERIFY(warnings[0].contains(layout.zoneDirectory));
    }

    // named's run folder as Debian's init script makes it: root, the group of named's user, 0775.
    void runDirectoryPrepared_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("asLink");
        QTest::addColumn<QString>("refusal"); // empty when prepared
        QTest::newRow("bind's folder") << u"bind"_s << false << QString();
        QTest::newRow("a link in its place") << u"bind"_s << true << u"is a symbolic link"_s;
        QTest::newRow("no such user") << u"no-such-user-here"_s << false << u"there is no user"_s;
    }
    void runDirectoryPrepared() {
        QFETCH(QString, user);
        QFETCH(bool, asLink);
        QFETCH(QString, refusal);
        const passwd* account = ::getpwnam(user.toLocal8Bit().constData());
        if (refusal.isEmpty() && (!account || ::geteuid() != 0))
            QSKIP("needs root and the user bind");
        QTemporaryDir dir;
        const QString run = dir.path() + u"/run/named"_s;
        if (asLink) {
            QDir().mkpath(dir.path() + u"/run"_s);
            QVERIFY(QFile::link(dir.path(), run));
        }
        const std::optional<QString> reason = RndcServerControl::prepareRunDirectory(run, user);
        if (!refusal.isEmpty()) {
            QVERIFY(reason && reason->contains(refusal));
            return;
        }
        QVERIFY2(!reason, qPrintable(reason.value_or(QString())));
        struct stat info {};
        QCOMPARE(::lstat(run.toLocal8Bit().constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, uid_t(0));
        QCOMPARE(info.st_gid, account->pw_gid);
        QCOMPARE(info.st_mode & 07777, mode_t(0775));
    }

    // The texts themselves, as the kernel and named write them.
    void appArmorTexts_data() {
        QTest::addColumn<QString>("zones");
        QTest::addColumn<QString>("home");
        QTest::addColumn<bool>("warned");
        QTest::newRow("below home") << "/home/al/sandbox/var/named"
                                    << "/home/al" << true;
        QTest::newRow("a sibling that shares the prefix") << "/home/alice/sandbox/var/named"
                                                          << "/home/al" << false;
        QTest::newRow("home is /") << "/srv/sandbox/var/named"
                                   << "/" << false;
        QTest::newRow("outside home") << "/srv/sandbox/var/named"
                                      << "/home/al" << false;
    }
    void appArmorTexts() {
        QFETCH(QString, zones);
        QFETCH(QString, home);
        QFETCH(bool, warned);
        const QString profiles =
            QString::fromUtf8(readFile(dataFile("apparmor-profiles-enforcing.txt")));
        QCOMPARE(NamedServerControl::appArmorSandboxWarning(profiles, zones, home).has_value(),
                 warned);
    }
};

QTEST_GUILESS_MAIN(RndcControlTest)
#include "tst_rndc_control.moc"
