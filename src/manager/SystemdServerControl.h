#pragma once

#include <QElapsedTimer>
#include <QStringList>

#include "manager/NamedServerControl.h"

namespace korvi {

class LayoutServerControl;

// Who the user running Korvi is, as far as reading the system journal goes.
struct JournalReader {
    uint uid = 0;
    QStringList groups; // names of the user's groups, the primary one included

    static JournalReader currentUser();
    // root, or a member of adm or systemd-journal.
    bool mayRead() const;
};

// The distribution's systemd unit: start, stop and restart through
// systemctl, the status from `systemctl is-active` and a query to the server,
// the log from the journal. A zone's reload and a reconfiguration go through
// rndc with the distribution's key.
class SystemdServerControl : public NamedServerControl {
    Q_OBJECT

public:
    static constexpr int maximumLogLines = 50;

    SystemdServerControl(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                         const HostDetection* detection,
                         const JournalReader& reader = JournalReader::currentUser(),
                         QObject* parent = nullptr);

    void start() override;
    void stop() override;
    void restart();
    void reload() override;
    void checkStatus() override;
    // The unit's last lines from the journal.
    void loadLog() override;
    void readLogFile(const QString& path) override;

private:
    struct Operation {
        QString verb; // systemctl's
        QString successLine;
        ServerStatus successStatus = ServerStatus::unknown;
        QString failurePrefix;
    };
    void run(const Operation& operation);
    // After a start or restart: running once the server answers; without
    // an answer within the start limit, an error with the journal's words.
    void waitForAnswer(const Operation& operation);
    void startFailed(const Operation& operation, const QString& what);
    void applyActiveState(bool active, const QString& output);
    void applyJournal(bool success, const QString& output);

    JournalReader m_reader;
    QElapsedTimer m_startClock;
    LayoutServerControl* m_fileReader;
};

} // namespace korvi
