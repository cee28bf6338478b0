// Keeping zones at scale: 100 zones of 1,000 records, and one zone of
// 100,000, in the zone database (SQLite on its own thread) behind the real
// manager:
//
//  - RecordChange: the GUI thread's time for one record change through
//    DNSServerManager::updateRecord (validate, the candidate zone made, its
//    checked zone-file save started); the change reaches the zone and the
//    database once BIND's checker has accepted the file and it is written.
//    CommitLatency is the time from the call to the committed report,
//    check and write included.
//  - FirstFrame: a fresh process showing the main window (offscreen), from
//    main() to the first frame painted, then to the zone list in and to all
//    records in, with resident memory (VmRSS) at each point; wall_ms is the
//    parent's view of the whole run, process start and exit included.
//  - Render: zone-file text of the largest zone, in bytes per second.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/storage/bench_storage

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "model/Serial.h"
#include "model/ZoneFileWriter.h"
#include "ui/MainWindow.h"

using namespace korvi;

namespace {

QList<DNSRecord> makeRecords(int z, int count) {
    QList<DNSRecord> records;
    records.reserve(count);
    for (int r = 0; r < count; ++r) {
        if (r % 4 == 3) {
            RecordOptions o;
            o.priority = 10;
            records.append(DNSRecord(QStringLiteral("mx%1").arg(r), DNSRecordType::MX,
                                     QStringLiteral("host%1.zone%2.example.com.").arg(r - 3).arg(z),
                                     3600, o));
        } else if (r % 4 == 2) {
            records.append(DNSRecord(QStringLiteral("txt%1").arg(r), DNSRecordType::TXT,
                                     QStringLiteral("\"v=spf1 include:_spf.example.net ~all\""),
                                     3600));
        } else {
            records.append(DNSRecord(
                QStringLiteral("host%1").arg(r), DNSRecordType::A,
                QStringLiteral("10.%1.%2.%3").arg(z % 256).arg(r / 250 % 256).arg(r % 250 + 1),
                3600));
        }
    }
    return records;
}

QList<ZonePtr> makeZones(const QString& zoneDirectory, int zoneCount, int recordsPerZone) {
    QList<ZonePtr> zones;
    for (int z = 0; z < zoneCount; ++z) {
        const QString name = QStringLiteral("zone%1.example.com").arg(z);
        const ZonePtr zone = ZonePtr::create(name, zoneDirectory + QStringLiteral("/db.") + name);
        // BIND loads no zone without a name server at its apex.
        QList<DNSRecord> records = makeRecords(z, recordsPerZone - 1);
        records.prepend(
            DNSRecord(QString(), DNSRecordType::NS, QStringLiteral("ns1.example.net."), 3600));
        zone->setRecords(records);
        SOARecord soa;
        soa.primaryNameServer = QStringLiteral("ns1.") + name + u'.';
        soa.adminEmail = QStringLiteral("admin.") + name + u'.';
        soa.serial = 2025030501;
        zone->setSoaRecord(soa);
        zones.append(zone);
    }
    return zones;
}

// The manager writes console lines on every call; keep them out of the report.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    void write(const QByteArray& bytes) const {
        if (::write(m_saved, bytes.constData(), size_t(bytes.size())) < 0)
            std::perror("write");
    }

private:
    int m_saved;
};

double residentMB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

