// Saving named.conf through the real named-checkconf: what lands on disk,
// what is refused, the log lines and their order, the scratch copies, the
// folders a fresh machine lacks, and a manager that goes away meanwhile.

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <memory>

#include "BindCheckers.h"
#include "SaveSandbox.h"
#include "StdoutCapture.h"
#include "manager/ConfigurationSaver.h"
#include "manager/DNSServerManager.h"
#include "model/DNSConfiguration.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString passedLine = QStringLiteral("✅ Configuration validation passed");
const QString savedLine = QStringLiteral("Configuration saved successfully");
const QString errorPrefix = QStringLiteral("Configuration error: ");
const QString invalidPrefix = QStringLiteral("Invalid configuration: ");
constexpr int waitMs = 15000;

// Some zones, as the zone operations would list them. Their files need not
// exist: the checker looks at the configuration's syntax only.
void addZones(DNSConfiguration& configuration) {
    configuration.setZoneFile(QStringLiteral("example.com"), QStringLiteral("db.example.com"));
    configuration.setZoneFile(QStringLiteral("example.org"), QStringLiteral("db.example.org"));
}

// The text the manager writes for its configuration, at the time stamped in
// the file's header.
QByteArray textAtHeaderTime(const DNSServerManager& manager, const QByteArray& fileBytes) {
    const QDateTime stamp = headerTime(fileBytes);
    if (!stamp.isValid())
        return QByteArrayLiteral("(no time stamp in the file)");
    NamedConfWriter::Options options = ConfigurationSaver::writerOptions(manager);
    options.now = stamp;
    return manager.configuration()->namedConfText(options).toUtf8();
}

} // namespace

class ConfSaveTest : public QObject {
    Q_OBJECT

private:
    QString m_bindVersion;

private Q_SLOTS:
    void initTestCase();
    void acceptedConfigurationLands_data();
    void acceptedConfigurationLands();
    void rejectedConfigurationKeepsPreviousFile_data();
    void rejectedConfigurationKeepsPreviousFile();
    void pathOutsideAllowedFoldersRunsNothing_data();
    void pathOutsideAllowedFoldersRunsNothing();
    void twoQuickSavesUseTwoCopies();
    void checkerNotFound();
    void checkerFailsWithoutOutput();
    void temporaryCopyCannotBeWritten();
    void finalWriteFails_data();
    void finalWriteFails();
    void managerGoneBeforeCompletion();
    void savedFromWorkerThread();
    void checkReportsAfterCleanup();
};

void ConfSaveTest::initTestCase() {
    if (!bindCheckersInstalled())
        QSKIP("BIND's checkers are not installed at /usr/bin");
    m_bindVersion = installedBindVersion();
    QVERIFY2(!m_bindVersion.isEmpty(), "the version of the installed named is not known");
}

void ConfSaveTest::acceptedConfigurationLands_data() {
    QTest::addColumn<bool>("dnssec");
    QTest::newRow("standard settings") << false;
    QTest::newRow("DNSSEC on") << true;
}

void ConfSaveTest::acceptedConfigurationLands() {
    // A fresh machine: neither named.conf's folder nor the zone folder exists.
    QFETCH(bool, dnssec);
    SaveSandbox box;
    QVERIFY(box.isValid());
    auto manager = box.makeManager(box.layout());
    manager->setBindVersion(m_bindVersion);
    addZones(*manager->configuration());
    manager->configuration()->setEnableDNSSEC(dnssec);
    manager->configuration()->setForwarders({QStringLiteral("192.0.2.53")});
    const QString path = box.namedConfPath();
    QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
    QVERIFY(!QFileInfo::exists(box.zoneDirectory()));

    const qsizetype from = manager->logs().size();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    manager->saveConfiguration();
    QVERIFY(!QFileInfo::exists(path)); // written later, on the event loop
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    QTest::qWait(50);

    QCOMPARE(infoMessages(*manager, from), (QStringList{passedLine, savedLine}));
    const QByteArray bytes = *readBytes(path);
    QCOMPARE(bytes, textAtHeaderTime(*manager, bytes));
    const QDateTime stamp = headerTime(bytes);
    QVERIFY2(stamp >= before && stamp <= after, qPrintable(stamp.toString(Qt::ISODate)));
    QCOMPARE(bytes.contains("dnssec-validation yes;"), dnssec);
    QVERIFY(!bytes.contains("dnssec-enable"));
    QVERIFY(bytes.contains(QStringLiteral("directory \"%1\";").arg(box.zoneDirectory()).toUtf8()));
    QVERIFY(QFileInfo(box.zoneDirectory() + QStringLiteral("/data")).isDir());
    QCOMPARE(box.temporaryFiles(), QStringList());
    QVERIFY2(checkConf(path).ok(), qPrintable(checkConf(path).describe()));
}

