// The manager's published state, the application log, the start-up and
// termination console lines. Every manager here runs on a host layout and a
// preferences file inside a temporary directory.
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

#include <thread>

#include "StdoutCapture.h"
#include "manager/DNSServerManager.h"
#include "platform/NotificationCenter.h"

using namespace korvi;

namespace {

// One log line: time stamp, level word, message.
const QRegularExpression
    lineForm(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}) (.+?): (.*)$"),
             QRegularExpression::DotMatchesEverythingOption);

// True when every line of wanted appears in lines, in this order.
bool inOrder(const QStringList& lines, const QStringList& wanted) {
    qsizetype at = 0;
    for (const QString& line : lines) {
        if (at < wanted.size() && line == wanted[at])
            ++at;
    }
    return at == wanted.size();
}

ZonePtr zone(const QString& name, int records) {
    auto z = ZonePtr::create(name, QString());
    QList<DNSRecord> list;
    for (int i = 0; i < records; ++i)
        list.append(DNSRecord(QString(), DNSRecordType::A, QStringLiteral("10.0.0.1"), 60));
    z->setRecords(list);
    return z;
}

} // namespace

class TestManager : public QObject {
    Q_OBJECT

public:
    // A manager on a private layout; its start-up console lines go to *console.
    std::unique_ptr<DNSServerManager> makeManager(QStringList* console = nullptr) {
        const QString root = m_dir.path() + QStringLiteral("/host%1").arg(++m_count);
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = root + QStringLiteral("/etc/named.conf");
        layout.zoneDirectory = root + QStringLiteral("/var/named");
        layout.bindExecutablePath = root + QStringLiteral("/sbin/named");
        layout.allowedPathPrefixes = {root + QStringLiteral("/etc/"),
                                      root + QStringLiteral("/var/named/")};
        layout.temporaryDirectory = root + QStringLiteral("/tmp");
        for (const char* sub : {"/etc", "/var/named", "/tmp"})
            QDir().mkpath(root + QLatin1String(sub));
        auto prefs = std::make_shared<PreferencesStore>(root + QStringLiteral("/prefs.ini"));
        auto out = capture();
        auto manager = std::make_unique<DNSServerManager>(layout, prefs);
        const QStringList lines = out.finish();
        if (console)
            *console = lines;
        return manager;
    }
    StdoutCapture capture() {
        return StdoutCapture(m_dir.filePath(QStringLiteral("stdout%1.txt").arg(++m_count)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void standardLayout();
    void initialState();
    void statusAndLevels();
    void derivedValues();
    void namesList_data();
    void namesList();
    void logLine_data();
    void logLine();
    void logKeepsLast200();
    void logFromThreads();
    void clearLogs();
    void startUpConsole();
    void termination();
    void signalsOnAssignment();

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

void TestManager::standardLayout() {
    const SystemLayout s = SystemLayout::standard();
    QCOMPARE(s.namedConfigPath, QStringLiteral("/usr/local/etc/named.conf"));
    QCOMPARE(s.zoneDirectory, QStringLiteral("/usr/local/var/named"));
    QCOMPARE(s.bindExecutablePath, QStringLiteral("/usr/local/sbin/named"));
    // The eight first words, then "tail", which reads the server's own log.
    QCOMPARE(s.allowedCommands, QStringList({"brew", "port", "which", "pgrep", "ps", "launchctl",
                                             "named-checkconf", "named-checkzone", "tail"}));
}

void TestManager::initialState() {
    auto m = makeManager();
    QCOMPARE(m->serverStatus(), ServerStatus::unknown);
    QVERIFY(m->zones().isEmpty());
    QVERIFY(m->logs().isEmpty());
    QVERIFY(m->configuration());
    QCOMPARE(m->configuration()->listenPort(), 53);
    QCOMPARE(m->isBindInstalled(), false);
    QCOMPARE(m->bindVersion(), QString());
    QCOMPARE(m->isBindVersionSupported(), false);
    QCOMPARE(m->isHomebrewInstalled(), false);
    QCOMPARE(m->isMacPortsInstalled(), false);
    QCOMPARE(m->availablePackageManager(), QStringLiteral("None"));
    QVERIFY(m->namedConfigPath().startsWith(m_dir.path()));
    QVERIFY(m->zoneDirectory().startsWith(m_dir.path()));
    QCOMPARE(m->totalRecords(), 0);
    QCOMPARE(m->isRunning(), false);
}

void TestManager::statusAndLevels() {
    const QStringList raw = {"running", "stopped", "error", "unknown", "not_installed"};
    QCOMPARE(allServerStatuses().size(), raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const ServerStatus s = allServerStatuses()[i];
        QCOMPARE(rawValue(s), raw[i]);
        QCOMPARE(serverStatusFromRawValue(raw[i]), std::optional<ServerStatus>(s));
    }
    QCOMPARE(allServerStatuses().last(), ServerStatus::notInstalled);
    for (const char* text : {"notInstalled", "not installed", "Running", "", " running"})
        QVERIFY2(!serverStatusFromRawValue(QString::fromLatin1(text)), text);

    QStringList words;
    for (LogLevel level : allLogLevels())
        words.append(levelWord(level));
    QCOMPARE(words,
             QStringList({"🔍 DEBUG", "ℹ️ INFO", "⚠️ WARNING", "❌ ERROR", "✅ SUCCESS"}));
}

void TestManager::derivedValues() {
    auto m = makeManager();
    for (ServerStatus s : allServerStatuses()) {
        m->setServerStatus(s);
        QCOMPARE(m->isRunning(), s == ServerStatus::running);
    }
    m->setZones({zone("a.example", 2), zone("b.example", 0), zone("c.example", 3)});
    QCOMPARE(m->totalRecords(), 5);
    m->zones().first()->setRecords({});
    QCOMPARE(m->totalRecords(), 3);
    m->setZones({});
    QCOMPARE(m->totalRecords(), 0);
}

void TestManager::namesList_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << "[]";
    QTest::newRow("one") << QStringList({"example.com"}) << "[\"example.com\"]";
    QTest::newRow("list order") << QStringList({"b.org", "a.com", "bücher.de"})
                                << "[\"b.org\", \"a.com\", \"bücher.de\"]";
}

void TestManager::namesList() {
    QFETCH(QStringList, names);
    QFETCH(QString, expected);
    QList<ZonePtr> zones;
    for (const QString& name : names)
        zones.append(zone(name, 0));
    QCOMPARE(DNSServerManager::namesList(zones), expected);
}

void TestManager::logLine_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("word");
    const QStringList words = {"🔍 DEBUG", "ℹ️ INFO", "⚠️ WARNING", "❌ ERROR", "✅ SUCCESS"};
    for (int i = 0; i < words.size(); ++i)
        QTest::addRow("%d", i) << i << words[i];
}

void TestManager::logLine() {
    QFETCH(int, level);
    QFETCH(QString, word);
    auto m = makeManager();
    // Let the start-up's own queued lines land first.
    QCoreApplication::processEvents();
    const qsizetype base = m->logs().size();
    const QString message = QStringLiteral("50% of %1 done: 😀 ünïcode");
    qsizetype seenByEarlierWork = -1;
    QMetaObject::invokeMethod(
        m.get(), [&] { seenByEarlierWork = m->logs().size(); }, Qt::QueuedConnection);
    const QDateTime before = QDateTime::currentDateTime();
    auto out = capture();
    m->addLog(message, static_cast<LogLevel>(level));
    const QStringList console = out.finish();
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(m->logs().size(), base); // queued, not yet appended
    QCoreApplication::processEvents();
    QCOMPARE(seenByEarlierWork, base); // work scheduled earlier runs first
    const auto ours = m->logs().filter(message);
    QCOMPARE(ours.size(), 1);

    const QString line = ours.first();
    QCOMPARE(console, QStringList({line}));
    const auto match = lineForm.match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    QCOMPARE(match.captured(2), word);
    QCOMPARE(match.captured(3), message);
    const QDateTime stamp =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY(stamp.isValid());
    QVERIFY(stamp.toSecsSinceEpoch() >= before.toSecsSinceEpoch());
    QVERIFY(stamp.toSecsSinceEpoch() <= after.toSecsSinceEpoch());
}

void TestManager::logKeepsLast200() {
    auto m = makeManager();
    auto out = capture();
    for (int i = 1; i <= 200; ++i)
        m->addLog(QStringLiteral("line %1").arg(i), LogLevel::debug);
    QCoreApplication::processEvents();
    const QStringList full = m->logs();
    m->addLog(QStringLiteral("line 201"), LogLevel::debug);
    QCoreApplication::processEvents();
    const QStringList afterOne = m->logs();
    m->addLog(QStringLiteral("line 202"), LogLevel::debug);
    m->addLog(QStringLiteral("line 203"), LogLevel::debug);
    QCoreApplication::processEvents();
    const QStringList console = out.finish();

    QCOMPARE(full.size(), 200);
    QVERIFY(full.last().endsWith(QStringLiteral(": line 200")));
    for (const QString& line : full)
        QVERIFY(console.contains(line)); // every line also went to the console
    QCOMPARE(afterOne.size(), 200);
    QCOMPARE(afterOne.mid(0, 199), full.mid(1));
    QVERIFY(afterOne.last().endsWith(QStringLiteral(": line 201")));
    QCOMPARE(m->logs().size(), 200);
    QCOMPARE(m->logs().first(), full.at(3));
    QVERIFY(m->logs().last().endsWith(QStringLiteral(": line 203")));
}

void TestManager::logFromThreads() {
    auto m = makeManager();
    // The writers' lines ("thread2 17"), in the order they reached the log.
    static const QRegularExpression ours(QStringLiteral(": (thread|pool)\\d+ \\d+$"));
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
    auto out = capture();
    std::vector<std::thread> threads;
    QThreadPool pool;
    for (int k = 0; k < writers; ++k) {
        threads.emplace_back(write, QStringLiteral("thread%1").arg(k));
        pool.start([write, k] { write(QStringLiteral("pool%1").arg(k)); });
    }
    for (auto& t : threads)
        t.join();
    pool.waitForDone();
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 2 * writers * lines, 20000);
    const QStringList console = out.finish().filter(ours);

    QCOMPARE(m->logs().size(), DNSServerManager::maximumLogLines);
    QCOMPARE(console.size(), 2 * writers * lines); // whole lines, never interleaved
    for (const QString& line : console)
        QVERIFY2(lineForm.match(line).hasMatch(), qPrintable(line));
    QHash<QString, int> next;
    for (const QString& line : arrived) {
        const QStringList parts = lineForm.match(line).captured(3).split(u' ');
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts[1].toInt(), next[parts[0]]++); // each writer's order is kept
    }
    QCOMPARE(next.size(), 2 * writers);
    for (int count : std::as_const(next))
        QCOMPARE(count, lines);
}

