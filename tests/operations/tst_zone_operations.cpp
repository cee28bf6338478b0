// Zone additions and removals through the manager: the zone file and its named.conf statement
// written (and removed) together with the list and the store, one changeFinished per call, and
// every step done undone when a later one fails for real.
#include <QtTest>

#include "ChangeSupport.h"

using namespace korvi;
using namespace korvi::test;

class TestZoneOperations : public QObject {
    Q_OBJECT

    std::unique_ptr<ChangeHost> m_changes;

    std::unique_ptr<DNSServerManager> manager() { return m_changes->manager(); }
    QString zonePath(const QString& name) const { return m_changes->zonePath(name); }
    QString namedConf() const { return m_changes->namedConf(); }
    QString standInReload(int exitCode) { return m_changes->standInReload(exitCode); }
    ZonePtr addedZone(DNSServerManager& m, const QString& name = u"example.com"_s) {
        return m_changes->addedZone(m, name);
    }
    Host& host() { return m_changes->host; }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() { m_changes = std::make_unique<ChangeHost>(); }
    void cleanup() {
        settle();
        m_changes.reset();
    }

    // A new zone: its file (as BIND's checker accepts it, with the glue), its named.conf
    // statement, the list and the store, in one change; an invalid name changes nothing.
    void addZoneWritesFileAndConfiguration() {
        auto m = manager();
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.org"_s, zonePath(u"example.org"_s),
                                    u"ns1.example.org"_s, QString(), 2025030501, u"2001:db8::53"_s);
        QSignalSpy zonesChanged(m.get(), &DNSServerManager::zonesChanged);
        QStringList console;
        Finish finish;
        console =
            host().lines([&] { finish = finishOf(m.get(), [&] { return m->addZone(zone); }); });
        QVERIFY(!finish.early);
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        const QStringList expectedConsole = {
            u"🔄 DNSServerManager.addZone() called for: 'example.org'"_s,
            u"🔍 Current zones before add: []"_s,
            u"✅ Zone name validation passed"_s,
            u"✅ Zone added to memory. Total zones: 1"_s,
            u"🔍 All zones: [\"example.org\"]"_s,
            u"💾 Zone handed to app storage"_s,
            infoLine(u"✅ Zone 'example.org' added successfully"_s),
            u"✅ Zone creation completed for: 'example.org'"_s};
        QStringList picked;
        for (const QString& line : console) {
            if (expectedConsole.contains(line))
                picked.append(line);
        }
        QCOMPARE(picked, expectedConsole);
        const ProgramResult check = checkZone(u"example.org"_s, zone->filePath());
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        QVERIFY(readFile(zone->filePath()).contains("2001:db8::53"));
        QVERIFY(readFile(namedConf()).contains(statementOf(u"example.org"_s)));
        const ProgramResult conf = checkConf(namedConf());
        QVERIFY2(conf.ok(), qPrintable(conf.describe()));
        QCOMPARE(m->zones(), QList<ZonePtr>{zone});
        QCOMPARE(zonesChanged.count(), 1);
        QVERIFY(storedZone(*m, u"example.org"_s));
        QCOMPARE(m->configuration()->zoneFiles().value(u"example.org"_s), u"db.example.org"_s);

