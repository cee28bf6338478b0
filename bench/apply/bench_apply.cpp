// From "save" to the server answering: the time from addRecord() on a running sandbox named
// to the change reported applied (Korvi has checked, written, reloaded and seen the new
// record served), next to BIND's own floor on the same zone: the same zone file written
// directly, "rndc reload <zone>", then the same question asked until the first answer has the
// new record. The two take turns going first; the medians and their ratio are printed.
// Run by hand: build/bench/apply/bench_apply [runs]   (20 or more; 40 by default)
// The manager's own console and log lines are discarded.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "SandboxServer.h"
#include "manager/DNSServerManager.h"
#include "manager/ServedChangeCheck.h"
#include "manager/ServerQueryAnswers.h"
#include "manager/TextFileWriter.h"
#include "manager/ZoneRepository.h"
#include "model/Serial.h"
#include "model/ZoneFileWriter.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

using namespace korvi;
using namespace korvi::test;

namespace {

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Asks until the answer for www-<n> A is the address; the time it took, or -1.
double pollUntilServed(ServedAnswerSource* answers, const QString& name, const QString& address,
                       QElapsedTimer& timer) {
    for (;;) {
        bool done = false;
        bool match = false;
        answers->ask(name, QStringLiteral("A"), [&](const ServedAnswer& answer) {
            done = true;
            match = answer.rcode == 0 && answer.records.size() == 1 &&
                    answer.records.first().endsWith(u' ' + address);
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (match)
            return double(timer.nsecsElapsed()) / 1e6;
        if (timer.elapsed() > 10000)
            return -1;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(20, atoi(argv[1])) : 40;
    // The manager's console lines would drown the figures.
    const int savedOut = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    const auto report = [&](const QString& line) { dprintf(savedOut, "%s\n", qPrintable(line)); };

    QTemporaryDir dir(QStringLiteral("/tmp/korvi-bench-apply-XXXXXX"));
    const quint16 port = freePort();
    const SystemLayout layout = SystemLayout::sandbox(dir.path(), port);
    if (!makeRndcKey(layout.rndcKeyPath)) {
        report(QStringLiteral("rndc-confgen failed"));
        return 1;
    }
    auto manager = std::make_unique<DNSServerManager>(
        layout, std::make_shared<PreferencesStore>(dir.path() + QStringLiteral("/prefs.ini")));
    (void)QTest::qWaitFor([&] { return manager->serverStatus() == ServerStatus::stopped; }, 15000);
    // The floor asks the way Korvi's served check asks.
    auto* answers = new ServerQueryAnswers(QStringLiteral("127.0.0.1"), port, manager.get());
    DNSConfiguration* config = manager->configuration();
    config->setListenPort(port);
    config->setListenAddresses({QStringLiteral("127.0.0.1")});
    config->setRecursion(false);
    const ZonePtr zone = ZoneRepository::newZone(
        QStringLiteral("example.com"), layout.zoneDirectory + QStringLiteral("/db.example.com"),
        QString(), QString(), generateSerial(), QStringLiteral("192.0.2.53"));
    // Waits in an event loop, as the application does: QTest::qWaitFor sleeps between its
    // looks and would add its naps to every step that crosses a thread or a process.
    const auto finished = [&](auto start) {
        QEventLoop loop;
        ChangeId id = 0;
        bool ended = false;
        bool applied = false;
        const QMetaObject::Connection connection =
            QObject::connect(manager.get(), &DNSServerManager::changeFinished, &loop,
                             [&](ChangeId finishedId, bool ok) {
                                 if (finishedId != id)
                                     return;
                                 ended = true;
                                 applied = ok;
                                 loop.quit();
                             });
        id = start();
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        if (!ended)
            loop.exec();
        QObject::disconnect(connection);
        return applied;
    };
    if (!finished([&] { return manager->addZone(zone); })) {
        report(QStringLiteral("the zone was not added"));
        return 1;
    }
    manager->startServer();
    if (!QTest::qWaitFor([&] { return manager->serverStatus() == ServerStatus::running; }, 15000)) {
        report(QStringLiteral("named did not start"));
        return 1;
    }
    (void)QTest::qWaitFor(
        [&] { return !dig(port, QStringLiteral("example.com"), "SOA").isEmpty(); }, 10000);

    QList<double> korvi;
    QList<double> floor;
    const QStringList rndc{QStringLiteral("-k"), layout.rndcKeyPath,
                           QStringLiteral("-s"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("-p"), QString::number(layout.rndcControlPort)};
    // Korvi: addRecord() to changeFinished(applied).
    const auto korviRun = [&](int run) {
        const QString korviAddress = QStringLiteral("198.51.100.%1").arg(run + 1);
        QElapsedTimer timer;
        timer.start();
        const bool applied = finished([&] {
            return manager->addRecord(
                DNSRecord(QStringLiteral("k%1").arg(run), DNSRecordType::A, korviAddress, 300),
                zone);
        });
        const double korviMs = double(timer.nsecsElapsed()) / 1e6;
        if (!applied || dig(port, QStringLiteral("k%1.example.com").arg(run)) != korviAddress) {
            report(QStringLiteral("run %1: Korvi's change was not served").arg(run));
            return false;
        }
        korvi.append(korviMs);
        return true;
    };
    // The floor: the same zone with one more record, written directly, rndc reload, asked
    // until served.
    const auto floorRun = [&](int run) {
        const QString floorAddress = QStringLiteral("203.0.113.%1").arg(run + 1);
        QList<DNSRecord> records = zone->records();
        records.append(
            DNSRecord(QStringLiteral("f%1").arg(run), DNSRecordType::A, floorAddress, 300));
        SOARecord soa = *zone->soaRecord();
        soa.serial = nextSerial(soa.serial);
        QElapsedTimer timer;
        timer.start();
        QString error;
        TextFileWriter::replaceFile(
            zone->filePath(),
            ZoneFileWriter::zoneText(zone->name(), soa, records, QDateTime::currentDateTimeUtc()),
            &error);
        QProcess reload;
        reload.start(QStringLiteral("rndc"),
                     rndc + QStringList{QStringLiteral("reload"), QStringLiteral("example.com")});
        reload.waitForFinished(10000);
        const double floorMs = pollUntilServed(answers, QStringLiteral("f%1.example.com.").arg(run),
                                               floorAddress, timer);
        if (floorMs < 0) {
            report(QStringLiteral("run %1: the direct reload was not served").arg(run));
            return false;
        }
        floor.append(floorMs);
        // Korvi's next serial steps past the one written here.
        manager->updateSOASerial(zone);
        return true;
    };
    // The two take turns going first, so that neither always follows the other's reload.
    for (int run = 0; run < runs; ++run) {
        const bool ok =
            run % 2 == 0 ? korviRun(run) && floorRun(run) : floorRun(run) && korviRun(run);
        if (!ok)
            return 1;
    }
    const double korviMedian = median(korvi);
    const double floorMedian = median(floor);
    report(QStringLiteral("runs: %1").arg(runs));
    report(QStringLiteral("Korvi, addRecord to applied (served): median %1 ms")
               .arg(korviMedian, 0, 'f', 1));
    report(QStringLiteral("BIND floor, write + rndc reload + first served answer: median %1 ms")
               .arg(floorMedian, 0, 'f', 1));
    report(QStringLiteral("ratio: %1").arg(korviMedian / floorMedian, 0, 'f', 2));

    manager->stopServer();
    (void)QTest::qWaitFor([&] { return serversOf(layout.namedConfigPath).isEmpty(); }, 15000);
    stopServersOf(layout.namedConfigPath);
    return 0;
}
