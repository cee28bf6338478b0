// The texts of zone transfers to Korvi's secondaries: the key file read and written, the lines
// of Korvi's zones, the catalog zone, the snippet and named.conf of a secondary. BIND's own
// checkers judge every configuration and zone text written here.
#include <QTemporaryDir>
#include <QTest>

#include "BindCheckers.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "model/NamedConfWriter.h"
#include "model/ReplicationText.h"
#include "model/TsigKeyFile.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString secretA = u"EsmUGNb5EEFFOGC5t3uLfqEIu3jxsYaLrNSVuml5/uE="_s;
const QString secretB = u"2yDz1Xy2v0x3d0o8yRk8bA=="_s;

QString keysText(const QList<TsigKey>& keys) {
    QStringList lines;
    for (const TsigKey& key : keys)
        lines.append(key.name + u'|' + key.algorithm + u'|' + key.secret);
    return lines.join(u'\n');
}

SecondaryServer secondary(const QString& name, const QString& address, quint16 port,
                          const QString& key) {
    SecondaryServer server;
    server.name = name;
    server.address = address;
    server.port = port;
    server.keyName = key;
    return server;
}

} // namespace

class TestReplicationText : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // named-checkconf on a named.conf whose key file sits beside it.
    ProgramResult checkWithKeys(const QString& conf, const QList<TsigKey>& keys) {
        const QString keyFile = m_dir.filePath(u"korvi-keys.conf"_s);
        const QString confFile = m_dir.filePath(u"named.conf"_s);
        if (!writeTextFile(keyFile, TsigKeyFile::text(keys)) || !writeTextFile(confFile, conf))
            return {};
        return checkConf(confFile);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }

    void parsesKeyFiles_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("keys");
        const QString a = u"a|hmac-sha256|"_s + secretA;
        QTest::newRow("as tsig-keygen prints it")
            << u"key \"a\" {\n\talgorithm hmac-sha256;\n\tsecret \""_s + secretA + u"\";\n};\n"_s
            << true << a;
        QTest::newRow("empty file") << QString() << true << QString();
        QTest::newRow("comments only")
            << u"// none yet\n# nor here\n/* nor\nhere */\n"_s << true << QString();
        QTest::newRow("secret first, unquoted name, upper-case algorithm")
            << u"key a { secret \""_s + secretA + u"\"; algorithm HMAC-SHA256; };"_s << true << a;
        QTest::newRow("two keys with comments between")
            << u"// Korvi\nkey \"a\" { algorithm hmac-sha256; secret \""_s + secretA +
                   u"\"; };\n# second\nkey \"b.x\" { algorithm hmac-sha512; secret \""_s + secretB +
                   u"\"; };"_s
            << true << a + u"\nb.x|hmac-sha512|"_s + secretB;
        QTest::newRow("unknown algorithm")
            << u"key a { algorithm hmac-sha3; secret \""_s + secretA + u"\"; };"_s << false
            << QString();
        QTest::newRow("secret not base64")
            << u"key a { algorithm hmac-sha256; secret \"not base64 at all!!\"; };"_s << false
            << QString();
        QTest::newRow("name with a slash")
            << u"key \"../a\" { algorithm hmac-sha256; secret \""_s + secretA + u"\"; };"_s << false
            << QString();
        QTest::newRow("same name twice")
            << u"key a { algorithm hmac-sha256; secret \""_s + secretA +
                   u"\"; };\nkey A { algorithm hmac-sha256; secret \""_s + secretB + u"\"; };"_s
            << false << QString();
        QTest::newRow("another statement after the key")
            << u"key a { algorithm hmac-sha256; secret \""_s + secretA +
                   u"\"; };\noptions { directory \"/tmp\"; };"_s
            << false << QString();
        QTest::newRow("missing semicolon")
            << u"key a { algorithm hmac-sha256; secret \""_s + secretA + u"\"; }"_s << false
            << QString();
    }
    void parsesKeyFiles() {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QFETCH(QString, keys);
        QString why;
        const auto parsed = TsigKeyFile::parse(text, &why);
        QCOMPARE(parsed.has_value(), read);
        if (read)
            QCOMPARE(keysText(*parsed), keys);
        else
            QVERIFY(!why.isEmpty());
    }

    // What Korvi writes, it reads back the same, and BIND reads it as key statements.
    void writtenKeyFileReadsBack() {
        const QList<TsigKey> keys{{u"korvi-one"_s, u"hmac-sha256"_s, secretA},
                                  {u"two.keys"_s, u"hmac-sha512"_s, secretB}};
        const QString text = TsigKeyFile::text(keys);
        const auto parsed = TsigKeyFile::parse(text);
        QVERIFY(parsed);
        QCOMPARE(keysText(*parsed), keysText(keys));
        const QString conf = m_dir.filePath(u"keys-only.conf"_s);
        QVERIFY(writeTextFile(conf, text));
        const ProgramResult check = checkConf(conf);
        QVERIFY2(check.ok(), qPrintable(check.describe()));
    }

    // The output of BIND's own tsig-keygen is one key Korvi reads.
    void readsTsigKeygenOutput() {
        const ProgramResult made =
            runProgram(u"/usr/sbin/tsig-keygen"_s, {u"-a"_s, u"hmac-sha256"_s, u"fresh-key"_s});
        if (!made.finished)
            QSKIP("tsig-keygen is not installed");
        QVERIFY2(made.ok(), qPrintable(made.describe()));
        const auto parsed = TsigKeyFile::parse(made.output);
        QVERIFY(parsed);
        QCOMPARE(parsed->size(), 1);
        QCOMPARE(parsed->first().name, u"fresh-key"_s);
        QCOMPARE(parsed->first().algorithm, u"hmac-sha256"_s);
        QCOMPARE(QByteArray::fromBase64(parsed->first().secret.toLatin1()).size(), 32);
    }

    void zoneTransferLines_data() {
        QTest::addColumn<QList<SecondaryServer>>("secondaries");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("none") << QList<SecondaryServer>() << QStringList();
        QTest::newRow("one") << QList<SecondaryServer>{secondary(u"s"_s, u"192.0.2.2"_s, 53,
                                                                 u"k1"_s)}
                             << QStringList{u"notify explicit;"_s, u"notify-delay 0;"_s,
                                            u"also-notify { 192.0.2.2 port 53 key \"k1\"; };"_s,
                                            u"allow-transfer { key \"k1\"; };"_s};
        QTest::newRow("two sharing a key, one IPv6")
            << QList<SecondaryServer>{secondary(u"s"_s, u"192.0.2.2"_s, 5300, u"k1"_s),
                                      secondary(u"t"_s, u"2001:db8::2"_s, 53, u"k1"_s)}
            << QStringList{u"notify explicit;"_s, u"notify-delay 0;"_s,
                           u"also-notify { 192.0.2.2 port 5300 key \"k1\"; 2001:db8::2 port 53 "
                           u"key \"k1\"; };"_s,
                           u"allow-transfer { key \"k1\"; };"_s};
        QTest::newRow("unusable ones left out")
            << QList<SecondaryServer>{secondary(u"bad"_s, u"host.example"_s, 53, u"k1"_s),
                                      secondary(u"port0"_s, u"192.0.2.3"_s, 0, u"k1"_s),
                                      secondary(u"nokey"_s, u"192.0.2.4"_s, 53, QString()),
                                      secondary(u"quote"_s, u"192.0.2.5"_s, 53, u"k\";"_s)}
            << QStringList();
    }
    void zoneTransferLines() {
        QFETCH(QList<SecondaryServer>, secondaries);
        QFETCH(QStringList, lines);
        QCOMPARE(ReplicationText::zoneTransferLines(secondaries), lines);
    }

    // Korvi's named.conf with secondaries: every zone carries the lines, the catalog is there,
    // and named-checkconf accepts the whole.
    void primaryConfigurationAccepted() {
        DNSConfiguration config;
        config.setZoneFile(u"example.com"_s, u"db.example.com"_s);
        config.setZoneFile(u"example.org"_s, u"db.example.org"_s);
        // An entry of the catalog's name read back from an older file is not written twice.
        config.setZoneFile(ReplicationText::catalogZoneName(), u"db.x"_s);
        const QList<SecondaryServer> secondaries{
            secondary(u"s"_s, u"127.0.0.1"_s, 25300, u"korvi-s"_s)};
        NamedConfWriter::Options options;
        options.directory = m_dir.path();
        options.zoneLines = ReplicationText::zoneTransferLines(secondaries);
        options.extraStatements = {
            u"include \""_s + m_dir.filePath(u"korvi-keys.conf"_s) + u"\";"_s,
            ReplicationText::catalogZoneStatement(m_dir.filePath(u"db.catalog.korvi.invalid"_s),
                                                  secondaries)};
        const QString text = config.namedConfText(options);
        QCOMPARE(text.count(u"allow-transfer { key \"korvi-s\"; };"_s), 3);
        QCOMPARE(text.count(u"zone \"catalog.korvi.invalid\""_s), 1);
        QVERIFY(text.contains(u"also-notify { 127.0.0.1 port 25300 key \"korvi-s\"; };"_s));
        const ProgramResult check =
            checkWithKeys(text, {{u"korvi-s"_s, u"hmac-sha256"_s, secretA}});
        QVERIFY2(check.ok(), qPrintable(check.describe() + text));
    }

    void catalogZone_data() {
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<int>("ptrs");
        QTest::newRow("empty") << QStringList() << 0;
        QTest::newRow("two") << QStringList{u"example.com"_s, u"example.org"_s} << 2;
        QTest::newRow("duplicates, a final dot, the catalog itself and a bad name")
            << QStringList{u"example.com"_s, u"Example.com."_s, u"catalog.korvi.invalid"_s,
                           u"bad name"_s}
            << 1;
    }
    // The catalog as RFC 9432 has it, accepted by named-checkzone, one PTR per member.
    void catalogZone() {
        QFETCH(QStringList, members);
        QFETCH(int, ptrs);
        const QString path = m_dir.filePath(u"catalog.db"_s);
        const auto zone = ReplicationText::catalogZone(path, members, 2026120601);
        QVERIFY(writeTextFile(path, zone->zoneFileText()));
        const ProgramResult check = runProgram(
            checkZoneProgram, dumpZoneArguments(ReplicationText::catalogZoneName(), path));
        QVERIFY2(check.ok(), qPrintable(check.describe()));
        const QStringList records = dumpedRecords(check.output);
        QVERIFY2(records.contains(u"version.catalog.korvi.invalid. 0 IN TXT \"2\""_s),
                 qPrintable(records.join(u'\n')));
        QCOMPARE(records.filter(u" IN PTR "_s).size(), ptrs);
        for (const QString& member : members.mid(0, ptrs)) {
            const QString owner = ReplicationText::memberLabel(member) +
                                  u".zones.catalog.korvi.invalid. 0 IN PTR "_s + member + u'.';
            QVERIFY2(records.contains(owner), qPrintable(records.join(u'\n')));
        }
        QVERIFY(records.filter(u" IN SOA "_s).value(0).contains(u" 2026120601 "_s));
    }

    void memberLabelIsStable() {
        QCOMPARE(ReplicationText::memberLabel(u"Example.COM."_s),
                 ReplicationText::memberLabel(u"example.com"_s));
        QVERIFY(ReplicationText::memberLabel(u"example.com"_s) !=
                ReplicationText::memberLabel(u"example.org"_s));
        QCOMPARE(ReplicationText::memberLabel(u"example.com"_s).size(), 40);
    }

    // The snippet holds what a secondary needs, and the whole named.conf of a local secondary
    // built from it is accepted by named-checkconf.
    void secondaryTextsAccepted() {
        ReplicationText::SecondarySetup setup;
        setup.primaryAddress = u"127.0.0.1"_s;
        setup.primaryPort = 25301;
        setup.key = {u"korvi-s"_s, u"hmac-sha256"_s, secretA};
        const QString snippet = ReplicationText::secondarySnippet(setup);
        QVERIFY(snippet.contains(TsigKeyFile::statement(setup.key)));
        QVERIFY(snippet.contains(u"default-primaries { 127.0.0.1 port 25301 key \"korvi-s\"; }"_s));
        QVERIFY(snippet.contains(u"primaries { 127.0.0.1 port 25301 key \"korvi-s\"; };"_s));
        QVERIFY(snippet.contains(u"type secondary;"_s));

        ReplicationText::LocalSecondary local;
        local.directory = m_dir.path();
        local.listenPort = 25302;
        local.extraOptionLines = {u"pid-file \""_s + m_dir.filePath(u"s.pid"_s) + u"\";"_s};
        const QString conf = ReplicationText::secondaryNamedConf(setup, local);
        const QString path = m_dir.filePath(u"secondary.conf"_s);
        QVERIFY(writeTextFile(path, conf));
        const ProgramResult check = checkConf(path);
        QVERIFY2(check.ok(), qPrintable(check.describe() + conf));
        QVERIFY(conf.contains(u"listen-on port 25302 { 127.0.0.1; };"_s));
    }
};

QTEST_GUILESS_MAIN(TestReplicationText)
#include "tst_replication_text.moc"
