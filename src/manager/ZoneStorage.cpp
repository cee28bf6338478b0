#include "manager/ZoneStorage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>

#include "model/JsonFields.h"

namespace korvi {

namespace {

QString zonePrefix(qsizetype index) {
    return QStringLiteral("zone %1: ").arg(index + 1);
}

QString recordPrefix(qsizetype zoneIndex, qsizetype recordIndex) {
    return QStringLiteral("zone %1, record %2: ").arg(zoneIndex + 1).arg(recordIndex + 1);
}

// The first of a record's texts that is not valid Unicode, or nothing.
std::optional<QString> invalidRecordText(const DNSRecord& record) {
    if (!record.name.isValidUtf16())
        return QStringLiteral("\"name\"");
    if (!record.value.isValidUtf16())
        return QStringLiteral("\"value\"");
    if (record.tag && !record.tag->isValidUtf16())
        return QStringLiteral("\"tag\"");
    return std::nullopt;
}

std::optional<QString> invalidSoaText(const SOARecord& soa) {
    if (!soa.primaryNameServer.isValidUtf16())
        return QStringLiteral("\"primaryNameServer\"");
    if (!soa.adminEmail.isValidUtf16())
        return QStringLiteral("\"adminEmail\"");
    return std::nullopt;
}

// Checks every text of one zone; on a fault gives its description.
template <typename Zone> std::optional<QString> invalidZoneText(const Zone& zone, qsizetype index) {
    const QString notUnicode = QStringLiteral(" holds text that is not valid Unicode");
    if (!zone.name.isValidUtf16())
        return zonePrefix(index) + QStringLiteral("\"name\"") + notUnicode;
    if (!zone.filePath.isValidUtf16())
        return zonePrefix(index) + QStringLiteral("\"filePath\"") + notUnicode;
    for (qsizetype r = 0; r < zone.records.size(); ++r) {
        if (const auto field = invalidRecordText(zone.records[r]))
            return recordPrefix(index, r) + *field + notUnicode;
    }
    if (zone.soaRecord) {
        if (const auto field = invalidSoaText(*zone.soaRecord))
            return zonePrefix(index) + QStringLiteral("SOA ") + *field + notUnicode;
    }
    return std::nullopt;
}

void setError(QString* error, const QString& message) {
    if (error)
        *error = message;
}

// Reads the fields both stored forms share. Fails on the first fault.
template <typename Zone>
bool readCommonFields(json::Reader& in, Zone& zone, qsizetype index, QString* error) {
    zone.name = in.requiredString("name");
    zone.filePath = in.requiredString("filePath");
    const QJsonValue records = in.required("records");
    if (in.ok() && !records.isArray())
        in.fail(QStringLiteral("zone \"records\" is not an array"));
    if (!in.ok()) {
        setError(error, zonePrefix(index) + in.error());
        return false;
    }
    const QJsonArray recordArray = records.toArray();
    zone.records.reserve(recordArray.size());
    for (qsizetype r = 0; r < recordArray.size(); ++r) {
        QString recordError;
        auto record = DNSRecord::fromJson(recordArray.at(r), &recordError);
        if (!record) {
            setError(error, recordPrefix(index, r) + recordError);
            return false;
        }
        zone.records.append(std::move(*record));
    }
    const QJsonValue soa = in.object().value(QLatin1String("soaRecord"));
    if (!soa.isUndefined() && !soa.isNull()) {
        QString soaError;
        zone.soaRecord = SOARecord::fromJson(soa, &soaError);
        if (!zone.soaRecord) {
            setError(error, zonePrefix(index) + soaError);
            return false;
        }
    }
    if (const auto fault = invalidZoneText(zone, index)) {
        setError(error, *fault);
        return false;
    }
    return true;
}

// Parses the bytes as a JSON array; on failure describes why.
std::optional<QJsonArray> parseArray(const QByteArray& document, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument parsed = QJsonDocument::fromJson(document, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(error, QStringLiteral("the stored data is not valid JSON (%1 at byte %2)")
                            .arg(parseError.errorString())
                            .arg(parseError.offset));
        return std::nullopt;
    }
    if (!parsed.isArray()) {
        setError(error, QStringLiteral("the stored data is not a JSON array"));
        return std::nullopt;
    }
    return parsed.array();
}

// Decodes the whole array with readZone(reader, zone, index, error).
template <typename Zone, typename ReadZone>
std::optional<QList<Zone>> decodeArray(const QByteArray& document, QString* error,
                                       ReadZone readZone) {
    const auto array = parseArray(document, error);
    if (!array)
        return std::nullopt;
    QList<Zone> zones;
    zones.reserve(array->size());
    for (qsizetype i = 0; i < array->size(); ++i) {
        json::Reader in(array->at(i), QStringLiteral("zone"));
        if (!in.ok()) {
            setError(error, zonePrefix(i) + in.error());
            return std::nullopt;
        }
        Zone zone;
        if (!readCommonFields(in, zone, i, error) || !readZone(in, zone, i, error))
            return std::nullopt;
        zones.append(std::move(zone));
    }
    return zones;
}

} // namespace

QString ZoneStorage::savedZonesKey() {
    return QStringLiteral("Korvi_SavedZones");
}

QString ZoneStorage::backupKey() {
    return QStringLiteral("Korvi_SavedZones_Backup");
}

QString ZoneStorage::dateText(const QDateTime& date) {
    if (!date.isValid())
        return {};
    const QDateTime utc = date.toUTC();
    const int year = utc.date().year();
    if (year < 0 || year > 9999)
        return {};
    // Qt::ISODate writes a UTC time with "Z" and without milliseconds.
    return utc.toString(Qt::ISODate);
}

std::optional<QDateTime> ZoneStorage::parseDateText(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(Z|[+-]\d{2}:\d{2})$)"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

QByteArray ZoneStorage::escapeSlashes(const QByteArray& compactJson) {
    QByteArray escaped = compactJson;
    return escaped.replace('/', QByteArrayLiteral("\\/"));
}

std::optional<QByteArray> ZoneStorage::encode(const QList<ZoneStorageData>& zones, QString* error) {
    QJsonArray array;
    for (qsizetype i = 0; i < zones.size(); ++i) {
        const ZoneStorageData& zone = zones[i];
        if (const auto fault = invalidZoneText(zone, i)) {
            setError(error, *fault);
            return std::nullopt;
        }
        const QString lastModified = dateText(zone.lastModified);
        if (lastModified.isEmpty()) {
            setError(error,
                     zonePrefix(i) +
                         QStringLiteral("\"lastModified\" is not a date that can be stored"));
            return std::nullopt;
        }
        QJsonArray records;
        for (const DNSRecord& record : zone.records)
            records.append(record.toJson());
        QJsonObject object{{QStringLiteral("name"), zone.name},
                           {QStringLiteral("filePath"), zone.filePath},
                           {QStringLiteral("records"), records},
                           {QStringLiteral("lastModified"), lastModified}};
        if (zone.soaRecord)
            object.insert(QStringLiteral("soaRecord"), zone.soaRecord->toJson());
        array.append(object);
    }
    return escapeSlashes(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::optional<QList<ZoneStorageDataV2>> ZoneStorage::decodeCurrent(const QByteArray& document,
                                                                   QString* error) {
    return decodeArray<ZoneStorageDataV2>(
        document, error,
        [](json::Reader& in, ZoneStorageDataV2& zone, qsizetype index, QString* err) {
            const QJsonValue value = in.object().value(QLatin1String("lastModified"));
            if (value.isUndefined() || value.isNull())
                return true;
            zone.lastModified = value.isString() ? parseDateText(value.toString()) : std::nullopt;
            if (!zone.lastModified) {
                setError(err,
                         zonePrefix(index) +
                             QStringLiteral("\"lastModified\" is not an ISO 8601 date-time text"));
                return false;
            }
            return true;
        });
}

std::optional<QList<ZoneStorageDataV1>> ZoneStorage::decodeLegacy(const QByteArray& document,
                                                                  QString* error) {
    return decodeArray<ZoneStorageDataV1>(
        document, error,
        [](json::Reader&, ZoneStorageDataV1&, qsizetype, QString*) { return true; });
}

} // namespace korvi
