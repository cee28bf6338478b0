#pragma once

#include <QList>
#include <QStringList>
#include <QUuid>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

class DNSZone;

// How a zone in Korvi's store differs from its zone file on disk, found by a
// refresh: the record sets compared by owner, type, TTL and data, and the
// SOA. It carries the file's version so that "Use the file" needs no second
// read of a file that may have changed again.
struct ZoneDifference {
    QUuid zoneId;
    QString zoneName;
    QString filePath;
    QStringList onlyInStore; // one line per record: "www 3600 A 192.0.2.1"
    QStringList onlyInFile;
    bool soaDiffers = false;
    QList<DNSRecord> fileRecords;
    std::optional<SOARecord> fileSOA;

    // Nothing when the two agree; the order of records does not count, a
    // record present twice counts twice.
    static std::optional<ZoneDifference> between(const DNSZone& stored,
                                                 const QList<DNSRecord>& fileRecords,
                                                 const std::optional<SOARecord>& fileSOA);
    // A record as one comparable line: owner ("@" at the apex), TTL, type,
    // the numbers it holds, then its data.
    static QString recordLine(const DNSRecord& record);
    // "2 records only in Korvi, 1 only in the file, SOA differs".
    QString summary() const;
};

} // namespace korvi
