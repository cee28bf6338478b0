// The manager's zone and record operations and the data-integrity sweep: what
// they change, every console and log line they write, in the fixed order of
// their effects (model change, serial advance, zone-file save, preferences
// save, log line). The managers run on a host where no path is allowed, so
// the zone-file and configuration saves refuse at once with their own line.
#include <QSignalSpy>
#include <QtTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "manager/ZoneStorage.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Operation { add, update, remove };

// Noon of 5 March 2025 on the local clock: the day serials are made for.
QDateTime fixedNoon() {
    return QDateTime(QDate(2025, 3, 5), QTime(12, 0));
}

ZonePtr makeZone(const QString& name, const QString& filePath = {}) {
    return ZonePtr::create(name, filePath.isEmpty() ? "/usr/local/var/named/db." + name : filePath);
}

SOARecord soaWithSerial(const QString& zoneName, qint64 serial) {
    return SOARecord{"ns1." + zoneName + '.', "hostmaster." + zoneName + '.', serial};
}

DNSRecord a(const QString& name, const QString& address, qint64 ttl = 60) {
    return DNSRecord(name, DNSRecordType::A, address, ttl);
}

QStringList recordIds(const QList<DNSRecord>& records) {
    QStringList ids;
    for (const DNSRecord& record : records)
        ids.append(uuidText(record.id));
    return ids;
}

std::optional<QList<ZoneStorageDataV2>> storedZones(const DNSServerManager& manager) {
    const auto document = manager.preferences().data(ZoneStorage::savedZonesKey());
    return document ? ZoneStorage::decodeCurrent(*document) : std::nullopt;
}

QString storedNames(const DNSServerManager& manager) {
    QStringList names;
    for (const auto& zone : storedZones(manager).value_or(QList<ZoneStorageDataV2>()))
        names.append(zone.name);
    return names.join(u' ');
}

QByteArray storedBytes(const DNSServerManager& manager) {
    return manager.preferences().data(ZoneStorage::savedZonesKey()).value_or("<none>"_ba);
}

// The lines of a successful save of these zones to the preferences.
QStringList storageLines(const QList<ZonePtr>& zones) {
    return {infoLine(u"💾 Saved %1 zones to app storage with backup"_s.arg(zones.size())),
            u"💾 Saved zones to UserDefaults: "_s + DNSServerManager::namesList(zones)};
}

QString incrementLine(const QString& zone) {
    return debugLine(u"Incremented SOA serial for zone '%1': 2025030501 → 2025030502"_s.arg(zone));
}

const QString configurationRefusal = infoLine(u"Invalid configuration file path"_s);

// After the serial advance: the zone-file save's refusal, the preferences save, the outcome.
QStringList afterAdvance(const ZonePtr& zone, const QList<ZonePtr>& zones, const QString& outcome) {
    return QStringList{infoLine("Invalid zone file path: " + zone->filePath())} +
           storageLines(zones) + QStringList{outcome};
}

// The outcome line of a record operation.
QString outcomeLine(Operation operation, const QString& phrase, const QString& zone) {
    if (operation == Operation::remove)
        return infoLine("🗑️ " + phrase + " deleted from zone '" + zone + '\'');
    return successLine(phrase + (operation == Operation::add ? " added to" : " updated in") +
                       " zone '" + zone + '\'');
}

void apply(DNSServerManager& m, Operation operation, const DNSRecord& record, const ZonePtr& zone) {
    if (operation == Operation::add)
        m.addRecord(record, zone);
    else if (operation == Operation::update)
        m.updateRecord(record, zone);
    else
        m.deleteRecord(record, zone);
}

} // namespace

class TestOperations : public QObject {
    Q_OBJECT

    std::unique_ptr<Host> m_host;
    int m_count = 0;

