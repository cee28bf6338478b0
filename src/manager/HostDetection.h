#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

#include "manager/CommandRunner.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;

// The package managers Korvi can install BIND with, in order of preference.
enum class PackageManager { none, homebrew, macPorts, apt };

// "Homebrew", "MacPorts", "APT" or "None": the published name and the name in
// log lines.
QString packageManagerName(PackageManager manager);
// The package manager with this published name; none for any other text.
PackageManager packageManagerFromName(const QString& name);

// What the host has: BIND's named (path, version, whether it is supported)
// and the package managers. Searches and probes run on a worker thread; the
// results are applied, announced and logged on the main thread while the
// detection exists.
class HostDetection : public QObject {
    Q_OBJECT

public:
    HostDetection(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                  QObject* parent = nullptr);

    bool isBindInstalled() const { return m_isBindInstalled; }
    void setBindInstalled(bool value);
    const QString& bindVersion() const { return m_bindVersion; }
    void setBindVersion(const QString& value);
    bool isBindVersionSupported() const { return m_isBindVersionSupported; }
    void setBindVersionSupported(bool value);
    // The named that the last BIND detection found; empty when none.
    const QString& bindPath() const { return m_bindPath; }

    bool isInstalled(PackageManager manager) const;
    void setInstalled(PackageManager manager, bool value);
    PackageManager available() const { return m_available; }
    void setAvailable(PackageManager manager);
    // available() from the three flags: Homebrew before MacPorts before APT,
    // else none; logs the choice (none only once every probe of the layout
    // has answered, so a host with APT never reads that it has none).
    void updateAvailable();

    // Start a detection in the background and return at once. Hosts without
    // APT (an empty probe list) do not look for it.
    void detectBind();
    void detectPackageManager(PackageManager manager);

    // The version number in the output of `named -v`, or "Unknown".
    static QString parseBindVersion(const QString& output);
    // Whether a version number is BIND 9 or later.
    static bool isVersionSupported(const QString& version);
    // The blocking searches, for a worker thread.
    static QString findNamed(const SystemLayout& layout);
    static bool probe(const SystemLayout& layout, PackageManager manager);

Q_SIGNALS:
    void bindInstalledChanged(bool value);
    void bindVersionChanged(const QString& value);
    void bindVersionSupportedChanged(bool value);
    void installedChanged(korvi::PackageManager manager, bool value);
    void availableChanged(korvi::PackageManager manager);
    // A BIND detection has ended; path is empty when no named was found. Sent
    // after bindInstalledChanged, before the found line is logged when none
    // was found and after it otherwise.
    void bindDetected(const QString& path);

private:
    void applyBind(const QString& path);
    void applyVersion(bool success, const QString& output);
    void applyPackageManager(PackageManager manager, bool found);
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    bool m_isBindInstalled = false;
    QString m_bindVersion;
    bool m_isBindVersionSupported = false;
    QString m_bindPath;
    bool m_homebrew = false;
    bool m_macPorts = false;
    bool m_apt = false;
    // Package managers whose probe has answered since start-up.
    QSet<PackageManager> m_answered;
    PackageManager m_available = PackageManager::none;
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::PackageManager)
