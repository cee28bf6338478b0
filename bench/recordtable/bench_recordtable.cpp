// The records table with a zone of 100,000 records: the time to order the
// rows by each column (as a click on its header does), with and without a
// selection to carry along, against the same order made by a
// QSortFilterProxyModel over the unsorted table; the time to show the zone,
// to search while sorted, and for the sorted table to follow records added
// and removed. Every figure is wall-clock time per run and includes a
// synchronous repaint of the table, so it is what the user waits for. Run by
// hand, off screen:
//   QT_QPA_PLATFORM=offscreen build/bench/recordtable/bench_recordtable
// The manager's console lines are discarded; results go to standard error.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "HostTestSupport.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/RecordTableModel.h"
#include "ui/records/RecordTableView.h"

using namespace korvi;

namespace {

constexpr int recordCount = 100000;

// A mix like a large real zone: mostly hosts, some mail, text and aliases,
// with a few different TTLs; names in a shuffled order, so that no column is
// sorted already.
ZonePtr largeZone() {
    auto zone = ZonePtr::create(QStringLiteral("example.com"), QStringLiteral("/x/db.example.com"));
    QList<DNSRecord> records;
    records.reserve(recordCount);
    static const qint64 ttls[] = {300, 3600, 86400, 60, 7200};
    for (int i = 0; i < recordCount; ++i) {
        const int n = int((quint64(i) * 7919u) % recordCount);
        const QString host = QStringLiteral("host%1").arg(n);
        const qint64 ttl = ttls[(i / 3) % 5];
        switch (i % 10) {
        case 0:
            records.append(DNSRecord(
                host, DNSRecordType::TXT,
                QStringLiteral("\"v=spf1 include:_spf%1.example.net ~all\"").arg(n % 97), ttl));
            break;
        case 1: {
            RecordOptions mx;
            mx.priority = 10 * (n % 3);
            records.append(DNSRecord(host, DNSRecordType::MX,
                                     QStringLiteral("mail%1.example.com.").arg(n), ttl, mx));
            break;
        }
        case 2:
            records.append(DNSRecord(host, DNSRecordType::CNAME,
                                     QStringLiteral("www%1.example.com.").arg(n % 13), ttl));
            break;
        case 3:
            records.append(DNSRecord(host, DNSRecordType::AAAA,
                                     QStringLiteral("2001:db8::%1").arg(n % 65536, 0, 16), ttl));
            break;
        default:
            records.append(DNSRecord(
                host, DNSRecordType::A,
                QStringLiteral("10.%1.%2.%3").arg((n >> 16) & 255).arg((n >> 8) & 255).arg(n & 255),
                ttl));
        }
    }
    zone->setRecords(records);
    return zone;
}

// One manager, one zone and one records screen showing the table.
struct Screen {
    QTemporaryDir dir;
    std::unique_ptr<DNSServerManager> manager;
    ZonePtr zone;
    std::unique_ptr<DNSRecordView> view;
    QLineEdit* search = nullptr;
    RecordTableView* table = nullptr;

    Screen() {
        manager = test::makeManager(dir.path(), test::isolatedLayout(dir.path()));
        test::waitForDetections(*manager);
        manager->setServerStatus(ServerStatus::running);
        zone = largeZone();
        manager->setZones({zone});
        view = std::make_unique<DNSRecordView>(manager.get());
        view->setShowsTable(true);
        view->resize(1200, 800);
        view->show();
        search = view->findChild<QLineEdit*>(QStringLiteral("searchField"));
        table = view->recordTable();
        QApplication::processEvents();
    }

