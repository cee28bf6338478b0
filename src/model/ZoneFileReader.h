#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// What a zone file gave: its records in file order, and its SOA when an SOA
// line was met (soa stays empty when that line could not be read).
struct ZoneFileContent {
    QList<DNSRecord> records;
    bool soaLineSeen = false;
    std::optional<SOARecord> soa;
};

// Reads zone-file text back into records and an SOA. A simple line reader:
// one-line records in the writer's column order, the SOA on one line or in
// the writer's parenthesised six-line form. Nothing is reported; what cannot
// be read is skipped. Records are made by the cleaning record constructor and
// are not validated.
class ZoneFileReader {
public:
    // Nothing when the text is too long to be read at all (1,048,576
    // characters or more); otherwise the first 10,000 lines are read.
    static std::optional<ZoneFileContent> read(const QString& text);

    // True when the line's type field (after owner, TTL and class) is SOA.
    static bool isSOALine(const QString& line);

    // An SOA from one line (a parenthesised SOA joined into one line). The
    // timers are read when all four are there and readable; otherwise the
    // standard timers are used.
    static std::optional<SOARecord> readSOALine(const QString& line);

    // One record from a line "owner TTL [IN] TYPE data...".
    static std::optional<DNSRecord> readRecordLine(const QString& line);

    // A decimal integer with an optional sign; digits beyond the range of a
    // 64-bit integer saturate. Nothing for anything else.
    static std::optional<qint64> decimal(const QString& text);

    // An SOA timer: decimal seconds or BIND's unit form ("1w", "3h30m"),
    // 0 to 4294967295.
    static std::optional<qint64> timerValue(const QString& text);
};

} // namespace korvi
