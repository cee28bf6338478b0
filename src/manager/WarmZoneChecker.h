#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;

namespace korvi {

// named-checkzone started ahead of time, so that a zone's check does not wait
// for the checker to start. Most of a small zone's check is the program
// setting itself up before it opens the file; a checker started once the
// previous change of the zone has ended waits, set up, on a named pipe in
// Korvi's scratch folder, and the next check hands it the text through that
// pipe. The checker judges exactly the bytes written to it, as it would judge
// a scratch copy. One waiting checker per zone, for the few zones changed
// last; each serves one check.
//
// A checker that is not ready when its text comes (still starting, or gone)
// does not take it: the caller then checks a scratch copy as before.
class WarmZoneChecker : public QObject {
    Q_OBJECT

public:
    // The outcome of one check handed to a waiting checker. taken false: no
    // checker took the text (the caller checks another way); otherwise
    // success and output are the checker's, as a command's run gives them.
    using Completion = std::function<void(bool taken, bool success, const QString& output)>;

    // program: the checker's executable; arguments go before the zone's
    // name and the pipe's path ("-k", "fail"). searchPath: the child's PATH.
    WarmZoneChecker(QString program, QStringList arguments, QString searchPath,
                    QObject* parent = nullptr);
    // Stops the checkers still waiting (they are Korvi's own children) and
    // removes their pipes.
    ~WarmZoneChecker() override;

    // How many zones keep a waiting checker; the one prepared longest ago
    // gives way.
    static constexpr int maxWaiting = 2;

    // Starts a checker for the zone waiting on a new pipe in the folder,
    // unless one waits already. The pipe is named like a scratch copy
    // ("<stem>.tmp.<uuid>"), so that the checker's words name it the same
    // way.
    void prepare(const QString& folder, const QString& zoneName, const QString& stem);
    // Hands the text to the zone's waiting checker. The completion runs
    // exactly once, on the main thread, never before this call has returned;
    // the check is limited to timeoutMs from now.
    void check(const QString& zoneName, const QString& text, int timeoutMs, Completion completion);
    // Whether a checker for the zone is waiting (started, not yet handed a
    // text).
    bool isWaiting(const QString& zoneName) const;

private:
    struct Waiting {
        QProcess* process = nullptr;
        QString pipe;
        quint64 order = 0;
    };
    // Ends a waiting checker that will not be used: it is stopped, its pipe
    // removed.
    void discard(const Waiting& waiting);

    QString m_program;
    QStringList m_arguments;
    QString m_searchPath;
    QHash<QString, Waiting> m_waiting;
    quint64 m_lastOrder = 0;
};

} // namespace korvi
