// Records as Korvi holds them, written by its zone-file writer, are loaded by
// BIND exactly as the same records written out by hand: long TXT values in
// strings of at most 255 bytes, the SOA with its TTL, kept records unchanged,
// "_" and "*" owners and targets, TTL 0, SRV port 0 with target ".". Each of
// them also passes Korvi's validation.
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/RecordValidator.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

const QString zone = u"rt.example"_s;

SOARecord soa(std::optional<qint64> ttl = 3600) {
    SOARecord s{u"ns.rt.example."_s, u"admin.rt.example."_s, 2024010101, 3600, 900, 604800, 300};
    s.ttl = ttl;
    return s;
}

DNSRecord record(const QString& name, DNSRecordType type, const QString& value, qint64 ttl = 300,
                 const RecordOptions& options = {}) {
    DNSRecord r;
    static_cast<RecordOptions&>(r) = options;
    r.name = name;
    r.type = type;
    r.value = value;
    r.ttl = ttl;
    return r;
}

// A 2048-bit RSA key's base64 text as a DKIM record carries it (392
// characters), from fixed bytes.
QString dkimKey() {
    QByteArray der;
    for (int i = 0; i < 294; ++i)
        der.append(char((i * 37 + 11) & 0xff));
    return QString::fromLatin1(der.toBase64());
}

// Text cut into quoted strings of `size` bytes, as a person writes a long
// TXT value by hand.
QString chunks(const QString& text, int size = 255) {
    QStringList parts;
    for (qsizetype i = 0; i < text.size(); i += size)
        parts.append(u'"' + text.mid(i, size) + u'"');
    return parts.join(u' ');
}

// The zone as BIND loads it, one record a line, sorted; names are checked
// as BIND checks a primary zone's, except host-name rules ("_").
QStringList loaded(const QString& path) {
    const QString dump = path + u".dump"_s;
    const ProgramResult run =
        runProgram(checkZoneProgram,
                   {u"-k"_s, u"ignore"_s, u"-i"_s, u"local"_s, u"-D"_s, u"-o"_s, dump, zone, path});
    QFile file(dump);
    if (!run.ok() || !file.open(QIODevice::ReadOnly))
        return {u"refused: "_s + run.describe()};
    QStringList records = dumpedRecords(QString::fromUtf8(file.readAll()));
    records.sort();
    return records;
}

const DNSRecord nameServer = [] {
    DNSRecord r;
    r.type = DNSRecordType::NS;
    r.value = u"ns.other.example."_s;
    return r;
}();
const QString nameServerLine = u"@ 3600 IN NS ns.other.example.\n"_s;

} // namespace

