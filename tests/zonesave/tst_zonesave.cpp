// Saving zone files through the real named-checkzone: what lands on disk,
// what is refused, the log lines and their order, the scratch copies, and a
// manager that goes away while a check runs.

#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

#include "BindCheckers.h"
#include "SaveSandbox.h"
#include "StdoutCapture.h"
#include "manager/DNSServerManager.h"
#include "model/DNSZone.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString zoneName = QStringLiteral("example.com");
const QString passedLine = QStringLiteral("✅ Zone file validation passed for 'example.com'");
const QString errorPrefix = QStringLiteral("Zone file error for 'example.com': ");
const QString invalidPrefix = QStringLiteral("Invalid zone file for 'example.com': ");
constexpr int waitMs = 15000;

DNSRecord record(const QString& name, DNSRecordType type, const QString& value) {
    return DNSRecord(name, type, value, 3600);
}

// A zone named-checkzone accepts: SOA, a name server with its address, a host.
ZonePtr acceptedZone(const QString& filePath) {
    auto zone = ZonePtr::create(zoneName, filePath);
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.example.com.");
    soa.adminEmail = QStringLiteral("admin.example.com.");
    soa.serial = 2025030501;
    zone->setSoaRecord(soa);
    zone->setRecords(
        {record(QString(), DNSRecordType::NS, QStringLiteral("ns1.example.com.")),
         record(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.1")),
         record(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.2"))});
    return zone;
}

// What the zone's text was when its file was written: the zone's current
// state rendered at the time stamped in the file's header.
QByteArray textAtHeaderTime(const ZonePtr& zone, const QByteArray& fileBytes) {
    const QDateTime stamp = headerTime(fileBytes);
    if (!stamp.isValid())
        return QByteArrayLiteral("(no time stamp in the file)");
    return zone->zoneFileText(stamp).toUtf8();
}

} // namespace

class ZoneSaveTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void acceptedTextLandsExactly();
    void replacementIsAtomic();
    void rejectedTextKeepsPreviousFile_data();
    void rejectedTextKeepsPreviousFile();
    void pathOutsideAllowedFoldersRunsNothing_data();
    void pathOutsideAllowedFoldersRunsNothing();
    void twoQuickSavesUseTwoCopies();
    void laterSaveStaysWhenChecksFinishOutOfOrder();
    void checkerNotFound();
    void checkerFailsWithoutOutput_data();
    void checkerFailsWithoutOutput();
    void temporaryCopyCannotBeWritten();
    void finalWriteFails();
    void managerGoneBeforeCompletion_data();
    void managerGoneBeforeCompletion();
    void checkReportsAfterCleanup_data();
    void checkReportsAfterCleanup();
};

void ZoneSaveTest::initTestCase() {
    if (!bindCheckersInstalled())
        QSKIP("BIND's checkers are not installed at /usr/bin");
}

void ZoneSaveTest::acceptedTextLandsExactly() {
    SaveSandbox box;
    QVERIFY(box.isValid());
    auto manager = box.makeManager(box.layout());
    const QString path = box.zoneFilePath(zoneName);
    QVERIFY(!QFileInfo::exists(box.zoneDirectory()));
    const ZonePtr zone = acceptedZone(path);

    const qsizetype from = manager->logs().size();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    manager->saveZoneFile(zone);
    QVERIFY(!QFileInfo::exists(path)); // written later, on the event loop
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), waitMs);
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    QTest::qWait(50);

    const QByteArray bytes = *readBytes(path);
    QCOMPARE(bytes, textAtHeaderTime(zone, bytes));
    const QDateTime stamp = headerTime(bytes);
    QVERIFY2(stamp >= before && stamp <= after, qPrintable(stamp.toString(Qt::ISODate)));
    QCOMPARE(infoMessages(*manager, from), QStringList{passedLine});
    QCOMPARE(box.temporaryFiles(), QStringList());
    // named will not start without the folder of its log file.
    QVERIFY(QFileInfo(box.zoneDirectory() + QStringLiteral("/data")).isDir());
    // BIND reads what was written.
    QVERIFY2(checkZone(zoneName, path).ok(), qPrintable(checkZone(zoneName, path).describe()));
}

