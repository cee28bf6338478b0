#include "manager/ProcessRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QProcessEnvironment>
#include <QTimer>

#include "platform/TextFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace korvi {

namespace {

// Why execve would refuse the program, in the words Qt uses for a failed
// start ("execve: Permission denied"), or nothing when it would run. Qt 6.4
// leaves one pipe open for every start that fails after the fork, so the
// usual reasons are found here, before any child exists: a missing file,
// one that is not a regular file or not executable, an unknown format, and a
// script whose interpreter is missing or not executable.
std::optional<QString> startRefusal(const QString& program, int depth = 0) {
    const auto refusal = [](int code) {
        return QStringLiteral("execve: ") + QString::fromLocal8Bit(std::strerror(code));
    };
    const QByteArray path = QFile::encodeName(program);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return refusal(errno);
    if (!S_ISREG(info.st_mode) || ::access(path.constData(), X_OK) != 0)
        return refusal(EACCES);
    QFile file(program);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(EACCES);
    const QByteArray head = file.read(256);
    if (head.startsWith("\x7f"
                        "ELF"))
        return std::nullopt;
    if (!head.startsWith("#!"))
        return refusal(ENOEXEC);
    // "#!interpreter [argument]": the interpreter must run in its own right.
    const QByteArray line = head.mid(2, head.indexOf('\n') < 0 ? -1 : head.indexOf('\n') - 2);
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.isEmpty() || words.first().isEmpty())
        return refusal(ENOEXEC);
    if (depth > 3)
        return std::nullopt;
    // execve reports a missing or refused interpreter as the script's own error.
    return startRefusal(QFile::decodeName(words.first()), depth + 1);
}

} // namespace

void ProcessRun::start(const ProcessRunRequest& request) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        // Without an application object there is no main thread to run on
        // or to report to; say so at once rather than never.
        if (request.completion)
            request.completion(false, QStringLiteral("No application event loop"));
        return;
    }
    // Direct call on the main thread, queued to it from any other.
    QMetaObject::invokeMethod(
        application,
        [request] {
            auto* run = new ProcessRun(request);
            run->begin();
        },
        Qt::AutoConnection);
}

void ProcessRun::deliver(const CommandCompletion& completion, bool success, const QString& output) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!completion || !application)
        return;
    QMetaObject::invokeMethod(
        application, [completion, success, output] { completion(success, output); },
        Qt::QueuedConnection);
}

QString ProcessRun::decodeOutput(const QByteArray& bytes) {
    return decodeUtf8(bytes).value_or(QString());
}

ProcessRun::ProcessRun(const ProcessRunRequest& request)
    : QObject(QCoreApplication::instance()), m_request(request) {}

ProcessRun::~ProcessRun() {
    // Only reached with a live child when the application object goes away
    // under a pending run: stop listening and end the child; QProcess reaps it.
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        m_process->kill();
    }
}

void ProcessRun::begin() {
    m_process = new QProcess(this);
    m_process->setProgram(m_request.program);
    m_process->setArguments(m_request.arguments);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    // Nothing is ever typed into a child: one that asks for input reads end of
    // file instead of waiting for the time limit.
    m_process->setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), m_request.searchPath);
    m_process->setProcessEnvironment(environment);

    connect(m_process, &QProcess::readyReadStandardOutput, this, &ProcessRun::readOutput);
    connect(m_process, &QProcess::errorOccurred, this, &ProcessRun::handleError);
    connect(m_process, &QProcess::finished, this, &ProcessRun::handleFinished);

    m_timeLimit = new QTimer(this);
    m_timeLimit->setSingleShot(true);
    connect(m_timeLimit, &QTimer::timeout, this, &ProcessRun::handleTimeLimit);
    m_killGrace = new QTimer(this);
    m_killGrace->setSingleShot(true);
    connect(m_killGrace, &QTimer::timeout, this, &ProcessRun::handleKillGrace);

    // The limit counts from just before the start. A start failure may be
    // reported from inside start() itself; handleError copes with that.
    if (m_request.timeoutMs > 0)
        m_timeLimit->start(m_request.timeoutMs);
    if (const std::optional<QString> refusal = startRefusal(m_request.program)) {
        log(m_request.startFailurePrefix + *refusal, m_request.startFailureLevel);
        finish(false, *refusal);
        return;
    }
    m_process->start();
}

void ProcessRun::readOutput() {
    // Taking the bytes as they come keeps the pipe drained, so a child with a
    // lot to say is never held up by a full pipe.
    m_output += m_process->readAllStandardOutput();
    if (!m_request.progress)
        return;
    for (qsizetype end = m_output.indexOf('\n', m_reported); end >= 0;
         end = m_output.indexOf('\n', m_reported)) {
        const QString line =
            QString::fromUtf8(m_output.constData() + m_reported, end - m_reported).trimmed();
        m_reported = end + 1;
        if (!line.isEmpty())
            m_request.progress(line);
    }
}

void ProcessRun::handleError(QProcess::ProcessError error) {
    // A crash is also reported through finished(), which ends the run; only a
    // failed start comes without it.
    if (m_finished || error != QProcess::FailedToStart)
        return;
    const QString description = m_process->errorString();
    log(m_request.startFailurePrefix + description, m_request.startFailureLevel);
    finish(false, description);
}

void ProcessRun::handleFinished(int exitCode, QProcess::ExitStatus exitStatus) {
    if (m_finished)
        return;
    readOutput();
    // A run ended by the time limit fails even if the child managed to exit
    // with status 0 after being asked to stop.
    const bool success = !m_timedOut && exitStatus == QProcess::NormalExit && exitCode == 0;
    finish(success, decodeOutput(m_output));
}

void ProcessRun::handleTimeLimit() {
    if (m_finished || m_process->state() == QProcess::NotRunning)
        return;
    m_timedOut = true;
    m_process->terminate();
    log(m_request.timeoutMessage, m_request.timeoutLevel);
    // A child that ignores SIGTERM must not keep the run open forever.
    m_killGrace->start(m_request.killGraceMs);
}

void ProcessRun::handleKillGrace() {
    if (m_finished || m_process->state() == QProcess::NotRunning)
        return;
    m_process->kill();
}

void ProcessRun::finish(bool success, const QString& output) {
    m_finished = true;
    m_timeLimit->stop();
    m_killGrace->stop();
    deliver(m_request.completion, success, output);
    m_request.completion = nullptr;
    deleteLater();
}

void ProcessRun::log(const QString& message, LogLevel level) const {
    if (m_request.log)
        m_request.log->add(message, level);
}

} // namespace korvi