void TestManager::clearLogs() {
    auto m = makeManager();
    auto out = capture();
    for (int i = 0; i < 3; ++i)
        m->addLog(QStringLiteral("before %1").arg(i), LogLevel::error);
    QCoreApplication::processEvents();
    QSignalSpy spy(m.get(), &DNSServerManager::logsChanged);
    m->clearLogs();
    const bool emptiedAtOnce = m->logs().isEmpty() && spy.count() == 1;
    QCoreApplication::processEvents();
    out.finish();
    QVERIFY(emptiedAtOnce);
    QCOMPARE(m->logs().size(), 1);
    const auto match = lineForm.match(m->logs().first());
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(2), QStringLiteral("ℹ️ INFO"));
    QCOMPARE(match.captured(3), QStringLiteral("Application logs cleared by user"));
}

void TestManager::startUpConsole() {
    QStringList lines;
    auto m = makeManager(&lines);
    QVERIFY2(
        inOrder(lines, {"🚀 DNSServerManager initializing...", "📱 Loading zones from app storage...",
                        "📱 App storage loading complete. Current zones: 0",
                        "✅ DNSServerManager initialization complete with 0 zones"}),
        qPrintable(lines.join(u'\n')));
    QCOMPARE(lines.first(), QStringLiteral("🚀 DNSServerManager initializing..."));
    QCOMPARE(lines.last(),
             QStringLiteral("✅ DNSServerManager initialization complete with 0 zones"));
}

