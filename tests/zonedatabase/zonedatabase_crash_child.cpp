// The crash test's child: opens the zone database in the folder given and
// makes changes first, first + 1, ... through ZoneDatabase, a few in flight
// at a time, printing "committed N" once change N is reported written. It
// runs until the test kills it.
//
//   zonedatabase_crash_child <folder> <first change>
#include <QCoreApplication>
#include <QHash>

#include <cstdio>

#include "CrashChanges.h"
#include "storage/ZoneDatabase.h"

using namespace korvi;
using namespace korvi::test;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 64;
    ZoneDatabaseSettings settings;
    settings.directory = args.at(1);
    settings.importFromPreferences = false;
    qint64 next = args.at(2).toLongLong();
    ZoneDatabase database(settings);

    constexpr int inFlight = 4;
    QHash<ZoneDatabase::RequestId, qint64> pending;
    const auto issue = [&] {
        while (pending.size() < inFlight) {
            const qint64 n = next++;
            const crash::Change c = crash::change(n);
            ZoneDatabase::RequestId request = 0;
            switch (c.kind) {
            case crash::Change::Kind::add:
                request =
                    database.addRecord(crash::zoneId(), crash::record(c.target, n), crash::soa(n));
                break;
            case crash::Change::Kind::update:
                request = database.updateRecord(crash::zoneId(), crash::record(c.target, n),
                                                crash::soa(n));
                break;
            case crash::Change::Kind::remove:
                request = database.deleteRecord(crash::zoneId(), crash::recordId(c.target),
                                                crash::soa(n));
                break;
            }
            pending.insert(request, n);
        }
    };
    QObject::connect(&database, &ZoneDatabase::opened, &app, [&] {
        std::printf("opened\n");
        std::fflush(stdout);
        issue();
    });
    QObject::connect(&database, &ZoneDatabase::openFailed, &app, [&](const QString& message) {
        std::printf("open failed: %s\n", qPrintable(message));
        std::fflush(stdout);
        app.exit(3);
    });
    QObject::connect(&database, &ZoneDatabase::written, &app, [&](ZoneDatabase::RequestId request) {
        std::printf("committed %lld\n", pending.take(request));
        std::fflush(stdout);
        issue();
    });
    QObject::connect(&database, &ZoneDatabase::writeFailed, &app,
                     [&](ZoneDatabase::RequestId request, const QString& message) {
                         std::printf("failed %lld: %s\n", pending.take(request),
                                     qPrintable(message));
                         std::fflush(stdout);
                         app.exit(2);
                     });
    database.open();
    return app.exec();
}
