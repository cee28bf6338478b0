// Zones kept in the preferences: the stored document, saving with its backup,
// loading in the current and the older form, restoring from the backup, and
// the lines each step writes.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include "StorageSandbox.h"

using namespace korvi;
using namespace korvi::testing;

namespace {

const QString savedKey = QStringLiteral("Korvi_SavedZones");
const QString backupKey = QStringLiteral("Korvi_SavedZones_Backup");

QString savedLine(const QString& names) {
    return QStringLiteral("💾 Saved zones to UserDefaults: ") + names;
}

QString foundLine(qsizetype bytes) {
    return QStringLiteral("✅ Found zone data in UserDefaults (%1 bytes)").arg(bytes);
}

// What a key holds; "<none>" when it holds nothing.
QByteArray valueOf(const PreferencesStore& preferences, const QString& key) {
    return preferences.data(key).value_or(QByteArrayLiteral("<none>"));
}

const QString loadingLine = QStringLiteral("🔄 Loading zones from UserDefaults...");
const QString legacyTryLine =
    QStringLiteral("⚠️ Failed to load with new format, trying legacy format...");

// Rewrites every zone object of a stored document with f(object).
template <typename F> QByteArray rewriteZones(const QByteArray& document, F f) {
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

private Q_SLOTS:
    void emptyListIsStoredAsTwoBytes();
    void loadingEmptyDocumentEmptiesZones();
    void nothingStoredLeavesZonesAlone();
    void documentForm();
    void bothSlashFormsAreRead();
    void secondSaveKeepsFirstAsBackup();
    void soaIsOptional_data();
    void soaIsOptional();
    void lastModifiedForms_data();
    void lastModifiedForms();
    void legacyDocumentIsRewrittenAtOnce();
    void notAnArrayRestoresBackup();
    void storedNameIsCleaned_data();
    void storedNameIsCleaned();
    void recordIdsSurviveZoneIdsDoNot();
    void recordsAreLoadedAsTheyStand();
    void secondManagerSeesSameZones();
    void saveFailure_data();
    void saveFailure();
    void logLinesReachTheLog();
};

void TestStorage::emptyListIsStoredAsTwoBytes() {
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    const QStringList lines = sandbox.lines([&] { manager->saveZonesToStorage(); });

    QCOMPARE(valueOf(*preferences, savedKey), QByteArrayLiteral("[]"));
    QCOMPARE(valueOf(*preferences, backupKey), QByteArrayLiteral("<none>"));
    QCOMPARE(lines, QStringList({info(QStringLiteral("💾 Saved 0 zones to app storage with backup")),
                                 savedLine(QStringLiteral("[]"))}));
    // Flushed: another store on the same file sees the document.
    QCOMPARE(valueOf(PreferencesStore(sandbox.preferencesPath()), savedKey),
             QByteArrayLiteral("[]"));
}

void TestStorage::loadingEmptyDocumentEmptiesZones() {
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    preferences->setData(savedKey, QByteArrayLiteral("[]"));
    auto manager = sandbox.makeManager(preferences);
    manager->setZones({sampleZone(QStringLiteral("example.com"), 2, true)});
    QSignalSpy zonesChanged(manager.get(), &DNSServerManager::zonesChanged);

    const QStringList lines = sandbox.lines([&] { manager->loadZonesFromStorage(); });

    QCOMPARE(lines, QStringList({loadingLine, foundLine(2),
                                 info(QStringLiteral("📱 Loaded 0 zones from app storage")),
                                 QStringLiteral("✅ 📱 Loaded 0 zones from app storage: []")}));
    QVERIFY(manager->zones().isEmpty());
    QVERIFY(zonesChanged.count() >= 1);
}

void TestStorage::nothingStoredLeavesZonesAlone() {
    StorageSandbox sandbox;
    QStringList startUp;
    auto manager = sandbox.makeManager({}, &startUp);
    QVERIFY(startUp.contains(QStringLiteral("❌ No zone data found in UserDefaults")));
    QVERIFY(startUp.contains(QStringLiteral("📱 App storage loading complete. Current zones: 0")));

    const ZonePtr zone = sampleZone(QStringLiteral("example.com"), 1, false);
    manager->setZones({zone});
    const QStringList lines = sandbox.lines([&] { manager->loadZonesFromStorage(); });
    QCOMPARE(lines,
             QStringList({loadingLine, QStringLiteral("❌ No zone data found in UserDefaults"),
                          info(QStringLiteral("No saved zones found in app storage"))}));
    QCOMPARE(manager->zones(), QList<ZonePtr>({zone}));
}

void TestStorage::documentForm() {
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    const ZonePtr withSoa = sampleZone(QStringLiteral("example.com"), 6, true);
    const ZonePtr bare = sampleZone(QStringLiteral("example.org"), 1, false);
    manager->setZones({withSoa, bare});

    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    sandbox.lines([&] { manager->saveZonesToStorage(); });
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    const QByteArray bytes = preferences->data(savedKey).value_or(QByteArray());

    // Every "/" is escaped, and the file path arrives whole.
    QVERIFY(bytes.contains(R"("filePath":"\/usr\/local\/var\/named\/db.example.com")"));
    for (qsizetype i = bytes.indexOf('/'); i >= 0; i = bytes.indexOf('/', i + 1))
        QVERIFY2(i > 0 && bytes.at(i - 1) == '\\', bytes.mid(qMax<qsizetype>(0, i - 20), 40));
    // Compact: the document is exactly Qt's compact form, slashes aside.
    const QJsonDocument parsed = QJsonDocument::fromJson(bytes);
    QVERIFY(parsed.isArray());
    QCOMPARE(
        bytes,
        QByteArray(parsed.toJson(QJsonDocument::Compact)).replace("/", QByteArrayLiteral("\\/")));
    // Non-ASCII text is stored as UTF-8.
    QVERIFY(bytes.contains(QStringLiteral("żółw ✓").toUtf8()));

    const QJsonArray zones = parsed.array();
    QCOMPARE(zones.size(), 2);
    const QJsonObject first = zones.at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("example.com"));
    QCOMPARE(first.value(QStringLiteral("filePath")).toString(), withSoa->filePath());
    QCOMPARE(first.value(QStringLiteral("soaRecord")).toObject(), withSoa->soaRecord()->toJson());
    QVERIFY(!zones.at(1).toObject().contains(QStringLiteral("soaRecord")));
    QVERIFY(!first.contains(QStringLiteral("id")));

