#include "manager/ServerController.h"

#include <QDir>

#include "manager/DNSServerManager.h"
#include "manager/ManagerTasks.h"

namespace korvi {

QString ServerController::commandLine(const QString& command, const SystemLayout& layout,
                                      const QString& detectedNamed) {
    if (detectedNamed.isEmpty() || layout.bindExecutablePath.isEmpty())
        return command;
    // Whole words only, split and joined at single spaces, so the rest of
    // the line stays exactly as it was.
    QStringList words = command.split(u' ');
    for (QString& word : words) {
        if (word == layout.bindExecutablePath)
            word = detectedNamed;
    }
    return words.join(u' ');
}

QStringList ServerController::attempts(const DNSServerManager& manager, const QString& first,
                                       const QString& fallback) {
    QStringList commands{commandLine(first, manager.layout(), manager.detectedBindPath())};
    if (!fallback.isEmpty())
        commands.append(commandLine(fallback, manager.layout(), manager.detectedBindPath()));
    return commands;
}

void ServerController::startServer(DNSServerManager& manager) {
    const SystemLayout& layout = manager.layout();
    // named will not start when the folder of its log file is missing.
    const QString dataDirectory = layout.zoneDirectory + QStringLiteral("/data");
    if (!QDir().mkpath(dataDirectory))
        manager.addLog(QStringLiteral("⚠️ Could not create the server's data folder: ") +
                           dataDirectory,
                       LogLevel::warning);
    Operation operation;
    operation.commands = attempts(manager, layout.startCommand, layout.startFallbackCommand);
    operation.successLines = {
        QStringLiteral("DNS server started successfully"),
        QStringLiteral("DNS server started successfully (alternative method)")};
    operation.successStatus = ServerStatus::running;
    operation.failurePrefix = QStringLiteral("Failed to start DNS server: ");
    attempt(manager, operation, 0);
}

void ServerController::stopServer(DNSServerManager& manager) {
    const SystemLayout& layout = manager.layout();
    Operation operation;
    operation.commands = attempts(manager, layout.stopCommand, layout.stopFallbackCommand);
    operation.successLines = {QStringLiteral("DNS server stopped successfully"),
                              QStringLiteral("DNS server stopped successfully")};
    operation.successStatus = ServerStatus::stopped;
    operation.failurePrefix = QStringLiteral("Failed to stop DNS server: ");
    attempt(manager, operation, 0);
}

void ServerController::attempt(DNSServerManager& manager, const Operation& operation, int index) {
    const QPointer<DNSServerManager> guard(&manager);
    manager.executeCommand(operation.commands[index], [guard, operation,
                                                       index](bool success, const QString& output) {
        // Handled behind whatever the main thread has queued.
        ManagerTasks::onMainThread(guard, [operation, index, success, output](DNSServerManager& m) {
            attemptDone(m, operation, index, success, output);
        });
    });
}

void ServerController::attemptDone(DNSServerManager& manager, const Operation& operation, int index,
                                   bool success, const QString& output) {
    if (success) {
        manager.setServerStatus(operation.successStatus);
        manager.addLog(operation.successLines[index], LogLevel::success);
        return;
    }
    // Only the last attempt's output reaches the log.
    if (index + 1 < operation.commands.size()) {
        attempt(manager, operation, index + 1);
        return;
    }
    manager.setServerStatus(ServerStatus::error);
    manager.addLog(operation.failurePrefix + output, LogLevel::error);
}

void ServerController::reloadServer(DNSServerManager& manager) {
    const QString command =
        commandLine(manager.layout().reloadCommand, manager.layout(), manager.detectedBindPath());
    const QPointer<DNSServerManager> guard(&manager);
    manager.executeCommand(command, [guard](bool success, const QString& output) {
        ManagerTasks::onMainThread(guard, [success, output](DNSServerManager& m) {
            if (!success) {
                m.addLog(QStringLiteral("Failed to reload configuration: ") + output,
                         LogLevel::error);
                return;
            }
            m.addLog(QStringLiteral("Configuration reloaded successfully"), LogLevel::success);
            m.loadConfigurationFromFile();
        });
    });
}

// The manager's own names for server control.

void DNSServerManager::startServer() {
    ServerController::startServer(*this);
}
void DNSServerManager::stopServer() {
    ServerController::stopServer(*this);
}
void DNSServerManager::reloadServer() {
    ServerController::reloadServer(*this);
}

} // namespace korvi
