// named.conf texts written by Korvi, judged by named-checkconf. The
// directory option points into the test's own temporary directory; where a
// configuration names zones, their files are written there too and the
// checker loads them (-z).

#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "model/NamedConfWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

struct Settings {
    QStringList listen{QStringLiteral("127.0.0.1"), QStringLiteral("::1")};
    qint64 port = 53;
    QStringList query{QStringLiteral("any")};
    QStringList transfer{QStringLiteral("none")};
    bool recursion = true;
    QStringList forwarders;
    QMap<QString, QString> zones;
    QString logging = QStringLiteral("info");
    bool dnssec = false;
};

void apply(const Settings& s, DNSConfiguration& config) {
    config.setListenAddresses(s.listen);
    config.setListenPort(s.port);
    config.setAllowQuery(s.query);
    config.setAllowTransfer(s.transfer);
    config.setRecursion(s.recursion);
    config.setForwarders(s.forwarders);
    config.setZoneFiles(s.zones);
    config.setLoggingLevel(s.logging);
    config.setEnableDNSSEC(s.dnssec);
}

// A small valid zone for a zone block to load.
QString zoneText(const QString& name) {
    DNSZone zone(name, {});
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.") + name + u'.';
    soa.adminEmail = QStringLiteral("hostmaster.") + name + u'.';
    soa.serial = 2025030501;
    zone.setSoaRecord(soa);
    zone.setRecords(
        {DNSRecord({}, DNSRecordType::NS, soa.primaryNameServer, 3600),
         DNSRecord(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.1"), 3600)});
    return zone.zoneFileText();
}

} // namespace

Q_DECLARE_METATYPE(Settings)

class TestNamedConfBind : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void configurationsPass_data();
    void configurationsPass();
    void dnssecEnableNeedsTheVersion();
    void rewrittenConfigurationPasses();

private:
    // Writes the configuration into a fresh directory below the temporary
    // one, with the zone files it names, and runs the checker on it.
    ProgramResult writeAndCheck(const QString& label, const DNSConfiguration& config,
                                const QString& version, const QStringList& extraLines = {});

    QTemporaryDir m_dir;
    QString m_version;
};

void TestNamedConfBind::initTestCase() {
    if (!bindCheckersInstalled())
        QSKIP("BIND's checkers are not installed in /usr/bin");
    QVERIFY(m_dir.isValid());
    m_version = installedBindVersion();
    qInfo("named reports version %s", qPrintable(m_version));
}

ProgramResult TestNamedConfBind::writeAndCheck(const QString& label, const DNSConfiguration& config,
                                               const QString& version,
                                               const QStringList& extraLines) {
    const QString root = m_dir.filePath(label);
    QDir().mkpath(root + QStringLiteral("/data"));
    for (auto it = config.zoneFiles().cbegin(); it != config.zoneFiles().cend(); ++it) {
        // Only entries the writer keeps get a file; a missing file would make
        // the checker fail, so a block written by mistake is noticed.
        if (NamedConfWriter::isSafeQuotedText(it.value()) && !it.value().contains(u'/'))
            writeTextFile(root + u'/' + it.value(), zoneText(it.key()));
    }
    NamedConfWriter::Options options;
    options.directory = root;
    options.bindVersion = version;
    options.extraOptionLines = extraLines;
    const QString path = root + QStringLiteral("/named.conf");
    writeTextFile(path, config.namedConfText(options));
    return runProgram(checkConfProgram, {QStringLiteral("-z"), path});
}

void TestNamedConfBind::configurationsPass_data() {
    QTest::addColumn<Settings>("settings");

    QTest::newRow("defaults") << Settings{};

    Settings forwarders;
    forwarders.forwarders = {"8.8.8.8", "1.1.1.1", "2001:4860:4860::8888"};
    QTest::newRow("forwarders") << forwarders;

    Settings listen;
    listen.listen = {"127.0.0.1", "192.0.2.1", "198.51.100.7", "::1"};
    listen.port = 5353;
    QTest::newRow("several listen addresses") << listen;

    Settings dnssec;
    dnssec.dnssec = true;
    QTest::newRow("DNSSEC for the installed version") << dnssec;

    Settings zones;
    zones.zones = {{"example.com", "db.example.com"},
                   {"2.0.192.in-addr.arpa", "db.2.0.192.in-addr.arpa"},
                   {"bad_name.example", "db.bad"},
                   {"evil.example", "db\";\n};\ninclude \"/etc/passwd"}};
    QTest::newRow("zone blocks") << zones;

    Settings everything;
    everything.listen = {"127.0.0.1", "localhost", "!192.0.2.99"};
    everything.port = 10053;
    everything.query = {"localhost", "localnets", "10.0.0.0/8", "!192.0.2.1", "2001:db8::/32"};
    everything.transfer = {"127.0.0.1", "::1"};
    everything.recursion = false;
    everything.forwarders = {"192.0.2.53"};
    everything.zones = {{"example.org", "db.example.org"}, {"a.example", "a.example.zone"}};
    everything.logging = QStringLiteral("debug 3");
    everything.dnssec = true;
    QTest::newRow("everything together") << everything;
}

void TestNamedConfBind::configurationsPass() {
    QFETCH(Settings, settings);
    if (settings.dnssec && m_version.isEmpty())
        QSKIP("the installed BIND version is unknown");
    DNSConfiguration config;
    apply(settings, config);
    const ProgramResult result = writeAndCheck(
        QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'), config, m_version);
    QVERIFY2(result.ok(), qPrintable(result.describe()));
}

void TestNamedConfBind::dnssecEnableNeedsTheVersion() {
    const auto version = NamedConfWriter::versionNumbers(m_version);
    if (!version || *version < std::make_pair(9, 16))
        QSKIP("the installed BIND still knows dnssec-enable");
    // Written for an unknown version, the DNSSEC lines include dnssec-enable,
    // which this BIND refuses; written for it, they pass.
    DNSConfiguration config;
    config.setEnableDNSSEC(true);
    const ProgramResult unknown = writeAndCheck(QStringLiteral("dnssec-unknown"), config, {});
    QVERIFY(!unknown.ok());
    QVERIFY2(unknown.output.contains(QLatin1String("dnssec-enable")) ||
                 unknown.errors.contains(QLatin1String("dnssec-enable")),
             qPrintable(unknown.describe()));
    const ProgramResult known = writeAndCheck(QStringLiteral("dnssec-known"), config, m_version);
    QVERIFY2(known.ok(), qPrintable(known.describe()));
}

void TestNamedConfBind::rewrittenConfigurationPasses() {
    // An existing configuration with named lists, prefixes and a one-line
    // zone statement, read and written back with a sandbox's own options.
    DNSConfiguration config;
    config.loadNamedConf(QStringLiteral(
        "options {\n"
        "  listen-on port 53 { 127.0.0.1; localhost; };\n"
        "  allow-query { localnets; !192.0.2.1; 10.0.0.0/8; key rndc-key; };\n"
        "  recursion no;\n"
        "  forwarders { 192.0.2.53; bogus; 2001:db8::53; };\n"
        "};\n"
        "key \"rndc-key\" { algorithm hmac-sha256; secret \"c2VjcmV0\"; };\n"
        "zone \"example.net\" IN { type master; file \"/var/named/db.example.net\"; };\n"));
    QCOMPARE(config.allowQuery(),
             (QStringList{"localnets", "!192.0.2.1", "10.0.0.0/8", "key rndc-key"}));
    QCOMPARE(config.zoneFiles().value(QStringLiteral("example.net")),
             QStringLiteral("db.example.net"));
    const QString root = m_dir.filePath(QStringLiteral("rewritten"));
    const ProgramResult result =
        writeAndCheck(QStringLiteral("rewritten"), config, m_version,
                      {QStringLiteral("pid-file \"%1/named.pid\";").arg(root),
                       QStringLiteral("session-keyfile \"%1/session.key\";").arg(root)});
    QVERIFY2(result.ok(), qPrintable(result.describe()));
}

QTEST_GUILESS_MAIN(TestNamedConfBind)
#include "tst_namedconf_bind.moc"
