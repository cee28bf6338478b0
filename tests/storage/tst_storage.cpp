// Zones kept in the preferences (the stored document, its backup, the current and the older
// form, damaged documents) and zones and settings read back from BIND's own files.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <functional>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "manager/ZoneStorage.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString savedKey = u"Korvi_SavedZones"_s;
const QString backupKey = u"Korvi_SavedZones_Backup"_s;
const QString loadingLine = u"🔄 Loading zones from UserDefaults..."_s;
const QString legacyTryLine = u"⚠️ Failed to load with new format, trying legacy format..."_s;
const QString failurePrefix = u"❌ Failed to load zones from app storage: "_s;
const QString restoreLine = infoLine(u"🔄 Attempting to restore from backup..."_s);

QString foundLine(qsizetype bytes) {
    return u"✅ Found zone data in UserDefaults (%1 bytes)"_s.arg(bytes);
}
QStringList savedLines(int count, const QString& names) {
    return {infoLine(u"💾 Saved %1 zones to app storage with backup"_s.arg(count)),
            u"💾 Saved zones to UserDefaults: "_s + names};
}
QStringList loadedLines(int count, const QString& names, const QString& legacy = {}) {
    const QString loaded = u"📱 Loaded %1 zones from app storage"_s.arg(count) + legacy;
    return {infoLine(loaded), u"✅ "_s + loaded + u": "_s + names};
}
QByteArray valueOf(const PreferencesStore& preferences, const QString& key) {
    return preferences.data(key).value_or("<none>"_ba);
}
// The lines of one load pass over a document that cannot be read.
QStringList failedPass(const QByteArray& document) {
    QString error;
    ZoneStorage::decodeLegacy(document, &error);
    const QString failure = failurePrefix + error;
    return {loadingLine, foundLine(document.size()), legacyTryLine, infoLine(failure), failure};
}

// Records of every optional field in turn; a TXT value holds "/" and non-ASCII text.
ZonePtr sampleZone(const QString& name, int recordCount, bool withSoa) {
    const ZonePtr zone = ZonePtr::create(name, u"/usr/local/var/named/db."_s + name);
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
    for (int i = 0; i < recordCount; ++i) {
        records.append(kinds[i % 6]);
        records.last().id = QUuid::createUuid();
    }
    zone->setRecords(records);
    if (withSoa)
        zone->setSoaRecord(SOARecord{u"ns1.x."_s, u"admin.x."_s, 2025030500 + recordCount});
    return zone;
}

// Each zone in one line: name, file, record ids, serial.
QStringList zoneSummary(const QList<ZonePtr>& zones) {
    QStringList out;
    for (const ZonePtr& zone : zones) {
        QStringList ids;
        for (const DNSRecord& record : zone->records())
            ids.append(uuidText(record.id));
        out.append(zone->name() + u'|' + zone->filePath() + u'|' + ids.join(u',') + u'|' +
                   (zone->soaRecord() ? QString::number(zone->soaRecord()->serial) : u"-"_s));
    }
    return out;
}

// The bytes a manager stores for these zones (made on a scratch host).
QByteArray storedDocument(const QList<ZonePtr>& zones) {
    Host scratch;
    auto preferences = scratch.preferences();
    auto manager = scratch.manager(preferences);
    manager->setZones(zones);
    scratch.lines([&] { manager->saveZonesToStorage(); });
    return valueOf(*preferences, savedKey);
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

} // namespace

class TestStorage : public QObject {
    Q_OBJECT

    Host m_host;
    std::shared_ptr<PreferencesStore> m_preferences = m_host.preferences();
    std::unique_ptr<DNSServerManager> m_manager; // on m_preferences
    QByteArray m_backup;                         // a stored document of two zones
    QStringList m_backupSummary;
    const QList<ZonePtr> m_before = {sampleZone(u"in-memory.example"_s, 1, false)};

