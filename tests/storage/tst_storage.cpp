// Zones kept in the preferences: the stored document, saving with its backup,
// loading the current and the older form, restoring from the backup, the
// lines each step writes; and damaged documents, which either load whole or
// fall back to the backup, never leave a partial list, and always end.
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

// A zone with a varied set of records: every optional field appears in some
// record, one TXT value holds "/" and non-ASCII text.
ZonePtr sampleZone(const QString& name, int recordCount, bool withSoa) {
    const ZonePtr zone = ZonePtr::create(name, u"/usr/local/var/named/db."_s + name);
    QList<DNSRecord> records;
    for (int i = 0; i < recordCount; ++i) {
        switch (i % 6) {
        case 0:
            records.append(DNSRecord(u"host%1"_s.arg(i), DNSRecordType::A,
                                     u"192.0.2.%1"_s.arg(i % 250 + 1), 3600));
            break;
        case 1:
            records.append(DNSRecord({}, DNSRecordType::MX, u"mail."_s + name + u'.', 7200,
                                     opts(u"priority=%1"_s.arg(i))));
            break;
        case 2:
            records.append(DNSRecord(u"_sip._tcp"_s, DNSRecordType::SRV, u"sip."_s + name, 300,
                                     opts("priority=10 weight=5 port=5060")));
            break;
        case 3:
            records.append(DNSRecord({}, DNSRecordType::CAA, u"0 issue \"letsencrypt.org\""_s,
                                     86400, opts("flag=0 tag=issue")));
            break;
        case 4:
            records.append(DNSRecord(u"_443._tcp"_s, DNSRecordType::TLSA,
                                     u"3 1 1 abcdef0123456789"_s, 600,
                                     opts("algorithm=4 digestType=1 usage=3 selector=1")));
            break;
        default:
            records.append(DNSRecord(u"txt%1"_s.arg(i), DNSRecordType::TXT,
                                     u"\"see https://example.net/a/b – żółw ✓\""_s, 60));
        }
    }
    zone->setRecords(records);
    if (withSoa)
        zone->setSoaRecord(SOARecord{u"ns1."_s + name + u'.', u"admin."_s + name + u'.',
                                     2025030500 + recordCount});
    return zone;
}

