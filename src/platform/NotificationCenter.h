#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace korvi {

// A process-wide notification centre: observers register a handler for a
// notification name; posting a name calls every live handler for it on the
// posting thread, in registration order.
class NotificationCenter {
public:
    static NotificationCenter& instance();

    // The handler runs while observer exists; it is dropped with the observer.
    void addObserver(const QString& name, QObject* observer, std::function<void()> handler);
    void removeObserver(QObject* observer);
    void post(const QString& name);

    int observerCount(const QString& name) const;

private:
    struct Entry {
        QString name;
        QPointer<QObject> observer;
        const QObject* key = nullptr;
        std::function<void()> handler;
    };
    mutable QMutex m_mutex;
    QList<Entry> m_entries;
};

inline const QString appWillTerminateNotification = QStringLiteral("AppWillTerminate");

} // namespace korvi
