// The zone reader: each record type's fields, owners, TTL rules, $GENERATE,
// $INCLUDE, and the zones it refuses or the data it reports.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/ZoneDirectives.h"
#include "model/ZoneParser.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// "name|TYPE|ttl|value" and the optional fields held, in a fixed order.
QString describe(const DNSRecord& r) {
    QString text = r.name + u'|' + (r.isKept() ? u"kept "_s + r.keptType : rawValue(r.type)) +
                   u'|' + QString::number(r.ttl) + u'|' + r.value;
    const std::pair<const char*, std::optional<qint64>> numbers[] = {
        {"priority", r.priority}, {"weight", r.weight},       {"port", r.port},
        {"flag", r.flag},         {"algorithm", r.algorithm}, {"digestType", r.digestType},
        {"usage", r.usage},       {"selector", r.selector}};
    for (const auto& [key, value] : numbers) {
        if (value)
            text += u' ' + QLatin1String(key) + u'=' + QString::number(*value);
    }
    if (r.tag)
        text += u" tag="_s + *r.tag;
    return text;
}

ZoneReadResult readZone(const QByteArray& text, qint64 limit = ZoneParser::defaultRecordLimit,
                        const QString& directory = QDir::tempPath()) {
    return ZoneParser(limit).readText("$TTL 3600\n" + text, u"z.example"_s, directory);
}

} // namespace

class TestZoneParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordFields_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("A") << QByteArray("www 300 IN A 192.0.2.1") << u"www|A|300|192.0.2.1"_s;
        QTest::newRow("AAAA") << QByteArray("@ AAAA 2001:DB8:0::1") << u"|AAAA|3600|2001:db8::1"_s;
        QTest::newRow("TXT strings kept apart")
            << QByteArray(R"(t TXT "two words" "with \"quote\"" bare)")
            << uR"(t|TXT|3600|"two words" "with \"quote\"" "bare")"_s;
        QTest::newRow("TXT backslash escaped")
            << QByteArray(R"(t TXT "a\\b" \\)") << uR"(t|TXT|3600|"a\\b" "\\")"_s;
        QTest::newRow("TXT UTF-8 as text, control as escape")
            << QByteArray(R"(t TXT "\195\169t\195\169 a\009b")")
            << QString::fromUtf8(R"(t|TXT|3600|"été a\009b")");
        QTest::newRow("TXT of 300 bytes whole")
            << QByteArray("t TXT ( \"" + QByteArray(255, 'a') + "\" \"" + QByteArray(45, 'b') +
                          "\" )")
            << u"t|TXT|3600|\"%1\" \"%2\""_s.arg(QString(255, u'a'), QString(45, u'b'));
        QTest::newRow("CAA flag tag value")
            << QByteArray(R"(@ CAA 128 issue "ca.example.net; account=1")")
            << u"|CAA|3600|ca.example.net; account=1 flag=128 tag=issue"_s;
        QTest::newRow("CAA value not text is kept")
            << QByteArray(R"(@ CAA 0 issue "\255")") << uR"(|kept CAA|3600|0 issue "\255")"_s;
        QTest::newRow("MX") << QByteArray("@ MX 0 .") << u"|MX|3600|. priority=0"_s;
        QTest::newRow("SRV port 0, root target")
            << QByteArray("_sip._tcp SRV 0 0 0 .")
            << u"_sip._tcp|SRV|3600|. priority=0 weight=0 port=0"_s;
        QTest::newRow("SRV relative target with _")
            << QByteArray("_x._udp SRV 1 2 3 _t")
            << u"_x._udp|SRV|3600|_t.z.example. priority=1 weight=2 port=3"_s;
        QTest::newRow("CNAME") << QByteArray("c CNAME x.other.") << u"c|CNAME|3600|x.other."_s;
        QTest::newRow("NS") << QByteArray("d NS ns") << u"d|NS|3600|ns.z.example."_s;
        QTest::newRow("PTR") << QByteArray("1 PTR h.z.example.") << u"1|PTR|3600|h.z.example."_s;
        QTest::newRow("SSHFP") << QByteArray("@ SSHFP 4 2 ( 0a0b 0C0d )")
                               << u"|SSHFP|3600|0A0B0C0D algorithm=4 digestType=2"_s;
        QTest::newRow("TLSA") << QByteArray("_443._tcp TLSA 3 1 1 ABcd")
                              << u"_443._tcp|TLSA|3600|ABCD digestType=1 usage=3 selector=1"_s;
        QTest::newRow("TTL 0") << QByteArray("z 0 A 192.0.2.9") << u"z|A|0|192.0.2.9"_s;
        QTest::newRow("TTL over 2^31 - 1 is 0")
            << QByteArray("z 2147483648 A 192.0.2.9") << u"z|A|0|192.0.2.9"_s;
        QTest::newRow("wildcard") << QByteArray("*.w A 192.0.2.9") << u"*.w|A|3600|192.0.2.9"_s;
        QTest::newRow("escaped owner")
            << QByteArray(R"(a\.b\064c TXT x)") << uR"(a\.b\@c|TXT|3600|"x")"_s;
        QTest::newRow("owner in upper case")
            << QByteArray("WWW.Z.EXAMPLE. A 192.0.2.1") << u"WWW|A|3600|192.0.2.1"_s;
        QTest::newRow("DS kept") << QByteArray("s DS 1 13 2 ( ABCD EF01 )")
                                 << u"s|kept DS|3600|1 13 2 ABCDEF01"_s;
        QTest::newRow("NAPTR kept")
            << QByteArray(R"(@ NAPTR 100 10 "S" "SIP+D2U" "" _sip._udp)")
            << uR"(|kept NAPTR|3600|100 10 "S" "SIP+D2U" "" _sip._udp.z.example.)"_s;
        QTest::newRow("unknown type kept")
            << QByteArray(R"(u TYPE65280 \# 2 ABCD)") << uR"(u|kept TYPE65280|3600|\# 2 ABCD)"_s;
        QTest::newRow("known type in generic form")
            << QByteArray(R"(u A \# 4 C0000201)") << u"u|A|3600|192.0.2.1"_s;
        // Kept in the generic form, which every DNS program reads.
        QTest::newRow("type the scanner lacks, read by ldns")
            << QByteArray("w X25 100099") << uR"(w|kept TYPE19|3600|\# 7 06313030303939)"_s;
        QTest::newRow("base64 split anywhere, read by ldns")
            << QByteArray("k DNSKEY 257 3 13 ( AQI DBA== )")
            << u"k|kept DNSKEY|3600|257 3 13 AQIDBA=="_s;
        QTest::newRow("SOA below the apex kept")
            << QByteArray("@ SOA a. b. 1 2 3 4 5\nsub SOA a. b. 1 2 3 4 5")
            << u"sub|kept SOA|3600|a. b. 1 2 3 4 5"_s;
    }
    void recordFields() {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const ZoneReadResult zone = readZone(text);
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QCOMPARE(zone.records.size(), 1);
        QCOMPARE(describe(zone.records.first()), expected);
    }

    // Records Knot's scanner refuses but BIND loads, rewritten for the
    // scanner into the same data. An SVCB record follows each, which the
    // scanner reads and ldns does not, so that only the rewrite can read the
    // text.
    void rewrittenForTheScanner_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("type name only BIND knows, generic data")
            << QByteArray(R"(b BRID \# 2 0000)") << uR"(b|kept TYPE68|3600|\# 2 0000)"_s;
        QTest::newRow("class written as CLASS1")
            << QByteArray("a CLASS1 A 192.0.2.1") << u"a|A|3600|192.0.2.1"_s;
        QTest::newRow("known type by number, ordinary data")
            << QByteArray("a 60 CLASS1 TYPE1 192.0.2.1") << u"a|A|60|192.0.2.1"_s;
        QTest::newRow("NSEC3 hash without base32 padding")
            << QByteArray("n NSEC3 1 1 12 AABBCCDD ( CPNMU\n MX )")
            << u"n|kept NSEC3|3600|1 1 12 AABBCCDD cpnmu MX"_s;
        QTest::newRow("SVCB dohpath") << QByteArray("s SVCB 1 . alpn=h2 dohpath=/q{?dns}")
                                      << uR"(s|kept SVCB|3600|1 . alpn=h2 key7="/q{?dns}")"_s;
        QTest::newRow("GPOS as ldns reads it")
            << QByteArray("g GPOS \"-22.6\" \"116.8\" \"250.0\"")
            << uR"(g|kept TYPE27|3600|\# 18 052D32322E36053131362E38053235302E30)"_s;
        QTest::newRow("NXT put together")
            << QByteArray("x NXT a ( A\n NS )")
            << uR"(x|kept TYPE30|3600|\# 14 0161017A076578616D706C650060)"_s;
        QTest::newRow("TXT \\# without a length is text")
            << QByteArray(R"(t TXT \# text)") << uR"(t|TXT|3600|"#" "text")"_s;
    }
    void rewrittenForTheScanner() {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const ZoneReadResult zone = readZone(text + "\nzz SVCB 1 . alpn=h2");
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QCOMPARE(zone.records.size(), 2);
        QCOMPARE(describe(zone.records.first()), expected);
        QCOMPARE(describe(zone.records.last()), u"zz|kept SVCB|3600|1 . alpn=h2"_s);
    }

    // Owner, TTL and class carried from line to line, $ORIGIN, $TTL, and
    // BIND's TTL rules for a file without $TTL.
    void inheritance_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("owner, TTL and class inherited")
            << QByteArray("$TTL 60\nw 30 IN A 192.0.2.1\n  A 192.0.2.2\n\tIN 20 TXT x\n")
            << QStringList{u"w|A|30|192.0.2.1"_s, u"w|A|60|192.0.2.2"_s, u"w|TXT|20|\"x\""_s};
        QTest::newRow("$ORIGIN relative and absolute")
            << QByteArray(
                   "$TTL 60\n$ORIGIN sub\nh A 192.0.2.1\n$ORIGIN z.example.\n@ A 192.0.2.2\n")
            << QStringList{u"h.sub|A|60|192.0.2.1"_s, u"|A|60|192.0.2.2"_s};
        QTest::newRow("$ORIGIN @") << QByteArray("$TTL 60\n$ORIGIN sub\n$ORIGIN @\nh A 192.0.2.1\n")
                                   << QStringList{u"h.sub|A|60|192.0.2.1"_s};
        QTest::newRow("no $TTL: the last TTL stated")
            << QByteArray("@ 7 SOA a. b. 1 2 3 4 5\na A 192.0.2.1\nb 9 A 192.0.2.2\nc A 192.0.2.3")
            << QStringList{u"a|A|7|192.0.2.1"_s, u"b|A|9|192.0.2.2"_s, u"c|A|9|192.0.2.3"_s};
        QTest::newRow("no $TTL: an SOA without TTL gives its minimum as default")
            << QByteArray("@ SOA a. b. 1 2 3 4 5\na A 192.0.2.1\nb 9 A 192.0.2.2\nc A 192.0.2.3")
            << QStringList{u"a|A|5|192.0.2.1"_s, u"b|A|9|192.0.2.2"_s, u"c|A|5|192.0.2.3"_s};
        QTest::newRow("$GENERATE with modifiers")
            << QByteArray("$TTL 60\n$GENERATE 1-3/2 g${0,3,d} 30 IN CNAME h${16,1,x}\n"
                          "$GENERATE 1-1 ${-2,0,n}.n A 192.0.2.$\n")
            << QStringList{u"g001|CNAME|30|h11.z.example."_s, u"g003|CNAME|30|h13.z.example."_s,
                           u"f.f.f.f.f.f.f.f.n|A|60|192.0.2.1"_s};
    }
    void inheritance() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        const ZoneReadResult zone = ZoneParser().readText(text, u"z.example."_s, QDir::tempPath());
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QStringList got;
        for (const DNSRecord& r : zone.records)
            got.append(describe(r));
        QCOMPARE(got, expected);
    }

    void soaKeepsItsTTL() {
        const ZoneReadResult zone =
            readZone("@ 120 IN SOA ns.z.example. h\\.m.z.example. ( 7 1h 15m 1w 300 )");
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QVERIFY(zone.records.isEmpty());
        QVERIFY(zone.soa.has_value());
        QCOMPARE(*zone.soa, (SOARecord{u"ns.z.example."_s, u"h\\.m.z.example."_s, 7, 3600, 900,
                                       604800, 300, 120}));
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("message");
        QTest::newRow("over the record limit")
            << QByteArray("a A 192.0.2.1\nb A 192.0.2.2\nc A 192.0.2.3\nd A 192.0.2.4") << qint64(3)
            << u"The zone holds more than 3 records"_s;
        QTest::newRow("over the limit by $GENERATE")
            << QByteArray("a A 192.0.2.1\n$GENERATE 1-3 g$ A 192.0.2.$") << qint64(3)
            << u"The zone holds more than 3 records"_s;
        QTest::newRow("syntax error, line counted past $GENERATE")
            << QByteArray("$GENERATE 1-5 g$ A 192.0.2.$\na A 192.0.2.1\nb A 300.0.2.1")
            << qint64(100) << u"zone text, line 4: "_s;
        QTest::newRow("class other than IN") << QByteArray("a CH A 192.0.2.1") << qint64(100)
                                             << u"line 2: unsupported record type"_s;
        QTest::newRow("type no one knows")
            << QByteArray("b A 192.0.2.1\nb WOMBAT \\# 2 0000") << qint64(100) << u"line 3: "_s;
        QTest::newRow("SVCB key no one knows")
            << QByteArray("s SVCB 1 . alpn=h2 wombat=1") << qint64(100) << u"line 2: "_s;
        QTest::newRow("a record no rewrite saves, after one that is rewritten")
            << QByteArray("a CLASS1 A 192.0.2.1\nb A 192.0.2.300") << qint64(100) << u"line 3: "_s;
        QTest::newRow("include missing")
            << QByteArray("$INCLUDE no-such-file.zone") << qint64(100) << u"cannot be read"_s;
        QTest::newRow("$GENERATE unreadable")
            << QByteArray("$GENERATE 5-1 g$ A 192.0.2.$") << qint64(100)
            << u"line 2: a $GENERATE line that cannot be read"_s;
    }
    void refusals() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, limit);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const ZoneReadResult zone = readZone(text, limit, dir.path());
        QVERIFY(!zone.ok);
        QVERIFY2(zone.error.contains(message), qPrintable(zone.error));
        QVERIFY(zone.records.isEmpty());
        QVERIFY(!zone.soa);
    }

    void recordLimitIsReachable() {
        const ZoneReadResult zone = readZone("a A 192.0.2.1\nb A 192.0.2.2\nc A 192.0.2.3", 3);
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QCOMPARE(zone.records.size(), 3);
    }

    void includeNestingIsBounded() {
        QTemporaryDir dir;
        QVERIFY(writeTextFile(dir.filePath(u"loop.zone"_s), u"$INCLUDE loop.zone\n"_s));
        const ZoneReadResult zone = ZoneParser().readFile(dir.filePath(u"loop.zone"_s), u"z"_s);
        QVERIFY(!zone.ok);
        QVERIFY2(zone.error.contains(u"nested more than 16 deep"_s), qPrintable(zone.error));
    }

    void includeIsReadFromTheGivenDirectory() {
        QTemporaryDir zoneDir, workDir;
        QVERIFY(writeTextFile(zoneDir.filePath(u"z.zone"_s),
                              u"$TTL 60\n$INCLUDE part.zone sub\nafter A 192.0.2.2\n"_s));
        QVERIFY(writeTextFile(workDir.filePath(u"part.zone"_s), u"$TTL 5\nin A 192.0.2.1\n"_s));
        const ZoneReadResult zone =
            ZoneParser().readFile(zoneDir.filePath(u"z.zone"_s), u"z"_s, workDir.path());
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QStringList got;
        for (const DNSRecord& r : zone.records)
            got.append(describe(r));
        // The included file's origin ends with it; its $TTL stays, as in BIND.
        QCOMPARE(got, (QStringList{u"in.sub|A|5|192.0.2.1"_s, u"after|A|5|192.0.2.2"_s}));
    }

    void outOfZoneOwnersAreReportedNotKept() {
        const ZoneReadResult zone =
            readZone("a A 192.0.2.1\nelsewhere.example. A 192.0.2.2\nz.example.net. TXT x");
        QVERIFY2(zone.ok, qPrintable(zone.error));
        QCOMPARE(zone.records.size(), 1);
        QCOMPARE(zone.outOfZone.size(), 2);
        QCOMPARE(zone.outOfZone.at(0).owner, u"elsewhere.example."_s);
        QCOMPARE(zone.outOfZone.at(0).line, 3);
        QCOMPARE(zone.outOfZone.at(1).type, u"TXT"_s);
    }

    void recordsHaveDistinctIdentities() {
        const ZoneReadResult zone = readZone("$GENERATE 1-2000 g$ A 192.0.2.1");
        QSet<QUuid> ids;
        for (const DNSRecord& r : zone.records) {
            QCOMPARE(r.id.version(), QUuid::Random);
            ids.insert(r.id);
        }
        QCOMPARE(ids.size(), 2000);
    }
};

QTEST_GUILESS_MAIN(TestZoneParser)
#include "tst_zoneparser.moc"
