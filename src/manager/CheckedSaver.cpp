#include "manager/CheckedSaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>
#include <QThreadPool>
#include <QUuid>

#include "host/HostLayout.h"
#include "manager/AppLog.h"
#include "manager/CheckedSaverParts.h"
#include "manager/OwnedFileSaver.h"
#include "manager/TextFileWriter.h"
#include "manager/WarmZoneChecker.h"
#include "manager/WriteOrder.h"
#include "model/DNSRecord.h"
#include "model/ZoneFileWriter.h"

namespace korvi {

// One save between its check and its write.
struct CheckedSaver::Save {
    SaveId id = 0;
    Kind kind;
    QString path;
    QString text;
    ZonePtr zone; // held until the write
    QString dataFolder;
    bool mayCreateFolder = false;
    quint64 order = 0;
};

using saverparts::fileNamePart;
using saverparts::inBackground;
using saverparts::post;
using saverparts::WriteOutcome;

namespace {

const QString supersededReason = QStringLiteral("A later save of this file was written first");

// The final writes (and the texts handed to the helper) are made one at a
// time, in the order the main thread decided them, so an older text can never
// land after a newer one.
QThreadPool* writerPool() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool(QCoreApplication::instance());
        created->setMaxThreadCount(1);
        return created;
    }();
    return pool;
}

} // namespace

CheckedSaver::CheckedSaver(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                           QObject* parent)
    : QObject(parent), m_layout(layout), m_runner(runner), m_log(log),
      m_scratch(layout.temporaryDirectory), m_order(std::make_shared<WriteOrder>()) {
    ScratchFolder::removeStale(layout.temporaryDirectory);
    if (layout.ownsIncludeOnly) {
        m_owned = std::make_unique<OwnedFileSaver>(layout);
    } else if (m_runner.isCommandAllowed(QStringLiteral("named-checkzone"))) {
        m_warm = new WarmZoneChecker(m_runner.commandExecutable(QStringLiteral("named-checkzone")),
                                     {QStringLiteral("-k"), QStringLiteral("fail")},
                                     m_runner.commandSearchPath(), this);
    }
}

CheckedSaver::~CheckedSaver() = default;

void CheckedSaver::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

void CheckedSaver::createZoneDirectory() const {
    const QString folder = m_layout.zoneDirectory + QStringLiteral("/data");
    if (m_runner.isValidPath(folder))
        QDir().mkpath(folder);
}

SaveId CheckedSaver::saveZoneFile(const ZonePtr& zone, const QDateTime& writtenAt) {
    if (!zone)
        return 0;
    if (m_owned)
        return saveOwnedZone(zone, writtenAt);
    const QString path = zone->filePath();
    const Kind kind = Kind::zoneFile(zone->name());
    if (!m_runner.isValidPath(path)) {
        const QString reason = QStringLiteral("Invalid zone file path: ") + path;
        log(reason, LogLevel::info);
        finishLater(++m_lastId, path, false, reason);
        return m_lastId;
    }
    // A snapshot: the records are shared, not copied, until the zone changes.
    const QString name = zone->name();
    const std::optional<SOARecord> soa = zone->soaRecord();
    const QList<DNSRecord> records = zone->records();
    const QDateTime now = writtenAt.isValid() ? writtenAt : QDateTime::currentDateTimeUtc();
    return start(
        kind, path,
        [name, soa, records, now] { return ZoneFileWriter::zoneText(name, soa, records, now); },
        name, zone);
}

SaveId CheckedSaver::saveConfiguration(const QString& text) {
    const QString path = m_layout.namedConfigPath;
    if (!m_runner.isValidPath(path)) {
        const QString reason = QStringLiteral("Invalid configuration file path");
        log(reason, LogLevel::info);
        finishLater(++m_lastId, path, false, reason);
        return m_lastId;
    }
    // named-checkconf refuses a "directory" that does not exist, and named
    // needs its data/ folder for the log file, so both are made first.
    createZoneDirectory();
    return start(
        Kind::configuration(), path, [text] { return text; }, QString(), ZonePtr());
}

