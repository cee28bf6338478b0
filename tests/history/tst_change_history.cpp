// The change history without a server: every applied change leaves a snapshot (the files it
// replaced, before and after, under the data folder's history/, indexed in the zone
// database); the index survives a new start; the per-zone bound drops the oldest snapshots
// with their files; a refused change leaves none.
#include <QtTest>

#include "ChangeSupport.h"
#include "manager/ChangeHistory.h"
#include "manager/HistoryRestore.h"
#include "storage/SnapshotStore.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Operation { add, update, remove, removeMany, soa, addZone, removeZone, rewrite };

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QString textOrNone(const std::optional<QString>& text) {
    return text ? *text : u"<none>"_s;
}

} // namespace

class TestChangeHistory : public QObject {
    Q_OBJECT

    std::unique_ptr<ChangeHost> m_changes;

    QString historyFolder() const {
        return m_changes->host.layout.dataDirectory + u'/' + SnapshotStore::folderName();
    }
    QStringList historyFiles() const {
        return QDir(historyFolder()).entryList(QDir::Files, QDir::Name);
    }
    // Waits until the history has stored what it was handed and holds this many entries.
    static bool historyHolds(const DNSServerManager& m, qsizetype count) {
        return QTest::qWaitFor(
            [&] {
                return !m.changeHistory()->hasPendingWrites() &&
                       m.changeHistory()->entries().size() == count;
            },
            10000);
    }
    static std::optional<ChangeSnapshot> texts(DNSServerManager& m, qint64 id) {
        std::optional<ChangeSnapshot> loaded;
        bool done = false;
        m.changeHistory()->loadTexts(
            id, [&](const std::optional<ChangeSnapshot>& snapshot, const QString&) {
                loaded = snapshot;
                done = true;
            });
        (void)QTest::qWaitFor([&] { return done; }, 5000);
        return loaded;
    }

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

