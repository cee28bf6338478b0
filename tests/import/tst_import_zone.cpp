// Importing a zone from text and files: what the preview leaves out and why, the reader's
// message for text that does not parse, a zone written by Korvi and imported again is the
// same zone, and the import goes through the manager's checked addition (BIND's checker
// loads the written file), refusing a zone that already exists.
#include <QSignalSpy>
#include <QtTest>

#include "../operations/ChangeSupport.h"
#include "BindCheckers.h"
#include "manager/ZoneExport.h"
#include "manager/ZoneImport.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString corpusDir = QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus");

const QString head =
    u"$TTL 3600\n"
    "@ IN SOA ns1.example.com. admin.example.com. 2026120601 7200 900 1209600 300\n"
    "@ IN NS ns1\n"
    "ns1 IN A 192.0.2.53\n"_s;

QString typeOf(const DNSRecord& r) {
    return r.isKept() ? r.keptType : rawValue(r.type);
}

// Every record whole (owner, TTL, type, data as written), sorted.
QStringList recordLines(const QList<DNSRecord>& records, const QString& zone) {
    QStringList lines;
    for (const DNSRecord& r : records)
        lines.append(r.name.toLower() + u' ' + QString::number(r.ttl) + u' ' + typeOf(r) + u' ' +
                     ZoneFileWriter::recordData(r, zone));
    lines.sort();
    return lines;
}

} // namespace

class TestImportZone : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leftOutWithReason_data() {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("type");
        QTest::addColumn<qint64>("line");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("records"); // imported, the two of the head included

