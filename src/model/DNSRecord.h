#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

#include "model/DNSRecordType.h"

namespace korvi {

// The nine type-specific fields of a record. Which of them apply to a type is
// in the record-type table.
struct RecordOptions {
    std::optional<qint64> priority;
    std::optional<qint64> weight;
    std::optional<qint64> port;
    std::optional<qint64> flag;
    std::optional<QString> tag;
    std::optional<qint64> algorithm;
    std::optional<qint64> digestType;
    std::optional<qint64> usage;
    std::optional<qint64> selector;
};

// One resource record: a plain value identified by its id.
class DNSRecord : public RecordOptions {
public:
    // TTL 0 is valid: the record is not to be cached.
    static constexpr qint64 minimumTTL = 0;
    static constexpr qint64 maximumTTL = 2147483647;

    // A record with a fresh id, empty name and value, type A and TTL 3600,
    // taken as it stands (no cleaning).
    DNSRecord();
    // The same with a given identity: a stored id kept as it is, or one of a
    // block a reader drew in one go. Reading stored records goes through here
    // so that no fresh id is made only to be overwritten.
    explicit DNSRecord(const QUuid& id);

    // The cleaning constructor: fresh id, name and value cleaned by type, TTL
    // clamped to 0...2147483647; the optional fields are stored as given.
    DNSRecord(const QString& name, DNSRecordType type, const QString& value, qint64 ttl,
              const RecordOptions& options = {});

    QUuid id;
    QString name;
    DNSRecordType type = DNSRecordType::A;
    QString value;
    qint64 ttl = 3600;
    // Set for a record of a type Korvi keeps without editing it (DS, NAPTR,
    // HTTPS, ...), or of one of the twelve types whose data the fields above
    // cannot hold: the type as BIND names it ("DS", "TYPE65280"). `value` then
    // holds the whole record data in master-file presentation form, to be
    // written back exactly, and `type` and the optional fields are not used.
    QString keptType;

    bool isKept() const { return !keptType.isEmpty(); }
    const RecordOptions& options() const { return *this; }

    // Stored form: optional keys only when present, id in upper case.
    QJsonObject toJson() const;
    // Reads the stored form as it stands. A missing or mistyped required key,
    // or an unknown type, gives nothing and sets *error when given.
    static std::optional<DNSRecord> fromJson(const QJsonValue& json, QString* error = nullptr);
};

// The type-specific fields a record form shows for a new record of the type,
// from the record-type table (MX priority 10, CAA flag 0 tag "issue", ...);
// the fields that do not apply to the type are absent.
RecordOptions defaultRecordOptions(DNSRecordType type);

// Upper-case UUID text without braces, as Korvi stores identities.
QString uuidText(const QUuid& id);
// Reads the stored identity form: exactly 36 characters, hexadecimal digits (either
// case) in groups of 8, 4, 4, 4 and 12 joined by hyphens. Anything else gives nothing.
std::optional<QUuid> uuidFromText(const QString& text);

} // namespace korvi
