// Hostile record data must never turn into more records, a directive or a
// parenthesised group. Every zone of the corpus holds one hostile field; BIND
// either refuses the file, or reads exactly the records Korvi holds plus the
// SOA. No written line begins with "$", and Korvi's own reader does not find
// an injected record either.

#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "ZoneTestData.h"
#include "model/DNSZone.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString injectedAddress = QStringLiteral("203.0.113.66");

struct Payload {
    QString label;
    QString text;
    bool fitsOneString; // short enough for one TXT string and one label
    // Judged by BIND as well as by Korvi's reader. Unicode line separators
    // matter to Korvi's reader only: to BIND they are bytes like any other,
    // escaped as \DDD like the NUL case.
    bool bind = true;
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
        {"line separator", QString(QChar(0x2028)) + evil, true, false},
        {"next line", QString(QChar(0x85)) + evil, true, false},
        {"paragraph separator", QString(QChar(0x2029)) + evil, true, false},
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

struct Case {
    QString label;
    SOARecord soa;
    QList<DNSRecord> records;
    bool mustLoad = false; // BIND is expected to accept this one
    bool bind = true;      // BIND judges this one
};

Case makeCase(const QString& label, const DNSRecord& hostile, bool mustLoad,
              const SOARecord& soa = standardSOA()) {
    Case c;
    c.label = label;
    c.soa = soa;
    c.records = {rawRecord({}, DNSRecordType::NS, QStringLiteral("ns1.example.com.")),
                 rawRecord(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.1")),
                 hostile};
    c.mustLoad = mustLoad;
    return c;
}

QList<Case> corpus() {
    QList<Case> cases;
    for (const Payload& p : payloads()) {
        const qsizetype first = cases.size();
        for (const DNSRecordType type : allRecordTypes()) {
            const QString typeName = rawValue(type);
            // Text-like values must load whenever their strings fit.
            const bool text = type == DNSRecordType::TXT || type == DNSRecordType::CAA;
            cases.append(makeCase(typeName + " value + " + p.label,
                                  rawRecord(QStringLiteral("host"), type, baseValue(type) + p.text),
                                  text && p.fitsOneString));
            // The value made of the payload alone, for the types whose data
            // is presentation text.
            if (text || type == DNSRecordType::SOA) {
                cases.append(makeCase(typeName + " value is " + p.label,
                                      rawRecord(QStringLiteral("host"), type, p.text),
                                      text && p.fitsOneString));
            }
        }
        cases.append(makeCase("name + " + p.label,
                              rawRecord("host" + p.text, DNSRecordType::A, "192.0.2.99"),
                              p.fitsOneString));
        cases.append(makeCase("name is " + p.label, rawRecord(p.text, DNSRecordType::TXT, "x"),
                              p.fitsOneString));

        DNSRecord caa = rawRecord(QStringLiteral("host"), DNSRecordType::CAA, "ca.example.net");
        caa.tag = QStringLiteral("issue") + p.text;
        cases.append(makeCase("CAA tag + " + p.label, caa, false));

        // Records are made field by field, so that nothing is cleaned.
        const DNSRecord plain = rawRecord(QStringLiteral("www"), DNSRecordType::A, "192.0.2.10");
        SOARecord soa = standardSOA();
        soa.primaryNameServer = "ns1" + p.text + ".example.com.";
        cases.append(makeCase("SOA primary + " + p.label, plain, p.fitsOneString, soa));
        soa = standardSOA();
        soa.adminEmail = p.text + "admin.example.com.";
        cases.append(makeCase("SOA admin + " + p.label, plain, p.fitsOneString, soa));
        for (qsizetype i = first; i < cases.size(); ++i)
            cases[i].bind = p.bind;
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
    QList<qsizetype> judged;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        if (cases.at(i).bind)
            judged.append(i);
    }
    constexpr qsizetype parallel = 4;
    int loaded = 0;
    for (qsizetype first = 0; first < judged.size(); first += parallel) {
        const QList<qsizetype> batch = judged.mid(first, parallel);
        std::vector<std::unique_ptr<QProcess>> running;
        for (const qsizetype i : batch)
            running.push_back(
                startProgram(checkZoneProgram, dumpZoneArguments(zoneName, paths.at(i))));
        QList<ProgramResult> results;
        for (auto& process : running)
            results.append(finishProgram(*process));
        for (qsizetype k = 0; k < batch.size(); ++k) {
            const Case& c = cases.at(batch.at(k));
            const ProgramResult& result = results.at(k);
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
    qInfo("%d hostile zones written; BIND judged %d and loaded %d with exactly their own records",
          int(cases.size()), int(judged.size()), loaded);
}

QTEST_GUILESS_MAIN(TestZoneFileHostile)
#include "tst_zonefile_hostile.moc"
