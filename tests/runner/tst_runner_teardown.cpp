// A run still going when the application object is destroyed: its child is
// ended and reaped, not left behind, and its completion is not called into a
// program that is shutting down. Its own main(), since it destroys the
// application object.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "manager/CommandRunner.h"

using namespace korvi;

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString pidFile = dir.path() + QStringLiteral("/child.pid");
    int calls = 0;
    qint64 pid = 0;
    {
        QCoreApplication application(argc, argv);
        const CommandRunner runner(SystemLayout::standard(), nullptr);
        runner.runProcess(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("echo $$ > '%1'; exec sleep 30").arg(pidFile)},
            [&calls](bool, const QString&) { ++calls; });
        QElapsedTimer clock;
        clock.start();
        while (pid <= 0 && clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QFile file(pidFile);
            if (file.open(QIODevice::ReadOnly))
                pid = file.readAll().trimmed().toLongLong();
            QThread::msleep(20);
        }
        if (pid <= 0 || ::kill(pid_t(pid), 0) != 0) {
            std::fprintf(stderr, "FAIL: the child is not running before teardown\n");
            return 1;
        }
        // The run belongs to the application object, which goes now.
    }
    // Reaped, not merely signalled: a zombie would still answer kill(pid, 0).
    const bool gone = ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    if (calls != 0 || !gone) {
        std::fprintf(stderr, "FAIL: %s\n",
                     calls ? "a completion was called during teardown"
                           : "the child outlived the application object");
        return 1;
    }
    std::printf("PASS: child %lld ended with the application object\n",
                static_cast<long long>(pid));
    return 0;
}
