// What a record form shows and saves: targets completed in the zone, the values a new record
// starts with, the data preview, TXT strings, and the checks that need the zone.
#include <QtTest>

#include "BindCheckers.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

const QString sha256Hex = u"302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd"_s;

DNSRecord stored(DNSRecordType type, const QString& value, const QString& options = {},
                 const QString& name = u"x"_s) {
    DNSRecord r = rawRecord(name, type, value);
    static_cast<RecordOptions&>(r) = opts(options);
    return r;
}

// The character-strings of TXT data in presentation form, unescaped to their bytes; nothing
// when the data is not a sequence of quoted strings.
std::optional<QList<QByteArray>> characterStrings(const QString& data) {
    const QByteArray in = data.toUtf8();
    QList<QByteArray> strings;
    qsizetype i = 0;
    while (i < in.size()) {
        if (in[i] == ' ') {
            ++i;
            continue;
        }
        if (in[i] != '"')
            return std::nullopt;
        QByteArray s;
        ++i;
        while (i < in.size() && in[i] != '"') {
            if (in[i] == '\\' && i + 3 < in.size() && std::isdigit(uchar(in[i + 1]))) {
                s.append(char(in.mid(i + 1, 3).toInt()));
                i += 4;
            } else if (in[i] == '\\' && i + 1 < in.size()) {
                s.append(in[i + 1]);
                i += 2;
            } else {
                s.append(in[i++]);
            }
        }
        if (i >= in.size())
            return std::nullopt;
        ++i;
        strings.append(s);
    }
    return strings;
}

QString describe(const RecordOptions& o) {
    QStringList parts;
    const std::pair<const char*, std::optional<qint64>> numbers[] = {
        {"priority", o.priority}, {"weight", o.weight},       {"port", o.port},
        {"flag", o.flag},         {"algorithm", o.algorithm}, {"digestType", o.digestType},
        {"usage", o.usage},       {"selector", o.selector}};
    for (const auto& [key, number] : numbers) {
        if (number)
            parts.append(u"%1=%2"_s.arg(QLatin1String(key)).arg(*number));
    }
    if (o.tag)
        parts.append(u"tag="_s + *o.tag);
    return parts.join(u' ');
}

} // namespace

class TestRecordValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void absoluteTarget_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("expected");
        // "typed|zone|expected"
        const QStringList rows = {
            u"www|example.com|www.example.com."_s,
            u"www|example.com.|www.example.com."_s,
            u"sub.www|example.com|sub.www.example.com."_s,
            u" \tmail\n|example.com|mail.example.com."_s,
            u"@|example.com|example.com."_s,
            u" @ |example.com.|example.com."_s,
            u"www.other.net.|example.com|www.other.net."_s,
            u".|example.com|."_s,
            u"||"_s,
            u" |example.com|"_s,
            u"www||www."_s,
            u"www|.|www."_s,
            u"@||."_s,
            u"a\\.|example.com|a\\..example.com."_s,
            u"a\\\\.|example.com|a\\\\."_s,
            u"10|2.0.192.in-addr.arpa|10.2.0.192.in-addr.arpa."_s,
        };
        for (const QString& row : rows) {
            const QStringList f = row.split(u'|');
            QTest::newRow(qPrintable(row)) << f[0] << f[1] << f[2];
        }
    }
    void absoluteTarget() {
        QFETCH(QString, typed);
        QFETCH(QString, zone);
        QFETCH(QString, expected);
        QCOMPARE(korvi::absoluteTarget(typed, zone), expected);
    }

    // What the form saves: targets absolute in the zone, every value cleaned by its type.
    void completedRecordValue_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const QStringList rows = {
            u"CNAME|www|www.example.com."_s,
            u"CNAME|@|example.com."_s,
            u"CNAME|_acme-challenge.other.net.|_acme-challenge.other.net."_s,
            u"MX| mail |mail.example.com."_s,
            u"MX|.|."_s,
            u"NS|ns 1;|ns1.example.com."_s,
            u"PTR|host.example.com.|host.example.com."_s,
            u"SRV|sip|sip.example.com."_s,
            u"CNAME||"_s,
            u"A| 192.0.2.1 |192.0.2.1"_s,
            u"TXT| www |www"_s,
            u"TXT| v=spf1 -all |v=spf1 -all"_s,
            u"SSHFP| aa:BB cc\t|aaBBcc"_s,
            u"TLSA|30 20 17|302017"_s,
            u"CAA| letsencrypt.org |letsencrypt.org"_s,
        };
        for (const QString& row : rows) {
            const QStringList f = row.split(u'|');
            QTest::newRow(qPrintable(row)) << f[0] << f[1] << f[2];
        }
    }
    void completedRecordValue() {
        QFETCH(QString, type);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(
            korvi::completedRecordValue(typed, *recordTypeFromRawValue(type), u"example.com"_s),
            expected);
    }

    // The values a new record starts with are real values, and only the type's own fields.
    void defaults_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");
        const QStringList rows = {
            u"A|"_s,
            u"AAAA|"_s,
            u"CAA|flag=0 tag=issue"_s,
            u"CNAME|"_s,
            u"MX|priority=10"_s,
            u"NS|"_s,
            u"PTR|"_s,
            u"SRV|priority=10 weight=5 port=80"_s,
            u"SSHFP|algorithm=4 digestType=2"_s,
            u"TLSA|digestType=1 usage=3 selector=1"_s,
            u"TXT|"_s,
        };
        for (const QString& row : rows) {
            const QStringList f = row.split(u'|');
            QTest::newRow(qPrintable(row)) << f[0] << f[1];
        }
    }
    void defaults() {
        QFETCH(QString, type);
        QFETCH(QString, expected);
        const DNSRecordType t = *recordTypeFromRawValue(type);
        QCOMPARE(describe(defaultRecordOptions(t)), expected);
        // A new record of these defaults and the type's example value is valid.
        const DNSRecord record(
            u"new"_s, t, korvi::completedRecordValue(valuePlaceholder(t), t, u"example.com"_s),
            3600, defaultRecordOptions(t));
        const ValidationResult result = validateRecord(record, u"example.com"_s);
        QVERIFY2(result.isValid, qPrintable(result.errors.join(u"; "_s)));
    }

    // The type picker offers every type but SOA, in the table's order.
    void editableTypes() {
        QList<DNSRecordType> expected = allRecordTypes();
        expected.removeOne(DNSRecordType::SOA);
        QCOMPARE(editableRecordTypes(), expected);
        QVERIFY(!editableRecordTypes().contains(DNSRecordType::SOA));
        QCOMPARE(editableRecordTypes().size(), 11);
    }

    // The preview shows the data exactly as the zone's file holds it.
    void presentationData_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const DNSRecord& r, const QString& expected) {
            QTest::newRow(tag) << r << expected;
        };
        row("A", stored(DNSRecordType::A, u"192.0.2.1"_s), u"192.0.2.1"_s);
        row("MX relative", stored(DNSRecordType::MX, u"mail"_s, u"priority=20"_s),
            u"20 mail.example.com."_s);
        row("MX default priority", stored(DNSRecordType::MX, u"mail.other.net."_s),
            u"10 mail.other.net."_s);
        row("MX null", stored(DNSRecordType::MX, u"."_s, u"priority=0"_s), u"0 ."_s);
        row("CNAME apex", stored(DNSRecordType::CNAME, u"@"_s), u"example.com."_s);
        row("NS escaped dot kept", stored(DNSRecordType::NS, u"a\\.b"_s), u"a\\.b.example.com."_s);
        row("SRV", stored(DNSRecordType::SRV, u"sip"_s, u"priority=10 weight=5 port=80"_s),
            u"10 5 80 sip.example.com."_s);
        row("CAA", stored(DNSRecordType::CAA, u"letsencrypt.org"_s, u"flag=0 tag=issue"_s),
            u"0 issue \"letsencrypt.org\""_s);
        row("SSHFP", stored(DNSRecordType::SSHFP, sha256Hex, u"algorithm=4 digestType=2"_s),
            u"4 2 "_s + sha256Hex);
        row("TLSA", stored(DNSRecordType::TLSA, sha256Hex, u"usage=3 selector=1 digestType=1"_s),
            u"3 1 1 "_s + sha256Hex);
        row("TXT typed", stored(DNSRecordType::TXT, u"v=spf1 include:_spf.example.com -all"_s),
            u"\"v=spf1 include:_spf.example.com -all\""_s);
        row("TXT quoted strings", stored(DNSRecordType::TXT, u"\"a b\" \"c\""_s),
            u"\"a b\" \"c\""_s);
        row("TXT quote and backslash", stored(DNSRecordType::TXT, u"say \"hi\" \\o/"_s),
            u"\"say \\\"hi\\\" \\\\o/\""_s);
        row("TXT 300 bytes", stored(DNSRecordType::TXT, QString(300, u'a')),
            u"\"%1\" \"%2\""_s.arg(QString(255, u'a'), QString(45, u'a')));
        DNSRecord kept =
            stored(DNSRecordType::A, u"60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118"_s);
        kept.keptType = u"DS"_s;
        row("kept DS", kept, u"60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118"_s);
    }
    void presentationData() {
        QFETCH(DNSRecord, record);
        QFETCH(QString, expected);
        QCOMPARE(korvi::presentationData(record, u"example.com"_s), expected);
        // The zone's file holds the same data, tab-separated.
        QString line = ZoneFileWriter::recordLine(record, u"example.com"_s);
        QVERIFY(line.startsWith(u"x\t3600\tIN\t"_s));
        line = line.section(u'\t', 4);
        QCOMPARE(line.replace(u'\t', u' '), expected);
    }

    // Long TXT text is kept whole and written as strings of at most 255 bytes that join to it.
    void txtStrings_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("strings");
        QString key = u"MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA"_s;
        while (key.size() < 392)
            key += u"q3Xv9bT0mZ+/K7yLw2Rj8NcPf1Hs6Ue4Ga5DiOx"_s;
        QTest::newRow("DKIM 2048") << u"v=DKIM1; k=rsa; p="_s + key.left(392) << 2;
        QTest::newRow("spf with spaces") << u"v=spf1 ip4:192.0.2.0/24 include:_spf.example.com "
                                            "~all"_s
                                         << 1;
        QTest::newRow("255 bytes") << QString(255, u'x') << 1;
        QTest::newRow("256 bytes") << QString(256, u'x') << 2;
        QTest::newRow("4000 bytes of é") << u"é"_s.repeated(2000) << 16;
        QTest::newRow("quotes and backslashes") << u"\"\\"_s.repeated(200) << 2;
        QTest::newRow("emoji across a boundary") << u"a"_s + u"😀"_s.repeated(100) << 2;
        QTest::newRow("line breaks") << u"a\nb\u2028c"_s << 1;
    }
    void txtStrings() {
        QFETCH(QString, value);
        QFETCH(int, strings);
        const DNSRecord record(u"t"_s, DNSRecordType::TXT, value, 300);
        QCOMPARE(record.value, value.trimmed());
        const auto read = characterStrings(korvi::presentationData(record, u"example.com"_s));
        QVERIFY(read.has_value());
        QCOMPARE(read->size(), strings);
        QByteArray joined;
        for (const QByteArray& s : *read) {
            QVERIFY(s.size() <= 255);
            joined += s;
        }
        QCOMPARE(joined, value.toUtf8());
    }

    // Without the zone a target is written as stored; the zone's file has it absolute.
    void zoneFileTargets() {
        const QList<DNSRecord> records = {stored(DNSRecordType::CNAME, u"www"_s),
                                          stored(DNSRecordType::MX, u"@"_s, u"priority=5"_s),
                                          stored(DNSRecordType::NS, u"ns1.other.net."_s)};
        QCOMPARE(ZoneFileWriter::recordData(records[0]), u"www"_s);
        QCOMPARE(ZoneFileWriter::recordData(records[1]), u"5\t@"_s);
        const QString text =
            ZoneFileWriter::zoneText(u"example.com"_s, standardSOA(), records, fixedTime);
        QVERIFY(text.contains(u"\nx\t3600\tIN\tCNAME\twww.example.com.\n"_s));
        QVERIFY(text.contains(u"\nx\t3600\tIN\tMX\t5\texample.com.\n"_s));
        QVERIFY(text.contains(u"\nx\t3600\tIN\tNS\tns1.other.net.\n"_s));
    }

    // Messages of the checks that know the zone, each in Korvi's words.
    void zoneChecks_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QStringList>("expected");
        const QString longLabel(63, u'a');
        const QString longName = (longLabel + u'.').repeated(3) + QString(51, u'b'); // 243
        QTest::newRow("owner fits")
            << stored(DNSRecordType::A, u"192.0.2.1"_s, {}, QString(longName).chopped(2))
            << u"example.com"_s << QStringList();
        QTest::newRow("owner too long with the zone")
            << stored(DNSRecordType::A, u"192.0.2.1"_s, {}, longName) << u"example.com"_s
            << QStringList{u"Name too long: '%1.example.com.' has 255 bytes. A name with its "
                           "zone holds at most 253."_s.arg(longName)};
        QTest::newRow("relative target too long")
            << stored(DNSRecordType::CNAME, longName) << u"example.com"_s
            << QStringList{u"Target too long: '%1.example.com.' has 255 bytes. A name holds at "
                           "most 253."_s.arg(longName)};
        QTest::newRow("A owner in a zone that is no host name")
            << stored(DNSRecordType::A, u"192.0.2.1"_s, {}, u"www"_s) << u"bücher.example"_s
            << QStringList{u"Invalid host name: 'www.bücher.example.'. A records need a host "
                           "name: letters a-z, digits and \"-\" only, or a wildcard \"*\"."_s};
        QTest::newRow("PTR with _ in a reverse zone")
            << stored(DNSRecordType::PTR, u"_x.example.com."_s, {}, u"10"_s)
            << u"2.0.192.in-addr.arpa"_s
            << QStringList{u"Invalid PTR target in a reverse zone: '_x.example.com.'. Must be a "
                           "host name: letters a-z, digits and \"-\" only."_s};
        QTest::newRow("PTR with _ in a forward zone")
            << stored(DNSRecordType::PTR, u"_http._tcp.example.com."_s, {},
                      u"_services._dns-sd._udp"_s)
            << u"example.com"_s << QStringList();
        QTest::newRow("SOA")
            << stored(DNSRecordType::SOA, u"ns1.example.com. admin.example.com. 1 2 3 4 5"_s, {},
                      QString())
            << u"example.com"_s
            << QStringList{u"SOA records cannot be added as records: the zone's SOA is edited in "
                           "the zone's settings (primary name server, administrator e-mail and "
                           "timers)."_s};
        QTest::newRow("TXT white space only")
            << stored(DNSRecordType::TXT, u" \t "_s) << u"example.com"_s
            << QStringList{u"TXT record text cannot be white "
                           "space only."_s};
        QTest::newRow("SSHFP SHA-1 length")
            << stored(DNSRecordType::SSHFP, sha256Hex, u"algorithm=4 digestType=1"_s)
            << u"example.com"_s
            << QStringList{u"Invalid SSHFP fingerprint length: 64 hexadecimal digits. Digest "
                           "type 1 (SHA-1) needs exactly 40."_s};
        QTest::newRow("TLSA SHA-512 length")
            << stored(DNSRecordType::TLSA, sha256Hex, u"usage=3 selector=1 digestType=2"_s)
            << u"example.com"_s
            << QStringList{u"Invalid TLSA certificate data length: 64 hexadecimal digits. "
                           "Matching type 2 (SHA-512) needs exactly 128."_s};
        QTest::newRow("TLSA odd length")
            << stored(DNSRecordType::TLSA, u"abc"_s, u"usage=3 selector=1 digestType=0"_s)
            << u"example.com"_s
            << QStringList{u"Invalid TLSA certificate data length: 3 hexadecimal digits. Whole "
                           "bytes need an even number."_s};
        QTest::newRow("CAA issue value")
            << stored(DNSRecordType::CAA, u"ca example"_s, u"flag=0 tag=Issue"_s)
            << u"example.com"_s
            << QStringList{u"Invalid CAA issue value: 'ca example'. Must be the certificate "
                           "authority's domain name (letsencrypt.org), optionally followed by ; "
                           "and name=value parameters, or ; alone to allow none."_s};
        QTest::newRow("CAA iodef value")
            << stored(DNSRecordType::CAA, u"security@example.com"_s, u"flag=0 tag=iodef"_s)
            << u"example.com"_s
            << QStringList{u"Invalid CAA iodef value: 'security@example.com'. Must be a mailto: "
                           "or https: address for reports."_s};
        QTest::newRow("MX owner with _")
            << stored(DNSRecordType::MX, u"mail.example.com."_s, u"priority=10"_s, u"_x"_s)
            << u"example.com"_s
            << QStringList{u"Invalid host name: '_x'. MX records need a host name: letters a-z, "
                           "digits and \"-\" only, or a wildcard \"*\"."_s};
    }
    void zoneChecks() {
        QFETCH(DNSRecord, record);
        QFETCH(QString, zone);
        QFETCH(QStringList, expected);
        QCOMPARE(validateRecord(record, zone).errors, expected);
        QCOMPARE(validateRecord(record, zone).isValid, expected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecordValues)
#include "tst_record_values.moc"
