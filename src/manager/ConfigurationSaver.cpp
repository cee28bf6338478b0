#include "manager/ConfigurationSaver.h"

#include <QPointer>

#include "manager/FileCheck.h"
#include "manager/TextFileWriter.h"
#include "manager/WriteOrder.h"
#include "manager/ZoneFileSaver.h"

namespace korvi {

void ConfigurationSaver::save(DNSServerManager& manager) {
    const QString path = manager.namedConfigPath();
    if (!manager.isValidPath(path)) {
        manager.addLog(QStringLiteral("Invalid configuration file path"), LogLevel::info);
        Q_EMIT manager.configurationSaveFinished(false);
        return;
    }

    // named-checkconf refuses a "directory" that does not exist, and named
    // needs its data/ folder for the log file, so both are made first.
    ZoneFileSaver::createZoneDirectory(manager);

    // The text taken now is the one checked and written.
    const QString text = manager.configuration()->namedConfText(writerOptions(manager));
    // Checks of two quick saves may finish in either order; the later save's
    // text is the one that stays on disk.
    const quint64 order = WriteOrder::begin(path);
    const QPointer<DNSServerManager> weakManager(&manager);
    manager.validateConfiguration(text, [weakManager, path, order, text](
                                            bool success, const std::optional<QString>& message) {
        if (!weakManager)
            return;
        if (!success) {
            weakManager->addLog(QStringLiteral("Invalid configuration: ") +
                                    message.value_or(QStringLiteral("Unknown error")),
                                LogLevel::info);
            Q_EMIT weakManager->configurationSaveFinished(false);
            return;
        }
        if (!WriteOrder::mayWrite(path, order))
            return;
        QString error;
        const bool written = TextFileWriter::replaceFile(path, text, &error);
        if (written)
            weakManager->addLog(QStringLiteral("Configuration saved successfully"), LogLevel::info);
        else
            weakManager->addLog(QStringLiteral("Failed to save configuration: ") + error,
                                LogLevel::info);
        Q_EMIT weakManager->configurationSaveFinished(written);
    });
}

void ConfigurationSaver::validate(DNSServerManager& manager, const QString& text,
                                  DNSServerManager::ValidationCompletion completion) {
    FileCheck::Texts texts;
    texts.createFailurePrefix = QStringLiteral("Failed to create temporary configuration file: ");
    texts.passedLine = QStringLiteral("✅ Configuration validation passed");
    texts.errorPrefix = QStringLiteral("Configuration error: ");
    texts.unknownError = QStringLiteral("Unknown configuration error");
    texts.cleanupFailurePrefix = QStringLiteral("⚠️ Failed to clean up temporary file: ");

    const QString scratch = temporaryPath(manager.layout().temporaryDirectory);
    FileCheck::run(manager, text, scratch, checkCommand(scratch), texts, std::move(completion));
}

NamedConfWriter::Options ConfigurationSaver::writerOptions(const DNSServerManager& manager) {
    NamedConfWriter::Options options;
    options.directory = manager.zoneDirectory();
    options.bindVersion = manager.bindVersion();
    options.extraOptionLines = manager.layout().namedConfOptionLines;
    options.extraStatements = manager.layout().namedConfStatements;
    return options;
}

QString ConfigurationSaver::temporaryPath(const QString& temporaryDirectory) {
    return temporaryDirectory + QStringLiteral("/named.conf.tmp.") + FileCheck::newUuidText();
}

QString ConfigurationSaver::checkCommand(const QString& temporaryPath) {
    return QStringLiteral("named-checkconf ") + temporaryPath;
}

} // namespace korvi
