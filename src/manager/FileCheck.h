#pragma once

#include <QString>

#include <optional>

#include "manager/DNSServerManager.h"

namespace korvi {

// One run of a BIND checker over a scratch copy of a text: the copy is
// written, the checker runs through the manager's shell runner, the result is
// judged and logged, the copy is removed, and only then does the completion
// run. The zone-file and named.conf saves differ only in their names and
// words, which Texts carries.
class FileCheck {
public:
    // The words of one kind of check, ready to be completed with the error's
    // description, the checker's output or the scratch path.
    struct Texts {
        QString createFailurePrefix;  // message when the copy cannot be written
        QString passedLine;           // logged when the checker accepts the text
        QString errorPrefix;          // message before the checker's output
        QString unknownError;         // message when the checker fails silently
        QString cleanupFailurePrefix; // logged before the copy's path
    };

    // Writes the text to temporaryPath, runs the command line and calls the
    // completion once, on the main thread, after the copy has been removed.
    // Returns at once. Lines are logged only while the manager exists; the
    // run holds it weakly.
    static void run(DNSServerManager& manager, const QString& text, const QString& temporaryPath,
                    const QString& command, const Texts& texts,
                    DNSServerManager::ValidationCompletion completion);

    // A new scratch-copy suffix: a random UUID in upper case, 8-4-4-4-12.
    static QString newUuidText();

    // Runs the completion on the main thread once the current code has
    // returned to the event loop (at once if there is no application object,
    // as there is then no event loop to run it on).
    static void post(const DNSServerManager::ValidationCompletion& completion, bool success,
                     const std::optional<QString>& message);
};

} // namespace korvi
