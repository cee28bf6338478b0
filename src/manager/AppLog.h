#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "manager/ServerStatus.h"

namespace korvi {

// The application log: time-stamped lines, oldest first, at most 200 of
// them. add() may be called from any thread: the line goes to standard output
// at once and into lines() on the log's own thread, behind whatever is
// already queued there. Parts that outlive the log hold it weakly.
class AppLog : public QObject {
    Q_OBJECT

public:
    static constexpr int maximumLines = 200;

    explicit AppLog(QObject* parent = nullptr);

    const QStringList& lines() const { return m_lines; }
    // "yyyy-MM-dd HH:mm:ss LEVEL: message", queued; also a console line now.
    void add(const QString& message, LogLevel level);
    // Lines taken as they are, without time stamp or level (the server's own
    // log); appended at once, on the log's thread.
    void appendRaw(const QStringList& lines);
    // Empties the log now, then logs that the user did it.
    void clearByUser();
    // Lines written before this program started (kept in the store), put
    // before the ones it has; the oldest go beyond maximumLines.
    void prependEarlier(const QStringList& lines);
    // Where each time-stamped line also goes, on the log's thread, once it is
    // in lines() (the store's log, see StoreFollower). Not for raw lines.
    using Sink = std::function<void(const QString& line)>;
    void setSink(Sink sink) { m_sink = std::move(sink); }

Q_SIGNALS:
    void changed();

private:
    void append(const QString& line);

    QStringList m_lines;
    Sink m_sink;
};

} // namespace korvi
