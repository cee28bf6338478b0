#include "manager/WarmZoneChecker.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "manager/ProcessRun.h"

namespace korvi {

namespace {

// How long a text waits for its checker to open the pipe: a checker that is
// still starting after this is passed over.
constexpr int openWaitMs = 20;

enum class Handed { written, notReady, failed };

// Writes the whole text into the pipe, whose reader is the checker. SIGPIPE
// is held back on this thread while writing: a checker that ends early
// makes the write fail, it must not end Korvi.
Handed writeToPipe(const QString& pipe, const QByteArray& bytes) {
    int fd = -1;
    for (int waited = 0; waited <= openWaitMs; ++waited) {
        // Without a reader yet, a non-blocking open fails at once (ENXIO)
        // instead of waiting for one that may never come.
        fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0 || errno != ENXIO)
            break;
        ::usleep(1000);
    }
    if (fd < 0)
        return errno == ENXIO ? Handed::notReady : Handed::failed;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool ok = true;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += n;
    }
    ::close(fd);
    if (!ok) {
        // Takes the SIGPIPE the failed write raised, if any, before the mask
        // is restored.
        const timespec none{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok ? Handed::written : Handed::failed;
}

// Lets whoever still waits to read the pipe go (the checker, or a process a
// checker script started and left behind), then removes it. Held open for
// reading and writing (which never blocks on Linux), the pipe lets a reader
// blocked opening it through; it is removed while still held, so that a
// reader coming later finds no pipe, and closing it then gives every reader
// the end of the input.
void releasePipe(const QString& pipe) {
    const int fd = ::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    QFile::remove(pipe);
    if (fd >= 0)
        ::close(fd);
}

} // namespace

WarmZoneChecker::WarmZoneChecker(QString program, QStringList arguments, QString searchPath,
                                 QObject* parent)
    : QObject(parent), m_program(std::move(program)), m_arguments(std::move(arguments)),
      m_searchPath(std::move(searchPath)) {}

WarmZoneChecker::~WarmZoneChecker() {
    for (const Waiting& waiting : std::as_const(m_waiting))
        discard(waiting);
}

bool WarmZoneChecker::isWaiting(const QString& zoneName) const {
    const auto found = m_waiting.constFind(zoneName);
    return found != m_waiting.constEnd() && found->process->state() != QProcess::NotRunning;
}

void WarmZoneChecker::discard(const Waiting& waiting) {
    if (waiting.process) {
        waiting.process->disconnect(this);
        if (waiting.process->state() != QProcess::NotRunning)
            waiting.process->kill();
        // Reaped by QProcess once it has ended; deleted from the event loop.
        QObject::connect(waiting.process, &QProcess::finished, waiting.process,
                         &QObject::deleteLater);
        if (waiting.process->state() == QProcess::NotRunning)
            waiting.process->deleteLater();
        waiting.process->setParent(nullptr);
    }
    releasePipe(waiting.pipe);
}

void WarmZoneChecker::prepare(const QString& folder, const QString& zoneName, const QString& stem) {
    if (m_program.isEmpty() || zoneName.isEmpty() || isWaiting(zoneName))
        return;
    if (const auto stale = m_waiting.constFind(zoneName); stale != m_waiting.constEnd()) {
        discard(*stale);
        m_waiting.erase(stale);
    }
    if (m_waiting.size() >= maxWaiting) {
        auto oldest = m_waiting.begin();
        for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
            if (it->order < oldest->order)
                oldest = it;
        }
        discard(*oldest);
        m_waiting.erase(oldest);
    }
    const QString pipe = folder + u'/' + stem + QStringLiteral(".tmp.") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0)
        return;
    auto* process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), m_searchPath);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    // A checker that fails to start, or ends while waiting, is simply not
    // there to take a text.
    connect(process, &QProcess::errorOccurred, this, [this, zoneName, process] {
        const auto found = m_waiting.constFind(zoneName);
        if (found != m_waiting.constEnd() && found->process == process) {
            discard(*found);
            m_waiting.erase(found);
        }
    });
    process->start(m_program, m_arguments + QStringList{zoneName, pipe});
    m_waiting.insert(zoneName, {process, pipe, ++m_lastOrder});
}

void WarmZoneChecker::check(const QString& zoneName, const QString& text, int timeoutMs,
                            Completion completion) {
    const auto notTaken = [completion] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion] { completion(false, false, QString()); },
            Qt::QueuedConnection);
    };
    if (!isWaiting(zoneName)) {
        notTaken();
        return;
    }
    const Waiting waiting = m_waiting.take(zoneName);
    QProcess* process = waiting.process;
    process->disconnect(this);
    // One end per check. The checker's verdict counts only once the whole
    // text was written to it and it has exited: a checker that ended without
    // reading everything judged nothing. The time limit or a text that could
    // not be handed over end the check at once.
    struct Run {
        bool ended = false;
        bool handed = false;
        bool exited = false;
        bool exitOk = false;
        QByteArray output;
    };
    auto run = std::make_shared<Run>();
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    const QString pipe = waiting.pipe;
    const auto end = [run, process, pipe, completion](bool taken, bool success,
                                                      const QString& output) {
        if (run->ended)
            return;
        run->ended = true;
        releasePipe(pipe);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        } else {
            process->deleteLater();
        }
        ProcessRun::deliver(
            [completion, taken](bool ok, const QString& text) { completion(taken, ok, text); },
            success, output);
    };
    const auto verdict = [run, end] {
        if (run->handed && run->exited)
            end(true, run->exitOk, ProcessRun::decodeOutput(run->output));
    };
    connect(process, &QProcess::readyRead, process,
            [run, process] { run->output += process->readAll(); });
    connect(process, &QProcess::finished, process,
            [run, process, verdict](int exitCode, QProcess::ExitStatus status) {
                run->output += process->readAll();
                run->exited = true;
                run->exitOk = status == QProcess::NormalExit && exitCode == 0;
                verdict();
            });
    connect(limit, &QTimer::timeout, process,
            [end] { end(true, false, QStringLiteral("The zone checker took too long")); });
    process->setParent(nullptr);
    limit->start(timeoutMs);
    const QPointer<QProcess> guard(process);
    QThreadPool::globalInstance()->start([pipe, bytes = text.toUtf8(), guard, run, end, verdict] {
        const Handed handed = writeToPipe(pipe, bytes);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, run, end, verdict, handed] {
                if (!guard)
                    return;
                if (handed == Handed::written) {
                    run->handed = true;
                    verdict();
                    return;
                }
                // Nobody judged the whole text: the caller checks it another
                // way.
                end(false, false,
                    handed == Handed::notReady
                        ? QStringLiteral("The zone checker was not ready")
                        : QStringLiteral("The text could not be handed to the "
                                         "zone checker"));
            },
            Qt::QueuedConnection);
    });
}

} // namespace korvi
