#pragma once

#include <QObject>
#include <QString>

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
    // Shows the last lines of the server's log in the application log.
    virtual void loadLog() = 0;
    virtual void readLogFile(const QString& path) = 0;

Q_SIGNALS:
    void statusChanged(korvi::ServerStatus status);
    // A reload (of everything, one zone or the configuration) asked for
    // without a completion has ended; the success line (or the failure) is
    // already logged. A reload given a completion reports there instead.
    void reloadFinished(bool success);

private:
    ServerStatus m_status = ServerStatus::unknown;
};

} // namespace korvi
