#include "manager/PackageInstaller.h"

#include <QFileInfo>
#include <QUrl>

#include <unistd.h>

#include "manager/AppLog.h"
#include "manager/DetectionProbe.h"
#include "platform/WebPageOpener.h"

namespace korvi {

PackageInstaller::PackageInstaller(const SystemLayout& layout, const CommandRunner& runner,
                                   AppLog* log, HostDetection* detection)
    : m_layout(layout), m_runner(runner), m_log(log), m_detection(detection) {}

void PackageInstaller::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

void PackageInstaller::installBind() {
    const PackageManager manager = m_detection->available();
    if (manager == PackageManager::none) {
        log(QStringLiteral(
                "No package manager available. Please install Homebrew or MacPorts first."),
            LogLevel::info);
        return;
    }
    log(QStringLiteral("Using ") + packageManagerName(manager) +
            QStringLiteral(" to install BIND..."),
        LogLevel::info);
    installWith(manager);
}

void PackageInstaller::installWith(PackageManager manager) {
    switch (manager) {
    case PackageManager::homebrew:
        installWithHomebrew();
        break;
    case PackageManager::macPorts:
        installWithMacPorts();
        break;
    case PackageManager::apt:
        installWithApt();
        break;
    case PackageManager::none:
        break;
    }
}

void PackageInstaller::installWithHomebrew() {
    const QString brew = DetectionProbe::firstExisting(m_layout.homebrewInstallPaths);
    if (brew.isEmpty()) {
        log(QStringLiteral("Homebrew executable not found in standard locations"), LogLevel::error);
        return;
    }
    log(QStringLiteral("Installing BIND using Homebrew at: ") + brew, LogLevel::info);
    run({brew, m_layout.homebrewInstallArguments},
        QStringLiteral("BIND installation completed successfully with Homebrew"),
        QStringLiteral("Homebrew installation failed: "));
}

void PackageInstaller::installWithMacPorts() {
    const QString port = m_layout.macPortsInstallPath;
    if (port.isEmpty() || !QFileInfo::exists(port)) {
        log(QStringLiteral("MacPorts executable not found at: ") + port, LogLevel::error);
        return;
    }
    log(QStringLiteral("Installing BIND using MacPorts"), LogLevel::info);
    run({port, m_layout.macPortsInstallArguments},
        QStringLiteral("BIND installation completed successfully with MacPorts"),
        QStringLiteral("MacPorts installation failed: "));
}

void PackageInstaller::installWithApt() {
    if (m_layout.aptInstallPath.isEmpty() || !QFileInfo::exists(m_layout.aptInstallPath)) {
        log(QStringLiteral("APT executable not found at: ") + m_layout.aptInstallPath,
            LogLevel::error);
        return;
    }
    log(QStringLiteral("Installing BIND using APT"), LogLevel::info);
    run(aptInvocation(m_layout, ::geteuid() == 0),
        QStringLiteral("BIND installation completed successfully with APT"),
        QStringLiteral("APT installation failed: "));
}

PackageInstaller::Invocation PackageInstaller::aptInvocation(const SystemLayout& layout,
                                                             bool runningAsRoot) {
    if (runningAsRoot || layout.privilegePromptPath.isEmpty() ||
        !QFileInfo::exists(layout.privilegePromptPath))
        return {layout.aptInstallPath, layout.aptInstallArguments};
    return {layout.privilegePromptPath,
            QStringList{layout.aptInstallPath} + layout.aptInstallArguments};
}

void PackageInstaller::run(const Invocation& invocation, const QString& successLine,
                           const QString& failurePrefix) {
    const QPointer<AppLog> log = m_log;
    const QPointer<HostDetection> detection = m_detection;
    m_runner.runProcess(
        invocation.program, invocation.arguments,
        [log, detection, successLine, failurePrefix](bool success, const QString& output) {
            // Nothing more once the detection (and with it
            // the manager) is gone.
            if (!detection || !log)
                return;
            if (!success) {
                log->add(failurePrefix + output, LogLevel::error);
                return;
            }
            log->add(successLine, LogLevel::success);
            detection->detectBind();
        },
        // The package manager's own lines, as it goes: an installation takes
        // minutes, and the window shows what it is doing meanwhile.
        [log](const QString& line) {
            if (log)
                log->add(QStringLiteral("📦 ") + line, LogLevel::info);
        });
}

void PackageInstaller::openInstallationGuide() {
    log(QStringLiteral("Opening package manager installation instructions..."), LogLevel::info);
    WebPageOpener::open(QUrl(m_layout.homebrewInstallationPage));
    log(QStringLiteral("Opened Homebrew installation page: ") + m_layout.homebrewInstallationPage,
        LogLevel::info);
    log(QStringLiteral("Alternative: MacPorts - ") + m_layout.macPortsInstallationPage,
        LogLevel::info);
    log(QStringLiteral("After installing a package manager, use 'Refresh' to detect it."),
        LogLevel::info);
}

} // namespace korvi
