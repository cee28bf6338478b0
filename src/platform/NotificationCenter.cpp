#include "platform/NotificationCenter.h"

namespace korvi {

NotificationCenter& NotificationCenter::instance() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const QString& name, QObject* observer,
                                     std::function<void()> handler) {
    QMutexLocker lock(&m_mutex);
    m_entries.append(Entry{name, observer, observer, std::move(handler)});
}

void NotificationCenter::removeObserver(QObject* observer) {
    QMutexLocker lock(&m_mutex);
    m_entries.removeIf([observer](const Entry& e) { return e.key == observer; });
}

void NotificationCenter::post(const QString& name) {
    QList<Entry> matching;
    {
        QMutexLocker lock(&m_mutex);
        m_entries.removeIf([](const Entry& e) { return e.observer.isNull(); });
        for (const Entry& e : m_entries) {
            if (e.name == name)
                matching.append(e);
        }
    }
    // Handlers run without the lock so that they may add or remove observers.
    for (const Entry& e : matching) {
        if (!e.observer.isNull())
            e.handler();
    }
}

int NotificationCenter::observerCount(const QString& name) const {
    QMutexLocker lock(&m_mutex);
    int count = 0;
    for (const Entry& e : m_entries) {
        if (e.name == name && !e.observer.isNull())
            ++count;
    }
    return count;
}

} // namespace korvi
