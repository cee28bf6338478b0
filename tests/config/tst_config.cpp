// The server configuration: defaults and change notices.
#include <QSignalSpy>
#include <QtTest>

#include <functional>

#include "model/DNSConfiguration.h"

using namespace korvi;

using Change = std::function<void(DNSConfiguration&)>;
using Check = std::function<bool(const DNSConfiguration&)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Check)

class TestConfig : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void oneNoticePerSetter_data();
    void oneNoticePerSetter();
    void zoneFiles();
};

void TestConfig::defaults() {
    const DNSConfiguration c;
    QCOMPARE(c.listenAddresses(), QStringList({"127.0.0.1", "::1"}));
    QCOMPARE(c.listenPort(), 53);
    QCOMPARE(c.allowQuery(), QStringList({"any"}));
    QCOMPARE(c.allowTransfer(), QStringList({"none"}));
    QCOMPARE(c.recursion(), true);
    QVERIFY(c.forwarders().isEmpty());
    QVERIFY(c.zoneFiles().isEmpty());
    QCOMPARE(c.loggingLevel(), QStringLiteral("info"));
    QCOMPARE(c.enableDNSSEC(), false);
}

void TestConfig::oneNoticePerSetter_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<Check>("check");
    const QStringList list = {"10.0.0.1", "10.0.0.2"};
    const QMap<QString, QString> zones = {{"b.org", "db.b.org"}, {"a.com", "db.a.com"}};
    const auto add = [](const char* name, Change change, Check check) {
        QTest::newRow(name) << change << check;
    };
    add(
        "listenAddresses", [=](auto& c) { c.setListenAddresses(list); },
        [=](auto& c) { return c.listenAddresses() == list; });
    add(
        "listenPort", [](auto& c) { c.setListenPort(5353); },
        [](auto& c) { return c.listenPort() == 5353; });
    add(
        "allowQuery", [=](auto& c) { c.setAllowQuery(list); },
        [=](auto& c) { return c.allowQuery() == list; });
    add(
        "allowTransfer", [=](auto& c) { c.setAllowTransfer(list); },
        [=](auto& c) { return c.allowTransfer() == list; });
    add(
        "recursion", [](auto& c) { c.setRecursion(false); },
        [](auto& c) { return !c.recursion(); });
    add(
        "forwarders", [=](auto& c) { c.setForwarders(list); },
        [=](auto& c) { return c.forwarders() == list; });
    add(
        "zoneFiles", [=](auto& c) { c.setZoneFiles(zones); },
        [=](auto& c) { return c.zoneFiles() == zones; });
    add(
        "loggingLevel", [](auto& c) { c.setLoggingLevel(QStringLiteral("debug 3")); },
        [](auto& c) { return c.loggingLevel() == QStringLiteral("debug 3"); });
    add(
        "enableDNSSEC", [](auto& c) { c.setEnableDNSSEC(true); },
        [](auto& c) { return c.enableDNSSEC(); });
    // Assigning the value already held is still announced.
    add(
        "same port", [](auto& c) { c.setListenPort(53); },
        [](auto& c) { return c.listenPort() == 53; });
}

void TestConfig::oneNoticePerSetter() {
    QFETCH(Change, change);
    QFETCH(Check, check);
    DNSConfiguration c;
    QSignalSpy spy(&c, &DNSConfiguration::changed);
    change(c);
    QCOMPARE(spy.count(), 1);
    QVERIFY(check(c));
}

void TestConfig::zoneFiles() {
    DNSConfiguration c;
    QSignalSpy spy(&c, &DNSConfiguration::changed);
    c.setZoneFile(QStringLiteral("b.org"), QStringLiteral("db.b.org"));
    c.setZoneFile(QStringLiteral("a.com"), QStringLiteral("db.a.com"));
    c.setZoneFile(QStringLiteral("b.org"), QStringLiteral("zones/db.b"));
    QCOMPARE(spy.count(), 3);
    QCOMPARE(c.zoneFiles().keys(), QStringList({"a.com", "b.org"}));
    QCOMPARE(c.zoneFiles().value("b.org"), QStringLiteral("zones/db.b"));

    spy.clear();
    c.removeZoneFile(QStringLiteral("a.com"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(c.zoneFiles().keys(), QStringList({"b.org"}));
    // Removing a zone that is not there changes nothing and announces nothing.
    c.removeZoneFile(QStringLiteral("a.com"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(c.zoneFiles().size(), 1);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
