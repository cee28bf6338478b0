// Damaged stored zones: whatever is under the main key, a load either reads
// a whole document or falls back to the backup, never leaves a partial list,
// never crashes, and ends even when the backup is damaged too.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

#include "StorageSandbox.h"

using namespace korvi;
using namespace korvi::testing;

namespace {

const QString savedKey = QStringLiteral("Korvi_SavedZones");
const QString backupKey = QStringLiteral("Korvi_SavedZones_Backup");
const QString loadingLine = QStringLiteral("🔄 Loading zones from UserDefaults...");
const QString failurePrefix = QStringLiteral("❌ Failed to load zones from app storage: ");
const QString restoreMessage = QStringLiteral("🔄 Attempting to restore from backup...");
const QString backupUnreadable =
    QStringLiteral("⚠️ The backup of the zones cannot be read either; zones left unchanged");

QList<ZonePtr> threeZones() {
    return {sampleZone(QStringLiteral("example.com"), 6, true),
            sampleZone(QStringLiteral("example.org"), 2, false),
            sampleZone(QStringLiteral("2.0.192.in-addr.arpa"), 3, true)};
}

QList<ZonePtr> backupZones() {
    return {sampleZone(QStringLiteral("backup-one.example"), 4, true),
            sampleZone(QStringLiteral("backup-two.example"), 1, false)};
}

// One valid zone object with one record, to damage one field at a time.
QJsonObject zoneObject() {
    return QJsonObject{
        {QStringLiteral("name"), QStringLiteral("example.com")},
        {QStringLiteral("filePath"), QStringLiteral("/var/named/db.example.com")},
        {QStringLiteral("records"),
         QJsonArray{QJsonObject{
             {QStringLiteral("id"), QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000A")},
             {QStringLiteral("name"), QStringLiteral("www")},
             {QStringLiteral("type"), QStringLiteral("A")},
             {QStringLiteral("value"), QStringLiteral("192.0.2.1")},
             {QStringLiteral("ttl"), 3600}}}},
        {QStringLiteral("soaRecord"), SOARecord{QStringLiteral("ns1.example.com."),
                                                QStringLiteral("admin.example.com."), 2025030501}
                                          .toJson()}};
}

QByteArray compact(const QJsonValue& value) {
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
}

// The zone document with one change made to its first record.
QByteArray withRecord(const std::function<void(QJsonObject&)>& change) {
    QJsonObject zone = zoneObject();
    QJsonArray records = zone.value(QStringLiteral("records")).toArray();
    QJsonObject record = records.at(0).toObject();
    change(record);
    records.replace(0, record);
    zone.insert(QStringLiteral("records"), records);
    return compact(QJsonArray{zone});
}

QByteArray withZone(const std::function<void(QJsonObject&)>& change) {
    QJsonObject zone = zoneObject();
    change(zone);
    return compact(QJsonArray{zone});
}

QByteArray randomBytes(QRandomGenerator& random, qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

class TestStorageDamage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void documentsThatCannotBeRead_data();
    void documentsThatCannotBeRead();
    void everyTruncationFallsBackToBackup();
    void randomBytesFallBackToBackup();
    void flippedBytesLoadWholeOrFallBack();
    void damagedBackupEndsTheLoad_data();
    void damagedBackupEndsTheLoad();
    void damagedDocumentWithoutBackup();

private:
    // Stores `main`, and `backup` under the backup key (absent when null),
    // and gives the manager (made on first use) the zones `m_before`.
    void prepare(const QByteArray& main, const QByteArray& backup,
                 std::unique_ptr<DNSServerManager>& manager,
                 std::shared_ptr<PreferencesStore>& preferences);
    // prepare(), then a load; returns the lines written.
    QStringList load(const QByteArray& main, const QByteArray& backup,
                     std::unique_ptr<DNSServerManager>& manager,
                     std::shared_ptr<PreferencesStore>& preferences);
    // Many loads in a row write into one capture; check(i) runs after each.
    template <typename Next, typename Check>
    QStringList loadMany(int count, Next next, Check check,
                         std::unique_ptr<DNSServerManager>& manager,
                         std::shared_ptr<PreferencesStore>& preferences);

    StorageSandbox m_sandbox;
    QByteArray m_threeZones;
    QByteArray m_backup;
    QStringList m_backupSummary;
    QStringList m_threeSummary;
    QList<ZonePtr> m_before;
};

void TestStorageDamage::initTestCase() {
    QVERIFY(m_sandbox.isValid());
    const QList<ZonePtr> three = threeZones();
    m_threeZones = storedDocument(three);
    m_threeSummary = zoneSummary(three);
    const QList<ZonePtr> backup = backupZones();
    m_backup = storedDocument(backup);
    m_backupSummary = zoneSummary(backup);
    QVERIFY(ZoneStorage::decodeCurrent(m_threeZones).has_value());
    QVERIFY(ZoneStorage::decodeCurrent(m_backup).has_value());
    m_before = {sampleZone(QStringLiteral("in-memory.example"), 1, false)};
}

void TestStorageDamage::prepare(const QByteArray& main, const QByteArray& backup,
                                std::unique_ptr<DNSServerManager>& manager,
                                std::shared_ptr<PreferencesStore>& preferences) {
    if (!preferences) {
        preferences = m_sandbox.openPreferences();
        manager = m_sandbox.makeManager(preferences);
    }
    preferences->setData(savedKey, main);
    if (backup.isNull())
        preferences->remove(backupKey);
    else
        preferences->setData(backupKey, backup);
    manager->setZones(m_before);
}

QStringList TestStorageDamage::load(const QByteArray& main, const QByteArray& backup,
                                    std::unique_ptr<DNSServerManager>& manager,
                                    std::shared_ptr<PreferencesStore>& preferences) {
    prepare(main, backup, manager, preferences);
    return m_sandbox.lines([&] { manager->loadZonesFromStorage(); });
}

template <typename Next, typename Check>
QStringList TestStorageDamage::loadMany(int count, Next next, Check check,
                                        std::unique_ptr<DNSServerManager>& manager,
                                        std::shared_ptr<PreferencesStore>& preferences) {
    prepare(QByteArray("[]"), m_backup, manager, preferences);
    // Without a pass through the event loop per load, the preferences file is
    // not rewritten after every change: the loop stays quick.
    ConsoleCapture capture(m_sandbox.path(QStringLiteral("many.txt")));
    for (int i = 0; i < count; ++i) {
        prepare(next(i), m_backup, manager, preferences);
        manager->loadZonesFromStorage();
        check(i);
    }
    const QStringList lines = withoutTimeStamps(capture.finish());
    QCoreApplication::processEvents();
    return lines;
}

void TestStorageDamage::documentsThatCannotBeRead_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << QByteArray("") << "not valid JSON";
    QTest::newRow("white space") << QByteArray(" \n") << "not valid JSON";
    QTest::newRow("object") << compact(zoneObject()) << "not a JSON array";
    QTest::newRow("number") << QByteArray("42") << "not valid JSON";
    QTest::newRow("null") << QByteArray("null") << "not valid JSON";
    QTest::newRow("text") << QByteArray("\"[]\"") << "not valid JSON";
    QTest::newRow("array of texts") << QByteArray(R"(["example.com"])") << "zone 1:";
    QTest::newRow("trailing garbage") << QByteArray("[]]") << "not valid JSON";
    QTest::newRow("invalid UTF-8 byte")
        << QByteArray("[{\"name\":\"ex\xff\"}]") << "not valid JSON";
    QTest::newRow("overlong slash") << QByteArray("[{\"name\":\"a\xc0\xaf\"}]") << "not valid JSON";
    QTest::newRow("cut multi-byte") << QByteArray("[{\"name\":\"\xc5\"}]") << "not valid JSON";
    QTest::newRow("encoded surrogate")
        << QByteArray("[{\"name\":\"\xed\xa0\x80\"}]") << "not valid JSON";
    QTest::newRow("escaped lone surrogate") << withZone([](QJsonObject& z) {
                                                   z.insert("filePath", QStringLiteral("\\ud800"));
                                               }).replace("\\\\ud800", "\\ud800")
                                            << "not valid Unicode";
    QTest::newRow("no name") << withZone([](QJsonObject& z) { z.remove("name"); }) << "zone 1:";
    QTest::newRow("no filePath") << withZone([](QJsonObject& z) { z.remove("filePath"); })
                                 << "\"filePath\"";
    QTest::newRow("records not array")
        << withZone([](QJsonObject& z) { z.insert("records", QJsonObject()); }) << "\"records\"";
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
        << withRecord([](QJsonObject& r) { r.insert("type", QStringLiteral("SPF")); }) << "SPF";
    QTest::newRow("record bad id")
        << withRecord([](QJsonObject& r) { r.insert("id", QStringLiteral("nope")); }) << "UUID";
    QTest::newRow("record priority text")
        << withRecord([](QJsonObject& r) { r.insert("priority", QStringLiteral("10")); })
        << "\"priority\"";
}

void TestStorageDamage::documentsThatCannotBeRead() {
    QFETCH(QByteArray, document);
    QFETCH(QString, reason);

    QString currentError;
    QString legacyError;
    QVERIFY(!ZoneStorage::decodeCurrent(document, &currentError));
    QVERIFY(!ZoneStorage::decodeLegacy(document, &legacyError));
    QVERIFY2(legacyError.contains(reason), qPrintable(legacyError));

    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    const QStringList lines = load(document, m_backup, manager, preferences);

    const QString failure = failurePrefix + legacyError;
    QCOMPARE(
        lines.mid(0, 6),
        QStringList(
            {loadingLine,
             QStringLiteral("✅ Found zone data in UserDefaults (%1 bytes)").arg(document.size()),
             QStringLiteral("⚠️ Failed to load with new format, trying legacy format..."),
             info(failure), failure, info(restoreMessage)}));
    QCOMPARE(lines.count(loadingLine), 2);
    QCOMPARE(zoneSummary(manager->zones()), m_backupSummary);
    QCOMPARE(preferences->data(savedKey).value_or(QByteArray()), m_backup);
}

void TestStorageDamage::everyTruncationFallsBackToBackup() {
    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    QStringList wrong;
    const int cuts = int(m_threeZones.size());
    const QStringList lines = loadMany(
        cuts, [&](int cut) { return m_threeZones.left(cut); },
        [&](int cut) {
            if (zoneSummary(manager->zones()) != m_backupSummary)
                wrong.append(QString::number(cut));
        },
        manager, preferences);
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("wrong zones after cuts at ") +
                                         wrong.join(QStringLiteral(", "))));
    // One failure (log line and console line) and one restore per cut.
    QCOMPARE(lines.filter(failurePrefix).size(), 2 * cuts);
    QCOMPARE(lines.count(info(restoreMessage)), cuts);
    QCOMPARE(lines.count(loadingLine), 2 * cuts);

    // The whole document, for contrast, loads its own three zones.
    load(m_threeZones, m_backup, manager, preferences);
    QCOMPARE(manager->zones().size(), 3);
    QCOMPARE(zoneSummary(manager->zones()), m_threeSummary);
}

