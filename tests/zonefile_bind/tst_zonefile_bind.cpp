// Zone files written by Korvi, judged by BIND's own zone checker: valid
// zones that together use all twelve record types must load, and BIND must
// read exactly the records Korvi holds, with the same data.

#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include "BindCheckers.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::test;

namespace {

struct ExpectedRecord {
    DNSRecord record;
    QString asBindReadsIt; // owner, TTL, class, type and data as named-checkzone prints them
};

struct ZoneCase {
    const char* row;
    QString zoneName;
    bool withSOA;
    // Whether every record passes the validator. Rows that leave required
    // fields absent, and records with service labels ("_sip._tcp", which
    // BIND accepts and the validator does not), are not validated.
    bool validated;
    QList<ExpectedRecord> records;
};

// Collapses runs of white space so that the checker's column layout does
// not matter.
QString normalised(const QString& line) {
    return line.simplified();
}

SOARecord soaFor(const QString& zone) {
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.%1.").arg(zone);
    soa.adminEmail = QStringLiteral("hostmaster.%1.").arg(zone);
    soa.serial = 2025030501;
    return soa;
}

QString soaAsRead(const QString& zone, const SOARecord& soa) {
    return QStringLiteral("%1. %2 IN SOA %3 %4 %5 %6 %7 %8 %2")
        .arg(zone)
        .arg(soa.minimum)
        .arg(soa.primaryNameServer, soa.adminEmail)
        .arg(soa.serial)
        .arg(soa.refresh)
        .arg(soa.retry)
        .arg(soa.expire);
}

RecordOptions options(std::initializer_list<std::pair<RecordField, qint64>> numbers,
                      const QString& tag = {}) {
    RecordOptions o;
    for (const auto& [field, value] : numbers) {
        switch (field) {
        case RecordField::priority:
            o.priority = value;
            break;
        case RecordField::weight:
            o.weight = value;
            break;
        case RecordField::port:
            o.port = value;
            break;
        case RecordField::flag:
            o.flag = value;
            break;
        case RecordField::algorithm:
            o.algorithm = value;
            break;
        case RecordField::digestType:
            o.digestType = value;
            break;
        case RecordField::usage:
            o.usage = value;
            break;
        case RecordField::selector:
            o.selector = value;
            break;
        case RecordField::tag:
            break;
        }
    }
    if (!tag.isEmpty())
        o.tag = tag;
    return o;
}

const QString sha1 = QStringLiteral("123456789abcdef67890123456789abcdef67890");
const QString sha256 =
    QStringLiteral("302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd");

} // namespace

class TestZoneFileBind : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void zonesUseAllTwelveTypes();
    void zonesLoadInBind_data();
    void zonesLoadInBind();

private:
    QTemporaryDir m_dir;
};

void TestZoneFileBind::initTestCase() {
    if (!bindCheckersInstalled())
        QSKIP("BIND's checkers are not installed in /usr/bin");
    QVERIFY(m_dir.isValid());
}

