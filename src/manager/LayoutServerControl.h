#pragma once

#include <QPointer>
#include <QStringList>

#include "manager/CommandRunner.h"
#include "manager/ServerControl.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class HostDetection;

// Server control with the commands of a host layout: start and stop try the
// layout's fallback command when the first fails, status is the layout's
// process listing, and the log is read with the layout's read command. Where
// a command names the layout's named, the named that detection found takes
// its place.
class LayoutServerControl : public ServerControl {
    Q_OBJECT

public:
    static constexpr int maximumLogLines = 50;

    LayoutServerControl(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                        const HostDetection* detection, QObject* parent = nullptr);

    void start() override;
    void stop() override;
    void reload() override;
    void checkStatus() override;
    void loadLog() override;
    void readLogFile(const QString& path) override;

    // The command with every argument that is the layout's named replaced by
    // the named that detection found, when it found one.
    static QStringList withDetectedNamed(const QStringList& command, const SystemLayout& layout,
                                         const QString& detectedNamed);
    // The lines of the log reader's output that are shown: the non-empty
    // ones, at most the last 50.
    static QStringList shownLines(const QString& output);

private:
    // A start or a stop: its commands in order, the success line of each, the
    // status on success, and the prefix of the failure line.
    struct Operation {
        QList<QStringList> commands;
        QStringList successLines;
        ServerStatus successStatus = ServerStatus::unknown;
        QString failurePrefix;
    };

    void attempt(const Operation& operation, int index);
    void attemptDone(const Operation& operation, int index, bool success, const QString& output);
    QList<QStringList> attempts(const QStringList& first, const QStringList& fallback) const;
    void applyStatus(bool success, const QString& output);
    void applyLog(const QString& path, bool success, const QString& output);
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    const HostDetection* m_detection;
};

} // namespace korvi
