// Zones kept in the zone database by the manager (kept across a restart, the zone list
// before the records, the first start's import, a write that fails, a damaged file, nothing
// left at quit) and zones and settings read back from BIND's own files.
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "StoredZones.h"
#include "manager/ZoneStorage.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// Records of every optional field in turn; a TXT value holds "/" and non-ASCII text. Record
// changes are written (and judged by BIND's checker) before they are stored: a zone they are
// made to is given a folder Korvi may write and the records the checker wants (an NS record,
// addresses for the names the records point at), listed first.
ZonePtr sampleZone(const QString& name, int recordCount, bool withSoa,
                   const QString& folder = u"/usr/local/var/named"_s, bool servable = false) {
    const ZonePtr zone = ZonePtr::create(name, folder + u"/db."_s + name);
    const DNSRecord kinds[] = {
        DNSRecord(u"host"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600),
        DNSRecord({}, DNSRecordType::MX, u"mail."_s + name + u'.', 7200, opts("priority=1")),
        DNSRecord(u"_sip._tcp"_s, DNSRecordType::SRV, u"sip"_s, 300,
                  opts("priority=10 weight=5 port=5060")),
        DNSRecord({}, DNSRecordType::CAA, u"letsencrypt.org"_s, 86400, opts("flag=0 tag=issue")),
        DNSRecord(u"_443._tcp"_s, DNSRecordType::TLSA, u"abcdef0123456789"_s, 600,
                  opts("algorithm=4 digestType=1 usage=3 selector=1")),
        DNSRecord(u"txt"_s, DNSRecordType::TXT, u"\"see https://example.net/a/b – żółw ✓\""_s, 60)};
    QList<DNSRecord> records;
    if (servable) {
        records = {DNSRecord({}, DNSRecordType::NS, u"ns.example.net."_s, 3600),
                   DNSRecord(u"mail"_s, DNSRecordType::A, u"192.0.2.25"_s, 3600),
                   DNSRecord(u"sip"_s, DNSRecordType::A, u"192.0.2.26"_s, 3600)};
    }
    for (int i = 0; i < recordCount; ++i) {
        records.append(kinds[i % 6]);
        records.last().id = QUuid::createUuid();
    }
    zone->setRecords(records);
    if (withSoa)
        zone->setSoaRecord(SOARecord{u"ns1.x."_s, u"admin.x."_s, 2025030500 + recordCount});
    return zone;
}

// Each zone in one line: id, name, file, every record whole, serial.
QStringList zoneSummary(const QList<ZonePtr>& zones) {
    QStringList out;
    for (const ZonePtr& zone : zones) {
        QStringList records;
        for (const DNSRecord& record : zone->records())
            records.append(
                QString::fromUtf8(QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact)));
        out.append(uuidText(zone->id()) + u'|' + zone->name() + u'|' + zone->filePath() + u'|' +
                   records.join(u',') + u'|' +
                   (zone->soaRecord() ? QString::number(zone->soaRecord()->serial) : u"-"_s));
    }
    return out;
}

const QByteArray zoneText = "@ 3600 IN SOA ns1.example.com. admin.example.com. 2025030501 3600 "
                            "1800 1209600 86400\nwww 300 IN A 192.0.2.10\n"
                            "@ 3600 IN MX 10 mail.example.com.\n";

QByteArray confWithZones(const QStringList& zones) {
    QString text = u"options {\n    directory \"/x\";\n    recursion no;\n};\n"_s;
    for (const QString& zone : zones)
        text += u"zone \"%1\" IN { type master; file \"%2\"; };\n"_s.arg(zone.section(u'=', 0, 0),
                                                                         zone.section(u'=', 1));
    return text.toUtf8();
}

QStringList zoneNames(const DNSServerManager& m) {
    QStringList names;
    for (const ZonePtr& zone : m.zones())
        names.append(zone->name());
    return names;
}

QString databasePath(const Host& host) {
    return host.layout.dataDirectory + u'/' + ZoneDatabase::databaseFileName();
}

} // namespace

