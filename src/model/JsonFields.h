#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// Small helpers for reading and writing Korvi's stored JSON. Reading is strict:
// a required key that is missing or of the wrong type marks the reader failed,
// so that a document is either read whole or not at all.
namespace korvi::json {

std::optional<qint64> integerValue(const QJsonValue& value);

inline void putOptional(QJsonObject& o, const char* key, const std::optional<qint64>& v) {
    if (v)
        o.insert(QLatin1String(key), *v);
}

class Reader {
public:
    Reader(const QJsonValue& value, const QString& what);

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    void fail(const QString& message);
    const QJsonObject& object() const { return m_object; }

    QString requiredString(const char* key);
    qint64 requiredInteger(const char* key);
    QJsonValue required(const char* key);
    // Absent or null gives nothing; present with the wrong type fails.
    std::optional<QString> optionalString(const char* key);
    std::optional<qint64> optionalInteger(const char* key);

private:
    QJsonObject m_object;
    QString m_what;
    QString m_error;
};

} // namespace korvi::json