class TestZoneRoundTrip : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        QVERIFY(m_dir.isValid());
    }

    void writtenAsBindReadsIt_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QString>("byHand"); // the same record as master-file text
        const QString key = dkimKey();
        const QString dkim = u"v=DKIM1; k=rsa; p="_s + key;
        QTest::newRow("DKIM key of 2048 bits, one quoted string")
            << record(u"sel._domainkey"_s, DNSRecordType::TXT, u'"' + dkim + u'"')
            << u"sel._domainkey 300 IN TXT "_s + chunks(dkim);
        // Text typed without quotes is one string, spaces and all.
        QTest::newRow("DKIM key typed without quotes")
            << record(u"s2._domainkey"_s, DNSRecordType::TXT, u"v=DKIM1; k=rsa; p="_s + key)
            << u"s2._domainkey 300 IN TXT "_s + chunks(u"v=DKIM1; k=rsa; p="_s + key);
        const QString long4000 = QString(4000, u'x');
        QTest::newRow("TXT of 4,000 bytes") << record(u"big"_s, DNSRecordType::TXT, long4000)
                                            << u"big 300 IN TXT "_s + chunks(long4000);
        // 254 ASCII bytes, then a two-byte character that does not fit.
        QTest::newRow("TXT split before a character that would not fit")
            << record(u"u8"_s, DNSRecordType::TXT, QString(254, u'a') + u"é"_s + QString(20, u'b'))
            << u"u8 300 IN TXT \""_s + QString(254, u'a') + u"\" \"\\195\\169"_s +
                   QString(20, u'b') + u'"';
        QTest::newRow("TXT split never cuts an escape")
            << record(u"esc"_s, DNSRecordType::TXT, u'"' + QString(254, u'a') + u"\\065\\\"z\""_s)
            << u"esc 300 IN TXT \""_s + QString(254, u'a') + u"\\065\" \"\\\"z\""_s;
        QTest::newRow("TXT strings as read stay apart")
            << record(u"two"_s, DNSRecordType::TXT, u"\"a b\" \"c\""_s)
            << u"two 300 IN TXT \"a b\" \"c\""_s;
        QTest::newRow("DMARC owner") << record(u"_dmarc"_s, DNSRecordType::TXT, u"\"v=DMARC1\""_s)
                                     << u"_dmarc 300 IN TXT \"v=DMARC1\""_s;
        QTest::newRow("ACME owner")
            << record(u"_acme-challenge.www"_s, DNSRecordType::TXT, u"\"tok\""_s)
            << u"_acme-challenge.www 300 IN TXT \"tok\""_s;
        QTest::newRow("wildcard alone")
            << record(u"*"_s, DNSRecordType::A, u"192.0.2.1"_s) << u"* 300 IN A 192.0.2.1"_s;
        QTest::newRow("wildcard below a name")
            << record(u"*.w"_s, DNSRecordType::A, u"192.0.2.2"_s) << u"*.w 300 IN A 192.0.2.2"_s;
        QTest::newRow("CNAME target with _")
            << record(u"c"_s, DNSRecordType::CNAME, u"_x._tcp.rt.example."_s)
            << u"c 300 IN CNAME _x._tcp.rt.example."_s;
        // MX, NS and SRV targets must be host names; a CNAME target may have "_".
        QTest::newRow("CNAME target with _")
            << record(u"m"_s, DNSRecordType::CNAME, u"_acme-challenge.other.example."_s, 300)
            << u"m 300 IN CNAME _acme-challenge.other.example."_s;
        QTest::newRow("SRV port 0, target .")
            << record(u"_sip._tcp"_s, DNSRecordType::SRV, u"."_s, 300,
                      {.priority = 0, .weight = 0, .port = 0})
            << u"_sip._tcp 300 IN SRV 0 0 0 ."_s;
        QTest::newRow("TLSA owner with _")
            << record(u"_443._tcp.www"_s, DNSRecordType::TLSA, u"ABCDEF01"_s.repeated(8), 300,
                      {.digestType = 1, .usage = 3, .selector = 1})
            << u"_443._tcp.www 300 IN TLSA 3 1 1 "_s + u"ABCDEF01"_s.repeated(8);
        QTest::newRow("TTL 0") << record(u"z"_s, DNSRecordType::A, u"192.0.2.9"_s, 0)
                               << u"z 0 IN A 192.0.2.9"_s;
        DNSRecord ds = record(u"sub"_s, DNSRecordType::A,
                              u"60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118"_s);
        ds.keptType = u"DS"_s;
        QTest::newRow("kept DS written back")
            << ds << u"sub 300 IN DS 60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118"_s;
        DNSRecord unknown = record(u"u"_s, DNSRecordType::A, u"\\# 3 ABCDEF"_s);
        unknown.keptType = u"TYPE65280"_s;
        QTest::newRow("kept unknown type written back")
            << unknown << u"u 300 IN TYPE65280 \\# 3 ABCDEF"_s;
        DNSRecord escaped = record(u"a\\.b"_s, DNSRecordType::CNAME, u"x\\@y.rt.example."_s);
        QTest::newRow("escapes in names kept")
            << escaped << u"a\\.b 300 IN CNAME x\\@y.rt.example."_s;
    }

    void writtenAsBindReadsIt() {
        QFETCH(DNSRecord, record);
        QFETCH(QString, byHand);
        const QString korvi = m_dir.filePath(u"korvi.zone"_s);
        const QString reference = m_dir.filePath(u"hand.zone"_s);
        QVERIFY(writeTextFile(korvi, ZoneFileWriter::zoneText(zone, soa(), {nameServer, record},
                                                              QDateTime::currentDateTimeUtc())));
        QVERIFY(writeTextFile(reference, u"@ 3600 IN SOA ns.rt.example. admin.rt.example. "
                                         u"2024010101 3600 900 604800 300\n"_s +
                                             nameServerLine + byHand + u'\n'));
        const QStringList expected = loaded(reference);
        QVERIFY2(!expected.first().startsWith(u"refused"), qPrintable(expected.first()));
        QCOMPARE(loaded(korvi), expected);
        // Korvi's own checks take what BIND takes (names with escapes are
        // only ever read from files, never typed).
        if (record.name.contains(u'\\'))
            return;
        const ValidationResult valid = validateRecord(record);
        QVERIFY2(valid.isValid, qPrintable(valid.errors.join(u"; "_s)));
    }

    // The SOA line carries the SOA's own TTL, which differs here from both
    // the minimum and every other TTL in the zone.
    void soaKeepsItsTTL() {
        const QString path = m_dir.filePath(u"soa.zone"_s);
        QVERIFY(writeTextFile(path, ZoneFileWriter::zoneText(zone, soa(7200), {nameServer},
                                                             QDateTime::currentDateTimeUtc())));
        const QStringList records = loaded(path);
        QCOMPARE(records.size(), 2);
        QVERIFY2(records.last().startsWith(u"rt.example. 7200 IN SOA "_s),
                 qPrintable(records.last()));
        QVERIFY2(records.last().contains(u" 2024010101 "_s), qPrintable(records.last()));
    }
};

QTEST_GUILESS_MAIN(TestZoneRoundTrip)
#include "tst_zoneroundtrip.moc"
