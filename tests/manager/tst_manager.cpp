// The application log on its own, and the manager's start-up and termination console lines.
#include <QtTest>

#include <thread>

#include "HostTestSupport.h"
#include "manager/AppLog.h"
#include "platform/NotificationCenter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// One log line: time stamp, level word, message.
const QRegularExpression lineForm(u"^(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}) (.+?): (.*)$"_s,
                                  QRegularExpression::DotMatchesEverythingOption);

// The lines of `lines` that are in `wanted`, in order.
QStringList picked(const QStringList& lines, const QStringList& wanted) {
    QStringList out;
    for (const QString& line : lines) {
        if (wanted.contains(line))
            out.append(line);
    }
    return out;
}

} // namespace

class TestManager : public QObject {
    Q_OBJECT

    Host m_host;

private Q_SLOTS:
    // Start-up console lines, first and last; the level words.
    void startUp() {
        StdoutCapture capture(m_host.path(u"startup.txt"_s));
        const auto m = makeManager(m_host.root(), m_host.layout);
        const QStringList console = withoutTimeStamps(capture.finish());
        waitForDetections(*m);
        const QStringList startUp = {"🚀 DNSServerManager initializing...",
                                     "📱 Loading zones from app storage...",
                                     "🔄 Loading zones from the zone database...",
                                     "✅ DNSServerManager initialization complete with 0 zones"};
        QCOMPARE(picked(console, startUp), startUp);
        QVERIFY(console.first() == startUp.first() && console.last() == startUp.last());
        QStringList words;
        for (LogLevel level : allLogLevels())
            words.append(levelWord(level));
        QCOMPARE(words,
                 QStringList({"🔍 DEBUG", "ℹ️ INFO", "⚠️ WARNING", "❌ ERROR", "✅ SUCCESS"}));
    }

    // One line per level: queued behind earlier work, on the console at once.
    void logLine() {
        AppLog log;
        for (LogLevel level : allLogLevels()) {
            const qsizetype base = log.lines().size();
            const QString message = u"50% of %1 done: 😀 ünïcode"_s;
            qsizetype seenByEarlierWork = -1;
            QMetaObject::invokeMethod(
                &log, [&] { seenByEarlierWork = log.lines().size(); }, Qt::QueuedConnection);
            const qint64 before = QDateTime::currentSecsSinceEpoch();
            const QStringList console = m_host.lines([&] { log.add(message, level); });
            const qint64 after = QDateTime::currentSecsSinceEpoch();
            QCOMPARE(log.lines().size(), base); // queued, not yet appended
            QCoreApplication::processEvents();
            QCOMPARE(seenByEarlierWork, base);
            QCOMPARE(log.lines().size(), base + 1);
            const QString line = log.lines().last();
            QCOMPARE(withoutTimeStamps({line}), console);
            const auto match = lineForm.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            QCOMPARE(match.captured(2) + u": "_s + match.captured(3),
                     korvi::test::logLine(level, message));
            const qint64 stamp = QDateTime::fromString(match.captured(1), u"yyyy-MM-dd HH:mm:ss"_s)
                                     .toSecsSinceEpoch();
            QVERIFY(stamp >= before && stamp <= after);
        }
    }

    // Lines from other threads land whole, on the main thread, each writer's order kept, the
    // last 200 in the log and all on the console.
    void logFromThreads() {
        AppLog log;
        static const QRegularExpression ours(u": writer\\d+ \\d+$"_s);
        QStringList arrived;
        bool onMainThread = true;
        connect(&log, &AppLog::changed, this, [&] {
            onMainThread &= QThread::currentThread() == qApp->thread();
            if (ours.match(log.lines().last()).hasMatch())
                arrived.append(log.lines().last());
        });
        constexpr int writers = 4, lines = 200;
        AppLog* shared = &log;
        const QStringList console = m_host.lines([&] {
            std::vector<std::thread> threads;
            for (int k = 0; k < writers; ++k) {
                threads.emplace_back([shared, k] {
                    for (int i = 0; i < lines; ++i)
                        shared->add(u"writer%1 %2"_s.arg(k).arg(i), LogLevel::warning);
                });
            }
            for (auto& t : threads)
                t.join();
        });
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), writers * lines, 20000);
        QVERIFY(onMainThread);
        QCOMPARE(log.lines(), arrived.mid(arrived.size() - 200)); // the last 200 lines
        QCOMPARE(console.filter(QRegularExpression(u"^⚠️ WARNING: writer\\d+ \\d+$"_s)).size(),
                 writers * lines);
        QHash<QString, int> next;
        for (const QString& line : arrived) {
            const QStringList parts = lineForm.match(line).captured(3).split(u' ');
            QCOMPARE(parts[1].toInt(), next[parts[0]]++);
        }
        QCOMPARE(next.size(), writers);
    }

    // Every live manager saves on AppWillTerminate; a destroyed one no longer hears it.
    void termination() {
        NotificationCenter& center = NotificationCenter::instance();
        const QString terminating = u"🔄 App terminating, saving data..."_s;
        const QString saved = u"💾 Configuration saved on app termination"_s;
        const int observers = center.observerCount(appWillTerminateNotification);
        auto a = m_host.manager();
        auto b = m_host.manager();
        const ZonePtr first = ZonePtr::create(u"b.example"_s, QString());
        const ZonePtr second = ZonePtr::create(u"a.example"_s, QString());
        a->setZones({first, second});
        QStringList lines = m_host.lines([&] {
            center.post(appWillTerminateNotification);
            QCoreApplication::processEvents();
        });
        const QStringList expected = {terminating, u"✅ "_s + saved, terminating, u"✅ "_s + saved};
        QCOMPARE(picked(lines, expected), expected);
        // Each termination names its own named.conf save, the one the window waits for.
        const SaveId firstSave = a->terminationSaveId();
        QVERIFY(firstSave != 0);
        for (DNSServerManager* m : {a.get(), b.get()})
            QCOMPARE(withoutTimeStamps(m->logs()).filter(saved), QStringList{infoLine(saved)});
        lines = m_host.lines([&] {
            b->addLog(u"queued before destruction"_s, LogLevel::info);
            b.reset();
            center.post(appWillTerminateNotification);
            QCoreApplication::processEvents();
        });
        QCOMPARE(center.observerCount(appWillTerminateNotification), observers + 1);
        QCOMPARE(lines.count(terminating), 1);
        QVERIFY(a->terminationSaveId() > firstSave);
        QCOMPARE(a->logs().filter(saved).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestManager)
#include "tst_manager.moc"