    const QJsonArray records = first.value(QStringLiteral("records")).toArray();
    QCOMPARE(records.size(), 6);
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QJsonObject record = records.at(i).toObject();
        QCOMPARE(record, withSoa->records().at(i).toJson());
        const QString id = record.value(QStringLiteral("id")).toString();
        QCOMPARE(id, id.toUpper());
        QCOMPARE(QUuid::fromString(id), withSoa->records().at(i).id);
    }

    for (const QJsonValue& zone : zones) {
        const QString stamp = zone.toObject().value(QStringLiteral("lastModified")).toString();
        QVERIFY2(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)"))
                     .match(stamp)
                     .hasMatch(),
                 qPrintable(stamp));
        const QDateTime when = QDateTime::fromString(stamp, Qt::ISODate);
        QVERIFY(when >= before.addMSecs(-before.time().msec()) && when <= after);
    }
}

void TestStorage::bothSlashFormsAreRead() {
    StorageSandbox sandbox;
    const QByteArray escaped = storedDocument({sampleZone(QStringLiteral("example.com"), 6, true)});
    QByteArray plain = escaped;
    plain.replace("\\/", "/");
    QVERIFY(plain != escaped);

    for (const QByteArray& document : {escaped, plain}) {
        auto preferences = sandbox.openPreferences();
        preferences->setData(savedKey, document);
        auto manager = sandbox.makeManager(preferences);
        QCOMPARE(manager->zones().size(), 1);
        QCOMPARE(manager->zones().at(0)->filePath(),
                 QStringLiteral("/usr/local/var/named/db.example.com"));
        QVERIFY(manager->zones().at(0)->records().at(5).value.contains(
            QStringLiteral("https://example.net/a/b")));
    }
}

