#include "manager/NamedServerControl.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <signal.h>

#include "host/HostFacts.h"
#include "manager/AppLog.h"

namespace korvi {

NamedServerControl::NamedServerControl(const SystemLayout& layout, const CommandRunner& runner,
                                       AppLog* log, const HostDetection* detection, QObject* parent)
    : ServerControl(parent), m_layout(layout), m_runner(runner), m_log(log),
      m_detection(detection) {}

void NamedServerControl::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

QStringList NamedServerControl::rndcCommand(const SystemLayout& layout, const QStringList& verbs) {
    // The server's own key is root's: without root, the helper runs rndc.
    if (layout.privilegedThroughHelper)
        return QStringList{QStringLiteral("pkexec"), layout.helperPath, QStringLiteral("rndc")} +
               verbs;
    QStringList command{QStringLiteral("rndc")};
    if (!layout.rndcKeyPath.isEmpty())
        command << QStringLiteral("-k") << layout.rndcKeyPath;
    if (layout.rndcControlPort != 0)
        command << QStringLiteral("-s") << layout.serverAddress << QStringLiteral("-p")
                << QString::number(layout.rndcControlPort);
    return command + verbs;
}

QStringList NamedServerControl::queryCommand(const SystemLayout& layout) {
    return {
        QStringLiteral("dig"),        QStringLiteral("+time=1"), QStringLiteral("+tries=2"),
        QStringLiteral("+norecurse"), QStringLiteral("-p"),      QString::number(layout.serverPort),
        u'@' + layout.serverAddress,  QStringLiteral("."),       QStringLiteral("SOA")};
}

std::optional<QString> NamedServerControl::appArmorDenialLine(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        if (const std::optional<AppArmorDenial> denial = parseAppArmorDenial(line)) {
            return QStringLiteral("🛡️ AppArmor kept named from opening ") + denial->path +
                   QStringLiteral(" (") + denial->operation +
                   QStringLiteral("): named's AppArmor profile does not allow that path; "
                                  "put the files where the profile allows (for example below "
                                  "/var/lib/bind) or add the path to "
                                  "/etc/apparmor.d/local/usr.sbin.named");
        }
    }
    return std::nullopt;
}

std::optional<QString> NamedServerControl::appArmorSandboxWarning(const QString& profilesText,
                                                                  const QString& zoneDirectory,
                                                                  const QString& homeDirectory) {
    const QString home = QDir::cleanPath(homeDirectory);
    const QString zones = QDir::cleanPath(zoneDirectory);
    const bool underHome = home.size() > 1 && (zones == home || zones.startsWith(home + u'/'));
    if (!underHome || !hasEnforcingNamedProfile(profilesText))
        return std::nullopt;
    return QStringLiteral("🛡️ AppArmor enforces a profile for named that allows nothing under "
                          "the home folder, so named will probably be refused its files in ") +
           zones +
           QStringLiteral(": start the sandbox in a folder outside the home folder "
                          "(korvi --sandbox /srv/korvi-sandbox, for example), or allow the folder "
                          "in /etc/apparmor.d/local/usr.sbin.named and reload the profile");
}

std::optional<qint64> NamedServerControl::livePid(const QString& pidFilePath) {
    QFile file(pidFilePath);
    if (pidFilePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool number = false;
    const qint64 pid = QString::fromLatin1(file.read(32)).trimmed().toLongLong(&number);
    if (!number || pid <= 1)
        return std::nullopt;
    // Alive for kill(pid, 0) (EPERM: alive, but another user's), and not a
    // zombie waiting for its parent.
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return std::nullopt;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        if (close >= 0 && text.mid(close + 2, 1) == "Z")
            return std::nullopt;
    }
    return pid;
}

