#include "model/DNSRecord.h"

#include <QJsonValue>

#include <algorithm>

#include "model/JsonFields.h"
#include "model/TextCleaning.h"

namespace korvi {

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromText(const QString& text) {
    // QUuid::fromString also takes braces and ignores trailing text, and gives the
    // null UUID for a parse failure, so check the form here and parse afterwards.
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool hyphenPosition = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphenPosition ? c != '-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

RecordOptions defaultRecordOptions(DNSRecordType type) {
    RecordOptions options;
    for (const RecordFieldDefault& field : recordTypeInfo(type).fields) {
        const QString text = QString::fromLatin1(field.defaultValue);
        const qint64 number = text.toLongLong();
        switch (field.field) {
        case RecordField::priority:
            options.priority = number;
            break;
        case RecordField::weight:
            options.weight = number;
            break;
        case RecordField::port:
            options.port = number;
            break;
        case RecordField::flag:
            options.flag = number;
            break;
        case RecordField::tag:
            options.tag = text;
            break;
        case RecordField::algorithm:
            options.algorithm = number;
            break;
        case RecordField::digestType:
            options.digestType = number;
            break;
        case RecordField::usage:
            options.usage = number;
            break;
        case RecordField::selector:
            options.selector = number;
            break;
        }
    }
    return options;
}

DNSRecord::DNSRecord() : id(QUuid::createUuid()) {}

DNSRecord::DNSRecord(const QUuid& id_) : id(id_) {}

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
    if (isKept())
        o.insert(QStringLiteral("keptType"), keptType);
    return o;
}

std::optional<DNSRecord> DNSRecord::fromJson(const QJsonValue& json, QString* error) {
    json::Reader in(json, QStringLiteral("record"));
    std::optional<QUuid> storedId;
    if (const auto idText = in.optionalString("id")) {
        storedId = uuidFromText(*idText);
        if (!storedId)
            in.fail(QStringLiteral("record \"id\" is not a UUID"));
    }
    // A fresh id only for a record stored without one.
    DNSRecord record = storedId ? DNSRecord(*storedId) : DNSRecord();
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
    record.keptType = in.optionalString("keptType").value_or(QString());
    if (!in.ok()) {
        if (error)
            *error = in.error();
        return std::nullopt;
    }
    return record;
}

} // namespace korvi
