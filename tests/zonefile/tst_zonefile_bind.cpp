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

struct ExpectedRecord {
    DNSRecord record;
    QString asBindReadsIt; // owner, TTL, class, type and data as named-checkzone prints them
};
using Expected = QList<ExpectedRecord>;

const QString sha1 = u"123456789abcdef67890123456789abcdef67890"_s;
const QString sha256 = u"302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd"_s;
const QString sha256Read = sha256.left(56).toUpper() + u' ' + sha256.mid(56).toUpper();
const QString injectedAddress = u"203.0.113.66"_s;

ExpectedRecord r(const QString& name, DNSRecordType type, const QString& value, qint64 ttl,
                 const RecordOptions& o, const QString& asRead) {
    return {DNSRecord(name, type, value, ttl, o), asRead};
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

    // Rows that leave required fields absent, and records with service labels
    // ("_sip._tcp", which BIND accepts and the validator does not), are not validated.
    void zonesLoadInBind_data() {
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<bool>("withSOA");
        QTest::addColumn<bool>("validated");
        QTest::addColumn<Expected>("records");
        using T = DNSRecordType;
        const RecordOptions none;
        QSet<DNSRecordType> types;
        const auto zone = [&types](const char* tag, const char* name, bool soa, bool validated,
                                   const Expected& records) {
            for (const ExpectedRecord& e : records)
                types.insert(e.record.type);
            QTest::newRow(tag) << QString::fromLatin1(name) << soa << validated << records;
        };
        // Every type but PTR and SOA, in-zone targets with addresses so that
        // the checker's integrity checks run on real data.
        zone("forward zone", "example.com", true, true,
             {r("", T::NS, "ns1.example.com.", 86400, none,
                "example.com. 86400 IN NS ns1.example.com."),
              r("", T::NS, "ns2", 86400, none, "example.com. 86400 IN NS ns2.example.com."),
              r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.com. 3600 IN A 192.0.2.1"),
              r("ns2", T::A, "192.0.2.2", 3600, none, "ns2.example.com. 3600 IN A 192.0.2.2"),
              r("www", T::A, "192.0.2.10", 300, none, "www.example.com. 300 IN A 192.0.2.10"),
              r("mail", T::A, "192.0.2.25", 3600, none, "mail.example.com. 3600 IN A 192.0.2.25"),
              r("sip", T::A, "192.0.2.50", 3600, none, "sip.example.com. 3600 IN A 192.0.2.50"),
              r("", T::AAAA, "2001:db8::1", 3600, none, "example.com. 3600 IN AAAA 2001:db8::1"),
              r("", T::CAA, "ca.example.net", 3600, opts("flag=0 tag=issue"),
                "example.com. 3600 IN CAA 0 issue \"ca.example.net\""),
              r("", T::CAA, ";", 3600, opts("flag=0 tag=issuewild"),
                "example.com. 3600 IN CAA 0 issuewild \";\""),
              r("", T::CAA, "mailto:security@example.com", 3600, opts("flag=128 tag=iodef"),
                "example.com. 3600 IN CAA 128 iodef \"mailto:security@example.com\""),
              r("", T::CAA, "ca.example.net; validationmethods=dns-01", 3600,
                opts("flag=0 tag=issue"),
                "example.com. 3600 IN CAA 0 issue \"ca.example.net; validationmethods=dns-01\""),
              r("alias", T::CNAME, "www.example.com.", 3600, none,
                "alias.example.com. 3600 IN CNAME www.example.com."),
              r("ftp", T::CNAME, "www", 3600, none,
                "ftp.example.com. 3600 IN CNAME www.example.com."),
              r("", T::MX, "mail.example.com.", 3600, opts("priority=10"),
                "example.com. 3600 IN MX 10 mail.example.com."),
              r("", T::MX, "mail", 3600, opts("priority=20"),
                "example.com. 3600 IN MX 20 mail.example.com."),
              r("sub", T::NS, "ns1.example.com.", 3600, none,
                "sub.example.com. 3600 IN NS ns1.example.com."),
              r("_sip._tcp", T::SRV, "sip.example.com.", 3600,
                opts("priority=10 weight=60 port=5060"),
                "_sip._tcp.example.com. 3600 IN SRV 10 60 5060 sip.example.com."),
              r("sip.udp", T::SRV, "sip", 3600, opts("priority=0 weight=0 port=1"),
                "sip.udp.example.com. 3600 IN SRV 0 0 1 sip.example.com."),
              r("host", T::SSHFP, sha1, 3600, opts("algorithm=1 digestType=1"),
                "host.example.com. 3600 IN SSHFP 1 1 " + sha1.toUpper()),
              r("host", T::SSHFP, sha256, 3600, opts("algorithm=4 digestType=2"),
                "host.example.com. 3600 IN SSHFP 4 2 " + sha256Read),
              r("_443._tcp.www", T::TLSA, sha256, 3600, opts("digestType=1 usage=3 selector=1"),
                "_443._tcp.www.example.com. 3600 IN TLSA 3 1 1 " + sha256Read),
              r("", T::TXT, "\"v=spf1 include:_spf.example.net ~all\"", 3600, none,
                "example.com. 3600 IN TXT \"v=spf1 include:_spf.example.net ~all\""),
              r("_dmarc", T::TXT, "\"v=DMARC1; p=none; rua=mailto:d@example.com\"", 3600, none,
                "_dmarc.example.com. 3600 IN TXT \"v=DMARC1; p=none; rua=mailto:d@example.com\""),
              r("multi", T::TXT, "\"part one\" \"part two\"", 3600, none,
                "multi.example.com. 3600 IN TXT \"part one\" \"part two\""),
              r("plain", T::TXT, "hello", 3600, none, "plain.example.com. 3600 IN TXT \"hello\"")});
        zone("reverse zone", "2.0.192.in-addr.arpa", true, true,
             {r("", T::NS, "ns1.2.0.192.in-addr.arpa.", 86400, none,
                "2.0.192.in-addr.arpa. 86400 IN NS ns1.2.0.192.in-addr.arpa."),
              r("ns1", T::A, "192.0.2.1", 3600, none,
                "ns1.2.0.192.in-addr.arpa. 3600 IN A 192.0.2.1"),
              r("10", T::PTR, "www.example.com.", 3600, none,
                "10.2.0.192.in-addr.arpa. 3600 IN PTR www.example.com.")});
        // The zone's only SOA is an SOA-typed record.
        zone("SOA-typed record", "example.org", false, true,
             {r("", T::SOA,
                "ns1.example.org. hostmaster.example.org. 2025030501 7200 900 604800 300", 3600,
                none,
                "example.org. 3600 IN SOA ns1.example.org. hostmaster.example.org. 2025030501 "
                "7200 900 604800 300"),
              r("", T::NS, "ns1", 3600, none, "example.org. 3600 IN NS ns1.example.org."),
              r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.org. 3600 IN A 192.0.2.1")});
        // Absent fields are written with the type's defaults, which BIND accepts.
        zone("type defaults", "example.net", true, false,
             {r("", T::NS, "ns1", 3600, none, "example.net. 3600 IN NS ns1.example.net."),
              r("ns1", T::A, "192.0.2.1", 3600, none, "ns1.example.net. 3600 IN A 192.0.2.1"),
              r("", T::MX, "ns1", 3600, none, "example.net. 3600 IN MX 10 ns1.example.net."),
              r("_x._tcp", T::SRV, "ns1", 3600, none,
                "_x._tcp.example.net. 3600 IN SRV 10 5 80 ns1.example.net."),
              r("", T::CAA, "ca.example.net", 3600, none,
                "example.net. 3600 IN CAA 0 issue \"ca.example.net\""),
              r("ns1", T::SSHFP, sha1, 3600, none,
                "ns1.example.net. 3600 IN SSHFP 1 1 " + sha1.toUpper()),
              r("_443._tcp", T::TLSA, sha256, 3600, none,
                "_443._tcp.example.net. 3600 IN TLSA 3 1 1 " + sha256Read)});
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
            expected.append(e.asBindReadsIt.simplified());
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

    // Every zone of the corpus holds one hostile field. BIND either refuses
    // the file or reads exactly the records Korvi holds plus the SOA; no line
    // begins with "$", and Korvi's own reader finds no injected record either.
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
