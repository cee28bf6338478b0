// Changes against a real named in a sandbox: a record change is answered by dig at the moment
// Korvi reports it applied; a zone file the server cannot load is rolled back (the previous
// text on disk, the previous answer served, zone and database unchanged, a reason given); a
// new zone answers its SOA when its addition is reported.
#include <QElapsedTimer>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "model/Serial.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Change { add, update, remove, soa };

} // namespace

class TestServedApply : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;

    // Whether the log shows the served check passing after the last zone-file check of the
    // zone: the change was verified, not merely reloaded.
    bool servedLineAfterCheck(const QString& zone) {
        const QStringList messages = logMessages(*m_manager);
        const qsizetype check =
            messages.lastIndexOf(u"✅ Zone file validation passed for '"_s + zone + u'\'');
        const qsizetype served =
            messages.lastIndexOf(u"Zone '"_s + zone + u"' serves the change"_s);
        return check >= 0 && served > check;
    }
    ZonePtr m_zone;

    // The change's end, with what dig answered right then (in the changeFinished slot).
    struct Served {
        Finish finish;
        QString digAtFinish;
    };
    template <typename Start> Served run(Start start, const QString& name, const QString& type) {
        Served served;
        bool asked = false;
        const QMetaObject::Connection connection =
            connect(m_manager.get(), &DNSServerManager::changeFinished, this, [&] {
                if (!asked) {
                    asked = true;
                    served.digAtFinish = dig(m_port, name, type);
                }
            });
        served.finish = finishOf(m_manager.get(), start);
        disconnect(connection);
        return served;
    }

    bool answers(const QString& name, const QString& type, const QString& expected) {
        return QTest::qWaitFor([&] { return dig(m_port, name, type) == expected; }, 10000);
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
        m_zone =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"192.0.2.53"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
        QVERIFY(answers(u"www.example.com"_s, u"A"_s, u"192.0.2.10"_s));
    }
    void cleanupTestCase() {
        if (m_manager) {
            m_manager->zoneRepository()->setAfterWriteHook({});
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }
    void cleanup() { m_manager->zoneRepository()->setAfterWriteHook({}); }

    // Each change is served when Korvi reports it applied: dig, asked in the changeFinished
    // slot, already gets the new data.
    void recordChangeServedWhenApplied_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("answer");
        QTest::newRow("add A") << Change::add << u"mail.example.com"_s << u"A"_s << u"192.0.2.25"_s;
        QTest::newRow("update A") << Change::update << u"www.example.com"_s << u"A"_s
                                  << u"192.0.2.99"_s;
        QTest::newRow("delete A") << Change::remove << u"mail.example.com"_s << u"A"_s << QString();
        QTest::newRow("SOA admin")
            << Change::soa << u"example.com"_s << u"SOA"_s << u"hostmaster.example.com."_s;
    }
    void recordChangeServedWhenApplied() {
        QFETCH(Change, change);
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, answer);
        const Served served = run(
            [&]() -> ChangeId {
                switch (change) {
                case Change::add:
                    return m_manager->addRecord(a(u"mail"_s, u"192.0.2.25"_s, 300), m_zone);
                case Change::update: {
                    DNSRecord www = *recordNamed(m_zone, u"www"_s);
                    www.value = u"192.0.2.99"_s;
                    return m_manager->updateRecord(www, m_zone);
                }
                case Change::remove:
                    return m_manager->deleteRecord(*recordNamed(m_zone, u"mail"_s), m_zone);
                case Change::soa: {
                    SOARecord soa = *m_zone->soaRecord();
                    soa.adminEmail = u"hostmaster.example.com."_s;
                    return m_manager->updateSOA(soa, m_zone);
                }
                }
                return 0;
            },
            name, type);
        QCOMPARE(served.finish.count, 1);
        QVERIFY2(served.finish.applied, qPrintable(served.finish.message));
        if (change == Change::soa) {
            const QStringList fields = served.digAtFinish.split(u' ');
            QCOMPARE(fields.value(1), answer);
            QCOMPARE(fields.value(2).toLongLong(), m_zone->soaRecord()->serial);
        } else {
            QCOMPARE(served.digAtFinish, answer);
        }
        QVERIFY(servedLineAfterCheck(u"example.com"_s));
    }

    // A zone file the server refuses: the change is not applied, the file holds its previous
    // text, the server serves the previous answer again, zone and database are unchanged.
    void unservedChangeRolledBack_data() {
        QTest::addColumn<Change>("change");
        QTest::newRow("add") << Change::add;
        QTest::newRow("update") << Change::update;
    }
    void unservedChangeRolledBack() {
        QFETCH(Change, change);
        QVERIFY(waitForStorage(*m_manager));
        const QByteArray fileBefore = readFile(m_zone->filePath());
        const QByteArray recordsBefore = recordsText(m_zone->records());
        const qint64 serialBefore = m_zone->soaRecord()->serial;
        const QByteArray storedBefore = storedBytes(*m_manager);
        const QString wwwBefore = dig(m_port, u"www.example.com"_s);
        QVERIFY(!wwwBefore.isEmpty());
        int hooked = 0;
        m_manager->zoneRepository()->setAfterWriteHook([&](const QString& path) {
            ++hooked;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("$TTL 300\n@ IN SOA ns1 admin ( 1 2 3\nthis is not a zone\n");
        });
        const Served served = run(
            [&]() -> ChangeId {
                if (change == Change::add)
                    return m_manager->addRecord(a(u"broken"_s, u"192.0.2.66"_s, 300), m_zone);
                DNSRecord www = *recordNamed(m_zone, u"www"_s);
                www.value = u"192.0.2.77"_s;
                return m_manager->updateRecord(www, m_zone);
            },
            u"www.example.com"_s, u"A"_s);
        QCOMPARE(hooked, 1);
        QCOMPARE(served.finish.count, 1);
        QVERIFY(!served.finish.applied);
        qInfo("reason: %s", qPrintable(served.finish.message));
        QVERIFY(served.finish.message.contains(u"previous zone file was put back"_s));
        // named's own words on why, from its log.
        QVERIFY2(served.finish.message.contains(u"zone example.com/IN: not loaded due to errors"_s),
                 qPrintable(served.finish.message));
        QCOMPARE(readFile(m_zone->filePath()), fileBefore);
        QCOMPARE(served.digAtFinish, wwwBefore);
        QCOMPARE(dig(m_port, u"broken.example.com"_s), QString());
        QCOMPARE(recordsText(m_zone->records()), recordsBefore);
        QCOMPARE(m_zone->soaRecord()->serial, serialBefore);
        QVERIFY(waitForStorage(*m_manager));
        QCOMPARE(storedBytes(*m_manager), storedBefore);
        QCOMPARE(logMessages(*m_manager).filter(u"was put back"_s).isEmpty(), false);
    }

    // A zone added while the server runs answers its SOA when the addition is reported.
    void zoneAdditionServedWhenApplied() {
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.net"_s, m_layout.zoneDirectory + u"/db.example.net"_s,
                                    QString(), QString(), 2026020202, u"192.0.2.54"_s);
        const Served served =
            run([&] { return m_manager->addZone(zone); }, u"example.net"_s, u"SOA"_s);
        QCOMPARE(served.finish.count, 1);
        QVERIFY2(served.finish.applied, qPrintable(served.finish.message));
        QCOMPARE(served.digAtFinish,
                 u"ns1.example.net. admin.example.net. 2026020202 3600 1800 1209600 86400"_s);
        QVERIFY(servedLineAfterCheck(u"example.net"_s));
    }
    // A zone removed while the server runs is no longer answered when the removal is
    // reported; only then is its file gone.
    void zoneRemovalGoneWhenApplied() {
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.org"_s, m_layout.zoneDirectory + u"/db.example.org"_s,
                                    QString(), QString(), 2026030303, u"192.0.2.55"_s);
        const Finish added = finishOf(m_manager.get(), [&] { return m_manager->addZone(zone); });
        QVERIFY2(added.applied, qPrintable(added.message));
        QVERIFY(!dig(m_port, u"example.org"_s, "SOA").isEmpty());
        const Served served =
            run([&] { return m_manager->removeZone(zone); }, u"example.org"_s, u"SOA"_s);
        QCOMPARE(served.finish.count, 1);
        QVERIFY2(served.finish.applied, qPrintable(served.finish.message));
        QCOMPARE(served.digAtFinish, QString());
        QVERIFY(!QFile::exists(zone->filePath()));
        const QStringList messages = logMessages(*m_manager);
        QVERIFY(messages.lastIndexOf(u"Zone 'example.org' serves the change"_s) >
                messages.lastIndexOf(u"Server configuration reread successfully"_s));
    }

    // Korvi's version written over a file edited elsewhere: served when reported, with a
    // serial past the edited file's, so that secondaries take it.
    void korviVersionServedPastTheFileSerial() {
        const qint64 fileSerial = m_zone->soaRecord()->serial + 1000;
        QString edited = QString::fromUtf8(readFile(m_zone->filePath()));
        edited.replace(QString::number(m_zone->soaRecord()->serial), QString::number(fileSerial));
        const QString www = recordNamed(m_zone, u"www"_s)->value;
        edited.replace(www, u"198.51.100.200"_s);
        QVERIFY(writeFile(QFileInfo(m_zone->filePath()).path(),
                          QFileInfo(m_zone->filePath()).fileName(), edited.toUtf8(), false)
                    .size() > 0);
        const Served served =
            run([&] { return m_manager->zoneRepository()->rewriteZoneFile(m_zone, fileSerial); },
                u"www.example.com"_s, u"A"_s);
        QCOMPARE(served.finish.count, 1);
        QVERIFY2(served.finish.applied, qPrintable(served.finish.message));
        QCOMPARE(served.digAtFinish, www);
        const qint64 servedSerial =
            dig(m_port, u"example.com"_s, "SOA").split(u' ').value(2).toLongLong();
        QVERIFY2(isSerialAfter(servedSerial, fileSerial),
                 qPrintable(QString::number(servedSerial)));
        QCOMPARE(m_zone->soaRecord()->serial, servedSerial);
    }
};

QTEST_GUILESS_MAIN(TestServedApply)
#include "tst_served_apply.moc"
