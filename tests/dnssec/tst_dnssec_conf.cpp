// Signing settings as written: Korvi's policy statements, the lines in each zone's statement of
// both writers (named.conf and the distribution include), judged by named-checkconf; DS records
// computed from a DNSKEY, compared with BIND's dnssec-dsfromkey; the helper's rndc words.
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "host/HelperVerbs.h"
#include "host/HostLayout.h"
#include "manager/ZoneSigningService.h"
#include "model/DNSConfiguration.h"
#include "model/NamedConfWriter.h"
#include "model/ZoneSigning.h"

Q_DECLARE_METATYPE(korvi::ZoneSigning)

using namespace korvi;
using namespace korvi::test;

namespace {

ZoneSigning signingWith(SigningState state, bool bindDefault, SigningAlgorithm algorithm,
                        int days) {
    ZoneSigning signing;
    signing.state = state;
    signing.bindDefaultPolicy = bindDefault;
    signing.algorithm = algorithm;
    signing.keyLifetimeDays = days;
    return signing;
}

// The lines of one zone's statement in a written configuration, from its "zone" line to "};".
QStringList statementOf(const QString& text, const QString& zone) {
    QStringList lines;
    bool inside = false;
    for (const QString& line : text.split(u'\n')) {
        if (line.startsWith(u"zone \""_s + zone + u'"'))
            inside = true;
        if (inside)
            lines.append(line.trimmed());
        if (inside && line == u"};")
            break;
    }
    return lines;
}

} // namespace

class TestDnssecConf : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void policyText_data() {
        QTest::addColumn<ZoneSigning>("signing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("statement");
        QTest::newRow("BIND default")
            << signingWith(SigningState::signing, true, SigningAlgorithm::ed25519, 90)
            << u"default"_s << QString();
        QTest::newRow("ECDSA unlimited")
            << signingWith(SigningState::signing, false, SigningAlgorithm::ecdsap256sha256, 0)
            << u"korvi-ecdsap256sha256-unlimited"_s
            << u"dnssec-policy \"korvi-ecdsap256sha256-unlimited\" { keys { csk lifetime "
               "unlimited algorithm ecdsap256sha256; }; };"_s;
        QTest::newRow("Ed25519 90 days")
            << signingWith(SigningState::signing, false, SigningAlgorithm::ed25519, 90)
            << u"korvi-ed25519-p90d"_s
            << u"dnssec-policy \"korvi-ed25519-p90d\" { keys { csk lifetime P90D algorithm "
               "ed25519; }; };"_s;
        QTest::newRow("lifetime capped")
            << signingWith(SigningState::signing, false, SigningAlgorithm::ed25519, 999999)
            << u"korvi-ed25519-p36500d"_s
            << u"dnssec-policy \"korvi-ed25519-p36500d\" { keys { csk lifetime P36500D "
               "algorithm ed25519; }; };"_s;
        QTest::newRow("going unsigned")
            << signingWith(SigningState::goingUnsigned, false, SigningAlgorithm::ed25519, 0)
            << u"insecure"_s << QString();
        QTest::newRow("unsigned") << signingWith(SigningState::unsigned_, false,
                                                 SigningAlgorithm::ed25519, 0)
                                  << QString() << QString();
    }
    void policyText() {
        QFETCH(ZoneSigning, signing);
        QFETCH(QString, name);
        QFETCH(QString, statement);
        QCOMPARE(signing.policyName(), name);
        QCOMPARE(signing.policyStatement().value_or(QString()), statement);
        const QStringList lines = signing.zoneLines(u"/keys"_s);
        if (name.isEmpty()) {
            QVERIFY(lines.isEmpty());
        } else {
            QCOMPARE(lines, QStringList({u"dnssec-policy \"%1\";"_s.arg(name),
                                         u"inline-signing yes;"_s, u"key-directory \"/keys\";"_s}));
        }
        // Kept and read back unchanged (a capped lifetime is read back capped).
        ZoneSigning kept = ZoneSigning::fromJson(signing.toJson());
        QCOMPARE(kept.policyName(), name);
        QCOMPARE(kept.state, signing.state);
    }

