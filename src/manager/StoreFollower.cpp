#include "manager/StoreFollower.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "manager/AppLog.h"

namespace korvi {

StoreFollower::StoreFollower(AppLog* log, ZoneDatabase* database, QObject* parent)
    : QObject(parent), m_log(log), m_database(database),
      m_writer(QStringLiteral("%1 %2")
                   .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                   .arg(QCoreApplication::applicationPid())) {
    m_poll.setInterval(defaultIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &StoreFollower::poll);
    m_log->setSink([this](const QString& line) { keep(line); });
    connect(m_database, &ZoneDatabase::opened, this, &StoreFollower::opened);
    connect(m_database, &ZoneDatabase::openFailed, this, [this] {
        // Nothing can be kept: the lines stay in this program's log only.
        m_pending.clear();
        if (m_log)
            m_log->setSink({});
    });
    connect(m_database, &ZoneDatabase::logLoaded, this, &StoreFollower::arrived);
    connect(m_database, &ZoneDatabase::loadFailed, this, [this](ZoneDatabase::RequestId request) {
        if (request == m_request)
            m_request = 0;
    });
}

StoreFollower::~StoreFollower() {
    if (m_log)
        m_log->setSink({});
    flush();
}

void StoreFollower::setFollowing(bool following) {
    m_following = following;
    if (!following)
        m_poll.stop();
    else if (m_open)
        m_poll.start();
}

void StoreFollower::opened() {
    m_open = true;
    // The earlier lines are asked for before this program's first ones are
    // handed over, so that they are all someone else's or an earlier run's.
    m_request = m_database->loadLog(-1, AppLog::maximumLines);
    flush();
    if (m_following)
        m_poll.start();
}

void StoreFollower::keep(const QString& line) {
    m_pending.append(line);
    if (!m_open || m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            flush();
        },
        Qt::QueuedConnection);
}

void StoreFollower::flush() {
    if (!m_open || m_pending.isEmpty())
        return;
    m_database->appendLog(m_writer, m_pending);
    m_pending.clear();
}

void StoreFollower::poll() {
    if (m_request != 0 || !m_earlierLoaded)
        return;
    m_request = m_database->loadLog(m_lastId, 1000);
}

void StoreFollower::arrived(ZoneDatabase::RequestId request, const QList<StoredLogLine>& lines,
                            qint64 version) {
    if (request != m_request)
        return;
    m_request = 0;
    QStringList others;
    const QString program = m_writer.section(u' ', 0, 0);
    for (const StoredLogLine& line : lines) {
        // At start: what other programs kept (korvictl's lines in the
        // window); this program's earlier runs are not shown again. Then:
        // every line another process keeps.
        const bool other =
            m_earlierLoaded ? line.writer != m_writer : line.writer.section(u' ', 0, 0) != program;
        if (other)
            others.append(line.line);
        m_lastId = qMax(m_lastId, line.id);
    }
    if (m_lastId < 0)
        m_lastId = 0;
    if (m_log) {
        if (!m_earlierLoaded)
            m_log->prependEarlier(others);
        else if (!others.isEmpty())
            m_log->appendRaw(others);
    }
    m_earlierLoaded = true;
    const bool changed = m_version && *m_version != version;
    m_version = version;
    if (changed)
        Q_EMIT storeChangedElsewhere();
}

} // namespace korvi
