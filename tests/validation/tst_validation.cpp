// The record validator, the domain-name and address tests, and the validated
// changes of a zone's records.
#include <QSignalSpy>
#include <QtTest>

#include "BindCheckers.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

// A record as given (no cleaning), with the fields named in `options`.
DNSRecord stored(DNSRecordType type, const QString& value, const QString& options = {},
                 const QString& name = QString(), qint64 ttl = 3600) {
    DNSRecord r = korvi::test::rawRecord(name, type, value, ttl);
    static_cast<RecordOptions&>(r) = korvi::test::opts(options);
    return r;
}

const QString nameMsg =
    u"Invalid record name: '%1'. Must be a valid domain name or empty for root domain."_s;
const QString emptyMsg = u"Record value cannot be empty."_s;
const QString ttlMsg = u"Invalid TTL: %1. Must be between 1 and 2,147,483,647 seconds."_s;

} // namespace

class TestValidation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void validateRecord_data() {
        using T = DNSRecordType;
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QStringList>("expected");
        const QString hex = u"0123456789abcdefABCDEF"_s;
        const auto row = [](const char* name, const DNSRecord& r, const QStringList& errors) {
            QTest::newRow(name) << r << errors;
        };
        // Owner name and TTL, whatever the type.
        row("valid A", stored(T::A, "192.168.1.10"), {});
        row("name _dmarc", stored(T::TXT, "v=DMARC1", {}, "_dmarc"), {nameMsg.arg("_dmarc")});
        row("name a..b", stored(T::A, "10.0.0.1", {}, "a..b"), {nameMsg.arg("a..b")});
        row("name with space", stored(T::A, "10.0.0.1", {}, "my host"), {nameMsg.arg("my host")});
        row("name subdomain", stored(T::A, "10.0.0.1", {}, "a.b-c.d."), {});
        row("ttl 0", stored(T::A, "10.0.0.1", {}, "", 0), {ttlMsg.arg(0)});
        row("ttl 2^31", stored(T::A, "10.0.0.1", {}, "", 2147483648), {ttlMsg.arg(2147483648)});
        row("ttl bounds", stored(T::A, "10.0.0.1", {}, "", 2147483647), {});
        row("ttl 1", stored(T::A, "10.0.0.1", {}, "", 1), {});
        // Addresses.
        const QString v4 = u"Invalid IPv4 address: '%1'. Expected format: 192.168.1.1"_s;
        const QString v6 = u"Invalid IPv6 address: '%1'. Expected format: 2001:db8::1"_s;
        row("A empty", stored(T::A, ""), {emptyMsg, v4.arg("")});
        row("A 256", stored(T::A, "256.1.1.1"), {v4.arg("256.1.1.1")});
        row("A with NUL", stored(T::A, u"1.2.3.4"_s + QChar(0)), {v4.arg(u"1.2.3.4"_s + QChar(0))});
        row("AAAA valid", stored(T::AAAA, "2001:db8::1"), {});
        row("AAAA v4 text", stored(T::AAAA, "192.168.1.1"), {v6.arg("192.168.1.1")});
        // Host-name targets.
        const QString domainMsg = u"Invalid domain name: '%1'. Must be a valid domain name."_s;
        row("CNAME dot", stored(T::CNAME, "www.example.com."), {});
        row("CNAME a..b", stored(T::CNAME, "www..example.com"),
            {domainMsg.arg("www..example.com")});
        row("CNAME ttl 0 empty", stored(T::CNAME, "", {}, "", 0),
            {ttlMsg.arg(0), emptyMsg, domainMsg.arg("")});
        row("NS single label", stored(T::NS, "ns1"), {});
        row("NS only dot", stored(T::NS, "."), {domainMsg.arg(".")});
        row("PTR underscore", stored(T::PTR, "host_1.example.com"),
            {domainMsg.arg("host_1.example.com")});
        // MX.
        const QString mxRange = u"Invalid MX priority: %1. Must be between 0 and 65535."_s;
        row("MX valid", stored(T::MX, "mail.example.com.", "priority=0"), {});
        row("MX 65535", stored(T::MX, "mail.example.com", "priority=65535"), {});
        row("MX 65536", stored(T::MX, "mail.example.com", "priority=65536"), {mxRange.arg(65536)});
        row("MX -1", stored(T::MX, "mail.example.com", "priority=-1"), {mxRange.arg(-1)});
        row("MX bad target, no priority", stored(T::MX, "mail..x"),
            {"Invalid mail server name: 'mail..x'. Must be a valid domain name.",
             "MX records require a priority value."});
        // SRV.
        row("SRV valid", stored(T::SRV, "sip.example.com.", "priority=0 weight=0 port=65535"), {});
        row("SRV port 0", stored(T::SRV, "sip.example.com", "priority=10 weight=5 port=0"),
            {"Invalid SRV port: 0. Must be between 1 and 65535."});
        row("SRV none", stored(T::SRV, "sip.example.com"),
            {"SRV records require a priority value.", "SRV records require a weight value.",
             "SRV records require a port value."});
        row("SRV all out",
            stored(T::SRV, "_sip.example.com", "priority=-1 weight=65536 port=65536"),
            {"Invalid SRV target: '_sip.example.com'. Must be a valid domain name.",
             "Invalid SRV priority: -1. Must be between 0 and 65535.",
             "Invalid SRV weight: 65536. Must be between 0 and 65535.",
             "Invalid SRV port: 65536. Must be between 1 and 65535."});
        // CAA.
        const QString tags = u"Valid tags are: issue, issuewild, iodef"_s;
        row("CAA valid", stored(T::CAA, "ca.example.net", "flag=128 tag=issue"), {});
        row("CAA iodef 0", stored(T::CAA, "mailto:a@example.net", "flag=0 tag=iodef"), {});
        row("CAA ISSUE", stored(T::CAA, "ca.example.net", "flag=0 tag=ISSUE"),
            {"Invalid CAA tag: 'ISSUE'. " + tags});
        row("CAA flag 256", stored(T::CAA, "ca.example.net", "flag=256 tag=issuewild"),
            {"Invalid CAA flag: 256. Must be between 0 and 255."});
        row("CAA nothing", stored(T::CAA, ""),
            {emptyMsg, "CAA records require a flag value.", "CAA records require a tag value.",
             "CAA record value cannot be empty."});
        row("CAA flag -1, empty tag", stored(T::CAA, "x", "flag=-1 tag="),
            {"Invalid CAA flag: -1. Must be between 0 and 255.", "Invalid CAA tag: ''. " + tags});
        // SSHFP.
        row("SSHFP valid", stored(T::SSHFP, hex, "algorithm=4 digestType=2"), {});
        row("SSHFP algorithm 5", stored(T::SSHFP, hex, "algorithm=5 digestType=1"),
            {"Invalid SSHFP algorithm: 5. Valid algorithms are: 1, 2, 3, 4"});
        row("SSHFP digest 0", stored(T::SSHFP, hex, "algorithm=1 digestType=0"),
            {"Invalid SSHFP digest type: 0. Valid digest types are: 1, 2"});
        row("SSHFP nothing", stored(T::SSHFP, ""),
            {emptyMsg, "SSHFP records require an algorithm value.",
             "SSHFP records require a digest type value.",
             "Invalid SSHFP fingerprint: must be hexadecimal characters only."});
        // TLSA.
        row("TLSA valid", stored(T::TLSA, hex, "digestType=1 usage=3 selector=1"), {});
        row("TLSA zero", stored(T::TLSA, "00", "digestType=0 usage=0 selector=0"), {});
        row("TLSA all out", stored(T::TLSA, "xyz", "digestType=3 usage=4 selector=2"),
            {"Invalid TLSA usage: 4. Must be between 0 and 3.",
             "Invalid TLSA selector: 2. Must be 0 or 1.",
             "Invalid TLSA digest type: 3. Valid digest types are: 0, 1, 2",
             "Invalid TLSA certificate data: must be hexadecimal characters only."});
        row("TLSA nothing", stored(T::TLSA, "ab"),
            {"TLSA records require a usage value.", "TLSA records require a selector value.",
             "TLSA records require a digest type value."});
        // TXT: length in user-visible characters, control characters.
        const QString tooLong =
            u"TXT record too long: 513 characters. Maximum is 512 characters."_s;
        const QString control = u"TXT record contains invalid control characters."_s;
        row("TXT 512", stored(T::TXT, QString(512, u'a')), {});
        row("TXT 513", stored(T::TXT, QString(513, u'a')), {tooLong});
        row("TXT 512 emoji", stored(T::TXT, u"😀"_s.repeated(512)), {});
        row("TXT 513 flags", stored(T::TXT, u"🇫🇮"_s.repeated(513)), {tooLong});
        row("TXT tab LF CR", stored(T::TXT, "a\tb\nc\r\nd"), {});
        row("TXT ESC", stored(T::TXT, "a\x1b[0m"), {control});
        row("TXT soft hyphen", stored(T::TXT, "a\u00ADb"), {control});
        row("TXT long and NUL", stored(T::TXT, QString(512, u'a') + QChar(0)), {tooLong, control});
        row("TXT empty", stored(T::TXT, ""), {emptyMsg});
        // SOA.
        row("SOA valid", stored(T::SOA, "ns1.example.com. admin.example.com."), {});
        row("SOA empty", stored(T::SOA, ""), {emptyMsg, "SOA record value cannot be empty."});
        // Every check runs: name, TTL, value, then the type's own checks.
        row("everything wrong", stored(T::MX, "", {}, "_x", 0),
            {nameMsg.arg("_x"), ttlMsg.arg(0), emptyMsg,
             "Invalid mail server name: ''. Must be a valid domain name.",
             "MX records require a priority value."});
    }
    void validateRecord() {
        QFETCH(DNSRecord, record);
        QFETCH(QStringList, expected);
        const ValidationResult result = korvi::validateRecord(record);
        QCOMPARE(result.errors, expected);
        QCOMPARE(result.isValid, expected.isEmpty());
    }

    void isValidDomainName_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const QString l63(63, u'a');
        const QString name253 = l63 + u'.' + l63 + u'.' + l63 + u'.' + QString(61, u'a');
        for (const char* text : {"localhost", "example.com.", "a-b.x--y.com", "123.456",
                                 "bücher.例え.テスト", "١٢٣.com", "e\u0301xample.com"})
            QTest::newRow(text) << QString::fromUtf8(text) << true;
        for (const char* text :
             {"", ".", "example.com..", ".example.com", "_", "_dmarc.example.com", "-a.com",
              "a-.com", "a b.com", "*.example.com", "😀.com", "a\u200Db.com"})
            QTest::newRow(*text ? text : "empty") << QString::fromUtf8(text) << false;
        QTest::newRow("label 63") << l63 + ".com" << true;
        QTest::newRow("label 64") << l63 + "a.com" << false;
        QTest::newRow("63 accented letters") << u"e\u0301"_s.repeated(63) << true;
        QTest::newRow("total 253") << name253 << true;
        QTest::newRow("total 253 with dot") << name253.left(252) + u'.' << true;
        QTest::newRow("total 254") << name253 + u'a' << false;
        QTest::newRow("total 254 with dot") << name253 + u'.' << false;
    }
    void isValidDomainName() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(korvi::isValidDomainName(text), valid);
    }

    void addresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind"); // 4, 6, or 0 for neither
        for (const char* text : {"192.168.1.1", "0.0.0.0", "255.255.255.255"})
            QTest::newRow(text) << QString::fromLatin1(text) << 4;
        for (const char* text : {"::", "::1", "2001:DB8::1", "1:2:3:4:5:6:7:8", "::ffff:1.2.3.4"})
            QTest::newRow(text) << QString::fromLatin1(text) << 6;
        for (const char* text :
             {"1.2.3", "01.2.3.4", "1.2.3.256", "0x1.2.3.4", " 1.2.3.4", "2001:db8::1::1",
              "1:2:3:4:5:6:7:8:9", "fe80::1%eth0", "12345::1", ""})
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text) << 0;
        QTest::newRow("v4 NUL junk") << u"1.2.3.4"_s + QChar(0) + u"junk"_s << 0;
        QTest::newRow("v6 NUL") << u"::1"_s + QChar(0) << 0;
    }
    void addresses() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QCOMPARE(isValidIPv4Address(text), kind == 4);
        QCOMPARE(isValidIPv6Address(text), kind == 6);
    }

    // A zone adds and replaces only valid records, and only by id.
    void zoneChanges() {
        DNSZone zone(u"example.com"_s, QString());
        const QList<DNSRecord> records = {stored(DNSRecordType::A, "10.0.0.1"),
                                          stored(DNSRecordType::A, "10.0.0.2")};
        zone.setRecords(records);
        QSignalSpy spy(&zone, &DNSZone::changed);
        const auto values = [&] {
            QStringList v;
            for (const DNSRecord& r : zone.records())
                v.append(r.value);
            return v.join(u' ');
        };
        zone.addRecord(stored(DNSRecordType::A, "999.1.1.1"));
        DNSRecord changed = records[1];
        changed.value = u"999.1.1.1"_s;
        zone.updateRecord(changed);
        zone.updateRecord(stored(DNSRecordType::A, "10.9.9.9")); // id not in the zone
        QCOMPARE(values(), u"10.0.0.1 10.0.0.2"_s);
        QCOMPARE(spy.count(), 0);

        const DNSRecord mx = stored(DNSRecordType::MX, "mail.example.com.", "priority=10");
        zone.addRecord(mx);
        QCOMPARE(zone.records().at(2).toJson(), mx.toJson());
        changed.type = DNSRecordType::CNAME;
        changed.value = u"host.example.com."_s;
        zone.updateRecord(changed);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(values(), u"10.0.0.1 host.example.com. mail.example.com."_s);
        QCOMPARE(zone.records().at(1).id, records[1].id);
        QCOMPARE(zone.records().at(1).type, DNSRecordType::CNAME);

        // With the id twice, only the first is replaced.
        zone.setRecords({records[0], records[0]});
        DNSRecord again = records[0];
        again.value = u"10.1.1.1"_s;
        zone.updateRecord(again);
        QCOMPARE(values(), u"10.1.1.1 10.0.0.1"_s);
    }
};

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
