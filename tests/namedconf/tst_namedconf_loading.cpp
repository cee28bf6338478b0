// Loading from named.conf through the manager: only zones declared in Korvi's own files become
// editable zones; the others are listed with their type, view and declaring file; BIND's own
// reading (named-checkconf -p) has the last word on the list.
#include <QtTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QByteArray zoneText = "$TTL 3600\n@ IN SOA ns1 hostmaster 2025030501 3600 900 604800 300\n"
                            "@ IN NS ns1\nns1 IN A 192.0.2.1\n";

// "name type view owned declaring-file-name" of each configured zone.
QStringList listed(const DNSServerManager& m) {
    QStringList rows;
    for (const ConfiguredZone& z : m.configuration()->configuredZones())
        rows.append(QStringList{z.name, zoneTypeName(z.type), z.view.isEmpty() ? u"-"_s : z.view,
                                z.ownedByKorvi ? u"korvi"_s : u"other"_s,
                                QFileInfo(z.declaredIn).fileName()}
                        .join(u' '));
    return rows;
}

} // namespace

class TestNamedConfLoading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ownership() {
        Host host;
        const QString etc = host.path(u"etc"_s);
        const QString zones = host.path(u"var/named"_s);
        for (const char* name : {"db.mine.example", "db.inc.example", "db.theirs.example"})
            host.write(u"var/named/"_s + QLatin1String(name), zoneText);
        host.write(u"etc/named.conf"_s,
                   (u"options { directory \"%1\"; recursion no; };\n"
                    "view \"inside\" { match-clients { any; }; recursion yes;\n"
                    "  include \"%2/other.conf\";\n"
                    "  include \"%2/named.conf.korvi\";\n"
                    "  zone \"mine.example\" { type master; file \"db.mine.example\"; };\n"
                    "  zone \"late.example\" { include \"%2/late.conf\"; };\n"
                    "  zone \"v.example\" { in-view \"inside\"; };\n};\n"_s)
                       .arg(zones, etc)
                       .toUtf8());
        host.write(u"etc/named.conf.korvi"_s,
                   "zone \"inc.example\" { type primary; file \"db.inc.example\"; };\n");
        host.write(u"etc/other.conf"_s,
                   "zone \"theirs.example\" { type primary; file \"db.theirs.example\"; };\n"
                   "zone \"sec.example\" { type secondary; primaries { 192.0.2.9; }; file "
                   "\"db.sec\"; };\nzone \".\" { type hint; file \"root.hints\"; };\n");
        host.write(u"etc/late.conf"_s, "type secondary; primaries { 192.0.2.9; };\n");
        auto m = host.manager();
        m->loadConfigurationFromFile();
        settle();
        // Views are not Korvi's: nothing in this one is edited, whoever declares it.
        QCOMPARE(m->zones().size(), 0);
        QCOMPARE(m->configuration()->recursion(), false);

        // The same statements outside any view.
        QString conf = QString::fromUtf8(readFile(host.path(u"etc/named.conf"_s)));
        conf.replace(u"view \"inside\" { match-clients { any; }; recursion yes;\n"_s, QString());
        conf.replace(u"  zone \"v.example\" { in-view \"inside\"; };\n};\n"_s, QString());
        host.write(u"etc/named.conf"_s, conf.toUtf8());
        auto second = host.manager(host.preferences(u"second.ini"_s));
        second->loadConfigurationFromFile();
        settle();
        QStringList names;
        for (const ZonePtr& zone : second->zones())
            names.append(zone->name());
        QCOMPARE(names, QStringList({u"inc.example"_s, u"mine.example"_s}));
        QCOMPARE(second->configuration()->zoneFiles().keys(),
                 QStringList({u"inc.example"_s, u"mine.example"_s}));
        // From the files on disk: the zone whose type is in an include inside its block has none.
        const QStringList fromDisk = {u"theirs.example primary - other other.conf"_s,
                                      u"sec.example secondary - other other.conf"_s,
                                      u". hint - other other.conf"_s,
                                      u"inc.example primary - korvi named.conf.korvi"_s,
                                      u"mine.example primary - korvi named.conf"_s,
                                      u"late.example unknown - korvi named.conf"_s};
        QCOMPARE(listed(*second), fromDisk);
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        // BIND reads the type; the list takes BIND's reading, and says so.
        QStringList fromBind = fromDisk;
        fromBind.last() = u"late.example secondary - korvi named.conf"_s;
        QTRY_COMPARE_WITH_TIMEOUT(listed(*second), fromBind, 20000);
        QCOMPARE(logCount(*second,
                          u"⚠️ BIND reads the zone statements differently from the files on "
                          "disk; showing BIND's reading"_s,
                          LogLevel::warning),
                 1);
        QCOMPARE(second->zones().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestNamedConfLoading)
#include "tst_namedconf_loading.moc"