void TestStorageDamage::randomBytesFallBackToBackup() {
    QRandomGenerator random(20250305);
    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    QStringList wrong;
    const int count = 300;
    const QStringList lines = loadMany(
        count,
        [&](int i) {
            QByteArray bytes = randomBytes(random, 1 + random.bounded(600));
            // Also start like a document, so that the parser gets further in.
            if (i % 3 == 1)
                bytes.prepend("[{\"name\":\"");
            else if (i % 3 == 2)
                bytes.prepend("[");
            return bytes;
        },
        [&](int i) {
            if (zoneSummary(manager->zones()) != m_backupSummary)
                wrong.append(QString::number(i));
        },
        manager, preferences);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    QCOMPARE(lines.count(info(restoreMessage)), count);
}

void TestStorageDamage::flippedBytesLoadWholeOrFallBack() {
    // A changed byte may still leave a readable document (a letter inside a
    // name); then all three zones load. Otherwise the backup does.
    QRandomGenerator random(7);
    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    QStringList wrong;
    int readable = 0;
    bool decodable = false;
    qsizetype at = 0;
    loadMany(
        300,
        [&](int) {
            QByteArray bytes = m_threeZones;
            at = random.bounded(bytes.size());
            bytes[at] = static_cast<char>(bytes.at(at) ^ (1 << random.bounded(8)));
            decodable = ZoneStorage::decodeLegacy(bytes).has_value();
            readable += decodable ? 1 : 0;
            return bytes;
        },
        [&](int) {
            const bool ok = decodable
                                ? manager->zones().size() == 3 &&
                                      preferences->data(savedKey).value_or(QByteArray()) != m_backup
                                : zoneSummary(manager->zones()) == m_backupSummary;
            if (!ok)
                wrong.append(QString::number(at));
        },
        manager, preferences);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    QVERIFY(readable > 0 && readable < 300);
}

