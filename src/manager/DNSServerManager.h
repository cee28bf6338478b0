#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "manager/CommandRunner.h"
#include "manager/ServerStatus.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi {

using ZonePtr = QSharedPointer<DNSZone>;

// The one controller of the application. It owns the zones, the server
// configuration, the application log and what detection found, and runs every
// operation on them. Published fields are assigned on the main thread only,
// and each assignment is announced through its own change signal.
class DNSServerManager : public QObject {
    Q_OBJECT

public:
    static constexpr int maximumLogLines = 200;

    // The standard host layout and the platform's preferences.
    explicit DNSServerManager(QObject* parent = nullptr);
    // A given layout and preferences store (tests, sandbox mode).
    DNSServerManager(const SystemLayout& layout, std::shared_ptr<PreferencesStore> preferences,
                     QObject* parent = nullptr);
    ~DNSServerManager() override;

    // Published state.
    ServerStatus serverStatus() const { return m_serverStatus; }
    void setServerStatus(ServerStatus status);
    const QList<ZonePtr>& zones() const { return m_zones; }
    void setZones(const QList<ZonePtr>& zones);
    const QStringList& logs() const { return m_logs; }
    DNSConfiguration* configuration() const { return m_configuration; }
    bool isBindInstalled() const { return m_isBindInstalled; }
    void setBindInstalled(bool value);
    const QString& bindVersion() const { return m_bindVersion; }
    void setBindVersion(const QString& value);
    bool isBindVersionSupported() const { return m_isBindVersionSupported; }
    void setBindVersionSupported(bool value);
    bool isHomebrewInstalled() const { return m_isHomebrewInstalled; }
    void setHomebrewInstalled(bool value);
    bool isMacPortsInstalled() const { return m_isMacPortsInstalled; }
    void setMacPortsInstalled(bool value);
    // Debian and its kin: APT is the third package manager, after Homebrew
    // and MacPorts.
    bool isAptInstalled() const { return m_isAptInstalled; }
    void setAptInstalled(bool value);
    const QString& availablePackageManager() const { return m_availablePackageManager; }
    void setAvailablePackageManager(const QString& value);
    // The named that the last BIND detection found; empty when none.
    const QString& detectedBindPath() const { return m_detectedBindPath; }

    // Constants of the host layout.
    const SystemLayout& layout() const { return m_layout; }
    const QString& namedConfigPath() const { return m_layout.namedConfigPath; }
    const QString& zoneDirectory() const { return m_layout.zoneDirectory; }
    const QString& bindExecutablePath() const { return m_layout.bindExecutablePath; }
    const QStringList& allowedCommands() const { return m_layout.allowedCommands; }
    PreferencesStore& preferences() const { return *m_preferences; }

    // Derived values.
    qsizetype totalRecords() const;
    bool isRunning() const { return m_serverStatus == ServerStatus::running; }

    // Adds a time-stamped line to the application log. Safe from any thread:
    // the line goes to standard output at once and into logs() on the main
    // thread, after whatever is already queued there.
    void addLog(const QString& message, LogLevel level);
    // The logs screen's "Clear Logs": empties the log now, then logs that it did.
    void clearLogs();

    // Saves named.conf and the zones; runs on "AppWillTerminate".
    void applicationWillTerminate();

    // Command runner (see CommandRunner): the allow-list, the cleaning of
    // command lines, the path check, and the two ways of running a child.
    // Both runners return at once and call the completion once, later, on the
    // main thread, even if the manager is gone by then.
    bool isCommandAllowed(const QString& command) const;
    QString sanitizeCommand(const QString& command) const;
    bool isValidPath(const QString& path) const;
    void executeCommand(const QString& command, CommandCompletion completion);
    void runProcess(const QString& path, const QStringList& arguments,
                    CommandCompletion completion);

