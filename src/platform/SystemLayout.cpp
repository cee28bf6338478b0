#include "platform/SystemLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

namespace korvi {

namespace {

// The BIND executables detection looks for, in order.
QStringList namedLocations() {
    return {QStringLiteral("/opt/homebrew/sbin/named"), QStringLiteral("/usr/local/sbin/named"),
            QStringLiteral("/opt/local/sbin/named"), QStringLiteral("/usr/sbin/named"),
            QStringLiteral("/usr/bin/named")};
}

// korvi-helper beside the running program (a build tree), else where the
// install put it.
QString helperLocation() {
    if (QCoreApplication::instance()) {
        const QString beside =
            QCoreApplication::applicationDirPath() + QStringLiteral("/korvi-helper");
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return QStringLiteral(KORVI_HELPER_INSTALL_PATH);
}

} // namespace

namespace {

// The launchd, sudo and pgrep commands of the macOS layout: layouts that
// control named through rndc or systemd have none of them.
void dropLaunchdCommands(SystemLayout& layout) {
    layout.launchDaemonPlistPath.clear();
    layout.startFallbackCommand.clear();
    layout.stopCommand.clear();
    layout.stopFallbackCommand.clear();
    layout.reloadCommand.clear();
    layout.statusCheckPath.clear();
    layout.statusCheckArguments.clear();
}

} // namespace

SystemLayout SystemLayout::standard() {
    SystemLayout layout;
    layout.namedConfigPath = QStringLiteral("/usr/local/etc/named.conf");
    layout.zoneDirectory = QStringLiteral("/usr/local/var/named");
    layout.bindExecutablePath = QStringLiteral("/usr/local/sbin/named");
    layout.serverAddress = QStringLiteral("127.0.0.1");
    layout.serverPort = 53;
    // "tail" reads the server's log (see bindLogPaths).
    layout.allowedCommands = {QStringLiteral("brew"),
                              QStringLiteral("port"),
                              QStringLiteral("which"),
                              QStringLiteral("pgrep"),
                              QStringLiteral("ps"),
                              QStringLiteral("launchctl"),
                              QStringLiteral("named-checkconf"),
                              QStringLiteral("named-checkzone"),
                              QStringLiteral("tsig-keygen"),
                              QStringLiteral("tail")};
    layout.allowedCommandPrefixes = {QStringLiteral("/usr/local/"), QStringLiteral("/opt/local/")};
    layout.allowedPrivilegeCommand = QStringLiteral("sudo");
    layout.allowedPathPrefixes = {
        QStringLiteral("/usr/local/etc/"), QStringLiteral("/usr/local/var/named/"),
        QStringLiteral("/opt/local/etc/"), QStringLiteral("/opt/local/var/named/")};
    layout.commandSearchPath =
        QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin:/opt/local/bin");
    layout.processSearchPath = QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin:/opt/"
                                              "local/bin:/opt/homebrew/bin:/opt/homebrew/sbin");
    layout.temporaryDirectory = QStringLiteral("/tmp");
    layout.dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    layout.commandTimeoutMs = 30000;
    layout.commandKillGraceMs = 5000;

    layout.homebrewProbePaths = {QStringLiteral("/opt/homebrew/bin/brew"),
                                 QStringLiteral("/usr/local/bin/brew"),
                                 QStringLiteral("/home/linuxbrew/.linuxbrew/bin/brew")};
    layout.macPortsProbePaths = {QStringLiteral("/opt/local/bin/port")};
#if !defined(Q_OS_MACOS)
    layout.aptProbePaths = {QStringLiteral("/usr/bin/apt-get")};
#endif
    layout.bindProbePaths = namedLocations();
    layout.whichPath = QStringLiteral("/usr/bin/which");
    layout.bindSearchPath = QStringLiteral(
        "/opt/homebrew/sbin:/usr/local/sbin:/opt/local/sbin:/usr/sbin:/usr/bin:/bin");
    layout.homebrewConfirmationPath = QStringLiteral("/usr/bin/env");
    layout.homebrewConfirmationArguments = {QStringLiteral("brew"), QStringLiteral("--version")};
    layout.homebrewConfirmationSearchPath =
        QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin");
    layout.bindVersionArguments = {QStringLiteral("-v")};

