#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// One zone as Korvi writes it into the preferences. The zone's own id is not
// kept; record ids are.
struct ZoneStorageData {
    QString name;
    QString filePath;
    QList<DNSRecord> records;
    std::optional<SOARecord> soaRecord;
    QDateTime lastModified;
};

// The current stored form, read first. "lastModified" may be missing, but
// when present it must be an ISO 8601 date-time text.
struct ZoneStorageDataV2 {
    QString name;
    QString filePath;
    QList<DNSRecord> records;
    std::optional<SOARecord> soaRecord;
    std::optional<QDateTime> lastModified;
};

// The older stored form. It does not look at "lastModified", so it also reads
// documents whose dates were written some other way (for example as numbers).
struct ZoneStorageDataV1 {
    QString name;
    QString filePath;
    QList<DNSRecord> records;
    std::optional<SOARecord> soaRecord;
};

// The stored document: a compact JSON array with one object per zone, "/"
// written as "\/" inside texts, dates as UTC "yyyy-MM-ddThh:mm:ssZ". Each
// reader takes the document whole or not at all; every failure comes with a
// description in Korvi's words.
class ZoneStorage {
public:
    // Preference keys: the current document and the one before it.
    static QString savedZonesKey();
    static QString backupKey();

    // Fails only on data that cannot be written faithfully: a text that is
    // not valid Unicode (a lone UTF-16 surrogate) or a date that is invalid
    // or outside the years 0000-9999.
    static std::optional<QByteArray> encode(const QList<ZoneStorageData>& zones,
                                            QString* error = nullptr);

    static std::optional<QList<ZoneStorageDataV2>> decodeCurrent(const QByteArray& document,
                                                                 QString* error = nullptr);
    static std::optional<QList<ZoneStorageDataV1>> decodeLegacy(const QByteArray& document,
                                                                QString* error = nullptr);

    // UTC, whole seconds: 2025-03-05T14:07:00Z. Empty for a date that cannot
    // be written in that form.
    static QString dateText(const QDateTime& date);
    // Internet date-time: "yyyy-MM-ddThh:mm:ss" and then "Z" or "+hh:mm" /
    // "-hh:mm"; no fractional seconds. Nothing for any other text.
    static std::optional<QDateTime> parseDateText(const QString& text);

    // Writes every "/" of compact JSON as "\/". In compact JSON a "/" can only
    // stand inside a string, and the byte 0x2F never occurs inside a UTF-8
    // multi-byte sequence, so a byte-wise replacement is exact.
    static QByteArray escapeSlashes(const QByteArray& compactJson);
};

} // namespace korvi
