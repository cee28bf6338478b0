// The zone-file reader: the record and SOA line readers, loading a whole
// text into a zone, the bounds on what is read, and the round trip of every
// record type through the writer and back.

#include <QSignalSpy>
#include <QtTest>

#include "ZoneTestData.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"
#include "model/TextLines.h"
#include "model/ZoneFileReader.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

std::optional<qint64> optionalNumber(qint64 n) {
    return n < 0 ? std::nullopt : std::optional<qint64>(n);
}

} // namespace

class TestZoneFileReader : public QObject {
    Q_OBJECT

private Q_SLOTS:

    // -- Reading --
    void recordLineReader_data();
    void recordLineReader();
    void soaLineReader_data();
    void soaLineReader();
    void soaWordInDataIsARecord();
    void loadReplacesRecordsAndKeepsSOAWithoutSOALine();
    void loadReadsWritersParenthesisedSOA();
    void unclosedSOAGroupLeavesNoSOA();
    void unreadableSOALineRemovesSOA();
    void directivesAreNotRead();
    void lineBreakVariants_data();
    void lineBreakVariants();
    void loadNotifiesOncePerField();

    // -- Bounds --
    void textLengthBound_data();
    void textLengthBound();
    void lineCountBound_data();
    void lineCountBound();
    void lineLengthBound_data();
    void lineLengthBound();

    // -- Round trip --
    void roundTrip_data();
    void roundTrip();
    void roundTripOfSOATypedRecord();
    void roundTripOfWholeZone();
};

void TestZoneFileReader::recordLineReader_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("ttl");
    QTest::addColumn<QString>("value");
    QTest::addColumn<qint64>("priority");
    QTest::addColumn<qint64>("weight");
    QTest::addColumn<qint64>("port");

    const auto yes = [](const char* row, const QString& line, const QString& name,
                        DNSRecordType type, qint64 ttl, const QString& value, qint64 priority = -1,
                        qint64 weight = -1, qint64 port = -1) {
        QTest::newRow(row) << line << true << name << int(type) << ttl << value << priority
                           << weight << port;
    };
    const auto no = [](const char* row, const QString& line) {
        QTest::newRow(row) << line << false << QString() << 0 << qint64(0) << QString()
                           << qint64(-1) << qint64(-1) << qint64(-1);
    };

    yes("A", "www 300 IN A 192.168.1.1", "www", DNSRecordType::A, 300, "192.168.1.1");
    no("no TTL", "www IN A 192.168.1.1");
    yes("MX without class", "@ 3600 MX 10 mail.example.com.", "", DNSRecordType::MX, 3600,
        "mail.example.com.", 10);
    yes("SRV with underscore name", "_sip._tcp 3600 IN SRV 10 5 5060 sip.example.com.", "_sip._tcp",
        DNSRecordType::SRV, 3600, "sip.example.com.", 10, 5, 5060);
    yes("tabs and lower-case class and type", "www\t60\tin\taaaa\t2001:db8::1", "www",
        DNSRecordType::AAAA, 60, "2001:db8::1");
    yes("writer's MX", "@\t3600\tIN\tMX\t0\tmail", "", DNSRecordType::MX, 3600, "mail", 0);
    yes("value cleaned by type", "www 300 IN MX 5 mail_server.example.com", "www",
        DNSRecordType::MX, 300, "mailserver.example.com", 5);
    yes("name cleaned", "w!w 300 IN A 192.0.2.1", "ww", DNSRecordType::A, 300, "192.0.2.1");
    yes("TTL with plus sign", "www +300 IN A 192.0.2.1", "www", DNSRecordType::A, 300, "192.0.2.1");
    yes("huge TTL clamped", "www 99999999999999999999 IN A 192.0.2.1", "www", DNSRecordType::A,
        2147483647, "192.0.2.1");
    no("TTL zero", "www 0 IN A 192.0.2.1");
    no("negative TTL", "www -5 IN A 192.0.2.1");
    no("TTL with unit", "www 1h IN A 192.0.2.1");
    no("unknown type", "www 300 IN HINFO cpu os");
    no("nothing after type", "www 300 IN A");
    no("too few fields", "www 300 A");
    yes("CAA keeps its first data field", "@ 300 IN CAA 0 issue \"ca.example.net\"", "",
        DNSRecordType::CAA, 300, "0");
    yes("TXT keeps its first field", "t 300 IN TXT \"hello world\"", "t", DNSRecordType::TXT, 300,
        "\"hello");
    yes("TLSA keeps its first data field", "_443._tcp 300 IN TLSA 3 1 1 00ff", "_443._tcp",
        DNSRecordType::TLSA, 300, "3");
    no("MX priority too large", "@ 300 IN MX 65536 mail");
    no("MX priority not a number", "@ 300 IN MX ten mail");
    no("MX without target", "@ 300 IN MX 10");
    yes("MX largest priority", "@ 300 IN MX 65535 mail", "", DNSRecordType::MX, 300, "mail", 65535);
    no("SRV port 0", "_s._tcp 300 IN SRV 10 5 0 t");
    no("SRV weight too large", "_s._tcp 300 IN SRV 10 65536 80 t");
    no("SRV missing target", "_s._tcp 300 IN SRV 10 5 80");
    yes("SRV smallest numbers", "_s._tcp 300 IN SRV 0 0 1 t", "_s._tcp", DNSRecordType::SRV, 300,
        "t", 0, 0, 1);
    no("comment", "; www 300 IN A 192.0.2.1");
    no("hash comment", "# www 300 IN A 192.0.2.1");
    no("empty", "");
    yes("surrounding white space", "  www 300 IN A 192.0.2.1  ", "www", DNSRecordType::A, 300,
        "192.0.2.1");
    yes("other space separators", QString::fromUtf16(u"www\u00a0300\u2003IN A 192.0.2.1"), "www",
        DNSRecordType::A, 300, "192.0.2.1");
}