    // A manager on a host where no path is allowed, on its own preferences.
    std::unique_ptr<DNSServerManager> manager() {
        m_host->layout.allowedPathPrefixes.clear();
        auto manager = m_host->manager(m_host->preferences(u"prefs%1.ini"_s.arg(++m_count)));
        manager->setClock(fixedNoon);
        return manager;
    }
    QStringList lines(const std::function<void()>& f) { return m_host->lines(f); }

private Q_SLOTS:
    void init() { m_host = std::make_unique<Host>(); }
    void cleanup() {
        settle();
        m_host.reset();
    }

    // Adding zones: the lines, named.conf saved afterwards, namesakes, invalid names.
    void addZone() {
        auto m = manager();
        const ZonePtr first = makeZone(u"example.com"_s);
        QSignalSpy zonesSpy(m.get(), &DNSServerManager::zonesChanged);
        QCOMPARE(lines([&] { m->addZone(first); }),
                 QStringList({"🔄 DNSServerManager.addZone() called for: 'example.com'",
                              "🔍 Current zones before add: []", "✅ Zone name validation passed",
                              "✅ Zone added to memory. Total zones: 1",
                              "🔍 All zones: [\"example.com\"]", "💾 Saving to storage..."}) +
                     storageLines({first}) +
                     QStringList({"✅ Zone saved to app storage",
                                  infoLine(u"✅ Zone 'example.com' added successfully"_s),
                                  "✅ Zone creation completed for: 'example.com'"}));
        QCOMPARE(zonesSpy.count(), 1);
        // No SOA, no record, no zone file: those come with the first record change.
        QVERIFY(!first->soaRecord() && first->records().isEmpty());
        QCOMPARE(lines([] { QCoreApplication::processEvents(); }),
                 QStringList{configurationRefusal});

        const ZonePtr second = makeZone(u"example.org"_s);
        QCOMPARE(
            lines([&] { m->addZone(second); }).mid(1, 4),
            QStringList({"🔍 Current zones before add: [\"example.com\"]",
                         "✅ Zone name validation passed", "✅ Zone added to memory. Total zones: 2",
                         "🔍 All zones: [\"example.com\", \"example.org\"]"}));
        const ZonePtr namesake = makeZone(u"example.com"_s, u"/srv/zones/example.com.zone/"_s);
        lines([&] { m->addZone(namesake); });
        QCOMPARE(m->zones(), (QList<ZonePtr>{first, second, namesake}));
        QCOMPARE(m->configuration()->zoneFiles(),
                 (QMap<QString, QString>{{"example.com", "example.com.zone"},
                                         {"example.org", "db.example.org"}}));
        QCOMPARE(storedNames(*m), u"example.com example.org example.com"_s);
        QCOMPARE(storedZones(*m)->at(2).filePath, namesake->filePath());
        QVERIFY(!storedZones(*m)->at(0).soaRecord);

        settle();
        const QByteArray stored = storedBytes(*m);
        const auto backup = m->preferences().data(ZoneStorage::backupKey());
        // The zone's constructor cleans names; the name is set as it stands.
        for (const QString& name : {u"bad_name.example.com"_s, QString(), u"my zone.example"_s}) {
            const ZonePtr bad = makeZone(u"placeholder.example"_s);
            bad->setName(name);
            const QString refusal = u"❌ Invalid zone name: "_s + name;
            QCOMPARE(lines([&] {
                         m->addZone(bad);
                         QCoreApplication::processEvents();
                     }),
                     QStringList({"🔄 DNSServerManager.addZone() called for: '" + name + '\'',
                                  u"🔍 Current zones before add: [\"example.com\", \"example.org\", "
                                  "\"example.com\"]"_s,
                                  infoLine(refusal), refusal}));
        }
        QCOMPARE(zonesSpy.count(), 3);
        QCOMPARE(m->zones().size(), 3);
        QCOMPARE(m->configuration()->zoneFiles().size(), 2);
        QVERIFY(storedBytes(*m) == stored &&
                m->preferences().data(ZoneStorage::backupKey()) == backup);

        const QStringList gone = lines([&] {
            m->addZone(makeZone(u"example.net"_s));
            m.reset();
            QCoreApplication::processEvents();
        });
        QVERIFY(!gone.isEmpty() && !gone.contains(configurationRefusal));
    }

