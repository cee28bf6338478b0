#include "manager/SystemdServerControl.h"

#include <QRegularExpression>
#include <QTimer>

#include <grp.h>
#include <unistd.h>

#include "manager/AppLog.h"
#include "manager/HostDetection.h"
#include "manager/LayoutServerControl.h"

namespace korvi {

namespace {

// How soon a start asks again when the server has not answered yet.
constexpr int answerRetryMs = 200;

} // namespace

JournalReader JournalReader::currentUser() {
    JournalReader reader;
    reader.uid = ::geteuid();
    QList<gid_t> ids(::getgroups(0, nullptr));
    ids.resize(::getgroups(int(ids.size()), ids.data()) < 0 ? 0 : ids.size());
    ids.append(::getegid());
    for (gid_t id : ids) {
        if (const group* entry = ::getgrgid(id))
            reader.groups.append(QString::fromLocal8Bit(entry->gr_name));
    }
    return reader;
}

bool JournalReader::mayRead() const {
    return uid == 0 || groups.contains(QStringLiteral("adm")) ||
           groups.contains(QStringLiteral("systemd-journal"));
}

SystemdServerControl::SystemdServerControl(const SystemLayout& layout, const CommandRunner& runner,
                                           AppLog* log, const HostDetection* detection,
                                           const JournalReader& reader, QObject* parent)
    : NamedServerControl(layout, runner, log, detection, parent), m_reader(reader),
      m_fileReader(new LayoutServerControl(layout, runner, log, detection, this)) {}

void SystemdServerControl::run(const Operation& operation) {
    // Polls leave the status alone until the operation has ended.
    setBusy(true);
    const QPointer<SystemdServerControl> guard(this);
    runner().runCommand({QStringLiteral("systemctl"), operation.verb, layout().systemdUnit},
                        [guard, operation](bool success, const QString& output) {
                            if (!guard)
                                return;
                            if (!success) {
                                guard->setBusy(false);
                                guard->setStatus(ServerStatus::error);
                                guard->log(operation.failurePrefix + output.trimmed(),
                                           LogLevel::error);
                                return;
                            }
                            if (operation.successStatus == ServerStatus::running) {
                                // systemd has started the unit; the server
                                // runs when it answers.
                                guard->m_startClock.start();
                                guard->waitForAnswer(operation);
                                return;
                            }
                            guard->setBusy(false);
                            guard->setStatus(operation.successStatus);
                            guard->log(operation.successLine, LogLevel::success);
                        });
}

void SystemdServerControl::waitForAnswer(const Operation& operation) {
    const QPointer<SystemdServerControl> guard(this);
    queryServer([guard, operation](bool answered, const QString& output) {
        if (!guard)
            return;
        if (answered) {
            guard->setBusy(false);
            guard->setStatus(ServerStatus::running);
            guard->log(operation.successLine, LogLevel::success);
            return;
        }
        if (guard->m_startClock.elapsed() < guard->startAnswerLimit()) {
            QTimer::singleShot(answerRetryMs, guard,
                               [guard, operation] { guard->waitForAnswer(operation); });
            return;
        }
        const QString said = output.trimmed();
        guard->startFailed(
            operation,
            guard->layout().systemdUnit +
                QStringLiteral(" is active but did not "
                               "answer at ") +
                guard->layout().serverAddress + u'#' + QString::number(guard->layout().serverPort) +
                QStringLiteral(" within ") + QString::number(guard->startAnswerLimit() / 1000.0) +
                QStringLiteral(" s") + (said.isEmpty() ? QString() : QStringLiteral(": ") + said));
    });
}

void SystemdServerControl::startFailed(const Operation& operation, const QString& what) {
    const auto fail = [this, operation, what](const QString& cause) {
        setBusy(false);
        setStatus(ServerStatus::error);
        // named's own words first, when the journal has them.
        log(operation.failurePrefix +
                (cause.isEmpty() ? what : cause + QStringLiteral(" (") + what + u')'),
            LogLevel::error);
    };
    if (!m_reader.mayRead()) {
        fail(QString());
        return;
    }
    const QPointer<SystemdServerControl> guard(this);
    runner().runCommand({QStringLiteral("journalctl"), QStringLiteral("-u"), layout().systemdUnit,
                         QStringLiteral("-n"), QStringLiteral("50"), QStringLiteral("--no-pager")},
                        [guard, fail](bool success, const QString& journal) {
                            if (!guard)
                                return;
                            // The journal's own prefix ("Dec 06 02:41:00 host
                            // named[812]: ") says nothing about the cause.
                            static const QRegularExpression prefix(
                                QStringLiteral("^\\S+ +\\d+ [\\d:]+ \\S+ [^ :]+\\[\\d+\\]: "));
                            fail(success ? failureCause(journal).remove(prefix) : QString());
                        });
}

void SystemdServerControl::start() {
    run({QStringLiteral("start"), QStringLiteral("DNS server started successfully"),
         ServerStatus::running, QStringLiteral("Failed to start DNS server: ")});
}

void SystemdServerControl::stop() {
    run({QStringLiteral("stop"), QStringLiteral("DNS server stopped successfully"),
         ServerStatus::stopped, QStringLiteral("Failed to stop DNS server: ")});
}

void SystemdServerControl::restart() {
    run({QStringLiteral("restart"), QStringLiteral("DNS server restarted successfully"),
         ServerStatus::running, QStringLiteral("Failed to restart DNS server: ")});
}

void SystemdServerControl::reload() {
    // The unit's reload is rndc reload, run by systemd with the server's key.
    const QPointer<SystemdServerControl> guard(this);
    runner().runCommand(
        {QStringLiteral("systemctl"), QStringLiteral("reload"), layout().systemdUnit},
        [guard](bool success, const QString& output) {
            if (!guard)
                return;
            if (success)
                guard->log(QStringLiteral("Configuration reloaded successfully"),
                           LogLevel::success);
            else
                guard->log(QStringLiteral("Failed to reload configuration: ") + output.trimmed(),
                           LogLevel::error);
            Q_EMIT guard->reloadFinished(success);
        });
}

void SystemdServerControl::checkStatus() {
    if (!detection()->isBindInstalled()) {
        settleStatus(ServerStatus::notInstalled);
        return;
    }
    const QPointer<SystemdServerControl> guard(this);
    runner().runCommand(
        {QStringLiteral("systemctl"), QStringLiteral("is-active"), layout().systemdUnit},
        [guard](bool active, const QString& output) {
            if (guard)
                guard->applyActiveState(active, output);
        });
}

void SystemdServerControl::applyActiveState(bool active, const QString& output) {
    const QString state = output.trimmed();
    if (!active) {
        // is-active prints the state and exits with 3 for every state but
        // active; anything else is systemctl failing to ask.
        static const QStringList stoppedStates{
            QStringLiteral("inactive"), QStringLiteral("deactivating"), QStringLiteral("unknown")};
        if (stoppedStates.contains(state)) {
            if (settleStatus(ServerStatus::stopped))
                log(layout().systemdUnit + QStringLiteral(" is ") + state, LogLevel::debug);
        } else if (settleStatus(ServerStatus::error)) {
            log(QStringLiteral("⚠️ ") + layout().systemdUnit + QStringLiteral(": ") + state,
                LogLevel::warning);
        }
        return;
    }
    const QPointer<SystemdServerControl> guard(this);
    queryServer([guard](bool answered, const QString& answer) {
        if (!guard)
            return;
        if (answered) {
            if (guard->settleStatus(ServerStatus::running))
                guard->log(guard->layout().systemdUnit +
                               QStringLiteral(" is active and answers queries"),
                           LogLevel::debug);
            return;
        }
        if (!guard->settleStatus(ServerStatus::error))
            return;
        guard->log(QStringLiteral("⚠️ ") + guard->layout().systemdUnit +
                       QStringLiteral(" is active but does not answer queries at ") +
                       guard->layout().serverAddress + u'#' +
                       QString::number(guard->layout().serverPort) + QStringLiteral(": ") +
                       answer.trimmed(),
                   LogLevel::warning);
    });
}

void SystemdServerControl::loadLog() {
    log(QStringLiteral("🔄 Loading BIND server logs..."), LogLevel::info);
    if (!m_reader.mayRead()) {
        log(QStringLiteral("📄 The server logs to the system journal, which only root and the "
                           "groups adm and systemd-journal may read: add your user to "
                           "systemd-journal (sudo usermod -aG systemd-journal <user>) and log "
                           "in again"),
            LogLevel::warning);
        return;
    }
    const QPointer<SystemdServerControl> guard(this);
    runner().runCommand({QStringLiteral("journalctl"), QStringLiteral("-u"), layout().systemdUnit,
                         QStringLiteral("-n"), QString::number(maximumLogLines),
                         QStringLiteral("--no-pager")},
                        [guard](bool success, const QString& output) {
                            if (guard)
                                guard->applyJournal(success, output);
                        });
}

void SystemdServerControl::applyJournal(bool success, const QString& output) {
    if (!success) {
        log(QStringLiteral("❌ Failed to read the journal of ") + layout().systemdUnit +
                QStringLiteral(": ") + output.trimmed(),
            LogLevel::error);
        return;
    }
    logAppArmorDenial(output);
    const QStringList lines = LayoutServerControl::shownLines(output);
    if (lines.isEmpty() || !appLog())
        return;
    appLog()->appendRaw(QStringList{QStringLiteral("--- BIND Server Logs ---")} + lines);
    log(QStringLiteral("📄 Loaded ") + QString::number(lines.size()) +
            QStringLiteral(" BIND log entries"),
        LogLevel::success);
}

void SystemdServerControl::readLogFile(const QString& path) {
    // The unit logs to the journal; a file the configuration names is read
    // like any other layout's.
    m_fileReader->readLogFile(path);
}

} // namespace korvi
