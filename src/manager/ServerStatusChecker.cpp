#include "manager/ServerStatusChecker.h"

#include <QPointer>

#include "manager/DNSServerManager.h"
#include "manager/ManagerTasks.h"

namespace korvi {

void ServerStatusChecker::check(DNSServerManager& manager) {
    if (!manager.isBindInstalled()) {
        manager.setServerStatus(ServerStatus::notInstalled);
        return;
    }
    const QPointer<DNSServerManager> guard(&manager);
    const SystemLayout& layout = manager.layout();
    manager.runProcess(layout.statusCheckPath, layout.statusCheckArguments,
                       [guard](bool success, const QString& output) {
                           // Handled behind whatever the main thread has queued.
                           ManagerTasks::onMainThread(guard,
                                                      [success, output](DNSServerManager& m) {
                                                          apply(m, success, output);
                                                      });
                       });
}

void ServerStatusChecker::apply(DNSServerManager& manager, bool success, const QString& output) {
    const QString processes = output.trimmed();
    if (success && !processes.isEmpty()) {
        manager.setServerStatus(ServerStatus::running);
        manager.addLog(QStringLiteral("DNS server process detected (PID: ") + processes + u')',
                       LogLevel::debug);
        return;
    }
    manager.setServerStatus(ServerStatus::stopped);
    manager.addLog(QStringLiteral("DNS server process not found"), LogLevel::debug);
}

// The manager's own name for the status check.

void DNSServerManager::checkServerStatus() {
    ServerStatusChecker::check(*this);
}

} // namespace korvi