static QList<ZoneCase> zoneCases() {
    using F = RecordField;
    using T = DNSRecordType;
    const auto r = [](const QString& name, T type, const QString& value, qint64 ttl,
                      const RecordOptions& o, const QString& asRead) {
        return ExpectedRecord{DNSRecord(name, type, value, ttl, o), asRead};
    };
    const RecordOptions none;

    // Forward zone: every type but PTR and SOA, in-zone targets with
    // addresses so that the checker's integrity checks run on real data.
    const QString com = QStringLiteral("example.com");
    QList<ExpectedRecord> forward{
        r("", T::NS, "ns1.example.com.", 86400, none, "example.com. 86400 IN NS ns1.example.com."),
        r("", T::NS, "ns2", 86400, none, "example.com. 86400 IN NS ns2.example.com."),
        r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.com. 3600 IN A 192.0.2.1"),
        r("ns2", T::A, "192.0.2.2", 3600, none, "ns2.example.com. 3600 IN A 192.0.2.2"),
        r("www", T::A, "192.0.2.10", 300, none, "www.example.com. 300 IN A 192.0.2.10"),
        r("mail", T::A, "192.0.2.25", 3600, none, "mail.example.com. 3600 IN A 192.0.2.25"),
        r("sip", T::A, "192.0.2.50", 3600, none, "sip.example.com. 3600 IN A 192.0.2.50"),
        r("", T::AAAA, "2001:db8::1", 3600, none, "example.com. 3600 IN AAAA 2001:db8::1"),
        r("www", T::AAAA, "2001:db8::10", 300, none, "www.example.com. 300 IN AAAA 2001:db8::10"),
        r("", T::CAA, "ca.example.net", 3600, options({{F::flag, 0}}, "issue"),
          "example.com. 3600 IN CAA 0 issue \"ca.example.net\""),
        r("", T::CAA, ";", 3600, options({{F::flag, 0}}, "issuewild"),
          "example.com. 3600 IN CAA 0 issuewild \";\""),
        r("", T::CAA, "mailto:security@example.com", 3600, options({{F::flag, 128}}, "iodef"),
          "example.com. 3600 IN CAA 128 iodef \"mailto:security@example.com\""),
        r("", T::CAA, "ca.example.net; validationmethods=dns-01", 3600,
          options({{F::flag, 0}}, "issue"),
          "example.com. 3600 IN CAA 0 issue \"ca.example.net; validationmethods=dns-01\""),
        r("alias", T::CNAME, "www.example.com.", 3600, none,
          "alias.example.com. 3600 IN CNAME www.example.com."),
        r("ftp", T::CNAME, "www", 3600, none, "ftp.example.com. 3600 IN CNAME www.example.com."),
        r("", T::MX, "mail.example.com.", 3600, options({{F::priority, 10}}),
          "example.com. 3600 IN MX 10 mail.example.com."),
        r("", T::MX, "mail", 3600, options({{F::priority, 20}}),
          "example.com. 3600 IN MX 20 mail.example.com."),
        r("sub", T::NS, "ns1.example.com.", 3600, none,
          "sub.example.com. 3600 IN NS ns1.example.com."),
        r("_sip._tcp", T::SRV, "sip.example.com.", 3600,
          options({{F::priority, 10}, {F::weight, 60}, {F::port, 5060}}),
          "_sip._tcp.example.com. 3600 IN SRV 10 60 5060 sip.example.com."),
        r("sip.udp", T::SRV, "sip", 3600, options({{F::priority, 0}, {F::weight, 0}, {F::port, 1}}),
          "sip.udp.example.com. 3600 IN SRV 0 0 1 sip.example.com."),
        r("host", T::SSHFP, sha1, 3600, options({{F::algorithm, 1}, {F::digestType, 1}}),
          "host.example.com. 3600 IN SSHFP 1 1 " + sha1.toUpper()),
        r("host", T::SSHFP, sha256, 3600, options({{F::algorithm, 4}, {F::digestType, 2}}),
          "host.example.com. 3600 IN SSHFP 4 2 " + sha256.left(56).toUpper() + " " +
              sha256.mid(56).toUpper()),
        r("_443._tcp.www", T::TLSA, sha256, 3600,
          options({{F::usage, 3}, {F::selector, 1}, {F::digestType, 1}}),
          "_443._tcp.www.example.com. 3600 IN TLSA 3 1 1 " + sha256.left(56).toUpper() + " " +
              sha256.mid(56).toUpper()),
        r("", T::TXT, "\"v=spf1 include:_spf.example.net ~all\"", 3600, none,
          "example.com. 3600 IN TXT \"v=spf1 include:_spf.example.net ~all\""),
        r("_dmarc", T::TXT, "\"v=DMARC1; p=none; rua=mailto:d@example.com\"", 3600, none,
          "_dmarc.example.com. 3600 IN TXT \"v=DMARC1; p=none; rua=mailto:d@example.com\""),
        r("multi", T::TXT, "\"part one\" \"part two\"", 3600, none,
          "multi.example.com. 3600 IN TXT \"part one\" \"part two\""),
        r("plain", T::TXT, "hello", 3600, none, "plain.example.com. 3600 IN TXT \"hello\""),
    };
    QList<ZoneCase> cases;
    cases.append({"forward zone", com, true, true, forward});

    // Reverse zone with pointers; its name server has an address inside it.
    const QString rev = QStringLiteral("2.0.192.in-addr.arpa");
    QList<ExpectedRecord> reverse{
        r("", T::NS, "ns1.2.0.192.in-addr.arpa.", 86400, none,
          "2.0.192.in-addr.arpa. 86400 IN NS ns1.2.0.192.in-addr.arpa."),
        r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.2.0.192.in-addr.arpa. 3600 IN A 192.0.2.1"),
        r("10", T::PTR, "www.example.com.", 3600, none,
          "10.2.0.192.in-addr.arpa. 3600 IN PTR www.example.com."),
        r("25", T::PTR, "mail.example.com.", 3600, none,
          "25.2.0.192.in-addr.arpa. 3600 IN PTR mail.example.com."),
    };
    cases.append({"reverse zone", rev, true, true, reverse});

    // A zone whose only SOA is an SOA-typed record.
    const QString org = QStringLiteral("example.org");
    QList<ExpectedRecord> soaTyped{
        r("", T::SOA, "ns1.example.org. hostmaster.example.org. 2025030501 7200 900 604800 300",
          3600, none,
          "example.org. 3600 IN SOA ns1.example.org. hostmaster.example.org. 2025030501 7200 "
          "900 604800 300"),
        r("", T::NS, "ns1", 3600, none, "example.org. 3600 IN NS ns1.example.org."),
        r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.org. 3600 IN A 192.0.2.1"),
    };
    cases.append({"SOA-typed record", org, false, true, soaTyped});

    // Fields left absent are written with the type's defaults, which BIND
    // accepts (SRV 10 5 80, CAA 0 issue, MX 10, SSHFP 1 1, TLSA 3 1 1).
    const QString net = QStringLiteral("example.net");
    QList<ExpectedRecord> defaults{
        r("", T::NS, "ns1", 3600, none, "example.net. 3600 IN NS ns1.example.net."),
        r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.net. 3600 IN A 192.0.2.1"),
        r("", T::MX, "ns1", 3600, none, "example.net. 3600 IN MX 10 ns1.example.net."),
        r("_x._tcp", T::SRV, "ns1", 3600, none,
          "_x._tcp.example.net. 3600 IN SRV 10 5 80 ns1.example.net."),
        r("", T::CAA, "ca.example.net", 3600, none,
          "example.net. 3600 IN CAA 0 issue \"ca.example.net\""),
        r("ns1", T::SSHFP, sha1, 3600, none,
          "ns1.example.net. 3600 IN SSHFP 1 1 " + sha1.toUpper()),
        r("_443._tcp", T::TLSA, sha256, 3600, none,
          "_443._tcp.example.net. 3600 IN TLSA 3 1 1 " + sha256.left(56).toUpper() + " " +
              sha256.mid(56).toUpper()),
    };
    cases.append({"type defaults", net, true, false, defaults});
    return cases;
}

