// Zone files written by Korvi, judged by BIND's own zone checker: zones that
// together use all twelve record types load with exactly the records Korvi
// holds; and hostile record data never turns into more records, a directive
// or a parenthesised group.
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// A record and its data as named-checkzone prints it.
struct ExpectedRecord {
    DNSRecord record;
    QString data;
};
using Expected = QList<ExpectedRecord>;

const QString sha1 = u"123456789abcdef67890123456789abcdef67890"_s;
const QString sha256 = u"302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd"_s;
const QString sha256Read = sha256.left(56).toUpper() + u' ' + sha256.mid(56).toUpper();
const QString injectedAddress = u"203.0.113.66"_s;

// "owner TYPE value" ("@": the apex), the record's options, its data as read.
ExpectedRecord r(const QString& spec, const char* options, const QString& data, qint64 ttl = 3600) {
    const QString owner = spec.section(u' ', 0, 0);
    return {DNSRecord(owner == u"@"_s ? QString() : owner,
                      *recordTypeFromRawValue(spec.section(u' ', 1, 1)), spec.section(u' ', 2), ttl,
                      opts(QString::fromLatin1(options))),
            data};
}

SOARecord soaFor(const QString& zone) {
    return SOARecord{u"ns1.%1."_s.arg(zone), u"hostmaster.%1."_s.arg(zone), 2025030501};
}

