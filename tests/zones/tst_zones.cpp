// Zones (cleaning, identity, change notices), SOA data and serial numbers.
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>
#include <functional>

#include "model/DNSZone.h"
#include "model/Serial.h"

using namespace korvi;
using namespace Qt::StringLiterals;

namespace {

SOARecord sampleSoa() {
    // A serial beyond 32 bits must survive as an integer.
    return SOARecord{u"ns1.example.com."_s, u"admin.example.com."_s, 4294967295LL * 3};
}

DNSRecord aRecord(const QString& name) {
    return DNSRecord(name, DNSRecordType::A, u"10.0.0.1"_s, 3600);
}

// 10:30 local time on 5 March 2025.
const QDateTime fifthOfMarch(QDate(2025, 3, 5), QTime(10, 30));

} // namespace

class TestZones : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void soaJson() {
        const SOARecord soa = sampleSoa();
        const QJsonObject o = soa.toJson();
        QCOMPARE(o.keys(), QStringList({"adminEmail", "expire", "minimum", "primaryNameServer",
                                        "refresh", "retry", "serial"}));
        QCOMPARE(o.value("serial").toInteger(), soa.serial);
        QCOMPARE(o.value("expire").toInteger(), 1209600);
        QCOMPARE(SOARecord::fromJson(o), std::optional<SOARecord>(soa));
        // A new SOA carries the standard timers.
        QCOMPARE((QList<qint64>{soa.refresh, soa.retry, soa.expire, soa.minimum}),
                 (QList<qint64>{3600, 1800, 1209600, 86400}));
    }

    void soaJsonRequiresEveryKey_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined: remove the key
        for (const char* key : {"primaryNameServer", "adminEmail", "serial", "refresh", "retry",
                                "expire", "minimum"}) {
            QTest::addRow("%s missing", key) << key << QJsonValue(QJsonValue::Undefined);
            QTest::addRow("%s null", key) << key << QJsonValue(QJsonValue::Null);
        }
        QTest::newRow("name number") << "primaryNameServer" << QJsonValue(1);
        QTest::newRow("serial text") << "serial" << QJsonValue("2025030501");
        QTest::newRow("retry fraction") << "retry" << QJsonValue(1800.5);
    }
    void soaJsonRequiresEveryKey() {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QJsonObject o = sampleSoa().toJson();
        if (value.isUndefined())
            o.remove(key);
        else
            o.insert(key, value);
        QString error;
        QVERIFY(!SOARecord::fromJson(o, &error));
        QVERIFY(!error.isEmpty());
    }

    // A new zone: its name cleaned, a fresh id, nothing else; equal by id only.
    void zoneCreationAndIdentity() {
        DNSZone a(u" my_zone.exa mple!😀.com. "_s, u"/zones/db.x"_s);
        QCOMPARE(a.name() + u' ' + a.filePath(), u"myzone.example.com. /zones/db.x"_s);
        QVERIFY(a.records().isEmpty() && !a.soaRecord() && !a.id().isNull());
        const DNSZone b(a.name(), QString());
        QVERIFY(a.id() != b.id() && !(a == b) && a != b);
        const size_t hash = qHash(a, 7);
        QCOMPARE(hash, qHash(a.id(), 7));
        a.setName(u"other.org"_s);
        a.setRecords({aRecord("www")});
        a.setSoaRecord(sampleSoa());
        QVERIFY(a == a && qHash(a, 7) == hash);
    }

    void oneNoticePerChange() {
        DNSZone zone(u"example.com"_s, QString());
        const DNSRecord first = aRecord("a");
        DNSRecord second = aRecord("b");
        QSignalSpy spy(&zone, &DNSZone::changed);
        const QList<std::pair<const char*, std::function<void()>>> changes = {
            {"name", [&] { zone.setName(u"example.org"_s); }},
            {"same name again", [&] { zone.setName(u"example.org"_s); }},
            {"records",
             [&] {
                 zone.setRecords({first, second});
             }},
            {"soa", [&] { zone.setSoaRecord(sampleSoa()); }},
            {"soa removed", [&] { zone.setSoaRecord(std::nullopt); }},
            {"record added", [&] { zone.addRecord(aRecord("c")); }},
            {"record replaced",
             [&] {
                 second.value = u"10.9.9.9"_s;
                 zone.updateRecord(second);
             }},
            {"record removed", [&] { QVERIFY(zone.removeRecord(first.id)); }},
            {"records emptied", [&] { zone.setRecords({}); }}};
        for (const auto& [what, change] : changes) {
            spy.clear();
            change();
            QVERIFY2(spy.count() == 1, what);
        }
        spy.clear();
        QVERIFY(!zone.removeRecord(first.id));
        QCOMPARE(spy.count(), 0);
    }

    void nextSerial_data() {
        QTest::addColumn<qint64>("current");
        QTest::addColumn<qint64>("expected");
        const std::pair<qint64, qint64> rows[] = {
            {2025030507, 2025030508},
            {2025030598, 2025030599},
            {2025030599, fifthOfMarch.toSecsSinceEpoch()}, // the day's revisions used up
            {2025030499, 2025030501}, // 4 March's 99th: on 5 March a new day begins
            {2024123105, 2025030501},
            {0, 2025030501},
            {2025030601, 2025030501},
            {-2025030507, 2025030501},
            {2025030500, 2025030501}};
        for (const auto& [current, expected] : rows)
            QTest::addRow("%lld", current) << current << expected;
    }
    void nextSerial() {
        QFETCH(qint64, current);
        QFETCH(qint64, expected);
        QCOMPARE(korvi::nextSerial(current, fifthOfMarch), expected);
        QCOMPARE(generateSerial(fifthOfMarch), 2025030501);
    }

    void serialReadsLocalDate() {
        // Thirteen hours east of UTC, 20:00 UTC on 4 March is already 5 March.
        const QByteArray saved = qgetenv("TZ");
        qputenv("TZ", "KRV-13");
        tzset();
        const QDateTime evening(QDate(2025, 3, 4), QTime(20, 0), Qt::UTC);
        const qint64 generated = generateSerial(evening);
        const qint64 next = korvi::nextSerial(2025030410, evening);
        if (saved.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", saved);
        tzset();
        QCOMPARE(generated, 2025030501);
        QCOMPARE(next, 2025030501);
        // Without a readable date the serial just counts on.
        QCOMPARE(korvi::nextSerial(41, QDateTime()), 42);
    }

    void serialFromClock() {
        const auto today = [] {
            return QDate::currentDate().toString(u"yyyyMMdd"_s).toLongLong() * 100 + 1;
        };
        const qint64 before = today();
        const qint64 generated = generateSerial();
        const qint64 next = korvi::nextSerial(generated);
        QVERIFY(generated == before || generated == today()); // midnight may pass in between
        QVERIFY(next == generated + 1 || next == today());
    }
};

QTEST_GUILESS_MAIN(TestZones)
#include "tst_zones.moc"
