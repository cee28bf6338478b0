#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace korvi {

// The twelve record types Korvi manages, in the order every picker and the
// zone-file writer use.
enum class DNSRecordType { A, AAAA, CAA, CNAME, MX, NS, PTR, SOA, SRV, SSHFP, TLSA, TXT };

// The type-specific fields of a record, named so that the type table can say
// which ones apply to a type and what they default to.
enum class RecordField {
    priority,
    weight,
    port,
    flag,
    tag,
    algorithm,
    digestType,
    usage,
    selector
};

// A type-specific field that applies to a type, with the value written when
// the record leaves it absent. It is also the value a record form shows for a
// new record: a record made of these defaults and a valid value is valid and
// loads in BIND.
struct RecordFieldDefault {
    RecordField field;
    const char* defaultValue; // decimal number or text, as written into a zone file
};

// One row of the record-type table: everything screens, writers and the
// validator need to know about a type. The names and help texts are English
// (zone files and logs use them as they are); screens show them translated
// in the "korvi::DNSRecordType" context.
struct RecordTypeInfo {
    DNSRecordType type;
    const char* rawValue;
    const char* displayName;
    const char* summary;
    const char* valuePlaceholder;
    const char* valueHelp;
    QList<RecordFieldDefault> fields; // in rendering order
};

// All types in declaration order.
const QList<DNSRecordType>& allRecordTypes();
// The types a record form offers: every type but SOA (the zone's SOA is edited
// through its own fields), in the same order.
const QList<DNSRecordType>& editableRecordTypes();
const RecordTypeInfo& recordTypeInfo(DNSRecordType type);

QString rawValue(DNSRecordType type);
QString displayName(DNSRecordType type);
QString summary(DNSRecordType type);
QString valuePlaceholder(DNSRecordType type);
QString valueHelp(DNSRecordType type);

// Parses a raw value ("MX"); exact and case-sensitive. Unknown text gives nothing.
std::optional<DNSRecordType> recordTypeFromRawValue(const QString& text);

QString recordFieldName(RecordField field);

} // namespace korvi
