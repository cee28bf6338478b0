#include <QCoreApplication>
#include <QTimer>

#include "manager/DNSServerManager.h"
#include "platform/NotificationCenter.h"

// For now Korvi runs headless: it brings up the manager, lets its queued work
// run once, and quits, saving on the way out as the window will.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));

    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
        korvi::NotificationCenter::instance().post(korvi::appWillTerminateNotification);
    });
    korvi::DNSServerManager manager;
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
