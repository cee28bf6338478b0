// The cost of a checked zone-file save: the time from saveZoneFile() to the
// file on disk for a zone of 100 records, next to one bare named-checkzone
// run on the same text, and the parts of a save: the run through bash, the
// run through the manager's runner, and the final atomic write. Each figure
// is the median of 40 single timed runs (wall-clock). Run by hand, best with
// interleaving so that a busy machine weighs on every figure alike:
//   build/bench/zonesave/bench_zonesave --benchmark_enable_random_interleaving=true
// Results are printed on standard error; the manager's own console lines are
// discarded.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "manager/TextFileWriter.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

using namespace korvi;

namespace {

constexpr int recordCount = 100;
constexpr int runs = 40;
const QString zoneName = QStringLiteral("example.com");

// SOA, a name server with its address, and A, AAAA and TXT hosts: 100 records.
ZonePtr benchmarkZone(const QString& filePath) {
    auto zone = ZonePtr::create(zoneName, filePath);
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.example.com.");
    soa.adminEmail = QStringLiteral("admin.example.com.");
    soa.serial = 2025030501;
    zone->setSoaRecord(soa);
    QList<DNSRecord> records;
    records.append(
        DNSRecord(QString(), DNSRecordType::NS, QStringLiteral("ns1.example.com."), 3600));
    records.append(
        DNSRecord(QStringLiteral("ns1"), DNSRecordType::A, QStringLiteral("192.0.2.1"), 3600));
    for (int i = 0; records.size() < recordCount; ++i) {
        const QString name = QStringLiteral("host%1").arg(i);
        switch (i % 3) {
        case 0:
            records.append(DNSRecord(name, DNSRecordType::A,
                                     QStringLiteral("10.0.%1.%2").arg(i / 256).arg(i % 256), 3600));
            break;
        case 1:
            records.append(DNSRecord(name, DNSRecordType::AAAA,
                                     QStringLiteral("2001:db8::%1").arg(i, 0, 16), 3600));
            break;
        default:
            records.append(DNSRecord(name, DNSRecordType::TXT,
                                     QStringLiteral("\"host %1 of the benchmark\"").arg(i), 3600));
            break;
        }
    }
    zone->setRecords(records);
    return zone;
}

struct Sandbox {
    QTemporaryDir dir;
    SystemLayout layout;
    std::unique_ptr<DNSServerManager> manager;
    ZonePtr zone;
    QString zonePath;
    QString copyPath; // the same text, for the bare checker runs

    Sandbox() {
        const QString root = dir.path();
        layout = SystemLayout::standard();
        layout.namedConfigPath = root + QStringLiteral("/etc/named.conf");
        layout.zoneDirectory = root + QStringLiteral("/var/named");
        layout.allowedPathPrefixes = {root + QStringLiteral("/etc/"),
                                      root + QStringLiteral("/var/named/")};
        layout.temporaryDirectory = root + QStringLiteral("/tmp");
        QDir().mkpath(layout.temporaryDirectory);
        manager = std::make_unique<DNSServerManager>(
            layout, std::make_shared<PreferencesStore>(root + QStringLiteral("/prefs.ini")));
        zonePath = layout.zoneDirectory + QStringLiteral("/db.") + zoneName;
        zone = benchmarkZone(zonePath);
        copyPath = root + QStringLiteral("/copy.zone");
        QFile copy(copyPath);
        if (copy.open(QIODevice::WriteOnly))
            copy.write(zone->zoneFileText().toUtf8());
    }
};

Sandbox* sandbox = nullptr;

void BM_SaveZoneFile(benchmark::State& state) {
    QFile::remove(sandbox->zonePath);
    for (auto _ : state) {
        sandbox->manager->saveZoneFile(sandbox->zone);
        while (!QFileInfo::exists(sandbox->zonePath))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (!QFileInfo::exists(sandbox->zonePath))
        state.SkipWithError("the zone file was not written");
}

void runChecker(benchmark::State& state, const QString& program, const QStringList& arguments) {
    for (auto _ : state) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("named-checkzone did not accept the zone");
            break;
        }
    }
}

void BM_BareNamedCheckzone(benchmark::State& state) {
    runChecker(state, QStringLiteral("/usr/bin/named-checkzone"), {zoneName, sandbox->copyPath});
}

void BM_NamedCheckzoneThroughShell(benchmark::State& state) {
    runChecker(state, QStringLiteral("/bin/bash"),
               {QStringLiteral("-c"),
                QStringLiteral("named-checkzone ") + zoneName + u' ' + sandbox->copyPath});
}

// The command runner alone, on the same text.
void BM_NamedCheckzoneThroughRunner(benchmark::State& state) {
    const QStringList command = {QStringLiteral("named-checkzone"), zoneName, sandbox->copyPath};
    const CommandRunner runner(sandbox->manager->layout(), nullptr);
    for (auto _ : state) {
        bool done = false;
        runner.runCommand(command, [&done](bool, const QString&) { done = true; });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// The final write alone: a scratch file beside the target, synced, renamed.
void BM_AtomicReplace(benchmark::State& state) {
    const QString text = sandbox->zone->zoneFileText();
    const QString target = sandbox->zonePath + QStringLiteral(".replaced");
    QString error;
    for (auto _ : state) {
        if (!TextFileWriter::replaceFile(target, text, &error)) {
            state.SkipWithError("the file could not be written");
            break;
        }
    }
}

} // namespace

#define KORVI_SINGLE_RUNS(name)                                                                    \
    BENCHMARK(name)                                                                                \
        ->Iterations(1)                                                                            \
        ->Repetitions(runs)                                                                        \
        ->ReportAggregatesOnly(true)                                                               \
        ->UseRealTime()                                                                            \
        ->Unit(benchmark::kMillisecond)

KORVI_SINGLE_RUNS(BM_SaveZoneFile);
KORVI_SINGLE_RUNS(BM_BareNamedCheckzone);
KORVI_SINGLE_RUNS(BM_NamedCheckzoneThroughShell);
KORVI_SINGLE_RUNS(BM_NamedCheckzoneThroughRunner);
KORVI_SINGLE_RUNS(BM_AtomicReplace);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The manager writes its log lines to standard output; keep them out of
    // the results.
    std::fflush(stdout);
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
        ::dup2(quiet, STDOUT_FILENO);
        ::close(quiet);
    }
    Sandbox box;
    sandbox = &box;
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    sandbox = nullptr;
    return 0;
}
