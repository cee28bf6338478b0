// The manager's zone and record operations and the data-integrity sweep: what they change and
// every line they write, in order. No path is allowed, so file saves refuse at once (except
// in the last test, where BIND's own checker judges the zone file).
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "StoredZones.h"
#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"
#include "manager/ZoneRepository.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Operation { add, update, remove };

QDateTime fixedNoon() { // the day serials are made for, on the local clock
    return QDateTime(QDate(2025, 3, 5), QTime(12, 0));
}

ZonePtr makeZone(const QString& name, const QString& filePath = {}) {
    return ZonePtr::create(name, filePath.isEmpty() ? "/usr/local/var/named/db." + name : filePath);
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

QString storedNames(const DNSServerManager& manager) {
    QStringList names;
    for (const auto& zone : storedZones(manager).value_or(QList<StoredZoneRows>()))
        names.append(zone.zone.name);
    return names.join(u' ') + u'|' + manager.configuration()->zoneFiles().keys().join(u' ');
}

// Everything stored, as text: "<none>" when the database cannot be read.
QByteArray storedBytes(const DNSServerManager& manager) {
    const auto zones = storedZones(manager);
    if (!zones)
        return "<none>"_ba;
    QByteArray text;
    for (const StoredZoneRows& zone : *zones) {
        text += zone.zone.name.toUtf8() + ' ' + zone.zone.filePath.toUtf8() + ' ' +
                QByteArray::number(zone.zone.soaRecord ? zone.zone.soaRecord->serial : -1) + '\n';
        for (const DNSRecord& record : zone.records)
            text += QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n';
    }
    return text;
}

const QString configurationRefusal = infoLine(u"Invalid configuration file path"_s);

// The serial advance, the zone-file save's refusal, the outcome line.
QStringList changeLines(Operation operation, const QString& phrase, const ZonePtr& zone,
                        const QList<ZonePtr>& zones) {
    const QString name = zone->name();
    const QString outcome =
        operation == Operation::remove
            ? infoLine("🗑️ " + phrase + " deleted from zone '" + name + '\'')
            : successLine(phrase + (operation == Operation::add ? " added to" : " updated in") +
                          " zone '" + name + '\'');
    return QStringList{
        debugLine("Incremented SOA serial for zone '" + name + "': 2025030501 → 2025030502"),
        infoLine("Invalid zone file path: " + zone->filePath()), outcome};
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

    std::unique_ptr<DNSServerManager> manager() {
        m_host->layout.allowedPathPrefixes.clear();
        auto manager = m_host->manager();
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

    // The new-zone rules, on the repository alone: a name in use is refused (letter case
    // counts, as in the list), and a new zone gets its SOA and apex NS from the form's texts.
    void newZoneRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QString>("admin");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("soaNames"); // primary and admin as written
        const QString inUse = u"A zone for this domain already exists"_s;
        QTest::newRow("in use") << u"example.com"_s << QString() << QString() << inUse << QString();
        QTest::newRow("empty names") << u"example.org"_s << QString() << QString() << QString()
                                     << u"ns1.example.org. admin.example.org."_s;
        QTest::newRow("dots added")
            << u"Example.com"_s << u"ns.example.net"_s << u"hostmaster.example.net."_s << QString()
            << u"ns.example.net. hostmaster.example.net."_s;
    }
    void newZoneRules() {
        QFETCH(QString, name);
        QFETCH(QString, primary);
        QFETCH(QString, admin);
        QFETCH(QString, refusal);
        QFETCH(QString, soaNames);
        AppLog log;
        DNSConfiguration configuration;
        const CommandRunner runner(m_host->layout, &log);
        CheckedSaver saver(m_host->layout, runner, &log);
        ZoneRepository repository(&log, nullptr, &configuration, &saver);
        repository.setZones({makeZone(u"example.com"_s)});
        QCOMPARE(repository.newZoneRefusal(name).value_or(QString()), refusal);
        if (!refusal.isEmpty())
            return;
        const ZonePtr zone = ZoneRepository::newZone(name, u"/x/db."_s + name, primary, admin, 7);
        QVERIFY(zone->soaRecord());
        QCOMPARE(zone->soaRecord()->primaryNameServer + u' ' + zone->soaRecord()->adminEmail,
                 soaNames);
        QCOMPARE(zone->soaRecord()->serial, 7);
        QCOMPARE(zone->records().size(), 1);
        QCOMPARE(zone->records().first().type, DNSRecordType::NS);
        QCOMPARE(zone->records().first().value, soaNames.section(u' ', 0, 0));
    }

    // Adding zones: the lines, named.conf saved afterwards, namesakes, invalid names refused.
    void addZone() {
        auto m = manager();
        const ZonePtr first = makeZone(u"example.com"_s);
        QSignalSpy zonesSpy(m.get(), &DNSServerManager::zonesChanged);
        QCOMPARE(lines([&] { m->addZone(first); }),
                 QStringList({"🔄 DNSServerManager.addZone() called for: 'example.com'",
                              "🔍 Current zones before add: []", "✅ Zone name validation passed",
                              "✅ Zone added to memory. Total zones: 1",
                              "🔍 All zones: [\"example.com\"]", "💾 Zone handed to app storage",
                              infoLine(u"✅ Zone 'example.com' added successfully"_s),
                              "✅ Zone creation completed for: 'example.com'"}));
        QVERIFY(!first->soaRecord() && first->records().isEmpty());
        QCOMPARE(lines([] { QCoreApplication::processEvents(); }),
                 QStringList{configurationRefusal});
        const ZonePtr namesake = makeZone(u"example.com"_s, u"/srv/zones/example.com.zone/"_s);
        lines([&] {
            m->addZone(makeZone(u"example.org"_s));
            m->addZone(namesake);
        });
        QCOMPARE(m->configuration()->zoneFiles(),
                 (QMap<QString, QString>{{"example.com", "example.com.zone"},
                                         {"example.org", "db.example.org"}}));
        QCOMPARE(storedNames(*m), u"example.com example.org example.com|example.com example.org"_s);
        QCOMPARE(storedZones(*m)->at(2).zone.filePath, namesake->filePath());
        settle();
        const QByteArray stored = storedBytes(*m);
        for (const QString& name : {u"bad_name.example.com"_s, QString()}) {
            const ZonePtr bad = makeZone(u"placeholder.example"_s);
            bad->setName(name); // as it stands: the constructor would clean it
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
        QCOMPARE(storedBytes(*m), stored);
    }

    // Removal by id: a namesake loses only the file entry; named.conf is saved directly.
    void removeZone() {
        auto m = manager();
        lines([&] {
            for (const char* zoneName : {"a.example", "b.example", "c.example"})
                m->addZone(makeZone(QString::fromLatin1(zoneName)));
            QCoreApplication::processEvents();
        });
        for (const ZonePtr& victim : {makeZone(u"b.example"_s), m->zones()[1]}) {
            const QStringList removed = lines([&] { m->removeZone(victim); });
            QCOMPARE(removed, QStringList({configurationRefusal,
                                           infoLine(u"Zone 'b.example' removed successfully"_s)}));
        }
        QCOMPARE(storedNames(*m), u"a.example c.example|a.example c.example"_s);
        QCOMPARE(lines([] { QCoreApplication::processEvents(); }), QStringList());
    }

    // Invalid records dropped from memory and store, no serial advance; then all valid.
    void dataIntegrity() {
        auto m = manager();
        const ZonePtr first = makeZone(u"a.example"_s);
        const ZonePtr second = makeZone(u"b.example"_s);
        m->setZones({first, second});
        QCOMPARE(lines([&] { m->validateDataIntegrity(); }), QStringList()); // no records: silence
        first->setSoaRecord(SOARecord{u"ns1.a.example."_s, u"admin.a.example."_s, 2025030501});
        const QList<DNSRecord> firstRecords = {
            a("one", "192.0.2.1"), DNSRecord("two", DNSRecordType::AAAA, "2001:db8::2", 60),
            DNSRecord("three", DNSRecordType::CNAME, "one.a.example.", 60)};
        const DNSRecord bad = rawRecord({}, DNSRecordType::A, u"999.0.0.1"_s); // apex: no "@"
        const DNSRecord last("five", DNSRecordType::TXT, "\"hi\"", 60);
        first->setRecords(firstRecords);
        second->setRecords({bad, last});
        m->setZones({}); // stored again as they are now
        m->setZones({first, second});
        QCOMPARE(recordIds(storedZones(*m)->at(1).records), recordIds({bad, last}));
        QSignalSpy secondChanged(second.get(), &DNSZone::changed);
        QCOMPARE(lines([&] { m->validateDataIntegrity(); }),
                 QStringList({warningLine("Invalid record in zone 'b.example':  A - " +
                                          validateRecord(bad).errors.join(u", "_s)),
                              warningLine(u"Data integrity check: Removed 1 invalid records out "
                                          "of 5 total records"_s)}));
        QCOMPARE(recordIds(second->records()), recordIds({last}));
        QCOMPARE(recordIds(first->records()), recordIds(firstRecords));
        QVERIFY(secondChanged.count() == 1 && first->soaRecord()->serial == 2025030501);
        const auto stored = storedZones(*m);
        QVERIFY(stored);
        QCOMPARE(recordIds(stored->at(0).records), recordIds(firstRecords));
        QCOMPARE(recordIds(stored->at(1).records), recordIds({last}));
        QCOMPARE(lines([&] { m->validateDataIntegrity(); }),
                 QStringList{successLine(u"Data integrity check: All 4 records are valid"_s)});
    }

    // No SOA: the default one comes first, its names cleaned, even for a delete.
    void defaultSoa() {
        auto m = manager();
        const ZonePtr zone = makeZone(u"placeholder.example"_s);
        zone->setName(u"my_zone.example.com"_s);
        const DNSRecord www = a("www", "192.0.2.10", 3600);
        zone->setRecords({www});
        m->setZones({zone});
        QCOMPARE(
            lines([&] { m->deleteRecord(www, zone); }),
            QStringList{infoLine(u"Created default SOA record for zone 'my_zone.example.com'"_s)} +
                changeLines(Operation::remove, u"A record 'www'"_s, zone, {zone}));
        QCOMPARE(
            zone->soaRecord(),
            std::optional(SOARecord{u"ns1.myzone.example.com."_s, u"admin.myzone.example.com."_s,
                                    2025030502, 3600, 1800, 1209600, 86400}));
    }

    // Record changes: model, serial, zone file, stored change, outcome line, in that order.
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
        zone->setSoaRecord(SOARecord{u"ns1.example.com."_s, u"admin.example.com."_s, 2025030501});
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
        if (operation == Operation::update && target >= 0)
            changed.value = u"192.0.2.99"_s;
        records.append(changed);
        QStringList seen; // at each change notice: record count, serial
        connect(zone.get(), &DNSZone::changed, this, [&] {
            seen.append(u"%1 %2"_s.arg(zone->records().size()).arg(zone->soaRecord()->serial));
        });
        QCOMPARE(lines([&] { apply(*m, operation, changed, zone); }),
                 changeLines(operation, phrase, zone, {other, zone}));
        const QStringList counts = notices.split(u' ');
        QStringList expectedNotices;
        for (qsizetype i = 0; i < counts.size(); ++i)
            expectedNotices.append(
                u"%1 %2"_s.arg(counts[i]).arg(i + 1 < counts.size() ? 2025030501 : 2025030502));
        QCOMPARE(seen, expectedNotices);
        QList<DNSRecord> expected;
        for (const QString& index : after.split(u' '))
            expected.append(records[index.toInt()]);
        QCOMPARE(recordIds(zone->records()), recordIds(expected));
        const auto stored = storedZones(*m);
        QVERIFY(stored);
        QCOMPARE(recordIds(stored->at(1).records), recordIds(expected));
        QCOMPARE(stored->at(1).records.value(2).toJson(), expected.value(2).toJson());
        QCOMPARE(stored->at(1).zone.soaRecord, zone->soaRecord());
    }

    // An invalid record changes nothing: a heading and one line per fault.
    void invalidRecordChangesNothing_data() {
        QTest::addColumn<bool>("update");
        QTest::newRow("add, no SOA") << false;
        QTest::newRow("update") << true;
    }
    // A record of a type Korvi keeps but does not edit is never added or changed through it.
    void keptRecordIsNotEdited_data() {
        QTest::addColumn<bool>("update");
        QTest::newRow("add") << false;
        QTest::newRow("update") << true;
    }
    void keptRecordIsNotEdited() {
        QFETCH(bool, update);
        auto m = manager();
        const ZonePtr zone = makeZone(u"example.com"_s);
        DNSRecord kept(u"sip"_s, DNSRecordType::TXT, u"100 10 \"S\" \"SIP+D2U\" \"\" _sip._udp"_s,
                       60);
        kept.keptType = u"NAPTR"_s;
        zone->setRecords({kept});
        m->setZones({zone});
        const QByteArray before = storedBytes(*m);
        DNSRecord changed = kept;
        if (!update)
            changed.id = QUuid::createUuid();
        changed.value = u"100 10 \"S\" \"SIP+D2T\" \"\" _sip._tcp"_s;
        QSignalSpy notices(zone.get(), &DNSZone::changed);
        QCOMPARE(
            lines([&] { apply(*m, update ? Operation::update : Operation::add, changed, zone); }),
            QStringList{errorLine(u"❌ NAPTR record 'sip' is kept as its zone file has it and "
                                  "is not edited in Korvi"_s)});
        QCOMPARE(notices.count(), 0);
        QCOMPARE(zone->records().size(), 1);
        QCOMPARE(zone->records().first().value, kept.value);
        QCOMPARE(storedBytes(*m), before);
    }

    void invalidRecordChangesNothing() {
        QFETCH(bool, update);
        auto m = manager();
        const ZonePtr zone = makeZone(u"example.com"_s);
        const DNSRecord original = a("www", "192.0.2.10");
        zone->setRecords({original});
        m->setZones({zone});
        const QByteArray before = storedBytes(*m);
        DNSRecord bad = rawRecord(u"www"_s, DNSRecordType::A, u"999.1.1.1"_s, -1); // two faults
        if (update)
            bad.id = original.id;
        const QStringList errors = validateRecord(bad).errors;
        QCOMPARE(errors.size(), 2);
        QSignalSpy changed(zone.get(), &DNSZone::changed);
        QCOMPARE(lines([&] { apply(*m, update ? Operation::update : Operation::add, bad, zone); }),
                 QStringList({errorLine(update ? u"Invalid DNS record update for 'www' A:"_s
                                               : u"Invalid DNS record for 'www' A:"_s),
                              errorLine("  • " + errors[0]), errorLine("  • " + errors[1])}));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(zone->records().first().toJson(), original.toJson());
        QVERIFY(!zone->soaRecord());
        QCOMPARE(storedBytes(*m), before);
    }

    // With the zone folder allowed, a record change writes the zone file named-checkzone accepts.
    void zoneFilePassesBindChecker() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_host->layout.allowedPathPrefixes = {m_host->layout.zoneDirectory + u'/'};
        auto m = m_host->manager();
        const ZonePtr zone =
            makeZone(u"example.com"_s, m_host->layout.zoneDirectory + u"/db.example.com"_s);
        zone->addRecord(DNSRecord({}, DNSRecordType::NS, u"ns1.example.com."_s, 3600));
        m->addZone(zone);
        m->addRecord(a("ns1", "192.0.2.1"), zone);
        m->addRecord(
            DNSRecord({}, DNSRecordType::MX, u"mail.example.net."_s, 3600, opts("priority=10")),
            zone);
        QTRY_COMPARE_WITH_TIMEOUT(
            logCount(*m, u"✅ Zone file validation passed for 'example.com'"_s, LogLevel::info), 2,
            15000);
        QTRY_VERIFY(readFile(zone->filePath()).contains("mail.example.net."));
        const ProgramResult check = checkZone(u"example.com"_s, zone->filePath());
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        QVERIFY(check.output.contains(u"serial %1"_s.arg(zone->soaRecord()->serial)));
    }
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
