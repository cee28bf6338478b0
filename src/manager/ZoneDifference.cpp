#include "manager/ZoneDifference.h"

#include <QHash>

#include "model/DNSZone.h"

namespace korvi {

namespace {

// The lines of records present more often on one side than on the other,
// each as many times as it is in excess, in that side's order.
QStringList excess(const QList<DNSRecord>& side, QHash<QString, int> other) {
    QStringList lines;
    for (const DNSRecord& record : side) {
        const QString line = ZoneDifference::recordLine(record);
        auto it = other.find(line);
        if (it != other.end() && it.value() > 0)
            --it.value();
        else
            lines.append(line);
    }
    return lines;
}

QHash<QString, int> lineCounts(const QList<DNSRecord>& records) {
    QHash<QString, int> counts;
    counts.reserve(records.size());
    for (const DNSRecord& record : records)
        ++counts[ZoneDifference::recordLine(record)];
    return counts;
}

} // namespace

QString ZoneDifference::recordLine(const DNSRecord& record) {
    QStringList parts{record.name.isEmpty() ? QStringLiteral("@") : record.name,
                      QString::number(record.ttl),
                      record.isKept() ? record.keptType : rawValue(record.type)};
    if (!record.isKept()) {
        for (const std::optional<qint64>& number :
             {record.priority, record.weight, record.port, record.flag, record.algorithm,
              record.digestType, record.usage, record.selector}) {
            if (number)
                parts.append(QString::number(*number));
        }
        if (record.tag)
            parts.append(*record.tag);
    }
    parts.append(record.value);
    return parts.join(u' ');
}

std::optional<ZoneDifference> ZoneDifference::between(const DNSZone& stored,
                                                      const QList<DNSRecord>& fileRecords,
                                                      const std::optional<SOARecord>& fileSOA) {
    ZoneDifference difference;
    difference.onlyInStore = excess(stored.records(), lineCounts(fileRecords));
    difference.onlyInFile = excess(fileRecords, lineCounts(stored.records()));
    difference.soaDiffers = stored.soaRecord() != fileSOA;
    if (difference.onlyInStore.isEmpty() && difference.onlyInFile.isEmpty() &&
        !difference.soaDiffers)
        return std::nullopt;
    difference.zoneId = stored.id();
    difference.zoneName = stored.name();
    difference.filePath = stored.filePath();
    difference.fileRecords = fileRecords;
    difference.fileSOA = fileSOA;
    return difference;
}

QString ZoneDifference::summary() const {
    QStringList parts{QStringLiteral("%1 record(s) only in Korvi").arg(onlyInStore.size()),
                      QStringLiteral("%1 only in the file").arg(onlyInFile.size())};
    if (soaDiffers)
        parts.append(QStringLiteral("SOA differs"));
    return parts.join(QStringLiteral(", "));
}

} // namespace korvi
