#pragma once

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

namespace korvi {

// One writer at a time over Korvi's data folder: the window and korvictl take
// the same lock file there before they change zones, so that neither writes a
// zone file or the store while the other is in the middle of a change. The
// lock is only ever tried, never waited on: a taken lock is tried again from
// a timer until the wait is over, so the event loop keeps running.
class WriterLock : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultWaitMs = 10000;
    static constexpr int retryIntervalMs = 100;

    static QString fileName() { return QStringLiteral("korvi-writer.lock"); }
    // How long a writer waits for the lock: KORVI_LOCK_WAIT_MS when set to a
    // number, else defaultWaitMs.
    static int waitFromEnvironment();

    explicit WriterLock(const QString& dataDirectory, QObject* parent = nullptr);
    ~WriterLock() override;

    const QString& path() const { return m_path; }
    bool isHeld() const { return m_held; }
    bool isWaiting() const { return m_retry.isActive(); }
    // Takes the lock now when it is free, else tries again every
    // retryIntervalMs until waitMs has passed. Ends in acquired() or
    // timedOut(), from the event loop; nothing when already held or waiting.
    void acquire(int waitMs);
    // Takes the lock now if it is free, without a signal; false when taken.
    bool tryAcquireNow() { return m_held || (!m_retry.isActive() && tryNow()); }
    void release();

Q_SIGNALS:
    void acquired();
    // holder: the process that held the lock, as "pid 1234", when known.
    void timedOut(const QString& holder);

private:
    bool tryNow();
    void retry();
    QString holder() const;

    QString m_path;
    QLockFile m_file;
    QTimer m_retry;
    QElapsedTimer m_elapsed;
    int m_waitMs = 0;
    bool m_held = false;
};

} // namespace korvi
