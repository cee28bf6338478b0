// The systemd control against stand-ins first on the command search path: systemctl and
// journalctl record their arguments and answer as the real ones do (is-active prints the state
// and exits 3 unless active), and dig answers or stays silent. The real programs never run here.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ControlTestSupport.h"
#include "HostTestSupport.h"
#include "manager/AppLog.h"
#include "manager/CommandRunner.h"
#include "manager/HostDetection.h"
#include "manager/SystemdServerControl.h"

Q_DECLARE_METATYPE(korvi::ServerStatus)

using namespace korvi;
using namespace korvi::test;

class SystemdControlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_standins;
    SystemLayout m_layout;

    QStringList calls() const {
        return QString::fromUtf8(readFile(m_standins + u"/calls"_s))
            .split(u'\n', Qt::SkipEmptyParts);
    }
    void reset(const char* state) {
        for (const char* name : {"calls", "fail", "silent"})
            QFile::remove(m_standins + u'/' + QLatin1String(name));
        writeFile(m_standins, u"state"_s, QByteArray(state) + "\n", false);
    }
    void flag(const char* name) { writeFile(m_standins, QLatin1String(name), "1\n", false); }

    struct Rig {
        AppLog log;
        CommandRunner runner;
        HostDetection detection;
        SystemdServerControl control;
        Rig(const SystemLayout& layout, const JournalReader& reader)
            : runner(layout, &log), detection(layout, runner, &log),
              control(layout, runner, &log, &detection, reader) {
            detection.setBindInstalled(true);
        }
    };

