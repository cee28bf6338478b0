// Korvi in standard mode on a copy of this machine's Debian BIND
// configuration, rebased into the test's folder and served by the real named
// as the current user at a high port. Korvi adds a zone, changes a record and
// removes the zone; the distribution's files change by the include line
// only, and the server hears of each change through rndc.

#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "SystemRootSupport.h"
#include "manager/ZoneRepository.h"
#include "model/DNSRecord.h"

using namespace korvi;
using namespace korvi::test;

class TestSystemRoot : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    SystemRoot m_system;
    std::unique_ptr<DNSServerManager> m_manager;

    // Waits for the named.conf save started last to end; whether it wrote.
    static bool waitForConfigurationSave(DNSServerManager& manager) {
        QSignalSpy saved(&manager, &DNSServerManager::configurationSaveFinished);
        if (!saved.wait(30000))
            return false;
        return saved.first().at(1).toBool();
    }

    bool waitForRndc(const QString& words) const {
        return QTest::qWaitFor(
            [&] {
                for (const QString& call : m_system.rndcCalls()) {
                    if (call.endsWith(words))
                        return true;
                }
                return false;
            },
            15000);
    }

    static QString checkConf(const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(u"named-checkconf"_s, arguments);
        process.waitForFinished(30000);
        const QString output = QString::fromUtf8(process.readAll());
        return process.exitCode() == 0 ? QString() : output + u" (failed)"_s;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!QFileInfo::exists(u"/etc/bind/named.conf"_s) ||
            !QFileInfo::exists(u"/usr/sbin/named"_s))
            QSKIP("BIND's Debian package is not installed here");
        if (::geteuid() != 0)
            QSKIP("Korvi checks its include with named-checkconf chrooted, which needs root");
    }

    void cleanup() {
        m_manager.reset();
        stopServersOf(m_system.configuration());
        qunsetenv("KORVI_HELPER_ROOT");
    }

    // As root Korvi writes its files in-process; as a user it runs
    // `pkexec korvi-helper <verb>` (pkexec a stand-in that runs the helper,
    // rndc through the helper too).
    void addChangeAndRemoveZone_data() {
        QTest::addColumn<bool>("throughHelper");
        QTest::newRow("as root, in-process") << false;
        QTest::newRow("through pkexec and the helper") << true;
    }

    void addChangeAndRemoveZone() {
        QFETCH(bool, throughHelper);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(isPlainPath(m_dir->path()));
        m_system = SystemRoot();
        m_system.root = m_dir->path();
        const QString problem = m_system.create();
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const QMap<QString, QByteArray> before = m_system.distributionFiles();
        SystemLayout layout = m_system.layout();
        if (throughHelper) {
            layout.privilegedThroughHelper = true;
            layout.helperPath = u"" KORVI_TEST_BUILD_DIR "/src/korvi-helper"_s;
            writeFile(m_system.root, u"bin/pkexec"_s,
                      "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + m_system.root.toUtf8() +
                          "/pkexec.calls'\nexec \"$@\"\n");
            // The helper's programs come from PATH under a test root.
            qputenv("KORVI_HELPER_ROOT", m_system.root.toUtf8());
        }
        m_manager = makeManager(m_system.root, layout);
        DNSServerManager& manager = *m_manager;
        QVERIFY(waitForDetections(manager));
        manager.startServer();
        QVERIFY2(QTest::qWaitFor([&] { return manager.isRunning(); }, 20000),
                 qPrintable(manager.logs().join(u'\n')));

        // A zone added: its file in Korvi's folder, its statement in Korvi's
        // include, the include line in named.conf.local, then rndc reconfig.
        const QString zoneName = u"korvi-system.test"_s;
        const ZonePtr zone =
            ZoneRepository::newZone(zoneName, layout.zoneDirectory + u"/db."_s + zoneName,
                                    u"ns1.example.net."_s, u"admin@example.net"_s, 2026010101);
        manager.addZone(zone);
        QVERIFY2(waitForConfigurationSave(manager), qPrintable(manager.logs().join(u'\n')));
        QVERIFY2(waitForRndc(u"reconfig"_s), qPrintable(m_system.rndcCalls().join(u'\n')));
        QVERIFY2(QTest::qWaitFor([&] { return !dig(m_system.port, zoneName, u"SOA"_s).isEmpty(); },
                                 10000),
                 qPrintable(manager.logs().join(u'\n')));

        const QByteArray includeLine =
            "include \"" + m_system.path(u"/etc/bind/named.conf.korvi"_s).toUtf8() + "\";\n";
        QMap<QString, QByteArray> expected = before;
        expected[u"named.conf.local"_s] += includeLine;
        QMap<QString, QByteArray> after = m_system.distributionFiles();
        QVERIFY(after.remove(u"named.conf.korvi"_s) == 1);
        QCOMPARE(after.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(checkConf({u"-z"_s, m_system.configuration()}), QString());

        const QString zoneFile = m_system.path(u"/var/lib/bind/korvi/db."_s + zoneName);
        struct stat info {};
        QCOMPARE(::stat(qPrintable(zoneFile), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));

        // A record change: the zone's file rewritten, then rndc reload <zone>.
        manager.addRecord(DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.80"_s, 300), zone);
        QVERIFY2(waitForRndc(u"reload "_s + zoneName),
                 qPrintable(m_system.rndcCalls().join(u'\n')));
        QVERIFY2(
            QTest::qWaitFor(
                [&] { return dig(m_system.port, u"www."_s + zoneName) == u"192.0.2.80"_s; }, 10000),
            qPrintable(manager.logs().join(u'\n')));
        QVERIFY(readFile(zoneFile).contains("192.0.2.80"));

        // The zone removed: the distribution's files as they were, byte for
        // byte, Korvi's include and zone file gone, the server reconfigured.
        const qsizetype reconfigsBefore = m_system.rndcCalls().filter(u"reconfig"_s).size();
        manager.removeZone(zone);
        QVERIFY2(waitForConfigurationSave(manager), qPrintable(manager.logs().join(u'\n')));
        QCOMPARE(m_system.distributionFiles(), before);
        QVERIFY(!QFileInfo::exists(zoneFile));
        QVERIFY(QTest::qWaitFor(
            [&] { return m_system.rndcCalls().filter(u"reconfig"_s).size() > reconfigsBefore; },
            15000));
        QVERIFY(QTest::qWaitFor([&] { return dig(m_system.port, zoneName, u"SOA"_s).isEmpty(); },
                                10000));
        QCOMPARE(checkConf({m_system.configuration()}), QString());

        if (throughHelper) {
            const QStringList calls = QString::fromUtf8(readFile(m_system.path(u"/pkexec.calls"_s)))
                                          .split(u'\n', Qt::SkipEmptyParts);
            const QString helper = layout.helperPath + u' ';
            for (const QString& words :
                 {u"write-zone "_s + zoneName, u"write-include"_s, u"add-include"_s,
                  u"rndc reconfig"_s, u"rndc reload "_s + zoneName, u"remove-include"_s,
                  u"remove-zone "_s + zoneName})
                QVERIFY2(calls.contains(helper + words), qPrintable(calls.join(u'\n')));
        }
        manager.stopServer();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return m_system.root.isEmpty() || serversOf(m_system.configuration()).isEmpty();
            },
            20000));
    }
};

QTEST_GUILESS_MAIN(TestSystemRoot)
#include "tst_system_root.moc"
