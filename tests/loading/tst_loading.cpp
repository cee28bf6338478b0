// Zones and settings read back from BIND's own files.

#include <QtTest>

#include "TestHost.h"
#include "manager/ZoneStorage.h"

using namespace korvi;
using namespace korvi::testing;

namespace {

const QByteArray zoneText = "@ 3600 IN SOA ns1.example.com. admin.example.com. 2025030501 3600 "
                            "1800 1209600 86400\n"
                            "www 300 IN A 192.0.2.10\n"
                            "@ 3600 IN MX 10 mail.example.com.\n";

QString confWithZones(const QStringList& zoneLines) {
    return QStringLiteral("options {\n    directory \"/x\";\n    recursion no;\n};\n") +
           zoneLines.join(u'\n') + u'\n';
}

QString zoneLine(const QString& name, const QString& file) {
    return QStringLiteral("zone \"%1\" IN { type master; file \"%2\"; };").arg(name, file);
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
    void eachEntryOfTheMap();
    void storedZoneWins();
    void configurationFromFile();
    void unreadableConfigurationStillLoadsAndChecks();
    void refreshReplacesZones();
    void refreshWithoutZonesKeepsThem();
};

// One map, one entry per outcome: read, outside the allowed folders, missing,
// not UTF-8. Zones come in name order, with paths in the zone folder.
void TestLoading::eachEntryOfTheMap() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.b.example"), zoneText));
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.a.example"), "www 60 IN A 192.0.2.1\n"));
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.bad"), "www 60 IN TXT \"\xff\xfe\"\n"));
    auto m = host.makeManager();
    const qsizetype before = m->logs().size();
    m->configuration()->setZoneFiles({{"b.example", "db.b.example"},
                                      {"a.example", "db.a.example"},
                                      {"c.example", "../../../outside/db.x"},
                                      {"d.example", "db.missing"},
                                      {"e.example", "db.bad"}});
    m->loadZonesFromBindConfiguration();
    TestHost::settle();

    QCOMPARE(zoneNames(*m), QStringList({"a.example", "b.example"}));
    const ZonePtr b = m->zones().at(1);
    QCOMPARE(b->filePath(), host.path("var/named/db.b.example"));
    QCOMPARE(b->records().size(), 2);
    QVERIFY(b->soaRecord().has_value());
    QCOMPARE(b->soaRecord()->serial, 2025030501);

    const QStringList lines = logMessages(*m).mid(before);
    const QString dir = host.path("var/named/");
    QCOMPARE(lines, QStringList({
                        infoLine("📁 Found 5 zone(s) in BIND configuration"),
                        infoLine("✅ Loaded zone 'a.example' from file system (1 records)"),
                        infoLine("✅ Loaded zone 'b.example' from file system (2 records)"),
                        infoLine("❌ Invalid zone file path: " + dir + "../../../outside/db.x"),
                        infoLine("❌ Zone file not found: " + dir + "db.missing"),
                        infoLine("❌ Failed to read zone file: " + dir + "db.bad"),
                    }));

    m->configuration()->setZoneFiles({});
    m->loadZonesFromBindConfiguration();
    TestHost::settle();
    QCOMPARE(logMessages(*m).last(), infoLine("📁 No zones found in BIND configuration file"));
}

void TestLoading::storedZoneWins() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.example.com"), zoneText));
    auto m = host.makeManager();
    auto stored = ZonePtr::create(QStringLiteral("example.com"), QStringLiteral("/elsewhere"));
    m->setZones({stored});
    m->configuration()->setZoneFile(QStringLiteral("example.com"),
                                    QStringLiteral("db.example.com"));
    m->loadZonesFromBindConfiguration();
    TestHost::settle();
    QCOMPARE(m->zones().size(), 1);
    QCOMPARE(m->zones().first(), stored);
    QVERIFY(stored->records().isEmpty());
    QVERIFY(logMessages(*m).contains(
        infoLine("⏭️ Zone 'example.com' already loaded from app storage, skipping file system "
                 "version")));
}