SaveId CheckedSaver::start(const Kind& kind, const QString& path, TextSource text,
                           const QString& zoneName, const ZonePtr& zone) {
    Save save;
    save.id = ++m_lastId;
    save.kind = kind;
    save.path = path;
    save.zone = zone;
    // Kept for the write, which happens even if the saver is gone by then.
    save.dataFolder = m_layout.zoneDirectory + QStringLiteral("/data");
    save.mayCreateFolder = kind.isZone && m_runner.isValidPath(save.dataFolder);
    // Checks of two quick saves may finish in either order; the later save's
    // text is the one that stays on disk.
    save.order = m_order->begin(path);

    const QPointer<CheckedSaver> saver(this);
    const QPointer<AppLog> log = m_log;
    const std::shared_ptr<WriteOrder> order = m_order;
    checkSource(kind, std::move(text), zoneName,
                [saver, log, order, save](bool success, const std::optional<QString>& message,
                                          const QString& checked) {
                    Save done = save;
                    done.text = checked;
                    complete(saver, log, order, done, success, message);
                });
    return save.id;
}

void CheckedSaver::complete(const QPointer<CheckedSaver>& saver, const QPointer<AppLog>& log,
                            const std::shared_ptr<WriteOrder>& order, const Save& save,
                            bool success, const std::optional<QString>& message) {
    // named.conf is the saver's owner's: once it is gone, nothing more happens.
    if (!save.kind.isZone && !saver)
        return;
    const auto finish = [&](bool written, const QString& reason) {
        if (saver)
            Q_EMIT saver->finished(save.id, save.path, written, reason);
    };
    if (!success) {
        const QString reason = message.value_or(QStringLiteral("Unknown error"));
        if (log)
            log->add(save.kind.invalidPrefix + reason, LogLevel::info);
        finish(false, reason);
        return;
    }
    if (!order->mayWrite(save.path, save.order)) {
        finish(false, supersededReason);
        return;
    }
    const QString target = save.zone ? save.zone->filePath() : save.path;
    inBackground(
        writerPool(),
        [target, text = save.text, mayCreate = save.mayCreateFolder, folder = save.dataFolder] {
            if (mayCreate)
                QDir().mkpath(folder);
            WriteOutcome outcome;
            outcome.ok = TextFileWriter::replaceFile(target, text, &outcome.error);
            return outcome;
        },
        [saver, log, save](const WriteOutcome& outcome) {
            if (!save.kind.isZone && !saver)
                return;
            if (log) {
                if (!outcome.ok)
                    log->add(save.kind.writeFailurePrefix + outcome.error, LogLevel::info);
                else if (!save.kind.writtenLine.isEmpty())
                    log->add(save.kind.writtenLine, LogLevel::info);
            }
            if (saver)
                Q_EMIT saver->finished(save.id, save.path, outcome.ok, outcome.error);
        });
}

SaveId CheckedSaver::saveOwnedZone(const ZonePtr& zone, const QDateTime& writtenAt) {
    const SaveId id = ++m_lastId;
    const QString name = zone->name();
    const QString path = ownedFileLayout(m_layout).zoneFile(name);
    const Kind kind = Kind::zoneFile(name);
    const QPointer<CheckedSaver> self(this);
    // The server learns of the change from whoever asked for the save (the
    // zone repository reloads the zone once the change is applied).
    const auto done = [self, id, path, kind](bool ok, const QString& message) {
        if (!self)
            return;
        if (ok) {
            self->log(kind.passedLine, LogLevel::info);
        } else {
            self->log(kind.invalidPrefix + message, LogLevel::info);
        }
        Q_EMIT self->finished(id, path, ok, ok ? QString() : message);
    };
    // The text is made off the main thread from a snapshot, as for any zone
    // file; on the one-thread writer, so two quick saves of a zone reach the
    // helper in the order they were started.
    const std::optional<SOARecord> soa = zone->soaRecord();
    const QList<DNSRecord> records = zone->records();
    const QDateTime now = writtenAt.isValid() ? writtenAt : QDateTime::currentDateTimeUtc();
    inBackground(
        writerPool(),
        [name, soa, records, now] {
            return ZoneFileWriter::zoneText(name, soa, records, now).toUtf8();
        },
        [self, name, done](const QByteArray& bytes) {
            if (!self)
                return;
            self->m_owned->perform({QStringLiteral("write-zone"), name}, bytes, done);
        });
    return id;
}

