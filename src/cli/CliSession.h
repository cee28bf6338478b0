#pragma once

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

#include "cli/CliArguments.h"
#include "manager/ChangeId.h"
#include "model/DNSRecord.h"
#include "model/DNSZone.h"

namespace korvi {

class DNSServerManager;
class SandboxSession;
class WriterLock;

using ZonePtr = QSharedPointer<DNSZone>;

// One korvictl command: takes the writer lock when the command changes
// zones, builds the same manager the window builds (on the machine's layout
// or the sandbox's), waits until the stored zones, their records and the
// server's state are in, runs the command and ends with finished(exit code)
// once its one change (or question) has ended. Never waits on anything but
// the event loop.
class CliSession : public QObject {
    Q_OBJECT

public:
    // How long start-up may take before the store or the server counts as
    // unreachable.
    static constexpr int readyLimitMs = 30000;
    // How often a server that does not answer is asked again at start.
    static constexpr int statusRetries = 3;

    explicit CliSession(const CliRequest& request, QObject* parent = nullptr);
    ~CliSession() override;

    void start();

    // The answer to a usage error, in the form --json asks for or as text.
    static void printUsageError(const QString& message, bool json);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void open();
    void checkReady();
    void run();
    void finish(int code, const QString& message = {});
    void print(int code, const QString& message);

    // The commands (CliCommands.cpp).
    void runStatus();
    void runZones();
    void runRecords();
    void runAdd();
    void runUpdate();
    void runDelete();
    void runApply();
    void runImport();
    void runExport();
    void runLookup();
    void runStart();
    void runStop();

    // The zone of that name (letter case and a final dot do not count), or
    // the command ends refused.
    ZonePtr zoneNamed(const QString& name);
    // A record as the record forms make it, from the command's fields.
    DNSRecord recordFrom(const QString& zoneName, const QString& name, DNSRecordType type,
                         const QString& value,
                         const std::optional<DNSRecord>& base = std::nullopt) const;
    // The zone's records matching name, type and (when given) value.
    QList<DNSRecord> matching(const ZonePtr& zone, const QString& name, DNSRecordType type,
                              const std::optional<QString>& value) const;
    std::optional<DNSRecordType> typeArgument(const QString& text);
    // Ends the command when the change with this id ends.
    void finishWithChange(ChangeId id, const QString& doneText);
    void waitForStatus(bool running);

    CliRequest m_request;
    std::unique_ptr<WriterLock> m_lock;
    std::unique_ptr<SandboxSession> m_sandbox;
    std::unique_ptr<DNSServerManager> m_manager;
    QTimer m_readiness;
    QElapsedTimer m_waited;
    bool m_finished = false;
    int m_statusRetries = 0;
    // The answer: text lines for standard output, fields for --json.
    QStringList m_lines;
    QJsonObject m_result;
};

} // namespace korvi
