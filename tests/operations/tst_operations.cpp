// The manager's zone operations and the data-integrity sweep: what they
// change, every console and log line they write, and when named.conf is
// saved. The managers run on a host with no allowed path, so the zone-file and
// configuration saves refuse at once with their own line and never write or
// run anything.
#include <QSignalSpy>
#include <QtTest>

#include "OperationsSandbox.h"
#include "ZoneTestData.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::testing;
using korvi::test::rawRecord;

class TestZoneOperations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void addZoneLinesAndState();
    void addZoneInvalidName_data();
    void addZoneInvalidName();
    void addZoneSameNameTwice();
    void addZoneFileMapping_data();
    void addZoneFileMapping();
    void removeZone_data();
    void removeZone();
    void dataIntegrity_data();
    void dataIntegrity();
    void dataIntegrityWithoutRecords();

private:
    QStringList configurationRefusal() const { return m_refusals.configurationLines(); }
    std::unique_ptr<DNSServerManager> fixedManager() {
        auto manager = m_box.makeManager();
        manager->setClock(fixedNoon);
        return manager;
    }

    OperationsSandbox m_box;
    SaveRefusals m_refusals;
};

void TestZoneOperations::initTestCase() {
    QVERIFY(m_box.isValid());
    m_refusals = SaveRefusals::probe(m_box);
}

void TestZoneOperations::addZoneLinesAndState() {
    OperationsSandbox box;
    auto manager = box.makeManager();
    const ZonePtr first = makeZone(QStringLiteral("example.com"));
    QSignalSpy zonesSpy(manager.get(), &DNSServerManager::zonesChanged);

    QStringList lines = box.lines([&] { manager->addZone(first); });
    QStringList expected = {
        QStringLiteral("🔄 DNSServerManager.addZone() called for: 'example.com'"),
        QStringLiteral("🔍 Current zones before add: []"),
        QStringLiteral("✅ Zone name validation passed"),
        QStringLiteral("✅ Zone added to memory. Total zones: 1"),
        QStringLiteral("🔍 All zones: [\"example.com\"]"),
        QStringLiteral("💾 Saving to storage..."),
    };
    expected += storageLines({first});
    expected += {QStringLiteral("✅ Zone saved to app storage"),
                 infoLine(QStringLiteral("✅ Zone 'example.com' added successfully")),
                 QStringLiteral("✅ Zone creation completed for: 'example.com'")};
    QCOMPARE(lines, expected);
    QCOMPARE(zonesSpy.count(), 1);
    QCOMPARE(manager->zones(), QList<ZonePtr>{first});
    // No SOA, no record, no zone file: those come with the first record change.
    QVERIFY(!first->soaRecord());
    QVERIFY(first->records().isEmpty());

    // named.conf is saved only after the operation has returned.
    const QStringList later = box.lines([] { QCoreApplication::processEvents(); });
    QCOMPARE(later.count(SaveRefusals::configurationRefusal()), configurationRefusal().size());

    const ZonePtr second = makeZone(QStringLiteral("example.org"));
    lines = box.lines([&] { manager->addZone(second); });
    QVERIFY(lines.size() > 4);
    QCOMPARE(lines[1], QStringLiteral("🔍 Current zones before add: [\"example.com\"]"));
    QCOMPARE(lines[3], QStringLiteral("✅ Zone added to memory. Total zones: 2"));
    QCOMPARE(lines[4], QStringLiteral("🔍 All zones: [\"example.com\", \"example.org\"]"));
    QCOMPARE(manager->zones(), (QList<ZonePtr>{first, second}));
    QCOMPARE(manager->configuration()->zoneFiles(),
             (QMap<QString, QString>{{"example.com", "db.example.com"},
                                     {"example.org", "db.example.org"}}));

    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(stored->size(), 2);
    QCOMPARE(stored->at(0).name, QStringLiteral("example.com"));
    QCOMPARE(stored->at(0).filePath, first->filePath());
    QVERIFY(!stored->at(0).soaRecord);
    QCOMPARE(stored->at(1).name, QStringLiteral("example.org"));
    OperationsSandbox::settle();
}

void TestZoneOperations::addZoneInvalidName_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("underscore") << QStringLiteral("bad_name.example.com");
    QTest::newRow("empty") << QString();
    QTest::newRow("leading hyphen") << QStringLiteral("-bad.example.com");
    QTest::newRow("empty label") << QStringLiteral("a..example.com");
    QTest::newRow("label of 64") << QString(64, u'a') + QStringLiteral(".example.com");
    QTest::newRow("space") << QStringLiteral("my zone.example.com");
}

