// The records screen with a zone of 100,000 records: the time to show the
// zone (the list model filled and the visible rows painted), to apply a
// search as the user types it, to scroll a page, and for the list to follow
// a record added to the zone. Every figure is wall-clock time per run and
// includes a synchronous repaint of the list, so it is what the user waits
// for. Run by hand, off screen:
//   QT_QPA_PLATFORM=offscreen build/bench/recordlist/bench_recordlist
// The manager's console lines are discarded; results go to standard error.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "HostTestSupport.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordsListView.h"

using namespace korvi;

namespace {

constexpr int recordCount = 100000;

// A mix like a large real zone: mostly hosts, some mail, text and aliases.
ZonePtr largeZone() {
    auto zone = ZonePtr::create(QStringLiteral("example.com"), QStringLiteral("/x/db.example.com"));
    QList<DNSRecord> records;
    records.reserve(recordCount);
    for (int i = 0; i < recordCount; ++i) {
        const QString host = QStringLiteral("host%1").arg(i);
        switch (i % 10) {
        case 0:
            records.append(DNSRecord(host, DNSRecordType::TXT,
                                     QStringLiteral("\"v=spf1 include:_spf.example.net ~all\""),
                                     300));
            break;
        case 1: {
            RecordOptions mx;
            mx.priority = 10;
            records.append(DNSRecord(host, DNSRecordType::MX,
                                     QStringLiteral("mail%1.example.com.").arg(i), 3600, mx));
            break;
        }
        case 2:
            records.append(
                DNSRecord(host, DNSRecordType::CNAME, QStringLiteral("www.example.com."), 3600));
            break;
        case 3:
            records.append(DNSRecord(host, DNSRecordType::AAAA,
                                     QStringLiteral("2001:db8::%1").arg(i % 65536, 0, 16), 3600));
            break;
        default:
            records.append(DNSRecord(
                host, DNSRecordType::A,
                QStringLiteral("10.%1.%2.%3").arg((i >> 16) & 255).arg((i >> 8) & 255).arg(i & 255),
                3600));
        }
    }
    zone->setRecords(records);
    return zone;
}

// One manager, one zone and one shown records screen for all benchmarks.
struct Screen {
    QTemporaryDir dir;
    std::unique_ptr<DNSServerManager> manager;
    ZonePtr zone;
    std::unique_ptr<DNSRecordView> view;
    QLineEdit* search = nullptr;
    QListView* list = nullptr;

    Screen() {
        manager = test::makeManager(dir.path(), test::isolatedLayout(dir.path()));
        test::waitForDetections(*manager);
        manager->setServerStatus(ServerStatus::running);
        zone = largeZone();
        manager->setZones({zone});
        view = std::make_unique<DNSRecordView>(manager.get());
        view->resize(1200, 800);
        view->show();
        search = view->findChild<QLineEdit*>(QStringLiteral("searchField"));
        list = view->recordsList()->listView();
        QApplication::processEvents();
    }

