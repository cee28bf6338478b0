// Batch mode in the zone repository, without a server: a collected change reaches the zone the
// window shows but no file and no store; a change the rules refuse collects nothing and gives
// the live mode's message; discarding puts records and SOA back; the text shown before applying
// is exactly the text written, with the serial one step on, and BIND's checker accepts it.
#include <QtTest>

#include "../operations/ChangeSupport.h"
#include "manager/ApplySettings.h"
#include "model/Serial.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Kind { add, update, remove, removeMany, soa };

ChangeId change(ZoneRepository& repository, Kind kind, const ZonePtr& zone, bool valid) {
    switch (kind) {
    case Kind::add:
        return repository.addRecord(a(u"mail"_s, valid ? u"192.0.2.25"_s : u"192.0.2"_s, 300),
                                    zone);
    case Kind::update: {
        DNSRecord www = *recordNamed(zone, u"www"_s);
        www.value = valid ? u"192.0.2.99"_s : u"not an address"_s;
        return repository.updateRecord(www, zone);
    }
    case Kind::remove:
        return repository.deleteRecord(*recordNamed(zone, u"ftp"_s), zone);
    case Kind::removeMany:
        return repository.deleteRecords(
            {recordNamed(zone, u"www"_s)->id, recordNamed(zone, u"ftp"_s)->id}, zone);
    case Kind::soa: {
        SOARecord soa = *zone->soaRecord();
        soa.adminEmail = valid ? u"hostmaster.example.com."_s : QString();
        soa.refresh = 7200;
        return repository.updateSOA(soa, zone);
    }
    }
    return 0;
}

} // namespace

class TestBatchChanges : public QObject {
    Q_OBJECT

    std::unique_ptr<ChangeHost> m_changes;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

    ZoneRepository& repository() { return *m_manager->zoneRepository(); }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() {
        m_changes = std::make_unique<ChangeHost>();
        m_manager = m_changes->manager();
        m_zone = m_changes->addedZone(*m_manager);
        QVERIFY(m_zone);
        QVERIFY(waitForStorage(*m_manager));
    }
    void cleanup() {
        settle();
        m_zone.reset();
        m_manager.reset();
        m_changes.reset();
    }

    // The stored preference decides the mode at start; an unknown word means live, and a
    // limit out of range reads as the default.
    void preferencesAtStart_data() {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QByteArray>("limit");
        QTest::addColumn<bool>("batch");
        QTest::addColumn<int>("limitMs");
        QTest::newRow("batch, 3 s") << "batch"_ba
                                    << "3"_ba << true << 3000;
        QTest::newRow("live, 60 s") << "live"_ba
                                    << "60"_ba << false << 60000;
        QTest::newRow("unknown, 0 s") << "later"_ba
                                      << "0"_ba << false << 10000;
        QTest::newRow("absent") << QByteArray() << QByteArray() << false << 10000;
    }
    void preferencesAtStart() {
        QFETCH(QByteArray, mode);
        QFETCH(QByteArray, limit);
        QFETCH(bool, batch);
        QFETCH(int, limitMs);
        Host host;
        {
            PreferencesStore preferences(host.root() + u"/prefs.ini"_s);
            if (!mode.isNull())
                preferences.setData(ApplySettings::modeKey(), mode);
            if (!limit.isNull())
                preferences.setData(ApplySettings::servedLimitKey(), limit);
            preferences.synchronize();
        }
        const auto manager = host.manager();
        QCOMPARE(manager->zoneRepository()->isBatchMode(), batch);
        QCOMPARE(manager->zoneRepository()->servedLimit(), limitMs);
    }

