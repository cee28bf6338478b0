#include "manager/RndcServerControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "manager/AppLog.h"
#include "manager/HostDetection.h"
#include "manager/LayoutServerControl.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

// How often and how long a stop waits for named's process to end.
constexpr int exitPollMs = 100;
constexpr int exitPolls = 150;
// How soon a start asks again when named has not answered yet.
constexpr int answerRetryMs = 200;

} // namespace

RndcServerControl::RndcServerControl(const SystemLayout& layout, const CommandRunner& runner,
                                     AppLog* log, const HostDetection* detection, QObject* parent)
    : NamedServerControl(layout, runner, log, detection, parent),
      m_logReader(new LayoutServerControl(layout, runner, log, detection, this)) {}

std::optional<QString> RndcServerControl::prepareRunDirectory(const QString& path,
                                                              const QString& user) {
    const passwd* account = ::getpwnam(user.toLocal8Bit().constData());
    if (!account)
        return QStringLiteral("there is no user ") + user;
    const QFileInfo info(path);
    if (info.isSymLink())
        return path + QStringLiteral(" is a symbolic link");
    if (!QDir().mkpath(path))
        return QStringLiteral("cannot create ") + path;
    const QByteArray local = path.toLocal8Bit();
    if (::chown(local.constData(), 0, account->pw_gid) != 0 ||
        ::chmod(local.constData(), 0775) != 0)
        return QStringLiteral("cannot give ") + path + QStringLiteral(" to the group of ") + user;
    return std::nullopt;
}

void RndcServerControl::warnAboutAppArmor() const {
    const QString profilesPath = layout().appArmorProfilesPath;
    if (profilesPath.isEmpty() || !QFileInfo::exists(profilesPath))
        return;
    const std::optional<QString> profiles = readTextFile(profilesPath);
    if (!profiles)
        return;
    if (const std::optional<QString> warning =
            appArmorSandboxWarning(*profiles, layout().zoneDirectory, QDir::homePath()))
        log(*warning, LogLevel::warning);
}

void RndcServerControl::start() {
    // named will not start when the folder of its log file is missing.
    // (A distribution's named logs where its own configuration says.)
    const QString dataDirectory = layout().zoneDirectory + QStringLiteral("/data");
    if (!layout().ownsIncludeOnly && !QDir().mkpath(dataDirectory))
        log(QStringLiteral("⚠️ Could not create the server's data folder: ") + dataDirectory,
            LogLevel::warning);
    warnAboutAppArmor();
    if (!layout().namedUser.isEmpty() && !layout().runDirectory.isEmpty()) {
        if (const std::optional<QString> reason =
                prepareRunDirectory(layout().runDirectory, layout().namedUser))
            log(QStringLiteral("⚠️ Could not prepare named's run folder: ") + *reason,
                LogLevel::warning);
    }
    QStringList command = LayoutServerControl::withDetectedNamed(layout().startCommand, layout(),
                                                                 detection()->bindPath());
    // What named says before its configuration is loaded (an address it cannot
    // listen on, a file it may not open) goes to the system log unless it is
    // told a file: Korvi's own server writes it into its log, where the start
    // and the Logs screen read it.
    const bool runsNamed = !command.isEmpty() && (command.first() == detection()->bindPath() ||
                                                  command.first() == layout().bindExecutablePath);
    if (runsNamed && !layout().ownsIncludeOnly && !layout().bindLogPaths.isEmpty())
        command << QStringLiteral("-L") << layout().bindLogPaths.first();
    setBusy(true);
    m_startLogOffset = logSize();
    const QPointer<RndcServerControl> guard(this);
    // named returns once its server has loaded the configuration (or failed to).
    runner().runCommand(command, [guard](bool success, const QString& output) {
        if (guard)
            guard->started(success, output);
    });
}

QString RndcServerControl::logPath() const {
    for (const QString& path : layout().bindLogPaths) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return layout().bindLogPaths.value(0);
}

qint64 RndcServerControl::logSize() const {
    const QString path = logPath();
    return path.isEmpty() ? 0 : QFileInfo(path).size();
}

