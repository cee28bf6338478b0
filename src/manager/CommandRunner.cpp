#include "manager/CommandRunner.h"

#include <QDir>
#include <QFileInfo>

#include "manager/DNSServerManager.h"
#include "manager/ProcessRun.h"

namespace korvi {

namespace {

// Removed from every command line before the shell sees it, in this order, so
// that a command can neither chain, pipe, redirect, substitute nor quote.
const QStringList& shellMetacharacters() {
    static const QStringList characters = {
        QStringLiteral("&&"), QStringLiteral("||"), QStringLiteral(";"), QStringLiteral("|"),
        QStringLiteral("`"),  QStringLiteral("$"),  QStringLiteral("("), QStringLiteral(")"),
        QStringLiteral("<"),  QStringLiteral(">"),  QStringLiteral("&"), QStringLiteral("\\"),
        QStringLiteral("\""), QStringLiteral("'")};
    return characters;
}

} // namespace

CommandRunner::CommandRunner(const SystemLayout& layout, DNSServerManager* manager)
    : m_layout(layout), m_manager(manager) {}

bool CommandRunner::isCommandAllowed(const QString& command) const {
    // Only the text before the first space counts; a leading space makes it
    // empty, and an empty first word is never allowed.
    const qsizetype space = command.indexOf(u' ');
    const QString firstWord = space < 0 ? command : command.left(space);
    if (firstWord.isEmpty())
        return false;
    if (m_layout.allowedCommands.contains(firstWord))
        return true;
    for (const QString& prefix : m_layout.allowedCommandPrefixes) {
        if (!prefix.isEmpty() && firstWord.startsWith(prefix))
            return true;
    }
    return firstWord == m_layout.allowedPrivilegeCommand;
}

QString CommandRunner::sanitizeCommand(const QString& command) {
    QString cleaned = command;
    for (const QString& characters : shellMetacharacters())
        cleaned.remove(characters);
    return cleaned.trimmed();
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

void CommandRunner::executeCommand(const QString& command, CommandCompletion completion) const {
    if (!isCommandAllowed(command)) {
        log(QStringLiteral("Command blocked for security reasons: ") + command, LogLevel::info);
        ProcessRun::deliver(completion, false,
                            QStringLiteral("Command blocked for security reasons"));
        return;
    }
    ProcessRunRequest request;
    request.program = m_layout.shellPath;
    request.arguments = {QStringLiteral("-c"), sanitizeCommand(command)};
    request.searchPath = m_layout.shellSearchPath;
    request.timeoutMs = m_layout.commandTimeoutMs;
    request.killGraceMs = m_layout.commandKillGraceMs;
    request.timeoutMessage = QStringLiteral("⚠️ Command timed out: ") + command;
    request.timeoutLevel = LogLevel::info;
    request.startFailurePrefix = QStringLiteral("❌ Command execution failed: ");
    request.startFailureLevel = LogLevel::info;
    request.manager = m_manager;
    request.completion = std::move(completion);
    ProcessRun::start(request);
}

void CommandRunner::runProcess(const QString& path, const QStringList& arguments,
                               CommandCompletion completion) const {
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
    request.timeoutMs = m_layout.commandTimeoutMs;
    request.killGraceMs = m_layout.commandKillGraceMs;
    request.timeoutMessage =
        QStringLiteral("Process timed out: ") + path + u' ' + arguments.join(u' ');
    request.timeoutLevel = LogLevel::warning;
    request.startFailurePrefix = QStringLiteral("Process execution failed: ");
    request.startFailureLevel = LogLevel::error;
    request.manager = m_manager;
    request.completion = std::move(completion);
    ProcessRun::start(request);
}

void CommandRunner::log(const QString& message, LogLevel level) const {
    if (m_manager)
        m_manager->addLog(message, level);
}

// The manager's own names for the runner's operations.

bool DNSServerManager::isCommandAllowed(const QString& command) const {
    return m_commandRunner.isCommandAllowed(command);
}

QString DNSServerManager::sanitizeCommand(const QString& command) const {
    return CommandRunner::sanitizeCommand(command);
}

bool DNSServerManager::isValidPath(const QString& path) const {
    return m_commandRunner.isValidPath(path);
}

void DNSServerManager::executeCommand(const QString& command, CommandCompletion completion) {
    m_commandRunner.executeCommand(command, std::move(completion));
}

void DNSServerManager::runProcess(const QString& path, const QStringList& arguments,
                                  CommandCompletion completion) {
    m_commandRunner.runProcess(path, arguments, std::move(completion));
}

} // namespace korvi
