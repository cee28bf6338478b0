#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// Renders a zone as BIND master-file text: three header comment lines, the
// SOA block, then the records grouped by type in the order of
// allRecordTypes(), each group under "; <display name> Records". Fields are
// separated by single tabs; every record line carries its own TTL. Record
// data goes through ZoneFileEscaper, so that whatever a record holds, BIND
// reads exactly one record per line.
class ZoneFileWriter {
public:
    static QString zoneText(const QString& zoneName, const std::optional<SOARecord>& soa,
                            const QList<DNSRecord>& records, const QDateTime& now);

    // The six-line SOA block, without a line ending after its last line.
    static QString soaBlock(const SOARecord& soa);

    // One record line without its line ending: owner, TTL, IN, type, data.
    static QString recordLine(const DNSRecord& record);

    // The data fields of a record line, type-specific fields first (the
    // type's default for an absent one), then the value.
    static QString recordData(const DNSRecord& record);

    // "yyyy-MM-ddTHH:mm:ssZ" in UTC.
    static QString timestamp(const QDateTime& now);
};

} // namespace korvi
