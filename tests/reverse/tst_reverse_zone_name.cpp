// Reverse zone names: a network's zone (IPv4 on octets, IPv6 on nibbles) and the networks
// refused with their reason; an address's PTR owner within a zone; the zone that holds an
// address, the longest match winning.
#include <QTest>

#include "model/ReverseZoneName.h"

using namespace korvi;
using namespace Qt::StringLiterals;

class TestReverseZoneName : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void zoneOfNetwork_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("zone");
        QTest::newRow("v4 /8") << u"10.0.0.0/8"_s << u"10.in-addr.arpa"_s;
        QTest::newRow("v4 /16") << u"192.168.0.0/16"_s << u"168.192.in-addr.arpa"_s;
        QTest::newRow("v4 /24") << u"192.0.2.0/24"_s << u"2.0.192.in-addr.arpa"_s;
        QTest::newRow("v4 /24 spaces") << u" 198.51.100.0/24 "_s << u"100.51.198.in-addr.arpa"_s;
        QTest::newRow("v6 /48") << u"2001:db8::/48"_s << u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("v6 /32") << u"2001:db8::/32"_s << u"8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("v6 /4") << u"2000::/4"_s << u"2.ip6.arpa"_s;
        QTest::newRow("v6 /52") << u"2001:db8:0:1000::/52"_s
                                << u"1.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("v6 /64 upper case")
            << u"2001:DB8:ABCD:12::/64"_s << u"2.1.0.0.d.c.b.a.8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("v6 /124")
            << u"2001:db8::10/124"_s
            << u"1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s;
    }
    void zoneOfNetwork() {
        QFETCH(QString, prefix);
        QFETCH(QString, zone);
        const ReverseZoneName::Result result = ReverseZoneName::fromPrefix(prefix);
        QVERIFY2(result.isValid(), qPrintable(result.message));
        QCOMPARE(result.zoneName, zone);
        QVERIFY(result.message.isEmpty());
        QVERIFY(ReverseZoneName::isReverseZone(result.zoneName));
    }

    void refusedNetwork_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString()
                               << u"Enter a network as address/length, for example 192.0.2.0/24 "
                                  "or 2001:db8::/48"_s;
        QTest::newRow("no length") << u"192.0.2.0"_s
                                   << u"'192.0.2.0' is not a network: enter it as address/length, "
                                      "for example 192.0.2.0/24 or 2001:db8::/48"_s;
        QTest::newRow("two slashes") << u"192.0.2.0/24/8"_s
                                     << u"'192.0.2.0/24/8' is not a network: enter it as "
                                        "address/length, for example 192.0.2.0/24 or "
                                        "2001:db8::/48"_s;
        QTest::newRow("not an address")
            << u"example.com/24"_s << u"'example.com' is not an IPv4 or IPv6 address"_s;
        QTest::newRow("short v4") << u"192.0.2/24"_s
                                  << u"'192.0.2' is not an IPv4 or IPv6 address"_s;
        QTest::newRow("octet too big")
            << u"192.0.256.0/24"_s << u"'192.0.256.0' is not an IPv4 or IPv6 address"_s;
        QTest::newRow("length text") << u"192.0.2.0/x"_s << u"'x' is not a prefix length"_s;
        QTest::newRow("empty length") << u"192.0.2.0/"_s << u"'' is not a prefix length"_s;
        QTest::newRow("negative length") << u"192.0.2.0/-8"_s << u"'-8' is not a prefix length"_s;
        QTest::newRow("v4 /25") << u"192.0.2.0/25"_s
                                << u"An IPv4 reverse zone is made for a /8, /16 or /24 network, "
                                   "not for /25"_s;
        QTest::newRow("v4 /32") << u"192.0.2.1/32"_s
                                << u"An IPv4 reverse zone is made for a /8, /16 or /24 network, "
                                   "not for /32"_s;
        QTest::newRow("v4 /0") << u"0.0.0.0/0"_s
                               << u"An IPv4 reverse zone is made for a /8, /16 or /24 network, "
                                  "not for /0"_s;
        QTest::newRow("v6 /50") << u"2001:db8::/50"_s
                                << u"An IPv6 reverse zone is made for a network whose length is a "
                                   "multiple of 4 from /4 to /124, not for /50"_s;
        QTest::newRow("v6 /128") << u"2001:db8::1/128"_s
                                 << u"An IPv6 reverse zone is made for a network whose length is "
                                    "a multiple of 4 from /4 to /124, not for /128"_s;
        QTest::newRow("v6 /0") << u"::/0"_s
                               << u"An IPv6 reverse zone is made for a network whose length is a "
                                  "multiple of 4 from /4 to /124, not for /0"_s;
        QTest::newRow("v4 host bits")
            << u"192.0.2.1/24"_s
            << u"192.0.2.1/24 has host bits set: the network is 192.0.2.0/24"_s;
        QTest::newRow("v4 host bits /16")
            << u"192.168.1.0/16"_s
            << u"192.168.1.0/16 has host bits set: the network is 192.168.0.0/16"_s;
        QTest::newRow("v6 host bits")
            << u"2001:db8::1/48"_s
            << u"2001:db8::1/48 has host bits set: the network is 2001:db8::/48"_s;
        QTest::newRow("v6 host bit in the last nibble kept")
            << u"2001:db8:0:1::/60"_s
            << u"2001:db8:0:1::/60 has host bits set: the network is 2001:db8::/60"_s;
    }
    void refusedNetwork() {
        QFETCH(QString, prefix);
        QFETCH(QString, message);
        const ReverseZoneName::Result result = ReverseZoneName::fromPrefix(prefix);
        QVERIFY(!result.isValid());
        QVERIFY(result.zoneName.isEmpty());
        QCOMPARE(result.message, message);
    }

    void ptrOwner_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("owner"); // empty: not within the zone
        QTest::newRow("v4 in /24") << u"192.0.2.10"_s << u"2.0.192.in-addr.arpa"_s << u"10"_s;
        QTest::newRow("v4 in /16") << u"192.168.1.7"_s << u"168.192.in-addr.arpa"_s << u"7.1"_s;
        QTest::newRow("v4 in /8") << u"10.1.2.3"_s << u"10.in-addr.arpa"_s << u"3.2.1"_s;
        QTest::newRow("zone with final dot, upper case")
            << u"192.0.2.10"_s << u"2.0.192.IN-ADDR.ARPA."_s << u"10"_s;
        QTest::newRow("v4 outside") << u"192.0.3.10"_s << u"2.0.192.in-addr.arpa"_s << QString();
        QTest::newRow("label boundary")
            << u"192.0.12.10"_s << u"2.0.192.in-addr.arpa"_s << QString();
        QTest::newRow("v4 in a v6 zone")
            << u"192.0.2.10"_s << u"8.b.d.0.1.0.0.2.ip6.arpa"_s << QString();
        QTest::newRow("v6 in /48") << u"2001:db8::10"_s << u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s
                                   << u"0.1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0"_s;
        QTest::newRow("v6 in /32") << u"2001:db8::10"_s << u"8.b.d.0.1.0.0.2.ip6.arpa"_s
                                   << u"0.1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0"_s;
        QTest::newRow("v6 in /124")
            << u"2001:db8::1a"_s
            << u"1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s
            << u"a"_s;
        QTest::newRow("v6 outside")
            << u"2001:db9::10"_s << u"8.b.d.0.1.0.0.2.ip6.arpa"_s << QString();
        QTest::newRow("not an address") << u"www"_s << u"2.0.192.in-addr.arpa"_s << QString();
        QTest::newRow("forward zone") << u"192.0.2.10"_s << u"example.com"_s << QString();
    }
    void ptrOwner() {
        QFETCH(QString, address);
        QFETCH(QString, zone);
        QFETCH(QString, owner);
        const std::optional<QString> found = ReverseZoneName::ptrOwner(address, zone);
        QCOMPARE(found.has_value(), !owner.isEmpty());
        if (found)
            QCOMPARE(*found, owner);
    }

    void containingZone_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("zones");
        QTest::addColumn<QString>("zone");
        const QStringList v4{u"example.com"_s, u"192.in-addr.arpa"_s, u"2.0.192.in-addr.arpa"_s,
                             u"0.192.in-addr.arpa"_s, u"3.0.192.in-addr.arpa"_s};
        QTest::newRow("longest of three") << u"192.0.2.10"_s << v4 << u"2.0.192.in-addr.arpa"_s;
        QTest::newRow("sibling /24") << u"192.0.3.1"_s << v4 << u"3.0.192.in-addr.arpa"_s;
        QTest::newRow("only the /16") << u"192.0.9.1"_s << v4 << u"0.192.in-addr.arpa"_s;
        QTest::newRow("only the /8") << u"192.7.9.1"_s << v4 << u"192.in-addr.arpa"_s;
        QTest::newRow("none") << u"10.0.0.1"_s << v4 << QString();
        QTest::newRow("longest listed last")
            << u"192.0.2.10"_s << QStringList{u"192.in-addr.arpa"_s, u"2.0.192.in-addr.arpa"_s}
            << u"2.0.192.in-addr.arpa"_s;
        const QStringList v6{u"8.b.d.0.1.0.0.2.ip6.arpa"_s, u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s,
                             u"2.0.192.in-addr.arpa"_s};
        QTest::newRow("v6 /48 before /32")
            << u"2001:db8::5"_s << v6 << u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("v6 only /32") << u"2001:db8:1::5"_s << v6 << u"8.b.d.0.1.0.0.2.ip6.arpa"_s;
        QTest::newRow("no address") << u"not-an-address"_s << v4 << QString();
    }
    void containingZone() {
        QFETCH(QString, address);
        QFETCH(QStringList, zones);
        QFETCH(QString, zone);
        QCOMPARE(ReverseZoneName::containingZone(address, zones), zone);
    }

    void reverseZoneNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("reverse");
        QTest::newRow("v4") << u"2.0.192.in-addr.arpa"_s << true;
        QTest::newRow("v6 with dot") << u"8.b.d.0.1.0.0.2.IP6.ARPA."_s << true;
        QTest::newRow("the tree itself") << u"in-addr.arpa"_s << true;
        QTest::newRow("forward") << u"example.com"_s << false;
        QTest::newRow("look-alike") << u"notin-addr.arpa"_s << false;
        QTest::newRow("arpa only") << u"arpa"_s << false;
    }
    void reverseZoneNames() {
        QFETCH(QString, name);
        QFETCH(bool, reverse);
        QCOMPARE(ReverseZoneName::isReverseZone(name), reverse);
    }
};

QTEST_GUILESS_MAIN(TestReverseZoneName)
#include "tst_reverse_zone_name.moc"