    // Each kind of applied change: one new entry, newest first, with the log's phrase, and
    // the files' texts exactly as they were on disk before and after the change.
    void snapshotOfEachChange_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<ChangeSnapshot::Kind>("kind");
        QTest::addColumn<bool>("configuration");
        const auto content = ChangeSnapshot::Kind::content;
        QTest::newRow("add A") << Operation::add << u"A record 'mail' added to zone 'example.com'"_s
                               << content << false;
        QTest::newRow("update A") << Operation::update
                                  << u"A record 'www' updated in zone 'example.com'"_s << content
                                  << false;
        QTest::newRow("delete A") << Operation::remove
                                  << u"A record 'ftp' deleted from zone 'example.com'"_s << content
                                  << false;
        QTest::newRow("delete two")
            << Operation::removeMany << u"2 records deleted from zone 'example.com'"_s << content
            << false;
        QTest::newRow("SOA") << Operation::soa << u"SOA record updated in zone 'example.com'"_s
                             << content << false;
        QTest::newRow("rewrite") << Operation::rewrite
                                 << u"Korvi's version written to the file of zone 'example.com'"_s
                                 << content << false;
        QTest::newRow("add zone") << Operation::addZone << u"Zone 'example.org' added"_s
                                  << ChangeSnapshot::Kind::zoneAdded << true;
        QTest::newRow("remove zone") << Operation::removeZone << u"Zone 'example.com' removed"_s
                                     << ChangeSnapshot::Kind::zoneRemoved << true;
    }
    void snapshotOfEachChange() {
        QFETCH(Operation, operation);
        QFETCH(QString, summary);
        QFETCH(ChangeSnapshot::Kind, kind);
        QFETCH(bool, configuration);
        auto m = m_changes->manager();
        QVERIFY(waitForStorage(*m));
        const ZonePtr zone = m_changes->addedZone(*m);
        QVERIFY(zone);
        QVERIFY(historyHolds(*m, 1)); // the zone's addition
        const ZonePtr other =
            ZoneRepository::newZone(u"example.org"_s, m_changes->zonePath(u"example.org"_s),
                                    QString(), QString(), 2025030501, u"192.0.2.2"_s);
        const ZonePtr changed = operation == Operation::addZone ? other : zone;
        const QByteArray zoneBefore = fileBytes(changed->filePath());
        const QByteArray confBefore = fileBytes(m_changes->namedConf());
        const Finish finish = finishOf(m.get(), [&]() -> ChangeId {
            switch (operation) {
            case Operation::add:
                return m->addRecord(a(u"mail"_s, u"192.0.2.25"_s), zone);
            case Operation::update: {
                DNSRecord www = *recordNamed(zone, u"www"_s);
                www.value = u"192.0.2.99"_s;
                return m->updateRecord(www, zone);
            }
            case Operation::remove:
                return m->deleteRecord(*recordNamed(zone, u"ftp"_s), zone);
            case Operation::removeMany:
                return m->deleteRecords(
                    {recordNamed(zone, u"www"_s)->id, recordNamed(zone, u"ftp"_s)->id}, zone);
            case Operation::soa: {
                SOARecord soa = *zone->soaRecord();
                soa.adminEmail = u"hostmaster.example.com."_s;
                return m->updateSOA(soa, zone);
            }
            case Operation::addZone:
                return m->addZone(other);
            case Operation::removeZone:
                return m->removeZone(zone);
            case Operation::rewrite:
                break;
            }
            return 0;
        });
        if (operation == Operation::rewrite) {
            m->zoneRepository()->rewriteZoneFile(zone);
        } else {
            QCOMPARE(finish.count, 1);
            QVERIFY2(finish.applied, qPrintable(finish.message));
        }
        QVERIFY(historyHolds(*m, 2));
        const ChangeSnapshot newest = m->changeHistory()->entries().first();
        QCOMPARE(newest.summary, summary);
        QCOMPARE(newest.kind, kind);
        QCOMPARE(newest.zoneId, changed->id());
        QCOMPARE(newest.zoneName, changed->name());
        QVERIFY(newest.time.isValid());
        const std::optional<ChangeSnapshot> loaded = texts(*m, newest.id);
        QVERIFY(loaded && loaded->textsLoaded);
        const SnapshotFile* zoneFile = loaded->file(ChangeSnapshot::zoneRole());
        QVERIFY(zoneFile);
        QCOMPARE(zoneFile->path, changed->filePath());
        QCOMPARE(textOrNone(zoneFile->before).toUtf8(), zoneBefore);
        QCOMPARE(textOrNone(zoneFile->after).toUtf8(), fileBytes(changed->filePath()));
        QVERIFY(zoneFile->before != zoneFile->after);
        const SnapshotFile* conf = loaded->file(ChangeSnapshot::configurationRole());
        QCOMPARE(conf != nullptr, configuration);
        if (conf) {
            QCOMPARE(conf->path, m_changes->namedConf());
            QCOMPARE(textOrNone(conf->before).toUtf8(), confBefore);
            QCOMPARE(textOrNone(conf->after).toUtf8(), fileBytes(m_changes->namedConf()));
            QVERIFY(conf->before != conf->after);
        }
        // The texts are files under history/, as the index names them.
        for (const SnapshotFile& file : loaded->files) {
            for (const QString& name : {file.beforeName, file.afterName}) {
                if (!name.isEmpty())
                    QVERIFY2(historyFiles().contains(name), qPrintable(name));
            }
        }
    }

    // A new start reads the same index from the database, and the texts from their files.
    void historySurvivesReopening() {
        QString summaryBefore;
        qint64 idBefore = 0;
        QByteArray afterText;
        {
            auto m = m_changes->manager();
            QVERIFY(waitForStorage(*m));
            const ZonePtr zone = m_changes->addedZone(*m);
            QVERIFY(zone);
            QVERIFY(finishOf(m.get(), [&] {
                        return m->addRecord(a(u"mail"_s, u"192.0.2.25"_s), zone);
                    }).applied);
            QVERIFY(historyHolds(*m, 2));
            summaryBefore = m->changeHistory()->entries().first().summary;
            idBefore = m->changeHistory()->entries().first().id;
            afterText = fileBytes(zone->filePath());
            QVERIFY(waitForStorage(*m));
        }
        settle();
        auto reopened = m_changes->manager();
        QVERIFY(historyHolds(*reopened, 2));
        const ChangeSnapshot newest = reopened->changeHistory()->entries().first();
        QCOMPARE(newest.id, idBefore);
        QCOMPARE(newest.summary, summaryBefore);
        QCOMPARE(reopened->changeHistory()->entries().last().summary,
                 u"Zone 'example.com' added"_s);
        const std::optional<ChangeSnapshot> loaded = texts(*reopened, newest.id);
        QVERIFY(loaded);
        QCOMPARE(textOrNone(loaded->file(ChangeSnapshot::zoneRole())->after).toUtf8(), afterText);
    }

    // With the preference at 3, a zone keeps its 3 newest snapshots; the older ones' rows and
    // files are gone, and no file is left that no row names. Another zone's are untouched.
    void boundDropsOldest() {
        auto m = m_changes->manager();
        m->preferences().setData(ChangeHistory::perZoneKey(), "3");
        QVERIFY(waitForStorage(*m));
        const ZonePtr zone = m_changes->addedZone(*m);
        const ZonePtr other = m_changes->addedZone(*m, u"example.net"_s);
        QVERIFY(zone && other);
        QVERIFY(historyHolds(*m, 2));
        for (int i = 1; i <= 5; ++i) {
            QVERIFY(finishOf(m.get(), [&] {
                        return m->addRecord(a(u"host%1"_s.arg(i), u"192.0.2.%1"_s.arg(30 + i)),
                                            zone);
                    }).applied);
        }
        QVERIFY(historyHolds(*m, 4)); // 3 of example.com, 1 of example.net
        QStringList summaries;
        QStringList named;
        for (const ChangeSnapshot& entry : m->changeHistory()->entries()) {
            summaries.append(entry.summary);
            for (const SnapshotFile& file : entry.files) {
                for (const QString& name : {file.beforeName, file.afterName}) {
                    if (!name.isEmpty())
                        named.append(name);
                }
            }
        }
        QCOMPARE(summaries, (QStringList{u"A record 'host5' added to zone 'example.com'"_s,
                                         u"A record 'host4' added to zone 'example.com'"_s,
                                         u"A record 'host3' added to zone 'example.com'"_s,
                                         u"Zone 'example.net' added"_s}));
        named.sort();
        QCOMPARE(historyFiles(), named);
    }

    // A change the validator or BIND's checker refuses keeps no snapshot and writes no file.
    void refusedChangeKeepsNone_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::newRow("validator") << a(u"bad"_s, u"not an address"_s);
        // CNAME beside other data at the same name: named-checkzone refuses the zone.
        DNSRecord cname(u"www"_s, DNSRecordType::CNAME, u"example.net."_s, 300);
        QTest::newRow("checker") << cname;
    }
    void refusedChangeKeepsNone() {
        QFETCH(DNSRecord, record);
        auto m = m_changes->manager();
        QVERIFY(waitForStorage(*m));
        const ZonePtr zone = m_changes->addedZone(*m);
        QVERIFY(zone);
        QVERIFY(historyHolds(*m, 1));
        const QStringList filesBefore = historyFiles();
        const Finish finish = finishOf(m.get(), [&] { return m->addRecord(record, zone); });
        QCOMPARE(finish.count, 1);
        QVERIFY(!finish.applied);
        settle();
        QTest::qWait(100);
        QVERIFY(!m->changeHistory()->hasPendingWrites());
        QCOMPARE(m->changeHistory()->entries().size(), 1);
        QCOMPARE(historyFiles(), filesBefore);
    }

    // Restoring a zone's addition removes the zone again; restoring a removal while a zone of
    // that name is listed again is refused with the reason, and changes nothing.
    void restoreOfZoneAdditionAndRemoval() {
        auto m = m_changes->manager();
        QVERIFY(waitForStorage(*m));
        const ZonePtr zone = m_changes->addedZone(*m);
        QVERIFY(zone);
        QVERIFY(historyHolds(*m, 1));
        const ChangeSnapshot addition = m->changeHistory()->entries().first();
        HistoryRestore* restore = m->historyRestore();
        QCOMPARE(restore->actionFor(addition), HistoryRestore::Action::removeZone);
        QVERIFY(restore->confirmation(addition).contains(u"Remove zone 'example.com'?"_s));
        QSignalSpy finished(restore, &HistoryRestore::restoreFinished);
        restore->restore(addition);
        QVERIFY(finished.wait(10000));
        QVERIFY2(finished.first().at(1).toBool(), qPrintable(finished.first().at(2).toString()));
        QVERIFY(m->zones().isEmpty());
        QVERIFY(!QFileInfo::exists(zone->filePath()));
        QVERIFY(historyHolds(*m, 2));
        const ChangeSnapshot removal = m->changeHistory()->entries().first();
        QCOMPARE(removal.kind, ChangeSnapshot::Kind::zoneRemoved);
        QCOMPARE(restore->actionFor(addition), HistoryRestore::Action::unavailable);

        // A new zone of the same name: the removed one cannot come back beside it.
        QVERIFY(m_changes->addedZone(*m));
        QVERIFY(historyHolds(*m, 3));
        const QByteArray fileBefore = fileBytes(zone->filePath());
        QCOMPARE(restore->actionFor(removal), HistoryRestore::Action::unavailable);
        finished.clear();
        restore->restore(removal);
        QVERIFY(finished.wait(5000));
        QVERIFY(!finished.first().at(1).toBool());
        QVERIFY(finished.first().at(2).toString().contains(u"is in the zone list again"_s));
        QCOMPARE(m->zones().size(), 1);
        QCOMPARE(fileBytes(zone->filePath()), fileBefore);
        QVERIFY(historyHolds(*m, 3));
    }
};

QTEST_GUILESS_MAIN(TestChangeHistory)
#include "tst_change_history.moc"
