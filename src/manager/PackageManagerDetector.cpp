#include "manager/PackageManagerDetector.h"

#include <QPointer>

#include "manager/DNSServerManager.h"
#include "manager/DetectionProbe.h"
#include "manager/ManagerTasks.h"

namespace korvi {

QString PackageManagerDetector::name(Kind kind) {
    switch (kind) {
    case Kind::homebrew:
        return QStringLiteral("Homebrew");
    case Kind::macPorts:
        return QStringLiteral("MacPorts");
    case Kind::apt:
        return QStringLiteral("APT");
    }
    return QString();
}

void PackageManagerDetector::detect(DNSServerManager& manager, Kind kind) {
    const SystemLayout layout = manager.layout();
    const QPointer<DNSServerManager> guard(&manager);
    ManagerTasks::inBackground([layout, guard, kind] {
        const bool found = probe(layout, kind);
        ManagerTasks::onMainThread(guard,
                                   [kind, found](DNSServerManager& m) { apply(m, kind, found); });
    });
}

bool PackageManagerDetector::probe(const SystemLayout& layout, Kind kind) {
    const int limit = layout.commandTimeoutMs;
    switch (kind) {
    case Kind::homebrew: {
        bool present = !DetectionProbe::firstExisting(layout.homebrewProbePaths).isEmpty();
        if (!present)
            present = DetectionProbe::runForText(layout.whichPath, {QStringLiteral("brew")},
                                                 std::nullopt, limit)
                          .has_value();
        if (!present)
            return false;
        // A brew that is there but does not answer is not a usable Homebrew.
        return DetectionProbe::run(layout.homebrewConfirmationPath,
                                   layout.homebrewConfirmationArguments,
                                   layout.homebrewConfirmationSearchPath, limit)
            .has_value();
    }
    case Kind::macPorts:
        if (!DetectionProbe::firstExisting(layout.macPortsProbePaths).isEmpty())
            return true;
        return DetectionProbe::runForText(layout.whichPath, {QStringLiteral("port")}, std::nullopt,
                                          limit)
            .has_value();
    case Kind::apt:
        // APT is only ever used at the path it is installed at, so that path
        // is the whole test.
        return !DetectionProbe::firstExisting(layout.aptProbePaths).isEmpty();
    }
    return false;
}

void PackageManagerDetector::apply(DNSServerManager& manager, Kind kind, bool found) {
    switch (kind) {
    case Kind::homebrew:
        manager.setHomebrewInstalled(found);
        break;
    case Kind::macPorts:
        manager.setMacPortsInstalled(found);
        break;
    case Kind::apt:
        manager.setAptInstalled(found);
        break;
    }
    manager.updateAvailablePackageManager();
    const QString line =
        found ? QStringLiteral("✅ %1 detected successfully") : QStringLiteral("❌ %1 not found");
    manager.addLog(line.arg(name(kind)), LogLevel::info);
}

void PackageManagerDetector::updateAvailable(DNSServerManager& manager) {
    std::optional<Kind> chosen;
    if (manager.isHomebrewInstalled())
        chosen = Kind::homebrew;
    else if (manager.isMacPortsInstalled())
        chosen = Kind::macPorts;
    else if (manager.isAptInstalled())
        chosen = Kind::apt;
    if (chosen) {
        manager.setAvailablePackageManager(name(*chosen));
        manager.addLog(QStringLiteral("✅ %1 detected and available for package installation")
                           .arg(name(*chosen)),
                       LogLevel::info);
        return;
    }
    manager.setAvailablePackageManager(QStringLiteral("None"));
    manager.addLog(QStringLiteral("❌ No package manager detected. Please install Homebrew or "
                                  "MacPorts to enable BIND installation."),
                   LogLevel::info);
}

// The manager's own names for detection of package managers.

void DNSServerManager::checkHomebrewInstallation() {
    PackageManagerDetector::detect(*this, PackageManagerDetector::Kind::homebrew);
}

void DNSServerManager::checkMacPortsInstallation() {
    PackageManagerDetector::detect(*this, PackageManagerDetector::Kind::macPorts);
}

void DNSServerManager::checkAptInstallation() {
    // Hosts without APT (macOS) do not look for it at all.
    if (m_layout.aptProbePaths.isEmpty())
        return;
    PackageManagerDetector::detect(*this, PackageManagerDetector::Kind::apt);
}

void DNSServerManager::refreshPackageManagerDetection() {
    addLog(QStringLiteral("Refreshing package manager detection..."), LogLevel::info);
    checkHomebrewInstallation();
    checkMacPortsInstallation();
    checkAptInstallation();
}

void DNSServerManager::updateAvailablePackageManager() {
    PackageManagerDetector::updateAvailable(*this);
}

} // namespace korvi
