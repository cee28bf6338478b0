// Driving a ZoneDatabase from a test: every call waits for the signal that
// answers it, so a test reads as a sequence of steps.
#pragma once

#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "storage/ZoneDatabase.h"

namespace korvi::test {

struct Opened {
    std::unique_ptr<ZoneDatabase> database;
    std::optional<ZoneDatabaseOpening> opening; // nothing when opening failed
    QString failure;
    QList<StoreNotice> notices;

    QStringList noticeTexts() const {
        QStringList texts;
        for (const StoreNotice& n : notices)
            texts.append(n.text);
        return texts;
    }
};

inline Opened openDatabase(const ZoneDatabaseSettings& settings) {
    Opened result;
    result.database = std::make_unique<ZoneDatabase>(settings);
    QSignalSpy opened(result.database.get(), &ZoneDatabase::opened);
    QSignalSpy failed(result.database.get(), &ZoneDatabase::openFailed);
    result.database->open();
    if (!QTest::qWaitFor([&] { return !opened.isEmpty() || !failed.isEmpty(); }, 20000))
        return result;
    if (!opened.isEmpty()) {
        result.opening = opened.first().first().value<ZoneDatabaseOpening>();
        result.notices = result.opening->notices;
    } else {
        result.failure = failed.first().first().toString();
        result.notices = failed.first().at(1).value<QList<StoreNotice>>();
    }
    return result;
}

// Waits for the answer to one write: an empty text when it was stored, the
// failure message otherwise.
inline std::optional<QString> writeOutcome(ZoneDatabase& database,
                                           ZoneDatabase::RequestId request) {
    QSignalSpy written(&database, &ZoneDatabase::written);
    QSignalSpy failed(&database, &ZoneDatabase::writeFailed);
    std::optional<QString> outcome;
    const bool answered = QTest::qWaitFor(
        [&] {
            for (const auto& args : written) {
                if (args.first().toULongLong() == request)
                    outcome = QString();
            }
            for (const auto& args : failed) {
                if (args.first().toULongLong() == request)
                    outcome = args.at(1).toString();
            }
            return outcome.has_value();
        },
        20000);
    return answered ? outcome : std::nullopt;
}

inline bool stored(ZoneDatabase& database, ZoneDatabase::RequestId request) {
    const auto outcome = writeOutcome(database, request);
    return outcome && outcome->isEmpty();
}

inline std::optional<QList<StoredZone>> loadZones(ZoneDatabase& database) {
    QSignalSpy loaded(&database, &ZoneDatabase::zonesLoaded);
    QSignalSpy failed(&database, &ZoneDatabase::loadFailed);
    const auto request = database.loadZones();
    if (!QTest::qWaitFor([&] { return !loaded.isEmpty() || !failed.isEmpty(); }, 20000) ||
        loaded.isEmpty() || loaded.first().first().toULongLong() != request)
        return std::nullopt;
    return loaded.first().at(1).value<QList<StoredZone>>();
}

inline std::optional<QList<DNSRecord>> loadRecords(ZoneDatabase& database, const QUuid& zone) {
    QSignalSpy loaded(&database, &ZoneDatabase::recordsLoaded);
    QSignalSpy failed(&database, &ZoneDatabase::loadFailed);
    const auto request = database.loadRecords(zone);
    if (!QTest::qWaitFor([&] { return !loaded.isEmpty() || !failed.isEmpty(); }, 20000) ||
        loaded.isEmpty() || loaded.first().first().toULongLong() != request)
        return std::nullopt;
    return loaded.first().at(2).value<QList<DNSRecord>>();
}

// Records compared whole, through their stored form (id and every field).
inline QJsonArray asJson(const QList<DNSRecord>& records) {
    QJsonArray array;
    for (const DNSRecord& r : records)
        array.append(r.toJson());
    return array;
}

} // namespace korvi::test