void TestLoading::configurationFromFile() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.example.com"), zoneText));
    QVERIFY(host.writeFile(
        QStringLiteral("etc/named.conf"),
        confWithZones({zoneLine("example.com", "/opt/local/var/named/db.example.com")}).toUtf8()));
    auto m = host.makeManager();
    QVERIFY(m->configuration()->recursion());
    m->loadConfigurationFromFile();
    TestHost::settle();
    QCOMPARE(m->configuration()->recursion(), false);
    QCOMPARE(zoneNames(*m), QStringList({"example.com"}));
    // The file clause named another folder; the zone is read from Korvi's.
    QCOMPARE(m->zones().first()->filePath(), host.path("var/named/db.example.com"));
    QVERIFY(logMessages(*m).contains(
        infoLine("📋 Loaded BIND configuration from " + host.path("etc/named.conf"))));

    host.layout().namedConfigPath = QStringLiteral("/etc/named.conf");
    auto outside = host.makeManager();
    QSignalSpy statusChecks(outside.get(), &DNSServerManager::serverStatusChanged);
    outside->loadConfigurationFromFile();
    TestHost::settle();
    QCOMPARE(logMessages(*outside).last(), infoLine("Invalid configuration file path"));
    QCOMPARE(statusChecks.count(), 0); // no status check
}

void TestLoading::unreadableConfigurationStillLoadsAndChecks() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.example.com"), zoneText));
    QVERIFY(host.writeFile(QStringLiteral("etc/named.conf"), "recursion no;\n\xc3"));
    auto m = host.makeManager();
    m->configuration()->setZoneFile(QStringLiteral("example.com"),
                                    QStringLiteral("db.example.com"));
    m->loadConfigurationFromFile();
    TestHost::settle();
    QVERIFY(m->configuration()->recursion()); // the file was not read
    QCOMPARE(zoneNames(*m), QStringList({"example.com"}));
    // BIND is not installed here, so the status check says so.
    QCOMPARE(m->serverStatus(), ServerStatus::notInstalled);
}

void TestLoading::refreshReplacesZones() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.one.example"), zoneText));
    QVERIFY(host.writeFile(QStringLiteral("var/named/db.two.example"), zoneText));
    QVERIFY(host.writeFile(QStringLiteral("etc/named.conf"),
                           confWithZones({zoneLine("two.example", "db.two.example"),
                                          zoneLine("one.example", "db.one.example")})
                               .toUtf8()));
    auto m = host.makeManager();
    const ZonePtr onlyInKorvi = ZonePtr::create(QStringLiteral("only-in-korvi.example"), QString());
    m->setZones({onlyInKorvi});
    m->refreshFromFileSystem();
    TestHost::settle();

    QCOMPARE(zoneNames(*m), QStringList({"one.example", "two.example"}));
    QVERIFY(logMessages(*m).contains(successLine("Refreshed 2 zones from BIND configuration")));
    const auto stored =
        ZoneStorage::decodeCurrent(*m->preferences().data(ZoneStorage::savedZonesKey()));
    QVERIFY(stored.has_value());
    QCOMPARE(stored->size(), 2);
    QCOMPARE(stored->at(0).name, QStringLiteral("one.example"));
}

void TestLoading::refreshWithoutZonesKeepsThem() {
    TestHost host;
    QVERIFY(host.writeFile(QStringLiteral("etc/named.conf"), confWithZones({}).toUtf8()));
    auto m = host.makeManager();
    const auto kept =
        ZonePtr::create(QStringLiteral("kept.example"), host.path("var/named/db.kept"));
    m->setZones({kept});
    m->configuration()->setZoneFile(QStringLiteral("kept.example"), QStringLiteral("db.kept"));
    m->refreshFromFileSystem();
    TestHost::settle();
    QCOMPARE(m->zones(), QList<ZonePtr>({kept}));
    // named.conf keeps naming the zone that was kept.
    QCOMPARE(m->configuration()->zoneFiles().value(QStringLiteral("kept.example")),
             QStringLiteral("db.kept"));
    QCOMPARE(logMessages(*m).last(),
             warningLine("No zones found in file system, keeping existing zones"));
    QVERIFY(!m->preferences().data(ZoneStorage::savedZonesKey()).has_value());
}

QTEST_GUILESS_MAIN(TestLoading)
#include "tst_loading.moc"
