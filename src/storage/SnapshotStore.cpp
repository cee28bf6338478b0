#include "storage/SnapshotStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "storage/StoreSql.h"
#include "storage/ZoneStore.h"

namespace korvi {

using namespace storesql;

QString kindName(ChangeSnapshot::Kind kind) {
    switch (kind) {
    case ChangeSnapshot::Kind::content:
        return QStringLiteral("content");
    case ChangeSnapshot::Kind::zoneAdded:
        return QStringLiteral("zone-added");
    case ChangeSnapshot::Kind::zoneRemoved:
        return QStringLiteral("zone-removed");
    }
    return QString();
}

std::optional<ChangeSnapshot::Kind> kindFromName(const QString& name) {
    for (const auto kind : {ChangeSnapshot::Kind::content, ChangeSnapshot::Kind::zoneAdded,
                            ChangeSnapshot::Kind::zoneRemoved}) {
        if (kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

namespace {

const QString columns = QStringLiteral("id, time, zone_id, zone_name, kind, summary, files");

QString filesJson(const QList<SnapshotFile>& files) {
    QJsonArray list;
    for (const SnapshotFile& file : files) {
        QJsonObject entry{{QStringLiteral("role"), file.role}, {QStringLiteral("path"), file.path}};
        entry.insert(QStringLiteral("before"), file.beforeName.isEmpty()
                                                   ? QJsonValue(QJsonValue::Null)
                                                   : QJsonValue(file.beforeName));
        entry.insert(QStringLiteral("after"), file.afterName.isEmpty()
                                                  ? QJsonValue(QJsonValue::Null)
                                                  : QJsonValue(file.afterName));
        list.append(entry);
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

QList<SnapshotFile> filesFrom(const QString& json) {
    QList<SnapshotFile> files;
    const QJsonArray list = QJsonDocument::fromJson(json.toUtf8()).array();
    for (const QJsonValue& value : list) {
        const QJsonObject entry = value.toObject();
        SnapshotFile file;
        file.role = entry.value(QStringLiteral("role")).toString();
        file.path = entry.value(QStringLiteral("path")).toString();
        file.beforeName = entry.value(QStringLiteral("before")).toString();
        file.afterName = entry.value(QStringLiteral("after")).toString();
        files.append(file);
    }
    return files;
}

ChangeSnapshot readRow(const QSqlQuery& query) {
    ChangeSnapshot snapshot;
    snapshot.id = query.value(0).toLongLong();
    snapshot.time = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    snapshot.zoneId = idFrom(query.value(2));
    snapshot.zoneName = query.value(3).toString();
    snapshot.kind = kindFromName(query.value(4).toString()).value_or(ChangeSnapshot::Kind::content);
    snapshot.summary = query.value(5).toString();
    snapshot.files = filesFrom(query.value(6).toString());
    return snapshot;
}

bool writeText(const QString& path, const QString& text, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

SnapshotStore::SnapshotStore(ZoneStore& store, QString dataDirectory)
    : m_store(store), m_dataDirectory(std::move(dataDirectory)) {}

QString SnapshotStore::folder() const {
    return QDir(m_dataDirectory).filePath(folderName());
}

StoreResult SnapshotStore::add(ChangeSnapshot* snapshot, int keepPerZone) {
    const QDir dir(folder());
    if (!QDir().mkpath(dir.path()))
        return StoreResult::failure(QStringLiteral("the history folder cannot be made: ") +
                                    dir.path());
    // The texts first, under names no other snapshot has; the row names them.
    const QString stem = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QStringList written;
    QString error;
    const auto removeWritten = [&] {
        for (const QString& name : std::as_const(written))
            QFile::remove(dir.filePath(name));
    };
    for (qsizetype i = 0; i < snapshot->files.size(); ++i) {
        SnapshotFile& file = snapshot->files[i];
        const auto keep = [&](const std::optional<QString>& text, const QString& side,
                              QString* name) {
            name->clear();
            if (!text)
                return true;
            *name = QStringLiteral("%1-%2-%3.txt").arg(stem).arg(i).arg(side);
            if (!writeText(dir.filePath(*name), *text, &error))
                return false;
            written.append(*name);
            return true;
        };
        if (!keep(file.before, QStringLiteral("before"), &file.beforeName) ||
            !keep(file.after, QStringLiteral("after"), &file.afterName)) {
            removeWritten();
            return StoreResult::failure(error);
        }
    }
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QSqlQuery query = prepare(db,
                              QStringLiteral("INSERT INTO change_history (time, zone_id, "
                                             "zone_name, kind, summary, files) "
                                             "VALUES (?, ?, ?, ?, ?, ?)"),
                              &error);
    query.bindValue(0, snapshot->time.toMSecsSinceEpoch());
    query.bindValue(1, idValue(snapshot->zoneId));
    query.bindValue(2, textValue(snapshot->zoneName));
    query.bindValue(3, kindName(snapshot->kind));
    query.bindValue(4, textValue(snapshot->summary));
    query.bindValue(5, filesJson(snapshot->files));
    if (!exec(query, &error)) {
        removeWritten();
        return StoreResult::failure(QStringLiteral("keeping a snapshot: ") + error);
    }
    snapshot->id = query.lastInsertId().toLongLong();
    return prune(*snapshot, keepPerZone);
}

StoreResult SnapshotStore::prune(const ChangeSnapshot& added, int keepPerZone) {
    QString error;
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QSqlQuery old = prepare(db,
                            QStringLiteral("SELECT ") + columns +
                                QStringLiteral(" FROM change_history WHERE zone_id = ? "
                                               "ORDER BY id DESC LIMIT -1 OFFSET ?"),
                            &error);
    old.bindValue(0, idValue(added.zoneId));
    old.bindValue(1, qMax(keepPerZone, 1));
    if (!exec(old, &error))
        return StoreResult::failure(QStringLiteral("dropping old snapshots: ") + error);
    QList<ChangeSnapshot> dropped;
    while (old.next())
        dropped.append(readRow(old));
    old.finish();
    const QDir dir(folder());
    for (const ChangeSnapshot& snapshot : std::as_const(dropped)) {
        QSqlQuery remove =
            prepare(db, QStringLiteral("DELETE FROM change_history WHERE id = ?"), &error);
        remove.bindValue(0, snapshot.id);
        if (!exec(remove, &error))
            return StoreResult::failure(QStringLiteral("dropping old snapshots: ") + error);
        // The row is gone first: a file left behind is never named again.
        for (const SnapshotFile& file : snapshot.files) {
            for (const QString& name : {file.beforeName, file.afterName}) {
                if (!name.isEmpty())
                    QFile::remove(dir.filePath(name));
            }
        }
    }
    return StoreResult::success();
}

std::optional<QList<ChangeSnapshot>> SnapshotStore::list(QString* error) {
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QSqlQuery query =
        prepare(db,
                QStringLiteral("SELECT ") + columns +
                    QStringLiteral(" FROM change_history ORDER BY time DESC, id DESC"),
                error);
    if (!exec(query, error))
        return std::nullopt;
    QList<ChangeSnapshot> snapshots;
    while (query.next())
        snapshots.append(readRow(query));
    return snapshots;
}

std::optional<ChangeSnapshot> SnapshotStore::withTexts(qint64 id, QString* error) {
    const QSqlDatabase db = QSqlDatabase::database(m_store.connectionName(), false);
    QSqlQuery query = prepare(db,
                              QStringLiteral("SELECT ") + columns +
                                  QStringLiteral(" FROM change_history WHERE id = ?"),
                              error);
    query.bindValue(0, id);
    if (!exec(query, error))
        return std::nullopt;
    if (!query.next()) {
        *error = QStringLiteral("the snapshot is no longer kept");
        return std::nullopt;
    }
    ChangeSnapshot snapshot = readRow(query);
    const QDir dir(folder());
    const auto read = [&](const QString& name, std::optional<QString>* text) {
        if (name.isEmpty())
            return true;
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            *error =
                QStringLiteral("%1 cannot be read: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        *text = QString::fromUtf8(file.readAll());
        return true;
    };
    for (SnapshotFile& file : snapshot.files) {
        if (!read(file.beforeName, &file.before) || !read(file.afterName, &file.after))
            return std::nullopt;
    }
    snapshot.textsLoaded = true;
    return snapshot;
}

} // namespace korvi
