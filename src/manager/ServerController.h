#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include "manager/ServerStatus.h"

namespace korvi {

class DNSServerManager;
struct SystemLayout;

// Starts, stops and reloads the server with the layout's command lines. Start
// and stop try a second command when the first fails, if the layout gives
// one; the outcome sets the status and is logged.
class ServerController {
public:
    static void startServer(DNSServerManager& manager);
    static void stopServer(DNSServerManager& manager);
    static void reloadServer(DNSServerManager& manager);

    // The command line with every word that is the layout's named replaced
    // by the named that detection found, when it found one.
    static QString commandLine(const QString& command, const SystemLayout& layout,
                               const QString& detectedNamed);

private:
    // A start or a stop: its command lines in order, the success line of
    // each, the status on success, and the prefix of the failure line.
    struct Operation {
        QStringList commands;
        QStringList successLines;
        ServerStatus successStatus = ServerStatus::unknown;
        QString failurePrefix;
    };

    static void attempt(DNSServerManager& manager, const Operation& operation, int index);
    static void attemptDone(DNSServerManager& manager, const Operation& operation, int index,
                            bool success, const QString& output);
    // The layout's first and fallback command, as the host will run them.
    static QStringList attempts(const DNSServerManager& manager, const QString& first,
                                const QString& fallback);
};

} // namespace korvi