    layout.homebrewInstallPaths = {QStringLiteral("/opt/homebrew/bin/brew"),
                                   QStringLiteral("/usr/local/bin/brew")};
    layout.homebrewInstallArguments = {QStringLiteral("install"), QStringLiteral("bind")};
    layout.macPortsInstallPath = QStringLiteral("/opt/local/bin/port");
    layout.macPortsInstallArguments = {QStringLiteral("install"), QStringLiteral("bind9"),
                                       QStringLiteral("+server")};
    layout.aptInstallPath = QStringLiteral("/usr/bin/apt-get");
    layout.aptInstallArguments = {QStringLiteral("install"), QStringLiteral("-y"),
                                  QStringLiteral("bind9"), QStringLiteral("bind9-utils")};
    layout.privilegePromptPath = QStringLiteral("/usr/bin/pkexec");

    layout.appArmorProfilesPath = QStringLiteral("/sys/kernel/security/apparmor/profiles");

    layout.statusCheckPath = QStringLiteral("/usr/bin/pgrep");
    layout.statusCheckArguments = {QStringLiteral("named")};

    // The log Korvi's own named.conf configures comes first.
    layout.bindLogPaths = {layout.zoneDirectory + QStringLiteral("/data/named.run"),
                           QStringLiteral("/var/log/named.log"),
                           QStringLiteral("/usr/local/var/log/named.log"),
                           QStringLiteral("/opt/local/var/log/named.log")};
    layout.logReadCommand = {QStringLiteral("tail"), QStringLiteral("-n"), QStringLiteral("50")};

    layout.launchDaemonPlistPath =
        QStringLiteral("/usr/local/etc/LaunchDaemons/org.isc.named.plist");
    layout.startCommand = {QStringLiteral("launchctl"), QStringLiteral("load"),
                           QStringLiteral("-w"), layout.launchDaemonPlistPath};
    layout.startFallbackCommand = {QStringLiteral("sudo"), layout.bindExecutablePath,
                                   QStringLiteral("-c"), layout.namedConfigPath};
    layout.stopCommand = {QStringLiteral("launchctl"), QStringLiteral("unload"),
                          layout.launchDaemonPlistPath};
    layout.stopFallbackCommand = {QStringLiteral("sudo"), QStringLiteral("pkill"),
                                  QStringLiteral("named")};
    layout.reloadCommand = {QStringLiteral("sudo"), QStringLiteral("pkill"), QStringLiteral("-HUP"),
                            QStringLiteral("named")};

