// Refresh against a zone file that changed on disk: Korvi's store, the zone
// in memory and the file stay exactly as they were, the difference is listed,
// and each of the two choices does what it says.

#include <QSignalSpy>
#include <QTest>

#include "HostTestSupport.h"
#include "StdoutCapture.h"
#include "StoredZones.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QByteArray original = "$TTL 3600\n"
                            "@ IN SOA ns1.example.com. admin.example.com. 2025030501 3600 1800 "
                            "1209600 86400\n"
                            "@ IN NS ns1.example.com.\n"
                            "ns1 IN A 192.0.2.1\n"
                            "www 300 IN A 192.0.2.10\n"
                            "@ IN MX 10 mail.example.com.\n";

QByteArray conf() {
    return "options {\n    directory \"/x\";\n    recursion no;\n};\n"
           "zone \"example.com\" IN { type master; file \"db.example.com\"; };\n";
}

QStringList lines(const QList<DNSRecord>& records) {
    QStringList out;
    for (const DNSRecord& record : records)
        out.append(ZoneDifference::recordLine(record));
    out.sort();
    return out;
}

QStringList storedLines(const DNSServerManager& manager) {
    const auto stored = storedZones(manager);
    if (!stored || stored->size() != 1)
        return {u"<store unreadable>"_s};
    return lines(stored->first().records);
}

} // namespace

class TestRefreshChoice : public QObject {
    Q_OBJECT

    // A host whose one zone was loaded from its file and stored, then the
    // file replaced by `changed`.
    struct Setup {
        Host host;
        std::unique_ptr<DNSServerManager> manager;
        QString file;
    };
    static void prepare(Setup& setup, const QByteArray& changed) {
        setup.file = setup.host.write(u"var/named/db.example.com"_s, original);
        setup.host.write(u"etc/named.conf"_s, conf());
        setup.manager = setup.host.manager();
        setup.manager->loadConfigurationFromFile();
        settle();
        QVERIFY(waitForStorage(*setup.manager));
        QCOMPARE(setup.manager->zones().size(), 1);
        setup.host.write(u"var/named/db.example.com"_s, changed);
    }

private Q_SLOTS:
    void refreshOffersTheChoiceAndChangesNothing_data() {
        QTest::addColumn<QByteArray>("changed");
        QTest::addColumn<QStringList>("onlyInStore");
        QTest::addColumn<QStringList>("onlyInFile");
        QTest::addColumn<bool>("soaDiffers");
        const QByteArray soa = "@ IN SOA ns1.example.com. admin.example.com. 2025030501 3600 "
                               "1800 1209600 86400\n";
        const QByteArray head =
            "$TTL 3600\n" + soa + "@ IN NS ns1.example.com.\nns1 IN A 192.0.2.1\n";
        QTest::newRow("record added")
            << original + "ftp IN A 192.0.2.20\n"
            << QStringList() << QStringList{u"ftp 3600 A 192.0.2.20"_s} << false;
        QTest::newRow("record removed")
            << head + "www 300 IN A 192.0.2.10\n"
            << QStringList{u"@ 3600 MX 10 mail.example.com."_s} << QStringList() << false;
        QTest::newRow("TTL changed")
            << head + "www 600 IN A 192.0.2.10\n@ IN MX 10 mail.example.com.\n"
            << QStringList{u"www 300 A 192.0.2.10"_s} << QStringList{u"www 600 A 192.0.2.10"_s}
            << false;
        QTest::newRow("data changed")
            << head + "www 300 IN A 192.0.2.11\n@ IN MX 20 mail.example.com.\n"
            << QStringList{u"@ 3600 MX 10 mail.example.com."_s, u"www 300 A 192.0.2.10"_s}
            << QStringList{u"@ 3600 MX 20 mail.example.com."_s, u"www 300 A 192.0.2.11"_s} << false;
        QTest::newRow("owner changed")
            << head + "web 300 IN A 192.0.2.10\n@ IN MX 10 mail.example.com.\n"
            << QStringList{u"www 300 A 192.0.2.10"_s} << QStringList{u"web 300 A 192.0.2.10"_s}
            << false;
        QTest::newRow("kept type added")
            << original + "@ IN HINFO \"PC\" \"Linux\"\n"
            << QStringList() << QStringList{u"@ 3600 HINFO \"PC\" \"Linux\""_s} << false;
        QByteArray newSerial = original;
        newSerial.replace("2025030501", "2025030502");
        QTest::newRow("SOA serial only") << newSerial << QStringList() << QStringList() << true;
        // The same records in another order and layout: no difference.
        QTest::newRow("same records, other layout")
            << "$ORIGIN example.com.\n$TTL 3600\nwww 300 A 192.0.2.10\n" + soa +
                   "example.com. MX 10 mail\nns1 A 192.0.2.1\n@ NS ns1\n"
            << QStringList() << QStringList() << false;
    }

