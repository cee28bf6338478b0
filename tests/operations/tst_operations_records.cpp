// The manager's record operations and the SOA serial advance: what they
// change, every log line they write, and the fixed order of their effects
// (model change, serial advance, zone-file save, preferences save, log line).
// The managers run on a host with no allowed path, so the zone-file save
// refuses at once with its own line and never writes or runs anything.
#include <QSignalSpy>
#include <QtTest>

#include "OperationsSandbox.h"
#include "ZoneTestData.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::testing;
using korvi::test::rawRecord;

namespace {
enum class RecordOperation { add, update, remove };
} // namespace

Q_DECLARE_METATYPE(RecordOperation)
Q_DECLARE_METATYPE(korvi::DNSRecord)

class TestRecordOperations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void addRecordSuccess_data();
    void addRecordSuccess();
    void invalidRecordChangesNothing_data();
    void invalidRecordChangesNothing();
    void defaultSoa_data();
    void defaultSoa();
    void serialAdvance_data();
    void serialAdvance();
    void orderOfEffects();
    void updateRecord_data();
    void updateRecord();
    void deleteRecord_data();
    void deleteRecord();

private:
    // The lines of a successful record change after the serial advance.
    QStringList afterAdvance(const ZonePtr& zone, const QList<ZonePtr>& zones,
                             const QString& outcome) const {
        return m_refusals.zoneFileLines(zone) + storageLines(zones) + QStringList{outcome};
    }
    std::unique_ptr<DNSServerManager> fixedManager() {
        auto manager = m_box.makeManager();
        manager->setClock(fixedNoon);
        return manager;
    }

    OperationsSandbox m_box;
    SaveRefusals m_refusals;
};

void TestRecordOperations::initTestCase() {
    QVERIFY(m_box.isValid());
    m_refusals = SaveRefusals::probe(m_box);
}

void TestRecordOperations::addRecordSuccess_data() {
    QTest::addColumn<DNSRecord>("record");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("apex A") << DNSRecord(QString(), DNSRecordType::A, QStringLiteral("192.0.2.1"),
                                         3600)
                            << QStringLiteral("A record '@' added to zone 'example.com'");
    QTest::newRow("www A") << DNSRecord(QStringLiteral("www"), DNSRecordType::A,
                                        QStringLiteral("192.0.2.10"), 300)
                           << QStringLiteral("A record 'www' added to zone 'example.com'");
    RecordOptions mx;
    mx.priority = 10;
    QTest::newRow("MX") << DNSRecord(QStringLiteral("mail"), DNSRecordType::MX,
                                     QStringLiteral("mx1.example.com."), 3600, mx)
                        << QStringLiteral("MX record 'mail' added to zone 'example.com'");
}

void TestRecordOperations::addRecordSuccess() {
    QFETCH(DNSRecord, record);
    QFETCH(QString, outcome);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
    const DNSRecord existing(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.53"),
                             3600);
    zone->setRecords({existing});
    manager->setZones({zone});

    const QStringList lines = m_box.lines([&] { manager->addRecord(record, zone); });
    QCOMPARE(lines,
             QStringList{incrementLine(QStringLiteral("example.com"), 2025030501, 2025030502)} +
                 afterAdvance(zone, {zone}, successLine(outcome)));
    QCOMPARE(recordIds(zone->records()), recordIds({existing, record}));
    QCOMPARE(zone->soaRecord()->serial, 2025030502);
    // The stored copy is the zone after the change and the advance.
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(recordIds(stored->at(0).records), recordIds({existing, record}));
    QCOMPARE(stored->at(0).records.last().value, record.value);
    QCOMPARE(stored->at(0).soaRecord, zone->soaRecord());
    OperationsSandbox::settle();
}

void TestRecordOperations::invalidRecordChangesNothing_data() {
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("withSoa");
    QTest::addColumn<QString>("heading");
    QTest::newRow("add") << false << true << QStringLiteral("Invalid DNS record for 'www' A:");
    QTest::newRow("add, no SOA") << false << false
                                 << QStringLiteral("Invalid DNS record for 'www' A:");
    QTest::newRow("update") << true << true
                            << QStringLiteral("Invalid DNS record update for 'www' A:");
}

