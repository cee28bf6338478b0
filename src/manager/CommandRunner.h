#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

#include "manager/ServerStatus.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;

// The end of every run: whether the child was started and exited with status
// 0, and everything it wrote to standard output and standard error (one
// channel, decoded as UTF-8; empty when the bytes are not valid UTF-8). When
// no child ran, the output is the reason. Called exactly once per run, always
// on the main thread and never before the call that started the run has
// returned.
using CommandCompletion = std::function<void(bool success, const QString& output)>;

// The one way Korvi runs programs on the host, apart from the short detection
// probes. Nothing goes through a shell: a command is a program and its
// arguments, so no text in an argument (a space, a quote, a "$", a line feed)
// can ever start a second command. Commands of the layout are checked against
// its allow-list and found on its command search path; known executables are
// run directly. Every run is limited in time and never blocks the caller.
//
// Runs hold the log weakly: they add lines only while it exists, and they go
// on to the end and call their completion even after it is gone.
class CommandRunner {
public:
    // Log lines go to log (may be null: no log lines).
    CommandRunner(const SystemLayout& layout, AppLog* log);

    // Whether a program may be run as a command: it is one of the allowed
    // names, begins with an allowed prefix or is the privilege command.
    bool isCommandAllowed(const QString& program) const;
    // Whether the path, once standardised (tilde expanded, "." and ".."
    // resolved, doubled and trailing slashes dropped), lies in one of the
    // directories Korvi may read and write.
    bool isValidPath(const QString& path) const;

    // The program a command's first word runs: a path as given, a bare name
    // as found on the layout's command search path (empty: found nowhere).
    // The allow-list is not consulted.
    QString commandExecutable(const QString& program) const;
    // The layout's command search path, the PATH of every child.
    const QString& commandSearchPath() const { return m_layout.commandSearchPath; }
    int commandTimeoutMs() const { return m_layout.commandTimeoutMs; }

    // Runs command[0] with the rest as its arguments, after the allow-list
    // check; a bare name is looked up on the layout's command search path.
    // Returns at once.
    void runCommand(const QStringList& command, CommandCompletion completion) const;
    // Runs the executable at path with the arguments. Returns at once. May be
    // called from any thread; the child is started on the main thread.
    void runProcess(const QString& path, const QStringList& arguments,
                    CommandCompletion completion) const;
    // The same, with each line of output handed to `progress` as it comes.
    void runProcess(const QString& path, const QStringList& arguments, CommandCompletion completion,
                    std::function<void(const QString& line)> progress) const;

    // The command as log lines show it: its words joined by single spaces.
    static QString displayText(const QStringList& command);

private:
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    QPointer<AppLog> m_log;
};

} // namespace korvi