void NamedServerControl::runRndcReload(const QStringList& verbs, const QString& successLine,
                                       const QString& failurePrefix, Completion done) {
    const QPointer<NamedServerControl> guard(this);
    m_runner.runCommand(rndcCommand(m_layout, verbs), [guard, successLine, failurePrefix,
                                                       done](bool success, const QString& output) {
        if (!guard) {
            if (done)
                done(false, QStringLiteral("The server control has closed"));
            return;
        }
        const QString answer = output.trimmed();
        if (success) {
            guard->log(successLine, LogLevel::success);
            if (!answer.isEmpty())
                guard->log(QStringLiteral("rndc: ") + answer, LogLevel::info);
        } else {
            guard->log(failurePrefix + answer, LogLevel::error);
        }
        // Whoever passed a completion hears the end there; the signal is for
        // the reloads asked without one.
        if (done)
            done(success, success ? QString() : failurePrefix + answer);
        else
            Q_EMIT guard->reloadFinished(success);
    });
}

void NamedServerControl::reloadZone(const QString& zone, Completion done) {
    runRndcReload(
        {QStringLiteral("reload"), zone}, QStringLiteral("Zone reloaded successfully: ") + zone,
        QStringLiteral("Failed to reload zone ") + zone + QStringLiteral(": "), std::move(done));
}

void NamedServerControl::reconfigure(Completion done) {
    runRndcReload({QStringLiteral("reconfig")},
                  QStringLiteral("Server configuration reread successfully"),
                  QStringLiteral("Failed to reread the server configuration: "), std::move(done));
}

void NamedServerControl::queryServer(
    std::function<void(bool answered, const QString& output)> completion) {
    m_runner.runCommand(queryCommand(m_layout), std::move(completion));
}

DnsQuestion NamedServerControl::probeQuestion(const SystemLayout& layout,
                                              const QStringList& servedZones, int timeoutMs) {
    DnsQuestion question;
    question.address =
        layout.serverAddress.isEmpty() ? QStringLiteral("127.0.0.1") : layout.serverAddress;
    question.port = layout.serverPort != 0 ? layout.serverPort : quint16(53);
    question.timeoutMs = timeoutMs;
    if (!servedZones.isEmpty()) {
        question.name = servedZones.first();
        question.type = QStringLiteral("SOA");
    } else {
        question.name = QStringLiteral("version.bind");
        question.type = QStringLiteral("TXT");
        question.queryClass = QStringLiteral("CH");
    }
    return question;
}

QString NamedServerControl::failureCause(const QString& text) {
    // From the most to the least telling: the first line holding one of these
    // wins. named prefixes its lines with a time stamp (and, in the file of its
    // -L option, the category and severity), which are dropped.
    static const QList<QRegularExpression> clues = [] {
        QList<QRegularExpression> list;
        for (const char* pattern :
             {"address in use", "could not listen on", "unable to listen on", "permission denied",
              "\\.conf:\\d+: ", // the configuration's own error, with file and line
              "loading configuration:", "not found", "failed", "fatal error"})
            list.append(QRegularExpression(QString::fromLatin1(pattern),
                                           QRegularExpression::CaseInsensitiveOption));
        return list;
    }();
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{2}-\\w{3}-\\d{4} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} "
                       "(?:[\\w-]+: (?:debug \\d+|info|notice|warning|error|critical): )?"));
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (const QRegularExpression& clue : clues) {
        for (const QString& line : lines) {
            if (line.contains(clue))
                return line.trimmed().remove(stamp);
        }
    }
    return QString();
}

void NamedServerControl::askServer(
    std::function<void(bool answered, const QString& detail)> completion, int timeoutMs) {
    const DnsQuestion question = probeQuestion(m_layout, servedZones(), timeoutMs);
    ServerQuery::ask(this, question, [completion = std::move(completion)](const DnsAnswer& answer) {
        completion(answer.responded(), answer.responded() ? answer.rcode : answer.error);
    });
}

void NamedServerControl::logAppArmorDenial(const QString& text) const {
    if (const std::optional<QString> line = appArmorDenialLine(text))
        log(*line, LogLevel::error);
}

} // namespace korvi