        const QByteArray conf_before = readFile(namedConf());
        const QByteArray stored = storedBytes(*m);
        for (const QString& name : {u"bad_name.example.com"_s, QString()}) {
            const ZonePtr bad = ZonePtr::create(u"placeholder.example"_s, zonePath(u"bad"_s));
            bad->setName(name); // as it stands: the constructor would clean it
            const Finish refused = finishOf(m.get(), [&] { return m->addZone(bad); });
            QCOMPARE(refused.count, 1);
            QVERIFY(!refused.early && !refused.applied);
            QCOMPARE(refused.message, u"❌ Invalid zone name: "_s + name);
        }
        settle();
        QVERIFY(!QFileInfo::exists(zonePath(u"bad"_s)));
        QCOMPARE(readFile(namedConf()), conf_before);
        QCOMPARE(storedBytes(*m), stored);
        QCOMPARE(m->zones().size(), 1);
    }

    // A step of a zone's addition that fails for real: the steps done before it are undone
    // (zone file removed, named.conf saved again without the zone, the zone unlisted and
    // unstored), and the one result names the failing step's reason.
    void addZoneRollsBack_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("listNotices"); // zonesChanged while it ran
        QTest::newRow("zone folder is a file") << u"zone-folder"_s << u"zone file"_s << 0;
        QTest::newRow("named.conf is a folder") << u"named-conf"_s << u"configuration"_s << 0;
        QTest::newRow("server refuses to reconfigure") << u"server"_s << u"server"_s << 2;
    }
    void addZoneRollsBack() {
        QFETCH(QString, failure);
        QFETCH(QString, step);
        QFETCH(int, listNotices);
        const QString calls = standInReload(1);
        QString path = zonePath(u"example.net"_s);
        if (failure == u"zone-folder") {
            QVERIFY(!host().write(u"var/named/blocked"_s, "not a folder\n").isEmpty());
            path = host().layout.zoneDirectory + u"/blocked/db.example.net"_s;
        } else if (failure == u"named-conf") {
            QVERIFY(QDir().mkpath(namedConf()));
        }
        auto m = manager();
        const ZonePtr kept = failure == u"named-conf" ? ZonePtr() : addedZone(*m, u"a.example"_s);
        if (failure != u"named-conf")
            QVERIFY(kept);
        if (failure == u"server")
            m->setServerStatus(ServerStatus::running);
        const QByteArray confBefore = withoutDate(readFile(namedConf()));
        const QByteArray storedBefore = storedBytes(*m);
        const QList<ZonePtr> zonesBefore = m->zones();
        const ZonePtr zone = ZoneRepository::newZone(u"example.net"_s, path, QString(), QString(),
                                                     2025030501, u"192.0.2.1"_s);
        QSignalSpy zonesChanged(m.get(), &DNSServerManager::zonesChanged);
        const qsizetype logStart = m->logs().size();
        const Finish finish = finishOf(m.get(), [&] { return m->addZone(zone); });
        QVERIFY(!finish.early);
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        QVERIFY(!finish.message.isEmpty());
        QVERIFY2(!finish.message.contains(u"Could not undo"_s), qPrintable(finish.message));
        settle();
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(withoutDate(readFile(namedConf())), confBefore);
        QVERIFY(!readFile(namedConf()).contains(statementOf(u"example.net"_s)));
        QCOMPARE(m->zones(), zonesBefore);
        QCOMPARE(zonesChanged.count(), listNotices);
        QVERIFY(!m->configuration()->zoneFiles().contains(u"example.net"_s));
        QCOMPARE(storedBytes(*m), storedBefore);
        if (failure == u"server")
            QCOMPARE(readFile(calls), "reload\n"_ba); // only the failed reconfiguration
        const QString refusal = u"❌ Zone 'example.net' was not added ("_s + step + u"): "_s;
        const QStringList errors = logMessages(*m).mid(0).filter(refusal);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().endsWith(finish.message));
        for (const LogEntry& entry : logEntries(*m, logStart))
            QVERIFY2(!entry.message.contains(u"added successfully"_s), qPrintable(entry.message));
    }

    // Removing a zone takes its statement out of named.conf, then its file, then the zone out
    // of the list and the store; the other zone stays whole. A zone not listed is refused.
    void removeZoneRemovesFileAndStatement() {
        auto m = manager();
        const ZonePtr stays = addedZone(*m, u"a.example"_s);
        const ZonePtr goes = addedZone(*m, u"b.example"_s);
        QVERIFY(stays && goes);
        QVERIFY(QFileInfo::exists(goes->filePath()));
        QVERIFY(readFile(namedConf()).contains(statementOf(u"b.example"_s)));
        const QByteArray staysFile = readFile(stays->filePath());
        const Finish finish = finishOf(m.get(), [&] { return m->removeZone(goes); });
        QVERIFY(!finish.early);
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QVERIFY(!QFileInfo::exists(goes->filePath()));
        const QByteArray conf = readFile(namedConf());
        QVERIFY(!conf.contains(statementOf(u"b.example"_s)));
        QVERIFY(conf.contains(statementOf(u"a.example"_s)));
        QVERIFY(checkConf(namedConf()).ok());
        QCOMPARE(readFile(stays->filePath()), staysFile);
        QCOMPARE(m->zones(), QList<ZonePtr>{stays});
        QVERIFY(!storedZone(*m, u"b.example"_s));
        QVERIFY(storedZone(*m, u"a.example"_s));
        QCOMPARE(logCount(*m, u"Zone 'b.example' removed successfully"_s, LogLevel::info), 1);

        const Finish again = finishOf(m.get(), [&] { return m->removeZone(goes); });
        QCOMPARE(again.count, 1);
        QVERIFY(!again.applied);
        QCOMPARE(again.message, u"Zone 'b.example' is not in the zone list"_s);
        QCOMPARE(m->zones(), QList<ZonePtr>{stays});
    }

    // A removal whose server step fails: named.conf names the zone again, its file was never
    // touched, and the zone stays listed and stored.
    void removeZoneRollsBack() {
        const QString calls = standInReload(1);
        auto m = manager();
        const ZonePtr zone = addedZone(*m, u"b.example"_s);
        QVERIFY(zone);
        const QByteArray file = readFile(zone->filePath());
        const QByteArray conf = withoutDate(readFile(namedConf()));
        QVERIFY(conf.contains(statementOf(u"b.example"_s)));
        const QByteArray stored = storedBytes(*m);
        m->setServerStatus(ServerStatus::running);
        const Finish finish = finishOf(m.get(), [&] { return m->removeZone(zone); });
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.early && !finish.applied);
        QVERIFY(!finish.message.isEmpty());
        settle();
        // Only the failed reconfiguration: a step that failed has nothing to undo.
        QCOMPARE(readFile(calls), "reload\n"_ba);
        QCOMPARE(withoutDate(readFile(namedConf())), conf);
        QCOMPARE(readFile(zone->filePath()), file);
        QCOMPARE(m->zones(), QList<ZonePtr>{zone});
        QCOMPARE(m->configuration()->zoneFiles().value(u"b.example"_s), u"db.b.example"_s);
        QCOMPARE(storedBytes(*m), stored);
        QCOMPARE(logMessages(*m).filter(u"❌ Zone 'b.example' was not removed (server): "_s).size(),
                 1);
        QCOMPARE(logCount(*m, u"Zone 'b.example' removed successfully"_s), 0);
    }
};

QTEST_GUILESS_MAIN(TestZoneOperations)
#include "tst_zone_operations.moc"
