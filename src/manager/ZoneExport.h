#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "model/DNSRecord.h"
#include "model/DNSZone.h"

namespace korvi {

// A zone, or some of its records, as BIND zone-file text for the user to keep
// or paste elsewhere: the zone file exactly as Korvi writes it, and record
// sets as lines of the same form.
class ZoneExport {
public:
    // Writes the zone's file text (DNSZone::zoneFileText) to the path,
    // replacing the file whole or not at all. Nothing when written; otherwise
    // Korvi's words on why not.
    static std::optional<QString> writeZoneFile(const DNSZone& zone, const QString& path);

    // The records of one name and type (the type as BIND names it, "A",
    // "DS"), in the zone's order; names compare without regard to case.
    static QList<DNSRecord> recordSet(const DNSZone& zone, const QString& name,
                                      const QString& type);

    // "$ORIGIN <zone>." and then one line a record, as the zone's file writes
    // it: text that BIND, and Korvi's import, read back as these records.
    static QString recordsText(const DNSZone& zone, const QList<DNSRecord>& records);

    // The record's owner as an absolute name ("www.example.com.").
    static QString absoluteOwner(const QString& name, const QString& zoneName);
};

} // namespace korvi
