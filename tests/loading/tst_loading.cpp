// Zones and settings read back from BIND's own files.
#include <QtTest>

#include "HostTestSupport.h"
#include "manager/ZoneStorage.h"

using namespace korvi;
using namespace korvi::test;

namespace {

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

} // namespace

class TestLoading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One entry per outcome: read, outside, missing, not UTF-8; zones in name order.
    void eachEntryOfTheMap() {
        Host host;
        host.write(u"var/named/db.b.example"_s, zoneText);
        host.write(u"var/named/db.a.example"_s, "www 60 IN A 192.0.2.1\n");
        host.write(u"var/named/db.bad"_s, "www 60 IN TXT \"\xff\xfe\"\n");
        auto m = host.manager();
        const qsizetype before = m->logs().size();
        m->configuration()->setZoneFiles({{"b.example", "db.b.example"},
                                          {"a.example", "db.a.example"},
                                          {"c.example", "../../../outside/db.x"},
                                          {"d.example", "db.missing"},
                                          {"e.example", "db.bad"}});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(zoneNames(*m), QStringList({"a.example", "b.example"}));
        const ZonePtr b = m->zones().at(1);
        QCOMPARE(b->filePath(), host.path(u"var/named/db.b.example"_s));
        QCOMPARE(b->records().size(), 2);
        QCOMPARE(b->soaRecord()->serial, 2025030501);
        const QString dir = host.path(u"var/named/"_s);
        QCOMPARE(
            withoutTimeStamps(m->logs().mid(before)),
            QStringList({infoLine("📁 Found 5 zone(s) in BIND configuration"),
                         infoLine("✅ Loaded zone 'a.example' from file system (1 records)"),
                         infoLine("✅ Loaded zone 'b.example' from file system (2 records)"),
                         infoLine("❌ Invalid zone file path: " + dir + "../../../outside/db.x"),
                         infoLine("❌ Zone file not found: " + dir + "db.missing"),
                         infoLine("❌ Failed to read zone file: " + dir + "db.bad")}));
        m->configuration()->setZoneFiles({});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(logMessages(*m).last(), u"📁 No zones found in BIND configuration file"_s);
    }

    void storedZoneWins() {
        Host host;
        host.write(u"var/named/db.example.com"_s, zoneText);
        auto m = host.manager();
        auto stored = ZonePtr::create(u"example.com"_s, u"/elsewhere"_s);
        m->setZones({stored});
        m->configuration()->setZoneFile(u"example.com"_s, u"db.example.com"_s);
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(m->zones(), QList<ZonePtr>{stored});
        QVERIFY(stored->records().isEmpty());
        QCOMPARE(logCount(*m,
                          u"⏭️ Zone 'example.com' already loaded from app storage, skipping "
                          "file system version"_s,
                          LogLevel::info),
                 1);
    }

    void configurationFromFile() {
        Host host;
        host.write(u"var/named/db.example.com"_s, zoneText);
        host.write(u"etc/named.conf"_s,
                   confWithZones({"example.com=/opt/local/var/named/db.example.com"}));
        auto m = host.manager();
        QVERIFY(m->configuration()->recursion());
        m->loadConfigurationFromFile();
        settle();
        QCOMPARE(m->configuration()->recursion(), false);
        QCOMPARE(zoneNames(*m), QStringList({"example.com"}));
        // The file clause named another folder; the zone is read from Korvi's.
        QCOMPARE(m->zones().first()->filePath(), host.path(u"var/named/db.example.com"_s));
        QCOMPARE(logCount(*m, "📋 Loaded BIND configuration from " + host.path(u"etc/named.conf"_s),
                          LogLevel::info),
                 1);

        host.layout.namedConfigPath = u"/etc/named.conf"_s;
        auto outside = host.manager();
        QSignalSpy statusChecks(outside.get(), &DNSServerManager::serverStatusChanged);
        outside->loadConfigurationFromFile();
        settle();
        QCOMPARE(withoutTimeStamps(outside->logs()).last(),
                 infoLine(u"Invalid configuration file path"_s));
        QCOMPARE(statusChecks.count(), 0);
    }

    void unreadableConfigurationStillLoadsAndChecks() {
        Host host;
        host.write(u"var/named/db.example.com"_s, zoneText);
        host.write(u"etc/named.conf"_s, "recursion no;\n\xc3");
        auto m = host.manager();
        m->configuration()->setZoneFile(u"example.com"_s, u"db.example.com"_s);
        m->loadConfigurationFromFile();
        settle();
        QVERIFY(m->configuration()->recursion()); // the file was not read
        QCOMPARE(zoneNames(*m), QStringList({"example.com"}));
        QCOMPARE(m->serverStatus(), ServerStatus::notInstalled); // the status check ran
    }

    void refresh() {
        Host host;
        host.write(u"var/named/db.one.example"_s, zoneText);
        host.write(u"var/named/db.two.example"_s, zoneText);
        host.write(u"etc/named.conf"_s,
                   confWithZones({"two.example=db.two.example", "one.example=db.one.example"}));
        auto m = host.manager();
        const ZonePtr onlyInKorvi = ZonePtr::create(u"only-in-korvi.example"_s, QString());
        m->setZones({onlyInKorvi});
        m->refreshFromFileSystem();
        settle();
        QCOMPARE(zoneNames(*m), QStringList({"one.example", "two.example"}));
        QCOMPARE(logCount(*m, u"Refreshed 2 zones from BIND configuration"_s, LogLevel::success),
                 1);
        const auto stored =
            ZoneStorage::decodeCurrent(*m->preferences().data(ZoneStorage::savedZonesKey()));
        QVERIFY(stored && stored->size() == 2);
        QCOMPARE(stored->at(0).name, u"one.example"_s);

        // Without zones in named.conf the zones are kept, and named.conf keeps naming them.
        host.write(u"etc/named.conf"_s, confWithZones({}));
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
        QVERIFY(!second->preferences().data(ZoneStorage::savedZonesKey()).has_value());
    }
};

QTEST_GUILESS_MAIN(TestLoading)
#include "tst_loading.moc"