    void paint() {
        list->viewport()->repaint();
        QApplication::processEvents();
    }
};

// Made on first use and destroyed in main() before the QApplication: widgets
// must never outlive the application object (a function-local static would be
// destroyed after it, during exit).
std::unique_ptr<Screen> sharedScreen;

Screen& screen() {
    if (!sharedScreen)
        sharedScreen = std::make_unique<Screen>();
    return *sharedScreen;
}

void runTimed(benchmark::State& state, const std::function<void()>& prepare,
              const std::function<void()>& timed) {
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        timed();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

// Choosing the zone in the left column: the list model takes the records and
// the first rows are painted.
void BM_ShowZone(benchmark::State& state) {
    Screen& s = screen();
    s.search->clear();
    const auto other = ZonePtr::create(QStringLiteral("empty.test"), QStringLiteral("/x"));
    s.manager->setZones({other, s.zone});
    runTimed(
        state,
        [&] {
            s.view->selectZone(other->id());
            QApplication::processEvents();
        },
        [&] {
            s.view->selectZone(s.zone->id());
            s.paint();
        });
    s.manager->setZones({s.zone});
    state.counters["rows"] = s.view->recordsList()->model()->rowCount();
}

// A whole new records screen for the zone, shown and painted.
void BM_OpenScreen(benchmark::State& state) {
    Screen& s = screen();
    runTimed(
        state, [] {},
        [&] {
            DNSRecordView view(s.manager.get());
            view.resize(1200, 800);
            view.show();
            view.recordsList()->listView()->viewport()->repaint();
            QApplication::processEvents();
        });
}

// The search field changed to a text (as typed), the list filtered and
// painted. Arguments: which text.
const QStringList searchTexts = {QStringLiteral("h"), QStringLiteral("MX"),
                                 QStringLiteral("host99999"), QStringLiteral("no-such-text")};

void BM_Search(benchmark::State& state) {
    Screen& s = screen();
    s.view->selectZone(s.zone->id());
    const QString text = searchTexts[int(state.range(0))];
    runTimed(
        state,
        [&] {
            s.search->clear();
            QApplication::processEvents();
        },
        [&] {
            s.search->setText(text);
            s.paint();
        });
    state.SetLabel(text.toStdString());
    state.counters["matches"] = s.view->recordsList()->model()->rowCount();
}

// Clearing the search: all 100,000 rows back.
void BM_ClearSearch(benchmark::State& state) {
    Screen& s = screen();
    runTimed(
        state,
        [&] {
            s.search->setText(QStringLiteral("MX"));
            QApplication::processEvents();
        },
        [&] {
            s.search->clear();
            s.paint();
        });
}

// One page down, painted.
void BM_ScrollPage(benchmark::State& state) {
    Screen& s = screen();
    s.search->clear();
    QScrollBar* bar = s.list->verticalScrollBar();
    bar->setValue(0);
    runTimed(
        state,
        [&] {
            if (bar->value() >= bar->maximum())
                bar->setValue(0);
        },
        [&] {
            bar->setValue(bar->value() + bar->pageStep());
            s.paint();
        });
}

// A record added to the zone while it is shown (with and without a search):
// the list follows. Argument: 1 with the search "host1".
void BM_RecordAdded(benchmark::State& state) {
    Screen& s = screen();
    s.search->setText(state.range(0) ? QStringLiteral("host1") : QString());
    QApplication::processEvents();
    const QList<DNSRecord> original = s.zone->records();
    int added = 0;
    runTimed(
        state, [] {},
        [&] {
            s.zone->addRecord(DNSRecord(QStringLiteral("new%1").arg(added++), DNSRecordType::A,
                                        QStringLiteral("192.0.2.1"), 3600));
            s.paint();
        });
    s.zone->setRecords(original);
    s.search->clear();
}

// The same addition while another zone is shown: what the zone itself costs
// (validation, appending), for comparison.
void BM_RecordAddedUnseen(benchmark::State& state) {
    Screen& s = screen();
    const auto other = ZonePtr::create(QStringLiteral("empty.test"), QStringLiteral("/x"));
    s.manager->setZones({other, s.zone});
    s.view->selectZone(other->id());
    QApplication::processEvents();
    const QList<DNSRecord> original = s.zone->records();
    int added = 0;
    runTimed(
        state, [] {},
        [&] {
            s.zone->addRecord(DNSRecord(QStringLiteral("new%1").arg(added++), DNSRecordType::A,
                                        QStringLiteral("192.0.2.1"), 3600));
            s.paint();
        });
    s.zone->setRecords(original);
    s.manager->setZones({s.zone});
    s.view->selectZone(s.zone->id());
}

} // namespace

BENCHMARK(BM_ShowZone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Search)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_ClearSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ScrollPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_RecordAdded)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_RecordAddedUnseen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The manager writes a console line for every log line: keep them out
    // of the results.
    std::fflush(stdout);
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::close(devNull);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    sharedScreen.reset();
    return 0;
}