void TestZoneFileReader::recordLineReader() {
    QFETCH(QString, line);
    QFETCH(bool, read);
    const auto record = ZoneFileReader::readRecordLine(line);
    QCOMPARE(record.has_value(), read);
    if (!read)
        return;
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(qint64, ttl);
    QFETCH(QString, value);
    QFETCH(qint64, priority);
    QFETCH(qint64, weight);
    QFETCH(qint64, port);
    QCOMPARE(record->name, name);
    QCOMPARE(int(record->type), type);
    QCOMPARE(record->ttl, ttl);
    QCOMPARE(record->value, value);
    QCOMPARE(record->priority, optionalNumber(priority));
    QCOMPARE(record->weight, optionalNumber(weight));
    QCOMPARE(record->port, optionalNumber(port));
    QVERIFY(!record->flag && !record->tag && !record->algorithm && !record->digestType &&
            !record->usage && !record->selector);
}

void TestZoneFileReader::soaLineReader_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("admin");
    QTest::addColumn<QList<qint64>>("numbers"); // serial, refresh, retry, expire, minimum

    const QList<qint64> standard{2025030501, 3600, 1800, 1209600, 86400};
    QTest::newRow("one line")
        << "@ 3600 IN SOA ns1.example.com. admin.example.com. 2025030501 3600 1800 1209600 86400"
        << true << "ns1.example.com."
        << "admin.example.com." << standard;
    QTest::newRow("timers read")
        << "@ IN SOA ns1.example.com. admin.example.com. 7 7200 900 604800 300" << true
        << "ns1.example.com."
        << "admin.example.com." << QList<qint64>{7, 7200, 900, 604800, 300};
    QTest::newRow("timers with units")
        << "example.com. 86400 IN SOA ns1 admin 9 2h 15m 1w1d 5m30" << true << "ns1"
        << "admin" << QList<qint64>{9, 7200, 900, 691200, 330};
    QTest::newRow("unreadable timer gives the standard ones")
        << "@ IN SOA ns1.example.com. admin.example.com. 2025030501 3600 x 1209600 86400" << true
        << "ns1.example.com."
        << "admin.example.com." << standard;
    QTest::newRow("missing timers give the standard ones")
        << "@ 60 IN SOA ns1.example.com. admin.example.com. 2025030501 3600" << true
        << "ns1.example.com."
        << "admin.example.com." << standard;
    QTest::newRow("parentheses on one line")
        << "@ IN SOA ns1.example.com. admin.example.com. ( 2025030501 3600 1800 1209600 86400 )"
        << true << "ns1.example.com."
        << "admin.example.com." << standard;
    QTest::newRow("parenthesis on the serial")
        << "@ IN SOA ns1.example.com. admin.example.com. (2025030501 3600 1800 1209600 86400)"
        << true << "ns1.example.com."
        << "admin.example.com." << standard;
    QTest::newRow("trailing comment") << "@ IN SOA ns1 admin 5 1 2 3 4 ; serial 99" << true << "ns1"
                                      << "admin" << QList<qint64>{5, 1, 2, 3, 4};
    QTest::newRow("names cleaned")
        << "@ IN SOA ns_1.example.com. ad!min.example.com. 5 1 2 3 4" << true << "ns1.example.com."
        << "admin.example.com." << QList<qint64>{5, 1, 2, 3, 4};
    QTest::newRow("serial 0") << "@ IN SOA ns1 admin 0 1 2 3 4" << false << ""
                              << "" << QList<qint64>{};
    QTest::newRow("serial not a number") << "@ IN SOA ns1 admin x 1 2 3 4" << false << ""
                                         << "" << QList<qint64>{};
    QTest::newRow("name fails the domain test") << "@ IN SOA ns1..x admin 5 1 2 3 4" << false << ""
                                                << "" << QList<qint64>{};
    QTest::newRow("no refresh") << "@ 60 IN SOA ns1 admin 5" << false << ""
                                << "" << QList<qint64>{};
    QTest::newRow("fewer than eight fields") << "@ IN SOA ns1 admin 5 1" << false << ""
                                             << "" << QList<qint64>{};
    QTest::newRow("type is not SOA") << "soa 60 IN TXT SOA ns1 admin 5 1 2 3 4" << false << ""
                                     << "" << QList<qint64>{};
}

