#pragma once

#include <QSqlQuery>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

class QSqlDatabase;

namespace korvi::storesql {

// Small helpers over QSqlQuery shared by the zone store and its schema.

// A prepared statement; *error tells why when it cannot be prepared.
QSqlQuery prepare(const QSqlDatabase& db, const QString& sql, QString* error);
// Runs a prepared statement; false with the driver's words in *error.
bool exec(QSqlQuery& query, QString* error);
// Prepares and runs a statement without parameters.
bool execute(const QSqlDatabase& db, const QString& sql, QString* error);

// Text for a NOT NULL column: Qt SQL binds a null QString as NULL, so an
// empty text that happens to be null is bound as "".
QVariant textValue(const QString& text);

// Ids are kept as their 16 RFC 4122 bytes.
QVariant idValue(const QUuid& id);
QUuid idFrom(const QVariant& value);

// NULL for an absent value.
QVariant optionalNumber(const std::optional<qint64>& value);
std::optional<qint64> numberFrom(const QVariant& value);

// The record columns after "zone_id, position", in this order: id, name,
// type, value, ttl and the nine type-specific fields.
QString recordColumns();
QString recordPlaceholders();
// Binds the record's columns in recordColumns() order from `first` on.
int bindRecord(QSqlQuery& query, int first, const DNSRecord& record);
// Reads a record from the columns of recordColumns() starting at `first`.
// Nothing when the stored type is not one Korvi knows.
std::optional<DNSRecord> readRecord(const QSqlQuery& query, int first);

QString soaColumns();
void bindSoa(QSqlQuery& query, int first, const SOARecord& soa);
SOARecord readSoa(const QSqlQuery& query, int first);

} // namespace korvi::storesql