void ZoneSaveTest::replacementIsAtomic() {
    // A reader that opened the old file keeps reading the whole old file: the
    // new text arrives as a new file that takes the old one's place.
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const QString path = box.zoneFilePath(zoneName);
    const QByteArray old = QByteArrayLiteral("; the previous zone file\n").repeated(200);
    QVERIFY(writeBytes(path, old, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));

    const ZonePtr zone = acceptedZone(path);
    manager->saveZoneFile(zone);
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(path) != old, waitMs);

    QCOMPARE(reader.readAll(), old);
    const QByteArray bytes = *readBytes(path);
    QCOMPARE(bytes, textAtHeaderTime(zone, bytes));
    // The replacement keeps the permissions the file had.
    QCOMPARE(QFile::permissions(path) & 0x0fff,
             QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
}

void ZoneSaveTest::rejectedTextKeepsPreviousFile_data() {
    QTest::addColumn<DNSRecord>("bad");
    QTest::addColumn<QString>("checkerSays");

    QTest::newRow("CNAME beside other data")
        << record(QStringLiteral("www"), DNSRecordType::CNAME, QStringLiteral("example.net."))
        << QStringLiteral("CNAME and other data");
    // Set field by field: the record constructor would have cleaned the value.
    DNSRecord badAddress;
    badAddress.name = QStringLiteral("mail");
    badAddress.type = DNSRecordType::A;
    badAddress.value = QStringLiteral("192.0.2.300");
    QTest::newRow("address out of range") << badAddress << QStringLiteral("bad dotted quad");
    DNSRecord badPreference;
    badPreference.name = QString();
    badPreference.type = DNSRecordType::MX;
    badPreference.value = QStringLiteral("mail.example.com.");
    badPreference.priority = 70000;
    QTest::newRow("MX preference out of range") << badPreference << QStringLiteral("out of range");
}

void ZoneSaveTest::rejectedTextKeepsPreviousFile() {
    QFETCH(DNSRecord, bad);
    QFETCH(QString, checkerSays);
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const QString path = box.zoneFilePath(zoneName);
    const ZonePtr zone = acceptedZone(path);
    manager->saveZoneFile(zone);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), waitMs);
    const QByteArray previous = *readBytes(path);

    QList<DNSRecord> records = zone->records();
    records.append(bad);
    zone->setRecords(records);
    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(zone);
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("❌ ") + errorPrefix), qPrintable(lines[0]));
    const QString output = lines[0].mid(2 + errorPrefix.size());
    QVERIFY2(output.contains(checkerSays), qPrintable(output));
    // The checker named the scratch copy, a fresh UUID-named file.
    QVERIFY2(temporaryPathPattern(box.temporaryDirectory(), QStringLiteral("db.example.com.tmp."))
                 .match(output)
                 .hasMatch(),
             qPrintable(output));
    QCOMPARE(lines[1], invalidPrefix + errorPrefix + output);
    QCOMPARE(*readBytes(path), previous);
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ZoneSaveTest::pathOutsideAllowedFoldersRunsNothing_data() {
    QTest::addColumn<QString>("relativeToRoot"); // empty: use `absolute`
    QTest::addColumn<QString>("absolute");
    QTest::newRow("system folder") << QString() << QStringLiteral("/var/named/db.example.com");
    QTest::newRow("climbs out") << QStringLiteral("var/named/../../outside/db.example.com")
                                << QString();
    QTest::newRow("the zone folder itself") << QStringLiteral("var/named") << QString();
    QTest::newRow("beside the zone folder") << QStringLiteral("var/db.example.com") << QString();
}

