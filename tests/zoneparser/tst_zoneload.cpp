// "Load from BIND's files": the manager reads each zone named in named.conf
// completely through the zone reader, reports out-of-zone records, and
// refuses a zone over the stated record limit with a message instead of
// keeping part of it.
#include <QtTest>

#include "HostTestSupport.h"
#include "model/ZoneParser.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QByteArray fullZone = "$TTL 300\n"
                            "@ 120 IN SOA ns1.full.example. admin.full.example. ( 2024010107\n"
                            "  3600 900 604800 60 )\n"
                            "  NS ns1\n"
                            "ns1 A 192.0.2.53\n"
                            "_dmarc TXT \"v=DMARC1; p=none\"\n"
                            "sel._domainkey TXT \"v=DKIM1; k=rsa; p=AAAA\" \"BBBB\"\n"
                            "* A 192.0.2.1\n"
                            "*.w 0 A 192.0.2.2\n"
                            "_sip._tcp SRV 0 0 0 .\n"
                            "sub DS 60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118\n"
                            "$GENERATE 1-10 h$ A 192.0.2.$\n"
                            "x.other.example. A 192.0.2.99\n";

const QStringList& messages(const DNSServerManager& m) {
    return m.logs();
}

} // namespace

class TestZoneLoad : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyRecordIsLoaded() {
        Host host;
        host.write(u"var/named/db.full.example"_s, fullZone);
        auto m = host.manager();
        m->configuration()->setZoneFiles({{"full.example", "db.full.example"}});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(m->zones().size(), 1);
        const ZonePtr zone = m->zones().first();
        // NS, ns1, two TXT, two wildcards, SRV, DS and ten generated: the
        // out-of-zone record is not among them.
        QCOMPARE(zone->records().size(), 18);
        QVERIFY(zone->soaRecord().has_value());
        QCOMPARE(zone->soaRecord()->serial, 2024010107);
        QCOMPARE(zone->soaRecord()->ttl, 120);
        QStringList names;
        for (const DNSRecord& r : zone->records())
            names.append(r.name + u'/' + (r.isKept() ? r.keptType : rawValue(r.type)));
        for (const QString& expected :
             {u"_dmarc/TXT"_s, u"*/A"_s, u"*.w/A"_s, u"sub/DS"_s, u"_sip._tcp/SRV"_s, u"h10/A"_s})
            QVERIFY2(names.contains(expected), qPrintable(names.join(u' ')));
        const QStringList log = messages(*m);
        QVERIFY2(log.filter(u"1 record(s) outside the zone not kept"_s).size() == 1 &&
                     log.filter(u"x.other.example."_s).size() == 1,
                 qPrintable(log.join(u'\n')));
    }

    void zoneOverTheLimitIsRefusedWithAMessage() {
        Host host;
        // One record more than the reader takes, and a zone that fits.
        host.write(u"var/named/db.huge.example"_s,
                   "$TTL 60\n@ SOA ns. admin. 1 2 3 4 5\n$GENERATE 0-" +
                       QByteArray::number(ZoneParser::defaultRecordLimit - 1) +
                       " h$ A 192.0.2.1\n"
                       "last A 192.0.2.2\n");
        host.write(u"var/named/db.small.example"_s, fullZone.left(fullZone.indexOf("ns1 A")));
        auto m = host.manager();
        m->configuration()->setZoneFiles(
            {{"huge.example", "db.huge.example"}, {"small.example", "db.small.example"}});
        m->loadZonesFromBindConfiguration();
        settle();
        QCOMPARE(m->zones().size(), 1);
        QCOMPARE(m->zones().first()->name(), u"small.example"_s);
        const QStringList refused = messages(*m).filter(u"Zone 'huge.example' not loaded"_s);
        QCOMPARE(refused.size(), 1);
        QVERIFY2(
            refused.first().contains(u"more than %1 records"_s.arg(ZoneParser::defaultRecordLimit)),
            qPrintable(refused.first()));
    }

    void syntaxErrorRefusesTheZoneWithItsLine() {
        Host host;
        host.write(u"var/named/db.bad.example"_s,
                   "$TTL 60\n@ SOA ns. admin. 1 2 3 4 5\nwww A 192.0.2.300\n");
        auto m = host.manager();
        m->configuration()->setZoneFiles({{"bad.example", "db.bad.example"}});
        m->loadZonesFromBindConfiguration();
        settle();
        QVERIFY(m->zones().isEmpty());
        const QStringList refused = messages(*m).filter(u"Zone 'bad.example' not loaded"_s);
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused.first().contains(u"db.bad.example, line 3"_s),
                 qPrintable(refused.first()));
    }
};

QTEST_GUILESS_MAIN(TestZoneLoad)
#include "tst_zoneload.moc"
