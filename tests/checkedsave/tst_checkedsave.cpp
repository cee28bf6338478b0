// Saving zone files (built as tst_zonesave) and named.conf (built as
// tst_confsave, KORVI_CONF_SAVE) through BIND's real checkers: what lands on
// disk, what is refused, the log lines and their order, the scratch copies,
// the folders a fresh machine lacks, and a manager that goes away meanwhile.
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "manager/ConfigurationSaver.h"

using namespace korvi;
using namespace korvi::test;

namespace {

#ifdef KORVI_CONF_SAVE
constexpr bool conf = true;
#else
constexpr bool conf = false;
#endif

// The texts of the save under test.
const QString passedLine = conf ? u"✅ Configuration validation passed"_s
                                : u"✅ Zone file validation passed for 'example.com'"_s;
const QStringList savedLines =
    conf ? QStringList{passedLine, u"Configuration saved successfully"_s} : QStringList{passedLine};
const QString errorPrefix =
    conf ? u"Configuration error: "_s : u"Zone file error for 'example.com': "_s;
const QString invalidPrefix =
    conf ? u"Invalid configuration: "_s : u"Invalid zone file for 'example.com': "_s;
const QString unknownError = conf ? u"Unknown configuration error"_s : u"Unknown zone file error"_s;
const QString checker = conf ? u"named-checkconf"_s : u"named-checkzone"_s;
const QString writeFailure =
    conf ? u"Failed to save configuration: "_s : u"Failed to save zone file for 'example.com': "_s;
constexpr int waitMs = 15000;

// The messages from index `from` on, when every one is at level info;
// otherwise a list naming the first line at another level.
QStringList infoMessages(const DNSServerManager& manager, qsizetype from = 0) {
    QStringList messages;
    for (const LogEntry& entry : logEntries(manager, from)) {
        if (entry.level != LogLevel::info)
            return {u"line not at level info: "_s + entry.message};
        messages.append(entry.message);
    }
    return messages;
}

// The time stamp in the third header line of a zone file ("; ...Z") or of named.conf ("// ...Z").
QDateTime headerTime(const QByteArray& fileBytes) {
    static const QRegularExpression pattern(
        u"\\A[^\\n]*\\n[^\\n]*\\n(?:;|//) (\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ)\\n"_s);
    return QDateTime::fromString(pattern.match(QString::fromUtf8(fileBytes)).captured(1),
                                 Qt::ISODate);
}

DNSRecord record(const QString& name, DNSRecordType type, const QString& value) {
    return DNSRecord(name, type, value, 3600);
}

} // namespace

class CheckedSaveTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Host> m_host;
    QString m_bindVersion;
    ZonePtr m_zone; // the zone saved, one named-checkzone accepts

    QString scratch() const { return m_host->path(u"tmp"_s); }
    QString target() const { return conf ? m_host->layout.namedConfigPath : m_zone->filePath(); }
    // A scratch copy's name: the folder, the stem, then an upper-case UUID.
    QString scratchPattern() const {
        return QRegularExpression::escape(
                   scratch() + (conf ? u"/named.conf.tmp."_s : u"/db.example.com.tmp."_s)) +
               u"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"_s;
    }
    QStringList scratchFiles() const {
        return QDir(scratch()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                         QDir::NoDotAndDotDot);
    }
    // A shell that notes its command line (the argument after "-c") before
    // handing it to bash, so that a test sees what ran, and that nothing did.
    void recordCommands() {
        m_host->layout.shellPath =
            m_host->write(u"bin/recording-shell"_s,
                          "#!/bin/bash\nprintf '%s\\n' \"$2\" >> '" +
                              m_host->path(u"shell-runs"_s).toUtf8() + "'\nexec /bin/bash \"$@\"\n",
                          true);
    }
    QStringList commandsRun() const {
        return QString::fromUtf8(readFile(m_host->path(u"shell-runs"_s)))
            .split(u'\n', Qt::SkipEmptyParts);
    }
    std::unique_ptr<DNSServerManager> manager() {
        auto manager = m_host->manager();
        manager->setBindVersion(m_bindVersion);
        manager->configuration()->setZoneFile(u"example.com"_s, u"db.example.com"_s);
        manager->configuration()->setZoneFile(u"example.org"_s, u"db.example.org"_s);
        return manager;
    }
    void save(DNSServerManager& manager) {
        conf ? manager.saveConfiguration() : manager.saveZoneFile(m_zone);
    }
    // The text the save writes, rendered at the time stamped in the file.
    QByteArray textAtHeaderTime(const DNSServerManager& manager,
                                const QByteArray& fileBytes) const {
        const QDateTime stamp = headerTime(fileBytes);
        if (!stamp.isValid())
            return "(no time stamp in the file)"_ba;
        NamedConfWriter::Options options = ConfigurationSaver::writerOptions(manager);
        options.now = stamp;
        return (conf ? manager.configuration()->namedConfText(options)
                     : m_zone->zoneFileText(stamp))
            .toUtf8();
    }
    // Waits for `count` new lines from `from` on, and a little longer.
    static QStringList linesFrom(const DNSServerManager& manager, qsizetype from, int count) {
        (void)QTest::qWaitFor([&] { return manager.logs().size() >= from + count; }, waitMs);
        QTest::qWait(100);
        return infoMessages(manager, from);
    }
    // A failed check: the error line with the checker's output, then the
    // save's own line repeating it. Returns the output.
    static QString checkerOutput(const QStringList& lines) {
        if (lines.size() != 2 || !lines[0].startsWith(u"❌ "_s + errorPrefix))
            return u"(unexpected lines) "_s + lines.join(u'\n');
        const QString output = lines[0].mid(2 + errorPrefix.size());
        return lines[1] == invalidPrefix + errorPrefix + output ? output
                                                                : u"(second line differs)"_s;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_bindVersion = installedBindVersion();
        QVERIFY2(!m_bindVersion.isEmpty(), "the version of the installed named is not known");
    }
    void init() {
        m_host = std::make_unique<Host>();
        m_host->layout.allowedPathPrefixes = {m_host->path(u"etc/"_s),
                                              m_host->layout.zoneDirectory + u'/'};
        m_zone =
            ZonePtr::create(u"example.com"_s, m_host->layout.zoneDirectory + u"/db.example.com"_s);
        m_zone->setSoaRecord(standardSOA());
        m_zone->setRecords({record({}, DNSRecordType::NS, u"ns1.example.com."_s),
                            record(u"ns1"_s, DNSRecordType::A, u"192.0.2.1"_s),
                            record(u"www"_s, DNSRecordType::A, u"192.0.2.2"_s)});
    }
    void cleanup() {
        settle();
        m_host.reset();
    }

    // Written later, on the event loop, exactly the text checked, into the
    // folders a fresh machine lacks; or replacing an existing file atomically
    // (a reader of the old file reads it whole) with its permissions kept.
    void acceptedTextLands_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("dnssec");
        QTest::newRow("fresh machine") << false << false;
        QTest::newRow("replaces an existing file") << true << false;
        if (conf) {
            QTest::newRow("DNSSEC on") << false << true;
            // Adding a zone saves named.conf from a background worker.
            QTest::newRow("from a worker thread") << false << false;
        }
    }
    void acceptedTextLands() {
        QFETCH(bool, existing);
        QFETCH(bool, dnssec);
        auto m = manager();
        m->configuration()->setEnableDNSSEC(dnssec);
        m->configuration()->setForwarders({u"192.0.2.53"_s});
        const QByteArray old = "; the previous file\n"_ba.repeated(200);
        QFile reader(target());
        if (existing) {
            QVERIFY(!writeFile(m_host->root(), target(), old, false).isEmpty());
            QFile::setPermissions(target(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
            QVERIFY(reader.open(QIODevice::ReadOnly));
        } else {
            QVERIFY(!QFileInfo::exists(QFileInfo(target()).absolutePath()));
            QVERIFY(!QFileInfo::exists(m_host->layout.zoneDirectory));
        }
        const qsizetype from = m->logs().size();
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        if (QTest::currentDataTag() == "from a worker thread"_L1)
            QThreadPool::globalInstance()->start([raw = m.get()] { raw->saveConfiguration(); });
        else
            save(*m);
        QCOMPARE(readFile(target()), existing ? old : QByteArray());
        QCOMPARE(linesFrom(*m, from, savedLines.size()), savedLines);
        const QByteArray bytes = readFile(target());
        QCOMPARE(bytes, textAtHeaderTime(*m, bytes));
        QVERIFY(headerTime(bytes) >= before &&
                headerTime(bytes) <= QDateTime::currentDateTimeUtc());
        // named will not start without the folder of its log file.
        QVERIFY(QFileInfo(m_host->layout.zoneDirectory + u"/data"_s).isDir());
        QCOMPARE(scratchFiles(), QStringList());
        if (existing) {
            QCOMPARE(reader.readAll(), old);
            QCOMPARE(QFile::permissions(target()) & 0x0fff,
                     QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
        }
        if (conf) {
            QCOMPARE(bytes.contains("dnssec-validation yes;"), dnssec);
            QVERIFY(!bytes.contains("dnssec-enable"));
            QVERIFY(bytes.contains("directory \"" + m_host->layout.zoneDirectory.toUtf8() + "\";"));
        }
        const ProgramResult check =
            conf ? checkConf(target()) : checkZone(u"example.com"_s, target());
        QVERIFY2(check.ok(), qPrintable(check.describe()));
    }

    // What the checker refuses is not written; its output is in the lines,
    // naming the scratch copy, which is gone.
    void rejectedTextKeepsPreviousFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("checkerSays");
        const auto row = [](const char* fault, const char* says) {
            QTest::newRow(fault) << QString::fromLatin1(fault) << QString::fromLatin1(says);
        };
        if (conf) {
            // Without a known version the DNSSEC switch also writes
            // dnssec-enable, which BIND 9.16 and later refuse.
            row("dnssec, version unknown", "dnssec-enable");
            row("port", "70000");
            row("logging level", "bogus");
        } else {
            row("CNAME beside other data", "CNAME and other data");
            row("address", "bad dotted quad");
            row("MX preference", "out of range");
        }
    }
    void rejectedTextKeepsPreviousFile() {
        QFETCH(QString, fault);
        QFETCH(QString, checkerSays);
        auto m = manager();
        save(*m);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(target()), waitMs);
        QTest::qWait(50);
        const QByteArray previous = readFile(target());
        DNSConfiguration& configuration = *m->configuration();
        QList<DNSRecord> records = m_zone->records();
        DNSRecord bad; // set field by field: the cleaning constructor would repair it
        bad.name = u"www"_s;
        if (fault.startsWith(u"dnssec"_s)) {
            m->setBindVersion(QString());
            configuration.setEnableDNSSEC(true);
        } else if (fault == "port"_L1) {
            configuration.setListenPort(70000);
        } else if (fault == "logging level"_L1) {
            configuration.setLoggingLevel(u"bogus"_s);
        } else if (fault.startsWith(u"CNAME"_s)) {
            bad = record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s);
        } else if (fault == "address"_L1) {
            bad.value = u"192.0.2.300"_s;
        } else {
            bad.name.clear();
            bad.type = DNSRecordType::MX;
            bad.value = u"mail.example.com."_s;
            bad.priority = 70000;
        }
        if (!conf)
            m_zone->setRecords(records << bad);
        const qsizetype from = m->logs().size();
        save(*m);
        const QString output = checkerOutput(linesFrom(*m, from, 2));
        QVERIFY2(output.contains(checkerSays), qPrintable(output));
        QVERIFY2(QRegularExpression(scratchPattern()).match(output).hasMatch(), qPrintable(output));
        QCOMPARE(readFile(target()), previous);
        QCOMPARE(scratchFiles(), QStringList());
    }

    // A path outside the allowed folders: one line, nothing runs, nothing is written.
    void pathOutsideAllowedFoldersRunsNothing_data() {
        QTest::addColumn<QString>("path"); // relative to the root unless absolute
        QTest::newRow("system folder")
            << (conf ? "/usr/local/etc/named.conf" : "/var/named/db.example.com");
        QTest::newRow("climbs out")
            << (conf ? "etc/../outside/named.conf" : "var/named/../../outside/db.x");
        QTest::newRow("the folder itself") << (conf ? "etc" : "var/named");
        if (!conf)
            QTest::newRow("beside the zone folder") << "var/db.example.com";
    }
    void pathOutsideAllowedFoldersRunsNothing() {
        QFETCH(QString, path);
        if (!path.startsWith(u'/'))
            path = m_host->path(path);
        recordCommands();
        m_host->layout.namedConfigPath = path;
        m_zone = ZonePtr::create(u"example.com"_s, path);
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        QTest::qWait(300);
        QCOMPARE(infoMessages(*m, from), QStringList{conf ? u"Invalid configuration file path"_s
                                                          : u"Invalid zone file path: "_s + path});
        QCOMPARE(commandsRun(), QStringList());
        QCOMPARE(scratchFiles(), QStringList());
        QVERIFY(!QFileInfo(path).isFile());
        QVERIFY(!QFileInfo::exists(m_host->layout.zoneDirectory + u"/data"_s));
    }

    // Two saves in quick succession check two scratch copies, each named in
    // its own command line; each writes the text it took, the later finisher
    // is on disk.
    void twoQuickSavesUseTwoCopies() {
        recordCommands();
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        const QMap<QString, QString> firstZones = m->configuration()->zoneFiles();
        const QList<DNSRecord> firstRecords = m_zone->records();
        m->configuration()->setZoneFile(u"example.net"_s, u"db.example.net"_s);
        m_zone->addRecord(record(u"ftp"_s, DNSRecordType::A, u"192.0.2.3"_s));
        save(*m);
        QStringList lines = linesFrom(*m, from, 2 * savedLines.size()),
                    expected = savedLines + savedLines;
        lines.sort(); // the two checks may finish in either order
        expected.sort();
        QCOMPARE(lines, expected);
        QTRY_COMPARE_WITH_TIMEOUT(scratchFiles(), QStringList(), waitMs);
        const QStringList runs = commandsRun();
        QCOMPARE(runs.size(), 2);
        QVERIFY2(runs[0] != runs[1], qPrintable(runs.join(u'\n')));
        const QRegularExpression command(u"\\A"_s + checker +
                                         (conf ? u" "_s : u" example\\.com "_s) + scratchPattern() +
                                         u"\\z"_s);
        for (const QString& run : runs)
            QVERIFY2(command.match(run).hasMatch(), qPrintable(run));
        const QByteArray bytes = readFile(target());
        const QByteArray second = textAtHeaderTime(*m, bytes);
        m->configuration()->setZoneFiles(firstZones);
        m_zone->setRecords(firstRecords);
        const QByteArray first = textAtHeaderTime(*m, bytes);
        QVERIFY(first != second);
        QVERIFY2(bytes == first || bytes == second, bytes.constData());
    }

    // The checker cannot be run, fails without a word, or runs past the time
    // limit; or the scratch copy cannot be written. Nothing is written.
    void checkFails_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("checker not found") << "missing";
        QTest::newRow("silent refusal") << "#!/bin/sh\nexit 1\n";
        QTest::newRow("past the time limit") << "#!/bin/sh\nexec sleep 10\n";
        QTest::newRow("scratch copy cannot be written") << "no scratch folder";
    }
    void checkFails() {
        QFETCH(QString, how);
        const bool timesOut = how.contains(u"sleep"_s);
        if (how == "missing"_L1) {
            m_host->layout.shellSearchPath = m_host->path(u"emptybin"_s);
            QDir().mkpath(m_host->layout.shellSearchPath);
        } else if (how == "no scratch folder"_L1) {
            m_host->layout.temporaryDirectory = m_host->path(u"missing"_s);
            recordCommands();
        } else {
            m_host->write(u"fakebin/"_s + checker, how.toUtf8(), true);
            m_host->layout.shellSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
            m_host->layout.commandTimeoutMs = 300;
            m_host->layout.commandKillGraceMs = 200;
        }
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        QStringList lines = linesFrom(*m, from, timesOut ? 3 : 2);
        if (how == "missing"_L1) {
            const QString output = checkerOutput(lines);
            QVERIFY2(output.contains(checker) && output.contains(u"not found"_s),
                     qPrintable(output));
        } else if (how == "no scratch folder"_L1) {
            const QString message =
                conf ? u"Failed to create temporary configuration file: "_s
                     : u"Failed to create temporary zone file for 'example.com': "_s;
            QCOMPARE(lines,
                     QStringList({u"❌ "_s + message + u"No such file or directory"_s,
                                  invalidPrefix + message + u"No such file or directory"_s}));
            QCOMPARE(commandsRun(), QStringList());
        } else {
            if (timesOut) {
                const QString timedOut = lines.takeFirst();
                QVERIFY2(QRegularExpression(u"\\A⚠️ Command timed out: "_s + checker +
                                            (conf ? u" "_s : u" example\\.com "_s) +
                                            scratchPattern() + u"\\z"_s)
                             .match(timedOut)
                             .hasMatch(),
                         qPrintable(timedOut));
            }
            QCOMPARE(lines, QStringList({u"❌ "_s + unknownError, invalidPrefix + unknownError}));
        }
        QVERIFY(!QFileInfo::exists(target()));
        QCOMPARE(scratchFiles(), QStringList());
    }

    // The check passes, but the file cannot be put in its place.
    void finalWriteFails_data() {
        QTest::addColumn<bool>("folderAtFilePath");
        QTest::newRow("a folder where the file goes") << true;
        if (conf)
            QTest::newRow("a file where the folder goes") << false;
    }
    void finalWriteFails() {
        QFETCH(bool, folderAtFilePath);
        const QString folder = QFileInfo(target()).absolutePath();
        if (folderAtFilePath)
            QVERIFY(QDir().mkpath(target()));
        else
            QVERIFY(!writeFile(m_host->root(), folder, "not a folder\n", false).isEmpty());
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        const QStringList lines = linesFrom(*m, from, 2);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], passedLine);
        if (folderAtFilePath) {
            QVERIFY2(lines[1].startsWith(writeFailure) && lines[1].size() > writeFailure.size(),
                     qPrintable(lines[1]));
            QVERIFY(QFileInfo(target()).isDir());
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
        } else {
            QCOMPARE(lines[1], writeFailure + u"Cannot create the folder "_s + folder);
            QCOMPARE(readFile(folder), "not a folder\n"_ba);
        }
    }

    // Without a manager nothing is logged; an accepted zone file is still
    // written, named.conf is not (it is written only while the manager exists).
    void managerGoneBeforeCompletion_data() {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("rejected") << false;
    }
    void managerGoneBeforeCompletion() {
        QFETCH(bool, accepted);
        auto m = manager();
        if (!accepted) {
            m_zone->addRecord(record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s));
            m->configuration()->setListenPort(70000);
        }
        qsizetype copies = 0;
        const QStringList lines = m_host->lines([&] {
            save(*m);
            copies = scratchFiles().size();
            m.reset();
            // The copy goes once the check has been judged; the write follows it.
            (void)QTest::qWaitFor([&] { return scratchFiles().isEmpty(); }, waitMs);
            if (accepted && !conf)
                (void)QTest::qWaitFor([&] { return QFileInfo::exists(target()); }, waitMs);
            QTest::qWait(200);
        });
        QCOMPARE(lines, QStringList());
        QCOMPARE(copies, 1);
        QCOMPARE(scratchFiles(), QStringList());
        QCOMPARE(QFileInfo::exists(target()), accepted && !conf);
        if (accepted && !conf) {
            const QByteArray bytes = readFile(target());
            QCOMPARE(bytes, m_zone->zoneFileText(headerTime(bytes)).toUtf8());
            QVERIFY(QFileInfo(m_host->layout.zoneDirectory + u"/data"_s).isDir());
        }
    }

    // The check on its own: the completion runs once, on the main thread,
    // after its line is in the log and its scratch copy is gone; checking
    // alone never writes the file.
    void checkReportsAfterCleanup_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << (conf ? "options { recursion no; };\n" : "") << true;
        QTest::newRow("rejected") << (conf ? "options { recursion perhaps; };\n"
                                           : "w2\t3600\tIN\tA\tperhaps\n")
                                  << false;
    }
    void checkReportsAfterCleanup() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        auto m = manager();
        if (!conf)
            text.prepend(m_zone->zoneFileText());
        struct Report {
            int calls = 0;
            bool success = false;
            std::optional<QString> message = u"(not called)"_s;
            bool onMainThread = false;
            QStringList scratchFiles, lines;
        };
        auto report = std::make_shared<Report>();
        const qsizetype from = m->logs().size();
        DNSServerManager* raw = m.get();
        const auto completion = [report, raw, from, this](bool success,
                                                          const std::optional<QString>& message) {
            ++report->calls;
            report->success = success;
            report->message = message;
            report->onMainThread =
                QThread::currentThread() == QCoreApplication::instance()->thread();
            report->scratchFiles = scratchFiles();
            report->lines = infoMessages(*raw, from);
        };
        if (conf)
            m->validateConfiguration(text, completion);
        else
            m->validateZoneFile(text, u"example.com"_s, completion);
        QCOMPARE(report->calls, 0);
        QCOMPARE(scratchFiles().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(report->calls, 1, waitMs);
        QTest::qWait(100);
        QCOMPARE(report->calls, 1);
        QVERIFY(report->onMainThread);
        QCOMPARE(report->scratchFiles, QStringList());
        QCOMPARE(report->success, accepted);
        if (accepted) {
            QCOMPARE(report->message, std::nullopt);
            QCOMPARE(report->lines, QStringList{passedLine});
        } else {
            QVERIFY2(report->message && report->message->startsWith(errorPrefix) &&
                         report->message->contains(u"perhaps"_s),
                     qPrintable(report->message.value_or(QString())));
            QCOMPARE(report->lines, QStringList{u"❌ "_s + *report->message});
        }
        QCOMPARE(infoMessages(*m, from), report->lines);
        QVERIFY(!QFileInfo::exists(target()));
    }
};

QTEST_GUILESS_MAIN(CheckedSaveTest)
#include "tst_checkedsave.moc"
