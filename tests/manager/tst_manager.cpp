// The manager's published state, the application log, the start-up and
// termination console lines.
#include <QSignalSpy>
#include <QtTest>

#include <thread>

#include "HostTestSupport.h"
#include "platform/NotificationCenter.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// One log line: time stamp, level word, message.
const QRegularExpression lineForm(u"^(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}) (.+?): (.*)$"_s,
                                  QRegularExpression::DotMatchesEverythingOption);

ZonePtr zone(const QString& name, int records) {
    auto z = ZonePtr::create(name, QString());
    z->setRecords(QList<DNSRecord>(records, DNSRecord({}, DNSRecordType::A, u"10.0.0.1"_s, 60)));
    return z;
}

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
    // A new manager's console lines and state; the texts of statuses and levels.
    void initialState() {
        QStringList console;
        {
            StdoutCapture capture(m_host.path(u"startup.txt"_s));
            auto m = makeManager(m_host.root(), m_host.layout);
            console = withoutTimeStamps(capture.finish());
            QVERIFY(m->serverStatus() == ServerStatus::unknown && !m->isRunning());
            QVERIFY(m->zones().isEmpty() && m->logs().isEmpty() && m->totalRecords() == 0);
            QVERIFY(!m->isBindInstalled() && !m->isBindVersionSupported() &&
                    m->bindVersion().isEmpty());
            QVERIFY(!m->isHomebrewInstalled() && !m->isMacPortsInstalled());
            QCOMPARE(m->availablePackageManager(), u"None"_s);
            waitForDetections(*m);
        }
        const QStringList startUp = {"🚀 DNSServerManager initializing...",
                                     "📱 Loading zones from app storage...",
                                     "📱 App storage loading complete. Current zones: 0",
                                     "✅ DNSServerManager initialization complete with 0 zones"};
        QCOMPARE(picked(console, startUp), startUp);
        QVERIFY(console.first() == startUp.first() && console.last() == startUp.last());

        QStringList raw, words;
        for (ServerStatus status : allServerStatuses()) {
            raw.append(rawValue(status));
            QCOMPARE(serverStatusFromRawValue(raw.last()), std::optional(status));
        }
        QCOMPARE(raw, QStringList({"running", "stopped", "error", "unknown", "not_installed"}));
        for (const char* text : {"notInstalled", "not installed", "Running", "", " running"})
            QVERIFY2(!serverStatusFromRawValue(QString::fromLatin1(text)), text);
        for (LogLevel level : allLogLevels())
            words.append(levelWord(level));
        QCOMPARE(words,
                 QStringList({"🔍 DEBUG", "ℹ️ INFO", "⚠️ WARNING", "❌ ERROR", "✅ SUCCESS"}));
    }

    void derivedValues() {
        auto m = m_host.manager();
        for (ServerStatus s : allServerStatuses()) {
            m->setServerStatus(s);
            QCOMPARE(m->isRunning(), s == ServerStatus::running);
        }
        m->setZones({zone("a.example", 2), zone("b.example", 0), zone("c.example", 3)});
        QCOMPARE(m->totalRecords(), 5);
        m->zones().first()->setRecords({});
        QCOMPARE(m->totalRecords(), 3);
        QCOMPARE(DNSServerManager::namesList({}), u"[]"_s);
        QCOMPARE(DNSServerManager::namesList({zone("b.org", 0), zone("bücher.de", 0)}),
                 u"[\"b.org\", \"bücher.de\"]"_s);
    }

    // One line per level: queued behind earlier work, on the console at once.
    void logLine() {
        auto m = m_host.manager();
        for (LogLevel level : allLogLevels()) {
            const qsizetype base = m->logs().size();
            const QString message = u"50% of %1 done: 😀 ünïcode"_s;
            qsizetype seenByEarlierWork = -1;
            QMetaObject::invokeMethod(
                m.get(), [&] { seenByEarlierWork = m->logs().size(); }, Qt::QueuedConnection);
            const qint64 before = QDateTime::currentSecsSinceEpoch();
            const QStringList console = m_host.lines([&] { m->addLog(message, level); });
            const qint64 after = QDateTime::currentSecsSinceEpoch();
            QCOMPARE(m->logs().size(), base); // queued, not yet appended
            QCoreApplication::processEvents();
            QCOMPARE(seenByEarlierWork, base); // work scheduled earlier runs first
            QCOMPARE(m->logs().size(), base + 1);
            const QString line = m->logs().last();
            QCOMPARE(withoutTimeStamps({line}), console);
            const auto match = lineForm.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            QCOMPARE(match.captured(2), levelWord(level));
            QCOMPARE(match.captured(3), message);
            const qint64 stamp = QDateTime::fromString(match.captured(1), u"yyyy-MM-dd HH:mm:ss"_s)
                                     .toSecsSinceEpoch();
            QVERIFY(stamp >= before && stamp <= after);
        }
    }

    void logKeepsLast200() {
        auto m = m_host.manager();
        QStringList full, afterOne;
        const QStringList console = m_host.lines([&] {
            for (int i = 1; i <= 200; ++i)
                m->addLog(u"line %1"_s.arg(i), LogLevel::debug);
            QCoreApplication::processEvents();
            full = m->logs();
            m->addLog(u"line 201"_s, LogLevel::debug);
            QCoreApplication::processEvents();
            afterOne = m->logs();
            m->addLog(u"line 202"_s, LogLevel::debug);
            m->addLog(u"line 203"_s, LogLevel::debug);
            QCoreApplication::processEvents();
        });
        QCOMPARE(full.size(), 200);
        QVERIFY(full.last().endsWith(u": line 200"_s));
        QCOMPARE(console.mid(0, 200), withoutTimeStamps(full)); // every line also on the console
        QCOMPARE(afterOne.size(), 200);
        QCOMPARE(afterOne.mid(0, 199), full.mid(1));
        QVERIFY(afterOne.last().endsWith(u": line 201"_s));
        QCOMPARE(m->logs().size(), 200);
        QCOMPARE(m->logs().first(), full.at(3));
        QVERIFY(m->logs().last().endsWith(u": line 203"_s));
    }

    void logFromThreads() {
        auto m = m_host.manager();
        // The writers' lines ("thread2 17"), in the order they reached the log.
        static const QRegularExpression ours(u": (thread|pool)\\d+ \\d+$"_s);
        QStringList arrived;
        connect(m.get(), &DNSServerManager::logsChanged, this, [&] {
            if (ours.match(m->logs().last()).hasMatch())
                arrived.append(m->logs().last());
        });
        constexpr int writers = 4;
        constexpr int lines = 300;
        DNSServerManager* manager = m.get();
        const auto write = [manager](const QString& who) {
            for (int i = 0; i < lines; ++i)
                manager->addLog(who + u' ' + QString::number(i), LogLevel::warning);
        };
        const QStringList console = m_host.lines([&] {
            std::vector<std::thread> threads;
            QThreadPool pool;
            for (int k = 0; k < writers; ++k) {
                threads.emplace_back(write, u"thread%1"_s.arg(k));
                pool.start([write, k] { write(u"pool%1"_s.arg(k)); });
            }
            for (auto& t : threads)
                t.join();
            pool.waitForDone();
        });
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 2 * writers * lines, 20000);
        QCOMPARE(m->logs().size(), DNSServerManager::maximumLogLines);
        // Whole lines on the console, never interleaved.
        QCOMPARE(console.filter(QRegularExpression(u"^⚠️ WARNING: (thread|pool)\\d+ \\d+$"_s))
                     .size(),
                 2 * writers * lines);
        QHash<QString, int> next;
        for (const QString& line : arrived) {
            const QStringList parts = lineForm.match(line).captured(3).split(u' ');
            QCOMPARE(parts[1].toInt(), next[parts[0]]++); // each writer's order is kept
        }
        QCOMPARE(next.size(), 2 * writers);
        for (int count : std::as_const(next))
            QCOMPARE(count, lines);
    }

    void clearLogs() {
        auto m = m_host.manager();
        QSignalSpy spy(m.get(), &DNSServerManager::logsChanged);
        bool emptiedAtOnce = false;
        m_host.lines([&] {
            m->addLog(u"before"_s, LogLevel::error);
            QCoreApplication::processEvents();
            spy.clear();
            m->clearLogs();
            emptiedAtOnce = m->logs().isEmpty() && spy.count() == 1;
            QCoreApplication::processEvents();
        });
        QVERIFY(emptiedAtOnce);
        QCOMPARE(withoutTimeStamps(m->logs()),
                 QStringList{infoLine(u"Application logs cleared by user"_s)});
    }

    void termination() {
        NotificationCenter& center = NotificationCenter::instance();
        const QString terminating = u"🔄 App terminating, saving data..."_s;
        const QString saved = u"💾 Configuration and zones saved on app termination"_s;
        const int observers = center.observerCount(appWillTerminateNotification);
        auto a = m_host.manager();
        auto b = m_host.manager();
        QCOMPARE(center.observerCount(appWillTerminateNotification), observers + 2);
        a->setZones({zone("b.example", 1), zone("a.example", 0)});
        QStringList lines = m_host.lines([&] {
            center.post(appWillTerminateNotification);
            QCoreApplication::processEvents();
        });
        const QStringList expected = {
            terminating,
            u"🔍 Zones to save: [\"b.example\", \"a.example\"] (total: 2)"_s,
            u"✅ "_s + saved,
            terminating,
            u"🔍 Zones to save: [] (total: 0)"_s,
            u"✅ "_s + saved};
        QCOMPARE(picked(lines, expected), expected);
        for (DNSServerManager* m : {a.get(), b.get()})
            QCOMPARE(withoutTimeStamps(m->logs()).filter(saved), QStringList{infoLine(saved)});

        // A destroyed manager no longer hears the notice; its queued log work is dropped.
        lines = m_host.lines([&] {
            b->addLog(u"queued before destruction"_s, LogLevel::info);
            b.reset();
            center.post(appWillTerminateNotification);
            QCoreApplication::processEvents();
        });
        QCOMPARE(center.observerCount(appWillTerminateNotification), observers + 1);
        QCOMPARE(lines.count(terminating), 1);
        QCOMPARE(a->logs().filter(saved).size(), 2);
    }

    // Each setter announces its value, also when it is the value held.
    void signalsOnAssignment() {
        auto m = m_host.manager();
        using M = DNSServerManager;
        QSignalSpy status(m.get(), &M::serverStatusChanged), zones(m.get(), &M::zonesChanged),
            bind(m.get(), &M::isBindInstalledChanged), version(m.get(), &M::bindVersionChanged),
            supported(m.get(), &M::isBindVersionSupportedChanged),
            brew(m.get(), &M::isHomebrewInstalledChanged),
            ports(m.get(), &M::isMacPortsInstalledChanged),
            manager(m.get(), &M::availablePackageManagerChanged);
        const QList<ZonePtr> list = {zone("x.example", 0)};
        for (int i = 0; i < 2; ++i) {
            m->setServerStatus(ServerStatus::notInstalled);
            m->setZones(list);
            m->setBindInstalled(true);
            m->setBindVersion(u"9.18.28"_s);
            m->setBindVersionSupported(true);
            m->setHomebrewInstalled(true);
            m->setMacPortsInstalled(true);
            m->setAvailablePackageManager(u"MacPorts"_s);
        }
        QStringList last;
        for (QSignalSpy* spy :
             {&status, &zones, &bind, &version, &supported, &brew, &ports, &manager})
            last.append(QString::number(spy->count()) + u' ' + spy->last().value(0).toString());
        QCOMPARE(last, QStringList({"2 ", "2 ", "2 true", "2 9.18.28", "2 true", "2 true", "2 true",
                                    "2 MacPorts"}));
        QCOMPARE(status.last().first().value<ServerStatus>(), ServerStatus::notInstalled);
        QVERIFY(m->serverStatus() == ServerStatus::notInstalled && m->zones() == list);
        QVERIFY(m->isBindInstalled() && m->isBindVersionSupported() && m->isHomebrewInstalled() &&
                m->isMacPortsInstalled());
        QCOMPARE(m->bindVersion() + u' ' + m->availablePackageManager(), u"9.18.28 MacPorts"_s);
    }
};

QTEST_GUILESS_MAIN(TestManager)
#include "tst_manager.moc"
