#pragma once

#include <QPointer>

#include <functional>

namespace korvi {

class DNSServerManager;

// How the manager's operations hand work between threads: background work on
// the shared worker pool, and results applied on the main thread only while
// the manager still exists.
class ManagerTasks {
public:
    // Runs the work on a worker of the global thread pool at low priority.
    static void inBackground(std::function<void()> work);
    // Queues the work on the main thread's event loop, behind whatever is
    // already queued there, even when called on the main thread. It runs only
    // if the manager still exists by then; otherwise it is dropped.
    static void onMainThread(const QPointer<DNSServerManager>& manager,
                             std::function<void(DNSServerManager&)> work);
};

} // namespace korvi