void TestRecordOperations::invalidRecordChangesNothing() {
    QFETCH(bool, update);
    QFETCH(bool, withSoa);
    QFETCH(QString, heading);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    if (withSoa)
        zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
    DNSRecord original(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.10"), 60);
    zone->setRecords({original});
    manager->setZones({zone});
    m_box.lines([&] { manager->saveZonesToStorage(); });
    OperationsSandbox::settle();
    const QByteArray before = storedBytes(manager->preferences());

    // Two faults: the address and the TTL.
    DNSRecord bad =
        rawRecord(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("999.1.1.1"), 0);
    if (update)
        bad.id = original.id;
    const QStringList errors = validateRecord(bad).errors;
    QCOMPARE(errors.size(), 2);

    QSignalSpy changed(zone.get(), &DNSZone::changed);
    const QStringList lines = m_box.lines([&] {
        if (update)
            manager->updateRecord(bad, zone);
        else
            manager->addRecord(bad, zone);
    });
    QCOMPARE(lines, (QStringList{errorLine(heading), errorLine(QStringLiteral("  • ") + errors[0]),
                                 errorLine(QStringLiteral("  • ") + errors[1])}));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(zone->records().size(), 1);
    QCOMPARE(zone->records().first().value, QStringLiteral("192.0.2.10"));
    QCOMPARE(zone->soaRecord().has_value(), withSoa);
    if (withSoa)
        QCOMPARE(zone->soaRecord()->serial, 2025030501);
    QCOMPARE(storedBytes(manager->preferences()), before);
    OperationsSandbox::settle();
}

void TestRecordOperations::defaultSoa_data() {
    QTest::addColumn<RecordOperation>("operation");
    QTest::addColumn<QString>("zoneName");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("add") << RecordOperation::add << QStringLiteral("example.com")
                         << successLine("A record 'www' added to zone 'example.com'");
    QTest::newRow("update") << RecordOperation::update << QStringLiteral("example.com")
                            << successLine("A record 'www' updated in zone 'example.com'");
    QTest::newRow("delete") << RecordOperation::remove << QStringLiteral("example.com")
                            << infoLine("🗑️ A record 'www' deleted from zone 'example.com'");
    // The SOA names are cleaned; the log line names the zone as it is.
    QTest::newRow("name with underscore")
        << RecordOperation::add << QStringLiteral("my_zone.example.com")
        << successLine("A record 'www' added to zone 'my_zone.example.com'");
}

void TestRecordOperations::defaultSoa() {
    QFETCH(RecordOperation, operation);
    QFETCH(QString, zoneName);
    QFETCH(QString, outcome);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("placeholder.example"));
    zone->setName(zoneName);
    const DNSRecord www(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.10"),
                        3600);
    if (operation != RecordOperation::add)
        zone->setRecords({www});
    manager->setZones({zone});

    const QStringList lines = m_box.lines([&] {
        switch (operation) {
        case RecordOperation::add:
            manager->addRecord(www, zone);
            break;
        case RecordOperation::update:
            manager->updateRecord(www, zone);
            break;
        case RecordOperation::remove:
            manager->deleteRecord(www, zone);
            break;
        }
    });
    QCOMPARE(lines, QStringList({infoLine("Created default SOA record for zone '" + zoneName + "'"),
                                 incrementLine(zoneName, 2025030501, 2025030502)}) +
                        afterAdvance(zone, {zone}, outcome));
    QVERIFY(zone->soaRecord());
    SOARecord expected;
    expected.primaryNameServer = QStringLiteral("ns1.myzone.example.com.");
    expected.adminEmail = QStringLiteral("admin.myzone.example.com.");
    if (zoneName == QStringLiteral("example.com")) {
        expected.primaryNameServer = QStringLiteral("ns1.example.com.");
        expected.adminEmail = QStringLiteral("admin.example.com.");
    }
    expected.serial = 2025030502;
    expected.refresh = 3600;
    expected.retry = 1800;
    expected.expire = 1209600;
    expected.minimum = 86400;
    QCOMPARE(*zone->soaRecord(), expected);
    OperationsSandbox::settle();
}

