#include "ui/dashboard/ServerStatusStyle.h"

#include <QCoreApplication>

#include "ui/widgets/Palette.h"

namespace korvi {

QString ServerStatusStyle::statusText(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Server Running");
    case ServerStatus::stopped:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Server Stopped");
    case ServerStatus::error:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Server Error");
    case ServerStatus::unknown:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Status Unknown");
    case ServerStatus::notInstalled:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "BIND Not Installed");
    }
    return QCoreApplication::translate("korvi::ServerStatusStyle", "Status Unknown");
}

QString ServerStatusStyle::valueText(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Running");
    case ServerStatus::stopped:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Stopped");
    case ServerStatus::error:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Error");
    case ServerStatus::unknown:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Unknown");
    case ServerStatus::notInstalled:
        return QCoreApplication::translate("korvi::ServerStatusStyle", "Not Installed");
    }
    return QCoreApplication::translate("korvi::ServerStatusStyle", "Unknown");
}

QColor ServerStatusStyle::color(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return namedColor(NamedColor::green);
    case ServerStatus::stopped:
    case ServerStatus::error:
        return namedColor(NamedColor::red);
    case ServerStatus::unknown:
        return namedColor(NamedColor::gray);
    case ServerStatus::notInstalled:
        return namedColor(NamedColor::orange);
    }
    return namedColor(NamedColor::gray);
}

} // namespace korvi