void TestZoneFileReader::soaLineReader() {
    QFETCH(QString, line);
    QFETCH(bool, read);
    const auto soa = ZoneFileReader::readSOALine(line);
    QCOMPARE(soa.has_value(), read);
    if (!read)
        return;
    QFETCH(QString, primary);
    QFETCH(QString, admin);
    QFETCH(QList<qint64>, numbers);
    QCOMPARE(soa->primaryNameServer, primary);
    QCOMPARE(soa->adminEmail, admin);
    QCOMPARE((QList<qint64>{soa->serial, soa->refresh, soa->retry, soa->expire, soa->minimum}),
             numbers);
}

void TestZoneFileReader::soaWordInDataIsARecord() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    zone.loadZoneFile(QStringLiteral("t 300 IN TXT \"SOA-check\"\n"
                                     "soa 300 IN A 192.0.2.1\n"
                                     "www 300 IN CNAME soa.example.com.\n"
                                     "x 300 IN TXT SOA ns1 admin 5 1 2 3 4\n"));
    QCOMPARE(zone.records().size(), 4);
    QCOMPARE(zone.records().at(0).value, QStringLiteral("\"SOA-check\""));
    QCOMPARE(zone.records().at(1).name, QStringLiteral("soa"));
    QCOMPARE(zone.records().at(2).value, QStringLiteral("soa.example.com."));
    QCOMPARE(zone.records().at(3).value, QStringLiteral("SOA"));
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(standardSOA()));
}

