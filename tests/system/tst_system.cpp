// The opt-in check on a real Debian machine, as root: Korvi in standard mode
// (offscreen) manages the machine's own BIND in /etc/bind on port 53. It adds
// a zone, which dig answers at 127.0.0.1; named-checkconf accepts
// /etc/bind/named.conf; the distribution's files differ by the include line
// only; removing the zone puts them back byte for byte. A server this check
// started is stopped again. Runs only with KORVI_SYSTEM_TEST=1 and uid 0:
//
//   KORVI_SYSTEM_TEST=1 ctest -L system --output-on-failure

#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

#include "SandboxServer.h"
#include "ScreenTestSupport.h"
#include "host/HostLayout.h"
#include "manager/ZoneRepository.h"
#include "model/DNSRecord.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QMap<QString, QByteArray> etcBind() {
    QMap<QString, QByteArray> files;
    QDirIterator it(u"/etc/bind"_s, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(it.fileName(), readFile(file));
    }
    return files;
}

QString checkConf(const QString& configuration) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(u"named-checkconf"_s, {configuration});
    process.waitForFinished(30000);
    return process.exitCode() == 0 ? QString()
                                   : QString::fromUtf8(process.readAll()) + u" (failed)"_s;
}

bool waitForSave(DNSServerManager& manager) {
    QSignalSpy saved(&manager, &DNSServerManager::configurationSaveFinished);
    return saved.wait(60000) && saved.first().at(1).toBool();
}

} // namespace

class TestSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realServer() {
        if (qEnvironmentVariable("KORVI_SYSTEM_TEST") != u"1")
            QSKIP("opt-in: set KORVI_SYSTEM_TEST=1 and run as root");
        if (::geteuid() != 0)
            QSKIP("manages the machine's own BIND, which needs root");
        QVERIFY(QFileInfo::exists(u"/etc/bind/named.conf"_s));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());

        SystemLayout layout = standardLayoutFor(readHostLayoutFacts());
        QCOMPARE(layout.layoutName, u"Debian / Ubuntu"_s);
        layout.temporaryDirectory = dir.path();
        layout.dataDirectory = dir.path() + u"/korvi-data"_s; // the user's own zones stay apart
        qInfo("layout %s, configuration %s, control %d", qPrintable(layout.layoutName),
              qPrintable(layout.namedConfigPath), int(layout.serverControl));

        const QMap<QString, QByteArray> before = etcBind();
        auto manager = makeManager(dir.path(), layout);
        QVERIFY(waitForDetections(*manager));
        MainWindow window(manager.get());
        showScreen(&window);

        const bool wasRunning = manager->isRunning();
        if (!wasRunning) {
            manager->startServer();
            QVERIFY2(QTest::qWaitFor([&] { return manager->isRunning(); }, 30000),
                     qPrintable(manager->logs().join(u'\n')));
        }

        const QString zoneName = u"korvi-system-check.test"_s;
        const ZonePtr zone =
            ZoneRepository::newZone(zoneName, layout.zoneDirectory + u"/db."_s + zoneName,
                                    u"ns1.example.net."_s, u"admin@example.net"_s, 2026010101);
        zone->addRecord(DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.53"_s, 300));
        manager->addZone(zone);
        QVERIFY2(waitForSave(*manager), qPrintable(manager->logs().join(u'\n')));
        QVERIFY2(QTest::qWaitFor([&] { return dig(53, u"www."_s + zoneName) == u"192.0.2.53"_s; },
                                 15000),
                 qPrintable(manager->logs().join(u'\n')));
        qInfo("dig @127.0.0.1 www.%s: %s", qPrintable(zoneName),
              qPrintable(dig(53, u"www."_s + zoneName)));
        QCOMPARE(checkConf(u"/etc/bind/named.conf"_s), QString());
        QVERIFY(saveScreenshot(&window, u"system"_s, u"zone-added"_s));

        QMap<QString, QByteArray> expected = before;
        expected[u"named.conf.local"_s] += "include \"/etc/bind/named.conf.korvi\";\n";
        QMap<QString, QByteArray> with = etcBind();
        QCOMPARE(with.take(u"named.conf.korvi"_s).count("zone \""), 1);
        QCOMPARE(with, expected);

        manager->removeZone(zone);
        QVERIFY2(waitForSave(*manager), qPrintable(manager->logs().join(u'\n')));
        QCOMPARE(etcBind(), before);
        QCOMPARE(checkConf(u"/etc/bind/named.conf"_s), QString());
        QVERIFY(QTest::qWaitFor([&] { return dig(53, u"www."_s + zoneName).isEmpty(); }, 15000));

        if (!wasRunning) {
            manager->stopServer();
            QVERIFY2(QTest::qWaitFor(
                         [&] { return manager->serverStatus() == ServerStatus::stopped; }, 30000),
                     qPrintable(manager->logs().join(u'\n')));
        }
        qInfo("%s", qPrintable(manager->logs().join(u'\n')));
    }
};

QTEST_MAIN(TestSystem)
#include "tst_system.moc"
