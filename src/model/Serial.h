#pragma once

#include <QDateTime>

namespace korvi {

// SOA serials in the date form yyyyMMddNN, read from the local date.
// The overloads taking a time exist so that tests can fix the day.
qint64 generateSerial();
qint64 generateSerial(const QDateTime& now);
qint64 nextSerial(qint64 current);
qint64 nextSerial(qint64 current, const QDateTime& now);

} // namespace korvi