    void refreshOffersTheChoiceAndChangesNothing() {
        QFETCH(QByteArray, changed);
        QFETCH(QStringList, onlyInStore);
        QFETCH(QStringList, onlyInFile);
        QFETCH(bool, soaDiffers);
        Setup setup;
        prepare(setup, changed);
        DNSServerManager& m = *setup.manager;
        const ZonePtr zone = m.zones().first();
        const QStringList memoryBefore = lines(zone->records());
        const std::optional<SOARecord> soaBefore = zone->soaRecord();
        const QStringList storeBefore = storedLines(m);
        QCOMPARE(storeBefore, memoryBefore);
        QSignalSpy announced(&m, &DNSServerManager::refreshDifferencesChanged);

        m.refreshFromFileSystem();
        settle();

        const bool differs = !onlyInStore.isEmpty() || !onlyInFile.isEmpty() || soaDiffers;
        QCOMPARE(m.refreshDifferences().size(), differs ? 1 : 0);
        QVERIFY(announced.count() >= 1);
        if (differs) {
            const ZoneDifference& difference = m.refreshDifferences().first();
            QCOMPARE(difference.zoneName, u"example.com"_s);
            QCOMPARE(difference.zoneId, zone->id());
            QStringList inStore = difference.onlyInStore, inFile = difference.onlyInFile;
            inStore.sort();
            inFile.sort();
            QCOMPARE(inStore, onlyInStore);
            QCOMPARE(inFile, onlyInFile);
            QCOMPARE(difference.soaDiffers, soaDiffers);
        }
        // Nothing changed anywhere: the same zone object with the same
        // records and SOA, the same stored rows, the file as it was written.
        QCOMPARE(m.zones(), QList<ZonePtr>{zone});
        QCOMPARE(lines(zone->records()), memoryBefore);
        QVERIFY(zone->soaRecord() == soaBefore);
        QCOMPARE(storedLines(m), storeBefore);
        QCOMPARE(readFile(setup.file), changed);
    }

    void useTheFile() {
        Setup setup;
        const QByteArray changed = original + "ftp IN A 192.0.2.20\n";
        prepare(setup, changed);
        DNSServerManager& m = *setup.manager;
        m.refreshFromFileSystem();
        settle();
        QCOMPARE(m.refreshDifferences().size(), 1);
        const QStringList fileLines = lines(m.refreshDifferences().first().fileRecords);
        QVERIFY(fileLines.contains(u"ftp 3600 A 192.0.2.20"_s));

        m.useFileVersion(u"example.com"_s);
        settle();
        QVERIFY(m.refreshDifferences().isEmpty());
        QCOMPARE(lines(m.zones().first()->records()), fileLines);
        QCOMPARE(storedLines(m), fileLines);
        QCOMPARE(readFile(setup.file), changed); // the file was already right
        m.refreshFromFileSystem();
        settle();
        QVERIFY(m.refreshDifferences().isEmpty());
    }

    void keepKorvisVersion() {
        Setup setup;
        prepare(setup, original + "ftp IN A 192.0.2.20\n");
        DNSServerManager& m = *setup.manager;
        const QStringList korvis = lines(m.zones().first()->records());
        m.refreshFromFileSystem();
        settle();
        QCOMPARE(m.refreshDifferences().size(), 1);

        m.keepKorviVersion(u"example.com"_s);
        QVERIFY(m.refreshDifferences().isEmpty());
        // The checked save writes the file once named-checkzone accepts it.
        QTRY_VERIFY_WITH_TIMEOUT(!readFile(setup.file).contains("ftp"), 20000);
        settle();
        QCOMPARE(lines(m.zones().first()->records()), korvis);
        QCOMPARE(storedLines(m), korvis);
        m.refreshFromFileSystem();
        settle();
        QVERIFY(m.refreshDifferences().isEmpty());
    }

    // A choice for a zone that is not listed changes nothing.
    void choiceForAnUnlistedZone() {
        Setup setup;
        prepare(setup, original + "ftp IN A 192.0.2.20\n");
        DNSServerManager& m = *setup.manager;
        m.refreshFromFileSystem();
        settle();
        const QStringList before = lines(m.zones().first()->records());
        m.useFileVersion(u"other.example"_s);
        m.keepKorviVersion(u"other.example"_s);
        settle();
        QCOMPARE(m.refreshDifferences().size(), 1);
        QCOMPARE(lines(m.zones().first()->records()), before);
    }
};

QTEST_GUILESS_MAIN(TestRefreshChoice)
#include "tst_refresh_choice.moc"
