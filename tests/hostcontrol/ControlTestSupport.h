#pragma once

// What the server-control tests share: the messages of a bare application log.

#include "HostTestSupport.h"
#include "manager/AppLog.h"

namespace korvi::test {

// Messages of the log's time-stamped lines, in order.
inline QStringList messages(const AppLog& log) {
    QStringList result;
    for (const QString& line : log.lines()) {
        const LogEntry entry = parseLogLine(line);
        if (entry.level)
            result.append(entry.message);
    }
    return result;
}

} // namespace korvi::test