void TestStorageDamage::damagedBackupEndsTheLoad_data() {
    QTest::addColumn<QByteArray>("main");
    QTest::addColumn<QByteArray>("backup");
    const QByteArray document = storedDocument(threeZones());
    QTest::newRow("both empty") << QByteArray("") << QByteArray("");
    QTest::newRow("truncated, random")
        << document.left(document.size() / 2) << QByteArray("\x01\x9c\xff{[", 5);
    QTest::newRow("not array, invalid UTF-8")
        << QByteArray("{}") << QByteArray("[{\"name\":\"\xfe\"}]");
    QTest::newRow("same damage") << QByteArray("[1]") << QByteArray("[1]");
}

void TestStorageDamage::damagedBackupEndsTheLoad() {
    QFETCH(QByteArray, main);
    QFETCH(QByteArray, backup);
    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    const QStringList lines = load(main, backup, manager, preferences);
    const QMap<QString, QString> zoneFiles = manager->configuration()->zoneFiles();

    QString mainError;
    QString backupError;
    ZoneStorage::decodeLegacy(main, &mainError);
    ZoneStorage::decodeLegacy(backup, &backupError);
    const QString legacyTry =
        QStringLiteral("⚠️ Failed to load with new format, trying legacy format...");
    const QString found = QStringLiteral("✅ Found zone data in UserDefaults (%1 bytes)");
    QCOMPARE(lines, QStringList({loadingLine, found.arg(main.size()), legacyTry,
                                 info(failurePrefix + mainError), failurePrefix + mainError,
                                 info(restoreMessage), loadingLine, found.arg(backup.size()),
                                 legacyTry, info(failurePrefix + backupError),
                                 failurePrefix + backupError, warning(backupUnreadable)}));
    QCOMPARE(manager->zones(), m_before);
    QCOMPARE(manager->configuration()->zoneFiles(), zoneFiles);
    QCOMPARE(preferences->data(savedKey).value_or(QByteArray("<none>")), backup);
    QCOMPARE(preferences->data(backupKey).value_or(QByteArray("<none>")), backup);
}

void TestStorageDamage::damagedDocumentWithoutBackup() {
    std::unique_ptr<DNSServerManager> manager;
    std::shared_ptr<PreferencesStore> preferences;
    const QByteArray main = m_threeZones.left(100);
    const QStringList lines = load(main, QByteArray(), manager, preferences);
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines.at(4).startsWith(failurePrefix));
    QCOMPARE(lines.count(loadingLine), 1);
    QCOMPARE(manager->zones(), m_before);
    QCOMPARE(preferences->data(savedKey).value_or(QByteArray("<none>")), main);
    QCOMPARE(preferences->data(backupKey).value_or(QByteArray("<none>")), QByteArray("<none>"));
}

QTEST_GUILESS_MAIN(TestStorageDamage)
#include "tst_storage_damage.moc"