void TestManager::termination() {
    NotificationCenter& center = NotificationCenter::instance();
    const QString terminating = QStringLiteral("🔄 App terminating, saving data...");
    const QString saved = QStringLiteral("💾 Configuration and zones saved on app termination");
    const int observers = center.observerCount(appWillTerminateNotification);
    auto a = makeManager();
    auto b = makeManager();
    QCOMPARE(center.observerCount(appWillTerminateNotification), observers + 2);
    a->setZones({zone("b.example", 1), zone("a.example", 0)});

    auto out = capture();
    center.post(appWillTerminateNotification);
    QCoreApplication::processEvents();
    QStringList lines = out.finish();
    QCOMPARE(lines.count(terminating), 2);
    QCOMPARE(lines.count(QStringLiteral("✅ ") + saved), 2);
    QVERIFY2(
        inOrder(lines, {terminating, "🔍 Zones to save: [\"b.example\", \"a.example\"] (total: 2)",
                        QStringLiteral("✅ ") + saved, terminating, "🔍 Zones to save: [] (total: 0)",
                        QStringLiteral("✅ ") + saved}),
        qPrintable(lines.join(u'\n')));
    for (DNSServerManager* m : {a.get(), b.get()}) {
        const QStringList logged = m->logs().filter(saved);
        QCOMPARE(logged.size(), 1);
        QCOMPARE(lineForm.match(logged.first()).captured(2), QStringLiteral("ℹ️ INFO"));
    }

    // A destroyed manager no longer hears the notice; its queued log work is dropped.
    auto again = capture();
    b->addLog(QStringLiteral("queued before destruction"), LogLevel::info);
    b.reset();
    const int left = center.observerCount(appWillTerminateNotification);
    center.post(appWillTerminateNotification);
    QCoreApplication::processEvents();
    lines = again.finish();
    QCOMPARE(left, observers + 1);
    QCOMPARE(lines.count(terminating), 1);
    QCOMPARE(a->logs().filter(saved).size(), 2);
}

