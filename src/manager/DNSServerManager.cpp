#include "manager/DNSServerManager.h"

#include "host/HostLayout.h"
#include "host/OwnedFiles.h"
#include "manager/AppLog.h"
#include "manager/ApplySettings.h"
#include "manager/ChangeHistory.h"
#include "manager/HistoryRestore.h"
#include "manager/HostDetection.h"
#include "manager/PackageInstaller.h"
#include "manager/PtrSync.h"
#include "manager/ReplicationHealth.h"
#include "manager/ReplicationService.h"
#include "manager/ServerControlFactory.h"
#include "manager/ServerLogFollower.h"
#include "manager/ServerLogWords.h"
#include "manager/ServerQueryAnswers.h"
#include "manager/StoreFollower.h"
#include "manager/WriterLock.h"
#include "manager/ZoneRepository.h"
#include "manager/ZoneSigningService.h"
#include "platform/Console.h"
#include "platform/NotificationCenter.h"
#include "storage/ZoneDatabase.h"

namespace korvi {

static_assert(DNSServerManager::maximumLogLines == AppLog::maximumLines);

DNSServerManager::DNSServerManager(QObject* parent)
    : DNSServerManager(standardLayoutFor(readHostLayoutFacts()),
                       std::make_shared<PreferencesStore>(), parent) {}

DNSServerManager::DNSServerManager(const SystemLayout& layout,
                                   std::shared_ptr<PreferencesStore> preferences, QObject* parent)
    : QObject(parent), m_layout(layout), m_preferences(std::move(preferences)),
      m_configuration(new DNSConfiguration(this)), m_log(std::make_unique<AppLog>()),
      m_runner(m_layout, m_log.get()),
      m_detection(std::make_unique<HostDetection>(m_layout, m_runner, m_log.get())),
      m_installer(
          std::make_unique<PackageInstaller>(m_layout, m_runner, m_log.get(), m_detection.get())),
      m_control(makeServerControl(m_layout, m_runner, m_log.get(), m_detection.get())),
      m_saver(std::make_unique<CheckedSaver>(m_layout, m_runner, m_log.get())),
      m_replication(std::make_unique<ReplicationService>(
          m_layout, m_runner, m_log.get(), m_preferences.get(), m_saver.get(), m_control.get())),
      m_signing(std::make_unique<ZoneSigningService>(
          m_layout, m_runner, m_log.get(), m_preferences.get(), m_saver.get(), m_control.get())),
      m_database(m_layout.dataDirectory.isEmpty()
                     ? nullptr
                     : std::make_unique<ZoneDatabase>(ZoneDatabaseSettings{
                           m_layout.dataDirectory, true, m_preferences->filePath()})),
      m_repository(std::make_unique<ZoneRepository>(
          m_log.get(), m_database.get(), m_configuration, m_saver.get(), m_control.get(),
          [this](const QList<ZonePtr>& zones) {
              const SaveId id = startConfigurationSave(zones);
              m_repositorySaves.insert(id);
              return id;
          })),
      m_history(std::make_unique<ChangeHistory>(
          m_database.get(),
          m_layout.ownsIncludeOnly ? ownedFileLayout(m_layout).korviInclude
                                   : m_layout.namedConfigPath,
          [preferences = m_preferences] { return ChangeHistory::perZoneFrom(*preferences); })),
      m_restore(std::make_unique<HistoryRestore>(m_history.get(), m_repository.get(), m_log.get())),
      m_adoption(std::make_unique<ZoneAdoption>(m_layout, m_log.get(), m_repository.get(),
                                                m_configuration)),
      m_replicationHealth(std::make_unique<ReplicationHealth>()),
      m_ptrSync(std::make_unique<PtrSync>(m_repository.get(), m_log.get(), *m_preferences)),
      m_statusPoll(new QTimer(this)), m_logFollower(new ServerLogFollower(this)) {
    m_statusPoll->setInterval(defaultStatusPollMs);
    m_repository->setHistory(m_history.get());
    // The log is shared through the store; a zone another Korvi program
    // (korvictl) changed there is read again.
    if (m_database) {
        m_storeFollower = std::make_unique<StoreFollower>(m_log.get(), m_database.get());
        connect(m_storeFollower.get(), &StoreFollower::storeChangedElsewhere, m_repository.get(),
                &ZoneRepository::reloadFromStore);
    }
    // One writer at a time with korvictl: each change waits for the data
    // folder's lock.
    if (!m_layout.dataDirectory.isEmpty()) {
        m_writerLock = std::make_unique<WriterLock>(m_layout.dataDirectory);
        m_repository->setWriterLock(m_writerLock.get());
    }
    // A change the server does not serve ends with named's own words about
    // the zone, from its log.
    const QStringList logPaths = m_layout.bindLogPaths;
    m_repository->setServerLog({[logPaths] { return serverLogSize(logPaths); },
                                [logPaths](const QString& zone, qint64 from) {
                                    return serverLogLinesAbout(logPaths, zone, 3, from);
                                },
                                [logPaths](const QString& zone, qint64 from) {
                                    return serverLoadRefusal(logPaths, zone, from);
                                }});
    // A running server is asked whether it serves each change.
    m_repository->setAnswerSource(
        new ServerQueryAnswers(m_layout.serverAddress, m_layout.serverPort, this));
    // How changes are applied and how long they wait to be served, as the
    // preferences say.
    ApplySettings::applyTo(*m_preferences, *m_repository);
    // What the server wrote before now is read at start-up (loadBindLogs).
    m_logFollower->setPath(serverLogPath());
    connect(m_logFollower, &ServerLogFollower::linesAppended, this,
            &DNSServerManager::addServerLogLines);
    // Secondaries: their lines in the configuration, the catalog of the
    // zones kept with every zone addition and removal.
    m_replication->setConfigurationSave([this] { return startConfigurationSave(zones()); });
    m_signing->setConfigurationSave([this] { return startConfigurationSave(zones()); });
    m_replication->setZoneNames([this] {
        QStringList names;
        for (const ZonePtr& zone : zones())
            names.append(zone->name());
        return names;
    });
    m_repository->setCatalogUpdate(
        [this](const QStringList& names, std::function<void(bool, const QString&)> done) {
            m_replication->updateCatalog(names, std::move(done));
        });
    connectParts();
    startReplicationHealth();
    loadSecondaryZones();
    startUp();
}

void DNSServerManager::startReplicationHealth() {
    // The secondaries are compared with this server, and the lines its log
    // holds about a zone's transfers explain a secondary that fell behind.
    m_replicationHealth->setPrimary(m_layout.serverAddress, m_layout.serverPort);
    const QStringList logPaths = m_layout.bindLogPaths;
    m_replicationHealth->setPrimaryLog([logPaths](const QString& zone) {
        return ReplicationHealth::transferLinesInLog(logPaths, zone);
    });
    connect(m_repository.get(), &ZoneRepository::zonesChanged, m_replicationHealth.get(), [this] {
        QStringList names;
        for (const ZonePtr& zone : zones())
            names.append(zone->name());
        m_replicationHealth->setZones(names);
    });
    connect(m_repository.get(), &ZoneRepository::changeFinished, m_replicationHealth.get(),
            [this](ChangeId, bool applied, const QString&) {
                if (applied)
                    m_replicationHealth->refresh();
            });
    // The secondaries to ask are the ones Korvi's zones are transferred to.
    m_replicationHealth->setSecondaries(m_replication->secondaries());
    connect(m_replication.get(), &ReplicationService::secondariesChanged, m_replicationHealth.get(),
            [this] { m_replicationHealth->setSecondaries(m_replication->secondaries()); });
    m_replicationHealth->start();
}

DNSServerManager::~DNSServerManager() {
    NotificationCenter::instance().removeObserver(this);
}

void DNSServerManager::connectParts() {
    connect(m_log.get(), &AppLog::changed, this, &DNSServerManager::logsChanged);
    connect(m_control.get(), &ServerControl::statusChanged, this,
            &DNSServerManager::serverStatusChanged);
    connect(m_control.get(), &ServerControl::reloadFinished, this, [this](bool success) {
        if (success)
            loadConfigurationFromFile();
    });
    connect(m_statusPoll, &QTimer::timeout, m_control.get(), &ServerControl::pollStatus);
    // The server is asked for the SOA of a zone it is expected to serve.
    connect(m_repository.get(), &ZoneRepository::zonesChanged, this, [this] {
        QStringList names;
        for (const ZonePtr& zone : zones())
            names.append(zone->name());
        m_control->setServedZones(names);
    });
    // A running distribution server learns of a changed include at once.
    // Zone additions and removals tell it themselves, as do record changes.
    connect(m_saver.get(), &CheckedSaver::ownedConfigurationChanged, this, [this](SaveId id) {
        if (!m_repositorySaves.contains(id) && isRunning())
            m_control->reconfigure();
    });
    // The adopted zone's addition tells a running server itself.
    connect(m_adoption.get(), &ZoneAdoption::finished, this,
            &DNSServerManager::zoneAdoptionFinished);
    connect(m_repository.get(), &ZoneRepository::zonesChanged, this,
            &DNSServerManager::zonesChanged);
    connect(m_repository.get(), &ZoneRepository::changeFinished, this,
            [this](ChangeId id, bool applied, const QString&) {
                const QString removed = m_removedZoneNames.take(id);
                if (applied && !removed.isEmpty())
                    m_signing->forget(removed);
            });
    connect(m_repository.get(), &ZoneRepository::changeFinished, this,
            &DNSServerManager::changeFinished);
    connect(m_saver.get(), &CheckedSaver::finished, this,
            [this](SaveId id, const QString&, bool written, const QString&) {
                m_repositorySaves.remove(id);
                if (m_configurationSaves.remove(id))
                    Q_EMIT configurationSaveFinished(id, written);
            });

    HostDetection* detection = m_detection.get();
    connect(detection, &HostDetection::bindInstalledChanged, this,
            &DNSServerManager::isBindInstalledChanged);
    connect(detection, &HostDetection::bindVersionChanged, this,
            &DNSServerManager::bindVersionChanged);
    connect(detection, &HostDetection::bindVersionSupportedChanged, this,
            &DNSServerManager::isBindVersionSupportedChanged);
    connect(detection, &HostDetection::installedChanged, this,
            [this](PackageManager manager, bool value) {
                switch (manager) {
                case PackageManager::homebrew:
                    Q_EMIT isHomebrewInstalledChanged(value);
                    break;
                case PackageManager::macPorts:
                    Q_EMIT isMacPortsInstalledChanged(value);
                    break;
                case PackageManager::apt:
                    Q_EMIT isAptInstalledChanged(value);
                    break;
                case PackageManager::none:
                    break;
                }
            });
    connect(detection, &HostDetection::availableChanged, this, [this](PackageManager manager) {
        Q_EMIT availablePackageManagerChanged(packageManagerName(manager));
    });
    connect(detection, &HostDetection::bindDetected, this, &DNSServerManager::bindDetected);
}

void DNSServerManager::startUp() {
    consoleLine(QStringLiteral("🚀 DNSServerManager initializing..."));
    checkHomebrewInstallation();
    checkMacPortsInstallation();
    checkAptInstallation();
    checkBindInstallation();

    // The zone list arrives from the database's thread; the window does not
    // wait for it.
    consoleLine(QStringLiteral("📱 Loading zones from app storage..."));
    loadZonesFromStorage();

    // The detections above report later, on the main thread, so the flag is
    // still false here; BIND detection runs these steps once it finds named.
    if (isBindInstalled())
        runInstalledBindSteps();

    NotificationCenter::instance().addObserver(appWillTerminateNotification, this,
                                               [this] { applicationWillTerminate(); });
    consoleLine(QStringLiteral("✅ DNSServerManager initialization complete with ") +
                QString::number(zones().size()) + QStringLiteral(" zones"));
}

void DNSServerManager::bindDetected(const QString& path) {
    if (path.isEmpty()) {
        m_statusPoll->stop();
        m_control->setStatus(ServerStatus::notInstalled);
        return;
    }
    // The first time named is found, the manager also does what start-up
    // does for an installed BIND; that includes the status check.
    if (m_installedBindStepsDone)
        checkServerStatus();
    else
        runInstalledBindSteps();
}

void DNSServerManager::runInstalledBindSteps() {
    m_installedBindStepsDone = true;
    checkServerStatus();
    m_statusPoll->start();
    // BIND's files are read once the stored zones are in, so that a zone
    // both stored and on disk is taken from the store.
    const auto loadFromFiles = [this] {
        consoleLine(QStringLiteral("💿 Loading zones from file system..."));
        // A distribution's settings are shown as its package file has them.
        if (m_layout.ownsIncludeOnly)
            loadOwnedConfiguration();
        loadZonesFromBindConfiguration();
        consoleLine(QStringLiteral("💿 File system loading complete. Total zones: ") +
                    QString::number(zones().size()));
    };
    if (m_repository->isStorageLoaded())
        loadFromFiles();
    else
        connect(m_repository.get(), &ZoneRepository::storageLoaded, this, loadFromFiles,
                Qt::SingleShotConnection);
    loadBindLogs();
}

void DNSServerManager::applicationWillTerminate() {
    consoleLine(QStringLiteral("🔄 App terminating, saving data..."));
    m_terminationSaveId = saveConfiguration();
    const QString message = QStringLiteral("💾 Configuration saved on app termination");
    addLog(message, LogLevel::info);
    consoleLine(QStringLiteral("✅ ") + message);
}

// Published state, held by the parts.

ServerStatus DNSServerManager::serverStatus() const {
    return m_control->status();
}
void DNSServerManager::setServerStatus(ServerStatus status) {
    m_control->setStatus(status);
}
const QList<ZonePtr>& DNSServerManager::zones() const {
    return m_repository->zones();
}
void DNSServerManager::setZones(const QList<ZonePtr>& zones) {
    m_repository->setZones(zones);
}
const QStringList& DNSServerManager::logs() const {
    return m_log->lines();
}
bool DNSServerManager::isBindInstalled() const {
    return m_detection->isBindInstalled();
}
void DNSServerManager::setBindInstalled(bool value) {
    m_detection->setBindInstalled(value);
}
const QString& DNSServerManager::bindVersion() const {
    return m_detection->bindVersion();
}
void DNSServerManager::setBindVersion(const QString& value) {
    m_detection->setBindVersion(value);
}
bool DNSServerManager::isBindVersionSupported() const {
    return m_detection->isBindVersionSupported();
}
void DNSServerManager::setBindVersionSupported(bool value) {
    m_detection->setBindVersionSupported(value);
}
bool DNSServerManager::isHomebrewInstalled() const {
    return m_detection->isInstalled(PackageManager::homebrew);
}
void DNSServerManager::setHomebrewInstalled(bool value) {
    m_detection->setInstalled(PackageManager::homebrew, value);
}
bool DNSServerManager::isMacPortsInstalled() const {
    return m_detection->isInstalled(PackageManager::macPorts);
}
void DNSServerManager::setMacPortsInstalled(bool value) {
    m_detection->setInstalled(PackageManager::macPorts, value);
}
bool DNSServerManager::isAptInstalled() const {
    return m_detection->isInstalled(PackageManager::apt);
}
void DNSServerManager::setAptInstalled(bool value) {
    m_detection->setInstalled(PackageManager::apt, value);
}
QString DNSServerManager::availablePackageManager() const {
    return packageManagerName(m_detection->available());
}
void DNSServerManager::setAvailablePackageManager(const QString& value) {
    m_detection->setAvailable(packageManagerFromName(value));
}
const QString& DNSServerManager::detectedBindPath() const {
    return m_detection->bindPath();
}
qsizetype DNSServerManager::totalRecords() const {
    return m_repository->totalRecords();
}
void DNSServerManager::addLog(const QString& message, LogLevel level) {
    m_log->add(message, level);
}
void DNSServerManager::clearLogs() {
    m_log->clearByUser();
}
void DNSServerManager::setStatusPollInterval(int ms) {
    m_statusPoll->setInterval(qMax(ms, 100));
}
int DNSServerManager::statusPollInterval() const {
    return m_statusPoll->interval();
}
QString DNSServerManager::namesList(const QList<ZonePtr>& zones) {
    return ZoneRepository::namesList(zones);
}

} // namespace korvi