    // Removal by id (a namesake loses only its file entry); named.conf saved directly.
    void removeZone_data() {
        QTest::addColumn<int>("target"); // index in the list; -1 for a zone not in it
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("left"); // stored zones, then file entries
        QTest::newRow("middle") << 1 << u"b.example"_s
                                << u"a.example c.example|a.example c.example"_s;
        QTest::newRow("not listed")
            << -1 << u"x.example"_s
            << u"a.example b.example c.example|a.example b.example c.example"_s;
        QTest::newRow("namesake") << -1 << u"b.example"_s
                                  << u"a.example b.example c.example|a.example c.example"_s;
    }
    void removeZone() {
        QFETCH(int, target);
        QFETCH(QString, name);
        QFETCH(QString, left);
        auto m = manager();
        lines([&] {
            for (const char* zoneName : {"a.example", "b.example", "c.example"})
                m->addZone(makeZone(QString::fromLatin1(zoneName)));
            QCoreApplication::processEvents();
        });
        const QByteArray before = storedBytes(*m);
        const ZonePtr victim = target >= 0 ? m->zones()[target] : makeZone(name);
        const QStringList removed = lines([&] { m->removeZone(victim); });
        QCOMPARE(removed, QStringList{configurationRefusal} + storageLines(m->zones()) +
                              QStringList{infoLine("Zone '" + name + "' removed successfully")});
        QCOMPARE(storedNames(*m) + u'|' + m->configuration()->zoneFiles().keys().join(u' '), left);
        QCOMPARE(m->preferences().data(ZoneStorage::backupKey()).value_or(QByteArray()), before);
        QCOMPARE(lines([] { QCoreApplication::processEvents(); }), QStringList());
    }

    // Invalid records dropped from memory only: no serial advance, no save.
    void dataIntegrity_data() {
        QTest::addColumn<QString>("badName"); // "-": no invalid record
        QTest::newRow("one invalid") << u"bad"_s;
        QTest::newRow("one invalid at the apex") << QString(); // the name as stored: no "@"
        QTest::newRow("all valid") << u"-"_s;
    }
    void dataIntegrity() {
        QFETCH(QString, badName);
        const bool withBad = badName != u"-"_s;
        auto m = manager();
        QCOMPARE(lines([&] { m->validateDataIntegrity(); }), QStringList()); // no zones: silence
        const ZonePtr first = makeZone(u"a.example"_s);
        const ZonePtr second = makeZone(u"b.example"_s);
        m->setZones({first, second});
        QCOMPARE(lines([&] { m->validateDataIntegrity(); }), QStringList()); // no records: silence
        first->setSoaRecord(soaWithSerial(first->name(), 2025030501));
        const QList<DNSRecord> firstRecords = {
            a("one", "192.0.2.1"), DNSRecord("two", DNSRecordType::AAAA, "2001:db8::2", 60),
            DNSRecord("three", DNSRecordType::CNAME, "one.a.example.", 60)};
        const DNSRecord bad =
            withBad ? rawRecord(badName, DNSRecordType::A, u"999.0.0.1"_s) : a("four", "192.0.2.4");
        const DNSRecord last("five", DNSRecordType::TXT, "\"hi\"", 60);
        first->setRecords(firstRecords);
        second->setRecords({bad, last});
        lines([&] { m->saveZonesToStorage(); });
        const QByteArray before = storedBytes(*m);
        QSignalSpy firstChanged(first.get(), &DNSZone::changed);
        QSignalSpy secondChanged(second.get(), &DNSZone::changed);
        QCOMPARE(
            lines([&] { m->validateDataIntegrity(); }),
            withBad ? QStringList({warningLine("Invalid record in zone 'b.example': " + badName +
                                               " A - " + validateRecord(bad).errors.join(u", "_s)),
                                   warningLine(u"Data integrity check: Removed 1 invalid records "
                                               "out of 5 total records"_s)})
                    : QStringList{successLine(u"Data integrity check: All 5 records are valid"_s)});
        QCOMPARE(recordIds(second->records()), recordIds(withBad ? QList{last} : QList{bad, last}));
        QCOMPARE(recordIds(first->records()), recordIds(firstRecords));
        QVERIFY(firstChanged.count() == 1 && secondChanged.count() == 1);
        QVERIFY(first->soaRecord()->serial == 2025030501 && !second->soaRecord());
        QCOMPARE(storedBytes(*m), before);
    }

