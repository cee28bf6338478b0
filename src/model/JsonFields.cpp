#include "model/JsonFields.h"

#include <limits>

namespace korvi::json {

std::optional<qint64> integerValue(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    // toInteger() gives the default for a fraction or a number out of range;
    // ask twice with different defaults to tell that from a real value.
    constexpr qint64 a = std::numeric_limits<qint64>::min();
    const qint64 first = value.toInteger(a);
    if (first != a)
        return first;
    if (value.toInteger(0) == a)
        return a;
    return std::nullopt;
}

Reader::Reader(const QJsonValue& value, const QString& what) : m_what(what) {
    if (!value.isObject())
        fail(QStringLiteral("%1 is not a JSON object").arg(what));
    else
        m_object = value.toObject();
}

void Reader::fail(const QString& message) {
    if (m_error.isEmpty())
        m_error = message;
}

QJsonValue Reader::required(const char* key) {
    const auto it = m_object.constFind(QLatin1String(key));
    if (it == m_object.constEnd() || it->isUndefined()) {
        fail(QStringLiteral("%1 has no \"%2\"").arg(m_what, QLatin1String(key)));
        return {};
    }
    return *it;
}

QString Reader::requiredString(const char* key) {
    const QJsonValue v = required(key);
    if (!ok())
        return {};
    if (!v.isString()) {
        fail(QStringLiteral("%1 \"%2\" is not a text").arg(m_what, QLatin1String(key)));
        return {};
    }
    return v.toString();
}

qint64 Reader::requiredInteger(const char* key) {
    const QJsonValue v = required(key);
    if (!ok())
        return 0;
    const auto number = integerValue(v);
    if (!number) {
        fail(QStringLiteral("%1 \"%2\" is not an integer").arg(m_what, QLatin1String(key)));
        return 0;
    }
    return *number;
}

std::optional<QString> Reader::optionalString(const char* key) {
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isString()) {
        fail(QStringLiteral("%1 \"%2\" is not a text").arg(m_what, QLatin1String(key)));
        return std::nullopt;
    }
    return v.toString();
}

std::optional<qint64> Reader::optionalInteger(const char* key) {
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    const auto number = integerValue(v);
    if (!number)
        fail(QStringLiteral("%1 \"%2\" is not an integer").arg(m_what, QLatin1String(key)));
    return number;
}

} // namespace korvi::json
