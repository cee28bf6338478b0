#include "storage/LogStore.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include "storage/StoreSql.h"
#include "storage/ZoneStore.h"

namespace korvi {

using namespace storesql;

LogStore::LogStore(ZoneStore& store) : m_store(store) {}

StoreResult LogStore::append(const QString& writer, const QStringList& lines) {
    QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    if (!db.isOpen())
        return StoreResult::failure(QStringLiteral("the zone database is not open"));
    QString error;
    if (!execute(db, QStringLiteral("BEGIN IMMEDIATE"), &error))
        return StoreResult::failure(error);
    const auto fail = [&db](const QString& reason) {
        QString ignored;
        execute(db, QStringLiteral("ROLLBACK"), &ignored);
        return StoreResult::failure(QStringLiteral("keeping log lines: ") + reason);
    };
    QSqlQuery insert = prepare(
        db, QStringLiteral("INSERT INTO app_log (time, writer, line) VALUES (?, ?, ?)"), &error);
    if (!error.isEmpty())
        return fail(error);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString& line : lines) {
        insert.bindValue(0, now);
        insert.bindValue(1, textValue(writer));
        insert.bindValue(2, textValue(line));
        if (!exec(insert, &error))
            return fail(error);
    }
    if (!execute(db,
                 QStringLiteral("DELETE FROM app_log WHERE id <= "
                                "(SELECT max(id) FROM app_log) - %1")
                     .arg(keptLines),
                 &error) ||
        !execute(db, QStringLiteral("COMMIT"), &error))
        return fail(error);
    return StoreResult::success();
}

std::optional<QList<StoredLogLine>> LogStore::after(qint64 afterId, int limit, QString* error) {
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QString failure;
    QSqlQuery query =
        afterId >= 0 ? prepare(db,
                               QStringLiteral("SELECT id, writer, line FROM app_log WHERE id > ? "
                                              "ORDER BY id LIMIT ?"),
                               &failure)
                     : prepare(db,
                               QStringLiteral("SELECT id, writer, line FROM (SELECT * FROM app_log "
                                              "ORDER BY id DESC LIMIT ?) ORDER BY id"),
                               &failure);
    if (afterId >= 0) {
        query.bindValue(0, afterId);
        query.bindValue(1, limit);
    } else {
        query.bindValue(0, limit);
    }
    if (!failure.isEmpty() || !exec(query, &failure)) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    QList<StoredLogLine> lines;
    while (query.next())
        lines.append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    return lines;
}

std::optional<qint64> LogStore::dataVersion(QString* error) {
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next()) {
        if (error)
            *error = QStringLiteral("the store's version cannot be read");
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

} // namespace korvi