    // No SOA: the default one is made first (names cleaned, the zone named as it is).
    void defaultSoa_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("zoneName");
        QTest::newRow("add") << Operation::add << u"example.com"_s;
        QTest::newRow("update") << Operation::update << u"example.com"_s;
        QTest::newRow("delete") << Operation::remove << u"example.com"_s;
        QTest::newRow("name with underscore") << Operation::add << u"my_zone.example.com"_s;
    }
    void defaultSoa() {
        QFETCH(Operation, operation);
        QFETCH(QString, zoneName);
        auto m = manager();
        const ZonePtr zone = makeZone(u"placeholder.example"_s);
        zone->setName(zoneName);
        const DNSRecord www = a("www", "192.0.2.10", 3600);
        if (operation != Operation::add)
            zone->setRecords({www});
        m->setZones({zone});
        QCOMPARE(
            lines([&] { apply(*m, operation, www, zone); }),
            QStringList({infoLine("Created default SOA record for zone '" + zoneName + "'"),
                         incrementLine(zoneName)}) +
                afterAdvance(zone, {zone}, outcomeLine(operation, u"A record 'www'"_s, zoneName)));
        const QString host = QString(zoneName).remove(u'_');
        QCOMPARE(zone->soaRecord(),
                 std::optional(SOARecord{"ns1." + host + ".", "admin." + host + ".", 2025030502,
                                         3600, 1800, 1209600, 86400}));
    }

    // Record changes: model, serial, zone file, preferences, outcome line, in that order.
    void recordChanges_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<int>("target");      // index of the record changed; -1: one not held
        QTest::addColumn<QString>("after");   // indexes of the records left; 5: the changed one
        QTest::addColumn<QString>("notices"); // the record count at each change notice
        QTest::addColumn<QString>("phrase");
        const auto row = [](const char* tag, Operation operation, int target, const char* after,
                            const char* notices, const char* phrase) {
            QTest::newRow(tag) << operation << target << QString::fromLatin1(after)
                               << QString::fromLatin1(notices) << QString::fromLatin1(phrase);
        };
        row("add apex A", Operation::add, -1, "0 1 2 3 4 5", "6 6", "A record '@'");
        row("update", Operation::update, 2, "0 1 5 3 4", "5 5", "A record 'b'");
        // An unknown id replaces nothing; the serial advances all the same.
        row("update unknown id", Operation::update, -1, "0 1 2 3 4", "5", "A record '@'");
        // Stored data can hold an id twice; both go.
        row("delete apex MX", Operation::remove, 1, "0 3 4", "4 3 3", "MX record '@'");
        row("delete, not held", Operation::remove, -1, "0 1 2 3 4", "5", "A record '@'");
        // Deleting validates nothing.
        row("delete invalid", Operation::remove, 4, "0 1 2 3", "4 4", "A record 'bad'");
    }
    void recordChanges() {
        QFETCH(Operation, operation);
        QFETCH(int, target);
        QFETCH(QString, after);
        QFETCH(QString, notices);
        QFETCH(QString, phrase);
        auto m = manager();
        const ZonePtr zone = makeZone(u"example.com"_s);
        zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
        QList<DNSRecord> records = {
            a("a", "192.0.2.1"), DNSRecord({}, DNSRecordType::MX, "mx.", 60, opts("priority=10")),
            a("b", "192.0.2.2"), a("c", "192.0.2.3"),
            rawRecord(u"bad"_s, DNSRecordType::A, u"not an address"_s)};
        if (operation == Operation::remove)
            records[2].id = records[1].id;
        zone->setRecords(records);
        const ZonePtr other = makeZone(u"example.org"_s);
        m->setZones({other, zone});
        DNSRecord changed = target >= 0 ? records[target] : a("", "192.0.2.99", 120);
        if (operation == Operation::update && target >= 0) {
            changed.value = u"192.0.2.99"_s;
            changed.ttl = 120;
        }
        records.append(changed);
        // At each change notice: the record count, the serial, whether anything is stored yet.
        QStringList seen;
        connect(zone.get(), &DNSZone::changed, this, [&] {
            seen.append(u"%1 %2 %3"_s.arg(zone->records().size())
                            .arg(zone->soaRecord()->serial)
                            .arg(storedZones(*m).has_value()));
        });
        QCOMPARE(lines([&] { apply(*m, operation, changed, zone); }),
                 QStringList{incrementLine(u"example.com"_s)} +
                     afterAdvance(zone, {other, zone},
                                  outcomeLine(operation, phrase, u"example.com"_s)));
        const QStringList counts = notices.split(u' ');
        QStringList expectedNotices;
        for (qsizetype i = 0; i < counts.size(); ++i)
            expectedNotices.append(
                u"%1 %2 0"_s.arg(counts[i]).arg(i + 1 < counts.size() ? 2025030501 : 2025030502));
        QCOMPARE(seen, expectedNotices);
        QList<DNSRecord> expected;
        for (const QString& index : after.split(u' '))
            expected.append(records[index.toInt()]);
        QCOMPARE(recordIds(zone->records()), recordIds(expected));
        const auto stored = storedZones(*m);
        QVERIFY(stored);
        QCOMPARE(recordIds(stored->at(1).records), recordIds(expected));
        QCOMPARE(stored->at(1).records.value(2).toJson(), zone->records().value(2).toJson());
        QCOMPARE(stored->at(1).soaRecord, zone->soaRecord());
        if (operation == Operation::update && target >= 0)
            QCOMPARE(zone->records().at(2).toJson(), changed.toJson());
    }

    // An invalid record changes nothing: the error lines, one per fault.
    void invalidRecordChangesNothing_data() {
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("withSoa");
        QTest::newRow("add") << false << true;
        QTest::newRow("add, no SOA") << false << false;
        QTest::newRow("update") << true << true;
    }
    void invalidRecordChangesNothing() {
        QFETCH(bool, update);
        QFETCH(bool, withSoa);
        auto m = manager();
        const ZonePtr zone = makeZone(u"example.com"_s);
        if (withSoa)
            zone->setSoaRecord(soaWithSerial(zone->name(), 2025030501));
        const DNSRecord original = a("www", "192.0.2.10");
        zone->setRecords({original});
        m->setZones({zone});
        lines([&] { m->saveZonesToStorage(); });
        const QByteArray before = storedBytes(*m);
        DNSRecord bad = rawRecord(u"www"_s, DNSRecordType::A, u"999.1.1.1"_s, 0); // two faults
        if (update)
            bad.id = original.id;
        const QStringList errors = validateRecord(bad).errors;
        QCOMPARE(errors.size(), 2);
        QSignalSpy changed(zone.get(), &DNSZone::changed);
        const QString heading = update ? u"Invalid DNS record update for 'www' A:"_s
                                       : u"Invalid DNS record for 'www' A:"_s;
        QCOMPARE(lines([&] { update ? m->updateRecord(bad, zone) : m->addRecord(bad, zone); }),
                 QStringList({errorLine(heading), errorLine("  • " + errors[0]),
                              errorLine("  • " + errors[1])}));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(zone->records().first().toJson(), original.toJson());
        QCOMPARE(zone->soaRecord(),
                 withSoa ? std::optional(soaWithSerial(zone->name(), 2025030501)) : std::nullopt);
        QCOMPARE(storedBytes(*m), before);
    }
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
