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
    // Without the zone name, target host names are written as stored.
    static QString recordLine(const DNSRecord& record);
    // The same in the zone's file: target host names written absolute
    // ("www" in example.com is "www.example.com.", "@" the apex).
    static QString recordLine(const DNSRecord& record, const QString& zoneName);

    // The data fields of a record line, type-specific fields first (the
    // type's default for an absent one), then the value. TXT text that is
    // not in quoted form is written as one string (ZoneFileEscaper::
    // appendTxtValue).
    static QString recordData(const DNSRecord& record);
    static QString recordData(const DNSRecord& record, const QString& zoneName);

    // "yyyy-MM-ddTHH:mm:ssZ" in UTC.
    static QString timestamp(const QDateTime& now);
};

// A record's data exactly as the zone's file will hold it, fields separated by
// one space, for a form's live preview: "10 mail.example.com.", "\"v=spf1
// -all\"", "0 issue \"ca.example.net\"". Target host names are absolute in
// the zone, TXT text is shown as its quoted strings.
QString presentationData(const DNSRecord& record, const QString& zoneName);

} // namespace korvi
