// The zone database: every record type through a real SQLite file, the record
// and zone changes, failed writes, the one-time import from the preferences
// in each of its forms, and damaged files found and recovered from.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "BindCheckers.h"
#include "ZoneDatabaseTestSupport.h"
#include "manager/ZoneStorage.h"
#include "platform/PreferencesStore.h"
#include "storage/ZoneStore.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

StoredZone zoneNamed(const QString& name, const std::optional<SOARecord>& soa = standardSOA()) {
    return {QUuid::createUuid(), name, u"/var/lib/bind/db."_s + name, soa, 0};
}

// A record of `type` with every type-specific field set, or with none.
DNSRecord fullRecord(DNSRecordType type, bool withOptions) {
    DNSRecord record = rawRecord(u"h\u00f6st-%1"_s.arg(rawValue(type)), type,
                                 u"\"v=1 /x\" caf\u00e9 \U0001F600 \\065"_s, 2147483647);
    if (withOptions) {
        static_cast<RecordOptions&>(record) =
            opts(u"priority=10 weight=0 port=65535 flag=128 tag=issue "
                 "algorithm=13 digestType=2 usage=3 selector=-1"_s);
    }
    return record;
}

QString text(const QList<StoreNotice>& notices) {
    QStringList lines;
    for (const StoreNotice& n : notices)
        lines.append(n.text);
    return lines.join(u'\n');
}

QByteArray document(const QList<ZoneStorageData>& zones) {
    return *ZoneStorage::encode(zones);
}

} // namespace

class TestZoneDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_next = 0;

    ZoneDatabaseSettings freshSettings() {
        ZoneDatabaseSettings settings;
        settings.directory = m_dir.filePath(u"data%1"_s.arg(++m_next));
        settings.preferencesFile = settings.directory + u".ini"_s;
        return settings;
    }

