// Hostile record data must never turn into more records, a directive or a
// parenthesised group. Every zone of the corpus holds one hostile field; BIND
// either refuses the file, or reads exactly the records Korvi holds plus the
// SOA. No written line begins with "$", and Korvi's own reader does not find
// an injected record either.

#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/DNSZone.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString injectedAddress = QStringLiteral("203.0.113.66");

struct Payload {
    QString label;
    QString text;
    bool fitsOneString; // short enough for one TXT string and one label
};

QList<Payload> payloads() {
    const QString evil = QStringLiteral("evil 3600 IN A ") + injectedAddress;
    return {
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
        {"line separator", QString(QChar(0x2028)) + evil, true},
        {"next line", QString(QChar(0x85)) + evil, true},
        {"very long", QString(5000, u'a'), false},
        {"very long words", QStringLiteral("word ").repeated(1000) + "\n" + evil, false},
    };
}

// A valid value of each type, to which a payload is appended.
QString baseValue(DNSRecordType type) {
    switch (type) {
    case DNSRecordType::A:
        return QStringLiteral("192.0.2.10");
    case DNSRecordType::AAAA:
        return QStringLiteral("2001:db8::10");
    case DNSRecordType::CAA:
        return QStringLiteral("ca.example.net");
    case DNSRecordType::CNAME:
        return QStringLiteral("www.example.com.");
    case DNSRecordType::MX:
        return QStringLiteral("mail.example.com.");
    case DNSRecordType::NS:
        return QStringLiteral("ns1.example.com.");
    case DNSRecordType::PTR:
        return QStringLiteral("host.example.com.");
    case DNSRecordType::SOA:
        return QStringLiteral("ns1.example.com. admin.example.com. 1 3600 1800 1209600 86400");
    case DNSRecordType::SRV:
        return QStringLiteral("sip.example.com.");
    case DNSRecordType::SSHFP:
        return QStringLiteral("123456789abcdef67890123456789abcdef67890");
    case DNSRecordType::TLSA:
        return QStringLiteral("302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd");
    case DNSRecordType::TXT:
        return QStringLiteral("\"v=spf1 -all\"");
    }
    return {};
}

// A record with its fields set directly, so that nothing is cleaned.
DNSRecord raw(const QString& name, DNSRecordType type, const QString& value) {
    DNSRecord record;
    record.name = name;
    record.type = type;
    record.value = value;
    record.ttl = 3600;
    return record;
}

struct Case {
    QString label;
    SOARecord soa;
    QList<DNSRecord> records;
    bool mustLoad = false; // BIND is expected to accept this one
};

SOARecord standardSOA() {
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.example.com.");
    soa.adminEmail = QStringLiteral("admin.example.com.");
    soa.serial = 2025030501;
    return soa;
}

Case makeCase(const QString& label, const DNSRecord& hostile, bool mustLoad,
              const SOARecord& soa = standardSOA()) {
    Case c;
    c.label = label;
    c.soa = soa;
    c.records = {raw({}, DNSRecordType::NS, QStringLiteral("ns1.example.com.")),
                 raw(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.1")),
                 hostile};
    c.mustLoad = mustLoad;
    return c;
}

QList<Case> corpus() {
    QList<Case> cases;
    for (const Payload& p : payloads()) {
        for (const DNSRecordType type : allRecordTypes()) {
            const QString typeName = rawValue(type);
            // Text-like values must load whenever their strings fit.
            const bool text = type == DNSRecordType::TXT || type == DNSRecordType::CAA;
            cases.append(makeCase(typeName + " value + " + p.label,
                                  raw(QStringLiteral("host"), type, baseValue(type) + p.text),
                                  text && p.fitsOneString));
            // The value made of the payload alone, for the types whose data
            // is text and for one address type.
            if (text || type == DNSRecordType::SOA || type == DNSRecordType::A) {
                cases.append(makeCase(typeName + " value is " + p.label,
                                      raw(QStringLiteral("host"), type, p.text),
                                      text && p.fitsOneString));
            }
        }
        cases.append(makeCase("name + " + p.label,
                              raw("host" + p.text, DNSRecordType::A, "192.0.2.99"),
                              p.fitsOneString));
        cases.append(
            makeCase("name is " + p.label, raw(p.text, DNSRecordType::TXT, "x"), p.fitsOneString));

        DNSRecord caa = raw(QStringLiteral("host"), DNSRecordType::CAA, "ca.example.net");
        caa.tag = QStringLiteral("issue") + p.text;
        cases.append(makeCase("CAA tag + " + p.label, caa, false));

        const DNSRecord plain = raw(QStringLiteral("www"), DNSRecordType::A, "192.0.2.10");
        SOARecord soa = standardSOA();
        soa.primaryNameServer = "ns1" + p.text + ".example.com.";
        cases.append(makeCase("SOA primary + " + p.label, plain, p.fitsOneString, soa));
        soa = standardSOA();
        soa.adminEmail = p.text + "admin.example.com.";
        cases.append(makeCase("SOA admin + " + p.label, plain, p.fitsOneString, soa));
    }
    return cases;
}

// True when BIND's dump holds the A record the payloads try to inject
// (rather than the same text inside some record's data).
bool hasInjectedRecord(const QString& dump) {
    for (const QString& line : dump.split(u'\n')) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() == 5 && fields.at(3) == QLatin1String("A") &&
            fields.at(4) == injectedAddress)
            return true;
    }
    return false;
}

} // namespace

class TestZoneFileHostile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void corpusCannotInject();

private:
    QTemporaryDir m_dir;
};

void TestZoneFileHostile::initTestCase() {
    if (!bindCheckersInstalled())
        QSKIP("BIND's checkers are not installed in /usr/bin");
    QVERIFY(m_dir.isValid());
}

void TestZoneFileHostile::corpusCannotInject() {
    const QList<Case> cases = corpus();
    const QString zoneName = QStringLiteral("example.com");

    // Write every zone, and check what does not need BIND.
    QStringList paths;
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

        const QString path = m_dir.filePath(QStringLiteral("case%1.zone").arg(i));
        QVERIFY(writeTextFile(path, text));
        paths.append(path);
    }

    // Let BIND judge them, a few checkers at a time.
    constexpr qsizetype parallel = 4;
    int loaded = 0;
    for (qsizetype first = 0; first < cases.size(); first += parallel) {
        std::vector<std::unique_ptr<QProcess>> running;
        const qsizetype end = std::min(first + parallel, cases.size());
        for (qsizetype i = first; i < end; ++i)
            running.push_back(
                startProgram(checkZoneProgram, dumpZoneArguments(zoneName, paths.at(i))));
        QList<ProgramResult> results;
        for (auto& process : running)
            results.append(finishProgram(*process));
        for (qsizetype i = first; i < end; ++i) {
            const Case& c = cases.at(i);
            const ProgramResult& result = results.at(i - first);
            QVERIFY2(result.finished, qPrintable(c.label));
            if (c.mustLoad)
                QVERIFY2(result.ok(), qPrintable(c.label + "\n" + result.describe()));
            if (!result.ok())
                continue;
            ++loaded;
            QVERIFY2(countDumpedRecords(result.output) == c.records.size() + 1,
                     qPrintable(c.label + "\n" + result.output));
            QVERIFY2(!hasInjectedRecord(result.output), qPrintable(c.label + "\n" + result.output));
        }
    }
    qInfo("%d of %d hostile zones loaded in BIND with exactly their own records", loaded,
          int(cases.size()));
}

QTEST_GUILESS_MAIN(TestZoneFileHostile)
#include "tst_zonefile_hostile.moc"
