#include "manager/CommandRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "manager/AppLog.h"
#include "manager/ProcessRun.h"

namespace korvi {

CommandRunner::CommandRunner(const SystemLayout& layout, AppLog* log)
    : m_layout(layout), m_log(log) {}

bool CommandRunner::isCommandAllowed(const QString& program) const {
    // An empty program is never allowed, whatever the lists hold.
    if (program.isEmpty())
        return false;
    if (m_layout.allowedCommands.contains(program))
        return true;
    for (const QString& prefix : m_layout.allowedCommandPrefixes) {
        if (!prefix.isEmpty() && program.startsWith(prefix))
            return true;
    }
    return program == m_layout.allowedPrivilegeCommand;
}

bool CommandRunner::isValidPath(const QString& path) const {
    // Only the user's own home is expanded ("~" and "~/..."); "~name" stays
    // as written and, being relative, lies in no allowed directory.
    QString expanded = path;
    if (expanded == u'~' || expanded.startsWith(QStringLiteral("~/")))
        expanded = QDir::homePath() + expanded.mid(1);
    const QString standard = QDir::cleanPath(expanded);
    for (const QString& prefix : m_layout.allowedPathPrefixes) {
        if (!prefix.isEmpty() && standard.startsWith(prefix))
            return true;
    }
    return false;
}

QString CommandRunner::displayText(const QStringList& command) {
    return command.join(u' ');
}

QString CommandRunner::commandExecutable(const QString& program) const {
    // A bare name is looked for on the command search path only, never on
    // Korvi's own PATH; a name found nowhere fails like a shell's lookup.
    if (program.contains(u'/'))
        return program;
    return QStandardPaths::findExecutable(
        program, m_layout.commandSearchPath.split(u':', Qt::SkipEmptyParts));
}

void CommandRunner::runCommand(const QStringList& command, CommandCompletion completion) const {
    const QString program = command.value(0);
    if (!isCommandAllowed(program)) {
        log(QStringLiteral("Command blocked for security reasons: ") + displayText(command),
            LogLevel::info);
        ProcessRun::deliver(completion, false,
                            QStringLiteral("Command blocked for security reasons"));
        return;
    }
    const QString executable = commandExecutable(program);
    if (executable.isEmpty()) {
        ProcessRun::deliver(completion, false, program + QStringLiteral(": command not found"));
        return;
    }
    ProcessRunRequest request;
    request.program = executable;
    request.arguments = command.mid(1);
    request.searchPath = m_layout.commandSearchPath;
    // pkexec may be showing a password prompt, and so may systemctl changing
    // a unit's state for a user (polkit asks through it): never cut short.
    static const QStringList promptingSystemctlVerbs = {
        QStringLiteral("start"), QStringLiteral("stop"), QStringLiteral("restart"),
        QStringLiteral("reload")};
    const bool mayPrompt =
        program == u"pkexec" ||
        (program == u"systemctl" && promptingSystemctlVerbs.contains(command.value(1)));
    request.timeoutMs = mayPrompt ? 0 : m_layout.commandTimeoutMs;
    request.killGraceMs = m_layout.commandKillGraceMs;
    request.timeoutMessage = QStringLiteral("⚠️ Command timed out: ") + displayText(command);
    request.timeoutLevel = LogLevel::info;
    request.startFailurePrefix = QStringLiteral("❌ Command execution failed: ");
    request.startFailureLevel = LogLevel::info;
    request.log = m_log;
    request.completion = std::move(completion);
    ProcessRun::start(request);
}

void CommandRunner::runProcess(const QString& path, const QStringList& arguments,
                               CommandCompletion completion) const {
    runProcess(path, arguments, std::move(completion), {});
}

void CommandRunner::runProcess(const QString& path, const QStringList& arguments,
                               CommandCompletion completion,
                               std::function<void(const QString& line)> progress) const {
    if (!QFileInfo::exists(path)) {
        const QString message = QStringLiteral("Executable not found: ") + path;
        log(message, LogLevel::error);
        ProcessRun::deliver(completion, false, message);
        return;
    }
    ProcessRunRequest request;
    request.program = path;
    request.arguments = arguments;
    request.searchPath = m_layout.processSearchPath;
    // A password prompt, or the helper installing BIND as root, runs as long
    // as it takes.
    const bool unlimited =
        (!m_layout.privilegePromptPath.isEmpty() && path == m_layout.privilegePromptPath) ||
        (m_layout.ownsIncludeOnly && path == m_layout.helperPath);
    request.timeoutMs = unlimited ? 0 : m_layout.commandTimeoutMs;
    request.killGraceMs = m_layout.commandKillGraceMs;
    request.timeoutMessage =
        QStringLiteral("Process timed out: ") + path + u' ' + arguments.join(u' ');
    request.timeoutLevel = LogLevel::warning;
    request.startFailurePrefix = QStringLiteral("Process execution failed: ");
    request.startFailureLevel = LogLevel::error;
    request.log = m_log;
    request.completion = std::move(completion);
    request.progress = std::move(progress);
    ProcessRun::start(request);
}

void CommandRunner::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

} // namespace korvi
