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
    // The named that command lines name. Where a command line names it, the
    // named that BIND detection found takes its place.
    QString bindExecutablePath;
    // Statements a named.conf for this layout needs in its options block
    // besides the ones Korvi always writes (a sandbox keeps its pid file and
    // keys inside the sandbox). Empty for the standard installation.
    QStringList namedConfOptionLines;
    // Top-level statements such a named.conf needs after the logging block.
    QStringList namedConfStatements;
    // Where the server answers queries.
    QString serverAddress;
    quint16 serverPort = 53;

    // Command runner: programs a command may name, the prefixes a program
    // may begin with, and the program admitted as is.
    QStringList allowedCommands;
    QStringList allowedCommandPrefixes;
    QString allowedPrivilegeCommand;
    // Directories whose contents Korvi may read and write.
    QStringList allowedPathPrefixes;

    QString commandSearchPath; // where commands' programs are found; their PATH
    QString processSearchPath; // PATH for programs run directly
    QString temporaryDirectory;
    // Korvi's own data (the zone database). Empty keeps the zones in memory
    // only, for the session.
    QString dataDirectory;
    int commandTimeoutMs = 30000;
    // After the time limit has asked a child to end (SIGTERM), how long it
    // gets before it is killed outright (SIGKILL).
    int commandKillGraceMs = 5000;

    // Detection: files tested in order, then the search through `which`.
    QStringList homebrewProbePaths;
    QStringList macPortsProbePaths;
    QStringList aptProbePaths; // empty where the host has no APT
    QStringList bindProbePaths;
    QString whichPath;
    QString bindSearchPath; // PATH for the search for named
    // Homebrew is confirmed by running `brew --version` through env.
    QString homebrewConfirmationPath;
    QStringList homebrewConfirmationArguments;
    QString homebrewConfirmationSearchPath;
    QStringList bindVersionArguments;

    // Installation of BIND: the first Homebrew executable that exists, the
    // MacPorts and APT executables, and their arguments. When Korvi does not
    // run as root, APT is run through the privilege prompt (if present).
    QStringList homebrewInstallPaths;
    QStringList homebrewInstallArguments;
    QString macPortsInstallPath;
    QStringList macPortsInstallArguments;
    QString aptInstallPath;
    QStringList aptInstallArguments;
    QString privilegePromptPath;

    // Server status: the program that lists the server's process numbers.
    QString statusCheckPath;
    QStringList statusCheckArguments;

    // Server log: files tested in order; the read command is this command
    // with the file's path as its last argument.
    QStringList bindLogPaths;
    QStringList logReadCommand;

    // Server control: each command is a program and its arguments, run
    // without a shell. An empty fallback means the first command is the only
    // attempt.
    QString launchDaemonPlistPath;
    QStringList startCommand;
    QStringList startFallbackCommand;
    QStringList stopCommand;
    QStringList stopFallbackCommand;
    QStringList reloadCommand;

    // Which control the manager uses: the commands above (launchd and sudo,
    // as on macOS), named started from startCommand and driven through rndc,
    // or the distribution's systemd unit.
    enum class Control { layoutCommands, rndc, systemd };
    Control serverControl = Control::layoutCommands;
    // rndc's key file and control port on serverAddress; empty and 0 leave
    // both to rndc's own configuration.
    QString rndcKeyPath;
    quint16 rndcControlPort = 0;
    // named's pid file: the status check asks whether that process is alive.
    QString pidFilePath;
    // The user named switches to after start-up (its -u) and the folder made
    // for its pid file first, group-owned by that user's group; both empty
    // for a named that runs as the current user.
    QString namedUser;
    QString runDirectory;
    QString systemdUnit; // with Control::systemd
    // The kernel's list of AppArmor profiles, where the kernel has AppArmor.
    QString appArmorProfilesPath;

    // What the dashboard calls this layout ("Debian / Ubuntu", "Sandbox", ...).
    QString layoutName;
    // A distribution's own BIND: Korvi writes only its include file (zone
    // statements), its zone files and one include line, never named.conf.
    // The paths follow OwnedFileLayout for the family under ownedRoot (empty
    // on a real host; tests move the whole tree into a folder of theirs).
    bool ownsIncludeOnly = false;
    QString ownedFamily; // "debian" or "fedora"
    QString ownedRoot;
    // The file that holds the server-wide options when the distribution owns
    // them (read-only in Korvi); empty where Korvi writes the options itself.
    QString packageOptionsPath;
    // korvi-helper, and whether Korvi's own files and the server's control go
    // through it (pkexec korvi-helper <verb>) or run in this process (root).
    QString helperPath;
    bool privilegedThroughHelper = false;

    // Where the package managers explain how to install them.
    QString homebrewInstallationPage;
    QString macPortsInstallationPage;

    static SystemLayout standard();
    // A distribution's own BIND (see HostLayout.h for the detection):
    // family "debian" or "fedora", all paths under root (empty: the real
    // host), controlled through systemd when it runs, else rndc.
    static SystemLayout distribution(const QString& family, const QString& root, bool systemd,
                                     bool throughHelper);
    // A layout set in Korvi's settings: Korvi writes the whole named.conf at
    // the given path (options editable) and zone files into the folder; its
    // named is started with that configuration and driven through rndc with
    // rndc's own configuration.
    static SystemLayout custom(const QString& namedConfigPath, const QString& zoneDirectory);

    // A private server rooted in rootDir (a path without spaces, quotes or
    // shell characters, since it appears in command lines and named.conf):
    // named.conf in rootDir/etc, zones in
    // rootDir/var/named, temporary files in rootDir/tmp, and only rootDir may
    // be read and written. Its named runs as the current user on 127.0.0.1 at
    // the given port. Creates rootDir/etc and rootDir/tmp.
    // It is controlled through rndc with the key rootDir/etc/rndc.key (which
    // must exist before named.conf is checked) on 127.0.0.1 at controlPort
    // (0: port + 1).
    static SystemLayout sandbox(const QString& rootDir, quint16 port, quint16 controlPort = 0);
};

} // namespace korvi