void TestZoneFileBind::zonesUseAllTwelveTypes() {
    QSet<DNSRecordType> types;
    for (const ZoneCase& zoneCase : zoneCases()) {
        for (const ExpectedRecord& expected : zoneCase.records)
            types.insert(expected.record.type);
    }
    QCOMPARE(types.size(), allRecordTypes().size());
}

void TestZoneFileBind::zonesLoadInBind_data() {
    QTest::addColumn<QString>("zoneName");
    QTest::addColumn<bool>("withSOA");
    QTest::addColumn<bool>("validated");
    QTest::addColumn<QList<ExpectedRecord>>("records");
    QTest::addColumn<QStringList>("soaAsRead");
    for (const ZoneCase& zoneCase : zoneCases()) {
        const QStringList soa =
            zoneCase.withSOA ? QStringList{soaAsRead(zoneCase.zoneName, soaFor(zoneCase.zoneName))}
                             : QStringList();
        QTest::newRow(zoneCase.row) << zoneCase.zoneName << zoneCase.withSOA << zoneCase.validated
                                    << zoneCase.records << soa;
    }
}

void TestZoneFileBind::zonesLoadInBind() {
    QFETCH(QString, zoneName);
    QFETCH(bool, withSOA);
    QFETCH(QList<ExpectedRecord>, records);
    QFETCH(QStringList, soaAsRead);

    DNSZone zone(zoneName, {});
    if (withSOA)
        zone.setSoaRecord(soaFor(zoneName));
    QFETCH(bool, validated);
    QList<DNSRecord> list;
    for (const ExpectedRecord& expected : records) {
        const auto check = validateRecord(expected.record);
        if (validated && !expected.record.name.contains(u'_'))
            QVERIFY2(check.isValid, qPrintable(check.errors.join(u'\n')));
        list.append(expected.record);
    }
    zone.setRecords(list);

    const QString path = m_dir.filePath(QStringLiteral("db.") + zoneName);
    QVERIFY(writeTextFile(path, zone.zoneFileText()));

    const ProgramResult check = checkZone(zoneName, path);
    QVERIFY2(check.ok(), qPrintable(check.describe()));

    const ProgramResult dump = runProgram(checkZoneProgram, dumpZoneArguments(zoneName, path));
    QVERIFY2(dump.ok(), qPrintable(dump.describe()));
    QStringList dumped;
    for (const QString& line : dump.output.split(u'\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith(u';'))
            dumped.append(normalised(line));
    }
    QStringList expected = soaAsRead;
    for (const ExpectedRecord& record : records)
        expected.append(normalised(record.asBindReadsIt));
    dumped.sort();
    expected.sort();
    QCOMPARE(dumped, expected);
}

QTEST_GUILESS_MAIN(TestZoneFileBind)
#include "tst_zonefile_bind.moc"
