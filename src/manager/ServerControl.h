#pragma once

#include <QObject>
#include <QString>

#include <QStringList>

#include <functional>

#include "manager/ServerStatus.h"

namespace korvi {

// Control of the local named: its status as last determined, start, stop,
// reload, the status check and the server's own log. Each host controls its
// server its own way (a sandbox, Homebrew's launchd, systemd, named and rndc
// directly); the manager sees only this interface. Every operation returns at
// once; outcomes arrive on the main thread as status changes, signals and log
// lines.
class ServerControl : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // A reload's end: success, and otherwise the control's words on why
    // (also in the log). Called once, on the main thread.
    using Completion = std::function<void(bool success, const QString& message)>;

    ServerStatus status() const { return m_status; }
    // Announced on every assignment, even of the status already held.
    void setStatus(ServerStatus status);

    virtual void start() = 0;
    virtual void stop() = 0;
    // Makes the server read its configuration again; never changes the status.
    virtual void reload() = 0;
    // Makes the server load one zone's file again, after a record change.
    // Controls without a finer command reload everything.
    virtual void reloadZone(const QString& zone, Completion done = {});
    // Makes the server read its configuration for added or removed zones.
    virtual void reconfigure(Completion done = {});
    // Sets running or stopped, or notInstalled when there is no BIND.
    virtual void checkStatus() = 0;
    // The periodic check: checkStatus(), skipped while a start or stop is
    // under way; its status lines are logged only when the status changed.
    void pollStatus();
    // The zones the server is expected to serve (Korvi's own); the first one's
    // SOA is the question that shows the server answers.
    void setServedZones(const QStringList& zones) { m_servedZones = zones; }
    const QStringList& servedZones() const { return m_servedZones; }
    // How long a start waits for the server's first answer before it counts
    // as failed.
    static constexpr int defaultStartAnswerLimitMs = 5000;
    void setStartAnswerLimit(int ms) { m_startAnswerLimitMs = ms; }
    int startAnswerLimit() const { return m_startAnswerLimitMs; }
    // Shows the last lines of the server's log in the application log.
    virtual void loadLog() = 0;
    virtual void readLogFile(const QString& path) = 0;

Q_SIGNALS:
    void statusChanged(korvi::ServerStatus status);
    // A reload (of everything, one zone or the configuration) asked for
    // without a completion has ended; the success line (or the failure) is
    // already logged. A reload given a completion reports there instead.
    void reloadFinished(bool success);

protected:
    // A start or stop is under way: polls leave the status alone meanwhile.
    void setBusy(bool busy) { m_busy = busy; }
    bool isBusy() const { return m_busy; }
    // Sets the status a check found; false when the check was a poll that
    // found the status already held, so that its lines need not be logged
    // again.
    bool settleStatus(ServerStatus status);

private:
    ServerStatus m_status = ServerStatus::unknown;
    QStringList m_servedZones;
    int m_startAnswerLimitMs = defaultStartAnswerLimitMs;
    bool m_busy = false;
    bool m_polling = false;
};

} // namespace korvi
