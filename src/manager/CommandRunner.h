#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

#include "manager/ServerStatus.h"
#include "platform/SystemLayout.h"

namespace korvi {

class DNSServerManager;

// The end of every run: whether the child was started and exited with status
// 0, and everything it wrote to standard output and standard error (one
// channel, decoded as UTF-8; empty when the bytes are not valid UTF-8). When
// no child ran, the output is the reason. Called exactly once per run, always
// on the main thread and never before the call that started the run has
// returned.
using CommandCompletion = std::function<void(bool success, const QString& output)>;

// The one way Korvi runs programs on the host, apart from the short detection
// probes. Command lines go through the shell after an allow-list check on
// their first word and the removal of shell metacharacters; known executables
// are run directly. Every run is limited in time and never blocks the caller.
//
// Runs hold the manager weakly: they add log lines only while it exists, and
// they go on to the end and call their completion even after it is gone. A
// completion that uses the manager must therefore hold it weakly as well.
class CommandRunner {
public:
    // Log lines go to manager (may be null: no log lines).
    CommandRunner(const SystemLayout& layout, DNSServerManager* manager);

    // Whether the first word of the command line (the text before the first
    // space, empty when the line begins with a space) may be run.
    bool isCommandAllowed(const QString& command) const;
    // The command line with every shell metacharacter removed and white space
    // trimmed at both ends.
    static QString sanitizeCommand(const QString& command);
    // Whether the path, once standardised (tilde expanded, "." and ".."
    // resolved, doubled and trailing slashes dropped), lies in one of the
    // directories Korvi may read and write.
    bool isValidPath(const QString& path) const;

    // Runs the command line through the shell. Returns at once.
    void executeCommand(const QString& command, CommandCompletion completion) const;
    // Runs the executable at path with the arguments, without a shell.
    // Returns at once. May be called from any thread; the child is started on
    // the main thread.
    void runProcess(const QString& path, const QStringList& arguments,
                    CommandCompletion completion) const;

private:
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    QPointer<DNSServerManager> m_manager;
};

} // namespace korvi
