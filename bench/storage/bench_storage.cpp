// Keeping zones at scale: 100 zones of 1,000 records, and one zone of
// 100,000. Each figure is measured for the zone database (SQLite on its own
// thread) and, beside it, for the old store (one JSON document in the
// preferences, rewritten after every change):
//
//  - RecordChange: what the GUI thread does for one record change. Old: the
//    manager's updateRecord (validate, change, SOA, zone file, save every
//    zone to the preferences). New: the same without the preferences save,
//    plus handing the change to the zone database. The commit itself runs on
//    the worker; its latency is CommitLatency.
//  - Start: a fresh process from nothing to the zone list in memory (old:
//    the whole document decoded; new: open, quick_check, zone summaries),
//    the stand-in for start to first frame, with its resident memory
//    (VmRSS) then.
//  - Render: zone-file text of the largest zone, in bytes per second.
//
// Run: build/bench/storage/bench_storage

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"
#include "model/ZoneFileWriter.h"
#include "storage/ZoneDatabase.h"

using namespace korvi;

namespace {

QList<DNSRecord> makeRecords(int z, int count) {
    QList<DNSRecord> records;
    records.reserve(count);
    for (int r = 0; r < count; ++r) {
        if (r % 4 == 3) {
            RecordOptions o;
            o.priority = 10;
            records.append(DNSRecord(QString(), DNSRecordType::MX,
                                     QStringLiteral("mail%1.example.com.").arg(r), 3600, o));
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

QList<ZonePtr> makeZones(int zoneCount, int recordsPerZone) {
    QList<ZonePtr> zones;
    for (int z = 0; z < zoneCount; ++z) {
        const QString name = QStringLiteral("zone%1.example.com").arg(z);
        const ZonePtr zone =
            ZonePtr::create(name, QStringLiteral("/usr/local/var/named/db.") + name);
        zone->setRecords(makeRecords(z, recordsPerZone));
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

bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 600000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Both stores holding the same zones: the preferences written by the old
// save, the zone database filled by importing them.
struct Fixture {
    QTemporaryDir dir;
    std::shared_ptr<PreferencesStore> preferences;
    std::unique_ptr<DNSServerManager> manager;
    std::unique_ptr<ZoneDatabase> database;
    QList<QUuid> zoneIds;
    double importSeconds = 0;

    Fixture(int zoneCount, int recordsPerZone) {
        QuietStdout quiet;
        preferences = std::make_shared<PreferencesStore>(preferencesFile());
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = dir.filePath(QStringLiteral("named.conf"));
        layout.zoneDirectory = dir.filePath(QStringLiteral("named"));
        layout.temporaryDirectory = dir.path();
        // No named-checkzone is found, so no checker runs beside the
        // measurements (both stores save zone files the same way).
        layout.commandSearchPath = dir.filePath(QStringLiteral("no-programs"));
        layout.processSearchPath = layout.commandSearchPath;
        manager = std::make_unique<DNSServerManager>(layout, preferences);
        manager->setZones(makeZones(zoneCount, recordsPerZone));
        manager->saveZonesToStorage();
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        database = std::make_unique<ZoneDatabase>(settings());
        QSignalSpy opened(database.get(), &ZoneDatabase::opened);
        QSignalSpy zonesLoaded(database.get(), &ZoneDatabase::zonesLoaded);
        QSignalSpy failed(database.get(), &ZoneDatabase::openFailed);
        database->open();
        database->loadZones();
        waitFor([&] { return !zonesLoaded.isEmpty() || !failed.isEmpty(); });
        if (!failed.isEmpty()) {
            std::fprintf(stderr, "The zone database did not open: %s\n",
                         qPrintable(failed.first().first().toString()));
            std::exit(1);
        }
        importSeconds = clock.elapsed() / 1000.0;
        for (const StoredZone& zone : zonesLoaded.first().at(1).value<QList<StoredZone>>())
            zoneIds.append(zone.id);
    }

    QString preferencesFile() const { return dir.filePath(QStringLiteral("preferences.ini")); }
    ZoneDatabaseSettings settings() const {
        return {dir.filePath(QStringLiteral("data")), true, preferencesFile()};
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
    DNSRecord record = zone->records().at(zone->records().size() / 2);
    record.value = QStringLiteral("10.9.%1.%2").arg(round / 250 % 250).arg(round % 250 + 1);
    return record;
}

void BM_RecordChange_Old(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    qint64 round = 0;
    for (auto _ : state) {
        const DNSRecord record = changedRecord(zone, ++round);
        {
            QuietStdout quiet;
            f.manager->updateRecord(record, zone);
        }
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_RecordChange_New(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    const QUuid zoneId = f.zoneIds.last();
    QSignalSpy written(f.database.get(), &ZoneDatabase::written);
    QSignalSpy failed(f.database.get(), &ZoneDatabase::writeFailed);
    qint64 round = 0;
    for (auto _ : state) {
        const DNSRecord record = changedRecord(zone, ++round);
        {
            QuietStdout quiet;
            // What the manager's record change keeps on the GUI thread, with
            // the change handed to the zone database instead of the save.
            // The zone file is rendered here as its save renders it; starting
            // named-checkzone on it is the zone-file saver's and not timed.
            if (!validateRecord(record).isValid)
                state.SkipWithError("invalid record");
            zone->updateRecord(record);
            f.manager->updateSOASerial(zone);
            const QString text = zone->zoneFileText();
            benchmark::DoNotOptimize(text.constData());
            f.database->updateRecord(zoneId, record, zone->soaRecord());
        }
        state.PauseTiming();
        waitFor([&] { return written.size() + failed.size() >= round; });
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (!failed.isEmpty())
        state.SkipWithError("a change was not stored");
}

// The zone database's own share of a record change on the GUI thread.
void BM_RecordChange_StoreCall(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    QSignalSpy written(f.database.get(), &ZoneDatabase::written);
    qint64 round = 0;
    for (auto _ : state) {
        const DNSRecord record = changedRecord(zone, ++round);
        f.database->updateRecord(f.zoneIds.last(), record, zone->soaRecord());
        state.PauseTiming();
        waitFor([&] { return written.size() >= round; });
        state.ResumeTiming();
    }
}

// From handing a change over to its committed report: the worker's time.
void BM_CommitLatency(benchmark::State& state) {
    Fixture& f = fixture(state);
    const ZonePtr zone = f.manager->zones().last();
    QSignalSpy written(f.database.get(), &ZoneDatabase::written);
    qint64 round = 0;
    for (auto _ : state) {
        DNSRecord record = changedRecord(zone, ++round);
        SOARecord soa = *zone->soaRecord();
        soa.serial = nextSerial(soa.serial);
        f.database->updateRecord(f.zoneIds.last(), record, soa);
        waitFor([&] { return written.size() >= round; });
    }
}

// Runs this program again as a fresh process that loads the zone list and
// reports its time and memory ("ms=... rss=...").
void runStart(benchmark::State& state, const QString& store) {
    Fixture& f = fixture(state);
    const QString where =
        store == QLatin1String("new") ? f.settings().directory : f.preferencesFile();
    double rss = 0;
    double zones = 0;
    for (auto _ : state) {
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--start-probe"), store, where});
        probe.waitForFinished(600000);
        const QList<QByteArray> fields = probe.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3) {
            state.SkipWithError("the start probe failed");
            break;
        }
        state.SetIterationTime(fields[0].mid(3).toDouble() / 1000.0);
        rss = fields[1].mid(4).toDouble();
        zones = fields[2].mid(6).toDouble();
    }
    state.counters["rss_MB"] = rss;
    state.counters["zones"] = zones;
}

void BM_Start_Old(benchmark::State& state) {
    runStart(state, QStringLiteral("old"));
}
void BM_Start_New(benchmark::State& state) {
    runStart(state, QStringLiteral("new"));
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
    state.counters["import_s"] = f.importSeconds;
}

// The probe itself: prints "ms=<time to the zone list> rss=<MB> zones=<n>".
int startProbe(const QString& store, const QString& where) {
    QElapsedTimer clock;
    clock.start();
    qsizetype zones = 0;
    std::unique_ptr<ZoneDatabase> database;
    std::unique_ptr<DNSServerManager> manager;
    if (store == QLatin1String("new")) {
        database = std::make_unique<ZoneDatabase>(ZoneDatabaseSettings{where, false, {}});
        QSignalSpy loaded(database.get(), &ZoneDatabase::zonesLoaded);
        database->open();
        database->loadZones();
        if (!waitFor([&] { return !loaded.isEmpty(); }))
            return 1;
        zones = loaded.first().at(1).value<QList<StoredZone>>().size();
    } else {
        QuietStdout quiet;
        manager = std::make_unique<DNSServerManager>(SystemLayout::standard(),
                                                     std::make_shared<PreferencesStore>(where));
        manager->loadZonesFromStorage();
        zones = manager->zones().size();
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    std::printf("ms=%.1f rss=%.1f zones=%lld\n", ms, residentMB(), qint64(zones));
    std::fflush(stdout);
    // Skip tearing down: the probe is done.
    std::_Exit(0);
}

} // namespace

#define LAYOUTS Args({100, 1000})->Args({1, 100000})->ArgNames({"zones", "records"})

BENCHMARK(BM_RecordChange_Old)
    ->LAYOUTS->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_RecordChange_New)->LAYOUTS->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordChange_StoreCall)->LAYOUTS->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CommitLatency)->LAYOUTS->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Start_Old)->LAYOUTS->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Start_New)->LAYOUTS->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Render)->LAYOUTS->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--start-probe")
        return startProbe(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtures.clear();
    return 0;
}
