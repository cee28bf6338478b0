// The manager's record operations, judged by BIND's own checker: a change reaches the zone,
// the database and the log's success line only once its zone file was written; a change the
// validator or named-checkzone refuses leaves zone, database and file as they were; each call
// ends with exactly one changeFinished, and the changes of one zone land in the order asked.
#include <QtTest>

#include "ChangeSupport.h"
#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Operation { add, update, remove, removeMany, soa };

inline ChangeId apply(DNSServerManager& m, Operation operation, const DNSRecord& record,
                      const ZonePtr& zone) {
    switch (operation) {
    case Operation::add:
        return m.addRecord(record, zone);
    case Operation::update:
        return m.updateRecord(record, zone);
    case Operation::remove:
        return m.deleteRecord(record, zone);
    case Operation::removeMany:
    case Operation::soa:
        break;
    }
    return 0;
}

} // namespace

class TestOperations : public QObject {
    Q_OBJECT

    std::unique_ptr<ChangeHost> m_changes;

    std::unique_ptr<DNSServerManager> manager() { return m_changes->manager(); }
    QString zonePath(const QString& name) const { return m_changes->zonePath(name); }
    QString namedConf() const { return m_changes->namedConf(); }
    QString standInReload(int exitCode) { return m_changes->standInReload(exitCode); }
    ZonePtr addedZone(DNSServerManager& m, const QString& name = u"example.com"_s) {
        return m_changes->addedZone(m, name);
    }
    Host& host() { return m_changes->host; }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() { m_changes = std::make_unique<ChangeHost>(); }
    void cleanup() {
        settle();
        m_changes.reset();
    }

