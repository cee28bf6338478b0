// Saving zone files (tst_zonesave) and named.conf (tst_confsave, KORVI_CONF_SAVE) through
// BIND's real checkers: what lands on disk, what is refused, the lines, the scratch copies.
#include <QTest>
#include <QThread>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "manager/CheckedSaver.h"
#include "platform/ScratchFolder.h"

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
const QString checker = conf ? u"named-checkconf"_s : u"named-checkzone -k fail example.com"_s;
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
    // This process's scratch folder below the host's temporary directory.
    // Named, not made: a ScratchFolder object would remove the empty folder as it goes.
    QString scratchFolder() const {
        return ScratchFolder::userFolder(m_host->layout.temporaryDirectory) + u'/' +
               QString::number(QCoreApplication::applicationPid());
    }
    // A scratch copy's name as a pattern: the folder, the stem, then an upper-case UUID.
    QString scratchPattern() const {
        return QRegularExpression::escape(
                   scratchFolder() + (conf ? u"/named.conf.tmp."_s : u"/db.example.com.tmp."_s)) +
               u"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"_s;
    }
    // The scratch copies left; the pipe a zone's next checker waits on is not one.
    QStringList scratchFiles() const {
        QStringList names =
            QDir(scratchFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        names.removeIf([&](const QString& name) { return isPipe(scratchFolder() + u'/' + name); });
        return names;
    }
    static bool isPipe(const QString& path) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 &&
               S_ISFIFO(status.st_mode);
    }
    // A checker in front of the one on the search path that notes each command before running it.
    void recordCommands() {
        const QString name = checker.section(u' ', 0, 0);
        const QString faked = m_host->path(u"fakebin/"_s + name);
        const QString real = QFileInfo::exists(faked) ? faked : u"/usr/bin/"_s + name;
        m_host->write(u"recbin/"_s + name,
                      "#!/bin/sh\nprintf '%s\\n' \"" + name.toUtf8() + " $*\" >> '" +
                          m_host->path(u"runs"_s).toUtf8() + "'\nexec '" + real.toUtf8() +
                          "' \"$@\"\n",
                      true);
        m_host->layout.commandSearchPath = m_host->path(u"recbin:/usr/bin:/bin"_s);
    }
    // The checks run; a checker started ahead of time for the zone's next change, still
    // waiting on its pipe, has checked nothing.
    QStringList commandsRun() const {
        QStringList runs =
            QString::fromUtf8(readFile(m_host->path(u"runs"_s))).split(u'\n', Qt::SkipEmptyParts);
        runs.removeIf([](const QString& run) { return isPipe(run.section(u' ', -1)); });
        return runs;
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
        NamedConfWriter::Options options = manager.namedConfOptions();
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

    // Refused or failing saves: the exact lines, the old file byte-identical, no scratch copy left.
    void failures_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("pattern"); // {E}, {I}: prefixes; {S}: scratch copy
        const auto row = [](const char* tag, const QString& setup, int count,
                            const QString& pattern) {
            QTest::newRow(tag) << setup << count << pattern;
        };
        // The checker's output, naming the scratch copy, in both lines.
        const auto refused = [](const char* says) {
            return u"❌ ({E}(?=.*%1)(?=.*{S}).*)\\n{I}\\1"_s.arg(QLatin1String(says));
        };
        if (conf) {
            // Without a known version DNSSEC adds dnssec-enable, which BIND 9.16+ refuses.
            row("dnssec, version unknown", u"dnssec"_s, 2, refused("dnssec-enable"));
            row("port", u"port"_s, 2, refused("70000"));
        } else {
            row("CNAME beside other data", u"cname"_s, 2, refused("CNAME and other data"));
            row("address", u"address"_s, 2, refused("bad dotted quad"));
        }
        row("climbs out",
            conf ? u"path etc/../outside/named.conf"_s : u"path var/named/../../outside/db.x"_s, 1,
            conf ? u"Invalid configuration file path"_s : u"Invalid zone file path: {P}"_s);
        row("checker not found", u"no checker"_s, 2, u"❌ ({E}.*{N}.*not found.*)\\n{I}\\1"_s);
        const QString unknown =
            conf ? u"Unknown configuration error"_s : u"Unknown zone file error"_s;
        row("silent refusal", u"checker #!/bin/sh\nexit 1\n"_s, 2,
            u"❌ "_s + unknown + u"\\n{I}"_s + unknown);
        row("past the time limit", u"checker #!/bin/sh\nexec sleep 10\n"_s, 3,
            u"⚠️ Command timed out: {C} {S}\\n❌ "_s + unknown + u"\\n{I}"_s + unknown);
        const QString noCopy =
            (conf ? u"Failed to create temporary configuration file: "_s
                  : u"Failed to create temporary zone file for 'example.com': "_s) +
            u"No such file or directory"_s;
        row("scratch copy cannot be written", u"no scratch folder"_s, 2,
            u"❌ "_s + noCopy + u"\\n{I}"_s + noCopy);
        row("a folder where the file goes", u"folder at file"_s, 2,
            QRegularExpression::escape(passedLine) + u"\\n"_s +
                (conf ? u"Failed to save configuration: .+"_s
                      : u"Failed to save zone file for 'example.com': .+"_s));
    }
    void failures() {
        QFETCH(QString, setup);
        QFETCH(int, count);
        QFETCH(QString, pattern);
        DNSRecord bad = rawRecord(u"www"_s, DNSRecordType::A, u"192.0.2.300"_s); // as it stands
        if (setup.startsWith(u"path "_s)) {
            m_host->layout.namedConfigPath = m_host->path(setup.mid(5));
            m_zone = ZonePtr::create(u"example.com"_s, m_host->layout.namedConfigPath);
            recordCommands();
        } else if (setup == "no checker"_L1) {
            m_host->layout.commandSearchPath = m_host->path(u"emptybin"_s);
            QDir().mkpath(m_host->layout.commandSearchPath);
        } else if (setup.startsWith(u"checker "_s)) {
            m_host->write(u"fakebin/"_s + checker.section(u' ', 0, 0), setup.mid(8).toUtf8(), true);
            m_host->layout.commandSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
            m_host->layout.commandTimeoutMs = 300;
            m_host->layout.commandKillGraceMs = 200;
        } else if (setup == "no scratch folder"_L1) {
            m_host->layout.temporaryDirectory = m_host->path(u"missing"_s);
            recordCommands();
        } else if (setup == "cname"_L1) {
            bad = record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s);
        }
        const bool folderAtFile = setup == "folder at file"_L1;
        const QString file = QDir::cleanPath(target());
        const QByteArray old = "; the previous file\n";
        QVERIFY(folderAtFile ? QDir().mkpath(file)
                             : !writeFile(m_host->root(), file, old).isEmpty());
        auto m = manager();
        if (setup == "dnssec"_L1) {
            m->setBindVersion(QString());
            m->configuration()->setEnableDNSSEC(true);
        }
        if (setup == "port"_L1)
            m->configuration()->setListenPort(70000);
        if (!conf && (setup == "cname"_L1 || setup == "address"_L1))
            m_zone->setRecords(m_zone->records() + QList{bad});
        const qsizetype from = m->logs().size();
        save(*m);
        const QString lines = linesFrom(*m, from, count).join(u'\n');
        pattern.replace(u"{E}"_s, QRegularExpression::escape(errorPrefix))
            .replace(u"{I}"_s, QRegularExpression::escape(invalidPrefix))
            .replace(u"{C}"_s, QRegularExpression::escape(checker))
            .replace(u"{N}"_s, checker.section(u' ', 0, 0))
            .replace(u"{S}"_s, scratchPattern())
            .replace(u"{P}"_s, QRegularExpression::escape(target()));
        QVERIFY2(QRegularExpression(u"\\A"_s + pattern + u"\\z"_s,
                                    QRegularExpression::DotMatchesEverythingOption)
                     .match(lines)
                     .hasMatch(),
                 qPrintable(lines));
        QCOMPARE(readFile(file), folderAtFile ? QByteArray() : old);
        QTRY_COMPARE_WITH_TIMEOUT(scratchFiles(), QStringList(), waitMs);
        if (setup.startsWith(u"path "_s) || setup == "no scratch folder"_L1)
            QCOMPARE(commandsRun(), QStringList());
    }

    // No shell stands between the data and the checker. A scratch folder whose path holds a
    // space, a quote or a dollar is checked as it is, and the file lands; a zone name holding a
    // line feed reaches the checker whole, which refuses the zone's bad record: with a shell,
    // "\ntrue #" would have run a second command whose exit status hid the verdict, and the
    // unchecked file would have been written.
    void dataReachesTheCheckerWhole_data() {
        QTest::addColumn<QString>("folder"); // the temporary directory, below the host
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<bool>("written");
        QTest::newRow("space in the scratch path") << u"tmp/a b"_s << QString() << true;
        QTest::newRow("quote in the scratch path") << u"tmp/it's"_s << QString() << true;
        QTest::newRow("dollar in the scratch path") << u"tmp/$HOME"_s << QString() << true;
        if (!conf)
            QTest::newRow("line feed in the zone name")
                << QString() << u"example.com\ntrue #"_s << false;
    }
    void dataReachesTheCheckerWhole() {
        QFETCH(QString, folder);
        QFETCH(QString, zoneName);
        QFETCH(bool, written);
        if (!folder.isEmpty()) {
            m_host->layout.temporaryDirectory = m_host->path(folder);
            QVERIFY(QDir().mkpath(m_host->layout.temporaryDirectory));
        }
        if (!zoneName.isEmpty()) {
            m_zone->setName(zoneName);
            m_zone->addRecord(record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s));
        }
        auto m = manager();
        const qsizetype from = m->logs().size();
        save(*m);
        (void)linesFrom(*m, from, written ? savedLines.size() : 2);
        QTRY_COMPARE_WITH_TIMEOUT(scratchFiles(), QStringList(), waitMs);
        QCOMPARE(QFileInfo::exists(target()), written);
        if (written) {
            QCOMPARE(infoMessages(*m, from), savedLines);
            const QByteArray bytes = readFile(target());
            QCOMPARE(bytes, textAtHeaderTime(*m, bytes));
        } else {
            QVERIFY2(logCount(*m, u"Invalid zone file for '"_s + zoneName + u"': "_s) == 0 &&
                         infoMessages(*m, from).filter(u"Invalid zone file for '"_s).size() == 1,
                     qPrintable(infoMessages(*m, from).join(u'\n')));
        }
    }

    // The check alone, through the manager: with a line feed in the zone name, the checker
    // still judges the text (and refuses this one).
    void checkOnlyJudgesTheText() {
        if (conf)
            QSKIP("zone files only");
        auto m = manager();
        std::optional<bool> verdict;
        m->validateZoneFile(
            u"not a zone file\n"_s, u"example.com\ntrue #"_s,
            [&verdict](bool success, const std::optional<QString>&) { verdict = success; });
        QTRY_VERIFY_WITH_TIMEOUT(verdict.has_value(), waitMs);
        QCOMPARE(*verdict, false);
    }

    // Every save ends exactly once, with its own id and after the call has returned, also one
    // refused at once (path) or overtaken by a later save of the same file.
    void everySaveEndsOnceWithItsId() {
        const QString name = checker.section(u' ', 0, 0);
        // The first copy's check takes its time, so that the second save writes first.
        m_host->write(u"fakebin/"_s + name,
                      "#!/bin/sh\nfor copy; do :; done\n"
                      "while IFS= read -r line || [ -n \"$line\" ]; do case $line in *slow*) exec "
                      "sleep 1;; esac; done "
                      "<\"$copy\"\n"
                      "exit 0\n",
                      true);
        m_host->layout.commandSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
        CommandRunner runner(m_host->layout, nullptr);
        CheckedSaver saver(m_host->layout, runner, nullptr);
        QList<std::tuple<SaveId, QString, bool, QString>> ends;
        connect(&saver, &CheckedSaver::finished, this,
                [&ends](SaveId id, const QString& path, bool written, const QString& reason) {
                    ends.append({id, path, written, reason});
                });
        const auto start = [&](const QString& text) {
            return conf ? saver.saveConfiguration(text)
                        : (m_zone->setRecords({record(text, DNSRecordType::A, u"192.0.2.1"_s)}),
                           saver.saveZoneFile(m_zone));
        };
        const SaveId older = start(u"slow"_s);
        const SaveId newer = start(u"fast"_s);
        const QString target = this->target();
        m_host->layout.namedConfigPath = m_host->path(u"outside/named.conf"_s);
        const QString outside = m_host->layout.namedConfigPath;
        CheckedSaver refusing(m_host->layout, runner, nullptr);
        connect(&refusing, &CheckedSaver::finished, this,
                [&ends](SaveId id, const QString& path, bool written, const QString& reason) {
                    ends.append({id, path, written, reason});
                });
        const auto refusedZone = ZonePtr::create(u"example.com"_s, outside);
        const SaveId refused =
            conf ? refusing.saveConfiguration(u"x"_s) : refusing.saveZoneFile(refusedZone);
        QVERIFY(ends.isEmpty());
        QVERIFY(older != newer);
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 3, waitMs);
        QTest::qWait(200);
        QCOMPARE(ends.size(), 3);
        const QString refusal =
            conf ? u"Invalid configuration file path"_s : u"Invalid zone file path: "_s + outside;
        QCOMPARE(ends[0], std::make_tuple(refused, outside, false, refusal));
        QCOMPARE(ends[1], std::make_tuple(newer, target, true, QString()));
        QCOMPARE(std::get<0>(ends[2]), older);
        QCOMPARE(std::get<2>(ends[2]), false);
        QVERIFY(readFile(target).contains("fast"));
    }

    // At start, scratch folders of Korvi processes that no longer run go; those of running
    // processes and anything that is not a process's folder stay.
    void staleScratchFoldersRemoved() {
        const QString user = ScratchFolder::userFolder(m_host->layout.temporaryDirectory);
        QProcess finished;
        finished.start(u"/bin/true"_s, QStringList());
        QVERIFY(finished.waitForStarted());
        const qint64 pid = finished.processId();
        QVERIFY(finished.waitForFinished());
        const QString dead = QString::number(pid);
        QVERIFY(!ScratchFolder::processRuns(pid));
        const QString alive = QString::number(QCoreApplication::applicationPid());
        for (const QString& folder : {dead, alive, u"notes"_s})
            QVERIFY(!m_host
                         ->write(user.mid(m_host->root().size() + 1) + u'/' + folder +
                                     u"/db.left.tmp.1"_s,
                                 "left\n")
                         .isEmpty());
        auto m = manager();
        QVERIFY(!QFileInfo::exists(user + u'/' + dead));
        QVERIFY(QFileInfo::exists(user + u'/' + alive + u"/db.left.tmp.1"_s));
        QVERIFY(QFileInfo::exists(user + u"/notes/db.left.tmp.1"_s));
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
                          "while IFS= read -r line || [ -n \"$line\" ]; do case $line in *slow*) "
                          "exec sleep 1;; esac; "
                          "done <\"$copy\"\n"
                          "exit 0\n",
                          true);
            m_host->layout.commandSearchPath = m_host->path(u"fakebin:/usr/bin:/bin"_s);
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

    // The manager goes while its check runs: nothing is logged and nothing crashes;
    // an accepted zone file is still written, named.conf (the manager's) is not.
    void managerGoneBeforeCompletion_data() {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void managerGoneBeforeCompletion() {
        QFETCH(bool, accepted);
        auto m = manager();
        if (!accepted) {
            m_zone->addRecord(record(u"www"_s, DNSRecordType::CNAME, u"example.net."_s));
            m->configuration()->setListenPort(70000);
        }
        const bool written = accepted && !conf;
        qsizetype copies = 0;
        const QStringList lines = m_host->lines([&] {
            save(*m);
            // The text is made and copied on a worker thread; the manager goes
            // once the copy is there, while its check runs.
            (void)QTest::qWaitFor(
                [&] {
                    copies = scratchFiles().size();
                    return copies > 0;
                },
                waitMs);
            m.reset();
            (void)QTest::qWaitFor([&] { return scratchFiles().isEmpty(); }, waitMs);
            if (written)
                (void)QTest::qWaitFor([&] { return QFileInfo::exists(target()); }, waitMs);
            QTest::qWait(200);
        });
        QVERIFY2(lines.isEmpty(), qPrintable(lines.join(u'\n')));
        QCOMPARE(copies, 1);
        QCOMPARE(scratchFiles(), QStringList());
        QCOMPARE(QFileInfo::exists(target()), written);
        if (written) {
            const QByteArray bytes = readFile(target());
            QCOMPARE(bytes, m_zone->zoneFileText(headerTime(bytes)).toUtf8());
        }
    }
};

QTEST_GUILESS_MAIN(CheckedSaveTest)
#include "tst_checkedsave.moc"
