#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// The size of the first of the server's logs that can be read, as a mark
// for serverLogLinesAbout(); -1 when none can be read.
qint64 serverLogSize(const QStringList& logPaths);

// The last lines of the server's log that name the zone ("zone
// example.com/IN: ..."), at most `count`, joined by newlines; empty when no
// log can be read or none names it. With a mark, only the lines written
// after it count (all of them when the log has since been started anew);
// without one, only the log's last 64 KiB are read.
QString serverLogLinesAbout(const QStringList& logPaths, const QString& zoneName, int count = 3,
                            qint64 from = -1);

// The server's own words when, in the lines written after the mark, it
// refused to load the zone ("zone example.com/IN: not loaded due to errors."
// and the lines naming the fault before it); nothing otherwise.
std::optional<QString> serverLoadRefusal(const QStringList& logPaths, const QString& zoneName,
                                         qint64 from);

} // namespace korvi
