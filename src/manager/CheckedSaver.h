#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "manager/CommandRunner.h"
#include "model/DNSZone.h"
#include "platform/ScratchFolder.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class OwnedFileSaver;
class WarmZoneChecker;
class WriteOrder;

using ZonePtr = QSharedPointer<DNSZone>;
using SaveId = quint64;

// Writes zone files and named.conf only after BIND's checker has accepted a
// scratch copy of exactly the same text. Every save gets an id and ends with
// exactly one finished() carrying it, never before the call that started it
// has returned. The checkers are run as a program and its arguments, so no
// zone name or path can reach a shell.
class CheckedSaver : public QObject {
    Q_OBJECT

public:
    using CheckCompletion =
        std::function<void(bool success, const std::optional<QString>& message)>;

    // Removes the scratch folders of Korvi processes that no longer run.
    CheckedSaver(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                 QObject* parent = nullptr);
    ~CheckedSaver() override;

    // The zone's text and name are taken now; the zone is held until the
    // write, which happens even if the saver is gone by then. writtenAt is
    // the time the file's header names (now when not given), so that a text
    // shown before the write can be written exactly as shown.
    SaveId saveZoneFile(const ZonePtr& zone, const QDateTime& writtenAt = {});
    // The text is named.conf's; nothing is written once the saver is gone.
    SaveId saveConfiguration(const QString& text);
    // A distribution's BIND (the layout's ownsIncludeOnly): the zones'
    // statements go into Korvi's include file, after any zone file not
    // written yet; the include line is added while there are zones and
    // taken out when none is left; the files of zones no longer listed are
    // removed. BIND's checkers judge each file in the helper (or in this
    // process when Korvi is root), never here.
    // zoneLines and statements are added to the include as ownedIncludeText
    // adds them (the secondaries' lines, the key file, the catalog).
    SaveId saveOwnedConfiguration(const QList<ZonePtr>& zones, const QStringList& zoneLines = {},
                                  const QStringList& statements = {},
                                  const QHash<QString, QStringList>& linesOfZone = {});
    // Removes the zone's file; ends with finished() like a save (written:
    // the file is gone). A file that is not there counts as removed. On a
    // distribution's BIND the helper removes Korvi's file of that zone.
    SaveId removeZoneFile(const ZonePtr& zone);

    // Puts back the text a zone's file held before a change that the server
    // did not serve (none: the file did not exist, and is removed). The text
    // was the file's, so it is written without a check, in order with the
    // other writes of the file. On a distribution's BIND the helper writes
    // the unchanged zone's text instead. Ends with finished() like a save.
    SaveId restoreZoneFile(const ZonePtr& unchanged, const std::optional<QString>& previousText);

    // Only the check: the completion runs on the main thread after the
    // scratch copy is gone and the check's lines are logged.
    void checkZoneFile(const QString& text, const QString& zoneName, CheckCompletion completion);
    void checkConfiguration(const QString& text, CheckCompletion completion);

    // Creates the zone directory's data/ folder when missing and allowed:
    // named will not start without it, and named-checkconf refuses a
    // directory option naming a missing folder.
    void createZoneDirectory() const;

    // Starts a checker for the zone's next check ahead of time, so that the
    // check does not wait for it to start (a zone whose changes are made
    // here; not on a distribution's BIND, where the helper checks).
    void prepareZoneCheck(const QString& zoneName);

    // This process's folder for scratch copies.
    QString scratchFolder() const { return m_scratch.path(); }

Q_SIGNALS:
    // written: the file now holds the save's text. Otherwise reason says why
    // (the checker's words, the write error, or a later save that wrote
    // first).
    void finished(korvi::SaveId id, const QString& path, bool written, const QString& reason);
    // A distribution's BIND: the configuration save with this id changed
    // Korvi's include or its line, so the set of zones the server should
    // serve may have changed. Sent just before that save's finished().
    void ownedConfigurationChanged(korvi::SaveId id);

private:
    struct Kind;
    struct Save;

    // Makes a save's text; run on a worker thread, so it reads only what it
    // holds (a zone's records are held as an implicitly shared copy).
    using TextSource = std::function<QString()>;
    // The check's outcome together with the text that was checked.
    using CheckedText =
        std::function<void(bool success, const std::optional<QString>& message, const QString&)>;

    SaveId start(const Kind& kind, const QString& path, TextSource text, const QString& zoneName,
                 const ZonePtr& zone);
    void check(const Kind& kind, const QString& text, const QString& zoneName,
               CheckCompletion completion);
    // The text is made and its scratch copy written on a worker thread; the
    // checker runs from the main thread.
    void checkSource(const Kind& kind, TextSource source, const QString& zoneName,
                     CheckedText completion);
    // The checker's verdict on a text: logged, then handed to the completion.
    using Verdict = std::function<void(bool success, const QString& output, const QString& text)>;
    static Verdict checkerVerdict(const QPointer<AppLog>& log, const Kind& kind,
                                  const CheckedText& completion);
    // Checks a text from a scratch copy: the copy written on a worker
    // thread, the checker run as a command, the copy removed.
    std::function<void(const QString& text)>
    scratchChecker(const Kind& kind, const QString& zoneName, CheckedText completion);
    void log(const QString& message, LogLevel level) const;
    void finishLater(SaveId id, const QString& path, bool written, const QString& reason);
    SaveId saveOwnedZone(const ZonePtr& zone, const QDateTime& writtenAt = {});
    // The zones Korvi's include file lists now, read once from the file.
    QSet<QString> includedZones();
    static void complete(const QPointer<CheckedSaver>& saver, const QPointer<AppLog>& log,
                         const std::shared_ptr<WriteOrder>& order, const Save& save, bool success,
                         const std::optional<QString>& message);

    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    ScratchFolder m_scratch;
    // Shared with pending saves, so a zone file written after the saver has
    // gone still keeps to the order.
    std::shared_ptr<WriteOrder> m_order;
    SaveId m_lastId = 0;
    std::unique_ptr<OwnedFileSaver> m_owned; // a distribution's BIND only
    WarmZoneChecker* m_warm = nullptr;       // a child; none on a distribution's BIND
    std::optional<QSet<QString>> m_includedZones;
};

} // namespace korvi