void ZoneSaveTest::pathOutsideAllowedFoldersRunsNothing() {
    QFETCH(QString, relativeToRoot);
    QFETCH(QString, absolute);
    SaveSandbox box;
    auto manager = box.makeManager(box.recordingLayout());
    const QString path = absolute.isEmpty() ? box.path(relativeToRoot) : absolute;
    const ZonePtr zone = acceptedZone(path);

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(zone);
    QTest::qWait(300);

    QCOMPARE(infoMessages(*manager, from),
             QStringList{QStringLiteral("Invalid zone file path: ") + path});
    QCOMPARE(box.shellRuns(), QStringList());
    QCOMPARE(box.temporaryFiles(), QStringList());
    if (!absolute.isEmpty())
        return;
    QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(!QFileInfo::exists(box.zoneDirectory() + QStringLiteral("/data")));
}

void ZoneSaveTest::twoQuickSavesUseTwoCopies() {
    SaveSandbox box;
    auto manager = box.makeManager(box.recordingLayout());
    const QString path = box.zoneFilePath(zoneName);
    const ZonePtr zone = acceptedZone(path);
    const QList<DNSRecord> firstRecords = zone->records();

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(zone);
    QList<DNSRecord> secondRecords = firstRecords;
    secondRecords.append(
        record(QStringLiteral("ftp"), DNSRecordType::A, QStringLiteral("192.0.2.3")));
    zone->setRecords(secondRecords);
    manager->saveZoneFile(zone);

    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(box.temporaryFiles(), QStringList(), waitMs);
    QTest::qWait(100);
    QCOMPARE(infoMessages(*manager, from), (QStringList{passedLine, passedLine}));

    const QStringList runs = box.shellRuns();
    QCOMPARE(runs.size(), 2);
    QVERIFY2(runs[0] != runs[1], qPrintable(runs.join(u'\n')));
    const QRegularExpression command(
        QStringLiteral("\\Anamed-checkzone example\\.com ") +
        temporaryPathPattern(box.temporaryDirectory(), QStringLiteral("db.example.com.tmp."))
            .pattern() +
        QStringLiteral("\\z"));
    for (const QString& run : runs)
        QVERIFY2(command.match(run).hasMatch(), qPrintable(run));

    // Each save wrote the text it captured; the later finisher is on disk.
    const QByteArray bytes = *readBytes(path);
    const QDateTime stamp = headerTime(bytes);
    const QByteArray first =
        ZoneFileWriter::zoneText(zoneName, zone->soaRecord(), firstRecords, stamp).toUtf8();
    const QByteArray second =
        ZoneFileWriter::zoneText(zoneName, zone->soaRecord(), secondRecords, stamp).toUtf8();
    QVERIFY2(bytes == first || bytes == second, bytes.constData());
}

