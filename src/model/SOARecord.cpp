#include "model/SOARecord.h"

#include "model/JsonFields.h"

namespace korvi {

QJsonObject SOARecord::toJson() const {
    QJsonObject o{{QStringLiteral("primaryNameServer"), primaryNameServer},
                  {QStringLiteral("adminEmail"), adminEmail},
                  {QStringLiteral("serial"), serial},
                  {QStringLiteral("refresh"), refresh},
                  {QStringLiteral("retry"), retry},
                  {QStringLiteral("expire"), expire},
                  {QStringLiteral("minimum"), minimum}};
    json::putOptional(o, "ttl", ttl);
    return o;
}

std::optional<SOARecord> SOARecord::fromJson(const QJsonValue& json, QString* error) {
    json::Reader in(json, QStringLiteral("SOA record"));
    SOARecord soa;
    soa.primaryNameServer = in.requiredString("primaryNameServer");
    soa.adminEmail = in.requiredString("adminEmail");
    soa.serial = in.requiredInteger("serial");
    soa.refresh = in.requiredInteger("refresh");
    soa.retry = in.requiredInteger("retry");
    soa.expire = in.requiredInteger("expire");
    soa.minimum = in.requiredInteger("minimum");
    soa.ttl = in.optionalInteger("ttl");
    if (!in.ok()) {
        if (error)
            *error = in.error();
        return std::nullopt;
    }
    return soa;
}

} // namespace korvi
