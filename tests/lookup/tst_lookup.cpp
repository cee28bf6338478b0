// Lookups against a named of the test's own, each compared with what dig prints for the same
// question: status, header flags, the answer, authority and additional sections with their
// TTLs; NXDOMAIN for a missing name; a dead port ends quickly with a clear message; every
// question asked in the background is answered once.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include "../status/NamedSandbox.h"
#include "manager/DnsLookup.h"

using namespace korvi;
using namespace korvi::test;
using namespace Qt::StringLiterals;

namespace {

struct DigView {
    QString status;
    QStringList flags;
    QStringList answer, authority, additional;
};

// dig's full output for the question, taken apart.
DigView digView(quint16 port, const QString& name, const QString& type) {
    QProcess process;
    process.start(u"dig"_s, {u"@127.0.0.1"_s, u"-p"_s, QString::number(port), name, type,
                             u"+time=2"_s, u"+tries=1"_s, u"+nocookie"_s, u"+noedns"_s});
    process.waitForFinished(10000);
    DigView view;
    QStringList* section = nullptr;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        static const QRegularExpression status(u"status: (\\w+)"_s);
        static const QRegularExpression flags(u";; flags: ([a-z ]*);"_s);
        if (const auto m = status.match(line); m.hasMatch())
            view.status = m.captured(1);
        if (const auto m = flags.match(line); m.hasMatch())
            view.flags = m.captured(1).split(u' ', Qt::SkipEmptyParts);
        if (line.startsWith(u";; ANSWER SECTION"))
            section = &view.answer;
        else if (line.startsWith(u";; AUTHORITY SECTION"))
            section = &view.authority;
        else if (line.startsWith(u";; ADDITIONAL SECTION"))
            section = &view.additional;
        else if (line.isEmpty() || line.startsWith(u';'))
            section = line.isEmpty() ? nullptr : section;
        else if (section)
            section->append(line.simplified());
    }
    for (QStringList* list : {&view.answer, &view.authority, &view.additional})
        list->sort();
    return view;
}

QStringList lines(const QList<LookupRecord>& records) {
    QStringList out;
    for (const LookupRecord& r : records)
        out.append(r.text().simplified());
    out.sort();
    return out;
}

} // namespace

class TestLookup : public QObject {
    Q_OBJECT

    NamedSandbox m_named;

    DnsQuestion question(const QString& name, const QString& type) const {
        DnsQuestion q;
        q.address = u"127.0.0.1"_s;
        q.port = m_named.port();
        q.name = name;
        q.type = type;
        q.timeoutMs = 2000;
        return q;
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        QVERIFY(m_named.prepare());
        if (!m_named.start())
            QSKIP("named is not installed");
        QVERIFY2(m_named.waitUntilServing(), qPrintable(m_named.output()));
    }
    void cleanupTestCase() { m_named.stop(); }