void ZoneSaveTest::laterSaveStaysWhenChecksFinishOutOfOrder() {
    SaveSandbox box;
    SystemLayout layout = box.layout();
    // A checker that takes its time over the first text only.
    layout.shellSearchPath = box.fakeProgramSearchPath(
        QStringLiteral("named-checkzone"),
        QByteArrayLiteral("#!/bin/sh\nif grep -q slow \"$2\"; then sleep 1; fi\nexit 0\n"));
    auto manager = box.makeManager(layout);
    const QString path = box.zoneFilePath(zoneName);
    const ZonePtr zone = acceptedZone(path);
    QList<DNSRecord> records = zone->records();
    zone->setRecords(records + QList<DNSRecord>{record(QStringLiteral("slow"), DNSRecordType::A,
                                                       QStringLiteral("192.0.2.9"))});

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(zone);
    zone->setRecords(records);
    manager->saveZoneFile(zone);
    QTRY_COMPARE_WITH_TIMEOUT(infoMessages(*manager, from), (QStringList{passedLine, passedLine}),
                              waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(box.temporaryFiles(), QStringList(), waitMs);
    QTest::qWait(100);
    // The second save finished first and wrote; the first one, older, did
    // not write over it.
    const QByteArray bytes = *readBytes(path);
    QVERIFY2(!bytes.contains("slow"), bytes.constData());
    QCOMPARE(bytes, textAtHeaderTime(zone, bytes));
}

void ZoneSaveTest::checkerNotFound() {
    SaveSandbox box;
    SystemLayout layout = box.layout();
    layout.shellSearchPath = box.emptySearchPath();
    auto manager = box.makeManager(layout);
    const QString path = box.zoneFilePath(zoneName);

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(acceptedZone(path));
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("❌ ") + errorPrefix), qPrintable(lines[0]));
    const QString complaint = lines[0].mid(2 + errorPrefix.size());
    QVERIFY2(complaint.contains(QStringLiteral("named-checkzone")) &&
                 complaint.contains(QStringLiteral("not found")),
             qPrintable(complaint));
    QCOMPARE(lines[1], invalidPrefix + errorPrefix + complaint);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ZoneSaveTest::checkerFailsWithoutOutput_data() {
    QTest::addColumn<QByteArray>("checker");
    QTest::addColumn<bool>("timesOut");
    QTest::newRow("silent refusal") << QByteArrayLiteral("#!/bin/sh\nexit 1\n") << false;
    QTest::newRow("past the time limit") << QByteArrayLiteral("#!/bin/sh\nexec sleep 10\n") << true;
}

void ZoneSaveTest::checkerFailsWithoutOutput() {
    QFETCH(QByteArray, checker);
    QFETCH(bool, timesOut);
    SaveSandbox box;
    SystemLayout layout = box.layout();
    layout.shellSearchPath = box.fakeProgramSearchPath(QStringLiteral("named-checkzone"), checker);
    layout.commandTimeoutMs = 300;
    layout.commandKillGraceMs = 200;
    auto manager = box.makeManager(layout);
    const QString path = box.zoneFilePath(zoneName);

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(acceptedZone(path));
    const qsizetype expected = timesOut ? 3 : 2;
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + expected, waitMs);
    QTest::qWait(50);

    QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), expected);
    if (timesOut) {
        const QString timedOut = lines.takeFirst();
        const QRegularExpression form(
            QStringLiteral("\\A⚠️ Command timed out: named-checkzone example\\.com ") +
            temporaryPathPattern(box.temporaryDirectory(), QStringLiteral("db.example.com.tmp."))
                .pattern() +
            QStringLiteral("\\z"));
        QVERIFY2(form.match(timedOut).hasMatch(), qPrintable(timedOut));
    }
    QCOMPARE(lines, (QStringList{QStringLiteral("❌ Unknown zone file error"),
                                 invalidPrefix + QStringLiteral("Unknown zone file error")}));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ZoneSaveTest::temporaryCopyCannotBeWritten() {
    SaveSandbox box;
    SystemLayout layout = box.recordingLayout();
    layout.temporaryDirectory = box.path(QStringLiteral("missing"));
    auto manager = box.makeManager(layout);
    const QString path = box.zoneFilePath(zoneName);

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(acceptedZone(path));
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(100);

    const QString message = QStringLiteral(
        "Failed to create temporary zone file for 'example.com': No such file or directory");
    QCOMPARE(infoMessages(*manager, from),
             (QStringList{QStringLiteral("❌ ") + message, invalidPrefix + message}));
    QCOMPARE(box.shellRuns(), QStringList());
    QVERIFY(!QFileInfo::exists(path));
}

void ZoneSaveTest::finalWriteFails() {
    // The check passes, but the zone's file path is taken by a folder.
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const QString path = box.zoneFilePath(zoneName);
    QVERIFY(QDir().mkpath(path));

    const qsizetype from = manager->logs().size();
    manager->saveZoneFile(acceptedZone(path));
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], passedLine);
    const QString prefix = QStringLiteral("Failed to save zone file for 'example.com': ");
    QVERIFY2(lines[1].startsWith(prefix) && lines[1].size() > prefix.size(), qPrintable(lines[1]));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(box.zoneDirectory()).entryList(QDir::Files), QStringList());
}

