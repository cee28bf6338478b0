// What the record forms accept, judged by BIND: each record is written into a zone by
// ZoneFileWriter and loaded by named-checkzone with check-names "fail" (named's own rule for a
// primary zone). Korvi's verdict must be BIND's, except where a row says Korvi is stricter on
// purpose; there BIND must load what Korvi refuses, so that list stays exact.
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString sha1Hex = u"123456789abcdef67890123456789abcdef67890"_s;
const QString sha256Hex = u"302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd"_s;
const QString sha512Hex = sha256Hex + sha256Hex;
const QString forwardZone = u"example.com"_s;
const QString reverseZone = u"2.0.192.in-addr.arpa"_s;

// A 2048-bit DKIM key as a mail provider hands it out: 392 characters of base64.
QString dkimRecord() {
    QString key = u"MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA"_s;
    while (key.size() < 392)
        key += u"q3Xv9bT0mZ+/K7yLw2Rj8NcPf1Hs6Ue4Ga5DiOx"_s;
    return u"v=DKIM1; k=rsa; p="_s + key.left(392);
}

// The record a row describes: "form" is what the record form saves (cleaning constructor,
// targets completed in the zone), "raw" a record as stored data can hold it.
DNSRecord makeRecord(const QString& how, const QString& zone, DNSRecordType type,
                     const QString& name, const QString& value, const RecordOptions& options) {
    if (how == u"form"_s)
        return DNSRecord(name, type, completedRecordValue(value, type, zone), 3600, options);
    DNSRecord record = rawRecord(name, type, value);
    static_cast<RecordOptions&>(record) = options;
    return record;
}

} // namespace

