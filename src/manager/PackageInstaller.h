#pragma once

#include <QString>
#include <QStringList>

#include "platform/SystemLayout.h"

namespace korvi {

class DNSServerManager;

// Installs BIND through a package manager, and points the user to the
// package managers' own installation instructions.
class PackageInstaller {
public:
    static void installBind(DNSServerManager& manager);
    static void installWithHomebrew(DNSServerManager& manager);
    static void installWithMacPorts(DNSServerManager& manager);
    static void installWithApt(DNSServerManager& manager);
    static void openInstallationGuide(DNSServerManager& manager);

    // The program and arguments that install BIND with APT: apt-get itself
    // when Korvi runs as root, otherwise apt-get through the layout's
    // privilege prompt when that exists.
    struct Invocation {
        QString program;
        QStringList arguments;
    };
    static Invocation aptInvocation(const SystemLayout& layout, bool runningAsRoot);

private:
    // Runs the installer; on success logs the success line and detects BIND
    // again, on failure logs the failure prefix followed by the output.
    static void run(DNSServerManager& manager, const Invocation& invocation,
                    const QString& successLine, const QString& failurePrefix);
};

} // namespace korvi