void ConfSaveTest::rejectedConfigurationKeepsPreviousFile_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("checkerSays");
    // Without a known version the DNSSEC switch also writes dnssec-enable,
    // which BIND 9.16 and later refuse.
    QTest::newRow("DNSSEC, version unknown")
        << QStringLiteral("dnssec") << QStringLiteral("dnssec-enable");
    QTest::newRow("port out of range") << QStringLiteral("port") << QStringLiteral("70000");
    QTest::newRow("unknown logging level") << QStringLiteral("level") << QStringLiteral("bogus");
}

void ConfSaveTest::rejectedConfigurationKeepsPreviousFile() {
    QFETCH(QString, setting);
    QFETCH(QString, checkerSays);
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    manager->setBindVersion(m_bindVersion);
    addZones(*manager->configuration());
    const QString path = box.namedConfPath();
    manager->saveConfiguration();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), waitMs);
    QTest::qWait(50);
    const QByteArray previous = *readBytes(path);

    DNSConfiguration& configuration = *manager->configuration();
    if (setting == QStringLiteral("dnssec")) {
        manager->setBindVersion(QString());
        configuration.setEnableDNSSEC(true);
    } else if (setting == QStringLiteral("port")) {
        configuration.setListenPort(70000);
    } else {
        configuration.setLoggingLevel(QStringLiteral("bogus"));
    }
    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("❌ ") + errorPrefix), qPrintable(lines[0]));
    const QString output = lines[0].mid(2 + errorPrefix.size());
    QVERIFY2(output.contains(checkerSays), qPrintable(output));
    QVERIFY2(temporaryPathPattern(box.temporaryDirectory(), QStringLiteral("named.conf.tmp."))
                 .match(output)
                 .hasMatch(),
             qPrintable(output));
    QCOMPARE(lines[1], invalidPrefix + errorPrefix + output);
    QCOMPARE(*readBytes(path), previous);
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ConfSaveTest::pathOutsideAllowedFoldersRunsNothing_data() {
    QTest::addColumn<QString>("relativeToRoot");
    QTest::newRow("outside") << QStringLiteral("outside/named.conf");
    QTest::newRow("climbs out") << QStringLiteral("etc/../outside/named.conf");
    QTest::newRow("the folder itself") << QStringLiteral("etc");
}

void ConfSaveTest::pathOutsideAllowedFoldersRunsNothing() {
    QFETCH(QString, relativeToRoot);
    SaveSandbox box;
    SystemLayout layout = box.recordingLayout();
    layout.namedConfigPath = box.path(relativeToRoot);
    auto manager = box.makeManager(layout);

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTest::qWait(300);

    QCOMPARE(infoMessages(*manager, from),
             QStringList{QStringLiteral("Invalid configuration file path")});
    QCOMPARE(box.shellRuns(), QStringList());
    QCOMPARE(box.temporaryFiles(), QStringList());
    QVERIFY(!QFileInfo(layout.namedConfigPath).isFile());
    QVERIFY(!QFileInfo::exists(box.zoneDirectory()));
}

