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
// message. Pure: reads no zone, file or setting.
ValidationResult validateRecord(const DNSRecord& record);

// Host-name syntax: labels of letters, digits and "-" (Unicode letters and
// digits included), at most 63 characters each, at most 253 in all; one
// trailing dot allowed. "_" is not accepted.
bool isValidDomainName(const QString& text);

// An owner name or a host name in record data: labels as above, "_"
// allowed in any of them; with `wildcard`, "*" as the whole leftmost label.
bool isValidRecordName(const QString& text, bool wildcard);

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
