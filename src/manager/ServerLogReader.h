#pragma once

#include <QString>
#include <QStringList>

namespace korvi {

class DNSServerManager;

// Shows the last lines of the BIND server's own log in the application log,
// under a separator line.
class ServerLogReader {
public:
    static constexpr int maximumLines = 50;

    // Reads the first log file of the layout's list that exists.
    static void loadBindLogs(DNSServerManager& manager);
    static void readBindLogFile(DNSServerManager& manager, const QString& path);
    // The lines of tail's output that are shown: the non-empty ones, at most
    // the last 50.
    static QStringList shownLines(const QString& output);

private:
    static void apply(DNSServerManager& manager, const QString& path, bool success,
                      const QString& output);
};

} // namespace korvi