    // The new-zone rules, on the repository alone: a name in use is refused (letter case
    // counts, as in the list); a new zone gets its SOA and apex NS from the form's texts, and
    // the address record of a name server inside the zone when an address is given.
    void newZoneRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QString>("admin");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("soaNames"); // primary and admin as written
        QTest::addColumn<QString>("glue");     // "name TYPE value", empty: none
        const QString inUse = u"A zone for this domain already exists"_s;
        QTest::newRow("in use") << u"example.com"_s << QString() << QString() << QString() << inUse
                                << QString() << QString();
        QTest::newRow("empty names, no address")
            << u"example.org"_s << QString() << QString() << QString() << QString()
            << u"ns1.example.org. admin.example.org."_s << QString();
        QTest::newRow("dots added, server outside: no glue")
            << u"Example.com"_s << u"ns.example.net"_s << u"hostmaster.example.net."_s
            << u"192.0.2.1"_s << QString() << u"ns.example.net. hostmaster.example.net."_s
            << QString();
        QTest::newRow("default server inside: A glue")
            << u"example.org"_s << QString() << QString() << u" 192.0.2.53 "_s << QString()
            << u"ns1.example.org. admin.example.org."_s << u"ns1 A 192.0.2.53"_s;
        QTest::newRow("deeper server, IPv6: AAAA glue")
            << u"example.org"_s << u"a.ns.Example.org"_s << QString() << u"2001:db8::53"_s
            << QString() << u"a.ns.Example.org. admin.example.org."_s
            << u"a.ns AAAA 2001:db8::53"_s;
        QTest::newRow("server at the apex")
            << u"example.org"_s << u"example.org."_s << QString() << u"192.0.2.7"_s << QString()
            << u"example.org. admin.example.org."_s << u" A 192.0.2.7"_s;
    }
    void newZoneRules() {
        QFETCH(QString, name);
        QFETCH(QString, primary);
        QFETCH(QString, admin);
        QFETCH(QString, address);
        QFETCH(QString, refusal);
        QFETCH(QString, soaNames);
        QFETCH(QString, glue);
        AppLog log;
        DNSConfiguration configuration;
        const CommandRunner runner(host().layout, &log);
        CheckedSaver saver(host().layout, runner, &log);
        ZoneRepository repository(&log, nullptr, &configuration, &saver);
        repository.setZones({ZonePtr::create(u"example.com"_s, zonePath(u"example.com"_s))});
        QCOMPARE(repository.newZoneRefusal(name).value_or(QString()), refusal);
        if (!refusal.isEmpty())
            return;
        const ZonePtr zone =
            ZoneRepository::newZone(name, u"/x/db."_s + name, primary, admin, 7, address);
        QVERIFY(zone->soaRecord());
        QCOMPARE(zone->soaRecord()->primaryNameServer + u' ' + zone->soaRecord()->adminEmail,
                 soaNames);
        QCOMPARE(zone->soaRecord()->serial, 7);
        QCOMPARE(zone->records().size(), glue.isEmpty() ? 1 : 2);
        QCOMPARE(zone->records().first().type, DNSRecordType::NS);
        QCOMPARE(zone->records().first().value, soaNames.section(u' ', 0, 0));
        if (!glue.isEmpty()) {
            const DNSRecord& record = zone->records().at(1);
            QCOMPARE(record.name + u' ' + rawValue(record.type) + u' ' + record.value, glue);
        }
    }

    void nameServerInsideZone_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<bool>("inside");
        QTest::newRow("below") << u"ns1.example.com."_s << u"example.com"_s << true;
        QTest::newRow("no dots, other case") << u"NS1.Example.COM"_s << u"example.com."_s << true;
        QTest::newRow("apex") << u"example.com."_s << u"example.com"_s << true;
        QTest::newRow("two below") << u"a.b.example.com"_s << u"example.com"_s << true;
        QTest::newRow("other zone") << u"ns1.example.net."_s << u"example.com"_s << false;
        QTest::newRow("name ends alike") << u"ns1.badexample.com."_s << u"example.com"_s << false;
        QTest::newRow("parent of the zone") << u"com."_s << u"example.com"_s << false;
        QTest::newRow("empty") << QString() << u"example.com"_s << false;
    }
    void nameServerInsideZone() {
        QFETCH(QString, server);
        QFETCH(QString, zone);
        QFETCH(bool, inside);
        QCOMPARE(ZoneRepository::nameServerInsideZone(server, zone), inside);
    }

    // A valid change: nothing in the window before the file holds it; then model, file and
    // store agree, the serial moved one step, the success line follows the checker's word, a
    // running server reloads the zone once, and one changeFinished(true) ends it.
    void recordChangeApplied_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("fileHas");
        QTest::addColumn<QString>("fileLacks");
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* tag, Operation operation, const char* has,
                            const char* lacks, int count, const QString& line) {
            QTest::newRow(tag) << operation << QString::fromUtf8(has) << QString::fromUtf8(lacks)
                               << count << line;
        };
        row("add A", Operation::add, "192.0.2.25", "", 5,
            successLine(u"A record 'mail' added to zone 'example.com'"_s));
        row("update www", Operation::update, "192.0.2.99", "192.0.2.10", 4,
            successLine(u"A record 'www' updated in zone 'example.com'"_s));
        row("delete www", Operation::remove, "2025030502", "192.0.2.10", 3,
            infoLine(u"🗑️ A record 'www' deleted from zone 'example.com'"_s));
        row("bulk delete", Operation::removeMany, "2025030502", "192.0.2.11", 2,
            infoLine(u"🗑️ 2 records deleted from zone 'example.com'"_s));
        row("SOA", Operation::soa, "hostmaster.example.com.", "admin.example.com.", 4,
            successLine(u"SOA record updated in zone 'example.com'"_s));
    }
    void recordChangeApplied() {
        QFETCH(Operation, operation);
        QFETCH(QString, fileHas);
        QFETCH(QString, fileLacks);
        QFETCH(int, recordCount);
        QFETCH(QString, line);
        const QString calls = standInReload(0);
        auto m = manager();
        const ZonePtr zone = addedZone(*m);
        QVERIFY(zone);
        m->setServerStatus(ServerStatus::running);
        const QByteArray fileBefore = readFile(zone->filePath());
        QVERIFY(fileBefore.contains("192.0.2.10"));
        QVERIFY(!fileBefore.contains(fileHas.toUtf8()));
        QStringList atNotices; // whether the file held the change at each change notice
        connect(zone.get(), &DNSZone::changed, this, [&] {
            const QByteArray now = readFile(zone->filePath());
            atNotices.append(now.contains(fileHas.toUtf8()) ? u"written"_s : u"not yet"_s);
        });
        const qsizetype logStart = m->logs().size();
        QList<DNSRecord> expected = zone->records();
        const Finish finish = finishOf(m.get(), [&]() -> ChangeId {
            ChangeId id = 0;
            switch (operation) {
            case Operation::add:
                id = apply(*m, operation, a(u"mail"_s, u"192.0.2.25"_s), zone);
                break;
            case Operation::update: {
                DNSRecord www = *recordNamed(zone, u"www"_s);
                www.value = u"192.0.2.99"_s;
                id = apply(*m, operation, www, zone);
                break;
            }
            case Operation::remove:
                id = apply(*m, operation, *recordNamed(zone, u"www"_s), zone);
                break;
            case Operation::removeMany:
                id = m->deleteRecords(
                    {recordNamed(zone, u"www"_s)->id, recordNamed(zone, u"ftp"_s)->id}, zone);
                break;
            case Operation::soa:
                id = m->updateSOA(SOARecord{u"ns1.example.com."_s, u"hostmaster.example.com."_s, 1,
                                            7200, 900, 604800, 300, 600},
                                  zone);
                break;
            }
            // Nothing in the window yet.
            if (!atNotices.isEmpty() || recordsText(zone->records()) != recordsText(expected))
                return 0;
            return id;
        });
        QVERIFY(!finish.early);
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(finish.message, QString());
        QVERIFY(!atNotices.isEmpty());
        QCOMPARE(atNotices, QStringList(atNotices.size(), u"written"_s));

        const QByteArray file = readFile(zone->filePath());
        QVERIFY(file.contains(fileHas.toUtf8()));
        QVERIFY2(fileLacks.isEmpty() || !file.contains(fileLacks.toUtf8()), file.constData());
        const ProgramResult check = checkZone(u"example.com"_s, zone->filePath());
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        QVERIFY(check.output.contains(u"serial 2025030502"_s));
        QCOMPARE(zone->records().size(), recordCount);
        QCOMPARE(zone->soaRecord()->serial, 2025030502);
        if (operation == Operation::soa) {
            QCOMPARE(zone->soaRecord()->adminEmail, u"hostmaster.example.com."_s);
            QCOMPARE(zone->soaRecord()->refresh, 7200);
            QCOMPARE(zone->soaRecord()->ttl, std::optional<qint64>(600));
        }
        const auto stored = storedZone(*m, u"example.com"_s);
        QVERIFY(stored);
        QCOMPARE(recordIds(stored->records), recordIds(zone->records()));
        QCOMPARE(stored->zone.soaRecord, zone->soaRecord());
        if (operation == Operation::update)
            QCOMPARE(recordNamed(zone, u"www"_s)->value, u"192.0.2.99"_s);

        const QStringList lines = withoutTimeStamps(m->logs().mid(logStart));
        QCOMPARE(lines.count(line), 1);
        const qsizetype passed =
            lines.indexOf(infoLine(u"✅ Zone file validation passed for 'example.com'"_s));
        QVERIFY(passed >= 0 && passed < lines.indexOf(line));
        QVERIFY(lines.contains(debugLine(
            u"Incremented SOA serial for zone 'example.com': 2025030501 → 2025030502"_s)));
        QTRY_COMPARE(readFile(calls), "reload\n"_ba); // the running server told once
        QTest::qWait(100);
        QCOMPARE(readFile(calls), "reload\n"_ba);
    }

    // A refused change (the validator's or named-checkzone's word) leaves zone, store and file
    // as they were and ends with one changeFinished(false) that says why.
    void refusedChangeChangesNothing_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message"); // part of the reason
        QTest::addColumn<QString>("line");    // the error line's start
        QTest::newRow("CNAME beside an A")
            << u"add-cname"_s << u"CNAME and other data"_s
            << u"❌ CNAME record 'www' was not added to zone 'example.com': "_s;
        QTest::newRow("name server's address renamed away")
            << u"rename-glue"_s << u"has no address records"_s
            << u"❌ A record 'ns2' was not updated in zone 'example.com': "_s;
        QTest::newRow("name server's address deleted")
            << u"delete-glue"_s << u"has no address records"_s
            << u"❌ A record 'ns1' was not deleted from zone 'example.com': "_s;
        QTest::newRow("bulk delete of the NS record")
            << u"delete-ns"_s << u"has no NS records"_s
            << u"❌ 1 record was not deleted from zone 'example.com': "_s;
        QTest::newRow("invalid address")
            << u"bad-address"_s << QString() << u"Invalid DNS record for 'www2' A:"_s;
        QTest::newRow("SOA without a server")
            << u"bad-soa"_s << u"The primary name server is required"_s
            << u"Invalid SOA record for zone 'example.com':"_s;
    }
    void refusedChangeChangesNothing() {
        QFETCH(QString, change);
        QFETCH(QString, message);
        QFETCH(QString, line);
        auto m = manager();
        const ZonePtr zone = addedZone(*m);
        QVERIFY(zone);
        const QByteArray fileBefore = readFile(zone->filePath());
        const QByteArray storedBefore = storedBytes(*m);
        const QList<DNSRecord> recordsBefore = zone->records();
        const std::optional<SOARecord> soaBefore = zone->soaRecord();
        QSignalSpy notices(zone.get(), &DNSZone::changed);
        const qsizetype logStart = m->logs().size();
        const DNSRecord badAddress = rawRecord(u"www2"_s, DNSRecordType::A, u"999.1.1.1"_s, -1);
        const Finish finish = finishOf(m.get(), [&]() -> ChangeId {
            if (change == u"add-cname")
                return m->addRecord(
                    DNSRecord(u"www"_s, DNSRecordType::CNAME, u"other.example.net."_s, 300), zone);
            if (change == u"rename-glue") {
                DNSRecord glue = *recordNamed(zone, u"ns1"_s);
                glue.name = u"ns2"_s;
                return m->updateRecord(glue, zone);
            }
            if (change == u"delete-glue")
                return m->deleteRecord(*recordNamed(zone, u"ns1"_s), zone);
            if (change == u"delete-ns")
                return m->deleteRecords({recordNamed(zone, {}, DNSRecordType::NS)->id}, zone);
            if (change == u"bad-address")
                return m->addRecord(badAddress, zone);
            SOARecord soa = *zone->soaRecord();
            soa.primaryNameServer.clear();
            return m->updateSOA(soa, zone);
        });
        QVERIFY(!finish.early);
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        if (message.isEmpty())
            QCOMPARE(finish.message, validateRecord(badAddress).errors.join(u'\n'));
        else
            QVERIFY2(finish.message.contains(message), qPrintable(finish.message));
        QCOMPARE(notices.count(), 0);
        QCOMPARE(recordsText(zone->records()), recordsText(recordsBefore));
        QCOMPARE(zone->soaRecord(), soaBefore);
        settle();
        QCOMPARE(readFile(zone->filePath()), fileBefore);
        QCOMPARE(storedBytes(*m), storedBefore);
        const QList<LogEntry> entries = logEntries(*m, logStart);
        qsizetype errors = 0;
        for (const LogEntry& entry : entries) {
            QVERIFY2(entry.level != LogLevel::success, qPrintable(entry.message));
            if (entry.level == LogLevel::error && entry.message.startsWith(line))
                ++errors;
        }
        QCOMPARE(errors, 1);
    }

    // Quick changes to one zone land one after another, in the order asked for, each on the
    // zone as the one before left it.
    void changesRunInOrder() {
        auto m = manager();
        const ZonePtr zone = addedZone(*m);
        QVERIFY(zone);
        QSignalSpy finished(m.get(), &DNSServerManager::changeFinished);
        const DNSRecord first = a(u"one"_s, u"192.0.2.21"_s);
        DNSRecord firstChanged = first;
        firstChanged.value = u"192.0.2.31"_s;
        const DNSRecord second = a(u"two"_s, u"192.0.2.22"_s);
        const QList<ChangeId> ids = {m->addRecord(first, zone), m->addRecord(second, zone),
                                     m->updateRecord(firstChanged, zone),
                                     m->deleteRecord(second, zone)};
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 4, 30000);
        QList<ChangeId> order;
        for (const QList<QVariant>& arguments : std::as_const(finished)) {
            order.append(arguments.at(0).value<ChangeId>());
            QVERIFY2(arguments.at(1).toBool(), qPrintable(arguments.at(2).toString()));
        }
        QCOMPARE(order, ids);
        QCOMPARE(recordNamed(zone, u"one"_s)->value, u"192.0.2.31"_s);
        QVERIFY(!recordNamed(zone, u"two"_s));
        QCOMPARE(zone->soaRecord()->serial, 2025030505);
        const QByteArray file = readFile(zone->filePath());
        QVERIFY(file.contains("192.0.2.31") && !file.contains("192.0.2.21") &&
                !file.contains("192.0.2.22"));
        QVERIFY(checkZone(u"example.com"_s, zone->filePath()).output.contains(u"2025030505"_s));
        const auto stored = storedZone(*m, u"example.com"_s);
        QVERIFY(stored);
        QCOMPARE(recordIds(stored->records), recordIds(zone->records()));
        QCOMPARE(stored->zone.soaRecord->serial, 2025030505);
    }

    // One result per call even when what the change waits for goes away: the saver destroyed
    // while the check runs, or the zone taken out of the list meanwhile.
    void oneResultWhenThingsGoAway_data() {
        QTest::addColumn<bool>("saverGoes");
        QTest::newRow("saver destroyed") << true;
        QTest::newRow("zone unlisted") << false;
    }
    void oneResultWhenThingsGoAway() {
        QFETCH(bool, saverGoes);
        AppLog log;
        DNSConfiguration configuration;
        const CommandRunner runner(host().layout, &log);
        auto saver = std::make_unique<CheckedSaver>(host().layout, runner, &log);
        ZoneRepository repository(&log, nullptr, &configuration, saver.get());
        const ZonePtr zone =
            ZoneRepository::newZone(u"example.com"_s, zonePath(u"example.com"_s), QString(),
                                    QString(), 2025030501, u"192.0.2.1"_s);
        repository.setZones({zone});
        const QByteArray before = recordsText(zone->records());
        QSignalSpy finished(&repository, &ZoneRepository::changeFinished);
        const ChangeId first = repository.addRecord(a(u"www"_s, u"192.0.2.10"_s), zone);
        const ChangeId second = repository.addRecord(a(u"ftp"_s, u"192.0.2.11"_s), zone);
        if (saverGoes)
            saver.reset();
        else
            repository.setZones({});
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 20000);
        QTest::qWait(200);
        QCOMPARE(finished.size(), 2);
        QCOMPARE(finished.at(0).at(0).value<ChangeId>(), first);
        QCOMPARE(finished.at(1).at(0).value<ChangeId>(), second);
        QVERIFY(!finished.at(0).at(1).toBool() && !finished.at(1).at(1).toBool());
        QCOMPARE(recordsText(zone->records()), before);
        QCOMPARE(zone->soaRecord()->serial, 2025030501);
        QVERIFY(!repository.hasPendingChanges());
        settle();
    }

    // Invalid records dropped from memory and store, no serial advance; then all valid.
    void dataIntegrity() {
        auto m = manager();
        const ZonePtr first = ZonePtr::create(u"a.example"_s, zonePath(u"a.example"_s));
        const ZonePtr second = ZonePtr::create(u"b.example"_s, zonePath(u"b.example"_s));
        m->setZones({first, second});
        QCOMPARE(host().lines([&] { m->validateDataIntegrity(); }), QStringList());
        first->setSoaRecord(SOARecord{u"ns1.a.example."_s, u"admin.a.example."_s, 2025030501});
        const QList<DNSRecord> firstRecords = {
            a(u"one"_s, u"192.0.2.1"_s), DNSRecord("two", DNSRecordType::AAAA, "2001:db8::2", 60),
            DNSRecord("three", DNSRecordType::CNAME, "one.a.example.", 60)};
        const DNSRecord bad = rawRecord({}, DNSRecordType::A, u"999.0.0.1"_s); // apex: no "@"
        const DNSRecord last("five", DNSRecordType::TXT, "\"hi\"", 60);
        first->setRecords(firstRecords);
        second->setRecords({bad, last});
        m->setZones({}); // stored again as they are now
        m->setZones({first, second});
        QCOMPARE(recordIds(storedZones(*m)->at(1).records), recordIds({bad, last}));
        QSignalSpy secondChanged(second.get(), &DNSZone::changed);
        QCOMPARE(host().lines([&] { m->validateDataIntegrity(); }),
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
        QCOMPARE(host().lines([&] { m->validateDataIntegrity(); }),
                 QStringList{successLine(u"Data integrity check: All 4 records are valid"_s)});
    }

    // No SOA: the default one is made for the candidate, its names cleaned, even for a
    // delete; the zone gets it once the file is written.
    void defaultSoa() {
        auto m = manager();
        const ZonePtr zone = ZonePtr::create(u"placeholder.example"_s, zonePath(u"my"_s));
        zone->setName(u"my_zone.example.com"_s);
        const DNSRecord www = a(u"www"_s, u"192.0.2.10"_s, 3600);
        zone->setRecords({DNSRecord({}, DNSRecordType::NS, u"ns.example.net."_s, 3600), www});
        m->setZones({zone});
        const qsizetype logStart = m->logs().size();
        const Finish finish = finishOf(m.get(), [&] {
            const ChangeId id = m->deleteRecord(www, zone);
            return zone->soaRecord() ? 0 : id; // not before the file is written
        });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(
            zone->soaRecord(),
            std::optional(SOARecord{u"ns1.myzone.example.com."_s, u"admin.myzone.example.com."_s,
                                    2025030502, 3600, 1800, 1209600, 86400}));
        const QStringList lines = withoutTimeStamps(m->logs().mid(logStart));
        const qsizetype created =
            lines.indexOf(infoLine(u"Created default SOA record for zone 'my_zone.example.com'"_s));
        QVERIFY(created >= 0);
        QCOMPARE(lines.mid(created + 1, 2),
                 QStringList({debugLine(u"Incremented SOA serial for zone 'my_zone.example.com': "
                                        "2025030501 → 2025030502"_s),
                              infoLine(u"🗑️ A record 'www' deleted from zone "
                                       "'my_zone.example.com'"_s)}));
        QVERIFY(readFile(zone->filePath()).contains("ns1.myzone.example.com."));
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
        const ZonePtr zone = ZonePtr::create(u"example.com"_s, zonePath(u"example.com"_s));
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
        const QString refusal =
            u"❌ NAPTR record 'sip' is kept as its zone file has it and is not edited in Korvi"_s;
        Finish finish;
        QCOMPARE(host().lines([&] {
            finish = finishOf(m.get(), [&] {
                return update ? m->updateRecord(changed, zone) : m->addRecord(changed, zone);
            });
        }),
                 QStringList{errorLine(refusal)});
        QVERIFY(!finish.applied && !finish.early && finish.count == 1);
        QCOMPARE(finish.message, refusal);
        QCOMPARE(notices.count(), 0);
        QCOMPARE(zone->records().size(), 1);
        QCOMPARE(zone->records().first().value, kept.value);
        QCOMPARE(storedBytes(*m), before);
        QVERIFY(!QFileInfo::exists(zone->filePath()));
    }

    // An invalid record changes nothing: a heading and one line per fault, written at once.
    void invalidRecordChangesNothing_data() {
        QTest::addColumn<bool>("update");
        QTest::newRow("add, no SOA") << false;
        QTest::newRow("update") << true;
    }
    void invalidRecordChangesNothing() {
        QFETCH(bool, update);
        auto m = manager();
        const ZonePtr zone = ZonePtr::create(u"example.com"_s, zonePath(u"example.com"_s));
        const DNSRecord original = a(u"www"_s, u"192.0.2.10"_s);
        zone->setRecords({original});
        m->setZones({zone});
        const QByteArray before = storedBytes(*m);
        DNSRecord bad = rawRecord(u"www"_s, DNSRecordType::A, u"999.1.1.1"_s, -1); // two faults
        if (update)
            bad.id = original.id;
        const QStringList errors = validateRecord(bad).errors;
        QCOMPARE(errors.size(), 2);
        QSignalSpy changed(zone.get(), &DNSZone::changed);
        QSignalSpy finished(m.get(), &DNSServerManager::changeFinished);
        ChangeId id = 0;
        QCOMPARE(host().lines(
                     [&] { id = update ? m->updateRecord(bad, zone) : m->addRecord(bad, zone); }),
                 QStringList({errorLine(update ? u"Invalid DNS record update for 'www' A:"_s
                                               : u"Invalid DNS record for 'www' A:"_s),
                              errorLine("  • " + errors[0]), errorLine("  • " + errors[1])}));
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).value<ChangeId>(), id);
        QCOMPARE(finished.first().at(2).toString(), errors.join(u'\n'));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(zone->records().first().toJson(), original.toJson());
        QVERIFY(!zone->soaRecord());
        QCOMPARE(storedBytes(*m), before);
    }
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