void ZoneSaveTest::managerGoneBeforeCompletion_data() {
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted text is still written") << true;
    QTest::newRow("rejected text is still refused") << false;
}

void ZoneSaveTest::managerGoneBeforeCompletion() {
    QFETCH(bool, accepted);
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const QString path = box.zoneFilePath(zoneName);
    const ZonePtr zone = acceptedZone(path);
    if (!accepted) {
        QList<DNSRecord> records = zone->records();
        records.append(
            record(QStringLiteral("www"), DNSRecordType::CNAME, QStringLiteral("example.net.")));
        zone->setRecords(records);
    }

    StdoutCapture console(box.path(QStringLiteral("console.txt")));
    manager->saveZoneFile(zone);
    QCOMPARE(box.temporaryFiles().size(), 1);
    manager.reset();
    // The copy goes once the check has been judged; the write follows it.
    QTRY_COMPARE_WITH_TIMEOUT(box.temporaryFiles(), QStringList(), waitMs);
    if (accepted)
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), waitMs);
    QTest::qWait(100);
    const QStringList lines = console.finish();

    QCOMPARE(lines, QStringList()); // nothing logged without a manager
    if (accepted) {
        const QByteArray bytes = *readBytes(path);
        QCOMPARE(bytes, textAtHeaderTime(zone, bytes));
        QVERIFY(QFileInfo(box.zoneDirectory() + QStringLiteral("/data")).isDir());
    } else {
        QVERIFY(!QFileInfo::exists(path));
    }
}

void ZoneSaveTest::checkReportsAfterCleanup_data() {
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << true;
    QTest::newRow("rejected") << false;
}

void ZoneSaveTest::checkReportsAfterCleanup() {
    // The check on its own: its completion runs once, on the main thread,
    // after its lines are in the log and its scratch copy is gone.
    QFETCH(bool, accepted);
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const ZonePtr zone = acceptedZone(box.zoneFilePath(zoneName));
    const QString text =
        accepted ? zone->zoneFileText()
                 : zone->zoneFileText() + QStringLiteral("www\t3600\tIN\tCNAME\texample.net.\n");

    struct Report {
        int calls = 0;
        bool success = false;
        std::optional<QString> message;
        bool onMainThread = false;
        QStringList scratchFiles;
        QStringList lines;
    };
    auto report = std::make_shared<Report>();
    const qsizetype from = manager->logs().size();
    DNSServerManager* raw = manager.get();
    manager->validateZoneFile(
        text, zoneName,
        [report, raw, from, &box](bool success, const std::optional<QString>& message) {
            ++report->calls;
            report->success = success;
            report->message = message;
            report->onMainThread =
                QThread::currentThread() == QCoreApplication::instance()->thread();
            report->scratchFiles = box.temporaryFiles();
            report->lines = infoMessages(*raw, from);
        });
    QCOMPARE(report->calls, 0);
    QCOMPARE(box.temporaryFiles().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(report->calls, 1, waitMs);
    QTest::qWait(100);

    QCOMPARE(report->calls, 1);
    QVERIFY(report->onMainThread);
    QCOMPARE(report->scratchFiles, QStringList());
    QCOMPARE(report->success, accepted);
    QCOMPARE(report->lines.size(), 1);
    if (accepted) {
        QCOMPARE(report->message, std::nullopt);
        QCOMPARE(report->lines[0], passedLine);
    } else {
        QVERIFY(report->message.has_value());
        QVERIFY2(report->message->startsWith(errorPrefix), qPrintable(*report->message));
        QCOMPARE(report->lines[0], QStringLiteral("❌ ") + *report->message);
    }
    QCOMPARE(infoMessages(*manager, from), report->lines);
}

QTEST_GUILESS_MAIN(ZoneSaveTest)
#include "tst_zonesave.moc"
