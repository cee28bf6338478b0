// The record validator, the domain-name and address tests, and the validated
// changes of a zone's records.
#include <QSignalSpy>
#include <QtTest>

#include "model/DNSZone.h"
#include "model/RecordValidator.h"

using namespace korvi;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

// A record exactly as given, as it can be read from storage (no cleaning).
// options names the type-specific fields that are present: "priority=10 tag=issue".
DNSRecord stored(DNSRecordType type, const QString& value, const QString& options = {},
                 const QString& name = QString(), qint64 ttl = 3600) {
    DNSRecord r;
    const std::pair<const char*, std::optional<qint64>*> numbers[] = {
        {"priority", &r.priority}, {"weight", &r.weight},       {"port", &r.port},
        {"flag", &r.flag},         {"algorithm", &r.algorithm}, {"digestType", &r.digestType},
        {"usage", &r.usage},       {"selector", &r.selector}};
    for (const QString& part : options.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0);
        const QString text = part.section(u'=', 1);
        if (key == QLatin1String("tag"))
            r.tag = text;
        for (const auto& [field, slot] : numbers) {
            if (key == QLatin1String(field))
                *slot = text.toLongLong();
        }
    }
    r.type = type;
    r.value = value;
    r.name = name;
    r.ttl = ttl;
    return r;
}

QString label(int length) {
    return QString(length, u'a');
}

const QString nameMsg = QStringLiteral(
    "Invalid record name: '%1'. Must be a valid domain name or empty for root domain.");
const QString emptyMsg = QStringLiteral("Record value cannot be empty.");

} // namespace

class TestValidation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void validateRecord_data();
    void validateRecord();
    void isValidDomainName_data();
    void isValidDomainName();
    void addresses_data();
    void addresses();
    void valueTables();
    void zoneAddRecord();
    void zoneUpdateRecord();
};

