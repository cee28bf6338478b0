#include "ui/dashboard/ServerStatusStyle.h"

#include "ui/widgets/Palette.h"

namespace korvi {

QString ServerStatusStyle::statusText(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QStringLiteral("Server Running");
    case ServerStatus::stopped:
        return QStringLiteral("Server Stopped");
    case ServerStatus::error:
        return QStringLiteral("Server Error");
    case ServerStatus::unknown:
        return QStringLiteral("Status Unknown");
    case ServerStatus::notInstalled:
        return QStringLiteral("BIND Not Installed");
    }
    return QStringLiteral("Status Unknown");
}

QString ServerStatusStyle::valueText(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QStringLiteral("Running");
    case ServerStatus::stopped:
        return QStringLiteral("Stopped");
    case ServerStatus::error:
        return QStringLiteral("Error");
    case ServerStatus::unknown:
        return QStringLiteral("Unknown");
    case ServerStatus::notInstalled:
        return QStringLiteral("Not Installed");
    }
    return QStringLiteral("Unknown");
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
