#include "manager/PackageInstaller.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "manager/DetectionProbe.h"
#include "platform/WebPageOpener.h"

namespace korvi {

void PackageInstaller::installBind(DNSServerManager& manager) {
    const QString packageManager = manager.availablePackageManager();
    if (packageManager == QStringLiteral("None")) {
        manager.addLog(
            QStringLiteral(
                "No package manager available. Please install Homebrew or MacPorts first."),
            LogLevel::info);
        return;
    }
    manager.addLog(QStringLiteral("Using ") + packageManager +
                       QStringLiteral(" to install BIND..."),
                   LogLevel::info);
    if (packageManager == QStringLiteral("Homebrew"))
        installWithHomebrew(manager);
    else if (packageManager == QStringLiteral("APT"))
        installWithApt(manager);
    else
        installWithMacPorts(manager);
}

void PackageInstaller::installWithHomebrew(DNSServerManager& manager) {
    const QString brew = DetectionProbe::firstExisting(manager.layout().homebrewInstallPaths);
    if (brew.isEmpty()) {
        manager.addLog(QStringLiteral("Homebrew executable not found in standard locations"),
                       LogLevel::error);
        return;
    }
    manager.addLog(QStringLiteral("Installing BIND using Homebrew at: ") + brew, LogLevel::info);
    run(manager, {brew, manager.layout().homebrewInstallArguments},
        QStringLiteral("BIND installation completed successfully with Homebrew"),
        QStringLiteral("Homebrew installation failed: "));
}

void PackageInstaller::installWithMacPorts(DNSServerManager& manager) {
    const QString port = manager.layout().macPortsInstallPath;
    if (port.isEmpty() || !QFileInfo::exists(port)) {
        manager.addLog(QStringLiteral("MacPorts executable not found at: ") + port,
                       LogLevel::error);
        return;
    }
    manager.addLog(QStringLiteral("Installing BIND using MacPorts"), LogLevel::info);
    run(manager, {port, manager.layout().macPortsInstallArguments},
        QStringLiteral("BIND installation completed successfully with MacPorts"),
        QStringLiteral("MacPorts installation failed: "));
}

void PackageInstaller::installWithApt(DNSServerManager& manager) {
    const SystemLayout& layout = manager.layout();
    if (layout.aptInstallPath.isEmpty() || !QFileInfo::exists(layout.aptInstallPath)) {
        manager.addLog(QStringLiteral("APT executable not found at: ") + layout.aptInstallPath,
                       LogLevel::error);
        return;
    }
    manager.addLog(QStringLiteral("Installing BIND using APT"), LogLevel::info);
    run(manager, aptInvocation(layout, ::geteuid() == 0),
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

void PackageInstaller::run(DNSServerManager& manager, const Invocation& invocation,
                           const QString& successLine, const QString& failurePrefix) {
    const QPointer<DNSServerManager> guard(&manager);
    manager.runProcess(invocation.program, invocation.arguments,
                       [guard, successLine, failurePrefix](bool success, const QString& output) {
                           if (!guard)
                               return;
                           if (!success) {
                               guard->addLog(failurePrefix + output, LogLevel::error);
                               return;
                           }
                           guard->addLog(successLine, LogLevel::success);
                           guard->checkBindInstallation();
                       });
}

void PackageInstaller::openInstallationGuide(DNSServerManager& manager) {
    const SystemLayout& layout = manager.layout();
    manager.addLog(QStringLiteral("Opening package manager installation instructions..."),
                   LogLevel::info);
    WebPageOpener::open(QUrl(layout.homebrewInstallationPage));
    manager.addLog(QStringLiteral("Opened Homebrew installation page: ") +
                       layout.homebrewInstallationPage,
                   LogLevel::info);
    manager.addLog(QStringLiteral("Alternative: MacPorts - ") + layout.macPortsInstallationPage,
                   LogLevel::info);
    manager.addLog(
        QStringLiteral("After installing a package manager, use 'Refresh' to detect it."),
        LogLevel::info);
}

// The manager's own names for installation.

void DNSServerManager::installBind() {
    PackageInstaller::installBind(*this);
}
void DNSServerManager::installBindWithHomebrew() {
    PackageInstaller::installWithHomebrew(*this);
}
void DNSServerManager::installBindWithMacPorts() {
    PackageInstaller::installWithMacPorts(*this);
}
void DNSServerManager::installBindWithApt() {
    PackageInstaller::installWithApt(*this);
}
void DNSServerManager::openPackageManagerInstallationGuide() {
    PackageInstaller::openInstallationGuide(*this);
}

} // namespace korvi
