#pragma once

// Korvi's records of a zone written as master-file text from their fields,
// one record a line with absolute owners, so that BIND can load them and
// print them in its own canonical form.

#include <QString>
#include <QStringList>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"
#include "model/ZoneParser.h"

namespace korvi::test {

inline QString absoluteOwner(const QString& name, const QString& zone) {
    const QString apex = zone == u"." ? QStringLiteral(".") : zone + u'.';
    if (name.isEmpty())
        return apex;
    return zone == u"." ? name + u'.' : name + u'.' + apex;
}

inline QString recordData(const DNSRecord& r) {
    if (r.isKept())
        return r.keptType + u'\t' + r.value;
    const auto n = [](const std::optional<qint64>& v) { return QString::number(v.value_or(-1)); };
    const QString type = rawValue(r.type);
    switch (r.type) {
    case DNSRecordType::MX:
        return type + u'\t' + n(r.priority) + u' ' + r.value;
    case DNSRecordType::SRV:
        return type + u'\t' + n(r.priority) + u' ' + n(r.weight) + u' ' + n(r.port) + u' ' +
               r.value;
    case DNSRecordType::CAA: {
        QString value = QStringLiteral("\"");
        for (const QChar c : r.value) {
            if (c == u'"' || c == u'\\')
                value += u'\\';
            value += c;
        }
        return type + u'\t' + n(r.flag) + u' ' + r.tag.value_or(QStringLiteral("?")) + u' ' +
               value + u'"';
    }
    case DNSRecordType::SSHFP:
        return type + u'\t' + n(r.algorithm) + u' ' + n(r.digestType) + u' ' + r.value;
    case DNSRecordType::TLSA:
        return type + u'\t' + n(r.usage) + u' ' + n(r.selector) + u' ' + n(r.digestType) + u' ' +
               r.value;
    default:
        return type + u'\t' + r.value;
    }
}

inline QString renderZone(const ZoneReadResult& zone, const QString& zoneName) {
    QString text;
    if (zone.soa) {
        const SOARecord& s = *zone.soa;
        text += QStringLiteral("%1\t%2\tIN\tSOA\t%3 %4 %5 %6 %7 %8 %9\n")
                    .arg(absoluteOwner({}, zoneName))
                    .arg(s.ttl.value_or(-1))
                    .arg(s.primaryNameServer, s.adminEmail)
                    .arg(s.serial)
                    .arg(s.refresh)
                    .arg(s.retry)
                    .arg(s.expire)
                    .arg(s.minimum);
    }
    for (const DNSRecord& r : zone.records) {
        text += absoluteOwner(r.name, zoneName) + u'\t' + QString::number(r.ttl) +
                QStringLiteral("\tIN\t") + recordData(r) + u'\n';
    }
    return text;
}

} // namespace korvi::test