bool waitFor(const std::function<bool()>& done, qint64 limitMs = 600000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// A layout in a temporary folder. Zone files are saved there as the product
// saves them (named-checkzone on the system's search path, then the write);
// detection finds no BIND, so no server is started or asked.
SystemLayout benchLayout(const QString& root) {
    SystemLayout layout = SystemLayout::standard();
    layout.namedConfigPath = root + QStringLiteral("/named.conf");
    layout.zoneDirectory = root + QStringLiteral("/named");
    layout.temporaryDirectory = root;
    layout.dataDirectory = root + QStringLiteral("/data");
    layout.allowedPathPrefixes = {layout.zoneDirectory + u'/'};
    layout.commandSearchPath = QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin");
    layout.processSearchPath = layout.commandSearchPath;
    layout.bindSearchPath = root + QStringLiteral("/no-programs");
    layout.whichPath = root + QStringLiteral("/no-programs/which");
    layout.bindProbePaths.clear();
    layout.homebrewProbePaths.clear();
    layout.macPortsProbePaths.clear();
    layout.aptProbePaths.clear();
    return layout;
}

// No change still being checked or written, and every database write reported.
bool storageIdle(const DNSServerManager& manager) {
    return manager.isStorageLoaded() && !manager.hasPendingChanges() &&
           !manager.hasPendingStorageWrites();
}

bool allRecordsIn(const DNSServerManager& manager) {
    if (!manager.isStorageLoaded())
        return false;
    for (const ZonePtr& zone : manager.zones()) {
        if (!zone->recordsLoaded())
            return false;
    }
    return true;
}

// A manager whose database holds the zones: stored once through setZones,
// then a second manager started on the same folder, as after a restart.
struct Fixture {
    QTemporaryDir dir;
    SystemLayout layout = benchLayout(dir.path());
    std::unique_ptr<DNSServerManager> manager;
    double storeSeconds = 0;

    Fixture(int zoneCount, int recordsPerZone) {
        QuietStdout quiet;
        QDir().mkpath(layout.zoneDirectory);
        QElapsedTimer clock;
        clock.start();
        {
            DNSServerManager first(layout, preferences());
            waitFor([&] { return first.isStorageLoaded(); });
            first.setZones(makeZones(layout.zoneDirectory, zoneCount, recordsPerZone));
            if (!waitFor([&] { return storageIdle(first); })) {
                std::fprintf(stderr, "The zones were not stored\n");
                std::exit(1);
            }
        }
        storeSeconds = clock.elapsed() / 1000.0;
        manager = std::make_unique<DNSServerManager>(layout, preferences());
        waitFor([&] { return allRecordsIn(*manager); });
    }

    std::shared_ptr<PreferencesStore> preferences() const {
        return std::make_shared<PreferencesStore>(dir.filePath(QStringLiteral("preferences.ini")));
    }
};

// Made on first use and destroyed in main() while the application object
// still exists: a zone database stops its worker thread through the event
// loop, which must not outlive the application.
std::map<std::pair<int, int>, std::unique_ptr<Fixture>> fixtures;

Fixture& fixture(const benchmark::State& state) {
    auto& slot = fixtures[{int(state.range(0)), int(state.range(1))}];
    if (!slot)
        slot = std::make_unique<Fixture>(int(state.range(0)), int(state.range(1)));
    return *slot;
}

// One record of the last zone changed, as a screen would hand it over.
DNSRecord changedRecord(const ZonePtr& zone, qint64 round) {
    qsizetype index = zone->records().size() / 2;
    while (zone->records().at(index).type != DNSRecordType::A)
        ++index;
    DNSRecord record = zone->records().at(index);
    record.value = QStringLiteral("10.9.%1.%2").arg(round / 250 % 250).arg(round % 250 + 1);
    return record;
}

// The longest time the GUI thread's event loop went without running a 1 ms
// timer: what a user would feel as a freeze.
class StallMeter {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed());
            m_clock.restart();
        });
    }
    void start() {
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return double(m_longest) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

bool fileHolds(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8());
}

// The timed part is the call; the stall meter also covers what the change
// sets off afterwards on the GUI thread (the checked zone-file write, the
// database's reports), until the new value is on disk and committed.
void BM_RecordChange(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    qint64 round = 0;
    StallMeter stalls;
    for (auto _ : state) {
        const DNSRecord record = changedRecord(zone, ++round);
        state.PauseTiming();
        stalls.start();
        state.ResumeTiming();
        {
            QuietStdout quiet;
            f.manager->updateRecord(record, zone);
        }
        state.PauseTiming();
        QuietStdout quiet;
        const bool done = waitFor(
            [&] { return storageIdle(*f.manager) && fileHolds(zone->filePath(), record.value); },
            60000);
        stalls.stop();
        state.ResumeTiming();
        if (!done) {
            for (const QString& line : f.manager->logs().mid(f.manager->logs().size() - 8))
                std::fprintf(stderr, "%s\n", qPrintable(line));
            state.SkipWithError("the change did not reach the disk");
            break;
        }
    }
    state.counters["stall_ms"] = stalls.longestMs();
    state.counters["store_s"] = f.storeSeconds;
}

