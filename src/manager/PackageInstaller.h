#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include "manager/CommandRunner.h"
#include "manager/HostDetection.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;

// Installs BIND through a package manager, and points the user to the
// package managers' own installation instructions. After a successful
// installation BIND is detected again.
class PackageInstaller {
public:
    PackageInstaller(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                     HostDetection* detection);

    // Through the available package manager.
    void installBind();
    void installWith(PackageManager manager);
    void openInstallationGuide();

    // The program and arguments that install BIND with APT: apt-get itself
    // when Korvi runs as root, otherwise apt-get through the layout's
    // privilege prompt when that exists.
    struct Invocation {
        QString program;
        QStringList arguments;
    };
    static Invocation aptInvocation(const SystemLayout& layout, bool runningAsRoot);

private:
    void installWithHomebrew();
    void installWithMacPorts();
    void installWithApt();
    // Runs the installer; on success logs the success line and detects BIND
    // again, on failure logs the failure prefix followed by the output.
    void run(const Invocation& invocation, const QString& successLine,
             const QString& failurePrefix);
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    QPointer<HostDetection> m_detection;
};

} // namespace korvi
