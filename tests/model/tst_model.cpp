// The model: record cleaning, stored JSON, zones, serials, validation, configuration.
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>
#include <functional>

#include "BindCheckers.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"
#include "model/TextCleaning.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

// Records of several types, with options, non-ASCII text and escapes, as stored.
QJsonArray sampleArray() {
    QByteArray text =
        "[{'id':'0F8FAD5B-D9CB-469F-A165-70867728950E','name':'www','type':'A',"
        "'value':'192.0.2.1','ttl':3600},"
        "{'id':'7C9E6679-7425-40DE-944B-E07FC1F90AE7','name':'','type':'MX',"
        "'value':'mail.example.com.','ttl':300,'priority':10},"
        "{'id':'00000000-0000-0000-0000-000000000000','name':'_sip._tcp','type':'SRV',"
        "'value':'sip.example.com','ttl':86400,'priority':0,'weight':5,'port':5060},"
        "{'id':'3F2504E0-4F89-11D3-9A0C-0305E82C3301','name':'café','type':'TXT',"
        "'value':'\\u0022grüße 😀 \\\\\\u0022 \\/\\u0022','ttl':1,'flag':128,'tag':'issue'},"
        "{'id':'6BA7B810-9DAD-11D1-80B4-00C04FD430C8','name':'_443._tcp','type':'TLSA',"
        "'value':'abcdef','ttl':2147483647,'usage':3,'selector':1,"
        "'digestType':9223372036854775807}]";
    return QJsonDocument::fromJson(text.replace('\'', '"')).array();
}

std::optional<QList<DNSRecord>> decodeAll(const QJsonArray& array) {
    QList<DNSRecord> out;
    for (const QJsonValue& v : array) {
        auto r = DNSRecord::fromJson(v);
        if (!r)
            return std::nullopt;
        out.append(*r);
    }
    return out;
}

// A record as given (no cleaning), with the fields named in `options`.
DNSRecord stored(DNSRecordType type, const QString& value, const QString& options = {},
                 const QString& name = {}, qint64 ttl = 3600) {
    DNSRecord r = rawRecord(name, type, value, ttl);
    static_cast<RecordOptions&>(r) = opts(options);
    return r;
}

const QDateTime fifthOfMarch(QDate(2025, 3, 5), QTime(10, 30)); // local time

} // namespace

class TestModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Names, hosts and values cleaned by type; names, values and TTLs also by the constructor.
    void cleaning_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        // "kind|input|expected"
        const char* const rows[] = {"name| \t\r\nmail\n|mail",
                                    "name|_sip._tcp|_sip._tcp",
                                    "name|a@b$c*d/e! f|abc*def",
                                    "name|*._tcp|*._tcp",
                                    "name|\u00A0web\u3000site\u2003|website",
                                    "name|cafe\u0301|cafe\u0301",
                                    "name|web😀|web",
                                    "name|ex\u200Dample|example",
                                    "host| my_zone.example.com |myzone.example.com",
                                    "host|-bücher.例え-.|-bücher.例え-.",
                                    "A| 192.168.1.1x |192.168.1.1",
                                    "AAAA|fe80::1%eth0|fe80::1e0",
                                    "MX|mail_server.example.com.|mail_server.example.com.",
                                    "CNAME|_x._tcp.example.com.!|_x._tcp.example.com.",
                                    "PTR|host name.example.com|hostname.example.com",
                                    "TXT|  \"v=spf1  -all\"\t|\"v=spf1  -all\"",
                                    "CAA| 0 issue \"ca.example.net\" |0 issue \"ca.example.net\"",
                                    "TLSA|ab cd!|abcd!",
                                    "SSHFP| aa:BB:cc dd\t|aaBBccdd",
                                    "NS| @ |@",
                                    "CNAME|@x|x",
                                    "ttl|-9223372036854775808|0",
                                    "ttl|0|0",
                                    "ttl|2147483648|2147483647"};
        for (const char* row : rows) {
            const QStringList parts = QString::fromUtf8(row).split(u'|');
            QTest::newRow(row) << parts[0] << parts[1] << parts[2];
        }
        // TXT values are kept whole; the writer splits them into strings.
        for (const QString& unit : {u"x"_s, u"😀"_s, u"🇫🇮"_s, u"e\u0301"_s})
            QTest::addRow("TXT 300 x %s", qPrintable(unit))
                << "TXT" << unit.repeated(300) << unit.repeated(300);
    }
    void cleaning() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        if (kind == "host"_L1) {
            QCOMPARE(cleanHostText(input), expected);
        } else if (kind == "ttl"_L1) {
            QCOMPARE(DNSRecord("a", DNSRecordType::A, "1.2.3.4", input.toLongLong()).ttl,
                     expected.toLongLong());
        } else if (kind == "name"_L1) {
            QCOMPARE(cleanRecordName(input), expected);
            QCOMPARE(DNSRecord(input, DNSRecordType::A, u"1.2.3.4"_s, 60).name, expected);
        } else {
            const DNSRecordType type = *recordTypeFromRawValue(kind);
            QCOMPARE(normalizeRecordValue(input, type), expected);
            QCOMPARE(DNSRecord(QString(), type, input, 60).value, expected);
        }
    }

    // Upper-case id, only the keys present, no nulls; the samples survive a round trip.
    void jsonWrite() {
        const DNSRecord full("x", DNSRecordType::CAA, "v", 60,
                             RecordOptions{1, 2, 3, 4, u"issuewild"_s, 5, 6, 7, 8});
        QCOMPARE(full.toJson().size(), 14);
        QCOMPARE(full.toJson().value("id").toString(),
                 full.id.toString(QUuid::WithoutBraces).toUpper());
        const DNSRecord bare("x", DNSRecordType::MX, "m.example.", 60);
        QCOMPARE(bare.toJson().keys(), QStringList({"id", "name", "ttl", "type", "value"}));
        const auto records = decodeAll(sampleArray());
        QVERIFY(records && records->size() == 5);
        QJsonArray written;
        for (const DNSRecord& r : *records)
            written.append(r.toJson());
        QCOMPARE(written, sampleArray());
    }

    // One key of a stored record changed to a JSON value (nothing: removed); readable or not.
    void jsonRead_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<bool>("readable");
        // The value as JSON text; null pointer: the key removed.
        const struct {
            const char* key;
            const char* json;
            bool readable;
        } rows[] = {
            {"id", nullptr, true},
            {"id", R"("0f8fad5b-d9cb-469f-a165-70867728950e")", true},
            {"id", R"("{0F8FAD5B-D9CB-469F-A165-70867728950E}")", false},
            {"id", "42", false},
            {"name", nullptr, false},
            {"name", "null", false},
            {"name", R"(" my host! ")", true},
            {"type", nullptr, false},
            {"type", "null", false},
            {"type", R"("mx")", false},
            {"value", nullptr, false},
            {"value", R"(["a"])", false},
            {"ttl", nullptr, false},
            {"ttl", "null", false},
            {"ttl", R"("3600")", false},
            {"ttl", "3600.5", false},
            {"ttl", "0", true},
            {"priority", "null", true},
            {"priority", R"("10")", false},
            {"tag", "0", false},
        };
        for (const auto& row : rows) {
            const QJsonValue value =
                row.json ? QJsonDocument::fromJson("["_ba + row.json + "]").array()[0]
                         : QJsonValue(QJsonValue::Undefined);
            QTest::newRow(qPrintable(QString::fromUtf8(row.key) + u' ' +
                                     QString::fromUtf8(row.json ? row.json : "removed")))
                << QString::fromUtf8(row.key) << value << row.readable;
        }
    }
    void jsonRead() {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(bool, readable);
        QJsonObject o = sampleArray().at(1).toObject();
        if (value.isUndefined())
            o.remove(key);
        else
            o.insert(key, value);
        QString error;
        const auto r = DNSRecord::fromJson(o, &error);
        QCOMPARE(bool(r), readable);
        QCOMPARE(error.isEmpty(), readable);
        if (!r)
            return;
        QJsonObject back = r->toJson(); // as stored: no cleaning, no clamping
        if (!o.contains("id"))
            QVERIFY(!r->id.isNull() && r->id != DNSRecord::fromJson(o)->id); // fresh each time
        back.remove("id");
        o.remove("id");
        if (o.value("priority").isNull())
            o.remove("priority");
        QCOMPARE(back, o);
    }

    // Every prefix of a stored document: only the whole text reads.
    void jsonEveryTruncation() {
        const QByteArray full = QJsonDocument(sampleArray()).toJson(QJsonDocument::Indented);
        QList<qsizetype> read;
        for (qsizetype n = 0; n <= full.size(); ++n) {
            const QJsonDocument doc = QJsonDocument::fromJson(full.left(n));
            if (doc.isArray() && decodeAll(doc.array()))
                read.append(n);
        }
        QCOMPARE(read, (QList<qsizetype>{full.size() - 1, full.size()})); // with/without newline
    }

    // SOA JSON: every key required and typed; a serial beyond 32 bits survives.
    void soaJson() {
        const SOARecord soa{u"ns1.example.com."_s, u"admin.example.com."_s, 4294967295LL * 3};
        QCOMPARE(SOARecord::fromJson(soa.toJson()), std::optional<SOARecord>(soa));
        for (const QString& key : soa.toJson().keys()) {
            const bool text = key == "primaryNameServer"_L1 || key == "adminEmail"_L1;
            const QJsonValue mistyped = text ? QJsonValue(1) : QJsonValue(u"1"_s);
            for (const QJsonValue& v :
                 {QJsonValue(QJsonValue::Undefined), QJsonValue(), mistyped}) {
                QJsonObject o = soa.toJson();
                o.insert(key, v);
                QVERIFY2(!SOARecord::fromJson(o), qPrintable(key));
            }
        }
    }

    // A zone: name cleaned, equal by id only; valid changes by id, each announced once.
    void zoneIdentityAndChanges() {
        DNSZone zone(u" my_zone.exa mple!😀.com. "_s, QString());
        QCOMPARE(zone.name(), u"myzone.example.com."_s);
        const DNSZone twin(zone.name(), QString());
        QVERIFY(zone != twin && !(zone == twin));
        const size_t hash = qHash(zone, 7);
        const DNSRecord first = stored(DNSRecordType::A, "10.0.0.1");
        const DNSRecord second = stored(DNSRecordType::A, "10.0.0.2");
        const QList<DNSRecord> both{first, second};
        const auto changed = [](DNSRecord r, DNSRecordType type, const char* value) {
            r.type = type;
            r.value = QString::fromLatin1(value);
            return r;
        };
        QSignalSpy spy(&zone, &DNSZone::changed);
        const std::tuple<const char*, int, std::function<void()>> changes[] = {
            {"name", 1, [&] { zone.setName(u"example.org"_s); }},
            {"same name again", 1, [&] { zone.setName(u"example.org"_s); }},
            {"records", 1, [&] { zone.setRecords(both); }},
            {"soa", 1, [&] { zone.setSoaRecord(standardSOA()); }},
            {"soa removed", 1, [&] { zone.setSoaRecord(std::nullopt); }},
            {"invalid added", 0, [&] { zone.addRecord(stored(DNSRecordType::A, "999.1.1.1")); }},
            {"invalid replacement", 0,
             [&] { zone.updateRecord(changed(second, DNSRecordType::A, "999.1.1.1")); }},
            {"unknown id", 0, [&] { zone.updateRecord(stored(DNSRecordType::A, "10.9.9.9")); }},
            {"replaced", 1,
             [&] { zone.updateRecord(changed(second, DNSRecordType::CNAME, "host.example.")); }},
            {"added", 1, [&] { zone.addRecord(stored(DNSRecordType::A, "10.0.0.3")); }},
            {"removed", 1, [&] { QVERIFY(zone.removeRecord(first.id)); }},
            {"removed again", 0, [&] { QVERIFY(!zone.removeRecord(first.id)); }}};
        for (const auto& [what, notices, change] : changes) {
            spy.clear();
            change();
            QVERIFY2(spy.count() == notices, what);
        }
        QVERIFY(zone == zone && qHash(zone, 7) == hash);
        QCOMPARE(zone.records().size(), 2);
        QCOMPARE(zone.records().at(0).id, second.id);
        QCOMPARE(zone.records().at(0).value + u' ' + zone.records().at(1).value,
                 u"host.example. 10.0.0.3"_s);
    }

    // Serials on 5 March 2025; the date is read in local time (13 hours east of UTC below).
    void serials() {
        // Pairs of current and next serial. The date form only while it
        // moves forward; otherwise count on, modulo 2^32.
        const qint64 pairs[] = {2025030507, 2025030508, // same day
                                2025030598, 2025030599, // the day's last revision
                                2025030599, 2025030600, // used up: count on
                                2025030499, 2025030501, // an earlier day
                                0,          2025030501, 2025030500,
                                2025030501, 2025030601, 2025030602, // a later day stays ahead
                                1741132800, 2025030501,             // a Unix-time serial
                                4000000000, 4000000001,             // larger than any date form
                                4294967295, 0};                     // wraps, still after
        for (size_t i = 0; i < std::size(pairs); i += 2) {
            const qint64 next = korvi::nextSerial(pairs[i], fifthOfMarch);
            QCOMPARE(next, pairs[i + 1]);
            QVERIFY(isSerialAfter(next, pairs[i]));
        }
        // 150 changes in one day: each serial is one a secondary accepts.
        qint64 serial = generateSerial(fifthOfMarch);
        for (int change = 0; change < 150; ++change) {
            const qint64 next = korvi::nextSerial(serial, fifthOfMarch);
            QVERIFY2(isSerialAfter(next, serial) && next > serial,
                     qPrintable(u"%1 after %2"_s.arg(next).arg(serial)));
            serial = next;
        }
        QCOMPARE(serial, 2025030501 + 150);
        // Serial arithmetic itself: half the space ahead is after, the rest before.
        QVERIFY(isSerialAfter(2147483647, 0) && !isSerialAfter(2147483648, 0));
        QVERIFY(isSerialAfter(5, 4294967290) && !isSerialAfter(4294967290, 5));
        QVERIFY(!isSerialAfter(7, 7));
        QCOMPARE(generateSerial(fifthOfMarch), 2025030501);
        QCOMPARE(korvi::nextSerial(41, QDateTime()), 42); // no date: count on
        const QByteArray saved = qgetenv("TZ");
        qputenv("TZ", "KRV-13");
        tzset();
        const qint64 generated =
            generateSerial(QDateTime(QDate(2025, 3, 4), QTime(20, 0), Qt::UTC));
        saved.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved);
        tzset();
        QCOMPARE(generated, 2025030501);
    }

    // Every message in order; an empty list means valid.
    void validateRecord_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QStringList>("expected");
        // "type|value|options|name|ttl|message;message"
        const char* const rows[] = {
            "A|192.168.1.10||a.b-c.d.|2147483647|",
            "A|10.0.0.1|||2147483648|Invalid TTL: 2147483648. Must be between 0 and 2,147,483,647 "
            "seconds.",
            "A|||||Record value cannot be empty.;Invalid IPv4 address: ''. Expected format: "
            "192.168.1.1",
            "A|256.1.1.1||||Invalid IPv4 address: '256.1.1.1'. Expected format: 192.168.1.1",
            "AAAA|192.168.1.1||||Invalid IPv6 address: '192.168.1.1'. Expected format: 2001:db8::1",
            "CNAME|www..example.com||||Invalid domain name: 'www..example.com'. Must be a valid "
            "domain name.",
            "NS|.||||Invalid name server: '.'. Must be a host name: letters a-z, digits and \"-\" "
            "only.",
            "MX|mail.example.com|priority=65535|||",
            "MX|mail.example.com|priority=65536|||Invalid MX priority: 65536. Must be between 0 "
            "and 65535.",
            "MX|mail.example.com|priority=-1|||Invalid MX priority: -1. Must be between 0 and "
            "65535.",
            "SRV|sip.example.com.|priority=0 weight=0 port=65535|||",
            "SRV|sip.example.com|priority=10 weight=5 port=0|||",
            "SRV|.|priority=0 weight=0 port=0|_sip._tcp|0|",
            // Names as DNS has them: "_" in owners and targets, "*" as the
            // whole leftmost label, the null MX.
            "A|192.0.2.1||*|300|", "A|192.0.2.1||*.wild|300|",
            "A|192.0.2.1||w*.x|300|Invalid record name: 'w*.x'. Must be a valid domain name or "
            "empty for root domain.",
            "A|192.0.2.1||x.*|300|Invalid record name: 'x.*'. Must be a valid domain name or "
            "empty for root domain.",
            "TXT|\"v=DMARC1\"||_dmarc|300|",
            "CNAME|_acme-challenge.other.example.||_acme-challenge.www|300|",
            "TLSA|00|digestType=0 usage=0 selector=0|_443._tcp.www|300|", "MX|.|priority=0||300|",
            "CNAME|*.example.com.||||Invalid domain name: '*.example.com.'. Must be a valid "
            "domain name.",
            "SRV|sip.example.com||||SRV records require a priority value.;SRV records require a "
            "weight value.;SRV records require a port value.",
            "SRV|-sip.x|priority=-1 weight=65536 port=65536|||Invalid SRV target: '-sip.x'. Must "
            "be a host name: letters a-z, digits and \"-\" only.;Invalid SRV priority: -1. Must be "
            "between 0 and "
            "65535.;Invalid SRV weight: 65536. Must be between 0 and 65535.;Invalid SRV port: "
            "65536. Must be between 0 and 65535.",
            "CAA|mailto:security@example.net|flag=255 tag=iodef|||",
            "CAA|ca.example.net|flag=0 tag=ISSUE|||",
            "CAA|ca.example.net|flag=0 tag=issuer|||Invalid CAA tag: 'issuer'. Valid tags are: "
            "issue, issuewild, iodef",
            "CAA|||||Record value cannot be empty.;CAA records require a flag value.;CAA records "
            "require a tag value.;CAA record value cannot be empty.",
            "CAA|x|flag=256 tag=|||Invalid CAA flag: 256. Must be between 0 and 255.;Invalid CAA "
            "tag: ''. Valid tags are: issue, issuewild, iodef",
            "SSHFP|0123456789abcdefABCDEF0123456789abcdefABCDEF0123456789abcdefABCD|algorithm=4 "
            "digestType=2|||",
            "SSHFP|x|algorithm=5 digestType=0|||Invalid SSHFP algorithm: 5. Valid algorithms are: "
            "1, 2, 3, 4, 6;Invalid SSHFP digest type: 0. Valid digest types are: 1, 2;Invalid "
            "SSHFP "
            "fingerprint: must be hexadecimal characters only.",
            "SSHFP|ab||||SSHFP records require an algorithm value.;SSHFP records require a digest "
            "type value.",
            "TLSA|00|digestType=0 usage=0 selector=0|||",
            "TLSA|xyz|digestType=3 usage=4 selector=2|||Invalid TLSA usage: 4. Must be between 0 "
            "and 3.;Invalid TLSA selector: 2. Must be 0 or 1.;Invalid TLSA digest type: 3. Valid "
            "digest types are: 0, 1, 2;Invalid TLSA certificate data: must be hexadecimal "
            "characters only.",
            "TLSA|ab||||TLSA records require a usage value.;TLSA records require a selector "
            "value.;TLSA records require a digest type value.",
            "TXT|a\tb\nc\r\nd||||",
            "TXT|a\u00ADb||||TXT record contains invalid control characters.",
            "SOA|ns1.example.com. admin.example.com. 1 2 3 4 5||||SOA records cannot be added as "
            "records: the zone's SOA is edited in the zone's settings (primary name server, "
            "administrator e-mail and timers).",
            "MX|||a.*|-1|Invalid record name: 'a.*'. Must be a valid domain name or empty for root "
            "domain.;Invalid TTL: -1. Must be between 0 and 2,147,483,647 seconds.;Record value "
            "cannot be empty.;Invalid mail server name: ''. Must be a host name: letters a-z, "
            "digits "
            "and \"-\" only.;MX "
            "records require a priority value."};
        for (const char* row : rows) {
            const QStringList f = QString::fromUtf8(row).split(u'|');
            DNSRecord r = stored(*recordTypeFromRawValue(f[0]), f[1], f[2], f[3],
                                 f[4].isEmpty() ? 3600 : f[4].toLongLong());
            QTest::newRow(row) << r << f[5].split(u';', Qt::SkipEmptyParts);
        }
        // TXT length in UTF-8 bytes, up to 4,000 (a 2048-bit DKIM key fits).
        const auto tooLong = [](int bytes) {
            return u"TXT record too long: %1 bytes. Maximum is 4,000 bytes."_s.arg(bytes);
        };
        QTest::newRow("TXT 1000 emoji, 4,000 bytes")
            << stored(DNSRecordType::TXT, u"😀"_s.repeated(1000)) << QStringList();
        QTest::newRow("TXT 4,001 bytes") << stored(DNSRecordType::TXT, u"😀"_s.repeated(1000) + u'a')
                                         << QStringList{tooLong(4001)};
        QTest::newRow("TXT 4,001 bytes with ESC")
            << stored(DNSRecordType::TXT, QString(4000, u'a') + u'\x1b')
            << QStringList{tooLong(4001), u"TXT record contains invalid control characters."_s};
    }
    void validateRecord() {
        QFETCH(DNSRecord, record);
        QFETCH(QStringList, expected);
        const ValidationResult result = korvi::validateRecord(record);
        QCOMPARE(result.errors, expected);
        QCOMPARE(result.isValid, expected.isEmpty());
    }

    // Which of domain name (D), IPv4 (4) and IPv6 (6) address a text is.
    void namesAndAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kinds");
        const std::pair<QString, QString> rows[] = {
            {u"localhost"_s, u"D"_s},
            {u"example.com."_s, u"D"_s},
            {u"a-b.x--y.com"_s, u"D"_s},
            {u"bücher.例え"_s, u"D"_s},
            {u"e\u0301xample.com"_s, u"D"_s},
            {u""_s, {}},
            {u"."_s, {}},
            {u"example.com.."_s, {}},
            {u".example.com"_s, {}},
            {u"_dmarc.example.com"_s, {}},
            {u"-a.com"_s, {}},
            {u"a-.com"_s, {}},
            {u"a b.com"_s, {}},
            {u"😀.com"_s, {}},
            {u"a\u200Db.com"_s, {}},
            {u"255.255.255.255"_s, u"D4"_s},
            {u"01.2.3.4"_s, u"D"_s},
            {u"1.2.3.256"_s, u"D"_s},
            {u"::"_s, u"6"_s},
            {u"1:2:3:4:5:6:7:8"_s, u"6"_s},
            {u"::ffff:1.2.3.4"_s, u"6"_s},
            {u"2001:db8::1::1"_s, {}},
            {u"fe80::1%eth0"_s, {}},
            {u"12345::1"_s, {}},
        };
        for (const auto& [text, kinds] : rows)
            QTest::newRow(qPrintable(text + u" -> "_s + kinds)) << text << kinds;
        const QString l63(63, u'a');
        const QString name253 = l63 + u'.' + l63 + u'.' + l63 + u'.' + QString(61, u'a');
        QTest::newRow("label 63") << QString(l63 + u".com"_s) << u"D"_s;
        QTest::newRow("label 64") << QString(l63 + u"a.com"_s) << QString();
        QTest::newRow("total 253") << name253 << "D";
        QTest::newRow("total 254") << name253 + u'a' << "";
        QTest::newRow("v4 NUL junk") << u"1.2.3.4"_s + QChar(0) + u"junk"_s << "";
    }
    void namesAndAddresses() {
        QFETCH(QString, text);
        QFETCH(QString, kinds);
        QCOMPARE(isValidDomainName(text), kinds.contains(u'D'));
        QCOMPARE(isValidIPv4Address(text), kinds.contains(u'4'));
        QCOMPARE(isValidIPv6Address(text), kinds.contains(u'6'));
    }

    // Configuration defaults, and one notice per change (also to the same value).
    void configuration() {
        DNSConfiguration c;
        QCOMPARE(c.listenAddresses().join(u' ') + u'|' + QString::number(c.listenPort()) + u'|' +
                     c.allowQuery().join(u' ') + u'|' + c.allowTransfer().join(u' ') + u'|' +
                     c.forwarders().join(u' ') + u'|' + c.loggingLevel(),
                 u"127.0.0.1 ::1|53|any|none||info"_s);
        QVERIFY(c.recursion() && !c.enableDNSSEC() && c.zoneFiles().isEmpty());
        QSignalSpy spy(&c, &DNSConfiguration::changed);
        const QStringList list = {"10.0.0.1"};
        const std::function<void()> changes[] = {
            [&] { c.setListenAddresses(list); },  [&] { c.setListenPort(53); },
            [&] { c.setAllowQuery(list); },       [&] { c.setAllowTransfer(list); },
            [&] { c.setRecursion(false); },       [&] { c.setForwarders(list); },
            [&] { c.setLoggingLevel("debug"); },  [&] { c.setEnableDNSSEC(true); },
            [&] { c.setZoneFiles({}); },          [&] { c.setZoneFile("b.org", "db.b"); },
            [&] { c.setZoneFile("b.org", "z"); }, [&] { c.removeZoneFile("b.org"); }};
        for (const auto& change : changes) {
            spy.clear();
            change();
            QCOMPARE(spy.count(), 1);
        }
        c.removeZoneFile(u"b.org"_s); // not there: nothing changes
        QCOMPARE(spy.count(), 1);
        QVERIFY(c.listenAddresses() == list && !c.recursion() && c.enableDNSSEC());
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