    // Detection (run in the background; results arrive on the main thread).
    void checkHomebrewInstallation();
    void checkMacPortsInstallation();
    void checkAptInstallation();
    void checkBindInstallation();
    // The screens' "Refresh": logs it and detects the package managers again.
    void refreshPackageManagerDetection();
    void updateAvailablePackageManager();
    // The version number in the output of `named -v`, or "Unknown".
    static QString parseBindVersion(const QString& output);
    // Whether a version number is BIND 9 or later.
    static bool isVersionSupported(const QString& version);

    // Installation of BIND through the available package manager.
    void installBind();
    void installBindWithHomebrew();
    void installBindWithMacPorts();
    void installBindWithApt();
    void openPackageManagerInstallationGuide();

    // Server status, control and log.
    void checkServerStatus();
    void startServer();
    void stopServer();
    void reloadServer();
    void loadBindLogs();
    void readBindLogFile(const QString& path);
    // Storage in the preferences.
    void saveZonesToStorage();
    void loadZonesFromStorage();
    // BIND's own files: named.conf names the zones, zone files hold records.
    void loadZonesFromBindConfiguration();
    void loadConfigurationFromFile();
    void refreshFromFileSystem();

    // Zone files and named.conf are written only after BIND's checker has
    // accepted a temporary copy of exactly the same text.
    using ValidationCompletion =
        std::function<void(bool success, const std::optional<QString>& message)>;
    void saveZoneFile(const ZonePtr& zone);
    void validateZoneFile(const QString& text, const QString& zoneName,
                          ValidationCompletion completion);
    void saveConfiguration();
    void validateConfiguration(const QString& text, ValidationCompletion completion);

    // Zone and record operations: validated, serial advanced, files and
    // preferences saved, outcome logged.
    void addZone(const ZonePtr& zone);
    void removeZone(const ZonePtr& zone);
    void addRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateRecord(const DNSRecord& record, const ZonePtr& zone);
    void deleteRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateSOASerial(const ZonePtr& zone);
    void validateDataIntegrity();

    // The time SOA serials are made from: the local clock unless replaced
    // (tests fix the day with it). An empty function restores the local clock.
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock);

    // Zone names in list order as ["a", "b"], for console lines.
    static QString namesList(const QList<ZonePtr>& zones);

Q_SIGNALS:
    void serverStatusChanged(korvi::ServerStatus status);
    void zonesChanged();
    void logsChanged();
    void isBindInstalledChanged(bool value);
    void bindVersionChanged(const QString& value);
    void isBindVersionSupportedChanged(bool value);
    void isHomebrewInstalledChanged(bool value);
    void isMacPortsInstalledChanged(bool value);
    void isAptInstalledChanged(bool value);
    void availablePackageManagerChanged(const QString& value);
    // A save of named.conf has ended: written, or refused or failed (its
    // reason is in the log).
    void configurationSaveFinished(bool written);

private:
    friend class BindDetector;
    friend class ServerLogReader;

    void startUp();
    void appendLogLine(const QString& line);
    // Appends lines to the log as they are, without time stamp or level.
    void appendRawLogLines(const QStringList& lines);
    // What start-up does once BIND is known to be installed: the status
    // check, the zones of BIND's own configuration, and the server's log.
    void runInstalledBindSteps();

    SystemLayout m_layout;
    std::shared_ptr<PreferencesStore> m_preferences;
    Clock m_clock;
    CommandRunner m_commandRunner;

    ServerStatus m_serverStatus = ServerStatus::unknown;
    QList<ZonePtr> m_zones;
    QStringList m_logs;
    DNSConfiguration* m_configuration;
    bool m_isBindInstalled = false;
    QString m_bindVersion;
    bool m_isBindVersionSupported = false;
    bool m_isHomebrewInstalled = false;
    bool m_isMacPortsInstalled = false;
    bool m_isAptInstalled = false;
    QString m_availablePackageManager = QStringLiteral("None");
    QString m_detectedBindPath;
    bool m_installedBindStepsDone = false;
};

} // namespace korvi
