// Loading from named.conf through the manager: only zones declared in Korvi's own files become
// editable zones; the others are listed with their type, view and declaring file; BIND's own
// reading (named-checkconf -p) has the last word on the list.
#include <QtTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "host/HostLayout.h"
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

    // Debian's own BIND, Korvi owning only its include: Korvi's zone is loaded, the stock
    // zones are listed as the distribution's, with their types.
    void distributionLayout() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path();
        HostLayoutFacts facts;
        facts.os = parseOsRelease(u"ID=debian"_s);
        facts.root = true;
        SystemLayout layout = standardLayoutFor(facts, root);
        layout.temporaryDirectory = root + u"/tmp"_s;
        QVERIFY(layout.ownsIncludeOnly);
        const OwnedFileLayout files = ownedFileLayout(layout);
        const QString etc = root + u"/etc/bind"_s;
        const QString debian = QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus/debian/conf/");
        for (const QString& name : QDir(debian).entryList(QDir::Files)) {
            QString text = QString::fromUtf8(readFile(debian + name));
            text.replace(u"/etc/bind/"_s, etc + u'/');
            if (name == u"named.conf.local"_s)
                text += QString::fromUtf8(files.includeLine()) + u'\n';
            writeFile(root, u"etc/bind/"_s + name, text.toUtf8(), false);
        }
        writeFile(root, files.korviInclude.mid(root.size() + 1),
                  ownedIncludeText(files, {u"korvi.example"_s}), false);
        writeFile(root, files.zoneFile(u"korvi.example"_s).mid(root.size() + 1), zoneText, false);

        auto m = makeManager(root, layout);
        QVERIFY(waitForDetections(*m));
        m->loadConfigurationFromFile();
        settle();
        QCOMPARE(m->zones().size(), 1);
        QCOMPARE(m->zones().first()->name(), u"korvi.example"_s);
        const QStringList expected = {
            u"korvi.example primary - korvi named.conf.korvi"_s,
            u". hint - other named.conf.default-zones"_s,
            u"localhost primary - other named.conf.default-zones"_s,
            u"127.in-addr.arpa primary - other named.conf.default-zones"_s,
            u"0.in-addr.arpa primary - other named.conf.default-zones"_s,
            u"255.in-addr.arpa primary - other named.conf.default-zones"_s};
        QCOMPARE(listed(*m), expected);
    }
};

QTEST_GUILESS_MAIN(TestNamedConfLoading)
#include "tst_namedconf_loading.moc"
