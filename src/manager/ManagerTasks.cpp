#include "manager/ManagerTasks.h"

#include <QThread>
#include <QThreadPool>

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

} // namespace korvi
