// The served check on its own, with scripted answers: it ends served only once the serial and
// every expected record set match, keeps asking through stale or failing answers until its
// limit, and says what the server still answers when it gives up. Record lines compare in one
// form whether written relative or absolute, in any letter case or order.
#include <QTest>

#include "manager/ServedChangeCheck.h"

using namespace korvi;
using namespace Qt::StringLiterals;

namespace {

// Answers from two scripts, one for the SOA questions and one for the others, each taken in
// order; the last answer of a script repeats.
class ScriptedAnswers : public ServedAnswerSource {
public:
    QList<ServedAnswer> soaScript;
    QList<ServedAnswer> setScript;
    QStringList questions;

    void ask(const QString& name, const QString& type, Completion done) override {
        questions.append(name + u' ' + type);
        QList<ServedAnswer>& script = type == u"SOA" ? soaScript : setScript;
        const ServedAnswer answer = script.size() > 1 ? script.takeFirst() : script.value(0);
        QMetaObject::invokeMethod(
            this, [done, answer] { done(answer); }, Qt::QueuedConnection);
    }
};

ServedAnswer soa(qint64 serial, int rcode = 0, bool authoritative = true) {
    ServedAnswer answer;
    answer.answered = true;
    answer.rcode = rcode;
    answer.authoritative = authoritative;
    if (rcode == 0) {
        answer.serial = serial;
        answer.records = {u"example.com. 3600 IN SOA ns1.example.com. admin.example.com. "_s +
                          QString::number(serial) + u" 3600 1800 1209600 86400"_s};
    }
    return answer;
}

ServedAnswer records(const QStringList& lines, int rcode = 0) {
    ServedAnswer answer;
    answer.answered = true;
    answer.rcode = rcode;
    answer.records = lines;
    return answer;
}

ServedAnswer silence() {
    ServedAnswer answer;
    answer.error = u"timed out"_s;
    return answer;
}

} // namespace

Q_DECLARE_METATYPE(ServedAnswer)

class TestServedCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameRecordsCompareEqual_data() {
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("served");
        QTest::addColumn<bool>("equal");
        QTest::newRow("relative and absolute owner")
            << QStringList{u"www\t300\tIN\tA\t192.0.2.1"_s}
            << QStringList{u"www.example.com. 300 IN A 192.0.2.1"_s} << true;
        QTest::newRow("letter case and order")
            << QStringList{u"@ 300 IN MX 10 Mail.example.com."_s,
                           u"@ 300 IN MX 20 b.example.com."_s}
            << QStringList{u"example.com. 300 IN MX 20 b.example.com."_s,
                           u"EXAMPLE.com. 300 IN MX 10 mail.example.com."_s}
            << true;
        QTest::newRow("IPv6 spelled two ways")
            << QStringList{u"host 60 IN AAAA 2001:0db8:0:0::1"_s}
            << QStringList{u"host.example.com. 60 IN AAAA 2001:db8::1"_s} << true;
        QTest::newRow("other address")
            << QStringList{u"www 300 IN A 192.0.2.1"_s}
            << QStringList{u"www.example.com. 300 IN A 192.0.2.2"_s} << false;
        QTest::newRow("TTL left out") << QStringList{u"www 300 IN A 192.0.2.1"_s}
                                      << QStringList{u"www.example.com. IN A 192.0.2.1"_s} << true;
        QTest::newRow("TXT strings")
            << QStringList{u"t 300 IN TXT \"v=spf1 -all\""_s}
            << QStringList{u"t.example.com. IN TXT \"v=spf1 -all\""_s} << true;
        QTest::newRow("other TXT")
            << QStringList{u"t 300 IN TXT \"v=spf1 -all\""_s}
            << QStringList{u"t.example.com. IN TXT \"v=spf1 +all\""_s} << false;
        QTest::newRow("one record missing")
            << QStringList{u"www 300 IN A 192.0.2.1"_s, u"www 300 IN A 192.0.2.2"_s}
            << QStringList{u"www.example.com. 300 IN A 192.0.2.1"_s} << false;
    }
    void sameRecordsCompareEqual() {
        QFETCH(QStringList, written);
        QFETCH(QStringList, served);
        QFETCH(bool, equal);
        QCOMPARE(canonicalRecords(written, u"example.com"_s) ==
                     canonicalRecords(served, u"example.com"_s),
                 equal);
    }

    // The check's end for a script of answers: served or not, how many rounds it took, and a
    // phrase of its reason.
    void checkEnds_data() {
        QTest::addColumn<QList<ServedAnswer>>("soaScript");
        QTest::addColumn<QList<ServedAnswer>>("setScript");
        QTest::addColumn<QStringList>("expectedSet"); // www A as written; empty: gone
        QTest::addColumn<bool>("served");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<QString>("reason");
        const QStringList www{u"www 300 IN A 192.0.2.1"_s};
        const QStringList wwwServed{u"www.example.com. 300 IN A 192.0.2.1"_s};
        const QList<ServedAnswer> wwwSet{records(wwwServed)};
        QTest::newRow("served at once")
            << QList<ServedAnswer>{soa(5)} << wwwSet << www << true << 1 << QString();
        QTest::newRow("old serial, then the new one") << QList<ServedAnswer>{soa(4), soa(4), soa(5)}
                                                      << wwwSet << www << true << 3 << QString();
        QTest::newRow("later serial counts")
            << QList<ServedAnswer>{soa(7)} << wwwSet << www << true << 1 << QString();
        QTest::newRow("SERVFAIL, then served") << QList<ServedAnswer>{soa(0, 2), silence(), soa(5)}
                                               << wwwSet << www << true << 3 << QString();
        QTest::newRow("old record, then the new one")
            << QList<ServedAnswer>{soa(5)}
            << QList<ServedAnswer>{records({u"www.example.com. 300 IN A 192.0.2.9"_s}),
                                   records(wwwServed)}
            << www << true << 2 << QString();
        QTest::newRow("gone set answered NXDOMAIN")
            << QList<ServedAnswer>{soa(5)} << QList<ServedAnswer>{records({}, 3)} << QStringList()
            << true << 1 << QString();
        QTest::newRow("gone set still served")
            << QList<ServedAnswer>{soa(5)} << wwwSet << QStringList() << false << -1
            << u"not what was written"_s;
        QTest::newRow("serial never reached")
            << QList<ServedAnswer>{soa(4)} << wwwSet << www << false << -1
            << u"still serves serial 4 of zone 'example.com', not 5"_s;
        QTest::newRow("SERVFAIL to the end")
            << QList<ServedAnswer>{soa(0, 2)} << wwwSet << www << false << -1 << u"SERVFAIL"_s;
        QTest::newRow("right serial, old record")
            << QList<ServedAnswer>{soa(5)}
            << QList<ServedAnswer>{records({u"www.example.com. 300 IN A 192.0.2.9"_s})} << www
            << false << -1 << u"192.0.2.9"_s;
        QTest::newRow("no answer") << QList<ServedAnswer>{silence()} << wwwSet << www << false << -1
                                   << u"did not answer"_s;
    }
    void checkEnds() {
        QFETCH(QList<ServedAnswer>, soaScript);
        QFETCH(QList<ServedAnswer>, setScript);
        QFETCH(QStringList, expectedSet);
        QFETCH(bool, served);
        QFETCH(int, rounds);
        QFETCH(QString, reason);
        ScriptedAnswers answers;
        answers.soaScript = soaScript;
        answers.setScript = setScript;
        ServedExpectation expected;
        expected.zone = u"example.com"_s;
        expected.serial = 5;
        expected.sets = {{u"www.example.com."_s, u"A"_s, expectedSet}};
        ServedChangeCheck check(&answers, expected, 5, 200);
        int ends = 0;
        bool endedServed = false;
        QString endReason;
        check.start([&](bool ok, const QString& why) {
            ++ends;
            endedServed = ok;
            endReason = why;
        });
        QVERIFY(QTest::qWaitFor([&] { return ends > 0; }, 5000));
        QTest::qWait(30);
        QCOMPARE(ends, 1);
        QCOMPARE(endedServed, served);
        if (rounds > 0)
            QCOMPARE(check.rounds(), rounds);
        else
            QVERIFY(check.rounds() > 3); // it kept asking until the limit
        QVERIFY2(endReason.contains(reason), qPrintable(endReason));
        QCOMPARE(answers.questions.value(0), u"example.com. SOA"_s);
        if (served)
            QCOMPARE(answers.questions.last(), u"www.example.com. A"_s);
    }

    // A removed zone: served (gone) once no answer carries its SOA with authority.
    void removedZoneEnds_data() {
        QTest::addColumn<QList<ServedAnswer>>("soaScript");
        QTest::addColumn<bool>("gone");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused at once")
            << QList<ServedAnswer>{soa(0, 5)} << true << 1 << QString();
        QTest::newRow("still served, then refused")
            << QList<ServedAnswer>{soa(5), soa(5), soa(0, 5)} << true << 3 << QString();
        QTest::newRow("answered without authority (recursion)")
            << QList<ServedAnswer>{soa(9, 0, false)} << true << 1 << QString();
        QTest::newRow("still served to the end") << QList<ServedAnswer>{soa(5)} << false << -1
                                                 << u"still serves zone 'example.com' (serial 5)"_s;
        QTest::newRow("no answer")
            << QList<ServedAnswer>{silence()} << false << -1 << u"did not answer"_s;
    }
    void removedZoneEnds() {
        QFETCH(QList<ServedAnswer>, soaScript);
        QFETCH(bool, gone);
        QFETCH(int, rounds);
        QFETCH(QString, reason);
        ScriptedAnswers answers;
        answers.soaScript = soaScript;
        ServedChangeCheck check(&answers, ServedExpectation::forRemoval(u"example.com"_s), 5, 200);
        int ends = 0;
        bool endedGone = false;
        QString endReason;
        check.start([&](bool ok, const QString& why) {
            ++ends;
            endedGone = ok;
            endReason = why;
        });
        QVERIFY(QTest::qWaitFor([&] { return ends > 0; }, 5000));
        QTest::qWait(30);
        QCOMPARE(ends, 1);
        QCOMPARE(endedGone, gone);
        if (rounds > 0)
            QCOMPARE(check.rounds(), rounds);
        else
            QVERIFY(check.rounds() > 3);
        QVERIFY2(endReason.contains(reason), qPrintable(endReason));
        // Only the SOA is asked for.
        QCOMPARE(answers.questions.filter(u" SOA"_s).size(), answers.questions.size());
    }

    // The sets a change touches: a renamed record's old and new owner, the rest of the set as
    // it stays.
    void expectationOfAChange() {
        DNSZone before(u"example.com"_s, u"/nonexistent/db.example.com"_s);
        SOARecord soa;
        soa.primaryNameServer = u"ns1.example.com."_s;
        soa.adminEmail = u"admin.example.com."_s;
        soa.serial = 1;
        before.setSoaRecord(soa);
        DNSRecord www(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 300);
        DNSRecord www2(u"www"_s, DNSRecordType::A, u"192.0.2.2"_s, 300);
        before.setRecords({www, www2});
        DNSZone after(u"example.com"_s, u"/nonexistent/db.example.com"_s);
        soa.serial = 2;
        after.setSoaRecord(soa);
        DNSRecord renamed = www;
        renamed.name = u"web"_s;
        after.setRecords({renamed, www2});
        const ServedExpectation expected =
            ServedExpectation::forChange(before, after, {www.id}, false);
        QCOMPARE(expected.serial, 2);
        QCOMPARE(expected.sets.size(), 2);
        QCOMPARE(expected.sets.at(0).owner, u"www.example.com."_s);
        QCOMPARE(canonicalRecords(expected.sets.at(0).records, u"example.com"_s),
                 canonicalRecords({u"www.example.com. 300 IN A 192.0.2.2"_s}, u"example.com"_s));
        QCOMPARE(expected.sets.at(1).owner, u"web.example.com."_s);
        QCOMPARE(canonicalRecords(expected.sets.at(1).records, u"example.com"_s),
                 canonicalRecords({u"web.example.com. 300 IN A 192.0.2.1"_s}, u"example.com"_s));
        const ServedExpectation withSoa = ServedExpectation::forChange(before, after, {}, true);
        QCOMPARE(withSoa.sets.size(), 1);
        QCOMPARE(canonicalRecords(withSoa.sets.at(0).records, u"example.com"_s),
                 canonicalRecords({u"example.com. 86400 IN SOA ns1.example.com. "
                                   "admin.example.com. 2 3600 1800 1209600 86400"_s},
                                  u"example.com"_s));
    }
};

QTEST_GUILESS_MAIN(TestServedCheck)
#include "tst_served_check.moc"
