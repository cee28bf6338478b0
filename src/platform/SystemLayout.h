#pragma once

#include <QString>
#include <QStringList>

namespace korvi {

// Every fixed path, command word and search path Korvi uses on the host.
// standard() holds the values of a Homebrew-style installation under
// /usr/local, which is what the application uses by default. Tests and the
// sandbox mode build a layout rooted in a private directory instead, so that
// nothing is written outside it.
struct SystemLayout {
    // BIND's files.
    QString namedConfigPath;
    QString zoneDirectory;
    QString bindExecutablePath;

    // Command runner: first words a shell command line may begin with, the
    // prefixes a first word may begin with, and the word admitted as is.
    QStringList allowedCommands;
    QStringList allowedCommandPrefixes;
    QString allowedPrivilegeCommand;
    // Directories whose contents Korvi may read and write.
    QStringList allowedPathPrefixes;

    QString shellPath;         // the shell that runs command lines
    QString shellSearchPath;   // PATH for command lines run through the shell
    QString processSearchPath; // PATH for programs run directly
    QString temporaryDirectory;
    // Lines added to the options block of the named.conf Korvi writes (a
    // private server keeps its pid file and keys inside its own directory).
    QStringList namedConfExtraOptionLines;
    int commandTimeoutMs = 30000;
    // After the time limit has asked a child to end (SIGTERM), how long it
    // gets before it is killed outright (SIGKILL).
    int commandKillGraceMs = 5000;

    static SystemLayout standard();
};

} // namespace korvi
