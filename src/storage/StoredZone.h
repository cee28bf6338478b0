#pragma once

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// A zone as the zone database lists it: everything but its records, which are
// loaded on their own when the zone is opened. The id is the zone's lasting
// identity in the database; the application keeps it for the zone's life.
struct StoredZone {
    QUuid id;
    QString name;
    QString filePath;
    std::optional<SOARecord> soaRecord;
    qint64 recordCount = 0;
};

// The outcome of one database operation: done, or failed with a description
// in Korvi's words.
struct StoreResult {
    bool ok = true;
    QString error;

    static StoreResult success() { return {}; }
    static StoreResult failure(const QString& error) { return {false, error}; }
    explicit operator bool() const { return ok; }
};

// A line for the application log from the zone database.
struct StoreNotice {
    enum class Level { info, success, warning, error };
    Level level = Level::info;
    QString text;
};

} // namespace korvi