void TestZoneFileReader::loadReplacesRecordsAndKeepsSOAWithoutSOALine() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    zone.setRecords(
        {DNSRecord(QStringLiteral("old"), DNSRecordType::A, QStringLiteral("192.0.2.9"), 60)});
    zone.loadZoneFile(QStringLiteral("; nothing here but\n\nnew 300 IN A 192.0.2.1\n"
                                     "bad line\n"));
    QCOMPARE(zone.records().size(), 1);
    QCOMPARE(zone.records().at(0).name, QStringLiteral("new"));
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(standardSOA()));

    zone.loadZoneFile(QString());
    QVERIFY(zone.records().isEmpty());
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(standardSOA()));
}

void TestZoneFileReader::loadReadsWritersParenthesisedSOA() {
    SOARecord soa = standardSOA();
    soa.refresh = 7200;
    soa.retry = 600;
    soa.expire = 2419200;
    soa.minimum = 300;
    const QString text = QStringLiteral("; header\n") + ZoneFileWriter::soaBlock(soa) +
                         QStringLiteral("\n\nwww 300 IN A 192.0.2.1\n");
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.loadZoneFile(text);
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(soa));
    QCOMPARE(zone.records().size(), 1);

    // The closing parenthesis may stand on a line of its own, with comments
    // and blank lines between.
    zone.setSoaRecord(std::nullopt);
    zone.loadZoneFile(QStringLiteral("@ 3600 IN SOA ns1.example.com. admin.example.com. (\n"
                                     "  2025030501 ; serial (\n\n"
                                     "  3600 1800 ; refresh, retry\n"
                                     "  1209600\n  86400\n )\n"
                                     "www 300 IN A 192.0.2.1\n"));
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(standardSOA()));
    QCOMPARE(zone.records().size(), 1);
}

void TestZoneFileReader::unclosedSOAGroupLeavesNoSOA() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    zone.loadZoneFile(QStringLiteral("@ IN SOA ns1.example.com. admin.example.com. (\n"
                                     "  2025030501 3600 1800 1209600 86400\n"
                                     "www 300 IN A 192.0.2.1\n"));
    QCOMPARE(zone.soaRecord(), std::nullopt);
    // Reading goes on after the SOA line.
    QCOMPARE(zone.records().size(), 1);

    // A group that closes, but only after 1,024 characters, is refused too.
    zone.setSoaRecord(standardSOA());
    zone.loadZoneFile(QStringLiteral("@ IN SOA ns1.example.com. admin.example.com. (\n") +
                      QStringLiteral("  2025030501") + QString(1000, u' ') +
                      QStringLiteral("1\n  3600 1800 1209600 86400 )\n"
                                     "www 300 IN A 192.0.2.1\n"));
    QCOMPARE(zone.soaRecord(), std::nullopt);
    QCOMPARE(zone.records().size(), 1);
}

void TestZoneFileReader::unreadableSOALineRemovesSOA() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    zone.loadZoneFile(
        QStringLiteral("@ 3600 IN SOA ns1.example.com. admin.example.com. 0 1 2 3 4\n"));
    QCOMPARE(zone.soaRecord(), std::nullopt);
}

void TestZoneFileReader::directivesAreNotRead() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.loadZoneFile(QStringLiteral("$TTL 3600\n$ORIGIN example.com.\n$INCLUDE /etc/passwd\n"
                                     "$GENERATE 1-10 host$ 3600 IN A 192.0.2.$\n"
                                     "www 300 IN A 192.0.2.1\n"));
    QCOMPARE(zone.records().size(), 1);
}

void TestZoneFileReader::lineBreakVariants_data() {
    QTest::addColumn<QString>("separator");
    QTest::newRow("LF") << QStringLiteral("\n");
    QTest::newRow("CR") << QStringLiteral("\r");
    QTest::newRow("CRLF") << QStringLiteral("\r\n");
    QTest::newRow("line separator") << QString(QChar(0x2028));
    QTest::newRow("paragraph separator") << QString(QChar(0x2029));
    QTest::newRow("next line") << QString(QChar(0x85));
    QTest::newRow("vertical tab") << QStringLiteral("\v");
    QTest::newRow("form feed") << QStringLiteral("\f");
}