    layout.homebrewInstallationPage = QStringLiteral("https://brew.sh");
    layout.macPortsInstallationPage = QStringLiteral("https://www.macports.org/install.php");
    layout.layoutName = QStringLiteral("macOS / Homebrew");
    layout.helperPath = helperLocation();
    return layout;
}

SystemLayout SystemLayout::distribution(const QString& family, const QString& root, bool systemd,
                                        bool throughHelper) {
    SystemLayout layout = standard();
    const bool fedora = family == u"fedora";
    const QString base = root.isEmpty() ? QString() : QDir::cleanPath(root);
    const auto at = [&base](const char* path) { return base + QLatin1String(path); };
    layout.ownsIncludeOnly = true;
    layout.ownedFamily = fedora ? QStringLiteral("fedora") : QStringLiteral("debian");
    layout.ownedRoot = base;
    // A layout rebased below a folder (a copy of the machine's files) keeps
    // Korvi's own data there too, never in the user's data folder.
    if (!base.isEmpty())
        layout.dataDirectory = at("/korvi-data");
    layout.privilegedThroughHelper = throughHelper;
    layout.layoutName =
        fedora ? QStringLiteral("Fedora / RHEL") : QStringLiteral("Debian / Ubuntu");
    layout.namedConfigPath = at(fedora ? "/etc/named.conf" : "/etc/bind/named.conf");
    // Korvi's zone files, in the folder OwnedFileLayout gives the family.
    layout.zoneDirectory = at(fedora ? "/var/named/korvi" : "/var/lib/bind/korvi");
    // Debian's server-wide options live in a file the package owns; Fedora
    // keeps them in named.conf itself.
    layout.packageOptionsPath = at(fedora ? "/etc/named.conf" : "/etc/bind/named.conf.options");
    layout.bindExecutablePath = QStringLiteral("/usr/sbin/named");
    layout.serverAddress = QStringLiteral("127.0.0.1");
    layout.serverPort = 53;
    layout.allowedPathPrefixes = {layout.zoneDirectory + u'/'};
    layout.allowedCommands = {QStringLiteral("named-checkconf"),
                              QStringLiteral("named-checkzone"),
                              QStringLiteral("tsig-keygen"),
                              QStringLiteral("tail"),
                              QStringLiteral("rndc"),
                              QStringLiteral("dig"),
                              QStringLiteral("systemctl"),
                              QStringLiteral("journalctl"),
                              layout.helperPath};
    layout.allowedCommands.append(namedLocations());
    layout.allowedCommandPrefixes.clear();
    layout.allowedPrivilegeCommand = QStringLiteral("pkexec");
    layout.commandSearchPath = QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin");
    dropLaunchdCommands(layout);
    // The log is the journal under systemd, else the file channel the
    // configuration names (found when the log is read).
    layout.bindLogPaths.clear();

    // The distribution's user, run folder and pid file (named -V).
    layout.namedUser = fedora ? QStringLiteral("named") : QStringLiteral("bind");
    layout.pidFilePath = QStringLiteral("/run/named/named.pid");
    layout.systemdUnit = QStringLiteral("named.service");
    if (systemd) {
        layout.serverControl = Control::systemd;
    } else {
        layout.serverControl = Control::rndc;
        layout.runDirectory = QStringLiteral("/run/named");
        // As the distribution's init script starts it; through the helper
        // when Korvi is not root, since only root may switch to -u.
        layout.startCommand = {layout.bindExecutablePath, QStringLiteral("-u"), layout.namedUser,
                               QStringLiteral("-c"), layout.namedConfigPath};
        // The helper makes named's run folder itself.
        if (throughHelper) {
            layout.startCommand = {QStringLiteral("pkexec"), layout.helperPath,
                                   QStringLiteral("start-server")};
            layout.runDirectory.clear();
        }
    }
    layout.aptInstallPath = layout.helperPath;
    layout.aptInstallArguments = {QStringLiteral("install-bind")};
    return layout;
}

SystemLayout SystemLayout::custom(const QString& namedConfigPath, const QString& zoneDirectory) {
    SystemLayout layout = standard();
    layout.layoutName = QStringLiteral("Custom");
    layout.namedConfigPath = QDir::cleanPath(namedConfigPath);
    layout.zoneDirectory = QDir::cleanPath(zoneDirectory);
    layout.allowedPathPrefixes = {QFileInfo(layout.namedConfigPath).absolutePath() + u'/',
                                  layout.zoneDirectory + u'/'};
    const QString pidFile = layout.zoneDirectory + QStringLiteral("/named.pid");
    layout.namedConfOptionLines = {QStringLiteral("pid-file \"") + pidFile + QStringLiteral("\";")};
    layout.serverControl = Control::rndc;
    layout.pidFilePath = pidFile;
    layout.startCommand = {layout.bindExecutablePath, QStringLiteral("-c"), layout.namedConfigPath};
    dropLaunchdCommands(layout);
    layout.bindLogPaths = {layout.zoneDirectory + QStringLiteral("/data/named.run")};
    layout.allowedCommands.append({QStringLiteral("rndc"), QStringLiteral("dig")});
    layout.allowedCommands.append(namedLocations());
    return layout;
}

SystemLayout SystemLayout::sandbox(const QString& rootDir, quint16 port, quint16 controlPort) {
    SystemLayout layout = standard();
    const QString root = QDir::cleanPath(QDir(rootDir).absolutePath());
    layout.namedConfigPath = root + QStringLiteral("/etc/named.conf");
    layout.zoneDirectory = root + QStringLiteral("/var/named");
    layout.temporaryDirectory = root + QStringLiteral("/tmp");
    layout.dataDirectory = root + QStringLiteral("/data");
    layout.allowedPathPrefixes = {root + u'/'};
    layout.serverAddress = QStringLiteral("127.0.0.1");
    layout.serverPort = port;

    // Everything named writes on its own stays inside the sandbox.
    const QString zones = layout.zoneDirectory;
    const auto quoted = [](const QString& path) { return u'"' + path + u'"'; };
    layout.namedConfOptionLines = {
        QStringLiteral("pid-file ") + quoted(zones + QStringLiteral("/named.pid")) + u';',
        QStringLiteral("lock-file ") + quoted(zones + QStringLiteral("/named.lock")) + u';',
        QStringLiteral("session-keyfile ") + quoted(zones + QStringLiteral("/session.key")) + u';',
        QStringLiteral("managed-keys-directory ") + quoted(zones) + u';',
        QStringLiteral("dump-file ") + quoted(zones + QStringLiteral("/data/cache_dump.db")) + u';',
        QStringLiteral("statistics-file ") + quoted(zones + QStringLiteral("/data/named.stats")) +
            u';',
        QStringLiteral("memstatistics-file ") +
            quoted(zones + QStringLiteral("/data/named.memstats")) + u';'};
    // A control channel of its own: rndc with the sandbox's key on 127.0.0.1
    // at a high port, never the machine's 953 or its key.
    layout.serverControl = Control::rndc;
    layout.rndcKeyPath = root + QStringLiteral("/etc/rndc.key");
    layout.rndcControlPort = controlPort != 0 ? controlPort : quint16(port + 1);
    layout.pidFilePath = zones + QStringLiteral("/named.pid");
    layout.namedConfStatements = {
        QStringLiteral("include ") + quoted(layout.rndcKeyPath) + u';',
        QStringLiteral("controls { inet 127.0.0.1 port ") +
            QString::number(layout.rndcControlPort) +
            QStringLiteral(" allow { 127.0.0.1; } keys { \"rndc-key\"; }; };")};

    // The sandbox's named is started without sudo, so it runs as the current
    // user. Stop and reload go through rndc; the status is its pid file and a
    // query, so no other process on the machine is ever looked at.
    const QString conf = layout.namedConfigPath;
    layout.startCommand = {layout.bindExecutablePath, QStringLiteral("-c"), conf,
                           QStringLiteral("-p"), QString::number(port)};
    dropLaunchdCommands(layout);
    layout.bindLogPaths = {zones + QStringLiteral("/data/named.run")};

    // Only what the sandbox itself runs as commands: its named (under any of
    // the names detection may find), rndc and its key generator, dig, the log
    // reader and BIND's checkers. No sudo, no launchctl, no package managers.
    layout.allowedCommands = {QStringLiteral("named-checkconf"),
                              QStringLiteral("named-checkzone"),
                              QStringLiteral("tsig-keygen"),
                              QStringLiteral("tail"),
                              QStringLiteral("rndc"),
                              QStringLiteral("rndc-confgen"),
                              QStringLiteral("dig")};
    layout.allowedCommands.append(namedLocations());
    layout.allowedCommandPrefixes.clear();
    layout.allowedPrivilegeCommand.clear();
    layout.layoutName = QStringLiteral("Sandbox");

    QDir().mkpath(root + QStringLiteral("/etc"));
    QDir().mkpath(layout.temporaryDirectory);
    return layout;
}

} // namespace korvi
