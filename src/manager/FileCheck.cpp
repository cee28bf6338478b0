#include "manager/FileCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QUuid>

#include "manager/TextFileWriter.h"
#include "model/DNSRecord.h"

namespace korvi {

void FileCheck::run(DNSServerManager& manager, const QString& text, const QString& temporaryPath,
                    const QString& command, const Texts& texts,
                    DNSServerManager::ValidationCompletion completion) {
    QString error;
    if (!TextFileWriter::writeNewFile(temporaryPath, text, &error)) {
        const QString message = texts.createFailurePrefix + error;
        manager.addLog(QStringLiteral("❌ ") + message, LogLevel::info);
        post(completion, false, message);
        return;
    }

    const QPointer<DNSServerManager> weakManager(&manager);
    manager.executeCommand(command, [weakManager, temporaryPath, texts,
                                     completion](bool success, const QString& output) {
        // The completion is posted, not called: it runs after the copy below
        // is gone, and after the lines logged here.
        if (success) {
            if (weakManager)
                weakManager->addLog(texts.passedLine, LogLevel::info);
            post(completion, true, std::nullopt);
        } else {
            const QString message =
                output.isEmpty() ? texts.unknownError : texts.errorPrefix + output;
            if (weakManager)
                weakManager->addLog(QStringLiteral("❌ ") + message, LogLevel::info);
            post(completion, false, message);
        }
        if (!QFile::remove(temporaryPath) && weakManager)
            weakManager->addLog(texts.cleanupFailurePrefix + temporaryPath, LogLevel::info);
    });
}

QString FileCheck::newUuidText() {
    return uuidText(QUuid::createUuid());
}

void FileCheck::post(const DNSServerManager::ValidationCompletion& completion, bool success,
                     const std::optional<QString>& message) {
    if (!completion)
        return;
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        completion(success, message);
        return;
    }
    QMetaObject::invokeMethod(
        application, [completion, success, message] { completion(success, message); },
        Qt::QueuedConnection);
}

} // namespace korvi
