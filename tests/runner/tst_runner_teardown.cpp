// A run still going when the application object is destroyed: its child is ended and reaped,
// and its completion is not called. Its own main(), since it destroys the application object.
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
        CommandRunner(SystemLayout::standard(), nullptr)
            .runProcess(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"),
                         QStringLiteral("echo $$ > '%1'; exec sleep 30").arg(pidFile)},
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
        if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
            return std::fprintf(stderr, "FAIL: the child is not running before teardown\n"), 1;
    }
    // Reaped, not merely signalled: a zombie would still answer kill(pid, 0).
    if (calls != 0 || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
        return std::fprintf(stderr, "FAIL: a completion came or the child outlived teardown\n"), 1;
    std::printf("PASS: child %lld ended with the application object\n",
                static_cast<long long>(pid));
    return 0;
}
