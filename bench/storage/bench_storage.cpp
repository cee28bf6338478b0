// Keeping zones in the preferences at scale: 100 zones of 1,000 records each.
// saveZonesToStorage() runs on the main thread after every zone or record
// change, so its time is the pause a window sees after each edit.
//
// Run: build/bench/storage/bench_storage

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "manager/ZoneStorage.h"

using namespace korvi;

namespace {

constexpr int zoneCount = 100;
constexpr int recordsPerZone = 1000;

QList<ZonePtr> makeZones() {
    QList<ZonePtr> zones;
    for (int z = 0; z < zoneCount; ++z) {
        const QString name = QStringLiteral("zone%1.example.com").arg(z);
        const ZonePtr zone =
            ZonePtr::create(name, QStringLiteral("/usr/local/var/named/db.") + name);
        QList<DNSRecord> records;
        records.reserve(recordsPerZone);
        for (int r = 0; r < recordsPerZone; ++r) {
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
                    QStringLiteral("10.%1.%2.%3").arg(z).arg(r / 250).arg(r % 250 + 1), 3600));
            }
        }
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

QList<ZoneStorageData> storageData(const QList<ZonePtr>& zones) {
    QList<ZoneStorageData> data;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const ZonePtr& zone : zones)
        data.append({zone->name(), zone->filePath(), zone->records(), zone->soaRecord(), now});
    return data;
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

struct Fixture {
    QTemporaryDir dir;
    std::shared_ptr<PreferencesStore> preferences;
    std::unique_ptr<DNSServerManager> manager;

    Fixture() {
        QuietStdout quiet;
        preferences = std::make_shared<PreferencesStore>(dir.filePath(QStringLiteral("p.ini")));
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = dir.filePath(QStringLiteral("named.conf"));
        layout.zoneDirectory = dir.filePath(QStringLiteral("named"));
        layout.temporaryDirectory = dir.path();
        manager = std::make_unique<DNSServerManager>(layout, preferences);
        manager->setZones(makeZones());
        manager->saveZonesToStorage();
        QCoreApplication::processEvents();
    }
};

void BM_Encode(benchmark::State& state) {
    const QList<ZoneStorageData> data = storageData(makeZones());
    qsizetype bytes = 0;
    for (auto _ : state) {
        const auto document = ZoneStorage::encode(data);
        bytes = document->size();
        benchmark::DoNotOptimize(document);
    }
    state.counters["document_MB"] = double(bytes) / 1e6;
}

void BM_DecodeCurrent(benchmark::State& state) {
    const QByteArray document = *ZoneStorage::encode(storageData(makeZones()));
    for (auto _ : state) {
        const auto zones = ZoneStorage::decodeCurrent(document);
        benchmark::DoNotOptimize(zones);
    }
    state.counters["document_MB"] = double(document.size()) / 1e6;
}

void BM_SaveZonesToStorage(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        {
            QuietStdout quiet;
            f.manager->saveZonesToStorage();
        }
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["document_MB"] =
        double(f.preferences->data(ZoneStorage::savedZonesKey())->size()) / 1e6;
}

void BM_LoadZonesFromStorage(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        {
            QuietStdout quiet;
            f.manager->loadZonesFromStorage();
        }
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["zones"] = double(f.manager->zones().size());
}

} // namespace

BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCurrent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveZonesToStorage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadZonesFromStorage)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