private Q_SLOTS:
    // Every type, with and without its optional fields, comes back exactly
    // as stored: id, name, value, TTL, every option, in order, after the
    // database was closed and opened again.
    void roundTrip_data() {
        QTest::addColumn<DNSRecord>("record");
        for (const DNSRecordType type : allRecordTypes()) {
            const QByteArray name = rawValue(type).toLatin1();
            QTest::addRow("%s with options", name.constData()) << fullRecord(type, true);
            QTest::addRow("%s bare", name.constData()) << fullRecord(type, false);
        }
        // A record of a type Korvi keeps as read, without editing it.
        DNSRecord kept = fullRecord(DNSRecordType::TXT, false);
        kept.keptType = u"NAPTR"_s;
        kept.value = u"100 10 \"u\" \"E2U+sip\" \"!^.*$!sip:info@example.com!\" ."_s;
        QTest::newRow("kept NAPTR") << kept;
    }
    void roundTrip() {
        QFETCH(DNSRecord, record);
        const ZoneDatabaseSettings settings = freshSettings();
        StoredZone zone = zoneNamed(u"example.com"_s);
        zone.soaRecord->ttl = 86400; // the SOA line's own TTL
        DNSRecord second = record;
        second.id = QUuid::createUuid();
        second.name.clear();
        {
            Opened db = openDatabase(settings);
            QVERIFY(db.opening);
            // Through a new zone's records and through a record change.
            QVERIFY(stored(*db.database, db.database->addZone(zone, {record})));
            const auto added = writeOutcome(*db.database, db.database->addRecord(zone.id, second));
            QVERIFY(added);
            QCOMPARE(*added, QString());
        }
        Opened db = openDatabase(settings);
        QVERIFY(db.opening);
        const auto records = loadRecords(*db.database, zone.id);
        QVERIFY(records);
        QCOMPARE(asJson(*records), asJson({record, second}));
        const auto zones = loadZones(*db.database);
        QVERIFY(zones);
        QCOMPARE(zones->size(), 1);
        QCOMPARE(zones->first().id, zone.id);
        QCOMPARE(zones->first().name, zone.name);
        QCOMPARE(zones->first().filePath, zone.filePath);
        QCOMPARE(zones->first().soaRecord, zone.soaRecord);
        QCOMPARE(zones->first().recordCount, 2);
    }

    // Record and zone changes as the store keeps them.
    void changes() {
        Opened db = openDatabase(freshSettings());
        QVERIFY(db.opening);
        ZoneDatabase& store = *db.database;
        const StoredZone a = zoneNamed(u"a.example"_s, std::nullopt);
        const StoredZone b = zoneNamed(u"b.example"_s);
        const DNSRecord r1 = rawRecord(u"one"_s, DNSRecordType::A, u"192.0.2.1"_s);
        const DNSRecord r2 = rawRecord(u"two"_s, DNSRecordType::A, u"192.0.2.2"_s);
        DNSRecord twin = rawRecord(u"twin"_s, DNSRecordType::A, u"192.0.2.3"_s);
        twin.id = r1.id; // older data may hold an id twice
        QVERIFY(stored(store, store.addZone(a, {r1, r2, twin})));
        QVERIFY(stored(store, store.addZone(b, {r2})));

        // An update replaces the first record with the id, in its place, and
        // stores the SOA given with it.
        DNSRecord changed = r1;
        changed.value = u"198.51.100.7"_s;
        SOARecord soa = standardSOA();
        soa.serial = 2025030502;
        QVERIFY(stored(store, store.updateRecord(a.id, changed, soa)));
        QCOMPARE(asJson(*loadRecords(store, a.id)), asJson({changed, r2, twin}));
        QCOMPARE(loadZones(store)->first().soaRecord, soa);

        // An added record goes to the end; a delete takes every copy of the id.
        const DNSRecord r3 = rawRecord(u"three"_s, DNSRecordType::TXT, u"\"t\""_s);
        QVERIFY(stored(store, store.addRecord(a.id, r3)));
        QVERIFY(stored(store, store.deleteRecord(a.id, r1.id)));
        QCOMPARE(asJson(*loadRecords(store, a.id)), asJson({r2, r3}));
        // The same id in another zone is another record.
        QCOMPARE(asJson(*loadRecords(store, b.id)), asJson({r2}));

        // Removing a zone takes its records and SOA; the others keep order.
        QVERIFY(stored(store, store.updateSoa(a.id, std::nullopt)));
        QCOMPARE(loadZones(store)->first().soaRecord, std::nullopt);
        const StoredZone c = zoneNamed(u"c.example"_s);
        QVERIFY(stored(store, store.addZone(c)));
        QVERIFY(stored(store, store.removeZone(a.id)));
        const auto zones = loadZones(store);
        QCOMPARE(zones->size(), 2);
        QCOMPARE(zones->at(0).name, u"b.example"_s);
        QCOMPARE(zones->at(1).name, u"c.example"_s);
        QCOMPARE(zones->at(1).recordCount, 0);
        QVERIFY(!loadRecords(store, a.id));
    }

    // A write the database refuses is reported as failed and leaves nothing
    // behind, also when part of it had already been written.
    void failedWrites() {
        const ZoneDatabaseSettings settings = freshSettings();
        const StoredZone zone = zoneNamed(u"example.com"_s);
        const DNSRecord first = rawRecord(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s);
        {
            Opened db = openDatabase(settings);
            QVERIFY(stored(*db.database, db.database->addZone(zone, {first})));
        }
        {
            // The disk refusing the write, played by a trigger that fails
            // every SOA change: the record row of the change was written
            // first and must be rolled back with it.
            QSqlDatabase raw = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
            raw.setDatabaseName(settings.directory + u"/zones.sqlite"_s);
            QVERIFY(raw.open());
            QSqlQuery(raw).exec(u"CREATE TRIGGER refuse BEFORE INSERT ON soa_records "
                                "BEGIN SELECT RAISE(ABORT, 'disk says no'); END"_s);
            raw.close();
        }
        QSqlDatabase::removeDatabase(u"raw"_s);
        Opened db = openDatabase(settings);
        ZoneDatabase& store = *db.database;
        const DNSRecord second = rawRecord(u"mail"_s, DNSRecordType::A, u"192.0.2.2"_s);
        SOARecord soa = standardSOA();
        soa.serial += 1;
        const auto refused = writeOutcome(store, store.addRecord(zone.id, second, soa));
        QVERIFY(refused);
        QVERIFY2(refused->startsWith(u"The change was not stored: "_s), qPrintable(*refused));
        QVERIFY2(refused->contains(u"disk says no"_s), qPrintable(*refused));
        QCOMPARE(asJson(*loadRecords(store, zone.id)), asJson({first}));
        QCOMPARE(loadZones(store)->first().soaRecord, standardSOA());

        // A change for a zone the database does not hold.
        const auto unknown = writeOutcome(store, store.addRecord(QUuid::createUuid(), second));
        QVERIFY(unknown);
        QVERIFY2(unknown->contains(u"not in the zone database"_s), qPrintable(*unknown));
    }

    // Import from the preferences: each stored form, the backup key, and
    // damage named as damage. The preferences are left exactly as they were
    // and the import runs once.
    void import_data() {
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("backup");
        QTest::addColumn<QStringList>("zoneNames");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QByteArray>("source"); // the document the zones come from

        DNSRecord mx(QString(), DNSRecordType::MX, u"mail.one.example."_s, 600, opts("priority=5"));
        const QList<ZoneStorageData> two = {
            {u"one.example"_s,
             u"/var/lib/bind/db.one.example"_s,
             {rawRecord(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s), mx},
             standardSOA(),
             fixedTime},
            {u"my_zone.example"_s,
             u"/var/lib/bind/db.my_zone.example"_s,
             {},
             std::nullopt,
             fixedTime}};
        const QByteArray current = document(two);
        // The older form: a date that is not ISO 8601 text.
        QJsonArray legacy;
        for (const auto& zone : QJsonDocument::fromJson(current).array()) {
            QJsonObject o = zone.toObject();
            o.insert(u"lastModified"_s, 762876000);
            legacy.append(o);
        }
        const QByteArray older = QJsonDocument(legacy).toJson(QJsonDocument::Compact);
        const QByteArray damaged = current.left(current.size() / 2);
        const QByteArray none;
        const QStringList names = {u"one.example"_s, u"myzone.example"_s};

        QTest::newRow("current form") << current << none << names
                                      << u"📥 Imported 2 zones with 2 records from the "
                                         "preferences, current form; the preferences are left "
                                         "as they were"_s
                                      << current;
        QTest::newRow("older form") << older << none << names
                                    << u"📥 Imported 2 zones with 2 records from the "
                                       "preferences, older form"_s
                                    << older;
        QTest::newRow("damaged, backup read")
            << damaged << current << names
            << u"⚠️ the zones in the preferences cannot be read: "_s << current;
        QTest::newRow("backup only, older form")
            << none << older << names << u"⚠️ the preferences hold no current zone document"_s
            << older;
        QTest::newRow("damaged, backup damaged")
            << damaged << "[{}]"_ba << QStringList()
            << u"❌ The zones kept in the preferences are damaged and were not imported: "_s << none;
        QTest::newRow("nothing stored") << none << none << QStringList() << QString() << none;
    }
    void import() {
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, backup);
        QFETCH(QStringList, zoneNames);
        QFETCH(QString, notice);
        QFETCH(QByteArray, source);
        const ZoneDatabaseSettings settings = freshSettings();
        {
            PreferencesStore preferences(settings.preferencesFile);
            if (!main.isEmpty())
                preferences.setData(ZoneStorage::savedZonesKey(), main);
            if (!backup.isEmpty())
                preferences.setData(ZoneStorage::backupKey(), backup);
            preferences.synchronize();
        }
        QFile file(settings.preferencesFile);
        const QByteArray before = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        file.close();
        {
            Opened db = openDatabase(settings);
            QVERIFY(db.opening);
            QCOMPARE(db.opening->imported, !zoneNames.isEmpty());
            if (notice.isEmpty())
                QCOMPARE(db.notices.size(), 1); // only the line about the new database
            else
                QVERIFY2(text(db.notices).contains(notice), qPrintable(text(db.notices)));
            const auto zones = loadZones(*db.database);
            QVERIFY(zones);
            QStringList names;
            for (const StoredZone& z : *zones)
                names.append(z.name);
            QCOMPARE(names, zoneNames);
            if (!zones->isEmpty()) {
                // Record ids, values and the SOA as they were stored.
                const auto records = loadRecords(*db.database, zones->first().id);
                const auto expected = ZoneStorage::decodeLegacy(source);
                QVERIFY(records);
                QVERIFY(expected);
                QCOMPARE(asJson(*records), asJson(expected->first().records));
                QCOMPARE(zones->first().soaRecord, expected->first().soaRecord);
                QCOMPARE(zones->at(1).soaRecord, std::nullopt);
            }
        }
        if (file.open(QIODevice::ReadOnly))
            QCOMPARE(file.readAll(), before);
        else
            QVERIFY(before.isEmpty());
        file.close();

        // Once only: a second start imports nothing, even if the
        // preferences changed meanwhile.
        {
            PreferencesStore preferences(settings.preferencesFile);
            preferences.setData(
                ZoneStorage::savedZonesKey(),
                document({{u"late.example"_s, u"/x"_s, {}, std::nullopt, fixedTime}}));
            preferences.synchronize();
        }
        Opened again = openDatabase(settings);
        QVERIFY(again.opening);
        QVERIFY(!again.opening->imported);
        QVERIFY(again.notices.isEmpty());
        QCOMPARE(loadZones(*again.database)->size(), zoneNames.size());
    }
};

QTEST_GUILESS_MAIN(TestZoneDatabase)
#include "tst_zonedatabase.moc"