void ConfSaveTest::twoQuickSavesUseTwoCopies() {
    SaveSandbox box;
    auto manager = box.makeManager(box.recordingLayout());
    manager->setBindVersion(m_bindVersion);
    DNSConfiguration& configuration = *manager->configuration();
    addZones(configuration);

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    const QMap<QString, QString> firstZones = configuration.zoneFiles();
    configuration.setZoneFile(QStringLiteral("example.net"), QStringLiteral("db.example.net"));
    manager->saveConfiguration();

    QTRY_COMPARE_WITH_TIMEOUT(infoMessages(*manager, from).count(passedLine), 2, waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(infoMessages(*manager, from).count(savedLine) >= 1, waitMs);
    QTest::qWait(100);
    // When the older check finishes last, its text is not written over the
    // newer one, and that save logs no line of its own.
    const qsizetype saved = infoMessages(*manager, from).count(savedLine);
    QVERIFY2(saved == 1 || saved == 2, qPrintable(infoMessages(*manager, from).join(u'\n')));
    QCOMPARE(box.temporaryFiles(), QStringList());

    const QStringList runs = box.shellRuns();
    QCOMPARE(runs.size(), 2);
    QVERIFY2(runs[0] != runs[1], qPrintable(runs.join(u'\n')));
    const QRegularExpression command(
        QStringLiteral("\\Anamed-checkconf ") +
        temporaryPathPattern(box.temporaryDirectory(), QStringLiteral("named.conf.tmp."))
            .pattern() +
        QStringLiteral("\\z"));
    for (const QString& run : runs)
        QVERIFY2(command.match(run).hasMatch(), qPrintable(run));

    // The newer save's text is on disk, whichever check finished last.
    const QByteArray bytes = *readBytes(box.namedConfPath());
    const QByteArray second = textAtHeaderTime(*manager, bytes);
    configuration.setZoneFiles(firstZones);
    const QByteArray first = textAtHeaderTime(*manager, bytes);
    QVERIFY(first != second);
    QVERIFY2(bytes == second, bytes.constData());
}

void ConfSaveTest::checkerNotFound() {
    SaveSandbox box;
    SystemLayout layout = box.layout();
    layout.shellSearchPath = box.emptySearchPath();
    auto manager = box.makeManager(layout);

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QStringLiteral("❌ ") + errorPrefix), qPrintable(lines[0]));
    const QString complaint = lines[0].mid(2 + errorPrefix.size());
    QVERIFY2(complaint.contains(QStringLiteral("named-checkconf")) &&
                 complaint.contains(QStringLiteral("not found")),
             qPrintable(complaint));
    QCOMPARE(lines[1], invalidPrefix + errorPrefix + complaint);
    QVERIFY(!QFileInfo::exists(box.namedConfPath()));
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ConfSaveTest::checkerFailsWithoutOutput() {
    SaveSandbox box;
    SystemLayout layout = box.layout();
    layout.shellSearchPath = box.fakeProgramSearchPath(QStringLiteral("named-checkconf"),
                                                       QByteArrayLiteral("#!/bin/sh\nexit 1\n"));
    auto manager = box.makeManager(layout);

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    QCOMPARE(infoMessages(*manager, from),
             (QStringList{QStringLiteral("❌ Unknown configuration error"),
                          invalidPrefix + QStringLiteral("Unknown configuration error")}));
    QVERIFY(!QFileInfo::exists(box.namedConfPath()));
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ConfSaveTest::temporaryCopyCannotBeWritten() {
    SaveSandbox box;
    SystemLayout layout = box.recordingLayout();
    layout.temporaryDirectory = box.path(QStringLiteral("missing"));
    auto manager = box.makeManager(layout);

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(100);

    const QString message =
        QStringLiteral("Failed to create temporary configuration file: No such file or directory");
    QCOMPARE(infoMessages(*manager, from),
             (QStringList{QStringLiteral("❌ ") + message, invalidPrefix + message}));
    QCOMPARE(box.shellRuns(), QStringList());
    QVERIFY(!QFileInfo::exists(box.namedConfPath()));
}

void ConfSaveTest::finalWriteFails_data() {
    QTest::addColumn<bool>("folderAtFilePath");
    QTest::addColumn<QString>("description"); // empty: any description
    QTest::newRow("a folder where the file goes") << true << QString();
    QTest::newRow("a file where the folder goes")
        << false << QStringLiteral("Cannot create the folder ");
}

void ConfSaveTest::finalWriteFails() {
    // The check passes, but named.conf cannot be put in its place.
    QFETCH(bool, folderAtFilePath);
    QFETCH(QString, description);
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    const QString folder = box.path(QStringLiteral("etc"));
    if (folderAtFilePath)
        QVERIFY(QDir().mkpath(box.namedConfPath()));
    else
        QVERIFY(writeBytes(folder, QByteArrayLiteral("not a folder\n")));

    const qsizetype from = manager->logs().size();
    manager->saveConfiguration();
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    const QStringList lines = infoMessages(*manager, from);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], passedLine);
    const QString prefix = QStringLiteral("Failed to save configuration: ");
    if (description.isEmpty())
        QVERIFY2(lines[1].startsWith(prefix) && lines[1].size() > prefix.size(),
                 qPrintable(lines[1]));
    else
        QCOMPARE(lines[1], prefix + description + folder);
    if (folderAtFilePath) {
        QVERIFY(QFileInfo(box.namedConfPath()).isDir());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    } else {
        QCOMPARE(*readBytes(folder), QByteArrayLiteral("not a folder\n"));
    }
}

