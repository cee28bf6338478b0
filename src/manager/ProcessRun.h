#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "manager/AppLog.h"
#include "manager/CommandRunner.h"

class QTimer;

namespace korvi {

// Everything one run needs: what to start, its search path, its time limit,
// the log lines it writes when the limit ends it or the start fails, and
// where the result goes.
struct ProcessRunRequest {
    QString program;
    QStringList arguments;
    QString searchPath;    // PATH of the child; every other variable is passed on
    int timeoutMs = 30000; // 0: no limit (a password prompt waits for the person)
    int killGraceMs = 5000;
    QString timeoutMessage; // logged when the time limit ends the run
    LogLevel timeoutLevel = LogLevel::info;
    QString startFailurePrefix; // logged before the error's description
    LogLevel startFailureLevel = LogLevel::info;
    QPointer<AppLog> log; // log lines only while it exists
    CommandCompletion completion;
    // Each whole line of output as it arrives (a long installation shows
    // its progress); the completion still gets all of it.
    std::function<void(const QString& line)> progress;
};

// One child process from start to completion. It lives on the main thread
// and never blocks it: the child is an asynchronous QProcess whose output is
// collected as it arrives, a single-shot timer enforces the time limit
// (SIGTERM, then SIGKILL once the grace period has passed), and the
// completion is posted to the main thread exactly once, whatever ends the run.
// The run deletes itself afterwards. It belongs to the application object, not
// to the log or the manager, so it finishes even when they are gone; runs still
// going when the application object itself is destroyed kill their child and
// report nothing, as there is no event loop left to report to.
class ProcessRun : public QObject {
    Q_OBJECT

public:
    // Starts the run on the main thread: at once when called there, otherwise
    // as soon as the main thread's event loop gets to it.
    static void start(const ProcessRunRequest& request);
    // Posts the completion to the main thread; it runs after the current code
    // has returned to the event loop, even when called there.
    static void deliver(const CommandCompletion& completion, bool success, const QString& output);
    // Output bytes as text: strict UTF-8, the empty text for anything else.
    static QString decodeOutput(const QByteArray& bytes);

    ~ProcessRun() override;

private:
    explicit ProcessRun(const ProcessRunRequest& request);

    void begin();
    void readOutput();
    void handleError(QProcess::ProcessError error);
    void handleFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void handleTimeLimit();
    void handleKillGrace();
    void finish(bool success, const QString& output);
    void log(const QString& message, LogLevel level) const;

    ProcessRunRequest m_request;
    QProcess* m_process = nullptr;
    QTimer* m_timeLimit = nullptr;
    QTimer* m_killGrace = nullptr;
    QByteArray m_output;
    qsizetype m_reported = 0; // output up to here went to the progress lines
    bool m_timedOut = false;
    bool m_finished = false;
};

} // namespace korvi