void TestValidation::validateRecord_data() {
    using T = DNSRecordType;
    QTest::addColumn<DNSRecord>("record");
    QTest::addColumn<QStringList>("expected");
    const QString hex = QStringLiteral("0123456789abcdefABCDEF");
    const auto row = [](const char* name, const DNSRecord& r, const QStringList& errors) {
        QTest::newRow(name) << r << errors;
    };

    // Owner name and TTL, whatever the type.
    row("valid A", stored(T::A, "192.168.1.10"), {});
    row("name _dmarc", stored(T::TXT, "v=DMARC1", {}, "_dmarc"), {nameMsg.arg("_dmarc")});
    row("name _dmarc on A", stored(T::A, "10.0.0.1", {}, "_dmarc"), {nameMsg.arg("_dmarc")});
    row("name a..b", stored(T::A, "10.0.0.1", {}, "a..b"), {nameMsg.arg("a..b")});
    row("name with space", stored(T::A, "10.0.0.1", {}, "my host"), {nameMsg.arg("my host")});
    row("name subdomain", stored(T::A, "10.0.0.1", {}, "a.b-c.d."), {});
    row("ttl 0", stored(T::A, "10.0.0.1", {}, "", 0),
        {"Invalid TTL: 0. Must be between 1 and 2,147,483,647 seconds."});
    row("ttl -1", stored(T::A, "10.0.0.1", {}, "", -1),
        {"Invalid TTL: -1. Must be between 1 and 2,147,483,647 seconds."});
    row("ttl 2^31", stored(T::A, "10.0.0.1", {}, "", 2147483648),
        {"Invalid TTL: 2147483648. Must be between 1 and 2,147,483,647 seconds."});
    row("ttl bounds", stored(T::A, "10.0.0.1", {}, "", 2147483647), {});
    row("ttl 1", stored(T::A, "10.0.0.1", {}, "", 1), {});

    // Addresses.
    const QString v4 = QStringLiteral("Invalid IPv4 address: '%1'. Expected format: 192.168.1.1");
    const QString v6 = QStringLiteral("Invalid IPv6 address: '%1'. Expected format: 2001:db8::1");
    row("A empty", stored(T::A, ""), {emptyMsg, v4.arg("")});
    row("A 256", stored(T::A, "256.1.1.1"), {v4.arg("256.1.1.1")});
    row("A trailing dot", stored(T::A, "10.0.0."), {v4.arg("10.0.0.")});
    row("A with NUL", stored(T::A, QStringLiteral("1.2.3.4") + QChar(0)),
        {v4.arg(QStringLiteral("1.2.3.4") + QChar(0))});
    row("AAAA valid", stored(T::AAAA, "2001:db8::1"), {});
    row("AAAA v4 text", stored(T::AAAA, "192.168.1.1"), {v6.arg("192.168.1.1")});

    // Host-name targets.
    const QString domainMsg =
        QStringLiteral("Invalid domain name: '%1'. Must be a valid domain name.");
    row("CNAME dot", stored(T::CNAME, "www.example.com."), {});
    row("CNAME a..b", stored(T::CNAME, "www..example.com"), {domainMsg.arg("www..example.com")});
    row("CNAME ttl 0 empty", stored(T::CNAME, "", {}, "", 0),
        {"Invalid TTL: 0. Must be between 1 and 2,147,483,647 seconds.", emptyMsg,
         domainMsg.arg("")});
    row("NS single label", stored(T::NS, "ns1"), {});
    row("NS only dot", stored(T::NS, "."), {domainMsg.arg(".")});
    row("PTR underscore", stored(T::PTR, "host_1.example.com"),
        {domainMsg.arg("host_1.example.com")});

    // MX.
    row("MX valid", stored(T::MX, "mail.example.com.", "priority=0"), {});
    row("MX 65535", stored(T::MX, "mail.example.com", "priority=65535"), {});
    row("MX no priority", stored(T::MX, "mail.example.com"),
        {"MX records require a priority value."});
    row("MX 65536", stored(T::MX, "mail.example.com", "priority=65536"),
        {"Invalid MX priority: 65536. Must be between 0 and 65535."});
    row("MX -1", stored(T::MX, "mail.example.com", "priority=-1"),
        {"Invalid MX priority: -1. Must be between 0 and 65535."});
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
    row("SRV all out", stored(T::SRV, "_sip.example.com", "priority=-1 weight=65536 port=65536"),
        {"Invalid SRV target: '_sip.example.com'. Must be a valid domain name.",
         "Invalid SRV priority: -1. Must be between 0 and 65535.",
         "Invalid SRV weight: 65536. Must be between 0 and 65535.",
         "Invalid SRV port: 65536. Must be between 1 and 65535."});

    // CAA.
    const QString tags = QStringLiteral("Valid tags are: issue, issuewild, iodef");
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
    row("SSHFP colons", stored(T::SSHFP, "aa:bb", "algorithm=1 digestType=1"),
        {"Invalid SSHFP fingerprint: must be hexadecimal characters only."});
    row("SSHFP nothing", stored(T::SSHFP, ""),
        {emptyMsg, "SSHFP records require an algorithm value.",
         "SSHFP records require a digest type value.",
         "Invalid SSHFP fingerprint: must be hexadecimal characters only."});

    // TLSA.
    row("TLSA valid", stored(T::TLSA, hex, "digestType=1 usage=3 selector=1"), {});
    row("TLSA zero", stored(T::TLSA, "00", "digestType=0 usage=0 selector=0"), {});
    row("TLSA selector 2", stored(T::TLSA, hex, "digestType=1 usage=3 selector=2"),
        {"Invalid TLSA selector: 2. Must be 0 or 1."});
    row("TLSA all out", stored(T::TLSA, "xyz", "digestType=3 usage=4 selector=-1"),
        {"Invalid TLSA usage: 4. Must be between 0 and 3.",
         "Invalid TLSA selector: -1. Must be 0 or 1.",
         "Invalid TLSA digest type: 3. Valid digest types are: 0, 1, 2",
         "Invalid TLSA certificate data: must be hexadecimal characters only."});
    row("TLSA nothing", stored(T::TLSA, "ab"),
        {"TLSA records require a usage value.", "TLSA records require a selector value.",
         "TLSA records require a digest type value."});

    // TXT: length in user-visible characters, control characters.
    const QString tooLong =
        QStringLiteral("TXT record too long: 513 characters. Maximum is 512 characters.");
    const QString control = QStringLiteral("TXT record contains invalid control characters.");
    row("TXT 512", stored(T::TXT, QString(512, u'a')), {});
    row("TXT 513", stored(T::TXT, QString(513, u'a')), {tooLong});
    row("TXT 512 emoji", stored(T::TXT, QStringLiteral("😀").repeated(512)), {});
    row("TXT 513 flags", stored(T::TXT, QStringLiteral("🇫🇮").repeated(513)), {tooLong});
    row("TXT tab LF CR", stored(T::TXT, "a\tb\nc\r\nd"), {});
    row("TXT NUL", stored(T::TXT, QStringLiteral("a") + QChar(0) + u'b'), {control});
    row("TXT ESC", stored(T::TXT, "a\x1b[0m"), {control});
    row("TXT ZWJ", stored(T::TXT, "a\u200Db"), {control});
    row("TXT soft hyphen", stored(T::TXT, "a\u00ADb"), {control});
    row("TXT long and NUL", stored(T::TXT, QString(512, u'a') + QChar(0)), {tooLong, control});
    row("TXT empty", stored(T::TXT, ""), {emptyMsg});

    // SOA.
    row("SOA valid", stored(T::SOA, "ns1.example.com. admin.example.com."), {});
    row("SOA empty", stored(T::SOA, ""), {emptyMsg, "SOA record value cannot be empty."});

    // Every check runs: name, TTL, value, then the type's own checks.
    row("everything wrong", stored(T::MX, "", {}, "_x", 0),
        {nameMsg.arg("_x"), "Invalid TTL: 0. Must be between 1 and 2,147,483,647 seconds.",
         emptyMsg, "Invalid mail server name: ''. Must be a valid domain name.",
         "MX records require a priority value."});
}

