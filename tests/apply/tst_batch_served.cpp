// Collected changes against a real named in a sandbox: while collected, the server still
// answers the old data; once applied, it answers every change and each zone's serial has moved
// exactly one step; when the server refuses one zone's file, every zone's file is put back, the
// server answers the old data again and the changes stay collected.
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "model/Serial.h"

using namespace korvi;
using namespace korvi::test;

class TestBatchServed : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_com;
    ZonePtr m_org;

    ZoneRepository& repository() { return *m_manager->zoneRepository(); }

    ZonePtr added(const QString& name, const QString& address) {
        const ZonePtr zone =
            ZoneRepository::newZone(name, m_layout.zoneDirectory + u"/db."_s + name, QString(),
                                    QString(), 2026010101, u"192.0.2.53"_s);
        zone->addRecord(a(u"www"_s, address, 300));
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(zone); });
        if (!finish.applied) {
            qWarning("zone %s not added: %s", qPrintable(name), qPrintable(finish.message));
            return {};
        }
        return zone;
    }
    qint64 servedSerial(const QString& zone) {
        return dig(m_port, zone, u"SOA"_s).split(u' ').value(2).toLongLong();
    }
    void collect(const std::function<ChangeId()>& start) {
        const Finish finish = finishOf(&repository(), start);
        QVERIFY2(finish.applied, qPrintable(finish.message));
    }
    void updateWww(const ZonePtr& zone, const QString& address) {
        DNSRecord www = *recordNamed(zone, u"www"_s);
        www.value = address;
        collect([&] { return repository().updateRecord(www, zone); });
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        KORVI_SET_UP_SANDBOX_MANAGER(m_host.root(), m_port, m_layout, m_manager);
        m_manager->setClock(fixedNoon);
        m_com = added(u"example.com"_s, u"192.0.2.10"_s);
        m_org = added(u"example.org"_s, u"198.51.100.10"_s);
        QVERIFY(m_com && m_org);
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
        QVERIFY(QTest::qWaitFor(
            [&] { return dig(m_port, u"www.example.org"_s) == u"198.51.100.10"_s; }, 10000));
        QVERIFY(repository().setBatchMode(true));
    }
    void cleanupTestCase() {
        if (m_manager) {
            repository().setAfterWriteHook({});
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    // Three changes in two zones: not served while collected; all served when the apply
    // reports applied, with one serial step per zone.
    void appliedTogether() {
        const qint64 comSerial = servedSerial(u"example.com"_s);
        const qint64 orgSerial = servedSerial(u"example.org"_s);
        QCOMPARE(comSerial, m_com->soaRecord()->serial);
        collect([&] { return repository().addRecord(a(u"mail"_s, u"192.0.2.25"_s, 300), m_com); });
        updateWww(m_com, u"192.0.2.99"_s);
        updateWww(m_org, u"198.51.100.99"_s);
        QCOMPARE(repository().stagedChangeCount(), 3);
        QCOMPARE(dig(m_port, u"mail.example.com"_s), QString());
        QCOMPARE(dig(m_port, u"www.example.com"_s), u"192.0.2.10"_s);
        QCOMPARE(dig(m_port, u"www.example.org"_s), u"198.51.100.10"_s);
        QCOMPARE(servedSerial(u"example.com"_s), comSerial);

        const Finish finish = finishOf(&repository(), [&] { return repository().applyStaged(); });
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(dig(m_port, u"mail.example.com"_s), u"192.0.2.25"_s);
        QCOMPARE(dig(m_port, u"www.example.com"_s), u"192.0.2.99"_s);
        QCOMPARE(dig(m_port, u"www.example.org"_s), u"198.51.100.99"_s);
        QCOMPARE(servedSerial(u"example.com"_s), nextSerial(comSerial, fixedNoon()));
        QCOMPARE(servedSerial(u"example.com"_s), comSerial + 1);
        QCOMPARE(servedSerial(u"example.org"_s), orgSerial + 1);
        QCOMPARE(m_com->soaRecord()->serial, comSerial + 1);
        QCOMPARE(repository().stagedChangeCount(), 0);
    }

    // The server refuses the second zone's file: both files hold their previous text again, the
    // server answers the old data, the reason carries named's words, and the changes stay
    // collected (the zones still show them) until discarded.
    void refusedZoneRollsBackEveryZone() {
        const QByteArray comBefore = readFile(m_com->filePath());
        const QByteArray orgBefore = readFile(m_org->filePath());
        const QString comWww = dig(m_port, u"www.example.com"_s);
        const QString orgWww = dig(m_port, u"www.example.org"_s);
        const qint64 comSerial = servedSerial(u"example.com"_s);
        updateWww(m_com, u"192.0.2.77"_s);
        updateWww(m_org, u"198.51.100.77"_s);
        QStringList hooked;
        repository().setAfterWriteHook([&](const QString& path) {
            hooked.append(path);
            if (path != m_org->filePath())
                return;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("$TTL 300\n@ IN SOA ns1 admin ( 1 2 3\nthis is not a zone\n");
        });
        const Finish finish = finishOf(&repository(), [&] { return repository().applyStaged(); });
        repository().setAfterWriteHook({});
        QCOMPARE(hooked, QStringList({m_com->filePath(), m_org->filePath()}));
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        qInfo("reason: %s", qPrintable(finish.message));
        QVERIFY(finish.message.contains(u"every zone file was put back"_s));
        QVERIFY2(finish.message.contains(u"zone example.org/IN: not loaded due to errors"_s),
                 qPrintable(finish.message));
        QCOMPARE(readFile(m_com->filePath()), comBefore);
        QCOMPARE(readFile(m_org->filePath()), orgBefore);
        QVERIFY(QTest::qWaitFor([&] { return servedSerial(u"example.com"_s) == comSerial; }, 5000));
        QCOMPARE(dig(m_port, u"www.example.com"_s), comWww);
        QCOMPARE(dig(m_port, u"www.example.org"_s), orgWww);
        QCOMPARE(repository().stagedChangeCount(), 2);
        QCOMPARE(recordNamed(m_com, u"www"_s)->value, u"192.0.2.77"_s);
        repository().discardStaged();
        QCOMPARE(recordNamed(m_com, u"www"_s)->value, comWww);
    }
};

QTEST_GUILESS_MAIN(TestBatchServed)
#include "tst_batch_served.moc"