QSet<QString> CheckedSaver::includedZones() {
    if (!m_includedZones) {
        QSet<QString> zones;
        QFile include(ownedFileLayout(m_layout).korviInclude);
        if (include.open(QIODevice::ReadOnly)) {
            static const QRegularExpression statement(QStringLiteral("^zone \"([^\"]+)\""),
                                                      QRegularExpression::MultilineOption);
            auto it = statement.globalMatch(QString::fromUtf8(include.readAll()));
            while (it.hasNext())
                zones.insert(it.next().captured(1));
        }
        m_includedZones = zones;
    }
    return *m_includedZones;
}

SaveId CheckedSaver::saveOwnedConfiguration(const QList<ZonePtr>& zones,
                                            const QStringList& zoneLines,
                                            const QStringList& statements,
                                            const QHash<QString, QStringList>& linesOfZone) {
    const SaveId id = ++m_lastId;
    const OwnedFileLayout files = ownedFileLayout(m_layout);
    const Kind kind = Kind::configuration();
    QStringList names;
    for (const ZonePtr& zone : zones) {
        if (zone && OwnedFiles::isAcceptableZoneName(zone->name()))
            names.append(zone->name());
    }
    // Each step runs only when the one before it was done; the first refusal
    // ends the save.
    struct Plan {
        QList<std::pair<QStringList, QByteArray>> steps;
        QSet<QString> zones;
    };
    auto plan = std::make_shared<Plan>();
    for (const ZonePtr& zone : zones) {
        if (zone && names.contains(zone->name()) &&
            !QFileInfo::exists(files.zoneFile(zone->name())))
            plan->steps.append(
                {{QStringLiteral("write-zone"), zone->name()}, zone->zoneFileText().toUtf8()});
    }
    // With no zone left, the line and Korvi's include both go. An include
    // that already says the same needs no step (and no password prompt).
    const QByteArray includeText =
        ownedIncludeText(files, names, zoneLines, statements, linesOfZone);
    QFile current(files.korviInclude);
    const std::optional<QByteArray> currentText =
        current.open(QIODevice::ReadOnly) ? std::optional(current.readAll()) : std::nullopt;
    QFile host(files.includeHost);
    const bool lineThere =
        host.open(QIODevice::ReadOnly) && host.readAll().contains(files.includeLine());
    if (names.isEmpty()) {
        if (currentText || lineThere)
            plan->steps.append({{QStringLiteral("remove-include")}, {}});
    } else if (currentText != includeText || !lineThere) {
        plan->steps.append({{QStringLiteral("write-include")}, includeText});
        plan->steps.append({{QStringLiteral("add-include")}, {}});
    }
    plan->zones = QSet<QString>(names.begin(), names.end());
    for (const QString& gone : includedZones() - plan->zones)
        plan->steps.append({{QStringLiteral("remove-zone"), gone}, {}});

    const QPointer<CheckedSaver> self(this);
    const QString path = files.korviInclude;
    auto next = std::make_shared<std::function<void(qsizetype)>>();
    *next = [self, plan, next, id, path, kind](qsizetype index) {
        if (!self) {
            *next = nullptr;
            return;
        }
        if (index == plan->steps.size()) {
            self->m_includedZones = plan->zones;
            self->log(kind.passedLine, LogLevel::info);
            self->log(kind.writtenLine, LogLevel::info);
            if (!plan->steps.isEmpty())
                Q_EMIT self->ownedConfigurationChanged(id);
            Q_EMIT self->finished(id, path, true, QString());
            *next = nullptr; // ends the cycle through the captured pointer
            return;
        }
        const auto& [words, input] = plan->steps.at(index);
        self->m_owned->perform(
            words, input, [self, next, index, id, path, kind](bool ok, const QString& message) {
                if (!self || !*next)
                    return;
                if (!ok) {
                    self->log(kind.invalidPrefix + message, LogLevel::info);
                    Q_EMIT self->finished(id, path, false, message);
                    *next = nullptr;
                    return;
                }
                (*next)(index + 1);
            });
    };
    // Started from the event loop, so that the caller has the id before the
    // save ends, even when there is nothing to do.
    QMetaObject::invokeMethod(
        this, [next] { (*next)(0); }, Qt::QueuedConnection);
    return id;
}