    void paint() {
        table->viewport()->repaint();
        QApplication::processEvents();
    }
};

// Made on first use and destroyed in main() before the QApplication.
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

const char* const columnNames[] = {"Name", "Type", "TTL", "Data"};

// A header clicked: the rows ordered by the column, from the zone's order.
// Arguments: column, 1 for descending, the number of rows selected.
void BM_Sort(benchmark::State& state) {
    Screen& s = screen();
    s.search->clear();
    const int column = int(state.range(0));
    const Qt::SortOrder order = state.range(1) ? Qt::DescendingOrder : Qt::AscendingOrder;
    const int selected = int(state.range(2));
    s.table->clearSelection();
    if (selected > 0) {
        // Every hundredth row, so that the selection is many ranges.
        QItemSelection selection;
        for (int row = 0; row < selected * 100; row += 100)
            selection.select(s.table->model()->index(row, 0),
                             s.table->model()->index(row, RecordTableModel::columns - 1));
        s.table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    runTimed(
        state,
        [&] {
            s.table->sortByColumn(-1, Qt::AscendingOrder);
            QApplication::processEvents();
        },
        [&] {
            s.table->sortByColumn(column, order);
            s.paint();
        });
    s.table->sortByColumn(-1, Qt::AscendingOrder);
    s.table->clearSelection();
    state.SetLabel(std::string(columnNames[column]) + (state.range(1) ? " desc" : " asc") +
                   (selected ? ", " + std::to_string(selected) + " selected" : ""));
}

// The same order made by a QSortFilterProxyModel between an unsorted table
// model and a plain table view.
void BM_ProxySort(benchmark::State& state) {
    Screen& s = screen();
    const int column = int(state.range(0));
    RecordTableModel model;
    model.setZone(s.zone);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setSortCaseSensitivity(Qt::CaseInsensitive);
    QTableView view;
    view.setModel(&proxy);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    runTimed(
        state,
        [&] {
            proxy.sort(-1);
            QApplication::processEvents();
        },
        [&] {
            proxy.sort(column, Qt::AscendingOrder);
            view.viewport()->repaint();
            QApplication::processEvents();
        });
    state.SetLabel(columnNames[column]);
}

// Choosing the zone while the table is shown, sorted by name.
void BM_ShowZoneSorted(benchmark::State& state) {
    Screen& s = screen();
    s.search->clear();
    s.table->sortByColumn(RecordTableModel::nameColumn, Qt::AscendingOrder);
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
    s.table->sortByColumn(-1, Qt::AscendingOrder);
}

// A search typed while sorted by name: filtered, ordered, painted.
void BM_SearchSorted(benchmark::State& state) {
    Screen& s = screen();
    s.view->selectZone(s.zone->id());
    s.table->sortByColumn(RecordTableModel::nameColumn, Qt::AscendingOrder);
    runTimed(
        state,
        [&] {
            s.search->clear();
            QApplication::processEvents();
        },
        [&] {
            s.search->setText(QStringLiteral("host1"));
            s.paint();
        });
    state.counters["matches"] = s.table->model()->rowCount();
    s.search->clear();
    s.table->sortByColumn(-1, Qt::AscendingOrder);
}

// A record added, then a record removed, while sorted by name: the table
// places and drops one row each time.
void BM_AddRemoveSorted(benchmark::State& state) {
    Screen& s = screen();
    s.search->clear();
    s.table->sortByColumn(RecordTableModel::nameColumn, Qt::AscendingOrder);
    QApplication::processEvents();
    int added = 0;
    runTimed(
        state, [] {},
        [&] {
            const DNSRecord made(QStringLiteral("new%1").arg(added++), DNSRecordType::A,
                                 QStringLiteral("192.0.2.1"), 3600);
            s.zone->addRecord(made);
            s.zone->removeRecord(s.zone->records().at(added * 37 % recordCount).id);
            s.paint();
        });
    s.table->sortByColumn(-1, Qt::AscendingOrder);
}

} // namespace

BENCHMARK(BM_Sort)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0}})
    ->Args({0, 0, 1000})
    ->Args({3, 0, 1000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_ProxySort)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ShowZoneSorted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchSorted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AddRemoveSorted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

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