void TestValidation::validateRecord() {
    QFETCH(DNSRecord, record);
    QFETCH(QStringList, expected);
    const ValidationResult result = korvi::validateRecord(record);
    QCOMPARE(result.errors, expected);
    QCOMPARE(result.isValid, expected.isEmpty());
}

void TestValidation::isValidDomainName_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const QString l63 = label(63);
    const QString name253 = l63 + u'.' + l63 + u'.' + l63 + u'.' + label(61);
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("localhost") << "localhost" << true;
    QTest::newRow("trailing dot") << "example.com." << true;
    QTest::newRow("two trailing dots") << "example.com.." << false;
    QTest::newRow("leading dot") << ".example.com" << false;
    QTest::newRow("a..b") << "a..b" << false;
    QTest::newRow("_") << "_" << false;
    QTest::newRow("_dmarc label") << "_dmarc.example.com" << false;
    QTest::newRow("leading -") << "-a.com" << false;
    QTest::newRow("trailing -") << "a-.com" << false;
    QTest::newRow("inner -") << "a-b.x--y.com" << true;
    QTest::newRow("digits") << "123.456" << true;
    QTest::newRow("space") << "a b.com" << false;
    QTest::newRow("wildcard") << "*.example.com" << false;
    QTest::newRow("label 63") << l63 + ".com" << true;
    QTest::newRow("label 64") << label(64) + ".com" << false;
    QTest::newRow("total 253") << name253 << true;
    QTest::newRow("total 253 with dot") << name253.left(252) + u'.' << true;
    QTest::newRow("total 254") << name253 + u'a' << false;
    QTest::newRow("total 254 with dot") << name253 + u'.' << false;
    QTest::newRow("unicode letters") << "bücher.例え.テスト" << true;
    QTest::newRow("arabic digits") << "١٢٣.com" << true;
    QTest::newRow("combining accent") << "e\u0301xample.com" << true;
    QTest::newRow("63 accented letters") << QStringLiteral("e\u0301").repeated(63) << true;
    QTest::newRow("emoji") << "😀.com" << false;
    QTest::newRow("zero-width joiner") << "a\u200Db.com" << false;
}

void TestValidation::isValidDomainName() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(korvi::isValidDomainName(text), valid);
}

