#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <functional>

namespace korvi {

// How the parts hand work between threads: background work on the shared
// worker pool, and results applied on the main thread only while the object
// they are for still exists.
class ManagerTasks {
public:
    // Runs the work on a worker of the global thread pool at low priority.
    static void inBackground(std::function<void()> work);

    // Queues the work on the main thread's event loop, behind whatever is
    // already queued there, even when called on the main thread. It runs only
    // if the object still exists by then; otherwise it is dropped.
    template <typename T>
    static void onMainThread(const QPointer<T>& object, std::function<void(T&)> work) {
        // The application object outlives every part, so the call is queued on
        // it and the object is looked at only once the call runs, on the main
        // thread.
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        QMetaObject::invokeMethod(
            application,
            [object, work = std::move(work)] {
                if (object)
                    work(*object);
            },
            Qt::QueuedConnection);
    }
};

} // namespace korvi
