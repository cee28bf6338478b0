// The checked saver's checks: the text made on a worker thread, then judged
// by BIND's checker, from a scratch copy or through a checker that waits for
// it (WarmZoneChecker).

#include <QFile>
#include <QUuid>

#include "manager/AppLog.h"
#include "manager/CheckedSaverParts.h"
#include "manager/TextFileWriter.h"
#include "manager/WarmZoneChecker.h"

namespace korvi {

using saverparts::fileNamePart;
using saverparts::inBackground;
using saverparts::post;
using saverparts::WriteOutcome;

CheckedSaver::Verdict CheckedSaver::checkerVerdict(const QPointer<AppLog>& log, const Kind& kind,
                                                   const CheckedText& completion) {
    // The completion is posted, not called: it runs after the lines logged
    // here (and after the scratch copy is gone).
    return [log, kind, completion](bool success, const QString& output, const QString& text) {
        if (success) {
            if (log)
                log->add(kind.passedLine, LogLevel::info);
            post([completion, text] { completion(true, std::nullopt, text); });
        } else {
            const QString message =
                output.isEmpty() ? kind.unknownError : kind.errorPrefix + output;
            if (log)
                log->add(QStringLiteral("❌ ") + message, LogLevel::info);
            post([completion, message, text] { completion(false, message, text); });
        }
    };
}

void CheckedSaver::checkZoneFile(const QString& text, const QString& zoneName,
                                 CheckCompletion completion) {
    check(Kind::zoneFile(zoneName), text, zoneName, std::move(completion));
}

void CheckedSaver::checkConfiguration(const QString& text, CheckCompletion completion) {
    check(Kind::configuration(), text, QString(), std::move(completion));
}

void CheckedSaver::check(const Kind& kind, const QString& text, const QString& zoneName,
                         CheckCompletion completion) {
    checkSource(
        kind, [text] { return text; }, zoneName,
        [completion](bool success, const std::optional<QString>& message, const QString&) {
            completion(success, message);
        });
}

void CheckedSaver::checkSource(const Kind& kind, TextSource source, const QString& zoneName,
                               CheckedText completion) {
    const Verdict verdict = checkerVerdict(m_log, kind, completion);
    const auto scratchCheck = scratchChecker(kind, zoneName, completion);
    if (!kind.isZone || !m_warm) {
        inBackground(QThreadPool::globalInstance(), std::move(source),
                     [scratchCheck](const QString& text) { scratchCheck(text); });
        return;
    }
    const QPointer<CheckedSaver> saver(this);
    if (!m_warm->isWaiting(zoneName)) {
        // A checker for the zone's next change starts once this check has
        // ended, not beside it.
        const auto thenPrepare = scratchChecker(
            kind, zoneName,
            [saver, zoneName, completion](bool success, const std::optional<QString>& message,
                                          const QString& text) {
                completion(success, message, text);
                if (saver)
                    saver->prepareZoneCheck(zoneName);
            });
        inBackground(QThreadPool::globalInstance(), std::move(source),
                     [thenPrepare](const QString& text) { thenPrepare(text); });
        return;
    }
    // A checker waits for this zone: the text goes to it; when it is not
    // ready after all, the text is checked from a scratch copy as usual.
    // Either way a checker is started for the zone's next change.
    const int timeoutMs = m_runner.commandTimeoutMs();
    inBackground(QThreadPool::globalInstance(), std::move(source),
                 [saver, zoneName, timeoutMs, verdict, scratchCheck](const QString& text) {
                     if (!saver || !saver->m_warm) {
                         scratchCheck(text);
                         return;
                     }
                     saver->m_warm->check(zoneName, text, timeoutMs,
                                          [saver, zoneName, text, verdict, scratchCheck](
                                              bool taken, bool success, const QString& output) {
                                              if (taken)
                                                  verdict(success, output, text);
                                              else
                                                  scratchCheck(text);
                                              if (saver)
                                                  saver->prepareZoneCheck(zoneName);
                                          });
                 });
}

std::function<void(const QString&)>
CheckedSaver::scratchChecker(const Kind& kind, const QString& zoneName, CheckedText completion) {
    const QString suffix = QStringLiteral(".tmp.") + uuidText(QUuid::createUuid());
    const QString scratch = m_scratch.path() + u'/' +
                            (kind.isZone ? QStringLiteral("db.") + fileNamePart(zoneName)
                                         : QStringLiteral("named.conf")) +
                            suffix;
    // "-k fail": named refuses a primary zone whose host names break the
    // naming rules (check-names primary fail); its checker only warns unless
    // told to judge the same way.
    const QStringList command =
        kind.isZone ? QStringList{QStringLiteral("named-checkzone"), QStringLiteral("-k"),
                                  QStringLiteral("fail"), zoneName, scratch}
                    : QStringList{QStringLiteral("named-checkconf"), scratch};
    const QPointer<AppLog> log = m_log;
    const Verdict verdict = checkerVerdict(log, kind, completion);
    // The runner is taken along: a zone file is still checked and written
    // when the saver is gone by then.
    return [runner = m_runner, log, scratch, kind, command, verdict, completion,
            base = m_layout.temporaryDirectory](const QString& text) {
        inBackground(
            QThreadPool::globalInstance(),
            [text, scratch, base] {
                WriteOutcome written;
                written.ok = ScratchFolder::prepare(base) &&
                             TextFileWriter::writeNewFile(scratch, text, &written.error);
                return written;
            },
            [runner, log, scratch, kind, command, verdict, completion,
             text](const WriteOutcome& written) {
                if (!written.ok) {
                    const QString error = written.error.isEmpty()
                                              ? QStringLiteral("No such file or directory")
                                              : written.error;
                    const QString message = kind.createFailurePrefix + error;
                    if (log)
                        log->add(QStringLiteral("❌ ") + message, LogLevel::info);
                    post([completion, message, text] { completion(false, message, text); });
                    return;
                }
                runner.runCommand(command, [log, scratch, kind, verdict,
                                            text](bool success, const QString& output) {
                    verdict(success, output, text);
                    if (!QFile::remove(scratch) && log)
                        log->add(kind.cleanupFailurePrefix + scratch, LogLevel::info);
                });
            });
    };
}

void CheckedSaver::prepareZoneCheck(const QString& zoneName) {
    if (m_warm && !m_owned && ScratchFolder::prepare(m_layout.temporaryDirectory))
        m_warm->prepare(m_scratch.path(), zoneName, QStringLiteral("db.") + fileNamePart(zoneName));
}

} // namespace korvi