// A one-line summary of each zone: name, file, record ids, serial.
QStringList zoneSummary(const QList<ZonePtr>& zones) {
    QStringList out;
    for (const ZonePtr& zone : zones) {
        QStringList ids;
        for (const DNSRecord& record : zone->records())
            ids.append(uuidText(record.id));
        out.append(zone->name() + u'|' + zone->filePath() + u'|' + ids.join(u',') + u'|' +
                   (zone->soaRecord() ? QString::number(zone->soaRecord()->serial) : u"no SOA"_s));
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
    return preferences->data(savedKey).value_or(QByteArray());
}

// Rewrites every zone object of a stored document with f(object).
QByteArray rewriteZones(const QByteArray& document, const std::function<void(QJsonObject&)>& f) {
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
    std::shared_ptr<PreferencesStore> m_preferences;
    std::unique_ptr<DNSServerManager> m_manager; // on m_preferences
    QByteArray m_backup;                         // a stored document of two zones
    QStringList m_backupSummary;
    const QList<ZonePtr> m_before = {sampleZone(u"in-memory.example"_s, 1, false)};

    // Stores `main`, and `backup` under the backup key (none when null), and
    // gives the manager the zones m_before.
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
    // A fresh host's manager on these stored documents.
    std::unique_ptr<DNSServerManager> managerOn(Host& host, const QByteArray& main,
                                                std::shared_ptr<PreferencesStore>& preferences,
                                                QStringList* startUp = nullptr) {
        preferences = host.preferences();
        if (!main.isNull())
            preferences->setData(savedKey, main);
        return host.manager(preferences, startUp);
    }

private Q_SLOTS:
    void initTestCase() {
        const QList<ZonePtr> backup = {sampleZone(u"backup-one.example"_s, 4, true),
                                       sampleZone(u"backup-two.example"_s, 1, false)};
        m_backup = storedDocument(backup);
        m_backupSummary = zoneSummary(backup);
        m_preferences = m_host.preferences();
        m_manager = m_host.manager(m_preferences);
    }
    void cleanupTestCase() { m_manager.reset(); }

    void emptyListIsStoredAsTwoBytes() {
        Host host;
        std::shared_ptr<PreferencesStore> preferences;
        auto manager = managerOn(host, {}, preferences);
        QCOMPARE(host.lines([&] { manager->saveZonesToStorage(); }), savedLines(0, u"[]"_s));
        QCOMPARE(valueOf(*preferences, savedKey), "[]"_ba);
        QCOMPARE(valueOf(*preferences, backupKey), "<none>"_ba);
        // Flushed: another store on the same file sees the document.
        QCOMPARE(valueOf(*host.preferences(), savedKey), "[]"_ba);

        // Loading it empties the zones.
        manager->setZones({sampleZone(u"example.com"_s, 2, true)});
        QSignalSpy zonesChanged(manager.get(), &DNSServerManager::zonesChanged);
        QCOMPARE(host.lines([&] { manager->loadZonesFromStorage(); }),
                 QStringList({loadingLine, foundLine(2)}) + loadedLines(0, u"[]"_s));
        QVERIFY(manager->zones().isEmpty() && zonesChanged.count() >= 1);
    }

    void nothingStoredLeavesZonesAlone() {
        Host host;
        std::shared_ptr<PreferencesStore> preferences;
        QStringList startUp;
        auto manager = managerOn(host, {}, preferences, &startUp);
        QVERIFY(startUp.contains(u"❌ No zone data found in UserDefaults"_s));
        QVERIFY(startUp.contains(u"📱 App storage loading complete. Current zones: 0"_s));
        const QList<ZonePtr> zones = {sampleZone(u"example.com"_s, 1, false)};
        manager->setZones(zones);
        QCOMPARE(host.lines([&] { manager->loadZonesFromStorage(); }),
                 QStringList({loadingLine, u"❌ No zone data found in UserDefaults"_s,
                              infoLine(u"No saved zones found in app storage"_s)}));
        QCOMPARE(manager->zones(), zones);
    }

    // Compact JSON, every "/" escaped, UTF-8, upper-case record ids, an SOA
    // only where there is one, no zone id, UTC times to the second.
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
        QVERIFY(bytes.contains(u"żółw ✓"_s.toUtf8()));
        const QJsonArray zones = parsed.array();
        QCOMPARE(zones.size(), 2);
        const QJsonObject first = zones.at(0).toObject();
        QCOMPARE(first.value("name").toString(), u"example.com"_s);
        QCOMPARE(first.value("filePath").toString(), withSoa->filePath());
        QCOMPARE(first.value("soaRecord").toObject(), withSoa->soaRecord()->toJson());
        QVERIFY(!zones.at(1).toObject().contains("soaRecord") && !bytes.contains("null"));
        QVERIFY(!first.contains("id"));
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

    // Saved, then read by a second manager on the same file: the same zones,
    // record ids, fields and SOAs (zone ids are new), slashes escaped or not.
    void secondManagerSeesSameZones() {
        const QList<ZonePtr> zones{sampleZone(u"example.com"_s, 12, true),
                                   sampleZone(u"example.org"_s, 0, false),
                                   sampleZone(u"2.0.192.in-addr.arpa"_s, 2, true)};
        const QByteArray escaped = storedDocument(zones);
        for (const QByteArray& document : {escaped, QByteArray(escaped).replace("\\/", "/")}) {
            Host host;
            std::shared_ptr<PreferencesStore> preferences;
            QStringList startUp;
            auto second = managerOn(host, document, preferences, &startUp);
            QVERIFY(startUp.contains(u"📱 App storage loading complete. Current zones: 3"_s));
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
                         u"db."_s + after->name());
            }
        }
    }

    void secondSaveKeepsFirstAsBackup() {
        Host host;
        std::shared_ptr<PreferencesStore> preferences;
        auto manager = managerOn(host, {}, preferences);
        manager->setZones({sampleZone(u"a.example"_s, 2, true)});
        host.lines([&] { manager->saveZonesToStorage(); });
        const QByteArray first = valueOf(*preferences, savedKey);
        manager->setZones({manager->zones().at(0), sampleZone(u"b.example"_s, 1, false)});
        QCOMPARE(host.lines([&] { manager->saveZonesToStorage(); }),
                 savedLines(2, u"[\"a.example\", \"b.example\"]"_s));
        QCOMPARE(valueOf(*preferences, backupKey), first);
        QVERIFY(valueOf(*preferences, savedKey).contains("b.example"));
        // Both lines also reach the log.
        QCoreApplication::processEvents();
        QCOMPARE(withoutTimeStamps(manager->logs()).last(), savedLines(2, {}).first());
    }

    // Dates other than UTC or offset text (or none) are the older form: read
    // by the legacy reader, and the document rewritten at once.
    void lastModifiedForms_data() {
        QTest::addColumn<QJsonValue>("lastModified");
        QTest::addColumn<bool>("legacy");
        QTest::newRow("UTC text") << QJsonValue("2025-03-05T14:07:00Z") << false;
        QTest::newRow("offset text") << QJsonValue("2025-03-05T14:07:00+02:00") << false;
        QTest::newRow("absent") << QJsonValue(QJsonValue::Undefined) << false;
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false;
        QTest::newRow("number") << QJsonValue(762876420.5) << true;
        QTest::newRow("fractional seconds") << QJsonValue("2025-03-05T14:07:00.250Z") << true;
        QTest::newRow("date only") << QJsonValue("2025-03-05") << true;
        QTest::newRow("no zone") << QJsonValue("2025-03-05T14:07:00") << true;
        QTest::newRow("impossible day") << QJsonValue("2025-02-30T14:07:00Z") << true;
        QTest::newRow("words") << QJsonValue("yesterday") << true;
        QTest::newRow("object") << QJsonValue(QJsonObject{{"t", 1}}) << true;
    }
    void lastModifiedForms() {
        QFETCH(QJsonValue, lastModified);
        QFETCH(bool, legacy);
        const QByteArray document =
            rewriteZones(storedDocument({sampleZone(u"example.com"_s, 2, true),
                                         sampleZone(u"example.org"_s, 1, false)}),
                         [&](QJsonObject& zone) {
                             if (lastModified.isUndefined())
                                 zone.remove("lastModified");
                             else
                                 zone.insert("lastModified", lastModified);
                         });
        QCOMPARE(ZoneStorage::decodeCurrent(document).has_value(), !legacy);
        QVERIFY(ZoneStorage::decodeLegacy(document).has_value());
        const QStringList lines = load(document, m_backup);
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
        QCOMPARE(lines, expected);
        QCOMPARE(m_manager->zones().size(), 2);
        // Rewritten in the current form; the legacy document became the backup.
        QCOMPARE(valueOf(*m_preferences, backupKey), legacy ? document : m_backup);
        QVERIFY(ZoneStorage::decodeCurrent(valueOf(*m_preferences, savedKey)).has_value());
    }

    // Names are cleaned on the way in (and given a file entry); records are
    // neither cleaned nor validated; unknown keys are ignored.
    void storedNameIsCleaned_data() {
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("filePath");
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("underscore") << "my_zone.example.com"
                                    << "/usr/local/var/named/db.my_zone"
                                    << "myzone.example.com"
                                    << "db.my_zone";
        QTest::newRow("spaces") << " example.com "
                                << "db.example.com"
                                << "example.com"
                                << "db.example.com";
        QTest::newRow("trailing dot") << "example.com."
                                      << "/var/named/db.example.com/"
                                      << "example.com."
                                      << "db.example.com";
        QTest::newRow("empty path") << "example.net"
                                    << ""
                                    << "example.net"
                                    << "";
    }
    void storedNameIsCleaned() {
        QFETCH(QString, storedName);
        QFETCH(QString, filePath);
        QFETCH(QString, zoneName);
        QFETCH(QString, fileName);
        const QJsonObject record{
            {"name", " my host! "}, {"type", "A"}, {"value", " 10.0.0.g "}, {"ttl", 0}};
        const QJsonObject zone{{"name", storedName},
                               {"filePath", filePath},
                               {"records", QJsonArray{record}},
                               {"comment", "unknown keys are ignored"}};
        m_manager->configuration()->setZoneFiles({{u"kept.example"_s, u"db.kept"_s}});
        const QStringList lines = load(QJsonDocument(QJsonArray{zone}).toJson(), m_backup);
        QCOMPARE(m_manager->zones().size(), 1);
        QCOMPARE(m_manager->zones().at(0)->name(), zoneName);
        QCOMPARE(m_manager->zones().at(0)->filePath(), filePath);
        QVERIFY(lines.contains(u"✅ Loaded zone: "_s + storedName + u" with 1 records"_s));
        QVERIFY(
            lines.contains(u"✅ 📱 Loaded 1 zones from app storage: [\""_s + zoneName + u"\"]"_s));
        QCOMPARE(m_manager->configuration()->zoneFiles(),
                 (QMap<QString, QString>{{zoneName, fileName}, {u"kept.example"_s, u"db.kept"_s}}));
        const DNSRecord loaded = m_manager->zones().at(0)->records().at(0);
        QCOMPARE(loaded.name + u'|' + loaded.value + u'|' + QString::number(loaded.ttl),
                 u" my host! | 10.0.0.g |0"_s);
        QVERIFY(!loaded.id.isNull()); // missing id: a fresh one
    }

    // A text that is not valid Unicode cannot be written as UTF-8: the save
    // fails, and what is stored falls back to the backup.
    void saveFailure_data() {
        QTest::addColumn<bool>("withBackup");
        QTest::newRow("backup present") << true;
        QTest::newRow("no backup") << false;
    }
    void saveFailure() {
        QFETCH(bool, withBackup);
        const QByteArray backup =
            QByteArray(R"([{"name":"old","filePath":"db.old","records":[]}])");
        prepare("[]"_ba, withBackup ? backup : QByteArray());
        const ZonePtr bad = sampleZone(u"b.example"_s, 3, false);
        QList<DNSRecord> records = bad->records();
        records[1].value = u"mail"_s + QChar(0xD800) + u".example."_s;
        bad->setRecords(records);
        m_manager->setZones({sampleZone(u"a.example"_s, 1, false), bad});
        const QString failure =
            u"❌ Failed to save zones to app storage: zone 2, record 2: \"value\" holds "
            "text that is not valid Unicode"_s;
        QStringList expected{infoLine(failure), failure};
        if (withBackup)
            expected.append(infoLine(u"🔄 Restored zones from backup after save failure"_s));
        QCOMPARE(m_host.lines([&] { m_manager->saveZonesToStorage(); }), expected);
        QCOMPARE(valueOf(*m_preferences, savedKey), withBackup ? backup : "[]"_ba);
        QCOMPARE(valueOf(*m_preferences, backupKey), withBackup ? backup : "<none>"_ba);
        QCOMPARE(m_manager->zones().size(), 2);
    }

    // Documents that neither reader takes: the failure in Korvi's words, then
    // the backup, which is also written back as the main document.
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
            {"soaRecord",
             SOARecord{u"ns1.example.com."_s, u"admin.example.com."_s, 2025030501}.toJson()}};
        const auto withZone = [&zone](const std::function<void(QJsonObject&)>& change) {
            QJsonObject z = zone;
            change(z);
            return QJsonDocument(QJsonArray{z}).toJson(QJsonDocument::Compact);
        };
        const auto withRecord = [&withZone](const std::function<void(QJsonObject&)>& change) {
            return withZone([&change](QJsonObject& z) {
                QJsonObject record = z.value("records").toArray().at(0).toObject();
                change(record);
                z.insert("records", QJsonArray{record});
            });
        };
        QTest::newRow("empty") << ""_ba
                               << "not valid JSON";
        QTest::newRow("white space") << " \n"_ba
                                     << "not valid JSON";
        QTest::newRow("object") << QJsonDocument(zone).toJson(QJsonDocument::Compact)
                                << "not a JSON array";
        QTest::newRow("null") << "null"_ba
                              << "not valid JSON";
        QTest::newRow("array of texts") << QByteArray(R"(["example.com"])") << "zone 1:";
        QTest::newRow("trailing garbage") << "[]]"_ba
                                          << "not valid JSON";
        QTest::newRow("invalid UTF-8 byte") << "[{\"name\":\"ex\xff\"}]"_ba
                                            << "not valid JSON";
        QTest::newRow("overlong slash") << "[{\"name\":\"a\xc0\xaf\"}]"_ba
                                        << "not valid JSON";
        QTest::newRow("encoded surrogate") << "[{\"name\":\"\xed\xa0\x80\"}]"_ba
                                           << "not valid JSON";
        QTest::newRow("escaped lone surrogate") << withZone([](QJsonObject& z) {
                                                       z.insert("filePath", "\\ud800");
                                                   }).replace("\\\\ud800", "\\ud800")
                                                << "not valid Unicode";
        QTest::newRow("no name") << withZone([](QJsonObject& z) { z.remove("name"); }) << "zone 1:";
        QTest::newRow("no filePath")
            << withZone([](QJsonObject& z) { z.remove("filePath"); }) << "\"filePath\"";
        QTest::newRow("records not array")
            << withZone([](QJsonObject& z) { z.insert("records", QJsonObject()); })
            << "\"records\"";
        QTest::newRow("name a number")
            << withZone([](QJsonObject& z) { z.insert("name", 7); }) << "\"name\"";
        QTest::newRow("SOA without serial") << withZone([](QJsonObject& z) {
            QJsonObject soa = z.value("soaRecord").toObject();
            soa.remove("serial");
            z.insert("soaRecord", soa);
        }) << "\"serial\"";
        QTest::newRow("SOA not object")
            << withZone([](QJsonObject& z) { z.insert("soaRecord", 1); }) << "SOA";
        QTest::newRow("record without ttl")
            << withRecord([](QJsonObject& r) { r.remove("ttl"); }) << "zone 1, record 1:";
        QTest::newRow("record ttl fraction")
            << withRecord([](QJsonObject& r) { r.insert("ttl", 1.5); }) << "\"ttl\"";
        QTest::newRow("record unknown type")
            << withRecord([](QJsonObject& r) { r.insert("type", "SPF"); }) << "SPF";
        QTest::newRow("record bad id")
            << withRecord([](QJsonObject& r) { r.insert("id", "nope"); }) << "UUID";
        QTest::newRow("record priority text")
            << withRecord([](QJsonObject& r) { r.insert("priority", "10"); }) << "\"priority\"";
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

    // Every prefix of a stored document, random bytes, and flipped bits: the
    // backup loads, unless the changed document still reads whole.
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
            damaged.append(QByteArray(i % 3 == 1   ? "[{\"name\":\""
                                      : i % 3 == 2 ? "["
                                                   : "") +
                           bytes);
        }
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes = document;
            const qsizetype at = random.bounded(bytes.size());
            bytes[at] = char(bytes.at(at) ^ (1 << random.bounded(8)));
            damaged.append(bytes);
        }
        // The event loop does not run between loads, so the preferences file
        // is not rewritten each time and the loop stays quick.
        QStringList wrong;
        int readable = 0;
        const QStringList lines = m_host.lines([&] {
            for (const QByteArray& bytes : damaged) {
                prepare(bytes, m_backup);
                const bool decodable = ZoneStorage::decodeLegacy(bytes).has_value();
                readable += decodable;
                m_manager->loadZonesFromStorage();
                const bool ok = decodable ? m_manager->zones().size() == 3 &&
                                                valueOf(*m_preferences, savedKey) != m_backup
                                          : zoneSummary(m_manager->zones()) == m_backupSummary;
                if (!ok)
                    wrong.append(QString::fromLatin1(bytes.toHex()));
            }
        });
        QCoreApplication::processEvents();
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QVERIFY(readable > 0 && readable < 300);
        // One failure (log line and console line) and one restore per unreadable document.
        QCOMPARE(lines.filter(failurePrefix).size(), 2 * (damaged.size() - readable));
        QCOMPARE(lines.count(restoreLine), damaged.size() - readable);
        // The whole document, for contrast, loads its own three zones.
        load(document, m_backup);
        QCOMPARE(zoneSummary(m_manager->zones()), zoneSummary(three));
    }

    // A damaged backup too ends the load: zones and zone files unchanged, the
    // backup in both places. Without a backup, nothing more happens.
    void damagedBackupEndsTheLoad_data() {
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("backup");
        QTest::newRow("both empty") << ""_ba
                                    << ""_ba;
        QTest::newRow("truncated, random")
            << "[{\"name\":\"a\",\"filePath"_ba << QByteArray("\x01\x9c\xff{[", 5);
        QTest::newRow("not array, invalid UTF-8") << "{}"_ba
                                                  << "[{\"name\":\"\xfe\"}]"_ba;
        QTest::newRow("same damage") << "[1]"_ba
                                     << "[1]"_ba;
        QTest::newRow("no backup") << "[1]"_ba << QByteArray();
    }
    void damagedBackupEndsTheLoad() {
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, backup);
        prepare(main, backup);
        const QMap<QString, QString> zoneFiles = m_manager->configuration()->zoneFiles();
        const QStringList lines = m_host.lines([&] { m_manager->loadZonesFromStorage(); });
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
        QCOMPARE(lines, expected);
        QCOMPARE(m_manager->zones(), m_before);
        QCOMPARE(m_manager->configuration()->zoneFiles(), zoneFiles);
        QCOMPARE(valueOf(*m_preferences, savedKey), backup.isNull() ? main : backup);
        QCOMPARE(valueOf(*m_preferences, backupKey), backup.isNull() ? "<none>"_ba : backup);
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
