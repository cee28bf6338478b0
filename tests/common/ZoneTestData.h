#pragma once

// Fixed data shared by the zone-file tests.

#include <QDateTime>
#include <QTimeZone>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi::test {

inline const QDateTime fixedTime(QDate(2025, 3, 5), QTime(14, 7), QTimeZone::utc());

inline SOARecord standardSOA() {
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.example.com.");
    soa.adminEmail = QStringLiteral("admin.example.com.");
    soa.serial = 2025030501;
    return soa;
}

// A record as it stands, without the cleaning constructor.
inline DNSRecord rawRecord(const QString& name, DNSRecordType type, const QString& value,
                           qint64 ttl = 3600) {
    DNSRecord record;
    record.name = name;
    record.type = type;
    record.value = value;
    record.ttl = ttl;
    return record;
}

} // namespace korvi::test
