#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace korvi {

// Start-of-authority data of a zone.
struct SOARecord {
    // Timer values Korvi uses whenever it makes an SOA itself.
    static constexpr qint64 standardRefresh = 3600;
    static constexpr qint64 standardRetry = 1800;
    static constexpr qint64 standardExpire = 1209600;
    static constexpr qint64 standardMinimum = 86400;

    QString primaryNameServer;
    QString adminEmail;
    qint64 serial = 0;
    qint64 refresh = standardRefresh;
    qint64 retry = standardRetry;
    qint64 expire = standardExpire;
    qint64 minimum = standardMinimum;
    // The TTL of the SOA record itself, when it was read from a file or set;
    // absent in data stored before Korvi kept it.
    std::optional<qint64> ttl = std::nullopt;

    bool operator==(const SOARecord&) const = default;

    QJsonObject toJson() const;
    // The seven SOA fields are required and "ttl" is optional; the numbers
    // must be integers.
    static std::optional<SOARecord> fromJson(const QJsonValue& json, QString* error = nullptr);
};

} // namespace korvi
