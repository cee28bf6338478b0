#include "model/Serial.h"

#include <optional>

namespace korvi {

namespace {

// Serials are unsigned 32-bit numbers.
constexpr qint64 serialMask = 0xFFFFFFFF;

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
    const qint64 counted = (current + 1) & serialMask;
    const auto digits = dateDigits(now);
    if (!digits)
        return counted;
    const qint64 dated = current / 100 == *digits ? current + 1 : *digits * 100 + 1;
    // The date form only while it moves forward: not after the day's 99th
    // revision, and never below a serial that is already larger (a serial
    // from a later date, a counted one, or one written by someone else).
    const bool dayUsedUp = current / 100 == *digits && current % 100 == 99;
    if (!dayUsedUp && dated > current && isSerialAfter(dated, current))
        return dated;
    return counted;
}

bool isSerialAfter(qint64 later, qint64 earlier) {
    const quint64 a = static_cast<quint64>(earlier) & serialMask;
    const quint64 b = static_cast<quint64>(later) & serialMask;
    constexpr quint64 half = quint64(1) << 31;
    return (a < b && b - a < half) || (a > b && a - b > half);
}

} // namespace korvi
