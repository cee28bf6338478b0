#include "manager/LayoutServerControl.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "manager/AppLog.h"
#include "manager/HostDetection.h"
#include "manager/ManagerTasks.h"

namespace korvi {

LayoutServerControl::LayoutServerControl(const SystemLayout& layout, const CommandRunner& runner,
                                         AppLog* log, const HostDetection* detection,
                                         QObject* parent)
    : ServerControl(parent), m_layout(layout), m_runner(runner), m_log(log),
      m_detection(detection) {}

void LayoutServerControl::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

QStringList LayoutServerControl::withDetectedNamed(const QStringList& command,
                                                   const SystemLayout& layout,
                                                   const QString& detectedNamed) {
    if (detectedNamed.isEmpty() || layout.bindExecutablePath.isEmpty())
        return command;
    QStringList words = command;
    for (QString& word : words) {
        if (word == layout.bindExecutablePath)
            word = detectedNamed;
    }
    return words;
}

QList<QStringList> LayoutServerControl::attempts(const QStringList& first,
                                                 const QStringList& fallback) const {
    const QString named = m_detection->bindPath();
    QList<QStringList> commands{withDetectedNamed(first, m_layout, named)};
    if (!fallback.isEmpty())
        commands.append(withDetectedNamed(fallback, m_layout, named));
    return commands;
}

void LayoutServerControl::start() {
    // named will not start when the folder of its log file is missing.
    const QString dataDirectory = m_layout.zoneDirectory + QStringLiteral("/data");
    if (!QDir().mkpath(dataDirectory))
        log(QStringLiteral("⚠️ Could not create the server's data folder: ") + dataDirectory,
            LogLevel::warning);
    Operation operation;
    operation.commands = attempts(m_layout.startCommand, m_layout.startFallbackCommand);
    operation.successLines = {
        QStringLiteral("DNS server started successfully"),
        QStringLiteral("DNS server started successfully (alternative method)")};
    operation.successStatus = ServerStatus::running;
    operation.failurePrefix = QStringLiteral("Failed to start DNS server: ");
    attempt(operation, 0);
}

void LayoutServerControl::stop() {
    Operation operation;
    operation.commands = attempts(m_layout.stopCommand, m_layout.stopFallbackCommand);
    operation.successLines = {QStringLiteral("DNS server stopped successfully"),
                              QStringLiteral("DNS server stopped successfully")};
    operation.successStatus = ServerStatus::stopped;
    operation.failurePrefix = QStringLiteral("Failed to stop DNS server: ");
    attempt(operation, 0);
}

void LayoutServerControl::attempt(const Operation& operation, int index) {
    const QPointer<LayoutServerControl> guard(this);
    m_runner.runCommand(
        operation.commands[index], [guard, operation, index](bool success, const QString& output) {
            // Handled behind whatever the main thread has queued.
            ManagerTasks::onMainThread<LayoutServerControl>(
                guard, [operation, index, success, output](LayoutServerControl& control) {
                    control.attemptDone(operation, index, success, output);
                });
        });
}

void LayoutServerControl::attemptDone(const Operation& operation, int index, bool success,
                                      const QString& output) {
    if (success) {
        setStatus(operation.successStatus);
        log(operation.successLines[index], LogLevel::success);
        return;
    }
    // Only the last attempt's output reaches the log.
    if (index + 1 < operation.commands.size()) {
        attempt(operation, index + 1);
        return;
    }
    setStatus(ServerStatus::error);
    log(operation.failurePrefix + output, LogLevel::error);
}

void LayoutServerControl::reload() {
    const QStringList command =
        withDetectedNamed(m_layout.reloadCommand, m_layout, m_detection->bindPath());
    const QPointer<LayoutServerControl> guard(this);
    m_runner.runCommand(command, [guard](bool success, const QString& output) {
        ManagerTasks::onMainThread<LayoutServerControl>(
            guard, [success, output](LayoutServerControl& control) {
                if (!success)
                    control.log(QStringLiteral("Failed to reload configuration: ") + output,
                                LogLevel::error);
                else
                    control.log(QStringLiteral("Configuration reloaded successfully"),
                                LogLevel::success);
                Q_EMIT control.reloadFinished(success);
            });
    });
}

void LayoutServerControl::checkStatus() {
    if (!m_detection->isBindInstalled()) {
        settleStatus(ServerStatus::notInstalled);
        return;
    }
    const QPointer<LayoutServerControl> guard(this);
    m_runner.runProcess(m_layout.statusCheckPath, m_layout.statusCheckArguments,
                        [guard](bool success, const QString& output) {
                            // Handled behind whatever the main thread has queued.
                            ManagerTasks::onMainThread<LayoutServerControl>(
                                guard, [success, output](LayoutServerControl& control) {
                                    control.applyStatus(success, output);
                                });
                        });
}

void LayoutServerControl::applyStatus(bool success, const QString& output) {
    const QString processes = output.trimmed();
    if (success && !processes.isEmpty()) {
        if (settleStatus(ServerStatus::running))
            log(QStringLiteral("DNS server process detected (PID: ") + processes + u')',
                LogLevel::debug);
        return;
    }
    if (settleStatus(ServerStatus::stopped))
        log(QStringLiteral("DNS server process not found"), LogLevel::debug);
}

void LayoutServerControl::loadLog() {
    log(QStringLiteral("🔄 Loading BIND server logs..."), LogLevel::info);
    for (const QString& path : m_layout.bindLogPaths) {
        if (QFileInfo(path).isFile()) {
            readLogFile(path);
            return;
        }
    }
    log(QStringLiteral("📄 No BIND log files found at standard locations"), LogLevel::warning);
}

void LayoutServerControl::readLogFile(const QString& path) {
    if (!m_runner.isValidPath(path)) {
        log(QStringLiteral("❌ Invalid log file path: ") + path, LogLevel::error);
        return;
    }
    // The path is one argument of its own, whatever characters it holds.
    const QStringList command = m_layout.logReadCommand + QStringList{path};
    const QPointer<LayoutServerControl> guard(this);
    m_runner.runCommand(command, [guard, path](bool success, const QString& output) {
        ManagerTasks::onMainThread<LayoutServerControl>(
            guard, [path, success, output](LayoutServerControl& control) {
                control.applyLog(path, success, output);
            });
    });
}

QStringList LayoutServerControl::shownLines(const QString& output) {
    static const QRegularExpression lineBreaks(
        QStringLiteral("[\\n\\x{0B}\\x{0C}\\r\\x{85}\\x{2028}\\x{2029}]"));
    QStringList lines = output.split(lineBreaks, Qt::SkipEmptyParts);
    if (lines.size() > maximumLogLines)
        lines = lines.mid(lines.size() - maximumLogLines);
    return lines;
}

void LayoutServerControl::applyLog(const QString& path, bool success, const QString& output) {
    if (!success) {
        log(QStringLiteral("❌ Failed to read BIND log file: ") + path, LogLevel::error);
        return;
    }
    const QStringList lines = shownLines(output);
    if (lines.isEmpty() || !m_log)
        return;
    m_log->appendRaw(QStringList{QStringLiteral("--- BIND Server Logs ---")} + lines);
    log(QStringLiteral("📄 Loaded ") + QString::number(lines.size()) +
            QStringLiteral(" BIND log entries"),
        LogLevel::success);
}

} // namespace korvi
