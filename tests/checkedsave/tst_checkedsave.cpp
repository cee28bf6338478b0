// Saving zone files (built as tst_zonesave) and named.conf (built as
// tst_confsave, KORVI_CONF_SAVE) through BIND's real checkers: what lands on
// disk, what is refused, the log lines, the scratch copies, the folders a
// fresh machine lacks, and a manager that goes away meanwhile.
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
const QString checker = conf ? u"named-checkconf"_s : u"named-checkzone example.com"_s;
constexpr int waitMs = 15000;

// The messages from index `from` on, all at level info (else the odd one, named).
QStringList infoMessages(const DNSServerManager& manager, qsizetype from = 0) {
    QStringList messages;
    for (const LogEntry& entry : logEntries(manager, from)) {
        if (entry.level != LogLevel::info)
            return {u"line not at level info: "_s + entry.message};
        messages.append(entry.message);
    }
    return messages;
}

// The time in the third header line: "; ...Z" (zone file) or "// ...Z" (named.conf).
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

    QString target() const { return conf ? m_host->layout.namedConfigPath : m_zone->filePath(); }
    // A scratch copy's name as a pattern: the folder, the stem, then an upper-case UUID.
    QString scratchPattern() const {
        return QRegularExpression::escape(
                   m_host->path(conf ? u"tmp/named.conf.tmp."_s : u"tmp/db.example.com.tmp."_s)) +
               u"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"_s;
    }
    QStringList scratchFiles() const {
        return QDir(m_host->path(u"tmp"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    // A shell that notes each command line before handing it to bash.
    void recordCommands() {
        m_host->layout.shellPath =
            m_host->write(u"bin/recording-shell"_s,
                          "#!/bin/bash\nprintf '%s\\n' \"$2\" >> '" +
                              m_host->path(u"runs"_s).toUtf8() + "'\nexec /bin/bash \"$@\"\n",
                          true);
    }
    QStringList commandsRun() const {
        return QString::fromUtf8(readFile(m_host->path(u"runs"_s)))
            .split(u'\n', Qt::SkipEmptyParts);
    }
    std::unique_ptr<DNSServerManager> manager() {
        auto manager = m_host->manager();
        manager->setBindVersion(m_bindVersion);
        manager->configuration()->setZoneFiles(
            {{"example.com", "db.example.com"}, {"example.org", "db.x"}});
        return manager;
    }
    void save(DNSServerManager& manager) {
        conf ? manager.saveConfiguration() : manager.saveZoneFile(m_zone);
    }
    // The text the save writes, rendered at the time stamped in the file.
    QByteArray textAtHeaderTime(const DNSServerManager& manager, const QByteArray& bytes) const {
        NamedConfWriter::Options options = ConfigurationSaver::writerOptions(manager);
        options.now = headerTime(bytes);
        return (conf ? manager.configuration()->namedConfText(options)
                     : m_zone->zoneFileText(headerTime(bytes)))
            .toUtf8();
    }
    // The new lines from `from` on, once there are `count` of them (and a little later).
    static QStringList linesFrom(const DNSServerManager& manager, qsizetype from, int count) {
        (void)QTest::qWaitFor([&] { return manager.logs().size() >= from + count; }, waitMs);
        QTest::qWait(100);
        return infoMessages(manager, from);
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

    // Written later, exactly as checked, into new folders or atomically over an old file.
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

    // Refused text is not written; the checker's output (naming the scratch copy) is logged.
    void rejectedTextKeepsPreviousFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("checkerSays");
        const auto row = [](const char* fault, const char* says) {
            QTest::newRow(fault) << QString::fromLatin1(fault) << QString::fromLatin1(says);
        };
        if (conf) {
            // Without a known version DNSSEC adds dnssec-enable, which BIND 9.16+ refuses.
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
        DNSRecord bad = rawRecord(u"www"_s, DNSRecordType::A, u"192.0.2.300"_s); // as it stands
        if (fault.startsWith(u"dnssec"_s)) {
            m->setBindVersion(QString());
            configuration.setEnableDNSSEC(true);
        } else if (fault == "port"_L1) {
            configuration.setListenPort(70000);
        } else if (fault == "logging level"_L1) {
            configuration.setLoggingLevel(u"bogus"_s);
        } else if (fault.startsWith(u"CNAME"_s)) {
            bad = record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s);
        } else if (fault.startsWith(u"MX"_s)) {
            bad = rawRecord({}, DNSRecordType::MX, u"mail.example.com."_s);
            bad.priority = 70000;
        }
        if (!conf)
            m_zone->setRecords(m_zone->records() + QList{bad});
        const qsizetype from = m->logs().size();
        save(*m);
        const QStringList lines = linesFrom(*m, from, 2);
        QCOMPARE(lines.size(), 2);
        const QString output = lines[0].mid(2 + errorPrefix.size());
        QCOMPARE(lines, QStringList({u"❌ "_s + errorPrefix + output,
                                     invalidPrefix + errorPrefix + output}));
        QVERIFY2(output.contains(checkerSays), qPrintable(output));
        QVERIFY2(QRegularExpression(scratchPattern()).match(output).hasMatch(), qPrintable(output));
        QCOMPARE(readFile(target()), previous);
        QCOMPARE(scratchFiles(), QStringList());
    }

    // Saves failing before, during or after the check: the lines, and nothing left behind.
    void failures_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("pattern"); // {E}, {I}: prefixes; {S}: scratch copy
        const auto row = [](const char* tag, const QString& setup, int count,
                            const QString& pattern) {
            QTest::newRow(tag) << setup << count << pattern;
        };
        const QString refusal =
            conf ? u"Invalid configuration file path"_s : u"Invalid zone file path: {P}"_s;
        row("system folder",
            conf ? u"path /usr/local/etc/named.conf"_s : u"path /var/named/db.example.com"_s, 1,
            refusal);
        row("climbs out",
            conf ? u"path etc/../outside/named.conf"_s : u"path var/named/../../outside/db.x"_s, 1,
            refusal);
        row("the folder itself", conf ? u"path etc"_s : u"path var/named"_s, 1, refusal);
        if (!conf)
            row("beside the zone folder", u"path var/db.example.com"_s, 1, refusal);
        row("checker not found", u"no checker"_s, 2, u"❌ ({E}.*{N}.*not found.*)\\n{I}\\1"_s);
        const QString unknown =
            conf ? u"Unknown configuration error"_s : u"Unknown zone file error"_s;
        row("silent refusal", u"checker #!/bin/sh\nexit 1\n"_s, 2,
            u"❌ "_s + unknown + u"\\n{I}"_s + unknown);
        row("past the time limit", u"checker #!/bin/sh\nexec sleep 10\n"_s, 3,
            u"⚠️ Command timed out: {C} {S}\\n❌ "_s + unknown + u"\\n{I}"_s + unknown);
        const QString noCopy = conf ? u"Failed to create temporary configuration file: "_s
                                    : u"Failed to create temporary zone file for 'example.com': "_s;
        row("scratch copy cannot be written", u"no scratch folder"_s, 2,
            u"❌ "_s + noCopy + u"No such file or directory\\n{I}"_s + noCopy +
                u"No such file or directory"_s);
        const QString writeFailure = conf ? u"Failed to save configuration: "_s
                                          : u"Failed to save zone file for 'example.com': "_s;
        row("a folder where the file goes", u"folder at file"_s, 2,
            QRegularExpression::escape(passedLine) + u"\\n"_s + writeFailure + u".+"_s);
        if (conf)
            row("a file where the folder goes", u"file at folder"_s, 2,
                QRegularExpression::escape(passedLine) + u"\\n"_s + writeFailure +
                    u"Cannot create the folder {F}"_s);
    }
    void failures() {
        QFETCH(QString, setup);
        QFETCH(int, count);
        QFETCH(QString, pattern);
        const QString folder = QFileInfo(target()).absolutePath();
        if (setup.startsWith(u"path "_s)) {
            const QString path =
                setup.mid(5).startsWith(u'/') ? setup.mid(5) : m_host->path(setup.mid(5));
            m_host->layout.namedConfigPath = path;
            m_zone = ZonePtr::create(u"example.com"_s, path);
            recordCommands();
        } else if (setup == "no checker"_L1) {
            m_host->layout.shellSearchPath = m_host->path(u"emptybin"_s);
            QDir().mkpath(m_host->layout.shellSearchPath);
        } else if (setup.startsWith(u"checker "_s)) {
            m_host->write(u"fakebin/"_s + checker.section(u' ', 0, 0), setup.mid(8).toUtf8(), true);
            m_host->layout.shellSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
            m_host->layout.commandTimeoutMs = 300;
            m_host->layout.commandKillGraceMs = 200;
        } else if (setup == "no scratch folder"_L1) {
            m_host->layout.temporaryDirectory = m_host->path(u"missing"_s);
            recordCommands();
        } else if (setup == "folder at file"_L1) {
            QVERIFY(QDir().mkpath(target()));
        } else {
            QVERIFY(!writeFile(m_host->root(), folder, "not a folder\n", false).isEmpty());
        }
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        const QString lines = linesFrom(*m, from, count).join(u'\n');
        pattern.replace(u"{E}"_s, QRegularExpression::escape(errorPrefix))
            .replace(u"{I}"_s, QRegularExpression::escape(invalidPrefix))
            .replace(u"{C}"_s, QRegularExpression::escape(checker))
            .replace(u"{N}"_s, checker.section(u' ', 0, 0))
            .replace(u"{S}"_s, scratchPattern())
            .replace(u"{P}"_s, QRegularExpression::escape(target()))
            .replace(u"{F}"_s, QRegularExpression::escape(folder));
        QVERIFY2(QRegularExpression(u"\\A"_s + pattern + u"\\z"_s,
                                    QRegularExpression::DotMatchesEverythingOption)
                     .match(lines)
                     .hasMatch(),
                 qPrintable(lines));
        QVERIFY(!QFileInfo(target()).isFile());
        QTRY_COMPARE_WITH_TIMEOUT(scratchFiles(), QStringList(), waitMs);
        if (setup.startsWith(u"path "_s) || setup == "no scratch folder"_L1)
            QCOMPARE(commandsRun(), QStringList());
        if (setup.startsWith(u"path "_s))
            QVERIFY(!QFileInfo::exists(m_host->layout.zoneDirectory + u"/data"_s));
        if (setup == "folder at file"_L1)
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
        if (setup == "file at folder"_L1)
            QCOMPARE(readFile(folder), "not a folder\n"_ba);
    }

    // Two quick saves: two scratch copies, two commands, and the newer text on
    // disk even when the older check finishes last (that save then writes nothing).
    void twoQuickSavesUseTwoCopies_data() {
        QTest::addColumn<bool>("olderFinishesLast");
        QTest::newRow("BIND's checker") << false;
        QTest::newRow("older check finishes last") << true;
    }
    void twoQuickSavesUseTwoCopies() {
        QFETCH(bool, olderFinishesLast);
        if (olderFinishesLast) {
            // Takes its time over a copy naming "slow"; the copy is the last argument.
            m_host->write(u"fakebin/"_s + checker.section(u' ', 0, 0),
                          "#!/bin/sh\nfor copy; do :; done\n"
                          "if grep -q slow \"$copy\"; then sleep 1; fi\nexit 0\n",
                          true);
            m_host->layout.shellSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
        }
        recordCommands();
        auto m = manager();
        DNSConfiguration& configuration = *m->configuration();
        const QMap<QString, QString> zones = configuration.zoneFiles();
        const QList<DNSRecord> records = m_zone->records();
        const qsizetype from = m->logs().size();
        configuration.setZoneFile(u"slow.example"_s, u"db.slow"_s);
        m_zone->addRecord(record(u"slow"_s, DNSRecordType::A, u"192.0.2.9"_s));
        save(*m);
        configuration.setZoneFiles(zones);
        configuration.setZoneFile(u"example.net"_s, u"db.example.net"_s);
        m_zone->setRecords(records + QList{record(u"ftp"_s, DNSRecordType::A, u"192.0.2.3"_s)});
        save(*m);
        QTRY_COMPARE_WITH_TIMEOUT(infoMessages(*m, from).count(passedLine), 2, waitMs);
        QTRY_COMPARE_WITH_TIMEOUT(scratchFiles(), QStringList(), waitMs);
        QTest::qWait(200);
        const QStringList lines = infoMessages(*m, from);
        const qsizetype written = conf ? lines.count(savedLines.last()) : 0;
        QVERIFY2(lines.size() == 2 + written &&
                     (!conf || (olderFinishesLast ? written == 1 : written >= 1)),
                 qPrintable(lines.join(u'\n')));
        const QStringList runs = commandsRun();
        QVERIFY2(runs.size() == 2 && runs[0] != runs[1], qPrintable(runs.join(u'\n')));
        for (const QString& run : runs)
            QVERIFY2(QRegularExpression(u"\\A"_s + QRegularExpression::escape(checker) + u' ' +
                                        scratchPattern() + u"\\z"_s)
                         .match(run)
                         .hasMatch(),
                     qPrintable(run));
        const QByteArray bytes = readFile(target());
        QVERIFY2(!bytes.contains("slow"), bytes.constData());
        QCOMPARE(bytes, textAtHeaderTime(*m, bytes));
    }

    // Manager gone: nothing logged; a zone file is still written, named.conf is not.
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
        QVERIFY(lines.isEmpty() && copies == 1 && scratchFiles().isEmpty());
        QCOMPARE(QFileInfo::exists(target()), accepted && !conf);
        if (accepted && !conf) {
            const QByteArray bytes = readFile(target());
            QCOMPARE(bytes, m_zone->zoneFileText(headerTime(bytes)).toUtf8());
            QVERIFY(QFileInfo(m_host->layout.zoneDirectory + u"/data"_s).isDir());
        }
    }

    // The check alone: one completion, on the main thread, after its line and cleanup.
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
        QStringList reports; // "success|message|main thread|scratch files|lines", at each call
        const qsizetype from = m->logs().size();
        const auto completion = [&, raw = m.get()](bool success,
                                                   const std::optional<QString>& message) {
            reports.append(
                QStringList{success ? u"ok"_s : u"failed"_s, message.value_or(u"-"_s),
                            QThread::currentThread() == qApp->thread() ? u"main"_s : u"other"_s,
                            scratchFiles().join(u','), infoMessages(*raw, from).join(u',')}
                    .join(u'|'));
        };
        if (conf)
            m->validateConfiguration(text, completion);
        else
            m->validateZoneFile(text, u"example.com"_s, completion);
        QVERIFY(reports.isEmpty() && scratchFiles().size() == 1);
        QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 1, waitMs);
        QTest::qWait(100);
        const QString message = accepted ? u"-"_s : reports.value(0).section(u'|', 1, 1);
        QVERIFY2(accepted || (message.startsWith(errorPrefix) && message.contains(u"perhaps"_s)),
                 qPrintable(message));
        const QString line = accepted ? passedLine : u"❌ "_s + message;
        QCOMPARE(reports,
                 QStringList{(accepted ? u"ok|"_s : u"failed|"_s) + message + u"|main||"_s + line});
        QCOMPARE(infoMessages(*m, from), QStringList{line});
        QVERIFY(!QFileInfo::exists(target()));
    }
};

QTEST_GUILESS_MAIN(CheckedSaveTest)
#include "tst_checkedsave.moc"
