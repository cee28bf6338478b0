#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "manager/NamedServerControl.h"

namespace korvi {

class LayoutServerControl;

// named started directly and driven through rndc: the sandbox (named as the
// current user) and a machine without systemd (named -u <user>, as the
// distribution's init script starts it). Stop, reload, a zone's reload and a
// reconfiguration are rndc's, and what rndc answered is logged. The status is
// the pid file's process and an answer to a query, never a process name.
class RndcServerControl : public NamedServerControl {
    Q_OBJECT

public:
    RndcServerControl(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                      const HostDetection* detection, QObject* parent = nullptr);

    void start() override;
    void stop() override;
    void reload() override;
    void checkStatus() override;
    void loadLog() override;
    void readLogFile(const QString& path) override;

    // Creates named's run folder as the init script does: root-owned, the
    // group of the user named runs as, mode 0775. The reason when it cannot.
    static std::optional<QString> prepareRunDirectory(const QString& path, const QString& user);
    // The file of the first channel in the logging statement of a
    // configuration as `named-checkconf -p` prints it; empty when none.
    static QString logChannelFile(const QString& printedConfiguration);

private:
    void warnAboutAppArmor() const;
    void started(bool success, const QString& output);
    // After named returned: asks until it answers, it is gone, or the start's
    // answer limit has passed.
    void waitForAnswer();
    void startFailed(const QString& what);
    void waitForExit(qint64 pid, int attemptsLeft);
    void applyStatus(qint64 pid, bool answered, const QString& output);
    // The server's log file, its size, and what it holds from an offset on
    // (at most its last 64 KiB; all of it when it has shrunk since).
    QString logPath() const;
    qint64 logSize() const;
    QString logTail(qint64 from) const;

    qint64 m_startLogOffset = 0;
    QString m_startOutput;
    QElapsedTimer m_startClock;

    // Reads the server's log files the way the layout names them.
    LayoutServerControl* m_logReader;
};

} // namespace korvi
