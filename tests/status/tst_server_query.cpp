// ServerQuery against a real named of the test's own: its answers equal dig's
// for several types (a long TXT answer comes over TCP after truncation), the
// SOA serial, NXDOMAIN, a silent port within the time limit, and exactly one
// delivery, none to a requester that is gone.
#include <QElapsedTimer>
#include <QTest>

#include "NamedSandbox.h"
#include "manager/ServerQuery.h"

using namespace korvi;
using namespace korvi::test;

class ServerQueryTest : public QObject {
    Q_OBJECT

    NamedSandbox m_named;

    DnsQuestion question(const QString& name, const QString& type) const {
        DnsQuestion q;
        q.port = m_named.port();
        q.name = name;
        q.type = type;
        return q;
    }

    // Asks through the asynchronous path and waits for the one delivery.
    DnsAnswer ask(const DnsQuestion& q) {
        QObject requester;
        int deliveries = 0;
        DnsAnswer result;
        ServerQuery::ask(&requester, q, [&](const DnsAnswer& answer) {
            ++deliveries;
            result = answer;
        });
        if (!QTest::qWaitFor([&] { return deliveries > 0; }, q.timeoutMs * 3 + 2000))
            qWarning("no answer delivered");
        QTest::qWait(20);
        if (deliveries != 1)
            qWarning("%d deliveries", deliveries);
        return deliveries == 1 ? result : DnsAnswer{};
    }

    static QStringList sorted(QStringList lines) {
        lines.sort();
        return lines;
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty())
            QSKIP("dig is not installed");
        QVERIFY(m_named.prepare());
        if (!m_named.start())
            QSKIP("named is not installed");
        QVERIFY2(m_named.waitUntilServing(), qPrintable(m_named.output()));
    }
    void cleanupTestCase() { m_named.stop(); }

    void answersEqualDig_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("overTcp");
        QTest::newRow("two addresses") << "www.example.test"
                                       << "A" << false;
        QTest::newRow("one TXT string") << "txt.example.test"
                                        << "TXT" << false;
        QTest::newRow("TXT with quotes and two strings") << "words.example.test"
                                                         << "TXT" << false;
        QTest::newRow("long TXT truncated over UDP") << "big.example.test"
                                                     << "TXT" << true;
        QTest::newRow("MX, in and out of the zone") << "example.test"
                                                    << "MX" << false;
        QTest::newRow("NS") << "example.test"
                            << "NS" << false;
        QTest::newRow("SOA") << "example.test."
                             << "SOA" << false;
        QTest::newRow("CNAME followed") << "alias.example.test"
                                        << "A" << false;
        QTest::newRow("no data of the type") << "www.example.test"
                                             << "MX" << false;
    }
    void answersEqualDig() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(bool, overTcp);
        const DnsAnswer answer = ask(question(name, type));
        QCOMPARE(answer.outcome, DnsOutcome::noError);
        QCOMPARE(answer.rcode, QStringLiteral("NOERROR"));
        QVERIFY(answer.authoritative);
        QCOMPARE(answer.overTcp, overTcp);
        const QString digged = dig(m_named.port(), name, type);
        const QStringList expected =
            digged.isEmpty() ? QStringList() : digged.split(QLatin1Char('\n'));
        QCOMPARE(sorted(answer.records), sorted(expected));
    }

    void soaSerial() {
        const DnsAnswer answer =
            ask(question(QStringLiteral("example.test"), QStringLiteral("SOA")));
        QCOMPARE(answer.soaSerial, std::optional<quint32>(NamedSandbox::serial));
        const DnsAnswer notSoa =
            ask(question(QStringLiteral("www.example.test"), QStringLiteral("A")));
        QCOMPARE(notSoa.soaSerial, std::nullopt);
    }

    void responseCodes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("queryClass");
        QTest::addColumn<DnsOutcome>("outcome");
        QTest::addColumn<QString>("rcode");
        QTest::addColumn<bool>("authoritative");
        QTest::newRow("name not in the zone") << "nothere.example.test"
                                              << "A"
                                              << "IN" << DnsOutcome::nxDomain << "NXDOMAIN" << true;
        QTest::newRow("zone the server does not serve")
            << "example.org"
            << "SOA"
            << "IN" << DnsOutcome::refused << "REFUSED" << false;
        QTest::newRow("server version in class CH")
            << "version.bind"
            << "TXT"
            << "CH" << DnsOutcome::noError << "NOERROR" << true;
    }
    void responseCodes() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, queryClass);
        QFETCH(DnsOutcome, outcome);
        QFETCH(QString, rcode);
        QFETCH(bool, authoritative);
        DnsQuestion q = question(name, type);
        q.queryClass = queryClass;
        const DnsAnswer answer = ask(q);
        QCOMPARE(answer.outcome, outcome);
        QCOMPARE(answer.rcode, rcode);
        QCOMPARE(answer.authoritative, authoritative);
        QVERIFY(answer.responded());
        QVERIFY(answer.error.isEmpty());
    }

    void badQuestion_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("type");
        QTest::newRow("unknown type") << "127.0.0.1"
                                      << "NOSUCHTYPE";
        QTest::newRow("address not an address") << "localhost:53"
                                                << "A";
    }
    void badQuestion() {
        QFETCH(QString, address);
        QFETCH(QString, type);
        DnsQuestion q = question(QStringLiteral("example.test"), type);
        q.address = address;
        const DnsAnswer answer = ask(q);
        QCOMPARE(answer.outcome, DnsOutcome::badQuestion);
        QVERIFY(!answer.responded());
        QVERIFY(!answer.error.isEmpty());
    }

    void silentPortWithinLimit() {
        DnsQuestion q = question(QStringLiteral("example.test"), QStringLiteral("SOA"));
        q.port = freePort();
        QVERIFY(q.port > 0);
        q.timeoutMs = 600;
        QElapsedTimer clock;
        clock.start();
        const DnsAnswer answer = ask(q);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(answer.outcome == DnsOutcome::timeout ||
                     answer.outcome == DnsOutcome::networkError,
                 qPrintable(outcomeWord(answer.outcome)));
        QVERIFY(!answer.responded());
        QVERIFY(!answer.error.isEmpty());
        QVERIFY2(elapsed < q.timeoutMs + 1000, qPrintable(QString::number(elapsed)));
    }

    void nothingForARequesterThatIsGone() {
        auto* requester = new QObject;
        int deliveries = 0;
        DnsQuestion q = question(QStringLiteral("example.test"), QStringLiteral("SOA"));
        ServerQuery::ask(requester, q, [&](const DnsAnswer&) { ++deliveries; });
        delete requester;
        // A second question shows when the first one's answer would have come.
        const DnsAnswer later = ask(q);
        QCOMPARE(later.outcome, DnsOutcome::noError);
        QTest::qWait(200);
        QCOMPARE(deliveries, 0);
    }
};

QTEST_GUILESS_MAIN(ServerQueryTest)
#include "tst_server_query.moc"