    // A change the rules refuse is refused in batch mode with the live mode's message and
    // collects nothing: zone, count and file stay as they were.
    void refusalCollectsNothing_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("add") << Kind::add;
        QTest::newRow("update") << Kind::update;
        QTest::newRow("SOA") << Kind::soa;
    }
    void refusalCollectsNothing() {
        QFETCH(Kind, kind);
        const QByteArray fileBefore = readFile(m_zone->filePath());
        const QByteArray recordsBefore = recordsText(m_zone->records());
        const Finish live =
            finishOf(&repository(), [&] { return change(repository(), kind, m_zone, false); });
        QVERIFY(!live.applied);
        QVERIFY(repository().setBatchMode(true));
        QSignalSpy staged(&repository(), &ZoneRepository::stagedChanged);
        const Finish batch =
            finishOf(&repository(), [&] { return change(repository(), kind, m_zone, false); });
        QCOMPARE(batch.count, 1);
        QVERIFY(!batch.applied);
        QCOMPARE(batch.message, live.message);
        QCOMPARE(repository().stagedChangeCount(), 0);
        QVERIFY(repository().stagedFiles().isEmpty());
        QCOMPARE(staged.count(), 0);
        QCOMPARE(recordsText(m_zone->records()), recordsBefore);
        QCOMPARE(readFile(m_zone->filePath()), fileBefore);
    }

    // Each kind of change is collected: the zone shows it, the file and the store do not,
    // the serial does not move; discarding puts records and SOA back as they were.
    void collectThenDiscard_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("add") << Kind::add;
        QTest::newRow("update") << Kind::update;
        QTest::newRow("delete") << Kind::remove;
        QTest::newRow("delete many") << Kind::removeMany;
        QTest::newRow("SOA") << Kind::soa;
    }
    void collectThenDiscard() {
        QFETCH(Kind, kind);
        const QByteArray fileBefore = readFile(m_zone->filePath());
        const QByteArray recordsBefore = recordsText(m_zone->records());
        const SOARecord soaBefore = *m_zone->soaRecord();
        const QByteArray storedBefore = storedBytes(*m_manager);
        QVERIFY(repository().setBatchMode(true));
        QSignalSpy staged(&repository(), &ZoneRepository::stagedChanged);
        const Finish finish =
            finishOf(&repository(), [&] { return change(repository(), kind, m_zone, true); });
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(repository().stagedChangeCount(), 1);
        QCOMPARE(staged.count(), 1);
        QCOMPARE(staged.first().first().toInt(), 1);
        if (kind == Kind::soa) {
            QCOMPARE(m_zone->soaRecord()->adminEmail, u"hostmaster.example.com."_s);
            QCOMPARE(m_zone->soaRecord()->refresh, 7200);
        } else {
            QVERIFY(recordsText(m_zone->records()) != recordsBefore);
        }
        QCOMPARE(m_zone->soaRecord()->serial, soaBefore.serial);
        QCOMPARE(readFile(m_zone->filePath()), fileBefore);
        QCOMPARE(storedBytes(*m_manager), storedBefore);
        // Back to live mode is refused while something is collected.
        QVERIFY(!repository().setBatchMode(false));
        QVERIFY(repository().isBatchMode());

        repository().discardStaged();
        QCOMPARE(repository().stagedChangeCount(), 0);
        QCOMPARE(staged.last().first().toInt(), 0);
        QCOMPARE(recordsText(m_zone->records()), recordsBefore);
        QCOMPARE(*m_zone->soaRecord(), soaBefore);
        QCOMPARE(readFile(m_zone->filePath()), fileBefore);
        QVERIFY(repository().setBatchMode(false));
    }

    // Several changes in two zones: the texts shown are exactly the texts written, each zone's
    // serial moves one step, BIND's checker accepts the files, the store holds the zones as
    // shown, and nothing is collected afterwards.
    void appliedTextIsTheTextShown() {
        const ZonePtr net = m_changes->addedZone(*m_manager, u"example.net"_s);
        QVERIFY(net);
        const qint64 comSerial = m_zone->soaRecord()->serial;
        const qint64 netSerial = net->soaRecord()->serial;
        QVERIFY(repository().setBatchMode(true));
        for (const auto& start : std::initializer_list<std::function<ChangeId()>>{
                 [&] { return change(repository(), Kind::add, m_zone, true); },
                 [&] { return change(repository(), Kind::update, m_zone, true); },
                 [&] { return change(repository(), Kind::soa, m_zone, true); },
                 [&] { return change(repository(), Kind::remove, net, true); }}) {
            const Finish finish = finishOf(&repository(), start);
            QVERIFY2(finish.applied, qPrintable(finish.message));
        }
        QCOMPARE(repository().stagedChangeCount(), 4);
        QCOMPARE(repository().stagedDescriptions().first(),
                 u"A record 'mail' added to zone 'example.com'"_s);
        const QList<ZoneRepository::StagedFile> files = repository().stagedFiles();
        QCOMPARE(files.size(), 2);
        QCOMPARE(files.at(0).zoneName, u"example.com"_s);
        QCOMPARE(files.at(0).descriptions.size(), 3);
        QCOMPARE(files.at(1).zoneName, u"example.net"_s);
        for (const ZoneRepository::StagedFile& file : files) {
            QCOMPARE(file.currentText.toUtf8(), readFile(file.filePath));
            QVERIFY(file.newText != file.currentText);
        }
        QVERIFY(files.at(0).newText.contains(u"mail\t300\tIN\tA\t192.0.2.25"_s));

        const Finish finish = finishOf(&repository(), [&] { return repository().applyStaged(); });
        QCOMPARE(finish.count, 1);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        for (const ZoneRepository::StagedFile& file : files) {
            QCOMPARE(QString::fromUtf8(readFile(file.filePath)), file.newText);
            const ProgramResult check = checkZone(file.zoneName, file.filePath);
            QVERIFY2(check.ok(), qPrintable(check.output + check.errors));
        }
        QCOMPARE(m_zone->soaRecord()->serial, nextSerial(comSerial, fixedNoon()));
        QCOMPARE(net->soaRecord()->serial, nextSerial(netSerial, fixedNoon()));
        QCOMPARE(repository().stagedChangeCount(), 0);
        QVERIFY(repository().stagedFiles().isEmpty());
        const auto stored = storedZone(*m_manager, u"example.com"_s);
        QVERIFY(stored);
        QCOMPARE(recordsText(stored->records), recordsText(m_zone->records()));
        QCOMPARE(stored->zone.soaRecord->serial, m_zone->soaRecord()->serial);
        QVERIFY(logMessages(*m_manager).contains(u"✅ Applied 4 changes together"_s));
    }

    // Removing a zone takes its collected changes with it; the other zone's stay.
    void removedZoneDropsItsChanges() {
        const ZonePtr net = m_changes->addedZone(*m_manager, u"example.net"_s);
        QVERIFY(net);
        QVERIFY(repository().setBatchMode(true));
        QVERIFY(finishOf(&repository(), [&] {
                    return change(repository(), Kind::add, m_zone, true);
                }).applied);
        QVERIFY(finishOf(&repository(), [&] {
                    return change(repository(), Kind::add, net, true);
                }).applied);
        QCOMPARE(repository().stagedChangeCount(), 2);
        const Finish removed =
            finishOf(&repository(), [&] { return repository().removeZone(net); });
        QVERIFY2(removed.applied, qPrintable(removed.message));
        QCOMPARE(repository().stagedChangeCount(), 1);
        QCOMPARE(repository().stagedFiles().size(), 1);
        QCOMPARE(repository().stagedFiles().first().zoneName, u"example.com"_s);
    }

    // Nothing collected: applying refuses and writes nothing.
    void nothingToApply() {
        QVERIFY(repository().setBatchMode(true));
        const QByteArray fileBefore = readFile(m_zone->filePath());
        const Finish finish = finishOf(&repository(), [&] { return repository().applyStaged(); });
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        QCOMPARE(finish.message, u"There are no collected changes to apply"_s);
        QCOMPARE(readFile(m_zone->filePath()), fileBefore);
    }
};

QTEST_GUILESS_MAIN(TestBatchChanges)
#include "tst_batch_changes.moc"
