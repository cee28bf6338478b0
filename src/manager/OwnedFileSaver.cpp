#include "manager/OwnedFileSaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThreadPool>

#include "host/HelperVerbs.h"
#include "host/HostLayout.h"

namespace korvi {

namespace {

// pkexec's own failures: not authorised or prompt dismissed (126), no agent,
// no polkit or the program not found (127).
constexpr int pkexecDismissed = 126;
constexpr int pkexecFailed = 127;

} // namespace

OwnedFileSaver::OwnedFileSaver(const SystemLayout& layout, QObject* parent)
    : QObject(parent), m_layout(layout) {}

OwnedFileSaver::~OwnedFileSaver() {
    // A helper still at work (or waiting for a password) is left to finish:
    // it changes one file whole or not at all.
    if (m_process)
        m_process->disconnect(this);
}

void OwnedFileSaver::perform(const QStringList& words, const QByteArray& input,
                             Completion completion) {
    m_queue.enqueue({words, input, std::move(completion)});
    if (!m_busy)
        runNext();
}

void OwnedFileSaver::runNext() {
    if (m_queue.isEmpty()) {
        m_busy = false;
        return;
    }
    m_busy = true;
    const Step& step = m_queue.head();
    if (m_layout.privilegedThroughHelper)
        runHelper(step);
    else
        runInProcess(step);
}

void OwnedFileSaver::stepDone(bool ok, const QString& message) {
    if (m_queue.isEmpty())
        return;
    const Step step = m_queue.dequeue();
    if (step.completion)
        step.completion(ok, message);
    runNext();
}

void OwnedFileSaver::runInProcess(const Step& step) {
    // BIND's checkers run inside; never on the window's thread.
    const QPointer<OwnedFileSaver> self(this);
    const OwnedFileLayout layout = ownedFileLayout(m_layout);
    const QStringList words = step.words;
    const QByteArray input = step.input;
    QThreadPool::globalInstance()->start([self, layout, words, input] {
        const FileOperationResult result = performFileVerb(OwnedFiles(layout), words, input);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, result] {
                if (self)
                    self->stepDone(result.ok(), result.message);
            },
            Qt::QueuedConnection);
    });
}

QString OwnedFileSaver::privilegeFailure(int exitCode, const QString& output) {
    QString message = exitCode == pkexecDismissed
                          ? QStringLiteral("Administrator rights were not granted (the password "
                                           "prompt was dismissed or refused)")
                          : QStringLiteral("Administrator rights could not be asked for (pkexec "
                                           "found no polkit authentication agent or no polkit)");
    if (!output.isEmpty())
        message += QStringLiteral(": ") + output;
    return message + QStringLiteral("; nothing was changed");
}

void OwnedFileSaver::runHelper(const Step& step) {
    const QString pkexec = QStandardPaths::findExecutable(
        QStringLiteral("pkexec"), m_layout.commandSearchPath.split(u':', Qt::SkipEmptyParts));
    if (pkexec.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                stepDone(false, privilegeFailure(pkexecFailed, QStringLiteral("no pkexec")));
            },
            Qt::QueuedConnection);
        return;
    }
    auto* process = new QProcess(this);
    m_process = process;
    process->setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Honoured only by a helper that pkexec did not raise (tests).
    if (!m_layout.ownedRoot.isEmpty())
        environment.insert(QStringLiteral("KORVI_HELPER_ROOT"), m_layout.ownedRoot);
    process->setProcessEnvironment(environment);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        stepDone(false, privilegeFailure(pkexecFailed, process->errorString()));
    });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                const QString output = QString::fromUtf8(process->readAll()).trimmed();
                QString text = output;
                if (text.startsWith(QStringLiteral("korvi-helper: ")))
                    text = text.mid(14);
                if (status != QProcess::NormalExit)
                    stepDone(false, QStringLiteral("korvi-helper ended abnormally"));
                else if (exitCode == pkexecDismissed || exitCode == pkexecFailed)
                    stepDone(false, privilegeFailure(exitCode, output));
                else
                    stepDone(exitCode == 0, text);
            });
    process->start(pkexec, QStringList{m_layout.helperPath} + step.words);
    // No time limit: the prompt waits for the person at the keyboard.
    process->write(step.input);
    process->closeWriteChannel();
}

} // namespace korvi