void TestManager::signalsOnAssignment() {
    auto m = makeManager();
    using M = DNSServerManager;
    QSignalSpy status(m.get(), &M::serverStatusChanged), zones(m.get(), &M::zonesChanged),
        bind(m.get(), &M::isBindInstalledChanged), version(m.get(), &M::bindVersionChanged),
        supported(m.get(), &M::isBindVersionSupportedChanged),
        brew(m.get(), &M::isHomebrewInstalledChanged),
        ports(m.get(), &M::isMacPortsInstalledChanged),
        manager(m.get(), &M::availablePackageManagerChanged);
    const QList<ZonePtr> list = {zone("x.example", 0)};
    // Each setter is called twice with the same value: both calls are announced.
    for (int i = 0; i < 2; ++i) {
        m->setServerStatus(ServerStatus::notInstalled);
        m->setZones(list);
        m->setBindInstalled(true);
        m->setBindVersion(QStringLiteral("9.18.28"));
        m->setBindVersionSupported(true);
        m->setHomebrewInstalled(true);
        m->setMacPortsInstalled(true);
        m->setAvailablePackageManager(QStringLiteral("MacPorts"));
    }
    for (QSignalSpy* spy : {&status, &zones, &bind, &version, &supported, &brew, &ports, &manager})
        QCOMPARE(spy->count(), 2);
    QCOMPARE(status.last().first().value<ServerStatus>(), ServerStatus::notInstalled);
    QCOMPARE(version.last().first().toString(), QStringLiteral("9.18.28"));
    QCOMPARE(manager.last().first().toString(), QStringLiteral("MacPorts"));
    for (QSignalSpy* spy : {&bind, &supported, &brew, &ports})
        QCOMPARE(spy->last().first().toBool(), true);
    QVERIFY(m->serverStatus() == ServerStatus::notInstalled && m->zones() == list);
    QVERIFY(m->isBindInstalled() && m->isBindVersionSupported() && m->isHomebrewInstalled() &&
            m->isMacPortsInstalled());
    QCOMPARE(m->bindVersion(), QStringLiteral("9.18.28"));
    QCOMPARE(m->availablePackageManager(), QStringLiteral("MacPorts"));
}

QTEST_GUILESS_MAIN(TestManager)
#include "tst_manager.moc"