private Q_SLOTS:
    void initTestCase() {
        m_standins = m_dir.path() + u"/standins"_s;
        // The stand-ins: systemctl as far as Korvi uses it (start, stop, restart and reload change
        // the unit's state file or fail with systemd's words, is-active reports the state),
        // journalctl printing a captured journal, dig answering or silent (exit 9).
        for (const char* name : {"systemctl", "journalctl", "dig"}) {
            const QByteArray script =
                readFile(QStringLiteral(KORVI_TEST_SOURCE_DIR "/hostcontrol/standins/") +
                         QLatin1String(name));
            QVERIFY(!script.isEmpty());
            QVERIFY(!writeFile(m_standins, QLatin1String(name), script).isEmpty());
        }
        QVERIFY(
            QFile::copy(QStringLiteral(KORVI_TEST_SOURCE_DIR "/hostcontrol/data/journal-named.txt"),
                        m_standins + u"/journal"_s));
        qputenv("STANDIN", m_standins.toUtf8());
        m_layout = isolatedLayout(m_dir.path());
        m_layout.serverControl = SystemLayout::Control::systemd;
        m_layout.systemdUnit = u"named.service"_s;
        m_layout.serverAddress = u"127.0.0.1"_s;
        m_layout.serverPort = 53;
        m_layout.allowedCommands = {u"systemctl"_s, u"journalctl"_s, u"dig"_s};
        m_layout.commandSearchPath = m_standins + u":/usr/bin:/bin"_s;
    }

    void operations_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("line");
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<bool>("silent");
        QTest::newRow("start") << u"start"_s << false << u"systemctl start named.service"_s
                               << u"DNS server started successfully"_s << ServerStatus::running
                               << false;
        // systemd reports the unit started, but named never answers: not running, and the
        // journal's telling line says why.
        QTest::newRow("start, no answer")
            << u"start"_s << false << u"systemctl start named.service"_s
            << u"Failed to start DNS server: binding TCP socket: address in use "
               "(named.service is active but did not answer at 127.0.0.1#53 within 0.6 s"_s
            << ServerStatus::error << true;
        QTest::newRow("stop") << u"stop"_s << false << u"systemctl stop named.service"_s
                              << u"DNS server stopped successfully"_s << ServerStatus::stopped
                              << false;
        QTest::newRow("restart") << u"restart"_s << false << u"systemctl restart named.service"_s
                                 << u"DNS server restarted successfully"_s << ServerStatus::running
                                 << false;
        QTest::newRow("start refused")
            << u"start"_s << true << u"systemctl start named.service"_s
            << u"Failed to start DNS server: Job for named.service failed because the control "
               "process exited with error code.\nSee \"systemctl status named.service\" and "
               "\"journalctl -xeu named.service\" for details."_s
            << ServerStatus::error << false;
    }
    void operations() {
        QFETCH(QString, operation);
        QFETCH(bool, fails);
        QFETCH(QString, call);
        QFETCH(QString, line);
        QFETCH(ServerStatus, status);
        QFETCH(bool, silent);
        reset(operation == u"stop" ? "active" : "inactive");
        if (fails)
            flag("fail");
        if (silent)
            flag("silent");
        const QByteArray journal = readFile(m_standins + u"/journal"_s);
        writeFile(m_standins, u"journal"_s,
                  journal + "Dec 06 02:41:00 debian named[812]: binding TCP socket: address in "
                            "use\n",
                  false);
        Rig rig(m_layout, JournalReader{0, {}});
        rig.control.setStartAnswerLimit(600);
        QSignalSpy statuses(&rig.control, &ServerControl::statusChanged);
        if (operation == u"start")
            rig.control.start();
        else if (operation == u"stop")
            rig.control.stop();
        else
            rig.control.restart();
        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 1, 10000);
        QCOMPARE(rig.control.status(), status);
        writeFile(m_standins, u"journal"_s, journal, false);
        // A start asks the server until it answers, then (silent) the journal.
        const QStringList made = calls();
        QCOMPARE(made.value(0), call);
        const bool starts = operation != u"stop" && !fails;
        QCOMPARE(made.filter(u"dig "_s).isEmpty(), !starts);
        QCOMPARE(made.filter(u"journalctl "_s).isEmpty(), !silent);
        // The log takes its lines from the event loop, maybe after the status.
        const auto logged = [&] {
            const QStringList lines = messages(rig.log);
            return std::any_of(lines.begin(), lines.end(),
                               [&](const QString& text) { return text.startsWith(line); });
        };
        QTRY_VERIFY2(logged(), qPrintable(messages(rig.log).join(u'\n')));
    }

    void status_data() {
        QTest::addColumn<QByteArray>("state");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<bool>("queried");
        QTest::newRow("active and answering")
            << "active"_ba << false << ServerStatus::running << true;
        QTest::newRow("active but silent") << "active"_ba << true << ServerStatus::error << true;
        QTest::newRow("inactive") << "inactive"_ba << false << ServerStatus::stopped << false;
        QTest::newRow("failed") << "failed"_ba << false << ServerStatus::error << false;
    }
    void status() {
        QFETCH(QByteArray, state);
        QFETCH(bool, silent);
        QFETCH(ServerStatus, status);
        QFETCH(bool, queried);
        reset(state.constData());
        if (silent)
            flag("silent");
        Rig rig(m_layout, JournalReader{0, {}});
        QSignalSpy statuses(&rig.control, &ServerControl::statusChanged);
        rig.control.checkStatus();
        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 1, 10000);
        QCOMPARE(rig.control.status(), status);
        QStringList expected{u"systemctl is-active named.service"_s};
        if (queried)
            expected.append(u"dig +time=1 +tries=2 +norecurse -p 53 @127.0.0.1 . SOA"_s);
        QCOMPARE(calls(), expected);
    }

    void reload() {
        reset("active");
        Rig rig(m_layout, JournalReader{0, {}});
        QSignalSpy reloads(&rig.control, &ServerControl::reloadFinished);
        rig.control.reload();
        QTRY_COMPARE(reloads.count(), 1);
        QCOMPARE(reloads.at(0).at(0).toBool(), true);
        QCOMPARE(calls(), QStringList{u"systemctl reload named.service"_s});
    }

    void journal_data() {
        QTest::addColumn<uint>("uid");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<bool>("readable");
        QTest::newRow("root") << 0u << QStringList{u"root"_s} << true;
        QTest::newRow("in adm") << 1000u << QStringList{u"alice"_s, u"adm"_s} << true;
        QTest::newRow("in systemd-journal")
            << 1000u << QStringList{u"alice"_s, u"systemd-journal"_s} << true;
        QTest::newRow("neither") << 1000u << QStringList{u"alice"_s, u"sudo"_s} << false;
    }
    void journal() {
        QFETCH(uint, uid);
        QFETCH(QStringList, groups);
        QFETCH(bool, readable);
        reset("active");
        Rig rig(m_layout, JournalReader{uid, groups});
        rig.control.loadLog();
        if (!readable) {
            QTRY_VERIFY(
                !messages(rig.log).filter(u"📄 The server logs to the system journal"_s).isEmpty());
            QTest::qWait(200);
            QCOMPARE(calls(), QStringList()); // journalctl never ran
            return;
        }
        QTRY_VERIFY(messages(rig.log).contains(u"📄 Loaded 6 BIND log entries"_s));
        QCOMPARE(calls(), QStringList{u"journalctl -u named.service -n 50 --no-pager"_s});
        QVERIFY(rig.log.lines().contains(u"--- BIND Server Logs ---"_s));
        QVERIFY(rig.log.lines().contains(
            u"Dec 06 02:41:00 debian named[812]: loading configuration from '/etc/bind/named.conf'"_s));
        // The denial in the journal: one line naming the path.
        const QStringList denials = messages(rig.log).filter(u"🛡️ AppArmor kept named"_s);
        QCOMPARE(denials.size(), 1);
        QVERIFY(denials[0].contains(u"/etc/bind/db.example.com.jnl (mknod)"_s));
    }
};

QTEST_GUILESS_MAIN(SystemdControlTest)
#include "tst_systemd_control.moc"