void TestValidation::addresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ipv4");
    QTest::addColumn<bool>("ipv6");
    const QString nul(QChar(0));
    QTest::newRow("dotted quad") << "192.168.1.1" << true << false;
    QTest::newRow("zeros") << "0.0.0.0" << true << false;
    QTest::newRow("broadcast") << "255.255.255.255" << true << false;
    QTest::newRow("three parts") << "1.2.3" << false << false;
    QTest::newRow("leading zero") << "01.2.3.4" << false << false;
    QTest::newRow("octet 256") << "1.2.3.256" << false << false;
    QTest::newRow("hex octet") << "0x1.2.3.4" << false << false;
    QTest::newRow("space") << " 1.2.3.4" << false << false;
    QTest::newRow("v4 NUL") << "1.2.3.4" + nul << false << false;
    QTest::newRow("v4 NUL junk") << "1.2.3.4" + nul + "junk" << false << false;
    QTest::newRow("::") << "::" << false << true;
    QTest::newRow("::1") << "::1" << false << true;
    QTest::newRow("doc prefix") << "2001:db8::1" << false << true;
    QTest::newRow("upper case") << "2001:DB8::1" << false << true;
    QTest::newRow("eight groups") << "1:2:3:4:5:6:7:8" << false << true;
    QTest::newRow("mapped v4") << "::ffff:1.2.3.4" << false << true;
    QTest::newRow("two ::") << "2001:db8::1::1" << false << false;
    QTest::newRow("nine groups") << "1:2:3:4:5:6:7:8:9" << false << false;
    QTest::newRow("zone index") << "fe80::1%eth0" << false << false;
    QTest::newRow("five digits") << "12345::1" << false << false;
    QTest::newRow("v6 NUL") << "::1" + nul << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestValidation::addresses() {
    QFETCH(QString, text);
    QFETCH(bool, ipv4);
    QFETCH(bool, ipv6);
    QCOMPARE(isValidIPv4Address(text), ipv4);
    QCOMPARE(isValidIPv6Address(text), ipv6);
}

void TestValidation::valueTables() {
    QCOMPARE(validCAATags(), QStringList({"issue", "issuewild", "iodef"}));
    QCOMPARE(sshfpAlgorithms(), QList<qint64>({1, 2, 3, 4}));
    QCOMPARE(sshfpDigestTypes(), QList<qint64>({1, 2}));
    QCOMPARE(tlsaDigestTypes(), QList<qint64>({0, 1, 2}));
}

void TestValidation::zoneAddRecord() {
    DNSZone zone(QStringLiteral("example.com"), QString());
    const DNSRecord first = stored(DNSRecordType::A, "10.0.0.1");
    zone.setRecords({first});
    QSignalSpy spy(&zone, &DNSZone::changed);

    zone.addRecord(stored(DNSRecordType::A, "999.1.1.1"));
    QCOMPARE(zone.records().size(), 1);
    QCOMPARE(spy.count(), 0);

    const DNSRecord second = stored(DNSRecordType::MX, "mail.example.com.", "priority=10");
    zone.addRecord(second);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(zone.records().size(), 2);
    QCOMPARE(zone.records().at(0).id, first.id);
    QCOMPARE(zone.records().at(1).toJson(), second.toJson());
}

void TestValidation::zoneUpdateRecord() {
    DNSZone zone(QStringLiteral("example.com"), QString());
    const QList<DNSRecord> records = {stored(DNSRecordType::A, "10.0.0.1"),
                                      stored(DNSRecordType::A, "10.0.0.2"),
                                      stored(DNSRecordType::A, "10.0.0.3")};
    zone.setRecords(records);
    QSignalSpy spy(&zone, &DNSZone::changed);
    const auto values = [&] {
        QStringList v;
        for (const DNSRecord& r : zone.records())
            v.append(r.value);
        return v;
    };

    DNSRecord changed = records[1];
    changed.value = QStringLiteral("999.1.1.1"); // invalid: nothing happens
    zone.updateRecord(changed);
    QCOMPARE(values(), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    QCOMPARE(spy.count(), 0);

    const DNSRecord stranger = stored(DNSRecordType::A, "10.9.9.9"); // id not in the zone
    zone.updateRecord(stranger);
    QCOMPARE(values(), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    QCOMPARE(spy.count(), 0);

    changed.type = DNSRecordType::CNAME;
    changed.value = QStringLiteral("host.example.com.");
    zone.updateRecord(changed);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(values(), QStringList({"10.0.0.1", "host.example.com.", "10.0.0.3"}));
    QCOMPARE(zone.records().at(1).id, records[1].id);
    QCOMPARE(zone.records().at(1).type, DNSRecordType::CNAME);

    // With the id twice, only the first is replaced.
    zone.setRecords({records[0], records[0]});
    DNSRecord again = records[0];
    again.value = QStringLiteral("10.1.1.1");
    zone.updateRecord(again);
    QCOMPARE(values(), QStringList({"10.1.1.1", "10.0.0.1"}));
}

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
