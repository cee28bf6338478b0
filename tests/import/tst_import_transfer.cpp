// A zone imported by transfer (AXFR) from a named of the test's own gives the same SOA and
// records as the same zone imported from the file that named serves; a zone that needs a TSIG
// key transfers with it and is refused without it or with a wrong secret; a closed zone and a
// dead port end with a message, quickly.
#include <QElapsedTimer>
#include <QtTest>

#include "../replication/TestNamed.h"
#include "manager/ZoneImport.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString secret = u"a29ydmktdHJhbnNmZXIta2V5LWZvci10aGUtdGVzdHM="_s;

QString zoneText(const QString& zone) {
    return u"$TTL 3600\n"
           "@ IN SOA ns1.%1. admin.%1. 2026120601 7200 900 1209600 300\n"
           "@ IN NS ns1\n"
           "@ 300 IN MX 10 mail\n"
           "@ IN TXT \"v=spf1 -all\" \"two words\"\n"
           "@ IN CAA 0 issue \"ca.example.net\"\n"
           "ns1 IN A 127.0.0.1\n"
           "mail 60 IN A 192.0.2.25\n"
           "mail 60 IN AAAA 2001:db8::25\n"
           "www IN CNAME mail\n"
           "_sip._tcp IN SRV 10 5 5060 mail\n"
           "sub IN NS ns.sub\n"
           "ns.sub IN A 192.0.2.53\n"
           "sub IN DS 12345 13 2 0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF\n"
           "host IN SSHFP 4 2 0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\n"
           "x IN TYPE65280 \\# 3 010203\n"_s.arg(zone);
}

QStringList recordLines(const ZoneImportPreview& preview) {
    QStringList lines;
    for (const DNSRecord& r : preview.records)
        lines.append(r.name.toLower() + u' ' + QString::number(r.ttl) + u' ' +
                     (r.isKept() ? r.keptType : rawValue(r.type)) + u' ' +
                     ZoneFileWriter::recordData(r, preview.zoneName));
    lines.sort();
    return lines;
}

} // namespace

class TestImportTransfer : public QObject {
    Q_OBJECT

    TestNamed m_named;

    ZoneTransferRequest request(const QString& zone) const {
        ZoneTransferRequest r;
        r.address = u"127.0.0.1"_s;
        r.port = m_named.port();
        r.zoneName = zone;
        r.timeoutMs = 5000;
        return r;
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"named"_s, {u"/usr/sbin"_s, u"/usr/bin"_s}).isEmpty())
            QSKIP("named is not installed");
        QVERIFY(m_named.prepare(
            u"key \"xfer-key\" { algorithm hmac-sha256; secret \"%1\"; };\n"
            "zone \"open.test\" { type primary; file \"db.open\"; allow-transfer { 127.0.0.1; }; "
            "};\n"
            "zone \"signed.test\" { type primary; file \"db.signed\"; allow-transfer { key "
            "xfer-key; "
            "}; };\n"
            "zone \"closed.test\" { type primary; file \"db.closed\"; allow-transfer { none; }; };\n"_s
                .arg(secret)));
        for (const QString& zone : {u"open"_s, u"signed"_s, u"closed"_s})
            QVERIFY(m_named.write(u"db."_s + zone, zoneText(zone + u".test"_s).toUtf8()));
        QVERIFY(m_named.start());
        QVERIFY2(m_named.waitForSerial(u"closed.test"_s, 2026120601), qPrintable(m_named.output()));
    }
    void cleanupTestCase() { m_named.stop(); }

    void transferGivesTheFile_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<bool>("signedTransfer");
        QTest::newRow("open") << u"open.test"_s << false;
        QTest::newRow("with a TSIG key") << u"signed.test"_s << true;
    }

    void transferGivesTheFile() {
        QFETCH(QString, zone);
        QFETCH(bool, signedTransfer);
        ZoneTransferRequest r = request(zone);
        if (signedTransfer) {
            r.tsigName = u"xfer-key"_s;
            r.tsigAlgorithm = u"hmac-sha256"_s;
            r.tsigSecret = secret;
        }
        const ZoneImportPreview transferred = ZoneImportReader::transferNow(r);
        QVERIFY2(transferred.ok, qPrintable(transferred.error));
        QCOMPARE(transferred.source, u"transfer from 127.0.0.1 port %1"_s.arg(m_named.port()));
        const ZoneImportPreview file =
            ZoneImportReader::fromFile(m_named.path(u"db."_s + zone.section(u'.', 0, 0)), zone);
        QVERIFY2(file.ok, qPrintable(file.error));
        QCOMPARE(file.records.size(), 14);
        QVERIFY(transferred.soa.has_value());
        QCOMPARE(transferred.soa, file.soa);
        QCOMPARE(recordLines(transferred), recordLines(file));
        QVERIFY(transferred.notImported.isEmpty());
    }

    void transferRefused_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("keySecret");
        QTest::addColumn<QString>("message");
        QTest::newRow("closed") << u"closed.test"_s << QString() << QString()
                                << u"The server refused the transfer (REFUSED)"_s;
        QTest::newRow("key needed") << u"signed.test"_s << QString() << QString()
                                    << u"The server refused the transfer (REFUSED)"_s;
        QTest::newRow("wrong secret")
            << u"signed.test"_s << u"xfer-key"_s << u"d3Jvbmctc2VjcmV0LXdyb25nLXNlY3JldA=="_s
            << u"The server refused the transfer (NOTAUTH)"_s;
        QTest::newRow("not served")
            << u"other.test"_s << QString() << QString() << u"The server refused the transfer"_s;
    }

    void transferRefused() {
        QFETCH(QString, zone);
        QFETCH(QString, key);
        QFETCH(QString, keySecret);
        QFETCH(QString, message);
        ZoneTransferRequest r = request(zone);
        r.tsigName = key;
        r.tsigSecret = keySecret;
        const ZoneImportPreview preview = ZoneImportReader::transferNow(r);
        QVERIFY(!preview.ok);
        QVERIFY(preview.records.isEmpty() && !preview.soa);
        QVERIFY2(preview.error.startsWith(zone + u" from 127.0.0.1 port "_s),
                 qPrintable(preview.error));
        QVERIFY2(preview.error.contains(message), qPrintable(preview.error));
    }

    // Nothing listens: the transfer ends with a message within its time limit.
    void deadPort() {
        ZoneTransferRequest r = request(u"open.test"_s);
        r.port = freePort();
        r.timeoutMs = 1000;
        QElapsedTimer clock;
        clock.start();
        const ZoneImportPreview preview = ZoneImportReader::transferNow(r);
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!preview.ok);
        QVERIFY2(preview.error.contains(u"did not complete"_s) ||
                     preview.error.contains(u"could not be started"_s),
                 qPrintable(preview.error));
    }

    // Asked in the background: the preview comes once, on the main thread.
    void inTheBackground() {
        QObject requester;
        QList<ZoneImportPreview> previews;
        bool mainThread = false;
        ZoneImportReader::transfer(&requester, request(u"open.test"_s),
                                   [&](const ZoneImportPreview& p) {
                                       previews.append(p);
                                       mainThread = QThread::currentThread() == qApp->thread();
                                   });
        QTRY_COMPARE(previews.size(), 1);
        QVERIFY(mainThread);
        QVERIFY(previews.first().ok);
        QTest::qWait(100);
        QCOMPARE(previews.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestImportTransfer)
#include "tst_import_transfer.moc"