    // Stores `main`, and `backup` (none when null); gives the manager m_before.
    void prepare(const QByteArray& main, const QByteArray& backup) {
        m_preferences->setData(savedKey, main);
        if (backup.isNull())
            m_preferences->remove(backupKey);
        else
            m_preferences->setData(backupKey, backup);
        m_manager->setZones(m_before);
    }
    QStringList load(const QByteArray& main, const QByteArray& backup) {
        prepare(main, backup);
        return m_host.lines([&] { m_manager->loadZonesFromStorage(); });
    }

private Q_SLOTS:
    void initTestCase() {
        const QList<ZonePtr> backup = {sampleZone(u"backup-one.example"_s, 4, true),
                                       sampleZone(u"backup-two.example"_s, 1, false)};
        m_backup = storedDocument(backup);
        m_backupSummary = zoneSummary(backup);
        m_manager = m_host.manager(m_preferences);
    }
    void cleanupTestCase() { m_manager.reset(); }

    // Nothing stored, "[]" stored and loaded, the first save kept as the backup.
    void saveAndLoad() {
        Host host;
        const auto preferences = host.preferences();
        QStringList startUp;
        auto manager = host.manager(preferences, &startUp);
        QVERIFY(startUp.contains(u"📱 App storage loading complete. Current zones: 0"_s));
        const QList<ZonePtr> zones = {sampleZone(u"a.example"_s, 2, true)};
        manager->setZones(zones);
        QCOMPARE(host.lines([&] { manager->loadZonesFromStorage(); }),
                 QStringList({loadingLine, u"❌ No zone data found in UserDefaults"_s,
                              infoLine(u"No saved zones found in app storage"_s)}));
        QCOMPARE(manager->zones(), zones);
        manager->setZones({});
        QCOMPARE(host.lines([&] { manager->saveZonesToStorage(); }), savedLines(0, u"[]"_s));
        QCOMPARE(valueOf(*preferences, backupKey), "<none>"_ba);
        QCOMPARE(valueOf(*host.preferences(), savedKey), "[]"_ba); // flushed to the file
        manager->setZones(zones);
        QSignalSpy zonesChanged(manager.get(), &DNSServerManager::zonesChanged);
        QCOMPARE(host.lines([&] { manager->loadZonesFromStorage(); }),
                 QStringList({loadingLine, foundLine(2)}) + loadedLines(0, u"[]"_s));
        QVERIFY(manager->zones().isEmpty() && zonesChanged.count() >= 1);

        manager->setZones(zones + QList{sampleZone(u"b.example"_s, 1, false)});
        QCOMPARE(host.lines([&] { manager->saveZonesToStorage(); }),
                 savedLines(2, u"[\"a.example\", \"b.example\"]"_s));
        QCOMPARE(valueOf(*preferences, backupKey), "[]"_ba);
        QCoreApplication::processEvents(); // the log line also reaches the log
        QCOMPARE(withoutTimeStamps(manager->logs()).last(), savedLines(2, {}).first());
    }

