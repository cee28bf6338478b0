// Two real named processes on 127.0.0.1: the primary managed by Korvi in a sandbox, and a
// secondary configured once with the named.conf Korvi writes for it. Zones added, changed and
// removed through Korvi reach the secondary through the catalog and NOTIFY without anybody
// touching it; a transfer without the key, or with a wrong secret, is refused and the primary's
// log says so.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "manager/ReplicationHealth.h"
#include "manager/ReplicationService.h"
#include "model/TsigKeyFile.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString keyName = u"korvi-secondary"_s;

// dig's whole answer (not +short), for transfers and response codes.
QString digFull(quint16 port, const QStringList& arguments) {
    QProcess process;
    process.start(
        QStandardPaths::findExecutable(u"dig"_s),
        QStringList{u"@127.0.0.1"_s, u"-p"_s, QString::number(port), u"+time=2"_s, u"+tries=1"_s} +
            arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

} // namespace

class TestReplicationE2e : public QObject {
    Q_OBJECT

    Host m_host;
    QTemporaryDir m_secondaryDir;
    SystemLayout m_layout;
    quint16 m_port = 0;
    quint16 m_secondaryPort = 0;
    QString m_secondaryConf;
    QProcess m_secondary;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

    // The one finished() of a replication operation.
    template <typename Start> std::pair<bool, QString> replicationStep(Start start) {
        QSignalSpy spy(m_manager->replication(), &ReplicationService::finished);
        start();
        if (!spy.wait(20000))
            return {false, u"no finished()"_s};
        return {spy.first().at(0).toBool(), spy.first().at(1).toString()};
    }

    // Milliseconds until the secondary's answer is `expected`, or -1 after 10 s.
    qint64 msUntilSecondary(const QString& name, const QString& type, const QString& expected,
                            const QElapsedTimer& since) {
        const bool reached =
            QTest::qWaitFor([&] { return dig(m_secondaryPort, name, type) == expected; }, 10000);
        return reached ? since.elapsed() : -1;
    }

    QString primaryLog() { return QString::fromUtf8(readFile(m_layout.bindLogPaths.value(0))); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        QVERIFY(m_secondaryDir.isValid());
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        if (!bindCheckersInstalled() || !QFileInfo(u"/usr/sbin/tsig-keygen"_s).isExecutable())
            QSKIP("BIND's programs are not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        do
            m_secondaryPort = freePort();
        while (m_secondaryPort == m_port || m_secondaryPort == m_port + 1);
        KORVI_SET_UP_SANDBOX_MANAGER(m_host.root(), m_port, m_layout, m_manager);
        // The primary runs before replication is set up, as it would for a user.
        QSignalSpy saved(m_manager.get(), &DNSServerManager::configurationSaveFinished);
        m_manager->saveConfiguration();
        QVERIFY(saved.wait(20000));
        QVERIFY(saved.first().at(1).toBool());
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);

        // A key, then the secondary: the catalog and the transfer lines reach the primary.
        ReplicationService* replication = m_manager->replication();
        auto step = replicationStep([&] { replication->createKey(keyName); });
        QVERIFY2(step.first, qPrintable(step.second));
        QCOMPARE(replication->keyNames(), QStringList{keyName});
        SecondaryServer secondary;
        secondary.name = u"local"_s;
        secondary.address = u"127.0.0.1"_s;
        secondary.port = m_secondaryPort;
        secondary.keyName = keyName;
        step = replicationStep([&] { replication->addSecondary(secondary); });
        QVERIFY2(step.first, qPrintable(step.second));
        // The key file holds the secret; the log never does.
        const auto keys =
            TsigKeyFile::parse(QString::fromUtf8(readFile(replication->keyFilePath())));
        QVERIFY(keys && keys->size() == 1);
        QVERIFY(!logMessages(*m_manager).join(u'\n').contains(keys->first().secret));
        QCOMPARE(QFileInfo(replication->keyFilePath()).permissions() &
                     (QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(dig(m_port, u"catalog.korvi.invalid"_s, u"SOA"_s).isEmpty() == false);

        // The secondary: configured once, from the text Korvi writes for it.
        const QString dir = m_secondaryDir.path();
        QString why;
        // A folder that is not an absolute path, or a secondary Korvi does not know, gets none.
        QVERIFY(!replication->writeLocalSecondary(u"local"_s, u"relative/dir"_s, m_secondaryPort));
        QVERIFY(!replication->writeLocalSecondary(u"unknown"_s, dir, m_secondaryPort));
        QVERIFY(!QFileInfo::exists(dir + u"/named.conf"_s));
        const std::optional<QString> written =
            replication->writeLocalSecondary(u"local"_s, dir, m_secondaryPort, &why);
        QVERIFY2(written, qPrintable(why));
        m_secondaryConf = *written;
        QCOMPARE(m_secondaryConf, dir + u"/named.conf"_s);
        const ProgramResult check = checkConf(m_secondaryConf);
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        m_secondary.setProcessChannelMode(QProcess::MergedChannels);
        const QString named = QStandardPaths::findExecutable(
            u"named"_s, {u"/usr/sbin"_s, u"/usr/local/sbin"_s, u"/sbin"_s});
        QVERIFY(!named.isEmpty());
        m_secondary.start(
            named, {u"-f"_s, u"-c"_s, m_secondaryConf, u"-p"_s, QString::number(m_secondaryPort)});
        QVERIFY(m_secondary.waitForStarted());
        // It copies the (empty) catalog first.
        QVERIFY2(
            QTest::qWaitFor(
                [&] {
                    return !dig(m_secondaryPort, u"catalog.korvi.invalid"_s, u"SOA"_s).isEmpty();
                },
                10000),
            qPrintable(QString::fromUtf8(m_secondary.readAll())));
    }

    void cleanupTestCase() {
        if (m_secondary.state() != QProcess::NotRunning) {
            m_secondary.terminate();
            if (!m_secondary.waitForFinished(5000)) {
                m_secondary.kill();
                m_secondary.waitForFinished(2000);
            }
        }
        stopServersOf(m_secondaryConf);
        if (m_manager) {
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    // A zone added through Korvi is answered by the secondary, which nobody touched.
    void newZoneReachesSecondary() {
        m_zone = ZoneRepository::newZone(u"replica.example"_s,
                                         m_layout.zoneDirectory + u"/db.replica.example"_s,
                                         QString(), QString(), 2026010101, u"192.0.2.53"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QElapsedTimer since;
        since.start();
        const qint64 ms =
            msUntilSecondary(u"www.replica.example"_s, u"A"_s, u"192.0.2.10"_s, since);
        qInfo("new zone: secondary answered %lld ms after Korvi reported the apply", ms);
        QVERIFY2(ms >= 0, "the secondary did not serve the new zone within 10 s");
        // Korvi's own zone list does not show the catalog.
        for (const ZonePtr& zone : m_manager->zones())
            QVERIFY(zone->name() != ReplicationText::catalogZoneName());
    }

    // A changed record reaches the secondary after the primary's NOTIFY.
    void changedRecordReachesSecondary() {
        QVERIFY(m_zone);
        DNSRecord www = *recordNamed(m_zone, u"www"_s);
        www.value = u"192.0.2.99"_s;
        const Finish finish =
            finishOf(m_manager.get(), [&] { return m_manager->updateRecord(www, m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QElapsedTimer since;
        since.start();
        const qint64 ms =
            msUntilSecondary(u"www.replica.example"_s, u"A"_s, u"192.0.2.99"_s, since);
        qInfo("changed record: secondary answered %lld ms after Korvi reported the apply", ms);
        QVERIFY2(ms >= 0, "the secondary did not serve the change within 10 s");
        // The health screen's model, fed with the secondaries Korvi transfers to, sees the
        // secondary holding the zone's new serial.
        ReplicationHealth* health = m_manager->replicationHealth();
        const auto inSync = [&] {
            const std::optional<ReplicationStatus> status =
                health->status(u"local"_s, u"replica.example"_s);
            return status && status->state == ReplicationState::inSync &&
                   status->primarySerial == quint32(m_zone->soaRecord()->serial);
        };
        health->refresh();
        QVERIFY2(QTest::qWaitFor(inSync, 10000),
                 qPrintable(replicationStateWord(health->status(u"local"_s, u"replica.example"_s)
                                                     .value_or(ReplicationStatus{})
                                                     .state)));
    }

    // Transfers need the key: without it, or with a wrong secret, the primary refuses and logs
    // why; with it the zone comes whole.
    void transferNeedsTheKey_data() {
        QTest::addColumn<QString>("tsig");
        QTest::addColumn<bool>("transferred");
        QTest::addColumn<QString>("logged");
        const std::optional<TsigKey> key = m_manager->replication()->key(keyName);
        QVERIFY(key);
        QTest::newRow("right key")
            << u"hmac-sha256:%1:%2"_s.arg(keyName, key->secret) << true << QString();
        QTest::newRow("no key") << QString() << false << u"denied"_s;
        QTest::newRow("wrong secret")
            << u"hmac-sha256:%1:%2"_s.arg(keyName, u"2yDz1Xy2v0x3d0o8yRk8bA2yDz1Xy2v0x3d0o8yRk8="_s)
            << false << u"denied"_s;
    }
    void transferNeedsTheKey() {
        QFETCH(QString, tsig);
        QFETCH(bool, transferred);
        QFETCH(QString, logged);
        const qsizetype logBefore = primaryLog().size();
        QStringList arguments{u"replica.example"_s, u"AXFR"_s};
        if (!tsig.isEmpty())
            arguments << u"-y"_s << tsig;
        const QString answer = digFull(m_port, arguments);
        QCOMPARE(answer.contains(u"192.0.2.99"_s), transferred);
        if (transferred)
            return;
        QVERIFY2(answer.contains(u"Transfer failed"_s) || answer.contains(u"failed"_s),
                 qPrintable(answer));
        QVERIFY2(
            QTest::qWaitFor([&] { return primaryLog().mid(logBefore).contains(logged); }, 5000),
            qPrintable(primaryLog().mid(logBefore)));
    }

    // A removed zone leaves the secondary once the catalog no longer lists it.
    void removedZoneLeavesSecondary() {
        QVERIFY(m_zone);
        QVERIFY(!dig(m_secondaryPort, u"replica.example"_s, u"SOA"_s).isEmpty());
        const Finish finish =
            finishOf(m_manager.get(), [&] { return m_manager->removeZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QElapsedTimer since;
        since.start();
        const bool gone = QTest::qWaitFor(
            [&] {
                return !digFull(m_secondaryPort, {u"replica.example"_s, u"SOA"_s})
                            .contains(u"status: NOERROR"_s);
            },
            10000);
        qInfo("removed zone: secondary stopped serving it %lld ms after Korvi reported the apply",
              since.elapsed());
        QVERIFY2(gone, "the secondary still serves the removed zone");
        QVERIFY(dig(m_secondaryPort, u"catalog.korvi.invalid"_s, u"SOA"_s).size() > 0);
    }
};

QTEST_GUILESS_MAIN(TestReplicationE2e)
#include "tst_replication_e2e.moc"
