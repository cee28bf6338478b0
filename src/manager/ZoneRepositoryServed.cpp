// The zone repository's steps between a written zone file and a change that
// is applied: the write that keeps the text it replaces, the server's reload,
// and the questions that show the server serves what was written. A change
// the server does not serve is undone: the previous text goes back into the
// file and the server reloads it.

#include <QFile>

#include "manager/AppLog.h"
#include "manager/ChangeTransaction.h"
#include "manager/CheckedSaver.h"
#include "manager/ServedAnswers.h"
#include "manager/ServedChangeCheck.h"
#include "manager/ServerControl.h"
#include "manager/ZoneRepository.h"

namespace korvi {

std::optional<QString> ZoneRepository::fileText(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

void ZoneRepository::setAnswerSource(ServedAnswerSource* source) {
    m_answers = source;
}

qint64 ZoneRepository::serverLogMark() const {
    return m_serverLog.mark ? m_serverLog.mark() : -1;
}

QString ZoneRepository::withServerWords(const QString& reason, const QString& zoneName,
                                        qint64 logMark) const {
    if (!m_serverLog.linesAbout)
        return reason;
    const QString words = m_serverLog.linesAbout(zoneName, logMark).trimmed();
    if (words.isEmpty() || reason.contains(words))
        return reason;
    return reason + QStringLiteral("\nThe server's log: ") + words;
}

void ZoneRepository::addZoneFileStep(ChangeTransaction* transaction, const ZonePtr& candidate,
                                     const ZonePtr& unchanged, const QDateTime& writtenAt) {
    // The text the write replaces, and whether the server was told of the
    // new one (then it reloads the zone once the old text is back).
    struct Kept {
        std::optional<QString> text;
        bool serverTold = false;
    };
    auto kept = std::make_shared<Kept>();
    transaction->addStep(
        QStringLiteral("zone file"),
        [this, candidate, kept, writtenAt](Completion done) {
            if (!m_saver)
                return done(false, QStringLiteral("Korvi's file saving has stopped; the file was "
                                                  "not written"));
            kept->text = fileText(candidate->filePath());
            const QString path = candidate->filePath();
            whenSaved(m_saver->saveZoneFile(candidate, writtenAt),
                      [this, path, kept, done](bool written, const QString& reason) {
                          if (written && m_afterWrite)
                              m_afterWrite(path);
                          // From here on the server may have read the new
                          // text: the undo reloads it.
                          kept->serverTold = written && serverRunning();
                          done(written, reason);
                      });
        },
        [this, unchanged, kept](Completion done) {
            if (!m_saver)
                return done(false, QStringLiteral("Korvi's file saving has stopped"));
            const QString name = unchanged->name();
            whenSaved(m_saver->restoreZoneFile(unchanged, kept->text),
                      [this, name, kept, done](bool written, const QString& reason) {
                          if (!written || !kept->serverTold || !serverRunning()) {
                              done(written, reason);
                              return;
                          }
                          m_control->reloadZone(name, done);
                      });
        });
}

void ZoneRepository::addReloadStep(ChangeTransaction* transaction, const QString& zoneName,
                                   const std::shared_ptr<ServedExpectation>& expected) {
    transaction->addStep(QStringLiteral("server"), [this, zoneName, expected](Completion done) {
        if (!serverRunning())
            return done(true, QString());
        const qint64 mark = serverLogMark();
        m_control->reloadZone(zoneName,
                              [this, zoneName, expected, mark, done](bool ok, const QString& why) {
                                  if (!ok) {
                                      done(false, withServerWords(why, zoneName, mark));
                                      return;
                                  }
                                  checkServed(*expected, mark, done);
                              });
    });
}

void ZoneRepository::addServedStep(ChangeTransaction* transaction,
                                   const std::shared_ptr<ServedExpectation>& expected,
                                   const std::shared_ptr<qint64>& logMark) {
    transaction->addStep(QStringLiteral("served"), [this, expected, logMark](Completion done) {
        if (!serverRunning())
            return done(true, QString());
        checkServed(*expected, *logMark, std::move(done));
    });
}

void ZoneRepository::checkServed(const ServedExpectation& expected, qint64 logMark,
                                 Completion done) {
    if (!m_answers) {
        done(true, QString());
        return;
    }
    auto* check =
        new ServedChangeCheck(m_answers, expected, m_servedIntervalMs, m_servedLimitMs, this);
    const QString zoneName = expected.zone;
    // named says in its log when it refuses the zone's file: no need to wait
    // for the limit then.
    if (m_serverLog.refusal && logMark >= 0)
        check->setRefusal([refusal = m_serverLog.refusal, zoneName, logMark] {
            return refusal(zoneName, logMark);
        });
    check->start([this, check, zoneName, logMark, done](bool served, const QString& reason) {
        check->deleteLater();
        if (served) {
            log(QStringLiteral("Zone '") + zoneName + QStringLiteral("' serves the change"),
                LogLevel::debug);
            done(true, QString());
            return;
        }
        done(false, withServerWords(reason, zoneName, logMark));
    });
}

} // namespace korvi
