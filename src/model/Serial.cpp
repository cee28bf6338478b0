#include "model/Serial.h"

#include <optional>

namespace korvi {

namespace {

std::optional<qint64> dateDigits(const QDateTime& now) {
    bool ok = false;
    const qint64 digits =
        now.toLocalTime().date().toString(QStringLiteral("yyyyMMdd")).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return digits;
}

} // namespace

qint64 generateSerial() {
    return generateSerial(QDateTime::currentDateTime());
}

qint64 generateSerial(const QDateTime& now) {
    if (const auto digits = dateDigits(now))
        return *digits * 100 + 1;
    return now.toSecsSinceEpoch();
}

qint64 nextSerial(qint64 current) {
    return nextSerial(current, QDateTime::currentDateTime());
}

qint64 nextSerial(qint64 current, const QDateTime& now) {
    const auto digits = dateDigits(now);
    if (!digits)
        return current + 1;
    if (current / 100 != *digits)
        return *digits * 100 + 1;
    if (current % 100 < 99)
        return current + 1;
    // The day's 99 revisions are used up.
    return now.toSecsSinceEpoch();
}

} // namespace korvi
