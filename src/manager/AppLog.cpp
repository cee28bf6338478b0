#include "manager/AppLog.h"

#include <QDateTime>
#include <QMetaObject>

#include "platform/Console.h"

namespace korvi {

AppLog::AppLog(QObject* parent) : QObject(parent) {}

void AppLog::add(const QString& message, LogLevel level) {
    // QDateTime formatting is reentrant, so every thread formats its own stamp.
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' +
        levelWord(level) + QStringLiteral(": ") + message;
    // Queued to the log's thread; Qt drops the call if the log is gone.
    QMetaObject::invokeMethod(
        this, [this, line] { append(line); }, Qt::QueuedConnection);
    consoleLine(line);
}

void AppLog::append(const QString& line) {
    m_lines.append(line);
    if (m_lines.size() > maximumLines)
        m_lines.removeFirst();
    if (m_sink)
        m_sink(line);
    Q_EMIT changed();
}

void AppLog::prependEarlier(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    m_lines = lines + m_lines;
    if (m_lines.size() > maximumLines)
        m_lines.remove(0, m_lines.size() - maximumLines);
    Q_EMIT changed();
}

void AppLog::appendRaw(const QStringList& lines) {
    m_lines.append(lines);
    Q_EMIT changed();
}

void AppLog::clearByUser() {
    m_lines.clear();
    Q_EMIT changed();
    add(QStringLiteral("Application logs cleared by user"), LogLevel::info);
}

} // namespace korvi