// From handing a change over to its committed report: the database's time.
void BM_CommitLatency(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    qint64 round = 0;
    for (auto _ : state) {
        {
            QuietStdout quiet;
            f.manager->updateRecord(changedRecord(zone, ++round), zone);
        }
        waitFor([&] { return storageIdle(*f.manager); });
    }
}

// Runs this program again as a fresh process that opens the main window on
// the fixture's folder and reports its times and memory.
void BM_FirstFrame(benchmark::State& state) {
    Fixture& f = fixture(state);
    std::map<QByteArray, double> last;
    double wall = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--start-probe"), f.dir.path()});
        probe.waitForFinished(600000);
        wall = double(clock.nsecsElapsed()) / 1e6;
        last.clear();
        for (const QByteArray& field : probe.readAllStandardOutput().trimmed().split(' ')) {
            const qsizetype eq = field.indexOf('=');
            if (eq > 0)
                last[field.left(eq)] = field.mid(eq + 1).toDouble();
        }
        if (!last.count("frame_ms")) {
            state.SkipWithError("the start probe failed");
            break;
        }
        state.SetIterationTime(last["frame_ms"] / 1000.0);
    }
    for (const auto& [name, value] : last)
        state.counters[name.toStdString()] = value;
    state.counters["wall_ms"] = wall;
}

void BM_Render(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().first();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const qsizetype bytes = zone->zoneFileText(now).toUtf8().size();
    for (auto _ : state) {
        const QString text =
            ZoneFileWriter::zoneText(zone->name(), zone->soaRecord(), zone->records(), now);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// The probe itself: the main window on the stored zones. Prints
// "frame_ms=.. frame_rss_MB=.. list_ms=.. list_rss_MB=.. zones=.. records_ms=.. records_rss_MB=..".
int startProbe(const QString& root, const QElapsedTimer& clock) {
    QuietStdout quiet;
    const SystemLayout layout = benchLayout(root);
    auto manager = std::make_unique<DNSServerManager>(
        layout, std::make_shared<PreferencesStore>(root + QStringLiteral("/preferences.ini")));
    auto window = std::make_unique<MainWindow>(manager.get());
    window->resize(1000, 720);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;
    QCoreApplication::processEvents();
    const double frame = double(clock.nsecsElapsed()) / 1e6;
    const double frameRss = residentMB();
    if (!waitFor([&] { return manager->isStorageLoaded(); }))
        return 1;
    QCoreApplication::processEvents();
    const double list = double(clock.nsecsElapsed()) / 1e6;
    const double listRss = residentMB();
    if (!waitFor([&] { return allRecordsIn(*manager); }))
        return 1;
    QCoreApplication::processEvents();
    const double records = double(clock.nsecsElapsed()) / 1e6;
    const QString line =
        QStringLiteral("frame_ms=%1 frame_rss_MB=%2 list_ms=%3 list_rss_MB=%4 zones=%5 "
                       "records_ms=%6 records_rss_MB=%7\n")
            .arg(frame, 0, 'f', 1)
            .arg(frameRss, 0, 'f', 1)
            .arg(list, 0, 'f', 1)
            .arg(listRss, 0, 'f', 1)
            .arg(manager->zones().size())
            .arg(records, 0, 'f', 1)
            .arg(residentMB(), 0, 'f', 1);
    const QByteArray bytes = line.toUtf8();
    // Past the quiet stdout: straight to the real one it saved.
    quiet.write(bytes);
    // Skip tearing down: the probe is done.
    std::_Exit(0);
}

} // namespace

#define LAYOUTS Args({100, 1000})->Args({1, 100000})->ArgNames({"zones", "records"})

BENCHMARK(BM_RecordChange)->LAYOUTS->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_CommitLatency)->LAYOUTS->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstFrame)->LAYOUTS->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Render)->LAYOUTS->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--start-probe")
        return startProbe(QString::fromLocal8Bit(argv[2]), clock);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtures.clear();
    return 0;
}
