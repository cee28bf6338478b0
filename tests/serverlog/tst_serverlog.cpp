// Reading the server's own log into the application log: which file is read,
// which lines are shown, and every way a read can fail.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "HostTestSupport.h"
#include "manager/CommandRunner.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString separator = QStringLiteral("--- BIND Server Logs ---");
const QString loadingLine = QStringLiteral("🔄 Loading BIND server logs...");
const QString noneFoundLine = QStringLiteral("📄 No BIND log files found at standard locations");

QString loadedLine(qsizetype count) {
    return QStringLiteral("📄 Loaded ") + QString::number(count) +
           QStringLiteral(" BIND log entries");
}

// 120 numbered lines; lines 75, 90 and 118 are empty, so 47 of the last 50
// are shown.
QByteArray longLog() {
    QByteArray text;
    for (int i = 1; i <= 120; ++i) {
        if (i != 75 && i != 90 && i != 118)
            text += "05-Dec-2025 14:51:" + QByteArray::number(i) + " line " + QByteArray::number(i);
        text += '\n';
    }
    return text;
}

QStringList longLogShown() {
    QStringList lines;
    for (int i = 71; i <= 120; ++i) {
        if (i != 75 && i != 90 && i != 118)
            lines.append(QStringLiteral("05-Dec-2025 14:51:%1 line %1").arg(i));
    }
    return lines;
}

} // namespace

class ServerLogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    QString path(const QString& relative) const { return m_root + u'/' + relative; }

    // A manager whose start-up detections have reported (no BIND, so no
    // log read of its own).
    std::unique_ptr<DNSServerManager> settled(const SystemLayout& layout) const {
        auto manager = makeManager(m_root, layout);
        if (!waitForDetections(*manager))
            qWarning("detections did not report");
        QTest::qWait(50);
        return manager;
    }

    // The lines after the last separator, which carry no time stamp.
    static QStringList serverLines(const DNSServerManager& manager) {
        const QStringList& logs = manager.logs();
        const qsizetype start = logs.lastIndexOf(separator);
        if (start < 0)
            return {};
        QStringList lines;
        for (qsizetype i = start + 1; i < logs.size(); ++i) {
            if (parseLogLine(logs[i]).level)
                break;
            lines.append(logs[i]);
        }
        return lines;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
        QVERIFY(isPlainPath(m_root));
    }
    void cleanup() { m_dir.reset(); }

    // The non-empty lines among the last 50, in file order, after the
    // separator; then the count. A file with nothing to show adds nothing.
    void shownLines_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("120 lines, 3 empty among the last 50") << longLog() << longLogShown();
        QTest::newRow("fewer than 50")
            << QByteArray("one\ntwo\nthree\n") << QStringList{"one", "two", "three"};
        QTest::newRow("blank lines are kept")
            << QByteArray("a\n   \n\t\nb\n") << QStringList{"a", "   ", "\t", "b"};
        QTest::newRow("no final line feed") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("carriage returns") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("text as it stands")
            << QByteArray("client @0x7f 127.0.0.1#5353 (x): query: x IN A +E(0)K \xc3\xa9\n")
            << QStringList{QString::fromUtf8("client @0x7f 127.0.0.1#5353 (x): query: x IN A "
                                             "+E(0)K \xc3\xa9")};
        QTest::newRow("only empty lines") << QByteArray("\n\n\n") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void shownLines() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        writeFile(m_root, QStringLiteral("var/named/data/named.run"), content, false);
        auto manager = settled(isolatedLayout(m_root));
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        if (expected.isEmpty()) {
            // Nothing comes after the loading line, not even the separator.
            QTest::qWait(500);
            QCOMPARE(manager->logs().size(), before + 1);
            QCOMPARE(parseLogLine(manager->logs().last()).message, loadingLine);
            return;
        }
        QTRY_COMPARE(logCount(*manager, loadedLine(expected.size()), LogLevel::success), 1);
        QCOMPARE(serverLines(*manager), expected);
        // Loading line, separator, server lines, count line: in this order
        // and nothing else.
        const QStringList added = manager->logs().mid(before);
        QCOMPARE(added.size(), expected.size() + 3);
        QCOMPARE(parseLogLine(added[0]).message, loadingLine);
        QCOMPARE(*parseLogLine(added[0]).level, LogLevel::info);
        QCOMPARE(added[1], separator);
        QCOMPARE(added.mid(2, expected.size()), expected);
        QCOMPARE(parseLogLine(added.last()).message, loadedLine(expected.size()));
    }

    // The first file of the list that exists is read, and only that one.
    void firstExistingFile_data() {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("read");
        QTest::newRow("only the last") << QList<int>{2} << 2;
        QTest::newRow("all") << QList<int>{0, 1, 2} << 0;
        QTest::newRow("second and third") << QList<int>{1, 2} << 1;
    }
    void firstExistingFile() {
        QFETCH(QList<int>, present);
        QFETCH(int, read);
        SystemLayout layout = isolatedLayout(m_root);
        layout.bindLogPaths = {path(QStringLiteral("var/log/named.log")),
                               path(QStringLiteral("var/local/log/named.log")),
                               path(QStringLiteral("var/opt/log/named.log"))};
        // A directory where the first file would be does not count.
        QDir().mkpath(path(QStringLiteral("var/log/named.log.d")));
        for (int index : present)
            writeFile(m_root, layout.bindLogPaths[index].mid(m_root.size() + 1),
                      "from file " + QByteArray::number(index) + "\n", false);
        auto manager = settled(layout);
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, loadedLine(1)), 1);
        QCOMPARE(serverLines(*manager), QStringList{QStringLiteral("from file %1").arg(read)});
        QTest::qWait(200);
        QCOMPARE(manager->logs().count(separator), 1);
    }

    void noLogFile() {
        SystemLayout layout = isolatedLayout(m_root);
        // A directory at a log location is not a log file.
        QDir().mkpath(layout.bindLogPaths.first());
        auto manager = settled(layout);
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, noneFoundLine, LogLevel::warning), 1);
        QCOMPARE(logMessages(*manager).mid(before), (QStringList{loadingLine, noneFoundLine}));
    }

    // A file outside the directories Korvi may read is refused before
    // anything runs.
    void pathOutside() {
        SystemLayout layout = isolatedLayout(m_root);
        const QString outside =
            writeFile(m_root, QStringLiteral("outside/named.log"), "secret\n", false);
        layout.bindLogPaths = {outside};
        auto manager = settled(layout);
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ Invalid log file path: ") + outside,
                              LogLevel::error),
                     1);
        QTest::qWait(300);
        QCOMPARE(logMessages(*manager).mid(before),
                 (QStringList{loadingLine, QStringLiteral("❌ Invalid log file path: ") + outside}));
        QVERIFY(!manager->logs().contains(QStringLiteral("secret")));

        // A path that only looks inside, through "..", is outside too.
        const QString sneaky = path(QStringLiteral("var/../outside/named.log"));
        manager->readBindLogFile(sneaky);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ Invalid log file path: ") + sneaky), 1);
    }

    // tail fails (no such file): the failure line names the file, not tail's
    // complaint.
    void readFails() {
        auto manager = settled(isolatedLayout(m_root));
        const QString missing = path(QStringLiteral("var/log/missing.log"));
        manager->readBindLogFile(missing);
        const QString failed = QStringLiteral("❌ Failed to read BIND log file: ") + missing;
        QTRY_COMPARE(logCount(*manager, failed, LogLevel::error), 1);
        QTest::qWait(100);
        QVERIFY(!manager->logs().contains(separator));
        for (const QString& message : logMessages(*manager))
            QVERIFY2(!message.contains(QStringLiteral("No such file")), qPrintable(message));
    }

    // A layout whose allow-list lacks tail: the runner's refusal, then the
    // failure line.
    void readRefused() {
        SystemLayout layout = isolatedLayout(m_root);
        layout.allowedCommands.removeAll(QStringLiteral("tail"));
        const QString log =
            writeFile(m_root, QStringLiteral("var/named/data/named.run"), "line\n", false);
        auto manager = settled(layout);
        manager->loadBindLogs();
        const QString failed = QStringLiteral("❌ Failed to read BIND log file: ") + log;
        QTRY_COMPARE(logCount(*manager, failed, LogLevel::error), 1);
        const QString blocked =
            QStringLiteral("Command blocked for security reasons: tail -n 50 ") + log;
        QCOMPARE(logCount(*manager, blocked, LogLevel::info), 1);
        QVERIFY(logIndex(*manager, blocked) < logIndex(*manager, failed));
        QVERIFY(!manager->logs().contains(separator));
    }

    // Server lines are not trimmed to the log's limit; the count line that
    // follows removes one line from the front, like every logged line.
    void fullLog() {
        writeFile(m_root, QStringLiteral("var/named/data/named.run"), longLog(), false);
        auto manager = settled(isolatedLayout(m_root));
        for (int i = 0; i < DNSServerManager::maximumLogLines; ++i)
            manager->addLog(QStringLiteral("filler %1").arg(i), LogLevel::debug);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("filler 199")), 1);
        QCOMPARE(manager->logs().size(), DNSServerManager::maximumLogLines);
        // The loading line pushes out one line; the separator and 47 server
        // lines push out none; the count line pushes out one.
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, loadedLine(47)), 1);
        QCOMPARE(manager->logs().size(), DNSServerManager::maximumLogLines + 48);
        QCOMPARE(serverLines(*manager), longLogShown());
        QCOMPARE(parseLogLine(manager->logs().first()).message, QStringLiteral("filler 2"));
    }

    // In the standard layout, the log Korvi's named.conf configures is
    // searched first and can be read; the other locations lie outside the
    // directories Korvi may touch.
    void standardLocations() {
        const SystemLayout standard = SystemLayout::standard();
        const CommandRunner runner(standard, nullptr);
        QCOMPARE(standard.bindLogPaths.first(),
                 standard.zoneDirectory + QStringLiteral("/data/named.run"));
        QVERIFY(runner.isValidPath(standard.bindLogPaths.first()));
        QVERIFY(
            runner.isCommandAllowed(standard.logReadCommandPrefix + standard.bindLogPaths.first()));
        QCOMPARE(standard.bindLogPaths.mid(1),
                 (QStringList{QStringLiteral("/var/log/named.log"),
                              QStringLiteral("/usr/local/var/log/named.log"),
                              QStringLiteral("/opt/local/var/log/named.log")}));
        for (const QString& other : standard.bindLogPaths.mid(1))
            QVERIFY(!runner.isValidPath(other));
    }
};

QTEST_GUILESS_MAIN(ServerLogTest)
#include "tst_serverlog.moc"
