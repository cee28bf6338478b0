#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <optional>

#include "storage/ZoneDatabase.h"

namespace korvi {

class AppLog;

// The application log shared through the store by every Korvi program on one
// data folder (the window and korvictl): each time-stamped line of this
// program's log is kept in the store; at start the lines other programs kept
// earlier (korvictl's, for the window) are put before this program's; while
// following, the lines other processes keep are added as they come (every
// intervalMs), and storeChangedElsewhere() says
// that another program has written to the store since the last look.
class StoreFollower : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultIntervalMs = 1000;

    // Hooks itself into the log; the database must outlive it.
    StoreFollower(AppLog* log, ZoneDatabase* database, QObject* parent = nullptr);
    // Hands the lines not kept yet to the database.
    ~StoreFollower() override;

    // Which program wrote a line: the program's name and process id.
    const QString& writer() const { return m_writer; }
    void setInterval(int ms) { m_poll.setInterval(ms); }
    // Following is on unless turned off (korvictl only writes).
    void setFollowing(bool following);

Q_SIGNALS:
    void storeChangedElsewhere();

private:
    void opened();
    void keep(const QString& line);
    void flush();
    void poll();
    void arrived(ZoneDatabase::RequestId request, const QList<StoredLogLine>& lines,
                 qint64 version);

    QPointer<AppLog> m_log;
    ZoneDatabase* m_database;
    QString m_writer;
    QStringList m_pending;
    bool m_open = false;
    bool m_flushQueued = false;
    bool m_following = true;
    bool m_earlierLoaded = false;
    qint64 m_lastId = -1;
    std::optional<qint64> m_version;
    ZoneDatabase::RequestId m_request = 0;
    QTimer m_poll;
};

} // namespace korvi
