// "Adopt into Korvi" in the core: an administrator's zone in named.conf.local of a rebased
// Debian BIND becomes Korvi's, its statement moved into Korvi's include with every other byte
// of named.conf.local kept, copies of the original files kept, BIND accepting the result; a
// refused adoption leaves every file as it was. The helper's verb refuses anything else.
#include <QtTest>

#include "AdoptionFixture.h"
#include "StoredZones.h"
#include "host/HelperVerbs.h"
#include "model/ZoneParser.h"
#include "model/ZoneStatementScanner.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QStringList recordTexts(const QList<DNSRecord>& records) {
    QStringList texts;
    for (const DNSRecord& record : records)
        texts.append(u"%1 %2 %3"_s.arg(record.name, rawValue(record.type), record.value));
    texts.sort();
    return texts;
}

} // namespace

class TestZoneAdoption : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void adoptsTheZone_data() {
        QTest::addColumn<bool>("korviAlready");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("Korvi's first zone") << false << QString();
        QTest::newRow("beside a zone of Korvi's") << true << QString();
        QTest::newRow("file named relative to named's folder") << true << u"db.shop"_s;
    }

    void adoptsTheZone() {
        QFETCH(bool, korviAlready);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), korviAlready, fileName); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY2(host.checkWithZones().ok(), qPrintable(host.checkWithZones().describe()));
        const QByteArray zoneBytes = adminZoneText;
        auto m = host.manager();
        QVERIFY(m);
        const std::optional<ConfiguredZone> zone = configuredZone(*m, u"shop.example"_s);
        QVERIFY(zone);
        QCOMPARE(zone->declaredIn, host.local());
        QVERIFY(!zone->ownedByKorvi);
        QCOMPARE(ZoneAdoption::refusal(*zone, host.layout), std::nullopt);

        QSignalSpy spy(m.get(), &DNSServerManager::zoneAdoptionFinished);
        m->adoptZone(*zone);
        const std::optional<ZoneAdoptionResult> result = waitForAdoption(spy);
        QVERIFY(result);
        QVERIFY2(result->adopted, qPrintable(result->message));
        QCOMPARE(spy.size(), 1);

        // named.conf.local without the statement, nothing else changed.
        QCOMPARE(readFile(host.local()), host.localAfter(korviAlready));
        // The copies: the declaring file and the zone's file as they were.
        QVERIFY(result->backupFolder.startsWith(ZoneAdoption::backupRoot(host.layout) + u'/'));
        QVERIFY(result->backupFolder.contains(u"shop.example-"_s));
        QCOMPARE(readFile(result->backupFolder + u"/named.conf.local"_s), host.localBefore);
        const QString zoneCopy =
            result->backupFolder + u'/' +
            QFileInfo(fileName.isEmpty() ? host.adminZoneFile() : fileName).fileName();
        QCOMPARE(readFile(zoneCopy), zoneBytes);
        QVERIFY(result->message.contains(result->backupFolder));
        QTRY_COMPARE(logCount(*m, result->message, LogLevel::success), 1);

        // Korvi's zone now, with every record of the file, in its include and its store.
        const ZonePtr adopted = korviZone(*m, u"shop.example"_s);
        QVERIFY(adopted);
        const ZoneReadResult original =
            ZoneParser().readText(zoneBytes, u"shop.example"_s, host.path(u"/var/cache/bind"_s));
        QVERIFY(original.ok);
        QCOMPARE(recordTexts(adopted->records()), recordTexts(original.records));
        QCOMPARE(adopted->records().size(), 7); // NS, MX, three A, CNAME, TXT
        QVERIFY(adopted->soaRecord());
        QCOMPARE(adopted->soaRecord()->serial, original.soa->serial);
        QCOMPARE(adopted->filePath(), host.files.zoneFile(u"shop.example"_s));
        QVERIFY(readFile(host.files.korviInclude).contains("zone \"shop.example\""));
        const std::optional<ConfiguredZone> now = configuredZone(*m, u"shop.example"_s);
        QVERIFY(now && now->isEditableByKorvi());
        QVERIFY(waitForStorage(*m));
        const auto stored = readStoredZones(host.layout.dataDirectory);
        QVERIFY(stored);
        const auto storedShop = std::find_if(stored->cbegin(), stored->cend(), [](const auto& z) {
            return z.zone.name == u"shop.example"_s;
        });
        QVERIFY(storedShop != stored->cend());
        QCOMPARE(recordTexts(storedShop->records), recordTexts(original.records));

        // BIND takes the result, zone files loaded; the administrator's file is not written.
        const ProgramResult check = host.checkWithZones();
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        QCOMPARE(readFile(fileName.isEmpty() ? host.adminZoneFile()
                                             : host.path(u"/var/cache/bind/"_s + fileName)),
                 zoneBytes);

        // Read again from disk, the zone is Korvi's and no longer an administrator's.
        m->loadConfigurationFromFile();
        settle();
        QVERIFY(configuredZone(*m, u"shop.example"_s)->ownedByKorvi);
        QCOMPARE(m->zones().size(), korviAlready ? 2 : 1);
    }

    void refusedAdoptionChangesNothing_data() {
        QTest::addColumn<QByteArray>("zoneText");
        QTest::addColumn<bool>("staleInclude");
        QTest::addColumn<bool>("backupMade");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zone file unreadable")
            << QByteArray("$TTL 3600\n@ IN SOA ns1 hostmaster ( 1 2 3\nwww IN A 999.1.1.1\n")
            << false << false << u"could not be read completely"_s;
        QTest::newRow("zone file without NS: named-checkzone refuses Korvi's file")
            << QByteArray("$TTL 3600\n@ IN SOA ns1.shop.example. h.shop.example. 1 3600 900 "
                          "604800 300\nwww IN A 192.0.2.80\n")
            << false << true << u"named-checkzone"_s;
        QTest::newRow("named-checkconf refuses the new configuration")
            << adminZoneText << true << true << u"named-checkconf refused"_s;
    }

    void refusedAdoptionChangesNothing() {
        QFETCH(QByteArray, zoneText);
        QFETCH(bool, staleInclude);
        QFETCH(bool, backupMade);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), false); !why.isEmpty())
            QSKIP(qPrintable(why));
        writeFile(host.root, host.adminZoneFile(), zoneText, false);
        QByteArray staleText;
        if (staleInclude) {
            // Korvi's include, left from before but not included, lists a zone the
            // administrator also declares: with the include line back, BIND sees it twice.
            staleText = ownedIncludeText(host.files, {u"twice.example"_s});
            writeFile(host.root, host.files.korviInclude, staleText, false);
            host.localBefore += "zone \"twice.example\" { type primary; file \"" +
                                host.adminZoneFile().toUtf8() + "\"; };\n";
            writeFile(host.root, host.local(), host.localBefore, false);
        }
        auto m = host.manager();
        QVERIFY(m);
        const std::optional<ConfiguredZone> zone = configuredZone(*m, u"shop.example"_s);
        QVERIFY(zone);
        const qsizetype zonesBefore = m->zones().size();

        QSignalSpy spy(m.get(), &DNSServerManager::zoneAdoptionFinished);
        m->adoptZone(*zone);
        const std::optional<ZoneAdoptionResult> result = waitForAdoption(spy);
        QVERIFY(result);
        QVERIFY(!result->adopted);
        QVERIFY2(result->message.contains(reason), qPrintable(result->message));
        QTRY_COMPARE(logCount(*m, result->message, LogLevel::error), 1);

        // Every file as it was; Korvi's new file for the zone gone again.
        QCOMPARE(readFile(host.local()), host.localBefore);
        QCOMPARE(readFile(host.adminZoneFile()), zoneText);
        QVERIFY(!QFileInfo::exists(host.files.zoneFile(u"shop.example"_s)));
        if (staleInclude)
            QCOMPARE(readFile(host.files.korviInclude), staleText);
        else
            QVERIFY(!QFileInfo::exists(host.files.korviInclude));
        QCOMPARE(!result->backupFolder.isEmpty(), backupMade);
        if (backupMade) {
            QCOMPARE(readFile(result->backupFolder + u"/named.conf.local"_s), host.localBefore);
            QVERIFY(result->message.contains(result->backupFolder));
        }
        QVERIFY(!korviZone(*m, u"shop.example"_s));
        QCOMPARE(m->zones().size(), zonesBefore);
        QVERIFY(!configuredZone(*m, u"shop.example"_s)->ownedByKorvi);
    }

    // The distribution's zones, Korvi's own and zones in views are never offered.
    void offersOnlyAdministratorsPrimaryZones() {
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), true); !why.isEmpty())
            QSKIP(qPrintable(why));
        auto m = host.manager();
        QVERIFY(m);
        QStringList offered;
        QStringList stock;
        for (const ConfiguredZone& zone : m->configuration()->configuredZones()) {
            if (!ZoneAdoption::refusal(zone, host.layout))
                offered.append(zone.name);
            if (QFileInfo(zone.declaredIn).fileName() == u"named.conf.default-zones"_s)
                stock.append(zone.name);
        }
        QCOMPARE(offered, QStringList{u"shop.example"_s});
        for (const char* name :
             {"localhost", "127.in-addr.arpa", "0.in-addr.arpa", "255.in-addr.arpa"})
            QVERIFY(stock.contains(QLatin1String(name)));

        ConfiguredZone shop = *configuredZone(*m, u"shop.example"_s);
        ConfiguredZone inView = shop;
        inView.view = u"inside"_s;
        ConfiguredZone secondary = shop;
        secondary.type = ConfiguredZoneType::secondary;
        ConfiguredZone stockNamed = shop;
        stockNamed.name = u"localhost"_s;
        for (const ConfiguredZone& zone : {inView, secondary, stockNamed})
            QVERIFY(ZoneAdoption::refusal(zone, host.layout));
        // Asked anyway, the manager refuses and changes nothing.
        QSignalSpy spy(m.get(), &DNSServerManager::zoneAdoptionFinished);
        m->adoptZone(stockNamed);
        const std::optional<ZoneAdoptionResult> result = waitForAdoption(spy);
        QVERIFY(result && !result->adopted);
        QCOMPARE(readFile(host.local()), host.localBefore);
    }

    // The helper's verb: anything but the declaring file without exactly the zone's statement,
    // below the configuration's folder and read by BIND, is refused and changes nothing.
    void helperVerbRefuses_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("file"); // below root; "@local" is named.conf.local
        QTest::addColumn<QString>("text"); // "@expected": the right new text
        QTest::addColumn<bool>("korviFile");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the right text")
            << u"shop.example"_s << u"@local"_s << u"@expected"_s << true << true;
        QTest::newRow("Korvi's file not written yet")
            << u"shop.example"_s << u"@local"_s << u"@expected"_s << false << false;
        QTest::newRow("another change in the text")
            << u"shop.example"_s << u"@local"_s << u"@expected+"_s << true << false;
        QTest::newRow("file outside the configuration folder")
            << u"shop.example"_s << u"/tmp/named.conf.local"_s << u"@expected"_s << true << false;
        QTest::newRow("path through ..")
            << u"shop.example"_s << u"/etc/bind/../bind/named.conf.local"_s << u"@expected"_s
            << true << false;
        QTest::newRow("the distribution's zones")
            << u"localhost"_s << u"/etc/bind/named.conf.default-zones"_s << u"@expected"_s << true
            << false;
        QTest::newRow("a zone the file does not declare")
            << u"other.example"_s << u"@local"_s << u"@expected"_s << true << false;
        QTest::newRow("a file BIND does not read")
            << u"shop.example"_s << u"/etc/bind/unused.conf"_s << u"@expected"_s << true << false;
    }

    void helperVerbRefuses() {
        QFETCH(QString, zone);
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(bool, korviFile);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), true); !why.isEmpty())
            QSKIP(qPrintable(why));
        writeFile(host.root, u"etc/bind/unused.conf"_s, host.localBefore, false);
        writeFile(host.root, u"tmp/named.conf.local"_s, host.localBefore, false);
        const QString path = file == u"@local" ? host.local() : host.path(file);
        const QByteArray before = readFile(path);
        QByteArray input = ZoneStatementScanner::without(before, zone).value_or(before);
        if (text == u"@expected+")
            input += "# more\n";
        if (korviFile)
            writeFile(host.root, host.files.zoneFile(zone), adminZoneText, false);
        const QByteArray includeBefore = readFile(host.files.korviInclude);

        const FileOperationResult result =
            performFileVerb(OwnedFiles(host.files), {u"adopt-zone"_s, zone, path}, input);
        QVERIFY2(result.ok() == accepted, qPrintable(result.message));
        if (accepted) {
            QCOMPARE(readFile(path), input);
            QVERIFY(readFile(host.files.korviInclude).contains("zone \"shop.example\""));
            QVERIFY(host.checkWithZones().ok());
        } else {
            QCOMPARE(result.outcome, FileOperationResult::Outcome::refused);
            QCOMPARE(readFile(path), before);
            QCOMPARE(readFile(host.files.korviInclude), includeBefore);
        }
    }

    // The same verb through korvi-helper itself, the text on its standard input.
    void helperProgramTakesTheVerb_data() {
        QTest::addColumn<bool>("rightText");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("the file without the statement") << true << 0;
        QTest::newRow("any other text") << false << 1;
    }

    void helperProgramTakesTheVerb() {
        QFETCH(bool, rightText);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), false); !why.isEmpty())
            QSKIP(qPrintable(why));
        writeFile(host.root, host.files.zoneFile(u"shop.example"_s), adminZoneText, false);
        const QByteArray input =
            rightText ? host.localAfter(true) : host.localAfter(true) + "# more\n";
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"KORVI_HELPER_ROOT"_s, host.root);
        environment.remove(u"PKEXEC_UID"_s);
        helper.setProcessEnvironment(environment);
        helper.start(QStringLiteral(KORVI_TEST_BUILD_DIR "/src/korvi-helper"),
                     {u"adopt-zone"_s, u"shop.example"_s, host.local()});
        QVERIFY(helper.waitForStarted());
        helper.write(input);
        helper.closeWriteChannel();
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitCode(), exitCode);
        if (rightText) {
            QCOMPARE(readFile(host.local()), host.localAfter(false));
            QVERIFY(host.checkWithZones().ok());
        } else {
            QCOMPARE(readFile(host.local()), host.localBefore);
            QVERIFY(!QFileInfo::exists(host.files.korviInclude));
        }
    }
};

QTEST_GUILESS_MAIN(TestZoneAdoption)
#include "tst_zone_adoption.moc"
