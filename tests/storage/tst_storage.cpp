// Zones kept in the preferences: the stored document, saving with its backup,
// loading the current and the older form, restoring from the backup, the lines
// each step writes; damaged documents load whole or fall back to the backup.
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

using Change = std::function<void(QJsonObject&)>;
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

// The zones of a stored document, each changed by f.
QByteArray rewriteZones(const QByteArray& document, const Change& f) {
    QJsonArray zones = QJsonDocument::fromJson(document).array();
    for (qsizetype i = 0; i < zones.size(); ++i) {
        QJsonObject object = zones.at(i).toObject();
        f(object);
        zones.replace(i, object);
    }
    return QJsonDocument(zones).toJson(QJsonDocument::Compact);
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

    // Compact JSON, "/" escaped, UTF-8, upper-case ids, optional SOA, UTC seconds.
    void documentForm() {
        const ZonePtr withSoa = sampleZone(u"example.com"_s, 6, true);
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        const QByteArray bytes = storedDocument({withSoa, sampleZone(u"example.org"_s, 1, false)});
        const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
        QVERIFY(bytes.contains(R"("filePath":"\/usr\/local\/var\/named\/db.example.com")"));
        for (qsizetype i = bytes.indexOf('/'); i >= 0; i = bytes.indexOf('/', i + 1))
            QVERIFY2(i > 0 && bytes.at(i - 1) == '\\', bytes.mid(qMax<qsizetype>(0, i - 20), 40));
        const QJsonDocument parsed = QJsonDocument::fromJson(bytes);
        QCOMPARE(bytes, QByteArray(parsed.toJson(QJsonDocument::Compact)).replace("/", "\\/"));
        QVERIFY(bytes.contains(u"żółw ✓"_s.toUtf8()) && !bytes.contains("null"));
        const QJsonArray zones = parsed.array();
        const QJsonObject first = zones.at(0).toObject();
        QCOMPARE(first.keys(),
                 QStringList({"filePath", "lastModified", "name", "records", "soaRecord"}));
        QCOMPARE(zones.at(1).toObject().keys(),
                 QStringList({"filePath", "lastModified", "name", "records"}));
        QCOMPARE(first.value("name").toString() + u' ' + first.value("filePath").toString(),
                 u"example.com "_s + withSoa->filePath());
        QCOMPARE(first.value("soaRecord").toObject(), withSoa->soaRecord()->toJson());
        const QJsonArray records = first.value("records").toArray();
        QCOMPARE(records.size(), 6);
        for (qsizetype i = 0; i < records.size(); ++i) {
            QCOMPARE(records.at(i).toObject(), withSoa->records().at(i).toJson());
            const QString id = records.at(i).toObject().value("id").toString();
            QCOMPARE(id, id.toUpper());
        }
        for (const QJsonValue& zone : zones) {
            const QString stamp = zone.toObject().value("lastModified").toString();
            QVERIFY2(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"_s)
                         .match(stamp)
                         .hasMatch(),
                     qPrintable(stamp));
            const QDateTime when = QDateTime::fromString(stamp, Qt::ISODate);
            QVERIFY(when >= before.addMSecs(-before.time().msec()) && when <= after);
        }
    }

    // A second manager reads the same zones, slashes escaped or not; zone ids are new.
    void secondManagerSeesSameZones() {
        const QList<ZonePtr> zones{sampleZone(u"example.com"_s, 12, true),
                                   sampleZone(u"example.org"_s, 0, false),
                                   sampleZone(u"2.0.192.in-addr.arpa"_s, 2, true)};
        const QByteArray escaped = storedDocument(zones);
        for (const QByteArray& document : {escaped, QByteArray(escaped).replace("\\/", "/")}) {
            Host host;
            host.preferences()->setData(savedKey, document);
            QStringList startUp;
            auto second = host.manager({}, &startUp);
            QVERIFY(startUp.contains(u"✅ DNSServerManager initialization complete with 3 zones"_s));
            QCOMPARE(zoneSummary(second->zones()), zoneSummary(zones));
            for (qsizetype z = 0; z < zones.size(); ++z) {
                const ZonePtr& after = second->zones().at(z);
                QVERIFY(after->id() != zones.at(z)->id());
                QCOMPARE(after->soaRecord(), zones.at(z)->soaRecord());
                for (qsizetype r = 0; r < zones.at(z)->records().size(); ++r)
                    QCOMPARE(after->records().at(r).toJson(),
                             zones.at(z)->records().at(r).toJson());
                QCOMPARE(second->configuration()->zoneFiles().value(after->name()),
                         "db." + after->name());
            }
        }
    }

    // Dates in another form are the legacy format: read, then rewritten at once.
    void lastModifiedForms_data() {
        QTest::addColumn<QJsonValue>("lastModified");
        QTest::addColumn<bool>("legacy");
        const auto row = [](const char* tag, const QJsonValue& value, bool legacy) {
            QTest::newRow(tag) << value << legacy;
        };
        row("UTC text", "2025-03-05T14:07:00Z", false);
        row("offset text", "2025-03-05T14:07:00+02:00", false);
        row("absent", QJsonValue::Undefined, false);
        row("null", QJsonValue::Null, false);
        row("number", 762876420.5, true);
        row("fractional seconds", "2025-03-05T14:07:00.250Z", true);
        row("date only", "2025-03-05", true);
        row("no zone", "2025-03-05T14:07:00", true);
        row("impossible day", "2025-02-30T14:07:00Z", true);
        row("words", "yesterday", true);
        row("object", QJsonObject{{"t", 1}}, true);
    }
    void lastModifiedForms() {
        QFETCH(QJsonValue, lastModified);
        QFETCH(bool, legacy);
        const QByteArray document =
            rewriteZones(storedDocument({sampleZone(u"example.com"_s, 2, true),
                                         sampleZone(u"example.org"_s, 1, false)}),
                         [&](QJsonObject& zone) {
                             zone.remove("lastModified");
                             if (!lastModified.isUndefined())
                                 zone.insert("lastModified", lastModified);
                         });
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
    void storedNameIsCleaned_data() {
        QTest::addColumn<QStringList>("texts"); // stored name, file path, zone name, file name
        QTest::newRow("underscore")
            << QStringList{"my_zone.example.com", "/usr/local/var/named/db.my_zone",
                           "myzone.example.com", "db.my_zone"};
        QTest::newRow("spaces") << QStringList{" example.com ", "db.example.com", "example.com",
                                               "db.example.com"};
        QTest::newRow("trailing dot") << QStringList{"example.com.", "/var/named/db.example.com/",
                                                     "example.com.", "db.example.com"};
        QTest::newRow("empty path") << QStringList{"example.net", "", "example.net", ""};
    }
    void storedNameIsCleaned() {
        QFETCH(QStringList, texts);
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

    // Text that is not valid Unicode fails the save; the stored copy falls back.
    void saveFailure_data() {
        QTest::addColumn<QByteArray>("backup");
        QTest::newRow("backup present")
            << QByteArray(R"([{"name":"old","filePath":"","records":[]}])");
        QTest::newRow("no backup") << QByteArray();
    }
    void saveFailure() {
        QFETCH(QByteArray, backup);
        prepare("[]"_ba, backup);
        const ZonePtr bad = sampleZone(u"b.example"_s, 3, false);
        QList<DNSRecord> records = bad->records();
        records[1].value = u"mail"_s + QChar(0xD800);
        bad->setRecords(records);
        m_manager->setZones({sampleZone(u"a.example"_s, 1, false), bad});
        const QString failure =
            u"❌ Failed to save zones to app storage: zone 2, record 2: \"value\" "
            "holds text that is not valid Unicode"_s;
        QStringList expected{infoLine(failure), failure};
        if (!backup.isNull())
            expected.append(infoLine(u"🔄 Restored zones from backup after save failure"_s));
        QCOMPARE(m_host.lines([&] { m_manager->saveZonesToStorage(); }), expected);
        QCOMPARE(valueOf(*m_preferences, savedKey), backup.isNull() ? "[]"_ba : backup);
        QCOMPARE(valueOf(*m_preferences, backupKey), backup.isNull() ? "<none>"_ba : backup);
        QCOMPARE(m_manager->zones().size(), 2);
    }

    // Unreadable documents: the failure in Korvi's words, then the backup, written back.
    void documentsThatCannotBeRead_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("reason");
        const QJsonObject zone{
            {"name", "example.com"},
            {"filePath", "/var/named/db.example.com"},
            {"records", QJsonArray{QJsonObject{{"id", "0A1B2C3D-0000-4000-8000-00000000000A"},
                                               {"name", "www"},
                                               {"type", "A"},
                                               {"value", "192.0.2.1"},
                                               {"ttl", 3600}}}},
            {"soaRecord", SOARecord{u"ns1.example.com."_s, u"admin.example.com."_s, 1}.toJson()}};
        const auto row = [&zone](const char* tag, const QString& reason, const Change& zoneChange,
                                 const Change& recordChange = {}) {
            QJsonObject z = zone;
            QJsonObject record = z.value("records").toArray().at(0).toObject();
            if (recordChange)
                recordChange(record);
            z.insert("records", QJsonArray{record});
            zoneChange(z);
            QTest::newRow(tag) << QJsonDocument(QJsonArray{z}).toJson(QJsonDocument::Compact)
                               << reason;
        };
        const auto raw = [](const char* tag, const QByteArray& document, const QString& reason) {
            QTest::newRow(tag) << document << reason;
        };
        raw("empty", ""_ba, u"not valid JSON"_s);
        raw("object", QJsonDocument(zone).toJson(QJsonDocument::Compact), u"not a JSON array"_s);
        raw("array of texts", QByteArray(R"(["example.com"])"), u"zone 1:"_s);
        raw("trailing garbage", "[]]"_ba, u"not valid JSON"_s);
        raw("invalid UTF-8 byte", "[{\"name\":\"ex\xff\"}]"_ba, u"not valid JSON"_s);
        raw("overlong slash", "[{\"name\":\"a\xc0\xaf\"}]"_ba, u"not valid JSON"_s);
        raw("encoded surrogate", "[{\"name\":\"\xed\xa0\x80\"}]"_ba, u"not valid JSON"_s);
        raw("escaped lone surrogate",
            QByteArray(R"([{"name":"x","filePath":"\ud800","records":[]}])"),
            u"not valid Unicode"_s);
        row("no name", "zone 1:", [](QJsonObject& z) { z.remove("name"); });
        row("no filePath", "\"filePath\"", [](QJsonObject& z) { z.remove("filePath"); });
        row("records not array", "\"records\"", [](QJsonObject& z) { z.insert("records", 1); });
        row("name a number", "\"name\"", [](QJsonObject& z) { z.insert("name", 7); });
        row("SOA without serial", "\"serial\"", [](QJsonObject& z) {
            QJsonObject soa = z.value("soaRecord").toObject();
            soa.remove("serial");
            z.insert("soaRecord", soa);
        });
        row("SOA not object", "SOA", [](QJsonObject& z) { z.insert("soaRecord", 1); });
        const Change none = [](QJsonObject&) {};
        row("record without ttl", "zone 1, record 1:", none,
            [](QJsonObject& r) { r.remove("ttl"); });
        row("record ttl fraction", "\"ttl\"", none, [](QJsonObject& r) { r.insert("ttl", 1.5); });
        row("record unknown type", "SPF", none, [](QJsonObject& r) { r.insert("type", "SPF"); });
        row("record bad id", "UUID", none, [](QJsonObject& r) { r.insert("id", "nope"); });
        row("record priority text", "\"priority\"", none,
            [](QJsonObject& r) { r.insert("priority", "1"); });
    }
    void documentsThatCannotBeRead() {
        QFETCH(QByteArray, document);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ZoneStorage::decodeCurrent(document));
        QVERIFY(!ZoneStorage::decodeLegacy(document, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        const QString failure = failurePrefix + error;
        QCOMPARE(
            load(document, m_backup),
            QStringList({loadingLine, foundLine(document.size()), legacyTryLine, infoLine(failure),
                         failure, restoreLine, loadingLine, foundLine(m_backup.size()),
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
        QTest::newRow("truncated, random")
            << "[{\"name\":\"a\",\"file"_ba << QByteArray("\x01\x9c\xff{[", 5);
        QTest::newRow("not array, invalid UTF-8") << "{}"_ba << QByteArray("[{\"name\":\"\xfe\"}]");
        QTest::newRow("same damage") << "[1]"_ba << QByteArray("[1]");
        QTest::newRow("no backup") << "[1]"_ba << QByteArray();
    }
    void damagedBackupEndsTheLoad() {
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, backup);
        prepare(main, backup);
        const QMap<QString, QString> zoneFiles = m_manager->configuration()->zoneFiles();
        QString mainError, backupError;
        ZoneStorage::decodeLegacy(main, &mainError);
        ZoneStorage::decodeLegacy(backup, &backupError);
        QStringList expected = {loadingLine, foundLine(main.size()), legacyTryLine,
                                infoLine(failurePrefix + mainError), failurePrefix + mainError};
        if (!backup.isNull())
            expected += {
                restoreLine,
                loadingLine,
                foundLine(backup.size()),
                legacyTryLine,
                infoLine(failurePrefix + backupError),
                failurePrefix + backupError,
                warningLine(
                    u"⚠️ The backup of the zones cannot be read either; zones left unchanged"_s)};
        QCOMPARE(m_host.lines([&] { m_manager->loadZonesFromStorage(); }), expected);
        QCOMPARE(m_manager->zones(), m_before);
        QCOMPARE(m_manager->configuration()->zoneFiles(), zoneFiles);
        QCOMPARE(valueOf(*m_preferences, savedKey), backup.isNull() ? main : backup);
        QCOMPARE(valueOf(*m_preferences, backupKey), backup.isNull() ? "<none>"_ba : backup);
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
