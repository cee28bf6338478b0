#include "platform/SystemLayout.h"

namespace korvi {

SystemLayout SystemLayout::standard() {
    SystemLayout layout;
    layout.namedConfigPath = QStringLiteral("/usr/local/etc/named.conf");
    layout.zoneDirectory = QStringLiteral("/usr/local/var/named");
    layout.bindExecutablePath = QStringLiteral("/usr/local/sbin/named");
    layout.allowedCommands = {QStringLiteral("brew"),
                              QStringLiteral("port"),
                              QStringLiteral("which"),
                              QStringLiteral("pgrep"),
                              QStringLiteral("ps"),
                              QStringLiteral("launchctl"),
                              QStringLiteral("named-checkconf"),
                              QStringLiteral("named-checkzone")};
    layout.allowedCommandPrefixes = {QStringLiteral("/usr/local/"), QStringLiteral("/opt/local/")};
    layout.allowedPrivilegeCommand = QStringLiteral("sudo");
    layout.allowedPathPrefixes = {QStringLiteral("/usr/local/etc/"),
                                  QStringLiteral("/usr/local/var/named/"),
                                  QStringLiteral("/opt/local/etc/"),
                                  QStringLiteral("/opt/local/var/named/")};
    layout.shellPath = QStringLiteral("/bin/bash");
    layout.shellSearchPath = QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin:/opt/local/bin");
    layout.processSearchPath = QStringLiteral(
        "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin:/opt/local/bin:/opt/homebrew/bin:/opt/homebrew/sbin");
    layout.temporaryDirectory = QStringLiteral("/tmp");
    layout.commandTimeoutMs = 30000;
    layout.commandKillGraceMs = 5000;
    return layout;
}

} // namespace korvi