void TestStorage::secondSaveKeepsFirstAsBackup() {
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    manager->setZones({sampleZone(QStringLiteral("a.example"), 2, true)});
    sandbox.lines([&] { manager->saveZonesToStorage(); });
    const QByteArray first = preferences->data(savedKey).value_or(QByteArray());
    QVERIFY(!first.isEmpty());

    manager->setZones({manager->zones().at(0), sampleZone(QStringLiteral("b.example"), 1, false)});
    const QStringList lines = sandbox.lines([&] { manager->saveZonesToStorage(); });
    QCOMPARE(lines, QStringList({info(QStringLiteral("💾 Saved 2 zones to app storage with backup")),
                                 savedLine(QStringLiteral(R"(["a.example", "b.example"])"))}));

    QCOMPARE(valueOf(*preferences, backupKey), first);
    const QByteArray second = preferences->data(savedKey).value_or(QByteArray());
    QVERIFY(second != first);
    QVERIFY(second.contains("b.example"));
}

void TestStorage::soaIsOptional_data() {
    QTest::addColumn<bool>("withSoa");
    QTest::newRow("without SOA") << false;
    QTest::newRow("with SOA") << true;
}

void TestStorage::soaIsOptional() {
    QFETCH(bool, withSoa);
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    const ZonePtr zone = sampleZone(QStringLiteral("example.com"), 3, withSoa);
    manager->setZones({zone});
    sandbox.lines([&] { manager->saveZonesToStorage(); });

    const QByteArray bytes = preferences->data(savedKey).value_or(QByteArray());
    QCOMPARE(bytes.contains("\"soaRecord\""), withSoa);
    QVERIFY(!bytes.contains("null"));

    manager->setZones({});
    sandbox.lines([&] { manager->loadZonesFromStorage(); });
    QCOMPARE(manager->zones().size(), 1);
    QCOMPARE(manager->zones().at(0)->soaRecord(), zone->soaRecord());
}

void TestStorage::lastModifiedForms_data() {
    QTest::addColumn<QJsonValue>("lastModified");
    QTest::addColumn<bool>("legacy");
    QTest::newRow("UTC text") << QJsonValue(QStringLiteral("2025-03-05T14:07:00Z")) << false;
    QTest::newRow("offset text") << QJsonValue(QStringLiteral("2025-03-05T14:07:00+02:00"))
                                 << false;
    QTest::newRow("absent") << QJsonValue(QJsonValue::Undefined) << false;
    QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false;
    QTest::newRow("number") << QJsonValue(762876420.0) << true;
    QTest::newRow("fractional seconds")
        << QJsonValue(QStringLiteral("2025-03-05T14:07:00.250Z")) << true;
    QTest::newRow("date only") << QJsonValue(QStringLiteral("2025-03-05")) << true;
    QTest::newRow("no zone") << QJsonValue(QStringLiteral("2025-03-05T14:07:00")) << true;
    QTest::newRow("impossible day") << QJsonValue(QStringLiteral("2025-02-30T14:07:00Z")) << true;
    QTest::newRow("words") << QJsonValue(QStringLiteral("yesterday")) << true;
    QTest::newRow("object") << QJsonValue(QJsonObject{{QStringLiteral("t"), 1}}) << true;
}

void TestStorage::lastModifiedForms() {
    QFETCH(QJsonValue, lastModified);
    QFETCH(bool, legacy);
    StorageSandbox sandbox;
    const QByteArray original =
        storedDocument({sampleZone(QStringLiteral("example.com"), 2, true),
                        sampleZone(QStringLiteral("example.org"), 1, false)});
    const QByteArray document = rewriteZones(original, [&](QJsonObject& zone) {
        if (lastModified.isUndefined())
            zone.remove(QStringLiteral("lastModified"));
        else
            zone.insert(QStringLiteral("lastModified"), lastModified);
    });

    QCOMPARE(ZoneStorage::decodeCurrent(document).has_value(), !legacy);
    QVERIFY(ZoneStorage::decodeLegacy(document).has_value());

    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    preferences->setData(savedKey, document);
    const QStringList lines = sandbox.lines([&] { manager->loadZonesFromStorage(); });
    QCOMPARE(manager->zones().size(), 2);
    QCOMPARE(lines.contains(legacyTryLine), legacy);
    QCOMPARE(lines.contains(QStringLiteral("✅ Loaded zone (legacy): example.com with 2 records")),
             legacy);
    QCOMPARE(lines.contains(QStringLiteral("✅ Loaded zone: example.com with 2 records")), !legacy);
}

