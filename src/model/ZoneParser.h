#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// A record whose owner lies outside the zone. BIND ignores such data, so
// Korvi reports it and does not keep it.
struct OutOfZoneRecord {
    QString file;
    qint64 line = 0;
    QString owner; // absolute, as written by the scanner
    QString type;
};

struct ZoneReadResult {
    bool ok = false;
    QString error; // Korvi's message when the zone was refused
    std::optional<SOARecord> soa;
    QList<DNSRecord> records; // every record but the SOA, in file order
    QList<OutOfZoneRecord> outOfZone;
};

// Reads a BIND master file completely, with Knot DNS's zone scanner: every
// directive ($TTL, $ORIGIN, $INCLUDE, $GENERATE), inherited owner, TTL and
// class, parenthesised groups, quoted text and escapes, and every record
// type. Records of the types Korvi edits fill DNSRecord's fields; any other
// record is kept with its type name and presentation data. A zone is read
// whole or not at all: a syntax error or a zone over the record limit
// refuses it with a message.
class ZoneParser {
public:
    static constexpr qint64 defaultRecordLimit = 1000000;
    static constexpr qint64 maximumFileBytes = qint64(256) * 1024 * 1024;
    static constexpr int maximumIncludeDepth = 16;

    explicit ZoneParser(qint64 recordLimit = defaultRecordLimit) : m_recordLimit(recordLimit) {}

    // `zoneName` with or without its final dot. Relative $INCLUDE names are
    // looked up in `includeDirectory` (named's working directory), or beside
    // the zone file when it is empty.
    ZoneReadResult readFile(const QString& path, const QString& zoneName,
                            const QString& includeDirectory = {}) const;
    // `fileName` only names the text in messages.
    ZoneReadResult readText(const QByteArray& text, const QString& zoneName,
                            const QString& includeDirectory,
                            const QString& fileName = QStringLiteral("zone text")) const;

    qint64 recordLimit() const { return m_recordLimit; }

private:
    qint64 m_recordLimit;
};

} // namespace korvi