    // Both writers with each policy: only the signed zone's statement names it, Korvi's
    // policy statement is written once, and named-checkconf accepts the whole file.
    void writtenStatementsAccepted_data() {
        QTest::addColumn<bool>("include");
        QTest::addColumn<ZoneSigning>("signing");
        const QList<std::pair<const char*, ZoneSigning>> policies{
            {"default", signingWith(SigningState::signing, true, {}, 0)},
            {"ecdsa",
             signingWith(SigningState::signing, false, SigningAlgorithm::ecdsap256sha256, 0)},
            {"ed25519 30d",
             signingWith(SigningState::signing, false, SigningAlgorithm::ed25519, 30)},
            {"insecure", signingWith(SigningState::goingUnsigned, true, {}, 0)}};
        for (bool include : {false, true}) {
            for (const auto& [label, signing] : policies)
                QTest::addRow("%s %s", include ? "include" : "named.conf", label)
                    << include << signing;
        }
    }
    void writtenStatementsAccepted() {
        QFETCH(bool, include);
        QFETCH(ZoneSigning, signing);
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Two zones share the policy; a third stays unsigned.
        const ZoneSigningMap zones{{u"example.com"_s, signing}, {u"example.org"_s, signing}};
        const QHash<QString, QStringList> zoneLines = signingZoneLines(zones, dir.path());
        const QStringList statements = signingPolicyStatements(zones);
        QString text;
        if (include) {
            const OwnedFileLayout files =
                OwnedFileLayout::forFamily(HostFamily::debian, dir.path());
            text = QString::fromUtf8(
                ownedIncludeText(files, {u"example.com"_s, u"example.net"_s, u"Example.org"_s}, {},
                                 statements, zoneLines));
        } else {
            DNSConfiguration configuration;
            configuration.setZoneFiles({{u"example.com"_s, u"db.example.com"_s},
                                        {u"example.net"_s, u"db.example.net"_s},
                                        {u"Example.org"_s, u"db.example.org"_s}});
            NamedConfWriter::Options options;
            options.directory = dir.path();
            options.bindVersion = u"9.18"_s;
            options.extraStatements = statements;
            options.linesOfZone = zoneLines;
            text = NamedConfWriter::write(configuration, options);
        }
        const QString policyLine = u"dnssec-policy \"%1\";"_s.arg(signing.policyName());
        QVERIFY2(statementOf(text, u"example.com"_s).contains(policyLine), qPrintable(text));
        QVERIFY2(statementOf(text, u"Example.org"_s).contains(policyLine), qPrintable(text));
        QVERIFY(statementOf(text, u"example.com"_s).contains(u"inline-signing yes;"_s));
        QVERIFY(!statementOf(text, u"example.net"_s).isEmpty());
        QVERIFY(!text.section(u"zone \"example.net\""_s, 1)
                     .section(u"};"_s, 0, 0)
                     .contains(u"dnssec-policy"_s));
        if (const std::optional<QString> statement = signing.policyStatement())
            QCOMPARE(text.count(*statement), 1);
        const QString path = dir.filePath(u"named.conf"_s);
        QVERIFY(writeTextFile(path, text));
        const ProgramResult check = checkConf(path);
        QVERIFY(check.finished);
        QVERIFY2(check.exitCode == 0, qPrintable(check.output + check.errors + u'\n' + text));
    }

    // Korvi's DS records are those BIND's dnssec-dsfromkey computes from the same key; a
    // zone-signing key (no SEP bit) has none.
    void dsRecordsMatchBind_data() {
        QTest::addColumn<QString>("algorithm");
        QTest::addColumn<bool>("keySigning");
        QTest::newRow("ECDSA KSK") << u"ECDSAP256SHA256"_s << true;
        QTest::newRow("Ed25519 KSK") << u"ED25519"_s << true;
        QTest::newRow("ECDSA ZSK") << u"ECDSAP256SHA256"_s << false;
    }
    void dsRecordsMatchBind() {
        QFETCH(QString, algorithm);
        QFETCH(bool, keySigning);
        const QString keygen = QStandardPaths::findExecutable(u"dnssec-keygen"_s);
        const QString dsfromkey = QStandardPaths::findExecutable(u"dnssec-dsfromkey"_s);
        if (keygen.isEmpty() || dsfromkey.isEmpty())
            QSKIP("BIND's key tools are not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStringList arguments{u"-q"_s, u"-K"_s, dir.path(), u"-a"_s, algorithm};
        if (keySigning)
            arguments << u"-f"_s << u"KSK"_s;
        const ProgramResult made = runProgram(keygen, arguments << u"example.com"_s);
        QVERIFY2(made.finished && made.exitCode == 0, qPrintable(made.errors));
        const QString keyPath = dir.filePath(made.output.trimmed() + u".key"_s);
        QFile keyFile(keyPath);
        QVERIFY(keyFile.open(QIODevice::ReadOnly));
        QString data;
        for (const QString& line : QString::fromUtf8(keyFile.readAll()).split(u'\n')) {
            if (!line.startsWith(u';') && line.contains(u"DNSKEY"_s))
                data = line.section(u"DNSKEY"_s, 1).trimmed();
        }
        QVERIFY(!data.isEmpty());
        QString problem;
        const QStringList ours = ZoneSigningService::dsRecords(u"Example.com."_s, {data}, &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        if (!keySigning) {
            QVERIFY(ours.isEmpty());
            return;
        }
        const ProgramResult bind = runProgram(dsfromkey, {u"-2"_s, keyPath});
        QVERIFY2(bind.finished && bind.exitCode == 0, qPrintable(bind.errors));
        QCOMPARE(ours, QStringList{bind.output.simplified()});
        QVERIFY(ZoneSigningService::dsRecords(u"example.com"_s, {u"257 3 13 !!!"_s}, &problem)
                    .isEmpty());
        QVERIFY(!problem.isEmpty());
    }

    // The helper passes the key states of a zone Korvi could own to rndc, nothing more.
    void helperRndcWords_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("status") << QStringList{u"dnssec"_s, u"-status"_s, u"example.com"_s} << true;
        QTest::newRow("bad zone") << QStringList{u"dnssec"_s, u"-status"_s, u"../etc"_s} << false;
        QTest::newRow("rollover") << QStringList{u"dnssec"_s, u"-rollover"_s, u"example.com"_s}
                                  << false;
        QTest::newRow("no zone") << QStringList{u"dnssec"_s, u"-status"_s} << false;
    }
    void helperRndcWords() {
        QFETCH(QStringList, words);
        QFETCH(bool, allowed);
        QCOMPARE(isAllowedRndcVerb(words), allowed);
    }
};


QTEST_GUILESS_MAIN(TestDnssecConf)
#include "tst_dnssec_conf.moc"
