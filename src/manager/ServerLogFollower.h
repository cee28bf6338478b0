#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

namespace korvi {

// Follows a log file while it is started: each complete line appended since
// the last read is announced once. A file that shrank or was replaced (log
// rotation) is read again from its beginning; a file that is missing is
// waited for. Reads happen when the file or its folder changes, and on a
// timer besides, as a watcher may miss changes on some file systems.
class ServerLogFollower : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultPollMs = 1000;
    // The most lines one read announces (the newest ones).
    static constexpr int maximumLinesPerRead = 200;

    explicit ServerLogFollower(QObject* parent = nullptr);

    // The file to follow. The lines already in it count as read.
    void setPath(const QString& path);
    const QString& path() const { return m_path; }
    void setPollInterval(int ms);

    // Reads what was appended while stopped, then follows the file.
    void start();
    void stop();
    bool isFollowing() const { return m_following; }

    // Reads what was appended since the last read.
    void readAppended();

Q_SIGNALS:
    void linesAppended(const QStringList& lines);

private:
    // The file's identity (device and inode) and size; nothing when missing.
    struct FileState {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
    };
    bool stateOf(FileState& state) const;
    // Up to seenBytes bytes of the file ending at the offset.
    static constexpr qint64 seenBytes = 64;
    QByteArray lastBytes(qint64 end) const;
    void watch();

    QString m_path;
    QFileSystemWatcher* m_watcher;
    QTimer* m_timer;
    bool m_following = false;
    bool m_known = false; // m_file describes the file last read
    FileState m_file;
    qint64 m_offset = 0;
    QByteArray m_partial; // an unfinished last line, kept until its end arrives
    // The last bytes read, ending at m_offset: when the file no longer holds
    // them there, it was written anew (even to a larger size) and is read
    // from its start.
    QByteArray m_seen;
};

} // namespace korvi
