#include "manager/ManagerTasks.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#include "manager/DNSServerManager.h"

namespace korvi {

void ManagerTasks::inBackground(std::function<void()> work) {
    QThreadPool::globalInstance()->start([work = std::move(work)] {
        // Pool threads are shared: lower this one's priority for the work
        // only, and give it back afterwards.
        QThread* thread = QThread::currentThread();
        const QThread::Priority previous = thread->priority();
        thread->setPriority(QThread::LowPriority);
        work();
        thread->setPriority(previous == QThread::InheritPriority ? QThread::NormalPriority
                                                                 : previous);
    });
}

void ManagerTasks::onMainThread(const QPointer<DNSServerManager>& manager,
                                std::function<void(DNSServerManager&)> work) {
    // The application object outlives every manager, so the call is queued on
    // it and the manager is looked at only once the call runs, on the main
    // thread.
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [manager, work = std::move(work)] {
            if (manager)
                work(*manager);
        },
        Qt::QueuedConnection);
}

} // namespace korvi