// A valid value of each type, to which a hostile payload is appended.
QString baseValue(DNSRecordType type) {
    static const QStringList values = {
        "192.0.2.10",
        "2001:db8::10",
        "ca.example.net",
        "www.example.com.",
        "mail.example.com.",
        "ns1.example.com.",
        "host.example.com.",
        "ns1.example.com. admin.example.com. 1 3600 1800 1209600 86400",
        "sip.example.com.",
        sha1,
        sha256,
        "\"v=spf1 -all\""};
    return values.at(allRecordTypes().indexOf(type));
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestZoneFileBind : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed in /usr/bin");
        QVERIFY(m_dir.isValid());
    }

    // Service labels and absent fields pass BIND but not the validator.
    void zonesLoadInBind_data() {
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<bool>("withSOA");
        QTest::addColumn<bool>("validated");
        QTest::addColumn<Expected>("records");
        QSet<DNSRecordType> types;
        const auto zone = [&types](const char* tag, const char* name, bool soa, bool validated,
                                   const Expected& records) {
            for (const ExpectedRecord& e : records)
                types.insert(e.record.type);
            QTest::newRow(tag) << QString::fromLatin1(name) << soa << validated << records;
        };
        // Every type but PTR and SOA, with in-zone targets so that integrity checks run.
        zone("forward zone", "example.com", true, true,
             {r("@ NS ns1.example.com.", "", "ns1.example.com.", 86400),
              r("@ NS ns2", "", "ns2.example.com.", 86400),
              r("ns1 A 192.0.2.1", "", "192.0.2.1"),
              r("ns2 A 192.0.2.2", "", "192.0.2.2"),
              r("www A 192.0.2.10", "", "192.0.2.10", 300),
              r("mail A 192.0.2.25", "", "192.0.2.25"),
              r("sip A 192.0.2.50", "", "192.0.2.50"),
              r("@ AAAA 2001:db8::1", "", "2001:db8::1"),
              r("@ CAA ca.example.net", "flag=0 tag=issue", "0 issue \"ca.example.net\""),
              r("@ CAA ;", "flag=0 tag=issuewild", "0 issuewild \";\""),
              r("@ CAA mailto:s@example.com", "flag=128 tag=iodef",
                "128 iodef \"mailto:s@example.com\""),
              r("@ CAA ca.example.net; validationmethods=dns-01", "flag=0 tag=issue",
                "0 issue \"ca.example.net; validationmethods=dns-01\""),
              r("alias CNAME www.example.com.", "", "www.example.com."),
              r("ftp CNAME www", "", "www.example.com."),
              r("@ MX mail.example.com.", "priority=10", "10 mail.example.com."),
              r("@ MX mail", "priority=20", "20 mail.example.com."),
              r("sub NS ns1.example.com.", "", "ns1.example.com."),
              r("_sip._tcp SRV sip.example.com.", "priority=10 weight=60 port=5060",
                "10 60 5060 sip.example.com."),
              r("sip.udp SRV sip", "priority=0 weight=0 port=1", "0 0 1 sip.example.com."),
              r("host SSHFP " + sha1, "algorithm=1 digestType=1", "1 1 " + sha1.toUpper()),
              r("host SSHFP " + sha256, "algorithm=4 digestType=2", "4 2 " + sha256Read),
              r("_443._tcp.www TLSA " + sha256, "digestType=1 usage=3 selector=1",
                "3 1 1 " + sha256Read),
              r("@ TXT \"v=spf1 include:_spf.example.net ~all\"", "",
                "\"v=spf1 include:_spf.example.net ~all\""),
              r("_dmarc TXT \"v=DMARC1; p=none; rua=mailto:d@example.com\"", "",
                "\"v=DMARC1; p=none; rua=mailto:d@example.com\""),
              r("multi TXT \"part one\" \"part two\"", "", "\"part one\" \"part two\""),
              r("plain TXT hello", "", "\"hello\"")});
        zone("reverse zone", "2.0.192.in-addr.arpa", true, true,
             {r("@ NS ns1.2.0.192.in-addr.arpa.", "", "ns1.2.0.192.in-addr.arpa.", 86400),
              r("ns1 A 192.0.2.1", "", "192.0.2.1"),
              r("10 PTR www.example.com.", "", "www.example.com.")});
        // The zone's only SOA is an SOA-typed record.
        const QString soa =
            u"ns1.example.org. hostmaster.example.org. 2025030501 7200 900 604800 300"_s;
        zone("SOA-typed record", "example.org", false, true,
             {r("@ SOA " + soa, "", soa), r("@ NS ns1", "", "ns1.example.org."),
              r("ns1 A 192.0.2.1", "", "192.0.2.1")});
        // Absent fields are written with the type's defaults, which BIND accepts.
        zone("type defaults", "example.net", true, false,
             {r("@ NS ns1", "", "ns1.example.net."), r("ns1 A 192.0.2.1", "", "192.0.2.1"),
              r("@ MX ns1", "", "10 ns1.example.net."),
              r("_x._tcp SRV ns1", "", "10 5 80 ns1.example.net."),
              r("@ CAA ca.example.net", "", "0 issue \"ca.example.net\""),
              r("ns1 SSHFP " + sha1, "", "1 1 " + sha1.toUpper()),
              r("_443._tcp TLSA " + sha256, "", "3 1 1 " + sha256Read)});
        QCOMPARE(types.size(), allRecordTypes().size());
    }
    void zonesLoadInBind() {
        QFETCH(QString, zoneName);
        QFETCH(bool, withSOA);
        QFETCH(bool, validated);
        QFETCH(Expected, records);
        DNSZone zone(zoneName, {});
        QStringList expected;
        if (withSOA) {
            const SOARecord soa = soaFor(zoneName);
            zone.setSoaRecord(soa);
            expected.append(u"%1. %2 IN SOA %3 %4 %5 %6 %7 %8 %2"_s.arg(zoneName)
                                .arg(soa.minimum)
                                .arg(soa.primaryNameServer, soa.adminEmail)
                                .arg(soa.serial)
                                .arg(soa.refresh)
                                .arg(soa.retry)
                                .arg(soa.expire));
        }
        QList<DNSRecord> list;
        for (const ExpectedRecord& e : records) {
            const auto check = validateRecord(e.record);
            if (validated && !e.record.name.contains(u'_'))
                QVERIFY2(check.isValid, qPrintable(check.errors.join(u'\n')));
            list.append(e.record);
            const QString owner =
                e.record.name.isEmpty() ? zoneName : e.record.name + u'.' + zoneName;
            expected.append(u"%1. %2 IN %3 %4"_s.arg(owner)
                                .arg(e.record.ttl)
                                .arg(rawValue(e.record.type), e.data));
        }
        zone.setRecords(list);
        const QString path = m_dir.filePath(u"db."_s + zoneName);
        QVERIFY(writeTextFile(path, zone.zoneFileText()));
        const ProgramResult check = checkZone(zoneName, path);
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        const ProgramResult dump = runProgram(checkZoneProgram, dumpZoneArguments(zoneName, path));
        QVERIFY2(dump.ok(), qPrintable(dump.describe()));
        QStringList dumped = dumpedRecords(dump.output);
        dumped.sort();
        expected.sort();
        QCOMPARE(dumped, expected);
    }

    // Hostile data: BIND refuses or reads just Korvi's records; no "$" line, no injection.
    void hostileCorpusCannotInject() {
        const QString evil = u"evil 3600 IN A "_s + injectedAddress;
        struct Payload {
            QString label, text;
            bool fitsOneString; // short enough for one TXT string and one label
            bool bind = true;   // Unicode line separators matter to Korvi's reader only
        };
        const Payload payloads[] = {
            {"line feed", "\n" + evil, true},
            {"carriage return", "\r" + evil, true},
            {"CRLF", "\r\n" + evil, true},
            {"include", "\n$INCLUDE /etc/passwd", true},
            {"generate", "\n$GENERATE 1-100 evil$ 3600 IN A 203.0.113.$", true},
            {"quote", "\"", true},
            {"quoted line feed", "\" \n" + evil + " \"", true},
            {"backslash", "\\", true},
            {"backslash line feed", "\\\n" + evil, true},
            {"semicolon", "; evil", true},
            {"open parenthesis", "( \n" + evil, true},
            {"close parenthesis", ") " + evil, true},
            {"at", "@", true},
            {"NUL", QString(QChar(0)) + "evil", true},
            {"tab", "\t" + QString(evil).replace(u' ', u'\t'), true},
            {"line separator", QString(QChar(0x2028)) + evil, true, false},
            {"next line", QString(QChar(0x85)) + evil, true, false},
            {"paragraph separator", QString(QChar(0x2029)) + evil, true, false},
            {"very long", QString(5000, u'a'), false},
            {"very long words", u"word "_s.repeated(1000) + "\n" + evil, false}};
        struct Case {
            QString label;
            SOARecord soa;
            QList<DNSRecord> records;
            bool mustLoad;
            bool bind;
        };
        QList<Case> cases;
        const auto add = [&cases](const QString& label, const DNSRecord& hostile, bool mustLoad,
                                  bool bind, const SOARecord& soa = standardSOA()) {
            cases.append({label,
                          soa,
                          {rawRecord({}, DNSRecordType::NS, u"ns1.example.com."_s),
                           rawRecord(u"ns1"_s, DNSRecordType::A, u"192.0.2.1"_s), hostile},
                          mustLoad,
                          bind});
        };
        for (const Payload& p : payloads) {
            for (const DNSRecordType type : allRecordTypes()) {
                // Text-like values must load whenever their strings fit.
                const bool text = type == DNSRecordType::TXT || type == DNSRecordType::CAA;
                add(rawValue(type) + " value + " + p.label,
                    rawRecord(u"host"_s, type, baseValue(type) + p.text), text && p.fitsOneString,
                    p.bind);
                if (text || type == DNSRecordType::SOA)
                    add(rawValue(type) + " value is " + p.label, rawRecord(u"host"_s, type, p.text),
                        text && p.fitsOneString, p.bind);
            }
            add("name + " + p.label, rawRecord("host" + p.text, DNSRecordType::A, "192.0.2.99"),
                p.fitsOneString, p.bind);
            add("name is " + p.label, rawRecord(p.text, DNSRecordType::TXT, "x"), p.fitsOneString,
                p.bind);
            DNSRecord caa = rawRecord(u"host"_s, DNSRecordType::CAA, u"ca.example.net"_s);
            caa.tag = u"issue"_s + p.text;
            add("CAA tag + " + p.label, caa, false, p.bind);
            const DNSRecord plain = rawRecord(u"www"_s, DNSRecordType::A, u"192.0.2.10"_s);
            SOARecord soa = standardSOA();
            soa.primaryNameServer = "ns1" + p.text + ".example.com.";
            add("SOA primary + " + p.label, plain, p.fitsOneString, p.bind, soa);
            soa = standardSOA();
            soa.adminEmail = p.text + "admin.example.com.";
            add("SOA admin + " + p.label, plain, p.fitsOneString, p.bind, soa);
        }

        // Write every zone, and check what does not need BIND.
        const QString zoneName = u"example.com"_s;
        QStringList paths;
        QList<qsizetype> judged;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const Case& c = cases.at(i);
            DNSZone zone(zoneName, {});
            zone.setSoaRecord(c.soa);
            zone.setRecords(c.records);
            const QString text = zone.zoneFileText();
            for (const QString& line : text.split(u'\n'))
                QVERIFY2(!line.startsWith(u'$'), qPrintable(c.label + ": " + line));
            DNSZone back(zoneName, {});
            back.loadZoneFile(text);
            QVERIFY2(back.records().size() <= c.records.size(), qPrintable(c.label));
            for (const DNSRecord& record : back.records())
                QVERIFY2(record.value != injectedAddress, qPrintable(c.label));
            paths.append(m_dir.filePath(u"case%1.zone"_s.arg(i)));
            QVERIFY(writeTextFile(paths.last(), text));
            if (c.bind)
                judged.append(i);
        }

        // Let BIND judge them, a few checkers at a time.
        int loaded = 0;
        for (qsizetype first = 0; first < judged.size(); first += 4) {
            const QList<qsizetype> batch = judged.mid(first, 4);
            std::vector<std::unique_ptr<QProcess>> running;
            for (const qsizetype i : batch)
                running.push_back(
                    startProgram(checkZoneProgram, dumpZoneArguments(zoneName, paths.at(i))));
            for (qsizetype k = 0; k < batch.size(); ++k) {
                const Case& c = cases.at(batch.at(k));
                const ProgramResult result = finishProgram(*running.at(k));
                QVERIFY2(result.finished, qPrintable(c.label));
                if (c.mustLoad)
                    QVERIFY2(result.ok(), qPrintable(c.label + "\n" + result.describe()));
                if (!result.ok())
                    continue;
                ++loaded;
                const QStringList records = dumpedRecords(result.output);
                QVERIFY2(records.size() == c.records.size() + 1,
                         qPrintable(c.label + "\n" + result.output));
                // The injected A record, rather than the same text inside some record's data.
                for (const QString& record : records)
                    QVERIFY2(!record.endsWith(u" IN A "_s + injectedAddress),
                             qPrintable(c.label + "\n" + result.output));
            }
        }
        qInfo(
            "%d hostile zones written; BIND judged %d and loaded %d with exactly their own records",
            int(cases.size()), int(judged.size()), loaded);
    }
};

QTEST_GUILESS_MAIN(TestZoneFileBind)
#include "tst_zonefile_bind.moc"