void TestRecordOperations::serialAdvance_data() {
    QTest::addColumn<qint64>("oldSerial");
    QTest::addColumn<qint64>("newSerial");
    QTest::newRow("same day") << qint64(2025030507) << qint64(2025030508);
    QTest::newRow("earlier day") << qint64(2025030499) << qint64(2025030501);
    // The day's revisions are used up: the clock's Unix time follows.
    QTest::newRow("counter at 99") << qint64(2025030599) << fixedNoon().toSecsSinceEpoch();
}

void TestRecordOperations::serialAdvance() {
    QFETCH(qint64, oldSerial);
    QFETCH(qint64, newSerial);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    zone->setSoaRecord(soaWithSerial(zone->name(), oldSerial));
    const SOARecord before = *zone->soaRecord();
    const QStringList lines = m_box.lines([&] { manager->updateSOASerial(zone); });
    QCOMPARE(lines,
             QStringList{incrementLine(QStringLiteral("example.com"), oldSerial, newSerial)});
    SOARecord after = before;
    after.serial = newSerial;
    QCOMPARE(*zone->soaRecord(), after);
    OperationsSandbox::settle();
}

void TestRecordOperations::orderOfEffects() {
    // Model change, SOA advance, zone-file save, preferences save, log line.
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    zone->setSoaRecord(soaWithSerial(zone->name(), 2025030503));
    manager->setZones({zone});
    m_box.lines([&] { manager->saveZonesToStorage(); });
    OperationsSandbox::settle();

    const DNSRecord www(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.10"),
                        3600);
    // At each change of the zone: does the zone hold the record, what is its
    // serial, and does the stored copy hold the record yet?
    struct Seen {
        bool hasRecord;
        qint64 serial;
        bool storedHasRecord;
    };
    QList<Seen> seen;
    connect(zone.get(), &DNSZone::changed, this, [&] {
        const auto stored = storedZones(manager->preferences());
        seen.append({zone->indexOfRecord(www.id) >= 0, zone->soaRecord()->serial,
                     stored && stored->at(0).records.size() == 1});
    });
    const QStringList lines = m_box.lines([&] { manager->addRecord(www, zone); });
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen[0].hasRecord);
    QCOMPARE(seen[0].serial, 2025030503);
    QVERIFY(!seen[0].storedHasRecord);
    QCOMPARE(seen[1].serial, 2025030504);
    QVERIFY(!seen[1].storedHasRecord);
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(recordIds(stored->at(0).records), recordIds({www}));
    QCOMPARE(stored->at(0).soaRecord->serial, 2025030504);
    // The save's own line precedes the success line, and the zone-file save
    // (when it reports) lies between the advance and the preferences save.
    QCOMPARE(
        lines,
        QStringList{incrementLine(QStringLiteral("example.com"), 2025030503, 2025030504)} +
            afterAdvance(zone, {zone}, successLine("A record 'www' added to zone 'example.com'")));
    OperationsSandbox::settle();
}

void TestRecordOperations::updateRecord_data() {
    QTest::addColumn<bool>("known");
    QTest::newRow("known id") << true;
    QTest::newRow("unknown id") << false;
}

