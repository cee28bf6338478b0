// Rendering zones as master-file text and reading them back, for zones of
// 1,000, 10,000 and 100,000 records of mixed types. The render rate is given
// in UTF-8 bytes of zone-file text per second (bytes_per_second), the figure
// the zone-file writer is judged by. Run by hand:
//   build/bench/zonefile/bench_zonefile

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QTimeZone>

#include "model/DNSZone.h"
#include "model/ZoneFileReader.h"
#include "model/ZoneFileWriter.h"

using namespace korvi;

namespace {

QList<DNSRecord> mixedRecords(int count) {
    QList<DNSRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        RecordOptions options;
        const QString name = QStringLiteral("host%1").arg(i);
        switch (i % 6) {
        case 0:
            records.append(DNSRecord(
                name, DNSRecordType::A,
                QStringLiteral("10.%1.%2.%3").arg(i / 65536 % 256).arg(i / 256 % 256).arg(i % 256),
                3600));
            break;
        case 1:
            records.append(DNSRecord(name, DNSRecordType::AAAA,
                                     QStringLiteral("2001:db8::%1").arg(i, 0, 16), 3600));
            break;
        case 2:
            options.priority = i % 100;
            records.append(DNSRecord(name, DNSRecordType::MX,
                                     QStringLiteral("mail%1.example.com.").arg(i), 3600, options));
            break;
        case 3:
            records.append(DNSRecord(name, DNSRecordType::CNAME,
                                     QStringLiteral("target%1.example.com.").arg(i), 300));
            break;
        case 4:
            options.priority = 10;
            options.weight = 5;
            options.port = 5060;
            records.append(DNSRecord(name, DNSRecordType::SRV,
                                     QStringLiteral("sip%1.example.com.").arg(i), 3600, options));
            break;
        default:
            records.append(DNSRecord(
                name, DNSRecordType::TXT,
                QStringLiteral("\"v=spf1 include:_spf%1.example.net ~all\"").arg(i), 3600));
            break;
        }
    }
    return records;
}

std::optional<SOARecord> soa() {
    SOARecord s;
    s.primaryNameServer = QStringLiteral("ns1.example.com.");
    s.adminEmail = QStringLiteral("admin.example.com.");
    s.serial = 2025030501;
    return s;
}

const QDateTime fixedTime(QDate(2025, 3, 5), QTime(14, 7), QTimeZone::utc());

void renderZone(benchmark::State& state) {
    const QList<DNSRecord> records = mixedRecords(int(state.range(0)));
    const qsizetype bytes =
        ZoneFileWriter::zoneText(QStringLiteral("example.com"), soa(), records, fixedTime)
            .toUtf8()
            .size();
    for (auto _ : state) {
        const QString text =
            ZoneFileWriter::zoneText(QStringLiteral("example.com"), soa(), records, fixedTime);
        benchmark::DoNotOptimize(text.constData());
    }
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void readZone(benchmark::State& state) {
    const QString text = ZoneFileWriter::zoneText(QStringLiteral("example.com"), soa(),
                                                  mixedRecords(int(state.range(0))), fixedTime);
    qsizetype read = 0;
    for (auto _ : state) {
        const auto content = ZoneFileReader::read(text);
        read = content ? content->records.size() : -1;
        benchmark::DoNotOptimize(read);
    }
    // The reader looks at the first 10,000 lines only, so of the largest zone
    // the records past that line are not read.
    state.counters["records read"] = double(read);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void roundTripZone(benchmark::State& state) {
    DNSZone zone(QStringLiteral("example.com"), {});
    zone.setSoaRecord(soa());
    zone.setRecords(mixedRecords(int(state.range(0))));
    DNSZone back(QStringLiteral("example.com"), {});
    for (auto _ : state) {
        back.loadZoneFile(zone.zoneFileText(fixedTime));
        benchmark::DoNotOptimize(back.records().size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(renderZone)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(readZone)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(roundTripZone)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
