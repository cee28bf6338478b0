// The server configuration: defaults and change notices.
#include <QSignalSpy>
#include <QtTest>

#include <functional>

#include "model/DNSConfiguration.h"

using namespace korvi;
using namespace Qt::StringLiterals;

class TestConfig : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every setter announces itself once, also when the value does not change.
    void oneNoticePerSetter() {
        const QStringList list = {"10.0.0.1", "10.0.0.2"};
        const QMap<QString, QString> zones = {{"b.org", "db.b.org"}, {"a.com", "db.a.com"}};
        const std::pair<std::function<void(DNSConfiguration&)>,
                        std::function<bool(const DNSConfiguration&)>>
            cases[] = {
                {[&](auto& c) { c.setListenAddresses(list); },
                 [&](auto& c) { return c.listenAddresses() == list; }},
                {[](auto& c) { c.setListenPort(5353); },
                 [](auto& c) { return c.listenPort() == 5353; }},
                {[&](auto& c) { c.setAllowQuery(list); },
                 [&](auto& c) { return c.allowQuery() == list; }},
                {[&](auto& c) { c.setAllowTransfer(list); },
                 [&](auto& c) { return c.allowTransfer() == list; }},
                {[](auto& c) { c.setRecursion(false); }, [](auto& c) { return !c.recursion(); }},
                {[&](auto& c) { c.setForwarders(list); },
                 [&](auto& c) { return c.forwarders() == list; }},
                {[&](auto& c) { c.setZoneFiles(zones); },
                 [&](auto& c) { return c.zoneFiles() == zones; }},
                {[](auto& c) { c.setLoggingLevel(u"debug 3"_s); },
                 [](auto& c) { return c.loggingLevel() == u"debug 3"_s; }},
                {[](auto& c) { c.setEnableDNSSEC(true); },
                 [](auto& c) { return c.enableDNSSEC(); }},
                {[](auto& c) { c.setListenPort(53); },
                 [](auto& c) { return c.listenPort() == 53; }}};
        for (int i = 0; i < int(std::size(cases)); ++i) {
            DNSConfiguration c;
            QSignalSpy spy(&c, &DNSConfiguration::changed);
            cases[i].first(c);
            QVERIFY2(spy.count() == 1 && cases[i].second(c), qPrintable(QString::number(i)));
        }
    }

    void zoneFiles() {
        DNSConfiguration c;
        QSignalSpy spy(&c, &DNSConfiguration::changed);
        c.setZoneFile(u"b.org"_s, u"db.b.org"_s);
        c.setZoneFile(u"a.com"_s, u"db.a.com"_s);
        c.setZoneFile(u"b.org"_s, u"zones/db.b"_s);
        c.removeZoneFile(u"a.com"_s);
        // Removing a zone that is not there changes nothing and announces nothing.
        c.removeZoneFile(u"a.com"_s);
        QCOMPARE(spy.count(), 4);
        QCOMPARE(c.zoneFiles(), (QMap<QString, QString>{{"b.org", "zones/db.b"}}));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