void TestZoneFileReader::lineBreakVariants() {
    QFETCH(QString, separator);
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.loadZoneFile(QStringLiteral("a 300 IN A 192.0.2.1") + separator +
                      QStringLiteral("b 300 IN A 192.0.2.2") + separator);
    QCOMPARE(zone.records().size(), 2);
    QCOMPARE(zone.records().at(1).name, QStringLiteral("b"));
}

void TestZoneFileReader::loadNotifiesOncePerField() {
    DNSZone zone(QStringLiteral("example.com"), {});
    QSignalSpy spy(&zone, &DNSZone::changed);
    zone.loadZoneFile(QStringLiteral("a 300 IN A 192.0.2.1\nb 300 IN A 192.0.2.2\n"));
    QCOMPARE(spy.count(), 1); // records only
    zone.loadZoneFile(QStringLiteral("@ IN SOA ns1 admin 1 2 3 4 5\nb 300 IN A 192.0.2.2\n"));
    QCOMPARE(spy.count(), 3); // records, then SOA
    zone.loadZoneFile(QString(TextLines::maximumTextLength, u' '));
    QCOMPARE(spy.count(), 3); // too long: nothing changes
}

// A record line, then a comment line padding the text to `length` UTF-16 units.
static QString paddedText(qsizetype length, QChar padding = u'x') {
    QString text = QStringLiteral("www 300 IN A 192.0.2.1\n;");
    text += QString(length - text.size(), padding);
    return text;
}

void TestZoneFileReader::textLengthBound_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("read");
    QTest::newRow("one below") << paddedText(TextLines::maximumTextLength - 1) << true;
    QTest::newRow("exactly at") << paddedText(TextLines::maximumTextLength) << false;
    QTest::newRow("above") << paddedText(TextLines::maximumTextLength + 10) << false;
    // Counted in characters as the user sees them: an e with a combining
    // accent is one character in two units.
    QString combining = QStringLiteral("www 300 IN A 192.0.2.1\n;");
    while (combining.size() < TextLines::maximumTextLength + 2)
        combining += QStringLiteral("e\u0301");
    QTest::newRow("combining marks") << combining << true;
}

void TestZoneFileReader::textLengthBound() {
    QFETCH(QString, text);
    QFETCH(bool, read);
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    zone.setRecords(
        {DNSRecord(QStringLiteral("old"), DNSRecordType::A, QStringLiteral("192.0.2.9"), 60)});
    zone.loadZoneFile(text);
    QCOMPARE(zone.records().size(), 1);
    QCOMPARE(zone.records().at(0).name, read ? QStringLiteral("www") : QStringLiteral("old"));
    QCOMPARE(zone.soaRecord(), std::optional<SOARecord>(standardSOA()));
}

void TestZoneFileReader::lineCountBound_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<bool>("read");
    QTest::newRow("LF line 10000") << "\n" << 10000 << true;
    QTest::newRow("LF line 10001") << "\n" << 10001 << false;
    QTest::newRow("CRLF line 10000") << "\r\n" << 10000 << true;
    QTest::newRow("CRLF line 10001") << "\r\n" << 10001 << false;
}

void TestZoneFileReader::lineCountBound() {
    QFETCH(QString, separator);
    QFETCH(int, lineNumber);
    QFETCH(bool, read);
    QString text;
    for (int i = 1; i < lineNumber; ++i)
        text += QStringLiteral("; filler") + separator;
    text += QStringLiteral("last 300 IN A 192.0.2.1") + separator + QStringLiteral("x 1 IN A 1");
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.loadZoneFile(text);
    QCOMPARE(zone.records().size(), read ? 1 : 0);
}

void TestZoneFileReader::lineLengthBound_data() {
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<bool>("read");
    QTest::newRow("1023") << qsizetype(1023) << true;
    QTest::newRow("1024") << qsizetype(1024) << false;
}

