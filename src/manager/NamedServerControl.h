#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "manager/CommandRunner.h"
#include "manager/ServerControl.h"
#include "manager/ServerQuery.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class HostDetection;

// What the controls that drive named through rndc and answer for it with a
// query have in common: rndc with the layout's key and control port (a zone
// reload and a reconfiguration), a DNS query to the server, and AppArmor's
// word on why named could not open a file.
class NamedServerControl : public ServerControl {
    Q_OBJECT

public:
    NamedServerControl(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                       const HostDetection* detection, QObject* parent = nullptr);

    void reloadZone(const QString& zone, Completion done = {}) override;
    void reconfigure(Completion done = {}) override;

    // rndc and its options for the layout's control channel, then the verbs.
    static QStringList rndcCommand(const SystemLayout& layout, const QStringList& verbs);
    // dig asking the server for the SOA of ".": any answer, even a refusal,
    // proves that it serves; only silence fails.
    static QStringList queryCommand(const SystemLayout& layout);
    // The one log line for the first AppArmor denial of named in the text.
    static std::optional<QString> appArmorDenialLine(const QString& text);
    // The warning before a sandbox starts where an enforcing AppArmor profile
    // will keep named out of a folder under the home folder.
    static std::optional<QString> appArmorSandboxWarning(const QString& profilesText,
                                                         const QString& zoneDirectory,
                                                         const QString& homeDirectory);
    // The question that shows the server answers: the SOA of the first zone
    // it is expected to serve, else the version it reports (version.bind, class
    // CH), which named answers with or without zones. Any response, whatever
    // its code, counts as an answer; only silence does not.
    static DnsQuestion probeQuestion(const SystemLayout& layout, const QStringList& servedZones,
                                     int timeoutMs);
    // named's own words on why it stopped or could not serve, from its output
    // and log: the most telling line (a port in use, an interface it could not
    // listen on, a refused file or configuration); empty when none is found.
    static QString failureCause(const QString& text);
    // The pid in a pid file, when it names a live process (not a zombie).
    static std::optional<qint64> livePid(const QString& pidFilePath);

protected:
    // Runs rndc with the verbs and reports its answer; success and failure
    // lines name what was asked. Ends with done when given, else with
    // reloadFinished.
    void runRndcReload(const QStringList& verbs, const QString& successLine,
                       const QString& failurePrefix, Completion done = {});
    // Asks the server the probe question (ServerQuery); completion gets
    // whether it answered and, when it did not, why.
    void askServer(std::function<void(bool answered, const QString& detail)> completion,
                   int timeoutMs = 1500);
    // Asks the server for an answer; completion gets whether it answered and
    // dig's output.
    void queryServer(std::function<void(bool answered, const QString& output)> completion);
    void logAppArmorDenial(const QString& text) const;
    void log(const QString& message, LogLevel level) const;

    const SystemLayout& layout() const { return m_layout; }
    const CommandRunner& runner() const { return m_runner; }
    AppLog* appLog() const { return m_log; }
    const HostDetection* detection() const { return m_detection; }

private:
    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    const HostDetection* m_detection;
};

} // namespace korvi
