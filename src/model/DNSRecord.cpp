#include "model/DNSRecord.h"

#include <QJsonValue>

#include <algorithm>

#include "model/JsonFields.h"
#include "model/TextCleaning.h"

namespace korvi {

QString uuidText(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

DNSRecord::DNSRecord() : id(QUuid::createUuid()) {}

DNSRecord::DNSRecord(const QString& name_, DNSRecordType type_, const QString& value_, qint64 ttl_,
                     const RecordOptions& options_)
    : RecordOptions(options_), id(QUuid::createUuid()), name(cleanRecordName(name_)), type(type_),
      value(normalizeRecordValue(value_, type_)), ttl(std::clamp(ttl_, minimumTTL, maximumTTL)) {}

QJsonObject DNSRecord::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(id));
    o.insert(QStringLiteral("name"), name);
    o.insert(QStringLiteral("type"), rawValue(type));
    o.insert(QStringLiteral("value"), value);
    o.insert(QStringLiteral("ttl"), ttl);
    json::putOptional(o, "priority", priority);
    json::putOptional(o, "weight", weight);
    json::putOptional(o, "port", port);
    json::putOptional(o, "flag", flag);
    if (tag)
        o.insert(QStringLiteral("tag"), *tag);
    json::putOptional(o, "algorithm", algorithm);
    json::putOptional(o, "digestType", digestType);
    json::putOptional(o, "usage", usage);
    json::putOptional(o, "selector", selector);
    return o;
}

std::optional<DNSRecord> DNSRecord::fromJson(const QJsonValue& json, QString* error) {
    json::Reader in(json, QStringLiteral("record"));
    DNSRecord record;
    if (const auto idText = in.optionalString("id")) {
        const QUuid parsed = QUuid::fromString(*idText);
        if (parsed.isNull()) {
            in.fail(QStringLiteral("record \"id\" is not a UUID"));
        } else {
            record.id = parsed;
        }
    }
    record.name = in.requiredString("name");
    const QString typeText = in.requiredString("type");
    record.value = in.requiredString("value");
    record.ttl = in.requiredInteger("ttl");
    if (in.ok()) {
        const auto type = recordTypeFromRawValue(typeText);
        if (!type)
            in.fail(QStringLiteral("unknown record type \"%1\"").arg(typeText));
        else
            record.type = *type;
    }
    record.priority = in.optionalInteger("priority");
    record.weight = in.optionalInteger("weight");
    record.port = in.optionalInteger("port");
    record.flag = in.optionalInteger("flag");
    record.tag = in.optionalString("tag");
    record.algorithm = in.optionalInteger("algorithm");
    record.digestType = in.optionalInteger("digestType");
    record.usage = in.optionalInteger("usage");
    record.selector = in.optionalInteger("selector");
    if (!in.ok()) {
        if (error)
            *error = in.error();
        return std::nullopt;
    }
    return record;
}

} // namespace korvi
