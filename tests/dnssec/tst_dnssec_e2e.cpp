// Signing through Korvi against a real named in a sandbox: the zone answers with RRSIG and
// DNSKEY, Korvi's DS records make a trust anchor under which delv fully validates the zone,
// the key states come from rndc; turning signing off writes the "insecure" policy while the
// zone still validates and its keys are still listed.
#include <QSignalSpy>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "SettledKeys.h"
#include "manager/ZoneSigningService.h"

using namespace korvi;
using namespace korvi::test;

class TestDnssecE2e : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

    ZoneSigningService* signing() const { return m_manager->zoneSigning(); }

    // dig's whole answer section, with the DO bit set.
    QString digSigned(const QString& type) {
        QProcess process;
        process.start(u"dig"_s, {u"@127.0.0.1"_s, u"-p"_s, QString::number(m_port),
                                 u"example.com"_s, type, u"+dnssec"_s, u"+norecurse"_s, u"+noall"_s,
                                 u"+answer"_s, u"+time=1"_s, u"+tries=1"_s});
        if (!process.waitForFinished(5000))
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    bool signedAndPublished() {
        return digSigned(u"SOA"_s).contains(u"RRSIG\tSOA"_s) &&
               digSigned(u"DNSKEY"_s).contains(u"DNSKEY\t257"_s);
    }

    // What delv says of the zone's SOA under a trust anchor made from these DS records.
    QString delvWith(const QStringList& dsRecords) {
        QString anchors = u"trust-anchors {\n"_s;
        for (const QString& ds : dsRecords) {
            const QStringList f = ds.split(u' ', Qt::SkipEmptyParts);
            if (f.size() != 7)
                return u"unreadable DS: "_s + ds;
            anchors += u"    %1 initial-ds %2 %3 %4 \"%5\";\n"_s.arg(f[0], f[3], f[4], f[5], f[6]);
        }
        anchors += u"};\n"_s;
        const QString path = m_host.root() + u"/anchors.conf"_s;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(anchors.toUtf8()) < 0)
            return u"anchor file not written"_s;
        file.close();
        QProcess process;
        process.start(u"delv"_s, {u"@127.0.0.1"_s, u"-p"_s, QString::number(m_port), u"-a"_s, path,
                                  u"+root=example.com"_s, u"example.com"_s, u"SOA"_s});
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return u"delv did not finish"_s;
        }
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }

    QStringList readDs() {
        QSignalSpy spy(signing(), &ZoneSigningService::dsRecordsRead);
        signing()->readDsRecords(u"example.com"_s);
        if (!spy.wait(5000))
            return {};
        return spy.first().at(1).toStringList();
    }

    QString readKeyStatus() {
        QSignalSpy spy(signing(), &ZoneSigningService::keyStatusRead);
        signing()->readKeyStatus(u"example.com"_s);
        if (!spy.wait(10000) || !spy.first().at(1).toBool())
            return u"<no status>"_s + (spy.isEmpty() ? QString() : spy.first().at(2).toString());
        return spy.first().at(2).toString();
    }

    QByteArray zoneStatement() {
        const QByteArray conf = readFile(m_layout.namedConfigPath);
        const qsizetype start = conf.indexOf("zone \"example.com\"");
        return start < 0 ? QByteArray() : conf.mid(start, conf.indexOf("\n};", start) - start);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        for (const QString& program : {u"dig"_s, u"delv"_s, u"rndc"_s})
            if (QStandardPaths::findExecutable(program).isEmpty())
                QSKIP("BIND's tools are not installed");
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        KORVI_SET_UP_SANDBOX_MANAGER(m_host.root(), m_port, m_layout, m_manager);
        m_zone =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"192.0.2.53"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(dig(m_port, u"www.example.com"_s), u"192.0.2.10"_s, 10000);
    }
    void cleanupTestCase() {
        if (m_manager) {
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    void unsignedZoneHasNoSignatures() {
        QSignalSpy spy(signing(), &ZoneSigningService::signedAnswerChecked);
        signing()->checkSignedAnswer(u"example.com"_s);
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().at(1).value<SigningCheck>().outcome,
                 SigningCheck::Outcome::noSignature);
        QVERIFY(readDs().isEmpty());
    }

    void signZone() {
        ZoneSigning choice;
        choice.bindDefaultPolicy = false;
        choice.algorithm = SigningAlgorithm::ecdsap256sha256;
        QSignalSpy applied(signing(), &ZoneSigningService::signingApplied);
        signing()->sign(u"example.com"_s, choice);
        QVERIFY(applied.wait(15000));
        QVERIFY2(applied.first().at(1).toBool(), qPrintable(applied.first().at(2).toString()));
        QCOMPARE(signing()->signing(u"example.com"_s).state, SigningState::signing);
        QVERIFY2(zoneStatement().contains(
                     "dnssec-policy \"korvi-ecdsap256sha256-unlimited\";\n    inline-signing yes;"),
                 zoneStatement().constData());
        QVERIFY2(QTest::qWaitFor([&] { return signedAndPublished(); }, 20000),
                 qPrintable(digSigned(u"SOA"_s)));

        QSignalSpy checked(signing(), &ZoneSigningService::signedAnswerChecked);
        signing()->checkSignedAnswer(u"example.com"_s);
        QVERIFY(checked.wait(5000));
        QCOMPARE(checked.first().at(1).value<SigningCheck>().outcome,
                 SigningCheck::Outcome::signedAnswer);

        const QStringList ds = readDs();
        QCOMPARE(ds.size(), 1);
        QVERIFY2(ds.first().startsWith(u"example.com. IN DS "_s), qPrintable(ds.first()));
        const QString delv = delvWith(ds);
        QVERIFY2(delv.contains(u"; fully validated"_s), qPrintable(delv));
        // A wrong digest is not trusted: delv's verdict depends on the anchor.
        QString wrong = ds.first();
        wrong[wrong.size() - 1] = wrong.endsWith(u'0') ? u'1' : u'0';
        QVERIFY(!delvWith({wrong}).contains(u"; fully validated"_s));

        const QString status = readKeyStatus();
        QVERIFY2(status.contains(u"dnssec-policy: korvi-ecdsap256sha256-unlimited"_s),
                 qPrintable(status));
        QVERIFY2(status.contains(u"key: "_s), qPrintable(status));

        // The DS is at the parent now (as the administrator would confirm once it is).
        QSignalSpy confirmed(signing(), &ZoneSigningService::keyStatusRead);
        signing()->confirmDsPublished(u"example.com"_s);
        QVERIFY(confirmed.wait(10000));
        QVERIFY2(confirmed.first().at(1).toBool(), qPrintable(confirmed.first().at(2).toString()));
    }

    // The keys a day later, the DS at the parent (see SettledKeys.h).
    void keysSettled() {
        const QString problem = settleKeys(m_layout, u"example.com"_s);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(QTest::qWaitFor(
                     [&] { return readKeyStatus().contains(u"- ds:             omnipresent"_s); },
                     10000),
                 qPrintable(readKeyStatus()));
    }

    void turnSigningOff() {
        QSignalSpy applied(signing(), &ZoneSigningService::signingApplied);
        signing()->stopSigning(u"example.com"_s);
        QVERIFY(applied.wait(15000));
        QVERIFY2(applied.first().at(1).toBool(), qPrintable(applied.first().at(2).toString()));
        QVERIFY2(zoneStatement().contains("dnssec-policy \"insecure\";"),
                 zoneStatement().constData());
        QCOMPARE(signing()->signing(u"example.com"_s).state, SigningState::goingUnsigned);
        // Right after the switch the keys are still published and the zone still validates.
        const QStringList ds = readDs();
        QCOMPARE(ds.size(), 1);
        QCOMPARE(signing()->signing(u"example.com"_s).state, SigningState::goingUnsigned);
        const QString delv = delvWith(ds);
        QVERIFY2(delv.contains(u"; fully validated"_s), qPrintable(delv));
        const QString status = readKeyStatus();
        QVERIFY2(status.contains(u"dnssec-policy: insecure"_s), qPrintable(status));
        QVERIFY2(status.contains(u"key: "_s), qPrintable(status));
    }

    // A removed zone's setting goes with it: the zone made again under the
    // same name is unsigned.
    void removedZoneIsForgotten() {
        Finish finish =
            finishOf(m_manager.get(), [&] { return m_manager->removeZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(signing()->signing(u"example.com"_s).state, SigningState::unsigned_);
        QVERIFY(signing()->zones().isEmpty());

        m_zone =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026020101, u"192.0.2.53"_s);
        finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        const QByteArray statement = zoneStatement();
        QVERIFY2(!statement.isEmpty() && !statement.contains("dnssec-policy"),
                 statement.constData());
    }
};

QTEST_GUILESS_MAIN(TestDnssecE2e)
#include "tst_dnssec_e2e.moc"