void TestZoneOperations::addZoneInvalidName() {
    QFETCH(QString, name);
    OperationsSandbox box;
    auto manager = box.makeManager();
    const ZonePtr existing = makeZone(QStringLiteral("example.net"));
    box.lines([&] { manager->addZone(existing); });
    OperationsSandbox::settle();
    const QByteArray before = storedBytes(manager->preferences());
    const auto backupBefore = manager->preferences().data(ZoneStorage::backupKey());
    const auto filesBefore = manager->configuration()->zoneFiles();

    // The zone's constructor cleans names; the name is set as it stands.
    const ZonePtr bad = makeZone(QStringLiteral("placeholder.example"));
    bad->setName(name);
    QSignalSpy zonesSpy(manager.get(), &DNSServerManager::zonesChanged);
    QStringList lines = box.lines([&] { manager->addZone(bad); });
    lines += box.lines([] { QCoreApplication::processEvents(); });

    const QString refusal = QStringLiteral("❌ Invalid zone name: ") + name;
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("🔄 DNSServerManager.addZone() called for: '") + name + u'\'',
                        QStringLiteral("🔍 Current zones before add: [\"example.net\"]"),
                        infoLine(refusal),
                        refusal,
                    }));
    QCOMPARE(zonesSpy.count(), 0);
    QCOMPARE(manager->zones(), QList<ZonePtr>{existing});
    QCOMPARE(manager->configuration()->zoneFiles(), filesBefore);
    QCOMPARE(storedBytes(manager->preferences()), before);
    QCOMPARE(manager->preferences().data(ZoneStorage::backupKey()), backupBefore);
    QVERIFY(!bad->soaRecord());
}

void TestZoneOperations::addZoneSameNameTwice() {
    OperationsSandbox box;
    auto manager = box.makeManager();
    const ZonePtr first = makeZone(QStringLiteral("example.com"));
    const ZonePtr second =
        makeZone(QStringLiteral("example.com"), QStringLiteral("/srv/zones/example.com.zone"));
    box.lines([&] {
        manager->addZone(first);
        manager->addZone(second);
    });
    OperationsSandbox::settle();
    QCOMPARE(manager->zones(), (QList<ZonePtr>{first, second}));
    QVERIFY(first->id() != second->id());
    QCOMPARE(manager->configuration()->zoneFiles(),
             (QMap<QString, QString>{{"example.com", "example.com.zone"}}));
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QCOMPARE(stored->size(), 2);
    QCOMPARE(stored->at(1).filePath, QStringLiteral("/srv/zones/example.com.zone"));
}

void TestZoneOperations::addZoneFileMapping_data() {
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("standard") << QStringLiteral("/usr/local/var/named/db.example.com")
                              << QStringLiteral("db.example.com");
    QTest::newRow("bare name") << QStringLiteral("db.example.com")
                               << QStringLiteral("db.example.com");
    QTest::newRow("other directory") << QStringLiteral("/opt/local/var/named/example.com.zone")
                                     << QStringLiteral("example.com.zone");
    QTest::newRow("trailing slash")
        << QStringLiteral("/srv/zones/db.example.com/") << QStringLiteral("db.example.com");
}

void TestZoneOperations::addZoneFileMapping() {
    QFETCH(QString, filePath);
    QFETCH(QString, fileName);
    OperationsSandbox box;
    auto manager = box.makeManager();
    box.lines([&] { manager->addZone(makeZone(QStringLiteral("example.com"), filePath)); });
    OperationsSandbox::settle();
    QCOMPARE(manager->configuration()->zoneFiles(),
             (QMap<QString, QString>{{QStringLiteral("example.com"), fileName}}));
}

void TestZoneOperations::removeZone_data() {
    QTest::addColumn<int>("target"); // index in the list; -1 for a zone not in it
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("namesLeft");
    QTest::addColumn<QStringList>("filesLeft");
    QTest::newRow("middle") << 1 << QStringLiteral("b.example")
                            << QStringList{"a.example", "c.example"}
                            << QStringList{"a.example", "c.example"};
    QTest::newRow("not listed") << -1 << QStringLiteral("x.example")
                                << QStringList{"a.example", "b.example", "c.example"}
                                << QStringList{"a.example", "b.example", "c.example"};
    // Same name, other id: the listed zone stays, its file entry goes.
    QTest::newRow("namesake") << -1 << QStringLiteral("b.example")
                              << QStringList{"a.example", "b.example", "c.example"}
                              << QStringList{"a.example", "c.example"};
}

void TestZoneOperations::removeZone() {
    QFETCH(int, target);
    QFETCH(QString, name);
    QFETCH(QStringList, namesLeft);
    QFETCH(QStringList, filesLeft);
    OperationsSandbox box;
    auto manager = box.makeManager();
    box.lines([&] {
        for (const char* zoneName : {"a.example", "b.example", "c.example"})
            manager->addZone(makeZone(QString::fromLatin1(zoneName)));
    });
    OperationsSandbox::settle();
    const QByteArray before = storedBytes(manager->preferences());
    const ZonePtr victim = target >= 0 ? manager->zones()[target] : makeZone(name);
    QCOMPARE(victim->name(), name);

    QStringList lines = box.lines([&] { manager->removeZone(victim); });
    QList<ZonePtr> left = manager->zones();
    QCOMPARE(lines, configurationRefusal() + storageLines(left) +
                        QStringList{infoLine("Zone '" + name + "' removed successfully")});
    QCOMPARE(zoneNames(left), namesLeft);
    QCOMPARE(manager->configuration()->zoneFiles().keys(), filesLeft);
    // The preferences were saved: the previous document is now the backup.
    QCOMPARE(manager->preferences().data(ZoneStorage::backupKey()).value_or(QByteArray()), before);
    const auto stored = storedZones(manager->preferences());
    QVERIFY(stored);
    QStringList storedNames;
    for (const auto& data : *stored)
        storedNames.append(data.name);
    QCOMPARE(storedNames, namesLeft);
    // Nothing more is queued: the configuration was saved directly.
    lines = box.lines([] { QCoreApplication::processEvents(); });
    QCOMPARE(lines.count(SaveRefusals::configurationRefusal()), 0);
}