void TestZoneFileReader::lineLengthBound() {
    QFETCH(qsizetype, length);
    QFETCH(bool, read);
    const auto padded = [length](const QString& head, const QString& tail) {
        return head + QString(length - head.size() - tail.size(), u' ') + tail;
    };
    const QString record = padded(QStringLiteral("www"), QStringLiteral("300 IN A 192.0.2.1"));
    QCOMPARE(record.size(), length);
    QCOMPARE(ZoneFileReader::readRecordLine(record).has_value(), read);

    const QString soa =
        padded(QStringLiteral("@ IN SOA"), QStringLiteral("ns1 admin 5 3600 1800 1209600 86400"));
    QCOMPARE(ZoneFileReader::readSOALine(soa).has_value(), read);

    DNSZone zone(QStringLiteral("example.com"), {});
    zone.loadZoneFile(record + u'\n' + soa + u'\n');
    QCOMPARE(zone.records().size(), read ? 1 : 0);
    QCOMPARE(zone.soaRecord().has_value(), read);
}

void TestZoneFileReader::roundTrip_data() {
    QTest::addColumn<DNSRecord>("record");
    QTest::addColumn<QString>("valueRead"); // what the reader reads as the value

    RecordOptions mx;
    mx.priority = 15;
    RecordOptions srv;
    srv.priority = 1;
    srv.weight = 65535;
    srv.port = 5060;
    RecordOptions caa;
    caa.flag = 128;
    caa.tag = QStringLiteral("issue");
    RecordOptions sshfp;
    sshfp.algorithm = 4;
    sshfp.digestType = 2;
    RecordOptions tlsa;
    tlsa.usage = 2;
    tlsa.selector = 0;
    tlsa.digestType = 1;
    const QString hex64 =
        QStringLiteral("302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd");

    const auto row = [](const char* name, const DNSRecord& record, const QString& valueRead) {
        QVERIFY2(validateRecord(record).isValid,
                 qPrintable(validateRecord(record).errors.join(u'\n')));
        QTest::newRow(name) << record << valueRead;
    };
    row("A", DNSRecord("www", DNSRecordType::A, "192.0.2.10", 300), "192.0.2.10");
    row("AAAA", DNSRecord("", DNSRecordType::AAAA, "2001:db8::10", 600), "2001:db8::10");
    // The reader keeps the first data field of CAA, SSHFP and TLSA lines.
    row("CAA", DNSRecord("", DNSRecordType::CAA, "ca.example.net", 3600, caa), "128");
    row("CNAME", DNSRecord("alias", DNSRecordType::CNAME, "www.example.com.", 3600),
        "www.example.com.");
    row("MX", DNSRecord("", DNSRecordType::MX, "mail.example.com.", 3600, mx), "mail.example.com.");
    row("NS", DNSRecord("sub", DNSRecordType::NS, "ns1.example.com.", 86400), "ns1.example.com.");
    row("PTR", DNSRecord("10", DNSRecordType::PTR, "host.example.com.", 3600), "host.example.com.");
    row("SRV", DNSRecord("sip.tcp", DNSRecordType::SRV, "sip.example.com.", 3600, srv),
        "sip.example.com.");
    row("SSHFP", DNSRecord("host", DNSRecordType::SSHFP, hex64, 3600, sshfp), "4");
    row("TLSA", DNSRecord("tls.tcp", DNSRecordType::TLSA, hex64, 3600, tlsa), "2");
    row("TXT", DNSRecord("", DNSRecordType::TXT, "\"google-site-verification=abc123\"", 300),
        "\"google-site-verification=abc123\"");
    row("largest TTL", DNSRecord("www", DNSRecordType::A, "192.0.2.1", 2147483647), "192.0.2.1");
}

