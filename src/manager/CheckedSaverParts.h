#pragma once

// The parts the checked saver's two source files share: the words of each
// kind of save, and the ways work moves between the main thread and the
// worker threads. Internal to the saver.

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>
#include <QThreadPool>

#include <functional>

#include "manager/CheckedSaver.h"

namespace korvi {

// The words and ways of one kind of save. The zone-file and named.conf saves
// are one pipeline with two sets of these.
struct CheckedSaver::Kind {
    bool isZone = false;
    QString createFailurePrefix;  // message when the copy cannot be written
    QString passedLine;           // logged when the checker accepts the text
    QString errorPrefix;          // message before the checker's output
    QString unknownError;         // message when the checker fails silently
    QString cleanupFailurePrefix; // logged before the copy's path
    QString invalidPrefix;        // logged before the check's message
    QString writeFailurePrefix;   // logged before the write error
    QString writtenLine;          // logged after the write; empty: none

    static Kind zoneFile(const QString& zoneName) {
        const QString quoted = u'\'' + zoneName + u'\'';
        Kind kind;
        kind.isZone = true;
        kind.createFailurePrefix = QStringLiteral("Failed to create temporary zone file for ") +
                                   quoted + QStringLiteral(": ");
        kind.passedLine = QStringLiteral("✅ Zone file validation passed for ") + quoted;
        kind.errorPrefix = QStringLiteral("Zone file error for ") + quoted + QStringLiteral(": ");
        kind.unknownError = QStringLiteral("Unknown zone file error");
        kind.cleanupFailurePrefix =
            QStringLiteral("⚠️ Failed to clean up temporary zone file: ");
        kind.invalidPrefix =
            QStringLiteral("Invalid zone file for ") + quoted + QStringLiteral(": ");
        kind.writeFailurePrefix =
            QStringLiteral("Failed to save zone file for ") + quoted + QStringLiteral(": ");
        return kind;
    }

    static Kind configuration() {
        Kind kind;
        kind.createFailurePrefix =
            QStringLiteral("Failed to create temporary configuration file: ");
        kind.passedLine = QStringLiteral("✅ Configuration validation passed");
        kind.errorPrefix = QStringLiteral("Configuration error: ");
        kind.unknownError = QStringLiteral("Unknown configuration error");
        kind.cleanupFailurePrefix = QStringLiteral("⚠️ Failed to clean up temporary file: ");
        kind.invalidPrefix = QStringLiteral("Invalid configuration: ");
        kind.writeFailurePrefix = QStringLiteral("Failed to save configuration: ");
        kind.writtenLine = QStringLiteral("Configuration saved successfully");
        return kind;
    }
};

namespace saverparts {

// Runs the work on the main thread once the current code has returned to the
// event loop (at once without an application object: there is no loop).
inline void post(std::function<void()> work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        work();
        return;
    }
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

// Runs `work` on a worker thread and hands its result to `then` on the main
// thread. Zone files run to megabytes: making their text and writing it
// would otherwise hold up the window.
template <typename Work, typename Then> void inBackground(QThreadPool* pool, Work work, Then then) {
    if (!QCoreApplication::instance()) {
        then(work());
        return;
    }
    pool->start([work = std::move(work), then = std::move(then)]() mutable {
        auto result = work();
        post([then = std::move(then), result = std::move(result)]() mutable { then(result); });
    });
}

// A zone name as part of a file name: nothing that would leave the folder or
// break the name.
inline QString fileNamePart(const QString& zoneName) {
    QString part = zoneName;
    for (QChar& c : part) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    return part;
}

struct WriteOutcome {
    bool ok = false;
    QString error;
};

} // namespace saverparts

} // namespace korvi