void TestZoneOperations::dataIntegrity_data() {
    QTest::addColumn<QString>("badName");
    QTest::addColumn<bool>("withBad");
    QTest::newRow("one invalid") << QStringLiteral("bad") << true;
    // The name is written as stored: no "@" for the apex here.
    QTest::newRow("one invalid at the apex") << QString() << true;
    QTest::newRow("all valid") << QString() << false;
}

void TestZoneOperations::dataIntegrity() {
    QFETCH(QString, badName);
    QFETCH(bool, withBad);
    auto manager = fixedManager();
    const ZonePtr first = makeZone(QStringLiteral("a.example"));
    const ZonePtr second = makeZone(QStringLiteral("b.example"));
    first->setSoaRecord(soaWithSerial(first->name(), 2025030501));
    const QList<DNSRecord> firstRecords = {
        DNSRecord(QStringLiteral("one"), DNSRecordType::A, QStringLiteral("192.0.2.1"), 60),
        DNSRecord(QStringLiteral("two"), DNSRecordType::AAAA, QStringLiteral("2001:db8::2"), 60),
        DNSRecord(QStringLiteral("three"), DNSRecordType::CNAME, QStringLiteral("one.a.example."),
                  60),
    };
    const DNSRecord bad =
        withBad
            ? rawRecord(badName, DNSRecordType::A, QStringLiteral("999.0.0.1"))
            : DNSRecord(QStringLiteral("four"), DNSRecordType::A, QStringLiteral("192.0.2.4"), 60);
    const DNSRecord last(QStringLiteral("five"), DNSRecordType::TXT, QStringLiteral("\"hi\""), 60);
    const QList<DNSRecord> secondRecords = {bad, last};
    first->setRecords(firstRecords);
    second->setRecords(secondRecords);
    manager->setZones({first, second});
    m_box.lines([&] { manager->saveZonesToStorage(); });
    OperationsSandbox::settle();
    const QByteArray before = storedBytes(manager->preferences());

    QSignalSpy firstChanged(first.get(), &DNSZone::changed);
    QSignalSpy secondChanged(second.get(), &DNSZone::changed);
    const QStringList lines = m_box.lines([&] { manager->validateDataIntegrity(); });
    if (withBad) {
        const QStringList errors = validateRecord(bad).errors;
        QVERIFY(!errors.isEmpty());
        QCOMPARE(lines, (QStringList{
                            warningLine("Invalid record in zone 'b.example': " + badName + " A - " +
                                        errors.join(QStringLiteral(", "))),
                            warningLine("Data integrity check: Removed 1 invalid records out of 5 "
                                        "total records"),
                        }));
        QCOMPARE(recordIds(second->records()), recordIds({last}));
    } else {
        QCOMPARE(lines, QStringList{successLine("Data integrity check: All 5 records are valid")});
        QCOMPARE(recordIds(second->records()), recordIds(secondRecords));
    }
    QCOMPARE(recordIds(first->records()), recordIds(firstRecords));
    // Every zone's records are set again, changed or not.
    QCOMPARE(firstChanged.count(), 1);
    QCOMPARE(secondChanged.count(), 1);
    // Memory only: no serial advance, nothing saved.
    QCOMPARE(first->soaRecord()->serial, 2025030501);
    QVERIFY(!second->soaRecord());
    QCOMPARE(storedBytes(manager->preferences()), before);
    OperationsSandbox::settle();
}

void TestZoneOperations::dataIntegrityWithoutRecords() {
    auto manager = fixedManager();
    QStringList lines = m_box.lines([&] { manager->validateDataIntegrity(); });
    QVERIFY2(lines.isEmpty(), qPrintable(lines.join(u'\n')));
    manager->setZones(
        {makeZone(QStringLiteral("a.example")), makeZone(QStringLiteral("b.example"))});
    lines = m_box.lines([&] { manager->validateDataIntegrity(); });
    QVERIFY2(lines.isEmpty(), qPrintable(lines.join(u'\n')));
    QCOMPARE(manager->zones().size(), 2);
}

QTEST_GUILESS_MAIN(TestZoneOperations)
#include "tst_operations.moc"
