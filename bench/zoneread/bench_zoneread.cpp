// Reading a zone file into memory: Korvi's reader against BIND's own loader,
// on generated zones of 10,000 and 100,000 records of mixed types. Korvi's
// figure is the time to a complete in-memory zone (freeing it again is left
// out); BIND's is the wall time of
// `named-checkzone -D -o /dev/null <zone> <file>`, process start included.
// Run by hand:
//   build/bench/zoneread/bench_zoneread

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <memory>

#include "model/ZoneParser.h"

using namespace korvi;

namespace {

const QString zoneName = QStringLiteral("bench.example");

// $TTL, $ORIGIN, an SOA in parentheses, inherited class, and records of eight
// types in turn; every name a record points to lies in the zone and has an
// address, so that named-checkzone looks nothing up.
QByteArray generatedZone(int records) {
    QByteArray text = "$TTL 3600\n$ORIGIN bench.example.\n"
                      "@ IN SOA ns1 hostmaster ( 2025010101 3600 1800 1209600 86400 )\n"
                      "  IN NS ns1\nns1 IN A 192.0.2.1\n";
    for (int i = 0; i < records - 3; ++i) {
        const QByteArray h = "h" + QByteArray::number(i);
        switch (i % 8) {
        case 0:
            text += h + " 300 IN A 10." + QByteArray::number((i >> 16) & 255) + '.' +
                    QByteArray::number((i >> 8) & 255) + '.' + QByteArray::number(i & 255);
            break;
        case 1:
            text += h + " IN AAAA 2001:db8::" + QByteArray::number(i >> 16, 16) + ':' +
                    QByteArray::number(i & 0xffff, 16);
            break;
        case 2:
            text += h + " IN MX 10 h" + QByteArray::number(i - 2);
            break;
        case 3:
            text += h + " IN TXT \"v=spf1 include:_spf.example.net ~all\" \"part " +
                    QByteArray::number(i) + '"';
            break;
        case 4:
            text += h + " IN CNAME h" + QByteArray::number(i - 4);
            break;
        case 5:
            text += "_sip._tcp." + h + " IN SRV 10 5 5060 h" + QByteArray::number(i - 5);
            break;
        case 6:
            text += h + " IN CAA 0 issue \"ca.example.net\"";
            break;
        default:
            text += "_443._tcp." + h + " IN TLSA 3 1 1 " +
                    QByteArray::number(i, 16).rightJustified(64, '0');
        }
        text += '\n';
    }
    return text;
}

// One generated file per size, kept for the whole run.
const QString& zoneFile(int records) {
    static QTemporaryDir dir;
    static std::map<int, QString> files;
    auto it = files.find(records);
    if (it == files.end()) {
        const QString path = dir.filePath(QStringLiteral("zone%1.db").arg(records));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(generatedZone(records));
        it = files.emplace(records, path).first;
    }
    return it->second;
}

void korviReader(benchmark::State& state) {
    const int records = int(state.range(0));
    const QString& path = zoneFile(records);
    qint64 read = 0;
    for (auto _ : state) {
        auto zone = std::make_unique<ZoneReadResult>(ZoneParser().readFile(path, zoneName));
        if (!zone->ok) {
            state.SkipWithError(qPrintable(zone->error));
            return;
        }
        read = zone->records.size() + (zone->soa ? 1 : 0);
        benchmark::DoNotOptimize(zone->records.data());
        // The zone is complete here; freeing it again is not part of reading.
        state.PauseTiming();
        zone.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = double(read);
    if (read != records)
        state.SkipWithError("not every record was read");
}

void bindCheckzone(benchmark::State& state) {
    const QString& path = zoneFile(int(state.range(0)));
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral("named-checkzone"),
                      {QStringLiteral("-D"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                       zoneName, path});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            state.SkipWithError("named-checkzone failed");
            return;
        }
    }
}

} // namespace

BENCHMARK(korviReader)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bindCheckzone)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
