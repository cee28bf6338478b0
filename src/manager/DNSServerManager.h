#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSharedPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "manager/ChangeId.h"
#include "manager/CheckedSaver.h"
#include "manager/CommandRunner.h"
#include "manager/ServerStatus.h"
#include "manager/ZoneAdoption.h"
#include "manager/ZoneDifference.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "model/NamedConfWriter.h"
#include "model/ZoneParser.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class HostDetection;
class PackageInstaller;
class ReplicationService;
class ReplicationHealth;
class PtrSync;
class SecondaryZoneCopy;
class ServerControl;
class ServerLogFollower;
class StoreFollower;
class WriterLock;
class ZoneDatabase;
class ZoneRepository;
class ZoneSigningService;
class ChangeHistory;
class HistoryRestore;

using ZonePtr = QSharedPointer<DNSZone>;

// The one controller the window sees: a façade over parts that stand alone
// (the log, host detection, server control, the checked saver and the zone
// repository). It builds them, ties their signals to its published fields and
// runs start-up and the save at termination. Published fields are assigned on
// the main thread only, and each assignment is announced through its own
// change signal.
class DNSServerManager : public QObject {
    Q_OBJECT

public:
    // The application log keeps its last 200 lines (see AppLog).
    static constexpr int maximumLogLines = 200;

    // The standard host layout and the platform's preferences.
    explicit DNSServerManager(QObject* parent = nullptr);
    // A given layout and preferences store (tests, sandbox mode).
    DNSServerManager(const SystemLayout& layout, std::shared_ptr<PreferencesStore> preferences,
                     QObject* parent = nullptr);
    ~DNSServerManager() override;

    // Published state.
    ServerStatus serverStatus() const;
    void setServerStatus(ServerStatus status);
    const QList<ZonePtr>& zones() const;
    void setZones(const QList<ZonePtr>& zones);
    const QStringList& logs() const;
    DNSConfiguration* configuration() const { return m_configuration; }
    bool isBindInstalled() const;
    void setBindInstalled(bool value);
    const QString& bindVersion() const;
    void setBindVersion(const QString& value);
    bool isBindVersionSupported() const;
    void setBindVersionSupported(bool value);
    bool isHomebrewInstalled() const;
    void setHomebrewInstalled(bool value);
    bool isMacPortsInstalled() const;
    void setMacPortsInstalled(bool value);
    // Debian and its kin: APT is the third package manager, after Homebrew
    // and MacPorts.
    bool isAptInstalled() const;
    void setAptInstalled(bool value);
    // "Homebrew", "MacPorts", "APT" or "None"; any other text counts as "None".
    QString availablePackageManager() const;
    void setAvailablePackageManager(const QString& value);
    // The named that the last BIND detection found; empty when none.
    const QString& detectedBindPath() const;

    // Constants of the host layout.
    const SystemLayout& layout() const { return m_layout; }
    const QString& namedConfigPath() const { return m_layout.namedConfigPath; }
    const QString& zoneDirectory() const { return m_layout.zoneDirectory; }
    const QString& bindExecutablePath() const { return m_layout.bindExecutablePath; }
    const QStringList& allowedCommands() const { return m_layout.allowedCommands; }
    PreferencesStore& preferences() const { return *m_preferences; }
    // Korvi runs its own named in a sandbox folder (korvi --sandbox), not the
    // machine's server.
    bool isSandbox() const { return m_layout.layoutName == QLatin1String("Sandbox"); }

    // Derived values.
    qsizetype totalRecords() const;
    bool isRunning() const { return serverStatus() == ServerStatus::running; }

    // Adds a time-stamped line to the application log. Safe from any thread:
    // the line goes to standard output at once and into logs() on the main
    // thread, after whatever is already queued there.
    void addLog(const QString& message, LogLevel level);
    // The logs screen's "Clear Logs": empties the log now, then logs that it did.
    void clearLogs();

    // Saves named.conf; runs on "AppWillTerminate". The zones need nothing:
    // every change was handed to the zone database when it was made.
    void applicationWillTerminate();
    // The named.conf save that the last termination started (0: none yet).
    SaveId terminationSaveId() const { return m_terminationSaveId; }

