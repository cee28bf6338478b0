#include "manager/ServerLogReader.h"

#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

#include "manager/DNSServerManager.h"
#include "manager/ManagerTasks.h"

namespace korvi {

void ServerLogReader::loadBindLogs(DNSServerManager& manager) {
    manager.addLog(QStringLiteral("🔄 Loading BIND server logs..."), LogLevel::info);
    for (const QString& path : manager.layout().bindLogPaths) {
        if (QFileInfo(path).isFile()) {
            readBindLogFile(manager, path);
            return;
        }
    }
    manager.addLog(QStringLiteral("📄 No BIND log files found at standard locations"),
                   LogLevel::warning);
}

void ServerLogReader::readBindLogFile(DNSServerManager& manager, const QString& path) {
    if (!manager.isValidPath(path)) {
        manager.addLog(QStringLiteral("❌ Invalid log file path: ") + path, LogLevel::error);
        return;
    }
    const QString command = manager.layout().logReadCommandPrefix + path;
    const QPointer<DNSServerManager> guard(&manager);
    manager.executeCommand(command, [guard, path](bool success, const QString& output) {
        ManagerTasks::onMainThread(guard, [path, success, output](DNSServerManager& m) {
            apply(m, path, success, output);
        });
    });
}

QStringList ServerLogReader::shownLines(const QString& output) {
    static const QRegularExpression lineBreaks(
        QStringLiteral("[\\n\\x{0B}\\x{0C}\\r\\x{85}\\x{2028}\\x{2029}]"));
    QStringList lines = output.split(lineBreaks, Qt::SkipEmptyParts);
    if (lines.size() > maximumLines)
        lines = lines.mid(lines.size() - maximumLines);
    return lines;
}

void ServerLogReader::apply(DNSServerManager& manager, const QString& path, bool success,
                            const QString& output) {
    if (!success) {
        manager.addLog(QStringLiteral("❌ Failed to read BIND log file: ") + path, LogLevel::error);
        return;
    }
    const QStringList lines = shownLines(output);
    if (lines.isEmpty())
        return;
    manager.appendRawLogLines(QStringList{QStringLiteral("--- BIND Server Logs ---")} + lines);
    manager.addLog(QStringLiteral("📄 Loaded ") + QString::number(lines.size()) +
                       QStringLiteral(" BIND log entries"),
                   LogLevel::success);
}

// The manager's own names for log reading.

void DNSServerManager::loadBindLogs() {
    ServerLogReader::loadBindLogs(*this);
}

void DNSServerManager::readBindLogFile(const QString& path) {
    ServerLogReader::readBindLogFile(*this, path);
}

} // namespace korvi