    // Compact JSON, "/" escaped, UTF-8, upper-case ids, UTC seconds; a second manager
    // reads the same zones back, slashes escaped or not.
    void documentFormAndRoundTrip() {
        const QList<ZonePtr> zones{sampleZone(u"example.com"_s, 12, true),
                                   sampleZone(u"example.org"_s, 0, false)};
        const QByteArray bytes = storedDocument(zones);
        for (qsizetype i = bytes.indexOf('/'); i >= 0; i = bytes.indexOf('/', i + 1))
            QVERIFY2(bytes.at(i - 1) == '\\', bytes.mid(qMax<qsizetype>(0, i - 20), 40));
        const QJsonDocument parsed = QJsonDocument::fromJson(bytes);
        QCOMPARE(bytes, QByteArray(parsed.toJson(QJsonDocument::Compact)).replace("/", "\\/"));
        QVERIFY(bytes.contains(u"żółw ✓"_s.toUtf8()) && !bytes.contains("null"));
        const QJsonObject first = parsed.array().at(0).toObject();
        QCOMPARE(first.keys(),
                 QStringList({"filePath", "lastModified", "name", "records", "soaRecord"}));
        QCOMPARE(parsed.array().at(1).toObject().keys(),
                 QStringList({"filePath", "lastModified", "name", "records"}));
        const QString id = first.value("records").toArray().at(0).toObject().value("id").toString();
        QCOMPARE(id, uuidText(zones[0]->records().at(0).id).toUpper());
        const QString stampText = first.value("lastModified").toString(); // UTC, whole seconds
        const QDateTime stamp = QDateTime::fromString(stampText, Qt::ISODate);
        QVERIFY2(stampText.size() == 20 && stampText.endsWith(u'Z'), qPrintable(stampText));
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTimeUtc())) < 5);
        for (const QByteArray& document : {bytes, QByteArray(bytes).replace("\\/", "/")}) {
            Host host;
            host.preferences()->setData(savedKey, document);
            QStringList startUp;
            auto second = host.manager({}, &startUp);
            QVERIFY(startUp.contains(u"✅ DNSServerManager initialization complete with 2 zones"_s));
            QCOMPARE(zoneSummary(second->zones()), zoneSummary(zones));
            QVERIFY(second->zones().at(0)->id() != zones.at(0)->id());
            for (qsizetype r = 0; r < 12; ++r)
                QCOMPARE(second->zones().at(0)->records().at(r).toJson(),
                         zones[0]->records().at(r).toJson());
            QCOMPARE(second->configuration()->zoneFiles().value(u"example.org"_s),
                     u"db.example.org"_s);
        }
    }

    // Dates in another form are the legacy format: read, then rewritten at once.
    void lastModifiedForms_data() {
        QTest::addColumn<QString>("lastModified"); // the field as stored, or nothing
        QTest::addColumn<bool>("legacy");
        QTest::newRow("UTC text") << R"("lastModified":"2025-03-05T14:07:00Z",)" << false;
        QTest::newRow("absent") << "" << false;
        QTest::newRow("number") << R"("lastModified":762876420.5,)" << true;
        QTest::newRow("fractional") << R"("lastModified":"2025-03-05T14:07:00.250Z",)" << true;
        QTest::newRow("no zone") << R"("lastModified":"2025-03-05T14:07:00",)" << true;
        QTest::newRow("words") << R"("lastModified":"yesterday",)" << true;
    }
    void lastModifiedForms() {
        QFETCH(QString, lastModified);
        QFETCH(bool, legacy);
        const QByteArray document =
            QString::fromUtf8(storedDocument({sampleZone(u"example.com"_s, 2, true),
                                              sampleZone(u"example.org"_s, 1, false)}))
                .replace(QRegularExpression(u"\"lastModified\":\"[^\"]*\","_s), lastModified)
                .toUtf8();
        QCOMPARE(ZoneStorage::decodeCurrent(document).has_value(), !legacy);
        const QString names = u"[\"example.com\", \"example.org\"]"_s;
        const QString kind = legacy ? u" (legacy)"_s : QString();
        QStringList expected = {loadingLine, foundLine(document.size())};
        if (legacy)
            expected.append(legacyTryLine);
        expected += {u"✅ Loaded zone%1: example.com with 2 records"_s.arg(kind),
                     u"✅ Loaded zone%1: example.org with 1 records"_s.arg(kind)};
        expected += loadedLines(2, names, legacy ? u" (legacy format)"_s : QString());
        if (legacy)
            expected += savedLines(2, names);
        QCOMPARE(load(document, m_backup), expected);
        QCOMPARE(m_manager->zones().size(), 2);
        // Rewritten in the current form; the legacy document became the backup.
        QCOMPARE(valueOf(*m_preferences, backupKey), legacy ? document : m_backup);
        QVERIFY(ZoneStorage::decodeCurrent(valueOf(*m_preferences, savedKey)).has_value());
    }

    // Stored names are cleaned and filed; records load as they stand; unknown keys ignored.
    void storedNameIsCleaned() {
        const QStringList texts = {" my_zone.example.com ", "/var/named/db.my_zone/",
                                   "myzone.example.com", "db.my_zone"};
        const QJsonObject record{
            {"name", " my host! "}, {"type", "A"}, {"value", " 10.0.0.g "}, {"ttl", 0}};
        const QJsonObject zone{{"name", texts[0]},
                               {"filePath", texts[1]},
                               {"records", QJsonArray{record}},
                               {"comment", "unknown keys are ignored"}};
        m_manager->configuration()->setZoneFiles({{u"kept.example"_s, u"db.kept"_s}});
        const QStringList lines = load(QJsonDocument(QJsonArray{zone}).toJson(), m_backup);
        QCOMPARE(zoneSummary(m_manager->zones()).value(0).section(u'|', 0, 1),
                 texts[2] + u'|' + texts[1]);
        QVERIFY(lines.contains(u"✅ Loaded zone: "_s + texts[0] + u" with 1 records"_s));
        QVERIFY(lines.contains(loadedLines(1, u"[\""_s + texts[2] + u"\"]"_s).last()));
        QCOMPARE(m_manager->configuration()->zoneFiles(),
                 (QMap<QString, QString>{{texts[2], texts[3]}, {u"kept.example"_s, u"db.kept"_s}}));
        const DNSRecord loaded = m_manager->zones().at(0)->records().at(0);
        QCOMPARE(loaded.name + u'|' + loaded.value + u'|' + QString::number(loaded.ttl),
                 u" my host! | 10.0.0.g |0"_s);
        QVERIFY(!loaded.id.isNull()); // missing id: a fresh one
    }

    // Text that is not valid Unicode fails the save; the stored copy falls back to the backup.
    void saveFailure() {
        const QByteArray backup = R"([{"name":"old","filePath":"","records":[]}])";
        prepare("[]"_ba, backup);
        const ZonePtr bad = sampleZone(u"b.example"_s, 3, false);
        QList<DNSRecord> records = bad->records();
        records[1].value = u"mail"_s + QChar(0xD800);
        bad->setRecords(records);
        m_manager->setZones({sampleZone(u"a.example"_s, 1, false), bad});
        const QString failure =
            u"❌ Failed to save zones to app storage: zone 2, record 2: \"value\" "
            "holds text that is not valid Unicode"_s;
        const QStringList expected{infoLine(failure), failure,
                                   infoLine(u"🔄 Restored zones from backup after save failure"_s)};
        QCOMPARE(m_host.lines([&] { m_manager->saveZonesToStorage(); }), expected);
        QCOMPARE(valueOf(*m_preferences, savedKey) + valueOf(*m_preferences, backupKey),
                 backup + backup);
        QCOMPARE(m_manager->zones().size(), 2);
    }

    // Unreadable documents: the failure in Korvi's words, then the backup, written back.
    void documentsThatCannotBeRead_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("reason");
        const auto zone = [](const char* zoneFields, const char* record = "") {
            return R"([{"name":"a.example","filePath":"","records":[)" + QByteArray(record) + "]" +
                   zoneFields + "}]";
        };
        const std::pair<const char*, QByteArray> rows[] = {
            {"not valid JSON", ""},
            {"not valid JSON", "[{\"name\":\"ex\xff\"}]"},
            {"not valid JSON", "[{\"name\":\"\xed\xa0\x80\"}]"},
            {"not a JSON array", R"({"name":"a.example"})"},
            {"zone 1:", R"(["example.com"])"},
            {"zone 1:", R"([{"filePath":"","records":[]}])"},
            {"not valid Unicode", R"([{"name":"x","filePath":"\ud800","records":[]}])"},
            {"\"records\"", R"([{"name":"a.example","filePath":"","records":1}])"},
            {"SOA", zone(R"(,"soaRecord":1)")},
            {"zone 1, record 1:", zone("", R"({"name":"www","type":"A","value":"192.0.2.1"})")},
            {"SPF", zone("", R"({"name":"www","type":"SPF","value":"x","ttl":1})")},
            {"UUID",
             zone("", R"({"id":"nope","name":"w","type":"A","value":"192.0.2.1","ttl":1})")}};
        for (const auto& [reason, document] : rows)
            QTest::newRow(document.constData()) << document << QString::fromLatin1(reason);
    }
    void documentsThatCannotBeRead() {
        QFETCH(QByteArray, document);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ZoneStorage::decodeCurrent(document));
        QVERIFY(!ZoneStorage::decodeLegacy(document, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(load(document, m_backup),
                 failedPass(document) +
                     QStringList({restoreLine, loadingLine, foundLine(m_backup.size()),
                                  u"✅ Loaded zone: backup-one.example with 4 records"_s,
                                  u"✅ Loaded zone: backup-two.example with 1 records"_s}) +
                     loadedLines(2, u"[\"backup-one.example\", \"backup-two.example\"]"_s));
        QCOMPARE(zoneSummary(m_manager->zones()), m_backupSummary);
        QCOMPARE(valueOf(*m_preferences, savedKey), m_backup);
        QCOMPARE(valueOf(*m_preferences, backupKey), m_backup);
    }

    // Every prefix, random bytes, flipped bits: the backup, unless it reads whole.
    void damagedDocumentsFallBackToBackup() {
        const QList<ZonePtr> three = {sampleZone(u"example.com"_s, 6, true),
                                      sampleZone(u"example.org"_s, 2, false),
                                      sampleZone(u"2.0.192.in-addr.arpa"_s, 3, true)};
        const QByteArray document = storedDocument(three);
        QRandomGenerator random(20250305);
        QList<QByteArray> damaged;
        for (qsizetype cut = 0; cut < document.size(); ++cut)
            damaged.append(document.left(cut));
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes(1 + random.bounded(600), Qt::Uninitialized);
            for (char& c : bytes)
                c = char(random.bounded(256));
            damaged.append(QList{""_ba, "[{\"name\":\""_ba, "["_ba}[i % 3] + bytes);
            bytes = document;
            const qsizetype at = random.bounded(bytes.size());
            bytes[at] = char(bytes.at(at) ^ (1 << random.bounded(8)));
            damaged.append(bytes);
        }
        // No event loop between loads: the preferences file is not rewritten each time.
        QStringList wrong;
        int readable = 0;
        const QStringList lines = m_host.lines([&] {
            for (const QByteArray& bytes : damaged) {
                prepare(bytes, m_backup);
                const bool decodable = ZoneStorage::decodeLegacy(bytes).has_value();
                readable += decodable;
                m_manager->loadZonesFromStorage();
                if (decodable ? m_manager->zones().size() != 3 ||
                                    valueOf(*m_preferences, savedKey) == m_backup
                              : zoneSummary(m_manager->zones()) != m_backupSummary)
                    wrong.append(QString::fromLatin1(bytes.toHex()));
            }
        });
        QCoreApplication::processEvents();
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QVERIFY(readable > 0 && readable < 300);
        // One failure (log line and console line) and one restore per unreadable document.
        QCOMPARE(lines.filter(failurePrefix).size(), 2 * (damaged.size() - readable));
        QCOMPARE(lines.count(restoreLine), damaged.size() - readable);
        load(document, m_backup); // the whole document, for contrast, loads its own zones
        QCOMPARE(zoneSummary(m_manager->zones()), zoneSummary(three));
    }

    // A damaged backup ends the load: nothing changes. Without a backup, nothing more.
    void damagedBackupEndsTheLoad_data() {
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("backup");
        QTest::newRow("both empty") << ""_ba << QByteArray("");
        QTest::newRow("not array, invalid UTF-8") << "{}"_ba << QByteArray("[{\"name\":\"\xfe\"}]");
        QTest::newRow("no backup") << "[1]"_ba << QByteArray();
    }
    void damagedBackupEndsTheLoad() {
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, backup);
        prepare(main, backup);
        const QMap<QString, QString> zoneFiles = m_manager->configuration()->zoneFiles();
        QStringList expected = failedPass(main);
        if (!backup.isNull())
            expected += QStringList{restoreLine} + failedPass(backup) +
                        QStringList{warningLine(u"⚠️ The backup of the zones cannot be read "
                                                "either; zones left unchanged"_s)};
        QCOMPARE(m_host.lines([&] { m_manager->loadZonesFromStorage(); }), expected);
        QCOMPARE(m_manager->zones(), m_before);
        QCOMPARE(m_manager->configuration()->zoneFiles(), zoneFiles);
        QCOMPARE(valueOf(*m_preferences, savedKey), backup.isNull() ? main : backup);
        QCOMPARE(valueOf(*m_preferences, backupKey), backup.isNull() ? "<none>"_ba : backup);
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
        const auto stored =
            ZoneStorage::decodeCurrent(*m->preferences().data(ZoneStorage::savedZonesKey()));
        QVERIFY(stored && stored->size() == 2 && stored->at(0).name == u"one.example"_s);

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

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
