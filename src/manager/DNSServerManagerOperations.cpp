// DNSServerManager: the operations the window calls, each handed to the part
// that does it.

#include <QFileInfo>

#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"
#include "manager/DNSServerManager.h"
#include "manager/HostDetection.h"
#include "manager/PackageInstaller.h"
#include "manager/ReplicationService.h"
#include "manager/ServerControl.h"
#include "manager/ZoneRepository.h"
#include "manager/ZoneSigningService.h"

namespace korvi {

bool DNSServerManager::isValidPath(const QString& path) const {
    return m_runner.isValidPath(path);
}
void DNSServerManager::runProcess(const QString& path, const QStringList& arguments,
                                  CommandCompletion completion) {
    m_runner.runProcess(path, arguments, std::move(completion));
}

void DNSServerManager::checkHomebrewInstallation() {
    m_detection->detectPackageManager(PackageManager::homebrew);
}
void DNSServerManager::checkMacPortsInstallation() {
    m_detection->detectPackageManager(PackageManager::macPorts);
}
void DNSServerManager::checkAptInstallation() {
    m_detection->detectPackageManager(PackageManager::apt);
}
void DNSServerManager::checkBindInstallation() {
    m_detection->detectBind();
}
void DNSServerManager::refreshPackageManagerDetection() {
    addLog(QStringLiteral("Refreshing package manager detection..."), LogLevel::info);
    checkHomebrewInstallation();
    checkMacPortsInstallation();
    checkAptInstallation();
}
void DNSServerManager::updateAvailablePackageManager() {
    m_detection->updateAvailable();
}
QString DNSServerManager::parseBindVersion(const QString& output) {
    return HostDetection::parseBindVersion(output);
}
bool DNSServerManager::isVersionSupported(const QString& version) {
    return HostDetection::isVersionSupported(version);
}

void DNSServerManager::installBind() {
    m_installer->installBind();
}
void DNSServerManager::installBindWithHomebrew() {
    m_installer->installWith(PackageManager::homebrew);
}
void DNSServerManager::installBindWithMacPorts() {
    m_installer->installWith(PackageManager::macPorts);
}
void DNSServerManager::installBindWithApt() {
    m_installer->installWith(PackageManager::apt);
}
void DNSServerManager::openPackageManagerInstallationGuide() {
    m_installer->openInstallationGuide();
}

void DNSServerManager::checkServerStatus() {
    m_control->checkStatus();
}
void DNSServerManager::startServer() {
    m_control->start();
}
void DNSServerManager::stopServer() {
    m_control->stop();
}
void DNSServerManager::reloadServer() {
    m_control->reload();
}
void DNSServerManager::loadBindLogs() {
    m_control->loadLog();
}
void DNSServerManager::readBindLogFile(const QString& path) {
    m_control->readLogFile(path);
}
QString DNSServerManager::serverLogPath() const {
    if (m_layout.serverControl == SystemLayout::Control::systemd)
        return QString();
    for (const QString& path : m_layout.bindLogPaths) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return m_layout.bindLogPaths.value(0);
}
void DNSServerManager::addServerLogLines(const QStringList& lines) {
    if (!lines.isEmpty())
        m_log->appendRaw(lines);
}

SaveId DNSServerManager::saveZoneFile(const ZonePtr& zone) {
    return m_saver->saveZoneFile(zone);
}
void DNSServerManager::validateZoneFile(const QString& text, const QString& zoneName,
                                        ValidationCompletion completion) {
    m_saver->checkZoneFile(text, zoneName, std::move(completion));
}
NamedConfWriter::Options DNSServerManager::namedConfOptions() const {
    NamedConfWriter::Options options;
    options.directory = m_layout.zoneDirectory;
    options.bindVersion = bindVersion();
    options.extraOptionLines = m_layout.namedConfOptionLines;
    options.extraStatements = m_layout.namedConfStatements;
    options.extraStatements += m_replication->configurationStatements();
    options.extraStatements += m_signing->policyStatements();
    options.zoneLines = m_replication->zoneLines();
    options.linesOfZone = m_signing->zoneLines();
    return options;
}
SaveId DNSServerManager::saveConfiguration() {
    return startConfigurationSave(zones());
}
SaveId DNSServerManager::startConfigurationSave(const QList<ZonePtr>& zones) {
    // A distribution's BIND keeps its named.conf; Korvi writes its include.
    const SaveId id =
        m_layout.ownsIncludeOnly
            ? m_saver->saveOwnedConfiguration(zones, m_replication->zoneLines(),
                                              m_replication->configurationStatements() +
                                                  m_signing->policyStatements(),
                                              m_signing->zoneLines())
            : m_saver->saveConfiguration(m_configuration->namedConfText(namedConfOptions()));
    m_configurationSaves.insert(id);
    return id;
}
void DNSServerManager::validateConfiguration(const QString& text, ValidationCompletion completion) {
    m_saver->checkConfiguration(text, std::move(completion));
}

void DNSServerManager::loadZonesFromStorage() {
    m_repository->loadFromStorage();
}
bool DNSServerManager::isStorageLoaded() const {
    return m_repository->isStorageLoaded();
}
bool DNSServerManager::hasPendingStorageWrites() const {
    return m_repository->hasPendingWrites();
}
ChangeId DNSServerManager::addZone(const ZonePtr& zone) {
    return m_repository->addZone(zone);
}
ChangeId DNSServerManager::removeZone(const ZonePtr& zone) {
    const ChangeId id = m_repository->removeZone(zone);
    // The outcome comes from the event loop, after this entry is made.
    if (zone)
        m_removedZoneNames.insert(id, zone->name());
    return id;
}
ChangeId DNSServerManager::addRecord(const DNSRecord& record, const ZonePtr& zone) {
    return m_repository->addRecord(record, zone);
}
ChangeId DNSServerManager::updateRecord(const DNSRecord& record, const ZonePtr& zone) {
    return m_repository->updateRecord(record, zone);
}
ChangeId DNSServerManager::deleteRecord(const DNSRecord& record, const ZonePtr& zone) {
    return m_repository->deleteRecord(record, zone);
}
ChangeId DNSServerManager::deleteRecords(const QList<QUuid>& recordIds, const ZonePtr& zone) {
    return m_repository->deleteRecords(recordIds, zone);
}
ChangeId DNSServerManager::updateSOA(const SOARecord& soa, const ZonePtr& zone) {
    return m_repository->updateSOA(soa, zone);
}
void DNSServerManager::prepareZoneChange(const ZonePtr& zone) {
    if (zone && m_saver)
        m_saver->prepareZoneCheck(zone->name());
}

bool DNSServerManager::hasPendingChanges() const {
    return m_repository->hasPendingChanges();
}
void DNSServerManager::updateSOASerial(const ZonePtr& zone) {
    m_repository->updateSOASerial(zone);
}
void DNSServerManager::validateDataIntegrity() {
    m_repository->validateDataIntegrity();
}
std::optional<QString> DNSServerManager::newZoneRefusal(const QString& name) const {
    // A zone this server keeps as a secondary is taken as well.
    if (secondaryZone(name))
        return QStringLiteral("A zone for this domain already exists");
    return m_repository->newZoneRefusal(name);
}
void DNSServerManager::adoptZone(const ConfiguredZone& zone) {
    m_adoption->adopt(zone);
}
void DNSServerManager::setClock(Clock clock) {
    m_repository->setClock(std::move(clock));
}

} // namespace korvi
