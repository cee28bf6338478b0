#pragma once

#include <QColor>
#include <QString>

#include "manager/ServerStatus.h"

namespace korvi {

// How a server status is shown: the sidebar's sentence ("Server Running"),
// the short value of the dashboard and other screens ("Running"), and the
// indicator colour shared by both.
class ServerStatusStyle {
public:
    static QString statusText(ServerStatus status);
    static QString valueText(ServerStatus status);
    static QColor color(ServerStatus status);
};

} // namespace korvi