    // The path check and the direct runner (see CommandRunner). The runner
    // returns at once and calls the completion once, later, on the main
    // thread, even if the manager is gone by then.
    bool isValidPath(const QString& path) const;
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
    // While BIND is installed the status is checked every statusPollInterval()
    // ms (the layout's own check and a question the server must answer), and
    // at once after a reload; a start and a stop check it themselves.
    static constexpr int defaultStatusPollMs = 5000;
    void setStatusPollInterval(int ms);
    int statusPollInterval() const;
    void checkServerStatus();
    void startServer();
    void stopServer();
    void reloadServer();
    void loadBindLogs();
    void readBindLogFile(const QString& path);
    // The file the server logs to, when Korvi knows one (a server that logs
    // to the journal has none); the Logs screen follows it.
    QString serverLogPath() const;
    // Lines of the server's own log, added as they are (see AppLog::appendRaw).
    void addServerLogLines(const QStringList& lines);
    // Follows serverLogPath() into the log while started (the Logs screen
    // starts it while shown). It outlives the screen, so that what the server
    // wrote while the screen was away arrives when it is shown again.
    ServerLogFollower* serverLogFollower() const { return m_logFollower; }
    // The zone database: the zone list first, records in the background.
    void loadZonesFromStorage();
    bool isStorageLoaded() const;
    // A change handed to the zone database has not been reported yet.
    bool hasPendingStorageWrites() const;
    // BIND's own files: named.conf names the zones, zone files hold records.
    void loadZonesFromBindConfiguration();
    void loadConfigurationFromFile();
    // Reads named.conf and the zone files again. A zone in the store whose
    // file says otherwise is left as it is, in the store, in memory and on
    // disk, and listed in refreshDifferences() until the user chooses which
    // version wins.
    void refreshFromFileSystem();
    const QList<ZoneDifference>& refreshDifferences() const { return m_refreshDifferences; }
    // "Keep Korvi's version": the zone's file is written again from the
    // store through the checked save.
    void keepKorviVersion(const QString& zoneName);
    // "Use the file": the zone's records and SOA become the file's, stored.
    void useFileVersion(const QString& zoneName);

    // Zone files and named.conf are written only after BIND's checker has
    // accepted a temporary copy of exactly the same text. Each save returns
    // its id; a named.conf save ends with configurationSaveFinished(id, ...).
    using ValidationCompletion = CheckedSaver::CheckCompletion;
    SaveId saveZoneFile(const ZonePtr& zone);
    void validateZoneFile(const QString& text, const QString& zoneName,
                          ValidationCompletion completion);
    SaveId saveConfiguration();
    // How named.conf is written: the zone directory as "directory", the BIND
    // version detection found (empty when unknown), the layout's extra lines.
    NamedConfWriter::Options namedConfOptions() const;
    void validateConfiguration(const QString& text, ValidationCompletion completion);

    // Zone and record operations (see ZoneRepository): each is checked by
    // BIND's checker before it is applied, returns its id and ends with
    // exactly one changeFinished() carrying it, never before the call has
    // returned. The changes of one zone run in the order they were asked for.
    ChangeId addZone(const ZonePtr& zone);
    ChangeId removeZone(const ZonePtr& zone);
    ChangeId addRecord(const DNSRecord& record, const ZonePtr& zone);
    ChangeId updateRecord(const DNSRecord& record, const ZonePtr& zone);
    ChangeId deleteRecord(const DNSRecord& record, const ZonePtr& zone);
    // One check, one write, one serial step for all of them.
    ChangeId deleteRecords(const QList<QUuid>& recordIds, const ZonePtr& zone);
    // Primary server, admin, timers and TTL as given; the serial advanced
    // past the current one.
    ChangeId updateSOA(const SOARecord& soa, const ZonePtr& zone);
    // Some record or zone change has not finished yet.
    bool hasPendingChanges() const;
    // The zones and their changes, for the parts that tune how a change is
    // checked against the server (the served-check source, its limit).
    ZoneRepository* zoneRepository() const { return m_repository.get(); }
    // The log shared through the store with other Korvi programs (korvictl),
    // and the news that one of them changed the store; null without a data
    // folder.
    StoreFollower* storeFollower() const { return m_storeFollower.get(); }
    // Korvi's secondaries, their TSIG keys and the catalog of Korvi's zones.
    ReplicationService* replication() const { return m_replication.get(); }
    // Signing of Korvi's zones by BIND: the per-zone policy lines and
    // Korvi's policy statements go into every configuration save.
    ZoneSigningService* zoneSigning() const { return m_signing.get(); }
    // How the secondaries keep up with this server's zones: the zones follow
    // the zone list, every applied change asks again at once.
    ReplicationHealth* replicationHealth() const { return m_replicationHealth.get(); }
    // Keeps the PTR records of Korvi's reverse zones in step with the A and
    // AAAA records of its forward zones (see PtrSync).
    PtrSync* ptrSync() const { return m_ptrSync.get(); }