        QTest::newRow("include") << u"$INCLUDE db.other\nwww IN A 192.0.2.1\n"_s << QString()
                                 << u"$INCLUDE"_s << qint64(5)
                                 << u"An included file is not read from pasted text"_s << 3;
        QTest::newRow("outside the zone")
            << u"www.example.org. IN A 192.0.2.1\nwww IN A 192.0.2.1\n"_s << u"www.example.org."_s
            << u"A"_s << qint64(5) << u"The name is outside the zone"_s << 3;
        QTest::newRow("second soa")
            << u"@ IN SOA ns2.example.com. admin.example.com. 7 7200 900 1209600 300\n"_s
            << QString() << u"SOA"_s << qint64(0) << u"A second SOA record"_s << 2;
        QTest::newRow("soa below the apex")
            << u"sub IN SOA ns2.example.com. admin.example.com. 7 7200 900 1209600 300\n"_s
            << u"sub"_s << u"SOA"_s << qint64(0) << u"An SOA record below the zone's apex"_s << 2;
        QTest::newRow("signature")
            << u"www IN A 192.0.2.1\nwww IN RRSIG A 13 3 3600 20260101000000 20251201000000 "
               "12345 example.com. dGVzdA==\n"_s
            << u"www"_s << u"RRSIG"_s << qint64(0) << u"DNSSEC signing data"_s << 3;
        QTest::newRow("nsec") << u"www IN NSEC zz.example.com. A RRSIG NSEC\n"_s << u"www"_s
                              << u"NSEC"_s << qint64(0) << u"DNSSEC signing data"_s << 2;
        QTest::newRow("duplicate")
            << u"www 60 IN A 192.0.2.1\nWWW 300 IN A 192.0.2.1\n"_s << u"WWW"_s << u"A"_s
            << qint64(0) << u"The same record as an earlier one"_s << 3;
        QTest::newRow("refused by Korvi's rules")
            << u"@ IN CAA 0 policy \"x\"\nwww IN A 192.0.2.1\n"_s << QString() << u"CAA"_s
            << qint64(0) << u"Korvi's record rules refuse it"_s << 3;
        QTest::newRow("nothing left out")
            << u"www IN A 192.0.2.1\n"_s << QString() << QString() << qint64(0) << QString() << 3;
    }

    void leftOutWithReason() {
        QFETCH(QString, extra);
        QFETCH(QString, owner);
        QFETCH(QString, type);
        QFETCH(qint64, line);
        QFETCH(QString, reason);
        QFETCH(int, records);
        const ZoneImportPreview preview =
            ZoneImportReader::fromText(head + extra, u"example.com."_s);
        QVERIFY2(preview.ok, qPrintable(preview.error));
        QCOMPARE(preview.zoneName, u"example.com"_s);
        QCOMPARE(preview.source, u"pasted text"_s);
        QVERIFY(preview.soa.has_value());
        QCOMPARE(preview.soa->serial, 2026120601);
        QCOMPARE(preview.soa->primaryNameServer, u"ns1.example.com."_s);
        QCOMPARE(preview.records.size(), records);
        if (reason.isEmpty()) {
            QVERIFY(preview.notImported.isEmpty());
            return;
        }
        QCOMPARE(preview.notImported.size(), 1);
        const NotImported& n = preview.notImported.first();
        QCOMPARE(n.owner, owner);
        QCOMPARE(n.type, type);
        QCOMPARE(n.line, line);
        QVERIFY2(n.reason.startsWith(reason), qPrintable(n.reason));
    }

    // A record set takes the TTL of its first record, as BIND loads it.
    void oneTTLPerRecordSet() {
        const ZoneImportPreview preview = ZoneImportReader::fromText(
            head + u"www 300 IN A 192.0.2.1\nwww 60 IN A 192.0.2.2\nwww 60 IN AAAA 2001:db8::1\n"_s,
            u"example.com"_s);
        QVERIFY2(preview.ok, qPrintable(preview.error));
        QStringList www;
        for (const DNSRecord& r : preview.records) {
            if (r.name == u"www")
                www.append(rawValue(r.type) + u' ' + QString::number(r.ttl));
        }
        QCOMPARE(www, (QStringList{u"A 300"_s, u"A 300"_s, u"AAAA 60"_s}));
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("syntax") << head + u"www IN A 192.0.2.1\nbad IN A not-an-address\n"_s
                                << u"pasted text, line 6:"_s;
        QTest::newRow("unknown type") << head + u"x IN NOTATYPE 1\n"_s << u"line 5"_s;
        QTest::newRow("no ttl") << u"www IN A 192.0.2.1\n"_s << u"line 1: a record without a TTL"_s;
        QTest::newRow("no soa") << u"$TTL 60\nwww IN A 192.0.2.1\n"_s
                                << u"pasted text holds no SOA record for example.com"_s;
    }

    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        const ZoneImportPreview preview = ZoneImportReader::fromText(text, u"example.com"_s);
        QVERIFY(!preview.ok);
        QVERIFY2(preview.error.contains(message), qPrintable(preview.error));
        QVERIFY(preview.records.isEmpty());
        QVERIFY(preview.notImported.isEmpty());
    }

    void proposedZoneName_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("origin") << u"; x\n$ORIGIN example.net.\n"_s << u"/x/zone.txt"_s
                                << u"example.net"_s;
        QTest::newRow("db. prefix")
            << QString() << u"/etc/bind/db.example.org"_s << u"example.org"_s;
        QTest::newRow(".zone suffix") << QString() << u"example.com.zone"_s << u"example.com"_s;
        QTest::newRow(".db suffix") << QString() << u"/x/example.com.db"_s << u"example.com"_s;
        QTest::newRow("nothing") << QString() << u"/x/zone file"_s << QString();
    }

    void proposedZoneName() {
        QFETCH(QString, text);
        QFETCH(QString, file);
        QFETCH(QString, name);
        QCOMPARE(ZoneImportReader::proposedZoneName(text, file), name);
    }

    // A zone exported as Korvi writes it and imported again: the same SOA and records.
    void exportThenImport_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("zone");
        QTest::newRow("every type") << u"korvi/types.zone"_s << u"types.example"_s;
        QTest::newRow("directives") << u"korvi/directives.zone"_s << u"directives.example"_s;
        QTest::newRow("debian localhost") << u"debian/zones/db.local"_s << u"localhost"_s;
        QTest::newRow("bind example")
            << u"bind/zones/bin/tests/system/auth/ns1/example.com.db"_s << u"example"_s;
    }

    void exportThenImport() {
        QFETCH(QString, path);
        QFETCH(QString, zone);
        const ZoneImportPreview first = ZoneImportReader::fromFile(corpusDir + u'/' + path, zone);
        QVERIFY2(first.ok, qPrintable(first.error));
        QVERIFY(!first.records.isEmpty());
        DNSZone exported(zone, QString());
        exported.setSoaRecord(first.soa);
        exported.setRecords(first.records);
        const QString text = exported.zoneFileText();
        const ZoneImportPreview again = ZoneImportReader::fromText(text, zone);
        QVERIFY2(again.ok, qPrintable(again.error));
        QVERIFY(again.notImported.isEmpty());
        QCOMPARE(again.soa, first.soa);
        QCOMPARE(recordLines(again.records, zone), recordLines(first.records, zone));
    }

    // The exported file is the text Korvi writes for the zone, BIND loads it, and it imports
    // as the same zone; a file that cannot be written gives a message.
    void exportZoneFile() {
        const ZoneImportPreview first =
            ZoneImportReader::fromFile(corpusDir + u"/korvi/types.zone"_s, u"types.example"_s);
        QVERIFY2(first.ok, qPrintable(first.error));
        DNSZone zone(u"types.example"_s, QString());
        zone.setSoaRecord(first.soa);
        zone.setRecords(first.records);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"types.example.zone"_s);
        QCOMPARE(ZoneExport::writeZoneFile(zone, path), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto withoutStamp = [](QString text) {
            return text.remove(QRegularExpression(u"^; \\d{4}-\\d\\d-\\d\\dT[^\\n]*\\n"_s,
                                                  QRegularExpression::MultilineOption));
        };
        const QString written = QString::fromUtf8(file.readAll());
        QVERIFY(written.contains(u"; Generated by Korvi"_s));
        QCOMPARE(withoutStamp(written), withoutStamp(zone.zoneFileText()));
        if (bindCheckersInstalled()) {
            const ProgramResult check = checkZone(u"types.example"_s, path);
            QVERIFY2(check.ok(), qPrintable(check.describe()));
        }
        const ZoneImportPreview again = ZoneImportReader::fromFile(path, u"types.example"_s);
        QVERIFY2(again.ok, qPrintable(again.error));
        QCOMPARE(again.soa, first.soa);
        QCOMPARE(recordLines(again.records, zone.name()), recordLines(first.records, zone.name()));

        const auto refused = ZoneExport::writeZoneFile(zone, dir.filePath(u"no/such/dir/x"_s));
        QVERIFY(refused.has_value());
        QVERIFY2(refused->contains(u"cannot be written"_s), qPrintable(*refused));
    }

    // A record set, copied as zone-file text, reads back as exactly that set.
    void copyRecordSet_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("count");
        QTest::newRow("two addresses") << u"www"_s << u"A"_s << 2;
        QTest::newRow("case of the name") << u"WWW"_s << u"aaaa"_s << 1;
        QTest::newRow("apex mail") << QString() << u"MX"_s << 2;
        QTest::newRow("kept type") << u"sub"_s << u"DS"_s << 1;
        QTest::newRow("none") << u"www"_s << u"TXT"_s << 0;
    }

    void copyRecordSet() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(int, count);
        const ZoneImportPreview read = ZoneImportReader::fromText(
            head + u"www 300 IN A 192.0.2.1\nwww 300 IN A 192.0.2.2\nwww IN AAAA 2001:db8::1\n"
                   "@ IN MX 10 mail\n@ IN MX 20 mail.example.net.\nmail IN A 192.0.2.25\n"
                   "sub IN NS ns.example.net.\nsub IN DS 12345 13 2 "
                   "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF\n"_s,
            u"example.com"_s);
        QVERIFY2(read.ok, qPrintable(read.error));
        DNSZone zone(u"example.com"_s, QString());
        zone.setSoaRecord(read.soa);
        zone.setRecords(read.records);
        const QList<DNSRecord> set = ZoneExport::recordSet(zone, name, type);
        QCOMPARE(set.size(), count);
        const QString text = ZoneExport::recordsText(zone, set);
        QVERIFY(text.startsWith(u"$ORIGIN example.com.\n"_s));
        QCOMPARE(text.count(u'\n'), count + 1);
        // Pasted into a zone's text, the lines give back the same records.
        const QString soaOnly = u"$TTL 3600\n@ IN SOA ns1.example.com. admin.example.com. 1 7200 "
                                "900 1209600 300\n"_s;
        const ZoneImportPreview back = ZoneImportReader::fromText(soaOnly + text, u"example.com"_s);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(recordLines(back.records, zone.name()), recordLines(set, zone.name()));
    }

    // The import adds the zone through the manager: BIND's checker judged the file, and it
    // loads as the preview's records; a second import of the same name is refused.
    void importThroughManager() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        ChangeHost changes;
        auto manager = changes.manager();
        const ZoneImportPreview preview = ZoneImportReader::fromText(
            head + u"www IN A 192.0.2.1\nmail IN MX 10 www\n_x._tcp IN SRV 1 2 3 www\n"
                   "x IN DS 12345 13 2 "
                   "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF\n"
                   "www.example.org. IN A 192.0.2.9\n"_s,
            u"example.com"_s);
        QVERIFY2(preview.ok, qPrintable(preview.error));
        QCOMPARE(preview.notImported.size(), 1);
        ZoneImporter importer(manager.get());
        QSignalSpy finished(&importer, &ZoneImporter::finished);
        const Finish finish = finishOf(manager.get(), [&] { return importer.import(preview); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.first().at(1).toBool());
        QCOMPARE(manager->zones().size(), 1);
        const ZonePtr zone = manager->zones().first();
        QCOMPARE(zone->name(), u"example.com"_s);
        QCOMPARE(zone->filePath(), changes.zonePath(u"example.com"_s));
        QCOMPARE(recordLines(zone->records(), u"example.com"_s),
                 recordLines(preview.records, u"example.com"_s));
        const ProgramResult check =
            runProgram(checkZoneProgram, dumpZoneArguments(u"example.com"_s, zone->filePath()));
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        QCOMPARE(dumpedRecords(check.output).size(), preview.records.size() + 1); // with the SOA
        QVERIFY(dumpedRecords(check.output)
                    .contains(u"_x._tcp.example.com. 3600 IN SRV 1 2 3 www.example.com."_s));

        // The same name again: refused before anything is changed, with the reason.
        QVERIFY(importer.refusal(preview).has_value());
        const ChangeId id = importer.import(preview);
        QCOMPARE(id, ChangeId(0));
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.last().at(0).value<ChangeId>(), ChangeId(0));
        QVERIFY(!finished.last().at(1).toBool());
        QCOMPARE(finished.last().at(2).toString(), u"A zone for this domain already exists"_s);
        QCOMPARE(manager->zones().size(), 1);

        // A preview that did not read is refused with the reader's message.
        const ZoneImportPreview bad = ZoneImportReader::fromText(u"x"_s, u"example.net"_s);
        QCOMPARE(importer.refusal(bad), std::optional<QString>(bad.error));
    }
};

QTEST_GUILESS_MAIN(TestImportZone)
#include "tst_import_zone.moc"