void ConfSaveTest::managerGoneBeforeCompletion() {
    // Unlike a zone file, named.conf is written only while the manager exists.
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());

    StdoutCapture console(box.path(QStringLiteral("console.txt")));
    manager->saveConfiguration();
    QCOMPARE(box.temporaryFiles().size(), 1);
    manager.reset();
    QTRY_COMPARE_WITH_TIMEOUT(box.temporaryFiles(), QStringList(), waitMs);
    QTest::qWait(200);

    QCOMPARE(console.finish(), QStringList());
    QVERIFY(!QFileInfo::exists(box.namedConfPath()));
}

void ConfSaveTest::savedFromWorkerThread() {
    // Adding a zone saves the configuration from a background worker.
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    manager->setBindVersion(m_bindVersion);
    addZones(*manager->configuration());

    const qsizetype from = manager->logs().size();
    DNSServerManager* raw = manager.get();
    QThreadPool::globalInstance()->start([raw] { raw->saveConfiguration(); });
    QTRY_COMPARE_WITH_TIMEOUT(manager->logs().size(), from + 2, waitMs);
    QTest::qWait(50);

    QCOMPARE(infoMessages(*manager, from), (QStringList{passedLine, savedLine}));
    const QByteArray bytes = *readBytes(box.namedConfPath());
    QCOMPARE(bytes, textAtHeaderTime(*manager, bytes));
    QCOMPARE(box.temporaryFiles(), QStringList());
}

void ConfSaveTest::checkReportsAfterCleanup() {
    // The check on its own: the completion runs once, on the main thread,
    // after its line is in the log and its scratch copy is gone.
    SaveSandbox box;
    auto manager = box.makeManager(box.layout());
    struct Report {
        int calls = 0;
        bool success = false;
        std::optional<QString> message = QStringLiteral("(not called)");
        bool onMainThread = false;
        QStringList scratchFiles;
        QStringList lines;
    };
    for (const bool accepted : {true, false}) {
        const QString text = accepted ? QStringLiteral("options { recursion no; };\n")
                                      : QStringLiteral("options { recursion perhaps; };\n");
        auto report = std::make_shared<Report>();
        const qsizetype from = manager->logs().size();
        DNSServerManager* raw = manager.get();
        manager->validateConfiguration(
            text, [report, raw, from, &box](bool success, const std::optional<QString>& message) {
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
            QVERIFY2(report->message->startsWith(errorPrefix) &&
                         report->message->contains(QStringLiteral("perhaps")),
                     qPrintable(*report->message));
            QCOMPARE(report->lines[0], QStringLiteral("❌ ") + *report->message);
        }
        QCOMPARE(infoMessages(*manager, from), report->lines);
        // Checking alone never writes named.conf.
        QVERIFY(!QFileInfo::exists(box.namedConfPath()));
    }
}

QTEST_GUILESS_MAIN(ConfSaveTest)
#include "tst_confsave.moc"
