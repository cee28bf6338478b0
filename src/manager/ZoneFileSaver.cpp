#include "manager/ZoneFileSaver.h"

#include <QDir>
#include <QPointer>

#include "manager/FileCheck.h"
#include "manager/TextFileWriter.h"
#include "manager/WriteOrder.h"

namespace korvi {

namespace {

QString dataFolder(const QString& zoneDirectory) {
    return zoneDirectory + QStringLiteral("/data");
}

} // namespace

void ZoneFileSaver::save(DNSServerManager& manager, const ZonePtr& zone) {
    if (!zone)
        return;
    const QString path = zone->filePath();
    if (!manager.isValidPath(path)) {
        manager.addLog(QStringLiteral("Invalid zone file path: ") + path, LogLevel::info);
        return;
    }

    // The text and name taken now are the ones checked, written and named in
    // every line of this save, whatever happens to the zone meanwhile.
    const QString text = zone->zoneFileText();
    const QString zoneName = zone->name();
    // Kept for the write, which happens even if the manager is gone by then.
    const QString folder = dataFolder(manager.zoneDirectory());
    const bool mayCreateFolder = manager.isValidPath(folder);

    // Checks of two quick saves may finish in either order; the later save's
    // text is the one that stays on disk.
    const quint64 order = WriteOrder::begin(path);

    const QPointer<DNSServerManager> weakManager(&manager);
    manager.validateZoneFile(
        text, zoneName,
        [weakManager, zone, path, order, text, zoneName, folder,
         mayCreateFolder](bool success, const std::optional<QString>& message) {
            if (!success) {
                if (weakManager)
                    weakManager->addLog(QStringLiteral("Invalid zone file for '") + zoneName +
                                            QStringLiteral("': ") +
                                            message.value_or(QStringLiteral("Unknown error")),
                                        LogLevel::info);
                return;
            }
            if (!WriteOrder::mayWrite(path, order))
                return;
            if (mayCreateFolder)
                QDir().mkpath(folder);
            QString error;
            if (!TextFileWriter::replaceFile(zone->filePath(), text, &error) && weakManager)
                weakManager->addLog(QStringLiteral("Failed to save zone file for '") + zoneName +
                                        QStringLiteral("': ") + error,
                                    LogLevel::info);
        });
}

void ZoneFileSaver::validate(DNSServerManager& manager, const QString& text,
                             const QString& zoneName,
                             DNSServerManager::ValidationCompletion completion) {
    const QString quoted = u'\'' + zoneName + u'\'';
    FileCheck::Texts texts;
    texts.createFailurePrefix =
        QStringLiteral("Failed to create temporary zone file for ") + quoted + QStringLiteral(": ");
    texts.passedLine = QStringLiteral("✅ Zone file validation passed for ") + quoted;
    texts.errorPrefix = QStringLiteral("Zone file error for ") + quoted + QStringLiteral(": ");
    texts.unknownError = QStringLiteral("Unknown zone file error");
    texts.cleanupFailurePrefix = QStringLiteral("⚠️ Failed to clean up temporary zone file: ");

    const QString scratch = temporaryPath(manager.layout().temporaryDirectory, zoneName);
    FileCheck::run(manager, text, scratch, checkCommand(zoneName, scratch), texts,
                   std::move(completion));
}

QString ZoneFileSaver::temporaryPath(const QString& temporaryDirectory, const QString& zoneName) {
    return temporaryDirectory + QStringLiteral("/db.") + zoneName + QStringLiteral(".tmp.") +
           FileCheck::newUuidText();
}

QString ZoneFileSaver::checkCommand(const QString& zoneName, const QString& temporaryPath) {
    return QStringLiteral("named-checkzone ") + zoneName + u' ' + temporaryPath;
}

void ZoneFileSaver::createZoneDirectory(const DNSServerManager& manager) {
    const QString folder = dataFolder(manager.zoneDirectory());
    if (manager.isValidPath(folder))
        QDir().mkpath(folder);
}

} // namespace korvi