void TestRecordOperations::updateRecord() {
    QFETCH(bool, known);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
    const QList<DNSRecord> records = {
        DNSRecord(QStringLiteral("a"), DNSRecordType::A, QStringLiteral("192.0.2.1"), 60),
        DNSRecord(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.2"), 60),
        DNSRecord(QStringLiteral("c"), DNSRecordType::A, QStringLiteral("192.0.2.3"), 60),
    };
    zone->setRecords(records);
    const ZonePtr other = makeZone(QStringLiteral("example.org"));
    manager->setZones({other, zone});

    DNSRecord changed(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.99"), 120);
    if (known)
        changed.id = records[1].id;
    const QStringList lines = m_box.lines([&] { manager->updateRecord(changed, zone); });
    QCOMPARE(lines,
             QStringList{incrementLine(QStringLiteral("example.com"), 2025030501, 2025030502)} +
                 afterAdvance(zone, {other, zone},
                              successLine("A record 'www' updated in zone 'example.com'")));
    QList<DNSRecord> expected = records;
    if (known)
        expected[1] = changed;
    QCOMPARE(recordIds(zone->records()), recordIds(expected));
    QCOMPARE(zone->records()[1].value,
             known ? QStringLiteral("192.0.2.99") : QStringLiteral("192.0.2.2"));
    QCOMPARE(zone->records()[1].ttl, known ? 120 : 60);
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(stored->at(1).records[1].value, zone->records()[1].value);
    QCOMPARE(stored->at(1).soaRecord->serial, 2025030502);
    OperationsSandbox::settle();
}

void TestRecordOperations::deleteRecord_data() {
    QTest::addColumn<int>("target");      // index of the record deleted; -1 for one not held
    QTest::addColumn<QList<int>>("kept"); // indexes of the records left
    QTest::addColumn<QString>("outcome");
    QTest::newRow("apex MX") << 1 << QList<int>{0, 3, 4}
                             << QStringLiteral(
                                    "🗑️ MX record '@' deleted from zone 'example.com'");
    QTest::newRow("not held") << -1 << QList<int>{0, 1, 2, 3, 4}
                              << QStringLiteral(
                                     "🗑️ A record 'gone' deleted from zone 'example.com'");
    // An invalid record is deleted like any other: deleting validates nothing.
    QTest::newRow("invalid record")
        << 4 << QList<int>{0, 1, 2, 3}
        << QStringLiteral("🗑️ A record 'bad' deleted from zone 'example.com'");
}

void TestRecordOperations::deleteRecord() {
    QFETCH(int, target);
    QFETCH(QList<int>, kept);
    QFETCH(QString, outcome);
    auto manager = fixedManager();
    const ZonePtr zone = makeZone(QStringLiteral("example.com"));
    zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
    RecordOptions mx;
    mx.priority = 10;
    QList<DNSRecord> records = {
        DNSRecord(QStringLiteral("a"), DNSRecordType::A, QStringLiteral("192.0.2.1"), 60),
        DNSRecord(QString(), DNSRecordType::MX, QStringLiteral("mx.example.com."), 60, mx),
        DNSRecord(QStringLiteral("b"), DNSRecordType::A, QStringLiteral("192.0.2.2"), 60),
        DNSRecord(QStringLiteral("c"), DNSRecordType::A, QStringLiteral("192.0.2.3"), 60),
        rawRecord(QStringLiteral("bad"), DNSRecordType::A, QStringLiteral("not an address")),
    };
    // Stored data can hold an id twice; both go.
    records[2].id = records[1].id;
    zone->setRecords(records);
    manager->setZones({zone});

    const DNSRecord victim = target >= 0 ? records[target]
                                         : DNSRecord(QStringLiteral("gone"), DNSRecordType::A,
                                                     QStringLiteral("192.0.2.9"), 60);
    const QStringList lines = m_box.lines([&] { manager->deleteRecord(victim, zone); });
    QCOMPARE(lines,
             QStringList{incrementLine(QStringLiteral("example.com"), 2025030501, 2025030502)} +
                 afterAdvance(zone, {zone}, infoLine(outcome)));
    QList<DNSRecord> expected;
    for (int index : kept)
        expected.append(records[index]);
    QCOMPARE(recordIds(zone->records()), recordIds(expected));
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(recordIds(stored->at(0).records), recordIds(expected));
    QCOMPARE(stored->at(0).soaRecord->serial, 2025030502);
    OperationsSandbox::settle();
}

QTEST_GUILESS_MAIN(TestRecordOperations)
#include "tst_operations_records.moc"