QString RndcServerControl::logTail(qint64 from) const {
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // A log that shrank was started anew: all of it is new.
    constexpr qint64 tail = 64 * 1024;
    qint64 start = from >= 0 && from <= file.size() ? from : 0;
    start = qMax(start, file.size() - tail);
    file.seek(start);
    return QString::fromUtf8(file.readAll());
}

void RndcServerControl::started(bool success, const QString& output) {
    m_startOutput = output;
    logAppArmorDenial(output + u'\n' + logTail(m_startLogOffset));
    if (!success) {
        const QString said = output.trimmed();
        startFailed(said.isEmpty() ? QStringLiteral("named exited with an error") : said);
        return;
    }
    // named has returned; running is when it answers.
    m_startClock.start();
    waitForAnswer();
}

void RndcServerControl::waitForAnswer() {
    const std::optional<qint64> pid = livePid(layout().pidFilePath);
    if (!pid) {
        startFailed(QStringLiteral("named stopped right after starting"));
        return;
    }
    const int remaining = int(startAnswerLimit() - m_startClock.elapsed());
    const QPointer<RndcServerControl> guard(this);
    askServer(
        [guard, pid](bool answered, const QString&) {
            if (!guard)
                return;
            if (answered) {
                guard->setBusy(false);
                guard->setStatus(ServerStatus::running);
                guard->log(QStringLiteral("DNS server started successfully"), LogLevel::success);
                return;
            }
            if (guard->m_startClock.elapsed() < guard->startAnswerLimit()) {
                QTimer::singleShot(answerRetryMs, guard, [guard] { guard->waitForAnswer(); });
                return;
            }
            guard->startFailed(
                QStringLiteral("named (PID ") + QString::number(*pid) +
                QStringLiteral(") did not answer at ") + guard->layout().serverAddress + u'#' +
                QString::number(guard->layout().serverPort) + QStringLiteral(" within ") +
                QString::number(guard->startAnswerLimit() / 1000.0) + QStringLiteral(" s"));
            // A server that started but does not serve is of no use and keeps
            // its files: it is stopped again.
            guard->log(QStringLiteral("Stopping the server that does not answer"), LogLevel::info);
            guard->runner().runCommand(rndcCommand(guard->layout(), {QStringLiteral("stop")}),
                                       [](bool, const QString&) {});
        },
        qBound(200, remaining, 1000));
}

void RndcServerControl::startFailed(const QString& what) {
    setBusy(false);
    setStatus(ServerStatus::error);
    // named's own words first: they say why, where Korvi's only say what.
    const QString cause = failureCause(m_startOutput + u'\n' + logTail(m_startLogOffset));
    QString message = QStringLiteral("Failed to start DNS server: ");
    const bool portClue =
        cause.contains(QStringLiteral("address in use")) ||
        cause.contains(QStringLiteral("listen on")) ||
        (cause.contains(QStringLiteral("interface")) && cause.contains(QStringLiteral("failed")));
    const QString hint = portClue ? QStringLiteral(" — is another program using ") +
                                        layout().serverAddress + u'#' +
                                        QString::number(layout().serverPort) + u'?'
                                  : QString();
    if (cause.isEmpty())
        message += what;
    else if (what.contains(u'\n'))
        message += cause; // named's whole output: the telling line is enough
    else if (what.contains(cause))
        message += what;
    else
        message += cause + QStringLiteral(" (") + what + u')';
    log(message + hint, LogLevel::error);
}

void RndcServerControl::stop() {
    const std::optional<qint64> pid = livePid(layout().pidFilePath);
    setBusy(true);
    const QPointer<RndcServerControl> guard(this);
    runner().runCommand(
        rndcCommand(layout(), {QStringLiteral("stop")}),
        [guard, pid](bool success, const QString& output) {
            if (!guard)
                return;
            if (!success) {
                guard->setBusy(false);
                guard->setStatus(ServerStatus::error);
                guard->log(QStringLiteral("Failed to stop DNS server: ") + output.trimmed(),
                           LogLevel::error);
                return;
            }
            if (!output.trimmed().isEmpty())
                guard->log(QStringLiteral("rndc: ") + output.trimmed(), LogLevel::info);
            // rndc returns when named has been asked; stopped is when its
            // process has ended.
            guard->waitForExit(pid.value_or(0), exitPolls);
        });
}

