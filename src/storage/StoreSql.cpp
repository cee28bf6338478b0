#include "storage/StoreSql.h"

#include <QSqlDatabase>
#include <QSqlError>

namespace korvi::storesql {

namespace {

QString describe(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

} // namespace

QSqlQuery prepare(const QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery query(db);
    if (!query.prepare(sql) && error)
        *error = describe(query.lastError());
    return query;
}

bool exec(QSqlQuery& query, QString* error) {
    if (query.exec())
        return true;
    if (error)
        *error = describe(query.lastError());
    return false;
}

bool execute(const QSqlDatabase& db, const QString& sql, QString* error) {
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = describe(query.lastError());
    return false;
}

QVariant textValue(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QVariant idValue(const QUuid& id) {
    return id.toRfc4122();
}

QUuid idFrom(const QVariant& value) {
    return QUuid::fromRfc4122(value.toByteArray());
}

QVariant optionalNumber(const std::optional<qint64>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::LongLong));
}

std::optional<qint64> numberFrom(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

QString recordColumns() {
    return QStringLiteral("id, name, type, value, ttl, priority, weight, port, flag, tag, "
                          "algorithm, digest_type, usage, selector, kept_type");
}

QString recordPlaceholders() {
    return QStringLiteral("?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?");
}

int bindRecord(QSqlQuery& query, int first, const DNSRecord& record) {
    int i = first;
    query.bindValue(i++, idValue(record.id));
    query.bindValue(i++, textValue(record.name));
    query.bindValue(i++, rawValue(record.type));
    query.bindValue(i++, textValue(record.value));
    query.bindValue(i++, record.ttl);
    query.bindValue(i++, optionalNumber(record.priority));
    query.bindValue(i++, optionalNumber(record.weight));
    query.bindValue(i++, optionalNumber(record.port));
    query.bindValue(i++, optionalNumber(record.flag));
    query.bindValue(i++,
                    record.tag ? textValue(*record.tag) : QVariant(QMetaType(QMetaType::QString)));
    query.bindValue(i++, optionalNumber(record.algorithm));
    query.bindValue(i++, optionalNumber(record.digestType));
    query.bindValue(i++, optionalNumber(record.usage));
    query.bindValue(i++, optionalNumber(record.selector));
    query.bindValue(i++, textValue(record.keptType));
    return i;
}

std::optional<DNSRecord> readRecord(const QSqlQuery& query, int first) {
    int i = first;
    // The stored id is taken as it stands: no fresh id is made for a record
    // that is only being read.
    DNSRecord record(idFrom(query.value(i++)));
    record.name = query.value(i++).toString();
    const auto type = recordTypeFromRawValue(query.value(i++).toString());
    if (!type)
        return std::nullopt;
    record.type = *type;
    record.value = query.value(i++).toString();
    record.ttl = query.value(i++).toLongLong();
    record.priority = numberFrom(query.value(i++));
    record.weight = numberFrom(query.value(i++));
    record.port = numberFrom(query.value(i++));
    record.flag = numberFrom(query.value(i++));
    const QVariant tag = query.value(i++);
    if (!tag.isNull())
        record.tag = tag.toString();
    record.algorithm = numberFrom(query.value(i++));
    record.digestType = numberFrom(query.value(i++));
    record.usage = numberFrom(query.value(i++));
    record.selector = numberFrom(query.value(i++));
    record.keptType = query.value(i++).toString();
    return record;
}

QString soaColumns() {
    return QStringLiteral("primary_name_server, admin_email, serial, refresh, retry, expire, "
                          "minimum, ttl");
}

void bindSoa(QSqlQuery& query, int first, const SOARecord& soa) {
    int i = first;
    query.bindValue(i++, textValue(soa.primaryNameServer));
    query.bindValue(i++, textValue(soa.adminEmail));
    query.bindValue(i++, soa.serial);
    query.bindValue(i++, soa.refresh);
    query.bindValue(i++, soa.retry);
    query.bindValue(i++, soa.expire);
    query.bindValue(i++, soa.minimum);
    query.bindValue(i++, optionalNumber(soa.ttl));
}

SOARecord readSoa(const QSqlQuery& query, int first) {
    int i = first;
    SOARecord soa;
    soa.primaryNameServer = query.value(i++).toString();
    soa.adminEmail = query.value(i++).toString();
    soa.serial = query.value(i++).toLongLong();
    soa.refresh = query.value(i++).toLongLong();
    soa.retry = query.value(i++).toLongLong();
    soa.expire = query.value(i++).toLongLong();
    soa.minimum = query.value(i++).toLongLong();
    soa.ttl = numberFrom(query.value(i++));
    return soa;
}

} // namespace korvi::storesql
