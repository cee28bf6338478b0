// A run still going when the application object is destroyed: its child is
// ended and reaped, not left behind, and its completion is not called into a
// program that is shutting down. This needs its own main(), since it destroys
// the application object.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

#include <sys/types.h>

#include "manager/CommandRunner.h"
#include "platform/SystemLayout.h"

using namespace korvi;

namespace {

int fail(const char* message) {
    std::fprintf(stderr, "FAIL: %s\n", message);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail("no temporary directory");
    const QString pidFile = dir.path() + QStringLiteral("/child.pid");
    int calls = 0;
    qint64 pid = 0;
    {
        auto application = std::make_unique<QCoreApplication>(argc, argv);
        const CommandRunner runner(SystemLayout::standard(), nullptr);
        runner.runProcess(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("echo $$ > '%1'; exec sleep 30").arg(pidFile)},
            [&calls](bool, const QString&) { ++calls; });
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QFile file(pidFile);
            if (file.open(QIODevice::ReadOnly)) {
                pid = file.readAll().trimmed().toLongLong();
                if (pid > 0)
                    break;
            }
            QThread::msleep(20);
        }
        if (pid <= 0)
            return fail("the child never started");
        if (::kill(static_cast<pid_t>(pid), 0) != 0)
            return fail("the child is not running before teardown");
        // The run belongs to the application object, which goes now.
    }
    if (calls != 0)
        return fail("a completion was called during teardown");
    // Reaped, not merely signalled: a zombie would still answer kill(pid, 0).
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
        return fail("the child outlived the application object");
    std::printf("PASS: child %lld ended with the application object\n",
                static_cast<long long>(pid));
    return 0;
}
