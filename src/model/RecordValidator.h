#pragma once

#include <QString>
#include <QStringList>

#include "model/DNSRecord.h"

namespace korvi {

struct ValidationResult {
    bool isValid = true;
    QStringList errors; // every fault found, in check order
};

// Checks one record on its own: every check runs, each failing one adds its
// message. Pure: reads no zone, file or setting. A record accepted here loads
// in BIND (named-checkzone with check-names "fail", as named itself uses for
// a primary zone) when the zone's file is written by ZoneFileWriter. An SOA
// is never a record: it is refused with a message saying where it is edited.
ValidationResult validateRecord(const DNSRecord& record);

// Host-name syntax: labels of letters, digits and "-" (Unicode letters and
// digits included), at most 63 characters each, at most 253 in all; one
// trailing dot allowed. "_" is not accepted.
bool isValidDomainName(const QString& text);

// An owner name or a host name in record data: labels as above, "_"
// allowed in any of them; with `wildcard`, "*" as the whole leftmost label.
bool isValidRecordName(const QString& text, bool wildcard);

// A host name as BIND's name checks want it where a host is meant (owners of
// A, AAAA and MX records; MX, NS and SRV targets): ASCII letters, digits and
// "-", each label starting and ending with a letter or digit, at most 63
// characters a label and 253 in all; one trailing dot allowed; with
// `wildcard`, "*" as the whole leftmost label.
bool isValidHostName(const QString& text, bool wildcard);

// The longest TXT value accepted, in UTF-8 bytes.
constexpr qsizetype maximumTXTBytes = 4000;

// Strict address parsers (the forms inet_pton accepts, nothing more).
bool isValidIPv4Address(const QString& text);
bool isValidIPv6Address(const QString& text);

// Value tables quoted in the validator's messages.
const QStringList& validCAATags();
const QList<qint64>& sshfpAlgorithms();
const QList<qint64>& sshfpDigestTypes();
const QList<qint64>& tlsaDigestTypes();

} // namespace korvi