void TestZoneFileReader::roundTrip() {
    QFETCH(DNSRecord, record);
    QFETCH(QString, valueRead);
    DNSZone zone(QStringLiteral("example.com"), {});
    SOARecord soa = standardSOA();
    soa.refresh = 7201;
    soa.minimum = 299;
    zone.setSoaRecord(soa);
    zone.setRecords({record});

    DNSZone back(QStringLiteral("example.com"), {});
    back.loadZoneFile(zone.zoneFileText(fixedTime));
    QCOMPARE(back.soaRecord(), std::optional<SOARecord>(soa));
    QCOMPARE(back.records().size(), 1);
    const DNSRecord& read = back.records().at(0);
    QCOMPARE(read.name, record.name);
    QCOMPARE(read.type, record.type);
    QCOMPARE(read.ttl, record.ttl);
    QCOMPARE(read.value, valueRead);
    if (record.type == DNSRecordType::MX || record.type == DNSRecordType::SRV) {
        QCOMPARE(read.priority, record.priority);
        QCOMPARE(read.weight, record.weight);
        QCOMPARE(read.port, record.port);
    }
}

void TestZoneFileReader::roundTripOfSOATypedRecord() {
    // An SOA-typed record carrying a whole SOA becomes the zone's SOA when
    // read back, since its line is an SOA line.
    DNSZone zone(QStringLiteral("example.com"), {});
    const DNSRecord record(QString(), DNSRecordType::SOA,
                           QStringLiteral("ns1.example.com. admin.example.com. 2025030502 7200 "
                                          "900 604800 300"),
                           3600);
    QVERIFY(validateRecord(record).isValid);
    zone.setRecords({record});
    DNSZone back(QStringLiteral("example.com"), {});
    back.loadZoneFile(zone.zoneFileText(fixedTime));
    QVERIFY(back.records().isEmpty());
    QVERIFY(back.soaRecord().has_value());
    QCOMPARE(back.soaRecord()->primaryNameServer, QStringLiteral("ns1.example.com."));
    QCOMPARE(back.soaRecord()->adminEmail, QStringLiteral("admin.example.com."));
    QCOMPARE(back.soaRecord()->serial, 2025030502);
    QCOMPARE(back.soaRecord()->refresh, 7200);
    QCOMPARE(back.soaRecord()->minimum, 300);
}

void TestZoneFileReader::roundTripOfWholeZone() {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(standardSOA());
    QList<DNSRecord> records;
    for (int i = 0; i < 50; ++i) {
        RecordOptions options;
        options.priority = i;
        options.weight = i * 2;
        options.port = i + 1;
        const DNSRecordType type = i % 3 == 0   ? DNSRecordType::A
                                   : i % 3 == 1 ? DNSRecordType::MX
                                                : DNSRecordType::SRV;
        const QString value = type == DNSRecordType::A
                                  ? QStringLiteral("192.0.2.%1").arg(i)
                                  : QStringLiteral("host%1.example.com.").arg(i);
        records.append(DNSRecord(QStringLiteral("h%1").arg(i), type, value, 60 + i, options));
    }
    zone.setRecords(records);
    DNSZone back(QStringLiteral("example.com"), {});
    back.loadZoneFile(zone.zoneFileText(fixedTime));
    QCOMPARE(back.records().size(), records.size());
    // Written and read back in type order, each group in record order.
    QList<DNSRecord> expected;
    for (const DNSRecordType type : allRecordTypes()) {
        for (const DNSRecord& r : records) {
            if (r.type == type)
                expected.append(r);
        }
    }
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const DNSRecord& a = expected.at(i);
        const DNSRecord& b = back.records().at(i);
        QCOMPARE(b.name, a.name);
        QCOMPARE(b.type, a.type);
        QCOMPARE(b.ttl, a.ttl);
        QCOMPARE(b.value, a.value);
        if (a.type != DNSRecordType::A)
            QCOMPARE(b.priority, a.priority);
        if (a.type == DNSRecordType::SRV) {
            QCOMPARE(b.weight, a.weight);
            QCOMPARE(b.port, a.port);
        }
    }
}

QTEST_GUILESS_MAIN(TestZoneFileReader)
#include "tst_zonefile_reader.moc"
