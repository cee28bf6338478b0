#pragma once

#include <QDateTime>

namespace korvi {

// SOA serials in the date form yyyyMMddNN, read from the local date.
// The overloads taking a time exist so that tests can fix the day.
qint64 generateSerial();
qint64 generateSerial(const QDateTime& now);

// The serial after `current`: today's date form while the day's revisions
// last, otherwise current + 1 (modulo 2^32). The result is always later than
// `current` in serial-number arithmetic (RFC 1982), so a secondary never
// ignores the change.
qint64 nextSerial(qint64 current);
qint64 nextSerial(qint64 current, const QDateTime& now);

// Whether serial `later` follows `earlier` in RFC 1982 arithmetic on 32 bits.
bool isSerialAfter(qint64 later, qint64 earlier);

} // namespace korvi