SaveId CheckedSaver::removeZoneFile(const ZonePtr& zone) {
    if (!zone)
        return 0;
    const SaveId id = ++m_lastId;
    const QString name = zone->name();
    const QPointer<CheckedSaver> self(this);
    if (m_owned) {
        const QString path = ownedFileLayout(m_layout).zoneFile(name);
        if (!OwnedFiles::isAcceptableZoneName(name) || !QFileInfo::exists(path)) {
            finishLater(id, path, true, QString());
            return id;
        }
        m_owned->perform({QStringLiteral("remove-zone"), name}, {},
                         [self, id, path](bool ok, const QString& message) {
                             if (self)
                                 Q_EMIT self->finished(id, path, ok, ok ? QString() : message);
                         });
        return id;
    }
    const QString path = zone->filePath();
    if (!QFileInfo::exists(path)) {
        finishLater(id, path, true, QString());
        return id;
    }
    if (!m_runner.isValidPath(path)) {
        finishLater(id, path, false, QStringLiteral("Invalid zone file path: ") + path);
        return id;
    }
    // After the writes already decided, so that a pending write of the zone
    // cannot bring the file back.
    inBackground(
        writerPool(),
        [path] {
            QFile file(path);
            WriteOutcome outcome;
            outcome.ok = file.remove();
            outcome.error = file.errorString();
            return outcome;
        },
        [self, id, path](const WriteOutcome& outcome) {
            if (self)
                Q_EMIT self->finished(id, path, outcome.ok, outcome.ok ? QString() : outcome.error);
        });
    return id;
}

SaveId CheckedSaver::restoreZoneFile(const ZonePtr& unchanged,
                                     const std::optional<QString>& previousText) {
    if (!unchanged)
        return 0;
    if (m_owned)
        return saveOwnedZone(unchanged);
    if (!previousText)
        return removeZoneFile(unchanged);
    const SaveId id = ++m_lastId;
    const QString path = unchanged->filePath();
    if (!m_runner.isValidPath(path)) {
        finishLater(id, path, false, QStringLiteral("Invalid zone file path: ") + path);
        return id;
    }
    // Counted as the file's latest write: a check still running for an older
    // text cannot replace it afterwards.
    (void)m_order->mayWrite(path, m_order->begin(path));
    const QPointer<CheckedSaver> self(this);
    inBackground(
        writerPool(),
        [path, text = *previousText] {
            WriteOutcome outcome;
            outcome.ok = TextFileWriter::replaceFile(path, text, &outcome.error);
            return outcome;
        },
        [self, id, path](const WriteOutcome& outcome) {
            if (self)
                Q_EMIT self->finished(id, path, outcome.ok, outcome.error);
        });
    return id;
}

void CheckedSaver::finishLater(SaveId id, const QString& path, bool written,
                               const QString& reason) {
    // Posted, so that the caller has the id before the save ends.
    QMetaObject::invokeMethod(
        this, [this, id, path, written, reason] { Q_EMIT finished(id, path, written, reason); },
        Qt::QueuedConnection);
}

} // namespace korvi