    // Zones this server copies from other servers, each with the copy BIND
    // keeps of it (read-only in Korvi). They are kept in the preferences
    // under secondaryZonesKey() and written into named.conf after Korvi's
    // own zones.
    static QString secondaryZonesKey() { return QStringLiteral("Korvi_SecondaryZones"); }
    const QList<SecondaryZoneCopy*>& secondaryZones() const { return m_secondaryZones; }
    SecondaryZoneCopy* secondaryZone(const QString& name) const;
    // Why this secondary zone cannot be added, in Korvi's words, or nothing.
    std::optional<QString> secondaryZoneRefusal(const SecondaryZoneSettings& zone) const;
    // Adds the zone, keeps it, saves the configuration and, once written,
    // reconfigures a running server so that it transfers the zone. False
    // (and the reason logged) when refused.
    bool addSecondaryZone(const SecondaryZoneSettings& zone);
    void removeSecondaryZone(const QString& name);
    // The snapshots of applied changes, and their restore.
    ChangeHistory* changeHistory() const { return m_history.get(); }
    HistoryRestore* historyRestore() const { return m_restore.get(); }
    void updateSOASerial(const ZonePtr& zone);
    // The user is about to change this zone (its records are on screen):
    // its checker is started ahead of time, so the first change does not
    // wait for it.
    void prepareZoneChange(const ZonePtr& zone);
    void validateDataIntegrity();
    // Why the new-zone form may not create a zone of this name, or nothing.
    std::optional<QString> newZoneRefusal(const QString& name) const;
    // "Adopt into Korvi": a zone an administrator declared outside Korvi's
    // files becomes Korvi's (see ZoneAdoption); ends with zoneAdoptionFinished.
    void adoptZone(const ConfiguredZone& zone);

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
    // The named.conf save with this id has ended: written, or refused,
    // failed or overtaken by a later save (the reason is in the log).
    void configurationSaveFinished(korvi::SaveId id, bool written);
    // The list of zones whose file differs from the store changed.
    void refreshDifferencesChanged();
    // A record or zone change has ended: applied, or not, and then message
    // says why (the validator's messages one a line, or BIND's checker's
    // words).
    void changeFinished(korvi::ChangeId id, bool applied, const QString& message);
    // An adoptZone() has ended; a running server has been told (the zone's addition reconfigures
    // it).
    void zoneAdoptionFinished(const korvi::ZoneAdoptionResult& result);
    // A secondary zone was added or removed.
    void secondaryZonesChanged();

private:
    void connectParts();
    void startReplicationHealth();
    // The secondary zones kept in the preferences (DNSServerManagerSecondaries.cpp).
    void loadSecondaryZones();
    void keepSecondaryZones();
    SecondaryZoneCopy* makeSecondaryCopy(const SecondaryZoneSettings& zone);
    void saveForSecondaryZones();
    // The checked save of named.conf, or of Korvi's include on a
    // distribution's BIND with these zones listed.
    SaveId startConfigurationSave(const QList<ZonePtr>& zones);
    void startUp();
    void bindDetected(const QString& path);
    // What start-up does once BIND is known to be installed: the status
    // check, the zones of BIND's own configuration, and the server's log.
    void runInstalledBindSteps();
    // Replaces the zone list read from disk with BIND's own reading, later.
    void confirmZonesWithBind(const BindConfigReading& tree);
    void loadOwnedConfiguration();
    // One zone file named in named.conf, read whole; nothing (and the reason
    // logged) when the path is invalid, missing or the reader refuses it.
    std::optional<ZoneReadResult> readZoneFile(const QString& name, const QString& fileName);
    // Takes a zone's entry out of the differences list, if it is there.
    std::optional<ZoneDifference> takeDifference(const QString& zoneName);

    SystemLayout m_layout;
    std::shared_ptr<PreferencesStore> m_preferences;
    DNSConfiguration* m_configuration;
    // The parts, built in this order and destroyed in the reverse one.
    std::unique_ptr<AppLog> m_log;
    CommandRunner m_runner;
    std::unique_ptr<HostDetection> m_detection;
    std::unique_ptr<PackageInstaller> m_installer;
    std::unique_ptr<ServerControl> m_control;
    std::unique_ptr<CheckedSaver> m_saver;
    std::unique_ptr<ReplicationService> m_replication;
    std::unique_ptr<ZoneSigningService> m_signing;
    QHash<ChangeId, QString> m_removedZoneNames; // removals under way
    std::unique_ptr<ZoneDatabase> m_database; // none without a data folder
    std::unique_ptr<ZoneRepository> m_repository;
    std::unique_ptr<ChangeHistory> m_history;
    std::unique_ptr<HistoryRestore> m_restore;
    std::unique_ptr<ZoneAdoption> m_adoption;
    std::unique_ptr<ReplicationHealth> m_replicationHealth;
    std::unique_ptr<PtrSync> m_ptrSync;
    std::unique_ptr<StoreFollower> m_storeFollower; // none without a database
    std::unique_ptr<WriterLock> m_writerLock;       // none without a data folder
    QList<SecondaryZoneCopy*> m_secondaryZones;

    QSet<SaveId> m_configurationSaves;
    // Configuration saves of zone additions and removals: the repository
    // tells the server itself.
    QSet<SaveId> m_repositorySaves;
    SaveId m_terminationSaveId = 0;
    bool m_installedBindStepsDone = false;
    QTimer* m_statusPoll;
    ServerLogFollower* m_logFollower;
    QList<ZoneDifference> m_refreshDifferences;
};

} // namespace korvi
