// Record types, the cleaning constructor and the stored JSON form of records.
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QtTest>

#include <limits>

#include "model/DNSRecord.h"
#include "model/JsonFields.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"

using namespace korvi;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 maxTTL = 2147483647;
constexpr qint64 highest = std::numeric_limits<qint64>::max();
constexpr qint64 lowest = std::numeric_limits<qint64>::min();

// Records of several types, with options, non-ASCII text and escapes, as stored.
QJsonArray sampleArray() {
    QByteArray text =
        "["
        "{'id':'0F8FAD5B-D9CB-469F-A165-70867728950E','name':'www','type':'A','value':'192.0.2.1',"
        "'ttl':3600},"
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

// A decoded record holds exactly what its object said, absent keys still absent.
bool matchesSource(const DNSRecord& r, const QJsonObject& o) {
    const QJsonObject back = r.toJson();
    for (const char* key : {"name", "type", "value"}) {
        if (back.value(QLatin1String(key)) != o.value(QLatin1String(key)))
            return false;
    }
    const QJsonValue id = o.value("id"_L1);
    if (json::integerValue(o.value("ttl"_L1)) != r.ttl ||
        (!id.isNull() && !id.isUndefined() && id.toString().toUpper() != uuidText(r.id)))
        return false;
    for (const char* key : {"priority", "weight", "port", "flag", "tag", "algorithm", "digestType",
                            "usage", "selector"}) {
        const QJsonValue given = o.value(QLatin1String(key));
        const QJsonValue kept = back.value(QLatin1String(key));
        if (given.isNull() || given.isUndefined() ? !kept.isUndefined()
            : given.isString()                    ? kept != given
                               : json::integerValue(given) != json::integerValue(kept))
            return false;
    }
    return true;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The type table: display, summary, placeholder, help, fields (empty: checked below).
    void typeTable_data() {
        QTest::addColumn<QString>("texts");
        const QString dot = u" (trailing dot will be added automatically)"_s;
        const QString caa = u"Certificate Authority Authorization"_s;
        QTest::newRow("A") << u"IPv4 Address|Points domain to IPv4 address|192.168.1.100|IPv4 "
                              "address (e.g., 192.168.1.100)|"_s;
        QTest::newRow("AAAA") << u"IPv6 Address|Points domain to IPv6 address|2001:db8::1|IPv6 "
                                 "address (e.g., 2001:db8::1)|"_s;
        QTest::newRow("CAA") << caa + u'|' + caa + u"|||flag=0 tag=issue"_s;
        QTest::newRow("CNAME") << u"Canonical Name|Creates alias to another domain|"
                                  "target.example.com|Target hostname"_s +
                                      dot + u'|';
        QTest::newRow("MX") << u"Mail Exchange|Directs email to mail server|mail.example.com|Mail "
                               "server hostname"_s +
                                   dot + u"|priority=10"_s;
        QTest::newRow("NS") << u"Name Server|Delegates subdomain to name server|ns1.example.com|"
                               "Name server hostname"_s +
                                   dot + u'|';
        QTest::newRow("PTR") << u"Pointer|Reverse DNS lookup (IP to domain)|host.example.com|"
                                "Target hostname for reverse DNS"_s +
                                    dot + u'|';
        QTest::newRow("SOA") << u"Start of Authority|Start of Authority (zone configuration)|ns1."
                                "example.com. admin.example.com.|Primary NS and admin email in "
                                "format: ns1.domain.com. admin.domain.com.|"_s;
        QTest::newRow("SRV") << u"Service|Service location (protocol and port)|target.example.com|"
                                "Target hostname"_s +
                                    dot + u"|priority=10 weight=5 port=80"_s;
        QTest::newRow("SSHFP") << u"SSH Fingerprint|SSH public key fingerprint|aa:bb:cc:dd:ee:ff:"
                                  "00:11:22:33:44:55:66:77:88:99:aa:bb:cc:dd|SSH fingerprint in "
                                  "format: algorithm digesttype fingerprint|algorithm=1 "
                                  "digestType=1"_s;
        QTest::newRow("TLSA") << u"TLS Association|TLS certificate association|302017241a4b7bb57a"
                                 "8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd|TLSA data in "
                                 "format: usage selector matchingtype data|usage=3 selector=1 "
                                 "digestType=1"_s;
        QTest::newRow("TXT") << u"Text|Text data (SPF, DKIM, verification)||Text content in "
                                "quotes (e.g., SPF, DKIM, domain verification)|"_s;
    }
    void typeTable() {
        QFETCH(QString, texts);
        const QStringList expected = texts.split(u'|');
        const auto type = recordTypeFromRawValue(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(type);
        QStringList fields;
        for (const RecordFieldDefault& f : recordTypeInfo(*type).fields)
            fields.append(recordFieldName(f.field) + u'=' + QString::fromLatin1(f.defaultValue));
        QCOMPARE(
            (QStringList{displayName(*type), summary(*type),
                         expected[2].isEmpty() ? QString() : valuePlaceholder(*type),
                         expected[3].isEmpty() ? QString() : valueHelp(*type), fields.join(u' ')}),
            expected);
    }

    void outsideDomainTexts() {
        const auto domainAfter = [](const QString& text, const QString& pattern) {
            const auto m = QRegularExpression(pattern).match(text);
            return m.hasMatch() && isValidDomainName(m.captured(1));
        };
        QVERIFY(domainAfter(valuePlaceholder(DNSRecordType::CAA), u"^issue (\\S+)$"_s));
        QVERIFY(domainAfter(
            valueHelp(DNSRecordType::CAA),
            u"^CAA policy in format: flag tag value \\(e\\.g\\., 0 issue (\\S+)\\)$"_s));
        // An SPF domain may begin with "_", which is not a host name: its shape only.
        QVERIFY(
            QRegularExpression(u"^\"v=spf1 include:[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)+ ~all\"$"_s)
                .match(valuePlaceholder(DNSRecordType::TXT))
                .hasMatch());
    }

    // Names, hosts and values of each type cleaned; names and values also by the constructor.
    void cleaning_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const struct {
            const char *tag, *kind, *input, *expected;
        } rows[] = {{"name trim", "name", " www ", "www"},
                    {"name line breaks", "name", "\t\r\nmail\n", "mail"},
                    {"name service labels", "name", "_sip._tcp", "_sip._tcp"},
                    {"name symbols", "name", "a@b#c$d*e/f! g", "abcdefg"},
                    {"name unicode spaces", "name", "\u00A0web\u3000site\u2003", "website"},
                    {"name combining accent", "name", "cafe\u0301", "cafe\u0301"},
                    {"name emoji", "name", "web😀", "web"},
                    {"name zero-width joiner", "name", "ex\u200Dample", "example"},
                    {"name other numbers", "name", "٣Ⅻ½", "٣Ⅻ½"},
                    {"host underscore", "host", " my_zone.example.com ", "myzone.example.com"},
                    {"host trailing dot", "host", "example.com.", "example.com."},
                    {"host unicode", "host", "-bücher.例え-", "-bücher.例え-"},
                    {"A trims, drops x", "A", " 192.168.1.1x ", "192.168.1.1"},
                    {"A fullwidth digits", "A", "１.２.３.４", "..."},
                    {"AAAA upper case", "AAAA", " 2001:DB8::ABCD:EF01 ", "2001:DB8::ABCD:EF01"},
                    {"AAAA zone index", "AAAA", "fe80::1%eth0", "fe80::1e0"},
                    {"CNAME underscore", "CNAME", "a_b.example.com", "ab.example.com"},
                    {"MX underscore", "MX", "mail_server.example.com.", "mailserver.example.com."},
                    {"NS trim", "NS", "\tns1.example.com\n", "ns1.example.com"},
                    {"PTR space", "PTR", "host name.example.com", "hostname.example.com"},
                    {"SRV unicode", "SRV", "sïp_1.example.com", "sïp1.example.com"},
                    {"TXT inside kept", "TXT", "  \"v=spf1  -all\"\t", "\"v=spf1  -all\""},
                    {"CAA", "CAA", " 0 issue \"ca.example.net\" ", "0 issue \"ca.example.net\""},
                    {"SOA", "SOA", " ns1.x. admin.x. ", "ns1.x. admin.x."},
                    {"SSHFP", "SSHFP", "aa:bb:cc ", "aa:bb:cc"},
                    {"TLSA", "TLSA", "ab cd!", "ab cd!"}};
        for (const auto& r : rows)
            QTest::newRow(r.tag) << r.kind << QString::fromUtf8(r.input)
                                 << QString::fromUtf8(r.expected);
        QTest::newRow("name lone surrogate") << "name" << u"a"_s + QChar(0xD800) << "a";
        QTest::newRow("TXT 300") << "TXT" << QString(300, u'x') << QString(255, u'x');
        QTest::newRow("TXT 255") << "TXT" << QString(255, u'y') << QString(255, u'y');
        // TXT values are cut at 255 characters as the user sees them.
        for (const QString& unit : {u"😀"_s, u"🇫🇮"_s, u"e\u0301"_s, u"👨\u200D👩\u200D👧"_s})
            QTest::addRow("TXT 300 x %s", qPrintable(unit))
                << "TXT" << unit.repeated(300) << unit.repeated(255);
    }
    void cleaning() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        if (kind == "host"_L1) {
            QCOMPARE(cleanHostText(input), expected);
        } else if (kind == "name"_L1) {
            QCOMPARE(cleanRecordName(input), expected);
            QCOMPARE(DNSRecord(input, DNSRecordType::A, u"1.2.3.4"_s, 60).name, expected);
        } else {
            const DNSRecordType type = *recordTypeFromRawValue(kind);
            QCOMPARE(normalizeRecordValue(input, type), expected);
            QCOMPARE(DNSRecord(QString(), type, input, 60).value, expected);
        }
    }

    void constructor() {
        const auto ttl = [](qint64 t) {
            return DNSRecord("a", DNSRecordType::A, "1.2.3.4", t).ttl;
        };
        const std::pair<qint64, qint64> ttls[] = {
            {0, 1},       {-5, 1},          {lowest, 1},          {1, 1},
            {3600, 3600}, {maxTTL, maxTTL}, {maxTTL + 1, maxTTL}, {highest, maxTTL}};
        for (auto [given, kept] : ttls)
            QCOMPARE(ttl(given), kept);

        RecordOptions options; // stored as given, even out of range or for another type
        options.priority = -7;
        options.tag = u" ISSUE "_s;
        options.selector = lowest;
        const DNSRecord a(" www ", DNSRecordType::A, " 10.0.0.1 ", 60, options);
        const DNSRecord b("www", DNSRecordType::A, "10.0.0.1", 60);
        QCOMPARE(a.priority, std::optional<qint64>(-7));
        QCOMPARE(a.tag, std::optional<QString>(" ISSUE "));
        QCOMPARE(a.selector, std::optional<qint64>(lowest));
        QVERIFY(!a.weight && !a.port && !a.flag && !a.algorithm && !a.digestType && !a.usage);
        QVERIFY(!b.priority && !b.tag && !b.selector);
        QVERIFY(!a.id.isNull() && a.id != b.id);
    }

    void jsonWrite() {
        const DNSRecord full("x", DNSRecordType::CAA, "v", 60,
                             RecordOptions{1, 2, 3, 4, u"issuewild"_s, 5, 6, 7, 8});
        const QJsonObject o = full.toJson();
        QCOMPARE(o.size(), 14);
        QCOMPARE(o.value("tag"), QJsonValue("issuewild"));
        QCOMPARE(o.value("selector").toInteger(), 8);
        const QString id = o.value("id").toString();
        QVERIFY2(QRegularExpression(u"^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s)
                     .match(id)
                     .hasMatch(),
                 qPrintable(id));
        QCOMPARE(QUuid::fromString(id), full.id);

        const DNSRecord bare("x", DNSRecordType::MX, "m.example.", 60);
        QCOMPARE(bare.toJson().keys(), QStringList({"id", "name", "ttl", "type", "value"}));
        const QByteArray text = QJsonDocument(bare.toJson()).toJson(QJsonDocument::Compact);
        QVERIFY2(!text.contains("null") && text.contains("\"ttl\":60"), text.constData());

        // Written and read back through text, every sample keeps every field.
        const auto records = decodeAll(sampleArray());
        QVERIFY(records && records->size() == 5);
        QJsonArray written;
        for (const DNSRecord& r : *records)
            written.append(r.toJson());
        QCOMPARE(written, sampleArray());
        const auto again =
            decodeAll(QJsonDocument::fromJson(QJsonDocument(written).toJson()).array());
        QVERIFY(again);
        QCOMPARE(again->at(2).id, QUuid()); // the all-zero id is an id like any other
        QCOMPARE(again->at(4).digestType, std::optional<qint64>(highest));
    }

    void jsonRead_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined: remove the key
        QTest::addColumn<bool>("readable");
        const QJsonValue gone(QJsonValue::Undefined);
        const QJsonValue null(QJsonValue::Null);
        QTest::newRow("id missing") << "id" << gone << true;
        QTest::newRow("id null") << "id" << null << true;
        QTest::newRow("id lower case")
            << "id" << QJsonValue("0f8fad5b-d9cb-469f-a165-70867728950e") << true;
        for (const char* id :
             {"{0F8FAD5B-D9CB-469F-A165-70867728950E}", "0F8FAD5B-D9CB-469F-A165-70867728950EFF",
              "0F8FAD5BD9CB469FA16570867728950E", "0F8FAD5B-D9CB-469F-A165-7086772895G0", ""})
            QTest::addRow("id \"%s\"", id) << "id" << QJsonValue(id) << false;
        QTest::newRow("id number") << "id" << QJsonValue(42) << false;
        for (const char* key : {"name", "type", "value", "ttl"}) {
            QTest::addRow("%s missing", key) << key << gone << false;
            QTest::addRow("%s null", key) << key << null << false;
        }
        QTest::newRow("name number") << "name" << QJsonValue(5) << false;
        QTest::newRow("value array") << "value" << QJsonValue(QJsonArray{"a"}) << false;
        QTest::newRow("type lower") << "type" << QJsonValue("mx") << false;
        QTest::newRow("type unknown") << "type" << QJsonValue("SPF") << false;
        QTest::newRow("ttl text") << "ttl" << QJsonValue("3600") << false;
        QTest::newRow("ttl fraction") << "ttl" << QJsonValue(3600.5) << false;
        QTest::newRow("ttl bool") << "ttl" << QJsonValue(true) << false;
        QTest::newRow("ttl huge") << "ttl" << QJsonValue(1e300) << false;
        QTest::newRow("ttl 0, not clamped") << "ttl" << QJsonValue(0) << true;
        QTest::newRow("name not cleaned") << "name" << QJsonValue(" my host! ") << true;
        QTest::newRow("priority null") << "priority" << null << true;
        QTest::newRow("priority text") << "priority" << QJsonValue("10") << false;
        QTest::newRow("port fraction") << "port" << QJsonValue(1.5) << false;
        QTest::newRow("tag number") << "tag" << QJsonValue(0) << false;
        QTest::newRow("unknown key") << "comment" << QJsonValue("ignored") << true;
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
        if (r)
            QVERIFY(matchesSource(*r, o)); // as stored: no cleaning, no clamping
        if (r && !o.contains("id"))
            QVERIFY(!r->id.isNull() && r->id != DNSRecord::fromJson(o)->id); // fresh each time
        for (const QJsonValue& notObject :
             {QJsonValue(QJsonArray{o}), QJsonValue("x"), QJsonValue()})
            QVERIFY(!DNSRecord::fromJson(notObject));
    }

    // Every prefix of a stored document: only the whole text reads.
    void jsonEveryTruncation() {
        const QByteArray full = QJsonDocument(sampleArray()).toJson(QJsonDocument::Indented);
        QList<qsizetype> read;
        for (qsizetype n = 0; n <= full.size(); ++n) {
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(full.left(n), &error);
            if (error.error == QJsonParseError::NoError && doc.isArray() && decodeAll(doc.array()))
                read.append(n);
        }
        // The whole text, with and without its final newline.
        QCOMPARE(read, (QList<qsizetype>{full.size() - 1, full.size()}));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
