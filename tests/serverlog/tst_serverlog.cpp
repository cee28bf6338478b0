// Reading the server's own log into the application log: which file is read,
// which lines are shown, and every way a read can fail.
#include <QTest>

#include "HostTestSupport.h"
#include "manager/CommandRunner.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString separator = u"--- BIND Server Logs ---"_s;
const QString loadingLine = u"🔄 Loading BIND server logs..."_s;
const QString noneFoundLine = u"📄 No BIND log files found at standard locations"_s;
const QString invalidPath = u"❌ Invalid log file path: "_s;
const QString readFailed = u"❌ Failed to read BIND log file: "_s;

QString loadedLine(qsizetype count) {
    return u"📄 Loaded %1 BIND log entries"_s.arg(count);
}

// 120 numbered lines, lines 75, 90 and 118 empty: 47 of the last 50 are shown.
QByteArray longLog() {
    QByteArray text;
    for (int i = 1; i <= 120; ++i)
        text +=
            (i == 75 || i == 90 || i == 118 ? ""_ba : "14:51 line " + QByteArray::number(i)) + '\n';
    return text;
}
QStringList longLogShown() {
    QStringList lines;
    for (int i = 71; i <= 120; ++i) {
        if (i != 75 && i != 90 && i != 118)
            lines.append(u"14:51 line %1"_s.arg(i));
    }
    return lines;
}

} // namespace

class ServerLogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The non-empty lines among the last 50 under the separator, then the count.
    void shownLines_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("120 lines, 3 empty among the last 50") << longLog() << longLogShown();
        QTest::newRow("blank lines are kept")
            << "a\n   \n\t\nb\n"_ba << QStringList{"a", "   ", "\t", "b"};
        QTest::newRow("no final line feed") << "a\nb"_ba << QStringList{"a", "b"};
        QTest::newRow("carriage returns") << "a\r\nb\r\n"_ba << QStringList{"a", "b"};
        QTest::newRow("text as it stands")
            << "client @0x7f 127.0.0.1#53 (x): query: x IN A +E(0)K \xc3\xa9\n"_ba
            << QStringList{u"client @0x7f 127.0.0.1#53 (x): query: x IN A +E(0)K é"_s};
        QTest::newRow("only empty lines") << "\n\n\n"_ba << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void shownLines() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        Host host;
        host.write(u"var/named/data/named.run"_s, content);
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        if (expected.isEmpty()) {
            QTest::qWait(500); // nothing comes after the loading line, not even the separator
            QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                     QStringList{infoLine(loadingLine)});
            return;
        }
        QTRY_COMPARE(logCount(*manager, loadedLine(expected.size()), LogLevel::success), 1);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 QStringList({infoLine(loadingLine), separator}) + expected +
                     QStringList({successLine(loadedLine(expected.size()))}));
    }

    // Only the first log file that exists is read; a folder does not count.
    void whichFile_data() {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("read"); // -1: none
        QTest::newRow("only the last") << QList<int>{2} << 2;
        QTest::newRow("all") << QList<int>{0, 1, 2} << 0;
        QTest::newRow("second and third") << QList<int>{1, 2} << 1;
        QTest::newRow("none") << QList<int>{} << -1;
    }
    void whichFile() {
        QFETCH(QList<int>, present);
        QFETCH(int, read);
        Host host;
        host.layout.bindLogPaths = {host.path(u"var/log/named.log"_s),
                                    host.path(u"var/local/named.log"_s),
                                    host.path(u"var/opt/named.log"_s)};
        for (int index : present)
            host.write(host.layout.bindLogPaths[index],
                       "from file " + QByteArray::number(index) + "\n");
        if (!present.contains(0))
            QDir().mkpath(host.layout.bindLogPaths[0]);
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        const QString last = read < 0 ? warningLine(noneFoundLine) : successLine(loadedLine(1));
        QTRY_COMPARE(withoutTimeStamps(manager->logs()).last(), last);
        QTest::qWait(200);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 read < 0 ? QStringList({infoLine(loadingLine), last})
                          : QStringList({infoLine(loadingLine), separator,
                                         u"from file %1"_s.arg(read), last}));
    }

    // Paths outside Korvi's folders (also through ".."), a failing read, a refused reader.
    void failures() {
        Host host;
        const QString outside = host.write(u"outside/named.log"_s, "secret\n");
        const QString sneaky = host.path(u"var/../outside/named.log"_s);
        const QString missing = host.path(u"var/log/missing.log"_s);
        host.layout.bindLogPaths = {outside};
        auto manager = host.manager();
        const qsizetype before = manager->logs().size();
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, invalidPath + outside, LogLevel::error), 1);
        manager->readBindLogFile(sneaky);
        QTRY_COMPARE(logCount(*manager, invalidPath + sneaky, LogLevel::error), 1);
        // A failing tail: the line names the file, not tail's complaint.
        manager->readBindLogFile(missing);
        QTRY_COMPARE(logCount(*manager, readFailed + missing, LogLevel::error), 1);
        QTest::qWait(200);
        QCOMPARE(withoutTimeStamps(manager->logs().mid(before)),
                 QStringList({infoLine(loadingLine), errorLine(invalidPath + outside),
                              errorLine(invalidPath + sneaky), errorLine(readFailed + missing)}));

        Host refusing;
        refusing.layout.allowedCommands.removeAll(u"tail"_s);
        const QString log = refusing.write(u"var/named/data/named.run"_s, "line\n");
        auto refused = refusing.manager();
        refused->loadBindLogs();
        QTRY_COMPARE(logCount(*refused, readFailed + log, LogLevel::error), 1);
        const QString blocked = u"Command blocked for security reasons: tail -n 50 "_s + log;
        QCOMPARE(logCount(*refused, blocked, LogLevel::info), 1);
        QVERIFY(logIndex(*refused, blocked) < logIndex(*refused, readFailed + log));
        QVERIFY(!refused->logs().contains(separator));
    }

    // Server lines are not trimmed to the log's limit; the count line trims one.
    void fullLog() {
        Host host;
        host.write(u"var/named/data/named.run"_s, longLog());
        auto manager = host.manager();
        for (int i = 0; i < DNSServerManager::maximumLogLines; ++i)
            manager->addLog(u"filler %1"_s.arg(i), LogLevel::debug);
        QTRY_COMPARE(logCount(*manager, u"filler 199"_s), 1);
        QCOMPARE(manager->logs().size(), DNSServerManager::maximumLogLines);
        manager->loadBindLogs();
        QTRY_COMPARE(logCount(*manager, loadedLine(47)), 1);
        QCOMPARE(manager->logs().size(), DNSServerManager::maximumLogLines + 48);
        QCOMPARE(manager->logs().mid(200, 47), longLogShown());
        QCOMPARE(parseLogLine(manager->logs().first()).message, u"filler 2"_s);
    }

    // The standard layout reads Korvi's own named.run first; the others lie outside.
    void standardLocations() {
        const SystemLayout standard = SystemLayout::standard();
        const CommandRunner runner(standard, nullptr);
        QCOMPARE(standard.bindLogPaths,
                 QStringList({standard.zoneDirectory + u"/data/named.run"_s, "/var/log/named.log",
                              "/usr/local/var/log/named.log", "/opt/local/var/log/named.log"}));
        QVERIFY(runner.isValidPath(standard.bindLogPaths.first()));
        QVERIFY(
            runner.isCommandAllowed(standard.logReadCommandPrefix + standard.bindLogPaths.first()));
        for (const QString& other : standard.bindLogPaths.mid(1))
            QVERIFY(!runner.isValidPath(other));
    }
};

QTEST_GUILESS_MAIN(ServerLogTest)
#include "tst_serverlog.moc"