    void asDigShows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("rcode");
        QTest::addColumn<int>("answers");
        QTest::newRow("two addresses") << u"www.example.test"_s << u"A"_s << u"NOERROR"_s << 2;
        QTest::newRow("mail exchangers") << u"example.test."_s << u"MX"_s << u"NOERROR"_s << 2;
        QTest::newRow("quoted text") << u"words.example.test"_s << u"TXT"_s << u"NOERROR"_s << 1;
        QTest::newRow("alias") << u"alias.example.test"_s << u"A"_s << u"NOERROR"_s << 3;
        QTest::newRow("soa") << u"example.test"_s << u"SOA"_s << u"NOERROR"_s << 1;
        QTest::newRow("no such type") << u"www.example.test"_s << u"AAAA"_s << u"NOERROR"_s << 0;
        QTest::newRow("missing name") << u"nothing.example.test"_s << u"A"_s << u"NXDOMAIN"_s << 0;
        QTest::newRow("not served") << u"example.org"_s << u"A"_s << u"REFUSED"_s << 0;
    }

    void asDigShows() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, rcode);
        QFETCH(int, answers);
        const LookupResult result = DnsLookup::askNow(question(name, type));
        QVERIFY2(result.responded(), qPrintable(result.error));
        QCOMPARE(result.rcode, rcode);
        const DigView dig = digView(m_named.port(), name, type);
        QCOMPARE(result.rcode, dig.status);
        QCOMPARE(result.flags, dig.flags);
        QCOMPARE(result.answer.size(), answers);
        QCOMPARE(lines(result.answer), dig.answer);
        QCOMPARE(lines(result.authority), dig.authority);
        QCOMPARE(lines(result.additional), dig.additional);
        QCOMPARE(result.hasFlag(u"aa"_s), rcode != u"REFUSED");
        QVERIFY(result.elapsedMs >= 0 && result.elapsedMs < 2000);
    }

    // The TTL is the zone's, as served.
    void ttlAsServed() {
        const LookupResult result = DnsLookup::askNow(question(u"example.test"_s, u"NS"_s));
        QCOMPARE(result.answer.size(), 1);
        QCOMPARE(result.answer.first().ttl, 3600);
        QCOMPARE(result.answer.first().owner, u"example.test."_s);
        QCOMPARE(result.answer.first().data, u"ns1.example.test."_s);
        const LookupResult missing = DnsLookup::askNow(question(u"nothing.example.test"_s, u"A"_s));
        QCOMPARE(missing.outcome, DnsOutcome::nxDomain);
        QCOMPARE(missing.authority.size(), 1);
        QCOMPARE(missing.authority.first().type, u"SOA"_s);
    }

    // Nothing listens at the port: a timeout with Korvi's message, within the time limit.
    void deadPort() {
        DnsQuestion q = question(u"www.example.test"_s, u"A"_s);
        q.port = freePort();
        q.timeoutMs = 500;
        QElapsedTimer clock;
        clock.start();
        const LookupResult result = DnsLookup::askNow(q);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!result.responded());
        QCOMPARE(result.outcome, DnsOutcome::timeout);
        QCOMPARE(result.error, u"No answer from 127.0.0.1 port %1 within 500 ms"_s.arg(q.port));
    }

    void badQuestion_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("error");
        QTest::newRow("type") << u"127.0.0.1"_s << u"NOPE"_s
                              << u"Unknown record type or class: NOPE IN"_s;
        QTest::newRow("address") << u"localhost"_s << u"A"_s
                                 << u"\"localhost\" is not an IPv4 or IPv6 address"_s;
    }

    void badQuestion() {
        QFETCH(QString, address);
        QFETCH(QString, type);
        QFETCH(QString, error);
        DnsQuestion q = question(u"www.example.test"_s, type);
        q.address = address;
        const LookupResult result = DnsLookup::askNow(q);
        QCOMPARE(result.outcome, DnsOutcome::badQuestion);
        QCOMPARE(result.error, error);
    }

    // Three questions at once: three results, each once, each with its own question's id.
    void askedInTheBackground() {
        DnsLookup lookup;
        QSignalSpy finished(&lookup, &DnsLookup::finished);
        QHash<quint64, QString> asked;
        for (const QString& name : {u"www"_s, u"mail"_s, u"nothing"_s})
            asked.insert(lookup.ask(question(name + u".example.test"_s, u"A"_s)), name);
        QCOMPARE(asked.size(), 3);
        QTRY_COMPARE(finished.size(), 3);
        QTest::qWait(50);
        QCOMPARE(finished.size(), 3);
        for (const QList<QVariant>& args : std::as_const(finished)) {
            const auto result = args.at(1).value<LookupResult>();
            const QString name = asked.take(args.at(0).toULongLong());
            QCOMPARE(result.question.name, name + u".example.test"_s);
            QCOMPARE(result.outcome,
                     name == u"nothing" ? DnsOutcome::nxDomain : DnsOutcome::noError);
        }
        QVERIFY(asked.isEmpty());
    }

    void serverText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("v4") << u"192.0.2.1"_s << true << u"192.0.2.1"_s << 5300;
        QTest::newRow("v4 port") << u" 192.0.2.1:53 "_s << true << u"192.0.2.1"_s << 53;
        QTest::newRow("v6") << u"2001:db8::1"_s << true << u"2001:db8::1"_s << 5300;
        QTest::newRow("v6 port") << u"[::1]:8053"_s << true << u"::1"_s << 8053;
        QTest::newRow("v6 brackets") << u"[::1]"_s << true << u"::1"_s << 5300;
        QTest::newRow("name") << u"localhost"_s << false << QString() << 0;
        QTest::newRow("port zero") << u"192.0.2.1:0"_s << false << QString() << 0;
        QTest::newRow("port too big") << u"192.0.2.1:70000"_s << false << QString() << 0;
        QTest::newRow("bad v4") << u"192.0.2.256"_s << false << QString() << 0;
        QTest::newRow("unclosed") << u"[::1:53"_s << false << QString() << 0;
    }

    void serverText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, address);
        QFETCH(int, port);
        const auto server = LookupServer::parse(text, 5300);
        QCOMPARE(server.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(server->address, address);
        QCOMPARE(int(server->port), port);
    }
};

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
