#pragma once

#include <QString>
#include <QStringList>

#include "model/DNSRecord.h"

namespace korvi {

struct ValidationResult {
    bool isValid = true;
    QStringList errors;      // every fault found, in check order, in English (for the log)
    QStringList shownErrors; // the same, in the user's language (for the forms)
};

// Checks one record on its own: every check runs, each failing one adds its
// message. Pure: reads no zone, file or setting. A record accepted here loads
// in BIND (named-checkzone with check-names "fail", as named itself uses for
// a primary zone) when the zone's file is written by ZoneFileWriter. An SOA
// is never a record: it is refused with a message saying where it is edited.
ValidationResult validateRecord(const DNSRecord& record);

// The same checks for a record in a given zone ("example.com"), and those
// that need the zone: the owner and a relative target with the zone added
// hold at most 253 bytes, the owner of an A, AAAA or MX record is a host name
// with its zone too, and in a reverse zone (in-addr.arpa, ip6.arpa) a PTR
// target is a host name. The record forms check with this one.
ValidationResult validateRecord(const DNSRecord& record, const QString& zoneName);

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

// The longest name, in UTF-8 bytes without the final dot (BIND's 255 octets).
constexpr qsizetype maximumNameBytes = 253;

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
