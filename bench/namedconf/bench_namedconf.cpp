// Reading named.conf: Korvi's parser and reader on a generated configuration
// of 1,000 and 10,000 zones (options, a view, zones of several types), read
// as text and as a tree of include files, against the wall time of
// `named-checkconf -p` on the same file, process start included.
// Run by hand:
//   build/bench/namedconf/bench_namedconf

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

#include "model/BindConfigReader.h"

using namespace korvi;

namespace {

const char* const types[] = {"primary", "secondary", "forward", "stub"};

// named.conf with `zones` zones in two views, the last tenth in the second;
// the zones of each type in the first view come from an include file of their own.
struct Generated {
    QTemporaryDir dir;
    QString top;
    QString text; // everything in one text
};

Generated* generated(int zones) {
    static std::map<int, Generated*> cache;
    if (auto it = cache.find(zones); it != cache.end())
        return it->second;
    auto* g = new Generated;
    QString includes[4];
    QString inView;
    for (int i = 0; i < zones; ++i) {
        const char* type = types[i % 4];
        QString zone =
            QStringLiteral("zone \"z%1.example\" {\n\ttype %2;\n").arg(i).arg(QLatin1String(type));
        if (i % 4 == 0)
            zone += QStringLiteral("\tfile \"db.z%1.example\";\n").arg(i);
        else if (i % 4 == 2)
            zone += QStringLiteral("\tforwarders {\n\t\t192.0.2.%1;\n\t};\n").arg(i % 250);
        else
            zone += QStringLiteral("\tprimaries {\n\t\t192.0.2.1;\n\t};\n");
        zone += QStringLiteral("};\n");
        if (i >= zones - zones / 10)
            inView += zone;
        else
            includes[i % 4] += zone;
    }
    const QString options =
        QStringLiteral("options {\n\tdirectory \"%1\";\n\tlisten-on {\n\t\t127.0.0.1;\n\t};\n"
                       "\trecursion no;\n\tforwarders {\n\t\t192.0.2.53;\n\t};\n};\n")
            .arg(g->dir.path());
    const QString view =
        QStringLiteral("view \"inside\" {\n\tmatch-clients {\n\t\tany;\n\t};\n%1};\n").arg(inView);
    // BIND wants every zone in a view once there is one.
    QString top = options + QStringLiteral("view \"main\" {\n\tmatch-clients {\n\t\tany;\n\t};\n");
    g->text = top;
    for (int t = 0; t < 4; ++t) {
        const QString path = g->dir.filePath(QStringLiteral("named.conf.%1").arg(t));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(includes[t].toUtf8());
        top += QStringLiteral("include \"%1\";\n").arg(path);
        g->text += includes[t];
    }
    top += QStringLiteral("};\n");
    g->text += QStringLiteral("};\n");
    top += view;
    g->text += view;
    g->top = g->dir.filePath(QStringLiteral("named.conf"));
    QFile file(g->top);
    if (file.open(QIODevice::WriteOnly))
        file.write(top.toUtf8());
    cache[zones] = g;
    return g;
}

void BM_ReadText(benchmark::State& state) {
    const Generated* g = generated(int(state.range(0)));
    for (auto _ : state) {
        const BindConfigReading reading = BindConfigReader::fromText(g->text);
        if (reading.zones.size() != state.range(0))
            state.SkipWithError("zones missing");
        benchmark::DoNotOptimize(reading.zones.data());
    }
    state.counters["bytes"] = double(g->text.size());
}

void BM_ReadFileTree(benchmark::State& state) {
    const Generated* g = generated(int(state.range(0)));
    for (auto _ : state) {
        const BindConfigReading reading = BindConfigReader::fromFileTree(g->top);
        if (reading.zones.size() != state.range(0))
            state.SkipWithError("zones missing");
        benchmark::DoNotOptimize(reading.zones.data());
    }
}

void BM_CheckconfPrint(benchmark::State& state) {
    const Generated* g = generated(int(state.range(0)));
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/named-checkconf"), {QStringLiteral("-p"), g->top});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("named-checkconf -p failed");
            break;
        }
        benchmark::DoNotOptimize(process.readAllStandardOutput());
    }
}

} // namespace

BENCHMARK(BM_ReadText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileTree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckconfPrint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
