#include "manager/DNSServerManager.h"

#include <QDateTime>
#include <QMetaObject>

#include "platform/Console.h"
#include "platform/NotificationCenter.h"

namespace korvi {

DNSServerManager::DNSServerManager(QObject* parent)
    : DNSServerManager(SystemLayout::standard(), std::make_shared<PreferencesStore>(), parent) {}

DNSServerManager::DNSServerManager(const SystemLayout& layout,
                                   std::shared_ptr<PreferencesStore> preferences, QObject* parent)
    : QObject(parent), m_layout(layout), m_preferences(std::move(preferences)),
      m_commandRunner(m_layout, this), m_configuration(new DNSConfiguration(this)) {
    startUp();
}

DNSServerManager::~DNSServerManager() {
    NotificationCenter::instance().removeObserver(this);
}

void DNSServerManager::startUp() {
    consoleLine(QStringLiteral("🚀 DNSServerManager initializing..."));
    checkHomebrewInstallation();
    checkMacPortsInstallation();
    checkAptInstallation();
    checkBindInstallation();

    consoleLine(QStringLiteral("📱 Loading zones from app storage..."));
    loadZonesFromStorage();
    consoleLine(QStringLiteral("📱 App storage loading complete. Current zones: ") +
                QString::number(m_zones.size()));

    // The detections above report later, on the main thread, so the flag is
    // still false here; BIND detection runs these steps once it finds named.
    if (m_isBindInstalled)
        runInstalledBindSteps();

    NotificationCenter::instance().addObserver(appWillTerminateNotification, this,
                                               [this] { applicationWillTerminate(); });
    consoleLine(QStringLiteral("✅ DNSServerManager initialization complete with ") +
                QString::number(m_zones.size()) + QStringLiteral(" zones"));
}

void DNSServerManager::runInstalledBindSteps() {
    m_installedBindStepsDone = true;
    checkServerStatus();
    consoleLine(QStringLiteral("💿 Loading zones from file system..."));
    loadZonesFromBindConfiguration();
    consoleLine(QStringLiteral("💿 File system loading complete. Total zones: ") +
                QString::number(m_zones.size()));
    loadBindLogs();
}

void DNSServerManager::setServerStatus(ServerStatus status) {
    m_serverStatus = status;
    Q_EMIT serverStatusChanged(status);
}

void DNSServerManager::setZones(const QList<ZonePtr>& zones) {
    m_zones = zones;
    Q_EMIT zonesChanged();
}

void DNSServerManager::setBindInstalled(bool value) {
    m_isBindInstalled = value;
    Q_EMIT isBindInstalledChanged(value);
}

void DNSServerManager::setBindVersion(const QString& value) {
    m_bindVersion = value;
    Q_EMIT bindVersionChanged(value);
}

void DNSServerManager::setBindVersionSupported(bool value) {
    m_isBindVersionSupported = value;
    Q_EMIT isBindVersionSupportedChanged(value);
}

void DNSServerManager::setHomebrewInstalled(bool value) {
    m_isHomebrewInstalled = value;
    Q_EMIT isHomebrewInstalledChanged(value);
}

void DNSServerManager::setMacPortsInstalled(bool value) {
    m_isMacPortsInstalled = value;
    Q_EMIT isMacPortsInstalledChanged(value);
}

void DNSServerManager::setAptInstalled(bool value) {
    m_isAptInstalled = value;
    Q_EMIT isAptInstalledChanged(value);
}

void DNSServerManager::setAvailablePackageManager(const QString& value) {
    m_availablePackageManager = value;
    Q_EMIT availablePackageManagerChanged(value);
}

qsizetype DNSServerManager::totalRecords() const {
    qsizetype total = 0;
    for (const ZonePtr& zone : m_zones)
        total += zone->records().size();
    return total;
}

void DNSServerManager::addLog(const QString& message, LogLevel level) {
    // QDateTime formatting is reentrant, so every thread formats its own stamp.
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' +
        levelWord(level) + QStringLiteral(": ") + message;
    // Queued to the manager's thread; Qt drops the call if the manager is gone.
    QMetaObject::invokeMethod(
        this, [this, line] { appendLogLine(line); }, Qt::QueuedConnection);
    consoleLine(line);
}

void DNSServerManager::appendLogLine(const QString& line) {
    m_logs.append(line);
    if (m_logs.size() > maximumLogLines)
        m_logs.removeFirst();
    Q_EMIT logsChanged();
}

void DNSServerManager::appendRawLogLines(const QStringList& lines) {
    m_logs.append(lines);
    Q_EMIT logsChanged();
}

void DNSServerManager::clearLogs() {
    m_logs.clear();
    Q_EMIT logsChanged();
    addLog(QStringLiteral("Application logs cleared by user"), LogLevel::info);
}

QString DNSServerManager::namesList(const QList<ZonePtr>& zones) {
    QStringList quoted;
    for (const ZonePtr& zone : zones)
        quoted.append(u'"' + zone->name() + u'"');
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

void DNSServerManager::applicationWillTerminate() {
    consoleLine(QStringLiteral("🔄 App terminating, saving data..."));
    consoleLine(QStringLiteral("🔍 Zones to save: ") + namesList(m_zones) +
                QStringLiteral(" (total: ") + QString::number(m_zones.size()) + u')');
    saveConfiguration();
    saveZonesToStorage();
    const QString message = QStringLiteral("💾 Configuration and zones saved on app termination");
    addLog(message, LogLevel::info);
    consoleLine(QStringLiteral("✅ ") + message);
}

} // namespace korvi