void RndcServerControl::waitForExit(qint64 pid, int attemptsLeft) {
    const bool alive = pid > 0 && livePid(layout().pidFilePath) == pid;
    if (!alive) {
        setBusy(false);
        setStatus(ServerStatus::stopped);
        log(QStringLiteral("DNS server stopped successfully"), LogLevel::success);
        return;
    }
    if (attemptsLeft == 0) {
        setBusy(false);
        setStatus(ServerStatus::error);
        log(QStringLiteral("Failed to stop DNS server: named (PID ") + QString::number(pid) +
                QStringLiteral(") is still running"),
            LogLevel::error);
        return;
    }
    QTimer::singleShot(exitPollMs, this,
                       [this, pid, attemptsLeft] { waitForExit(pid, attemptsLeft - 1); });
}

void RndcServerControl::reload() {
    runRndcReload({QStringLiteral("reload")}, QStringLiteral("Configuration reloaded successfully"),
                  QStringLiteral("Failed to reload configuration: "));
}

void RndcServerControl::checkStatus() {
    if (!detection()->isBindInstalled()) {
        settleStatus(ServerStatus::notInstalled);
        return;
    }
    const std::optional<qint64> pid = livePid(layout().pidFilePath);
    if (!pid) {
        if (settleStatus(ServerStatus::stopped))
            log(QStringLiteral("DNS server process not found"), LogLevel::debug);
        return;
    }
    const QPointer<RndcServerControl> guard(this);
    askServer([guard, pid](bool answered, const QString& output) {
        if (guard)
            guard->applyStatus(*pid, answered, output);
    });
}

void RndcServerControl::applyStatus(qint64 pid, bool answered, const QString& output) {
    if (answered) {
        if (settleStatus(ServerStatus::running))
            log(QStringLiteral("DNS server process detected (PID: ") + QString::number(pid) + u')',
                LogLevel::debug);
        return;
    }
    if (!settleStatus(ServerStatus::error))
        return;
    log(QStringLiteral("⚠️ named (PID ") + QString::number(pid) +
            QStringLiteral(") does not answer queries at ") + layout().serverAddress + u'#' +
            QString::number(layout().serverPort) + QStringLiteral(": ") + output.trimmed(),
        LogLevel::warning);
}

void RndcServerControl::loadLog() {
    if (!layout().bindLogPaths.isEmpty() || !layout().ownsIncludeOnly) {
        m_logReader->loadLog();
        return;
    }
    // A distribution's server logs where its configuration says: the file
    // of a channel in its logging statement, else the system log.
    const QPointer<RndcServerControl> guard(this);
    runner().runCommand(
        {QStringLiteral("named-checkconf"), QStringLiteral("-p"), layout().namedConfigPath},
        [guard](bool success, const QString& output) {
            if (!guard)
                return;
            const QString file = success ? logChannelFile(output) : QString();
            if (file.isEmpty()) {
                guard->log(QStringLiteral("📄 named's configuration names no log file: the "
                                          "server logs to the system log (syslog)"),
                           LogLevel::info);
                return;
            }
            guard->m_logReader->readLogFile(file);
        });
}

QString RndcServerControl::logChannelFile(const QString& printedConfiguration) {
    // named-checkconf -p prints the logging statement as "logging {", one
    // statement a line, channels' files as file "<path>".
    static const QRegularExpression logging(QStringLiteral("^logging \\{$"),
                                            QRegularExpression::MultilineOption);
    static const QRegularExpression file(QStringLiteral("^\\s+file \"([^\"]+)\""),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch start = logging.match(printedConfiguration);
    if (!start.hasMatch())
        return QString();
    const qsizetype end = printedConfiguration.indexOf(QStringLiteral("\n};"), start.capturedEnd());
    const QString block =
        printedConfiguration.mid(start.capturedEnd(), end < 0 ? -1 : end - start.capturedEnd());
    const QRegularExpressionMatch match = file.match(block);
    return match.hasMatch() ? match.captured(1) : QString();
}

void RndcServerControl::readLogFile(const QString& path) {
    m_logReader->readLogFile(path);
}

} // namespace korvi
