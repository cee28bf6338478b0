#include "manager/ServerLogFollower.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

namespace korvi {

ServerLogFollower::ServerLogFollower(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_timer(new QTimer(this)) {
    m_timer->setInterval(defaultPollMs);
    connect(m_timer, &QTimer::timeout, this, &ServerLogFollower::readAppended);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ServerLogFollower::readAppended);
    // A rotated or recreated file shows as a change of its folder; the new
    // file is watched from then on.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        watch();
        readAppended();
    });
}

void ServerLogFollower::setPath(const QString& path) {
    stop();
    m_path = path;
    m_partial.clear();
    m_known = !m_path.isEmpty() && stateOf(m_file);
    m_offset = m_known ? m_file.size : 0;
    m_seen = m_known ? lastBytes(m_offset) : QByteArray();
}

QByteArray ServerLogFollower::lastBytes(qint64 end) const {
    QFile file(m_path);
    const qint64 start = qMax<qint64>(0, end - seenBytes);
    if (end <= 0 || !file.open(QIODevice::ReadOnly) || !file.seek(start))
        return QByteArray();
    return file.read(end - start);
}

void ServerLogFollower::setPollInterval(int ms) {
    m_timer->setInterval(qMax(ms, 50));
}

bool ServerLogFollower::stateOf(FileState& state) const {
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    state.device = quint64(info.st_dev);
    state.inode = quint64(info.st_ino);
    state.size = qint64(info.st_size);
    return true;
}

void ServerLogFollower::watch() {
    if (m_path.isEmpty())
        return;
    if (QFileInfo::exists(m_path) && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
    const QString folder = QFileInfo(m_path).absolutePath();
    if (QFileInfo::exists(folder) && !m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
}

void ServerLogFollower::start() {
    if (m_following || m_path.isEmpty())
        return;
    m_following = true;
    watch();
    m_timer->start();
    readAppended();
}

void ServerLogFollower::stop() {
    m_following = false;
    m_timer->stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
}

void ServerLogFollower::readAppended() {
    if (!m_following)
        return;
    FileState now;
    if (!stateOf(now)) {
        m_known = false; // gone for now: whatever comes next is new
        m_offset = 0;
        m_partial.clear();
        m_seen.clear();
        return;
    }
    // Another file in its place, or the same one cut short or written anew:
    // read it from the start.
    if (!m_known || now.device != m_file.device || now.inode != m_file.inode ||
        now.size < m_offset || lastBytes(m_offset) != m_seen) {
        m_offset = 0;
        m_partial.clear();
        m_seen.clear();
        watch();
    }
    m_known = true;
    m_file = now;
    if (now.size == m_offset)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_offset))
        return;
    const QByteArray appended = file.readAll();
    m_offset += appended.size();
    m_seen = (m_seen + appended).right(seenBytes);
    QByteArray text = m_partial + appended;
    const qsizetype lastBreak = text.lastIndexOf('\n');
    m_partial = lastBreak < 0 ? text : text.mid(lastBreak + 1);
    if (lastBreak < 0)
        return;
    text.truncate(lastBreak);
    QStringList lines;
    for (const QByteArray& line : text.split('\n')) {
        const QString decoded = QString::fromUtf8(line).trimmed();
        if (!decoded.isEmpty())
            lines.append(decoded);
    }
    if (lines.size() > maximumLinesPerRead)
        lines = lines.mid(lines.size() - maximumLinesPerRead);
    if (!lines.isEmpty())
        Q_EMIT linesAppended(lines);
}

} // namespace korvi