void TestStorage::legacyDocumentIsRewrittenAtOnce() {
    StorageSandbox sandbox;
    const QByteArray legacy = rewriteZones(
        storedDocument({sampleZone(QStringLiteral("example.com"), 2, true),
                        sampleZone(QStringLiteral("example.org"), 1, false)}),
        [](QJsonObject& zone) { zone.insert(QStringLiteral("lastModified"), 762876420.5); });
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    preferences->setData(savedKey, legacy);

    const QStringList lines = sandbox.lines([&] { manager->loadZonesFromStorage(); });
    const QString names = QStringLiteral(R"(["example.com", "example.org"])");
    QCOMPARE(lines,
             QStringList(
                 {loadingLine, foundLine(legacy.size()), legacyTryLine,
                  QStringLiteral("✅ Loaded zone (legacy): example.com with 2 records"),
                  QStringLiteral("✅ Loaded zone (legacy): example.org with 1 records"),
                  info(QStringLiteral("📱 Loaded 2 zones from app storage (legacy format)")),
                  QStringLiteral("✅ 📱 Loaded 2 zones from app storage (legacy format): ") + names,
                  info(QStringLiteral("💾 Saved 2 zones to app storage with backup")),
                  savedLine(names)}));

    // Rewritten in the current form; the legacy document became the backup.
    QCOMPARE(valueOf(*preferences, backupKey), legacy);
    const QByteArray rewritten = preferences->data(savedKey).value_or(QByteArray());
    QVERIFY(ZoneStorage::decodeCurrent(rewritten).has_value());

    const QStringList next = sandbox.lines([&] { manager->loadZonesFromStorage(); });
    QVERIFY(!next.contains(legacyTryLine));
    QVERIFY(next.contains(QStringLiteral("✅ Loaded zone: example.com with 2 records")));
    QCOMPARE(manager->zones().size(), 2);
}

void TestStorage::notAnArrayRestoresBackup() {
    StorageSandbox sandbox;
    const QByteArray backup = storedDocument({sampleZone(QStringLiteral("a.example"), 3, true),
                                              sampleZone(QStringLiteral("b.example"), 0, false)});
    const QByteArray broken = QByteArrayLiteral(R"({"name":"a.example","records":[]})");
    auto preferences = sandbox.openPreferences();
    preferences->setData(savedKey, broken);
    preferences->setData(backupKey, backup);

    QStringList lines;
    auto manager = sandbox.makeManager(preferences, &lines);
    const QString failure = QStringLiteral(
        "❌ Failed to load zones from app storage: the stored data is not a JSON array");
    const QStringList expected{loadingLine,
                               foundLine(broken.size()),
                               legacyTryLine,
                               info(failure),
                               failure,
                               info(QStringLiteral("🔄 Attempting to restore from backup...")),
                               loadingLine,
                               foundLine(backup.size()),
                               QStringLiteral("✅ Loaded zone: a.example with 3 records"),
                               QStringLiteral("✅ Loaded zone: b.example with 0 records"),
                               info(QStringLiteral("📱 Loaded 2 zones from app storage")),
                               QStringLiteral("✅ 📱 Loaded 2 zones from app storage: "
                                              R"(["a.example", "b.example"])")};
    const qsizetype start = lines.indexOf(loadingLine);
    QVERIFY(start >= 0);
    QCOMPARE(lines.mid(start, expected.size()), expected);
    QCOMPARE(manager->zones().size(), 2);
    QCOMPARE(valueOf(*preferences, savedKey), backup);
    QCOMPARE(valueOf(*preferences, backupKey), backup);
}