class TestBindAgreement : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed in /usr/bin");
        QVERIFY(m_dir.isValid());
    }

    void verdicts_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("options");
        // ok: both load it; no: both refuse it; strict: Korvi refuses by its own rule
        // what BIND would load.
        QTest::addColumn<QString>("verdict");
        const auto row = [](const QString& how, const QString& zone, const QString& type,
                            const QString& name, const QString& value, const QString& options,
                            const QString& verdict) {
            QString tag =
                u"%1 %2 %3 [%4] %5 -> %6"_s.arg(how, type, name, value.left(40), options, verdict);
            tag.replace(u'\n', u"\\n"_s).replace(u'\t', u"\\t"_s).replace(u'\x1b', u"\\e"_s);
            QTest::newRow(qPrintable(tag)) << how << (zone.isEmpty() ? forwardZone : zone) << type
                                           << name << value << options << verdict;
        };
        // "how|zone|type|name|value|options|verdict"; an empty zone is example.com.
        const QStringList rows = {
            // Addresses.
            u"form||A|www|192.0.2.10||ok"_s,
            u"form||A|www| 192.0.2.10 \t||ok"_s,
            u"form||A|www|01.2.3.4||no"_s,
            u"form||A|www|256.1.1.1||no"_s,
            u"form||A|www|1.2.3||no"_s,
            u"form||A|www|||no"_s,
            u"raw||A|www|192.0.2.1;x||no"_s,
            u"raw||A|www|192.0.2.1 192.0.2.2||no"_s,
            u"form||AAAA|www|2001:db8::1||ok"_s,
            u"form||AAAA|www|::ffff:192.0.2.1||ok"_s,
            u"form||AAAA|www|1:2:3:4:5:6:7:8:9||no"_s,
            u"form||AAAA|www|192.0.2.1||no"_s,
            // Owner names: host names for A, AAAA and MX; "_" and other letters elsewhere.
            u"form||A|@|192.0.2.1||ok"_s,
            u"form||A||192.0.2.1||ok"_s,
            u"form||A|*|192.0.2.1||ok"_s,
            u"form||A|*.wild|192.0.2.1||ok"_s,
            u"form||A|a-b.c|192.0.2.1||ok"_s,
            u"form||A|x;y (z)|192.0.2.1||ok"_s,
            u"form||A|_x|192.0.2.1||no"_s,
            u"form||AAAA|_x|2001:db8::1||no"_s,
            u"form||A|a-|192.0.2.1||no"_s,
            u"form||A|bücher|192.0.2.1||no"_s,
            u"form||A|a..b|192.0.2.1||no"_s,
            u"raw||A|a b|192.0.2.1||no"_s,
            u"form||TXT|_dmarc|v=DMARC1; p=none||ok"_s,
            u"form||TXT|bücher|x||ok"_s,
            u"form||TXT|_25._tcp.mail|x||ok"_s,
            u"form||TXT|w*.x|x||strict"_s,
            u"raw||TXT|a b|x||strict"_s,
            u"raw||TXT|a;b|x||strict"_s,
            // Targets: relative to the zone, "@" the apex, a final dot absolute.
            u"form||CNAME|ftp|www||ok"_s,
            u"form||CNAME|ftp|@||ok"_s,
            u"form||CNAME|ftp|www.other.net.||ok"_s,
            u"form||CNAME|ftp|_acme-challenge.other.net.||ok"_s,
            u"form||CNAME|ftp|bücher||ok"_s,
            u"form||CNAME|ftp|w w;x||ok"_s,
            u"form||CNAME|ftp|a..b||no"_s,
            u"form||CNAME|ftp|||no"_s,
            u"form||CNAME|ftp|.||strict"_s,
            u"form||CNAME|ftp|-a||strict"_s,
            u"form||MX||mail|priority=10|ok"_s,
            u"form||MX|*|mail.other.net.|priority=0|ok"_s,
            u"form||MX||@|priority=65535|ok"_s,
            u"form||MX||.|priority=0|ok"_s,
            u"form||MX||mail.|priority=10|ok"_s,
            u"form||MX||mail_x|priority=10|no"_s,
            u"form||MX||bücher|priority=10|no"_s,
            u"form||MX||-mail|priority=10|no"_s,
            u"form||MX||mail|priority=65536|no"_s,
            u"form||MX||mail|priority=-1|no"_s,
            u"form||MX|_x|mail|priority=10|no"_s,
            u"form||NS|sub|ns1||ok"_s,
            u"form||NS|sub|ns1.other.net.||ok"_s,
            u"form||NS|sub|ns_1||no"_s,
            u"form||NS|sub|.||strict"_s,
            u"form||SRV|_sip._tcp|sip|priority=10 weight=5 port=5060|ok"_s,
            u"form||SRV|_sip._tcp|.|priority=0 weight=0 port=0|ok"_s,
            u"form||SRV|_sip._tcp|sip.other.net.|priority=0 weight=65535 port=65535|ok"_s,
            u"form||SRV|_sip._tcp|_t|priority=10 weight=5 port=80|no"_s,
            u"form||SRV|_sip._tcp|sip|priority=10 weight=5 port=65536|no"_s,
            u"raw||MX||mail\nevil 3600 IN A 203.0.113.66|priority=10|no"_s,
            u"raw||SRV|_s._tcp|sip;x|priority=1 weight=1 port=1|no"_s,
            u"raw||NS|sub|ns1 ns2||no"_s,
            u"raw||CNAME|ftp|a\x01b.other.net.||strict"_s,
            u"raw||CNAME|ftp|@||ok"_s,
            u"form||PTR|host|_x.other.net.||ok"_s,
            u"form|{reverse}|PTR|10|host.example.com.||ok"_s,
            u"form|{reverse}|PTR|10|host||ok"_s,
            u"form|{reverse}|PTR|10|_x.example.com.||no"_s,
            u"form|{reverse}|PTR|10|bücher.example.com.||no"_s,
            // CAA: tags as BIND takes them, values as certificate authorities read them.
            u"form||CAA|@|letsencrypt.org|flag=0 tag=issue|ok"_s,
            u"form||CAA|@|\"letsencrypt.org\"|flag=0 tag=issue|ok"_s,
            u"form||CAA|@|;|flag=0 tag=issuewild|ok"_s,
            u"form||CAA|@|ca.example.net; validationmethods=dns-01|flag=128 tag=issue|ok"_s,
            u"form||CAA|@|ca.example.net|flag=0 tag=ISSUE|ok"_s,
            u"form||CAA|@|ca.example.net|flag=0 tag=IssueWild|ok"_s,
            u"form||CAA|@|mailto:security@example.com|flag=0 tag=iodef|ok"_s,
            u"form||CAA|@|https://example.com/caa|flag=0 tag=iodef|ok"_s,
            u"form||CAA|@|ca.example.net|flag=256 tag=issue|no"_s,
            u"form||CAA|@|ca.example.net|flag=-1 tag=issue|no"_s,
            u"form||CAA|@|ca.example.net|flag=0 tag=is-sue|no"_s,
            u"form||CAA|@|ca.example.net|flag=0 tag=issuer|strict"_s,
            u"form||CAA|@||flag=0 tag=issue|strict"_s,
            u"form||CAA|@|ca example|flag=0 tag=issue|strict"_s,
            u"form||CAA|@|ca\"x\\;|flag=0 tag=issue|strict"_s,
            u"form||CAA|@|bücher.example|flag=0 tag=issue|strict"_s,
            u"form||CAA|@|not a url|flag=0 tag=iodef|strict"_s,
            // SSHFP: the fingerprint's length is its digest type's.
            u"form||SSHFP|host|{sha256}|algorithm=4 digestType=2|ok"_s,
            u"form||SSHFP|host|{sha1}|algorithm=1 digestType=1|ok"_s,
            u"form||SSHFP|host|{SHA256}|algorithm=6 digestType=2|ok"_s,
            u"form||SSHFP|host|{sha1}|algorithm=4 digestType=2|no"_s,
            u"form||SSHFP|host|{sha256}|algorithm=1 digestType=1|no"_s,
            u"form||SSHFP|host|{sha256}x|algorithm=4 digestType=2|no"_s,
            u"form||SSHFP|host|abc|algorithm=4 digestType=2|no"_s,
            u"form||SSHFP|host|{sha256}|algorithm=5 digestType=2|strict"_s,
            u"form||SSHFP|host|{sha256}|algorithm=4 digestType=3|strict"_s,
            u"form||SSHFP|host|{sha256}|algorithm=4 digestType=0|strict"_s,
            // TLSA: usage 0-3, selector 0-1, matching 0-2 with its length.
            u"form||TLSA|_443._tcp.www|{sha256}|usage=3 selector=1 digestType=1|ok"_s,
            u"form||TLSA|_443._tcp.www|{sha512}|usage=2 selector=0 digestType=2|ok"_s,
            u"form||TLSA|_443._tcp.www|abcd|usage=0 selector=0 digestType=0|ok"_s,
            u"form||TLSA|_443._tcp.www|{SHA256}|usage=3 selector=1 digestType=1|ok"_s,
            u"form||TLSA|_443._tcp.www|abc|usage=3 selector=1 digestType=0|no"_s,
            u"form||TLSA|_443._tcp.www|xyz|usage=3 selector=1 digestType=0|no"_s,
            u"form||TLSA|_443._tcp.www|{sha256}|usage=256 selector=1 digestType=1|no"_s,
            u"form||TLSA|_443._tcp.www|{sha1}|usage=3 selector=1 digestType=1|strict"_s,
            u"form||TLSA|_443._tcp.www|{sha256}|usage=3 selector=1 digestType=2|strict"_s,
            u"form||TLSA|_443._tcp.www|{sha256}|usage=4 selector=1 digestType=1|strict"_s,
            u"form||TLSA|_443._tcp.www|{sha256}|usage=3 selector=2 digestType=1|strict"_s,
            u"form||TLSA|_443._tcp.www|{sha256}|usage=3 selector=1 digestType=3|strict"_s,
            // TXT: typed text is one string; the quoted form stays its strings.
            u"form||TXT|@|v=spf1 include:_spf.example.com -all||ok"_s,
            u"form||TXT|t|\"a\" \"b\"||ok"_s,
            u"form||TXT|t|\"\"||ok"_s,
            u"form||TXT|t|\" \"||ok"_s,
            u"form||TXT|t|\"a||ok"_s,
            u"form||TXT|t|\"a\" b||ok"_s,
            u"form||TXT|t|say \"hi\" \\ back\\slash\\||ok"_s,
            u"form||TXT|t|a;b (c) $d @e #f||ok"_s,
            u"form||TXT|t|grüße 😀 €||ok"_s,
            u"form||TXT|t|a\tb\nc||ok"_s,
            u"form||TXT|t|x\n$INCLUDE /etc/passwd\nevil 3600 IN A 203.0.113.66||ok"_s,
            u"form||TXT|t|||no"_s,
            u"form||TXT|t| \t ||no"_s,
            u"raw||TXT|t| \t ||no"_s,
            u"form||TXT|t|a\x1b b||strict"_s,
            u"form||TXT|t|a\u200bb||strict"_s,
            // A zone's SOA is never a record.
            u"form||SOA|@|ns1.example.com. admin.example.com. 1 3600 1800 1209600 86400||no"_s,
            u"form||SOA|x|ns1.example.com. admin.example.com. 1 3600 1800 1209600 86400||no"_s,
        };
        for (const QString& text : rows) {
            QString filled = text;
            filled.replace(u"{reverse}"_s, reverseZone)
                .replace(u"{sha256}"_s, sha256Hex)
                .replace(u"{SHA256}"_s, sha256Hex.toUpper())
                .replace(u"{sha512}"_s, sha512Hex)
                .replace(u"{sha1}"_s, sha1Hex);
            const QStringList f = filled.split(u'|');
            QCOMPARE(f.size(), 7);
            row(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        }
        // Lengths: labels and names in bytes, a word of TXT longer than one string.
        const QString label63(63, u'a');
        row(u"form"_s, {}, u"A"_s, label63, u"192.0.2.1"_s, {}, u"ok"_s);
        row(u"form"_s, {}, u"A"_s, label63 + u'a', u"192.0.2.1"_s, {}, u"no"_s);
        row(u"form"_s, {}, u"TXT"_s, u"ü"_s.repeated(31), u"x"_s, {}, u"ok"_s);
        row(u"form"_s, {}, u"TXT"_s, u"ü"_s.repeated(32), u"x"_s, {}, u"no"_s);
        const QString longName = (label63 + u'.').repeated(3) + QString(49, u'b'); // 241 bytes
        row(u"form"_s, {}, u"A"_s, longName, u"192.0.2.1"_s, {}, u"ok"_s);
        row(u"form"_s, {}, u"A"_s, longName + u"bb"_s, u"192.0.2.1"_s, {}, u"no"_s);
        row(u"form"_s, {}, u"CNAME"_s, u"x"_s, longName + u"bb"_s, {}, u"no"_s);
        row(u"form"_s, {}, u"TXT"_s, u"t"_s, QString(256, u'w'), {}, u"ok"_s);
        row(u"form"_s, {}, u"TXT"_s, u"t"_s, u"é"_s.repeated(300), {}, u"ok"_s);
        row(u"form"_s, {}, u"TXT"_s, u"default._domainkey"_s, dkimRecord(), {}, u"ok"_s);
        row(u"form"_s, {}, u"TXT"_s, u"t"_s, QString(4000, u'x'), {}, u"ok"_s);
        row(u"form"_s, {}, u"TXT"_s, u"t"_s, QString(4001, u'x'), {}, u"strict"_s);
        // A new record as each form shows it: the type's defaults and its example value.
        for (const DNSRecordType type : editableRecordTypes()) {
            const RecordOptions defaults = defaultRecordOptions(type);
            QStringList options;
            const std::pair<const char*, std::optional<qint64>> numbers[] = {
                {"priority", defaults.priority},   {"weight", defaults.weight},
                {"port", defaults.port},           {"flag", defaults.flag},
                {"algorithm", defaults.algorithm}, {"digestType", defaults.digestType},
                {"usage", defaults.usage},         {"selector", defaults.selector}};
            for (const auto& [key, number] : numbers) {
                if (number)
                    options.append(u"%1=%2"_s.arg(QLatin1String(key)).arg(*number));
            }
            if (defaults.tag)
                options.append(u"tag="_s + *defaults.tag);
            row(u"form"_s, {}, rawValue(type), u"new"_s, valuePlaceholder(type), options.join(u' '),
                u"ok"_s);
        }
    }

    void verdicts() {
        QFETCH(QString, how);
        QFETCH(QString, zone);
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, options);
        QFETCH(QString, verdict);
        const DNSRecord record =
            makeRecord(how, zone, *recordTypeFromRawValue(type), name, value, opts(options));
        const ValidationResult korvi = validateRecord(record, zone);

        QList<DNSRecord> records{rawRecord({}, DNSRecordType::NS, u"ns1.example.com."_s)};
        if (zone == forwardZone)
            records.append(rawRecord(u"ns1"_s, DNSRecordType::A, u"192.0.2.1"_s));
        records.append(record);
        const QString path = m_dir.filePath(u"zone%1"_s.arg(++m_files));
        const QString text = ZoneFileWriter::zoneText(zone, standardSOA(), records, fixedTime);
        QVERIFY(writeTextFile(path, text));
        const ProgramResult bind = runProgram(checkZoneProgram, QStringList{u"-k"_s, u"fail"_s} +
                                                                    dumpZoneArguments(zone, path));
        QVERIFY2(bind.finished, qPrintable(bind.describe()));

        const QString context = u"\nKorvi: %1\nwritten: %2\nBIND: %3"_s.arg(
            korvi.isValid ? u"valid"_s : korvi.errors.join(u"; "_s),
            ZoneFileWriter::recordLine(record, zone), bind.describe());
        const bool bindLoads = bind.ok();
        if (verdict == u"strict"_s) {
            QVERIFY2(!korvi.isValid && bindLoads,
                     qPrintable(u"Korvi is stricter here"_s + context));
        } else {
            QVERIFY2(korvi.isValid == bindLoads, qPrintable(u"verdicts differ"_s + context));
            QVERIFY2(korvi.isValid == (verdict == u"ok"_s), qPrintable(context));
        }
        if (bindLoads) {
            // Exactly the records written, nothing split off or injected.
            const QStringList loaded = dumpedRecords(bind.output);
            QVERIFY2(loaded.size() == records.size() + 1, qPrintable(bind.output));
            for (const QString& line : loaded)
                QVERIFY2(!line.contains(u"203.0.113.66"_s) || line.contains(u" TXT "_s),
                         qPrintable(line));
        }
    }
};

QTEST_GUILESS_MAIN(TestBindAgreement)
#include "tst_bind_agreement.moc"