class TestStorage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Zones and records come back after a restart with their ids; the zone list (names and
    // counts) arrives before any record, and the records follow zone by zone.
    void keptAcrossRestart() {
        Host host;
        QStringList expected;
        {
            auto m = host.manager();
            const ZonePtr first =
                sampleZone(u"first.example"_s, 7, true, host.layout.zoneDirectory, true);
            m->setZones({first, sampleZone(u"second.example"_s, 3, false)});
            m->addRecord(DNSRecord(u"new"_s, DNSRecordType::A, u"192.0.2.77"_s, 120), first);
            DNSRecord changed = first->records().at(3); // the first sample, after NS and two As
            changed.value = u"192.0.2.99"_s;
            m->updateRecord(changed, first);
            m->deleteRecord(first->records().at(4), first);
            QVERIFY(waitForStorage(*m));
            expected = zoneSummary(m->zones());
            QVERIFY(expected.at(0).contains(u"192.0.2.77"_s));
            QVERIFY(!expected.at(0).endsWith(u"|2025030507"_s)); // the serial moved
        }
        // A manager made here, not through the host, so the first zone list is seen.
        auto m = std::make_unique<DNSServerManager>(host.layout, host.preferences());
        QStringList atFirstList;
        connect(m.get(), &DNSServerManager::zonesChanged, this, [&] {
            if (!atFirstList.isEmpty())
                return;
            for (const ZonePtr& zone : m->zones())
                atFirstList.append(u"%1 %2 %3"_s.arg(zone->name())
                                       .arg(zone->recordCount())
                                       .arg(zone->recordsLoaded()));
        });
        QVERIFY(waitForDetections(*m));
        QCOMPARE(atFirstList, QStringList({u"first.example 10 0"_s, u"second.example 3 0"_s}));
        QCOMPARE(zoneSummary(m->zones()), expected);
        QCOMPARE(m->totalRecords(), 13);
    }

    // First start with zones in the preferences: imported once, the preferences untouched.
    void importedOnceOnFirstStart() {
        Host host;
        const QList<ZonePtr> zones = {sampleZone(u"old-one.example"_s, 6, true),
                                      sampleZone(u"old-two.example"_s, 2, false)};
        QList<ZoneStorageData> data;
        for (const ZonePtr& zone : zones)
            data.append({zone->name(), zone->filePath(), zone->records(), zone->soaRecord(),
                         QDateTime::currentDateTimeUtc()});
        const auto document = ZoneStorage::encode(data);
        QVERIFY(document);
        auto preferences = host.preferences();
        preferences->setData(ZoneStorage::savedZonesKey(), *document);
        preferences->synchronize();
        const QByteArray before = readFile(host.path(u"prefs.ini"_s));

        auto m = host.manager(preferences);
        QCOMPARE(zoneNames(*m), QStringList({"old-one.example", "old-two.example"}));
        QCOMPARE(m->zones().at(0)->records().size(), 6);
        QCOMPARE(m->zones().at(0)->records().at(5).value, zones.at(0)->records().at(5).value);
        QCOMPARE(logMessages(*m).filter(u"📥 Imported 2 zones with 8 records"_s).size(), 1);
        m.reset();
        QCOMPARE(readFile(host.path(u"prefs.ini"_s)), before);

        auto again = host.manager(preferences);
        QCOMPARE(zoneNames(*again), QStringList({"old-one.example", "old-two.example"}));
        QVERIFY(logMessages(*again).filter(u"📥 Imported"_s).isEmpty());
    }

    // A change the database refuses is logged as not stored, naming the change.
    void failedWriteIsReported() {
        Host host;
        auto m = host.manager();
        const ZonePtr zone =
            sampleZone(u"gone.example"_s, 2, true, host.layout.zoneDirectory, true);
        m->setZones({zone});
        QVERIFY(waitForStorage(*m));
        {
            ZoneStore behindTheBack;
            QVERIFY(behindTheBack.open(databasePath(host)));
            QVERIFY(behindTheBack.removeZone(zone->id()));
        }
        m->addRecord(DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.5"_s, 60), zone);
        QVERIFY(waitForStorage(*m));
        QTRY_COMPARE(logMessages(*m).filter(u"❌ The change was not stored: "_s).size(), 1);
        const QStringList failures = logMessages(*m).filter(u"❌ The change was not stored: "_s);
        QVERIFY2(failures.first().endsWith(u"(A record 'www' in zone 'gone.example')"_s),
                 qPrintable(failures.first()));
        QVERIFY(logMessages(*m).filter(u"💾 Saved"_s).isEmpty());
    }

    // Damage found at start is named as damage, and the last good copy takes over.
    void damagedDatabaseFallsBackToGoodCopy() {
        Host host;
        QStringList expected;
        {
            auto m = host.manager();
            m->setZones({sampleZone(u"safe.example"_s, 12, true)});
            QVERIFY(waitForStorage(*m));
            expected = zoneSummary(m->zones());
        }
        host.manager().reset(); // this start's good copy holds the zone
        QFile file(databasePath(host));
        QVERIFY(file.open(QIODevice::ReadWrite));
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("damage seed: %u", seed);
        QRandomGenerator random(seed);
        QByteArray noise(int(file.size()), 0);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        file.write(noise);
        file.close();

        auto m = host.manager();
        QCOMPARE(logMessages(*m).filter(u"❌ The zone database is damaged"_s).size(), 1);
        QCOMPARE(logMessages(*m).filter(u"🔄 Went back to the last good copy"_s).size(), 1);
        QVERIFY(logMessages(*m).filter(u"No saved zones found"_s).isEmpty());
        QCOMPARE(zoneSummary(m->zones()), expected);
    }

    // Quitting saves named.conf only: every change was stored when it was made. A zone whose
    // records are still loading refuses a change and stays as it is.
    void quitAndLoadingZone() {
        Host host;
        auto m = host.manager();
        m->setZones({sampleZone(u"quit.example"_s, 3, true)});
        QVERIFY(waitForStorage(*m));
        m->applicationWillTerminate();
        QVERIFY(!m->hasPendingStorageWrites());
        QTRY_COMPARE(logMessages(*m).last(), u"💾 Configuration saved on app termination"_s);

        const auto loading = ZonePtr::create(QUuid::createUuid(), u"loading.example"_s,
                                             host.path(u"var/named/db.loading"_s), 4);
        m->setZones({m->zones().first(), loading});
        m->addRecord(DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.5"_s, 60), loading);
        QTRY_COMPARE(logMessages(*m).last(),
                     u"⏳ The records of zone 'loading.example' are still loading; nothing was "
                     "changed, try again in a moment"_s);
        QVERIFY(loading->records().isEmpty() && !loading->soaRecord());
        QVERIFY(waitForStorage(*m));
        QCOMPARE(storedZones(*m)->size(), 1); // the loading zone is not written empty
    }

    // One line per entry: read, outside, missing, refused by the zone reader; zones in name
    // order; a zone already stored wins over its file.
    void eachEntryOfTheMap() {
        Host host;
        host.write(u"var/named/db.b.example"_s, zoneText);
        host.write(u"var/named/db.a.example"_s, "www 60 IN A 192.0.2.1\n");
        host.write(u"var/named/db.bad"_s, "www 60 IN A 192.0.2.300\n");
        host.write(u"var/named/db.stored"_s, zoneText);
        auto m = host.manager();
        const auto stored = ZonePtr::create(u"stored.example"_s, u"/elsewhere"_s);
        m->setZones({stored});
        const qsizetype before = m->logs().size();
        m->configuration()->setZoneFiles({{"b.example", "db.b.example"},
                                          {"a.example", "db.a.example"},
                                          {"c.example", "../../../outside/db.x"},
                                          {"d.example", "db.missing"},
                                          {"e.example", "db.bad"},
                                          {"stored.example", "db.stored"}});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(zoneNames(*m), QStringList({"stored.example", "a.example", "b.example"}));
        QVERIFY(m->zones().at(0) == stored && stored->records().isEmpty());
        const ZonePtr b = m->zones().at(2);
        QCOMPARE(b->filePath(), host.path(u"var/named/db.b.example"_s));
        QCOMPARE(b->records().size(), 2);
        QCOMPARE(b->soaRecord()->serial, 2025030501);
        const QString dir = host.path(u"var/named/"_s);
        QCOMPARE(
            withoutTimeStamps(m->logs().mid(before)),
            QStringList({infoLine("📁 Found 6 zone(s) in BIND configuration"),
                         infoLine("✅ Loaded zone 'a.example' from file system (1 records)"),
                         infoLine("✅ Loaded zone 'b.example' from file system (2 records)"),
                         infoLine("❌ Invalid zone file path: " + dir + "../../../outside/db.x"),
                         infoLine("❌ Zone file not found: " + dir + "db.missing"),
                         warningLine("❌ Zone 'e.example' not loaded: " + dir +
                                     "db.bad, line 1: invalid IPv4 address"),
                         infoLine("⏭️ Zone 'stored.example' already loaded from app storage, "
                                  "skipping file system version")}));
        m->configuration()->setZoneFiles({});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(logMessages(*m).last(), u"📁 No zones found in BIND configuration file"_s);
    }

    // named.conf read, zones from Korvi's own folder; an outside path, an unreadable file.
    void configurationFromFile() {
        Host host;
        host.write(u"var/named/db.example.com"_s, zoneText);
        host.write(u"etc/named.conf"_s,
                   confWithZones({"example.com=/opt/local/var/named/db.example.com"}));
        auto m = host.manager();
        m->loadConfigurationFromFile();
        settle();
        QCOMPARE(m->configuration()->recursion(), false);
        QCOMPARE(zoneNames(*m), QStringList({"example.com"}));
        QCOMPARE(m->zones().first()->filePath(), host.path(u"var/named/db.example.com"_s));
        QCOMPARE(logCount(*m, "📋 Loaded BIND configuration from " + host.path(u"etc/named.conf"_s),
                          LogLevel::info),
                 1);

        // Not valid UTF-8: the settings stay, the zones still load, the status is checked.
        host.write(u"etc/named.conf"_s, "recursion no;\n\xc3");
        auto unreadable = host.manager(host.preferences(u"second.ini"_s));
        unreadable->configuration()->setZoneFile(u"example.com"_s, u"db.example.com"_s);
        unreadable->loadConfigurationFromFile();
        settle();
        QVERIFY(unreadable->configuration()->recursion());
        QCOMPARE(zoneNames(*unreadable), QStringList({"example.com"}));
        QCOMPARE(unreadable->serverStatus(), ServerStatus::notInstalled);

        host.layout.namedConfigPath = u"/etc/named.conf"_s;
        auto outside = host.manager(host.preferences(u"third.ini"_s));
        QSignalSpy statusChecks(outside.get(), &DNSServerManager::serverStatusChanged);
        outside->loadConfigurationFromFile();
        settle();
        QCOMPARE(withoutTimeStamps(outside->logs()).last(),
                 infoLine(u"Invalid configuration file path"_s));
        QCOMPARE(statusChecks.count(), 0);
    }

    // Refresh replaces the zones and stores them; without zones in named.conf it keeps them.
    void refresh() {
        Host host;
        host.write(u"var/named/db.one.example"_s, zoneText);
        host.write(u"var/named/db.two.example"_s, zoneText);
        host.write(u"etc/named.conf"_s,
                   confWithZones({"two.example=db.two.example", "one.example=db.one.example"}));
        auto m = host.manager();
        m->setZones({ZonePtr::create(u"only-in-korvi.example"_s, QString())});
        m->refreshFromFileSystem();
        settle();
        QCOMPARE(zoneNames(*m), QStringList({"one.example", "two.example"}));
        QCOMPARE(logCount(*m, u"Refreshed 2 zones from BIND configuration"_s, LogLevel::success),
                 1);
        const auto stored = storedZones(*m);
        QVERIFY(stored && stored->size() == 2 && stored->at(0).zone.name == u"one.example"_s);
        QCOMPARE(stored->at(0).records.size(), 2);
        m.reset();

        host.write(u"etc/named.conf"_s, confWithZones({}));
        host.layout.dataDirectory = host.path(u"second-data"_s);
        auto second = host.manager(host.preferences(u"second.ini"_s));
        const auto kept = ZonePtr::create(u"kept.example"_s, host.path(u"var/named/db.kept"_s));
        second->setZones({kept});
        second->configuration()->setZoneFile(u"kept.example"_s, u"db.kept"_s);
        second->refreshFromFileSystem();
        settle();
        QCOMPARE(second->zones(), QList<ZonePtr>({kept}));
        QCOMPARE(second->configuration()->zoneFiles().value(u"kept.example"_s), u"db.kept"_s);
        QCOMPARE(withoutTimeStamps(second->logs()).last(),
                 warningLine(u"No zones found in file system, keeping existing zones"_s));
        const auto secondStored = storedZones(*second);
        QVERIFY(secondStored && secondStored->size() == 1);
        QCOMPARE(secondStored->at(0).zone.id, kept->id());
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