void TestStorage::storedNameIsCleaned_data() {
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

void TestStorage::storedNameIsCleaned() {
    QFETCH(QString, storedName);
    QFETCH(QString, filePath);
    QFETCH(QString, zoneName);
    QFETCH(QString, fileName);
    StorageSandbox sandbox;
    QJsonObject zone{{QStringLiteral("name"), storedName},
                     {QStringLiteral("filePath"), filePath},
                     {QStringLiteral("records"), QJsonArray()}};
    const QByteArray document = QJsonDocument(QJsonArray{zone}).toJson(QJsonDocument::Compact);
    auto preferences = sandbox.openPreferences();
    preferences->setData(savedKey, document);
    auto manager = sandbox.makeManager(preferences);
    manager->configuration()->setZoneFile(QStringLiteral("kept.example"),
                                          QStringLiteral("db.kept"));

    const QStringList lines = sandbox.lines([&] { manager->loadZonesFromStorage(); });
    QCOMPARE(manager->zones().size(), 1);
    QCOMPARE(manager->zones().at(0)->name(), zoneName);
    QCOMPARE(manager->zones().at(0)->filePath(), filePath);
    QVERIFY(lines.contains(QStringLiteral("✅ Loaded zone: ") + storedName + " with 0 records"));
    QVERIFY(lines.contains(QStringLiteral("✅ 📱 Loaded 1 zones from app storage: [\"") + zoneName +
                           "\"]"));
    const QMap<QString, QString> expected{
        {zoneName, fileName}, {QStringLiteral("kept.example"), QStringLiteral("db.kept")}};
    QCOMPARE(manager->configuration()->zoneFiles(), expected);
}

void TestStorage::recordIdsSurviveZoneIdsDoNot() {
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    auto manager = sandbox.makeManager(preferences);
    const ZonePtr zone = sampleZone(QStringLiteral("example.com"), 12, true);
    manager->setZones({zone});
    sandbox.lines([&] { manager->saveZonesToStorage(); });
    sandbox.lines([&] { manager->loadZonesFromStorage(); });

    QCOMPARE(manager->zones().size(), 1);
    const ZonePtr loaded = manager->zones().at(0);
    QVERIFY(loaded != zone);
    QVERIFY(loaded->id() != zone->id());
    QCOMPARE(loaded->records().size(), zone->records().size());
    for (qsizetype i = 0; i < zone->records().size(); ++i) {
        // Every field, the id included, as it was saved.
        QCOMPARE(loaded->records().at(i).id, zone->records().at(i).id);
        QCOMPARE(loaded->records().at(i).toJson(), zone->records().at(i).toJson());
    }
}

void TestStorage::recordsAreLoadedAsTheyStand() {
    // Stored records are neither cleaned nor validated on the way in.
    StorageSandbox sandbox;
    QJsonObject record{{QStringLiteral("name"), QStringLiteral(" my host! ")},
                       {QStringLiteral("type"), QStringLiteral("A")},
                       {QStringLiteral("value"), QStringLiteral(" 10.0.0.g ")},
                       {QStringLiteral("ttl"), 0}};
    QJsonObject zone{{QStringLiteral("name"), QStringLiteral("example.com")},
                     {QStringLiteral("filePath"), QStringLiteral("/x/db.example.com")},
                     {QStringLiteral("records"), QJsonArray{record}},
                     {QStringLiteral("comment"), QStringLiteral("unknown keys are ignored")}};
    auto preferences = sandbox.openPreferences();
    preferences->setData(savedKey, QJsonDocument(QJsonArray{zone}).toJson());
    auto manager = sandbox.makeManager(preferences);

    QCOMPARE(manager->zones().size(), 1);
    const DNSRecord loaded = manager->zones().at(0)->records().at(0);
    QCOMPARE(loaded.name, QStringLiteral(" my host! "));
    QCOMPARE(loaded.value, QStringLiteral(" 10.0.0.g "));
    QCOMPARE(loaded.ttl, qint64(0));
    QVERIFY(!loaded.id.isNull()); // missing id: a fresh one
}

void TestStorage::secondManagerSeesSameZones() {
    StorageSandbox sandbox;
    QList<ZonePtr> zones{sampleZone(QStringLiteral("example.com"), 7, true),
                         sampleZone(QStringLiteral("example.org"), 0, false),
                         sampleZone(QStringLiteral("2.0.192.in-addr.arpa"), 2, true)};
    {
        auto manager = sandbox.makeManager();
        manager->setZones(zones);
        sandbox.lines([&] { manager->saveZonesToStorage(); });
    }
    QStringList startUp;
    auto second = sandbox.makeManager(sandbox.openPreferences(), &startUp);
    QVERIFY(startUp.contains(QStringLiteral("📱 App storage loading complete. Current zones: 3")));
    QVERIFY(startUp.contains(
        QStringLiteral("✅ DNSServerManager initialization complete with 3 zones")));

    QCOMPARE(zoneSummary(second->zones()), zoneSummary(zones));
    for (qsizetype z = 0; z < zones.size(); ++z) {
        const ZonePtr& before = zones.at(z);
        const ZonePtr& after = second->zones().at(z);
        QCOMPARE(after->soaRecord(), before->soaRecord());
        for (qsizetype r = 0; r < before->records().size(); ++r)
            QCOMPARE(after->records().at(r).toJson(), before->records().at(r).toJson());
        QCOMPARE(second->configuration()->zoneFiles().value(before->name()),
                 QStringLiteral("db.") + before->name());
    }
}

void TestStorage::saveFailure_data() {
    QTest::addColumn<bool>("withBackup");
    QTest::newRow("backup present") << true;
    QTest::newRow("no backup") << false;
}

void TestStorage::saveFailure() {
    // A text that is not valid Unicode cannot be written as UTF-8: the save
    // fails, and what is stored falls back to the backup.
    QFETCH(bool, withBackup);
    StorageSandbox sandbox;
    auto preferences = sandbox.openPreferences();
    const QByteArray main = QByteArrayLiteral("[]");
    const QByteArray backup =
        QByteArrayLiteral(R"([{"name":"old","filePath":"db.old","records":[]}])");
    preferences->setData(savedKey, main);
    if (withBackup)
        preferences->setData(backupKey, backup);
    auto manager = sandbox.makeManager(preferences);

    const ZonePtr good = sampleZone(QStringLiteral("a.example"), 1, false);
    const ZonePtr bad = sampleZone(QStringLiteral("b.example"), 3, false);
    QList<DNSRecord> records = bad->records();
    records[1].value = QStringLiteral("mail") + QChar(0xD800) + QStringLiteral(".example.");
    bad->setRecords(records);
    manager->setZones({good, bad});

    const QStringList lines = sandbox.lines([&] { manager->saveZonesToStorage(); });
    const QString failure =
        QStringLiteral("❌ Failed to save zones to app storage: zone 2, record 2: "
                       "\"value\" holds text that is not valid Unicode");
    QStringList expected{info(failure), failure};
    if (withBackup)
        expected.append(info(QStringLiteral("🔄 Restored zones from backup after save failure")));
    QCOMPARE(lines, expected);
    QCOMPARE(valueOf(*preferences, savedKey), withBackup ? backup : main);
    QCOMPARE(valueOf(*preferences, backupKey), withBackup ? backup : QByteArrayLiteral("<none>"));
    QCOMPARE(manager->zones().size(), 2);
}

void TestStorage::logLinesReachTheLog() {
    StorageSandbox sandbox;
    auto manager = sandbox.makeManager();
    manager->setZones({sampleZone(QStringLiteral("example.com"), 1, false)});
    const qsizetype before = manager->logs().size();
    sandbox.lines([&] {
        manager->saveZonesToStorage();
        manager->loadZonesFromStorage();
    });
    const QStringList added = withoutTimeStamps(manager->logs().mid(before));
    QCOMPARE(added, QStringList({info(QStringLiteral("💾 Saved 1 zones to app storage with backup")),
                                 info(QStringLiteral("📱 Loaded 1 zones from app storage"))}));
}

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
