#include "model/ZoneFileWriter.h"

#include "model/TextCleaning.h"
#include "model/ZoneFileEscaper.h"

namespace korvi {

namespace {

const QChar tab = u'\t';

std::optional<qint64> numberField(const DNSRecord& record, RecordField field) {
    switch (field) {
    case RecordField::priority:
        return record.priority;
    case RecordField::weight:
        return record.weight;
    case RecordField::port:
        return record.port;
    case RecordField::flag:
        return record.flag;
    case RecordField::algorithm:
        return record.algorithm;
    case RecordField::digestType:
        return record.digestType;
    case RecordField::usage:
        return record.usage;
    case RecordField::selector:
        return record.selector;
    case RecordField::tag:
        break;
    }
    return std::nullopt;
}

// Appends a whole number in decimal without an intermediate string.
void appendNumber(QString& out, qint64 value) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    const bool negative = value < 0;
    quint64 magnitude = negative ? 0 - quint64(value) : quint64(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--p = '-';
    out.append(QLatin1String(p, end - p));
}

void appendField(QString& out, const DNSRecord& record, const RecordFieldDefault& field) {
    if (field.field == RecordField::tag) {
        if (record.tag)
            ZoneFileEscaper::appendToken(out, *record.tag);
        else
            out.append(QLatin1String(field.defaultValue));
        return;
    }
    if (const auto number = numberField(record, field.field))
        appendNumber(out, *number);
    else
        out.append(QLatin1String(field.defaultValue));
}

// A target as written: with the zone known, absolute ("www" and "@" in
// example.com give "www.example.com." and "example.com."); without it, as
// stored, "@" standing for the apex the file's origin gives.
void appendTarget(QString& out, const QString& value, const QString* zone) {
    if (isAbsoluteName(value))
        ZoneFileEscaper::appendName(out, value); // the common case, no copy
    else if (zone)
        ZoneFileEscaper::appendName(out, absoluteTarget(value, *zone));
    else if (value == u"@")
        out += u'@';
    else
        ZoneFileEscaper::appendName(out, value);
}

void appendValue(QString& out, const DNSRecord& record, const QString* zone) {
    switch (record.type) {
    case DNSRecordType::CAA:
        ZoneFileEscaper::appendQuoted(out, record.value);
        return;
    case DNSRecordType::TXT:
        ZoneFileEscaper::appendTxtValue(out, record.value);
        return;
    case DNSRecordType::SOA:
        ZoneFileEscaper::appendPresentation(out, record.value);
        return;
    case DNSRecordType::CNAME:
    case DNSRecordType::MX:
    case DNSRecordType::NS:
    case DNSRecordType::PTR:
    case DNSRecordType::SRV:
        // Host names keep the escapes they were read with.
        appendTarget(out, record.value, zone);
        return;
    case DNSRecordType::A:
    case DNSRecordType::AAAA:
    case DNSRecordType::SSHFP:
    case DNSRecordType::TLSA:
        break;
    }
    ZoneFileEscaper::appendToken(out, record.value);
}

void appendRecordData(QString& out, const DNSRecord& record, const QString* zone,
                      QChar separator = tab) {
    if (record.isKept()) {
        // Written back as it was read; the escaper only guards the line.
        ZoneFileEscaper::appendPresentation(out, record.value);
        return;
    }
    for (const RecordFieldDefault& field : recordTypeInfo(record.type).fields) {
        appendField(out, record, field);
        out += separator;
    }
    appendValue(out, record, zone);
}

void appendRecordLine(QString& out, const DNSRecord& record, const QString* zone) {
    if (record.name.isEmpty())
        out += u'@';
    else
        ZoneFileEscaper::appendName(out, record.name);
    out += tab;
    appendNumber(out, record.ttl);
    out += QLatin1String("\tIN\t");
    if (record.isKept())
        out += record.keptType;
    else
        out += QLatin1String(recordTypeInfo(record.type).rawValue);
    out += tab;
    appendRecordData(out, record, zone);
}

QString timerLine(qint64 value, const char* label) {
    return QStringLiteral("\t\t\t\t%1\t; %2\n").arg(value).arg(QLatin1String(label));
}

} // namespace

QString ZoneFileWriter::timestamp(const QDateTime& now) {
    return now.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'"));
}

QString ZoneFileWriter::soaBlock(const SOARecord& soa) {
    QString out;
    out += u'@';
    // The SOA always carries its TTL. Read from a file, it is the one read
    // (without it BIND would use the minimum, not that TTL); never set, it
    // is the minimum, which BIND would use anyway, only with a warning on
    // every check.
    out += tab;
    appendNumber(out, soa.ttl ? *soa.ttl : soa.minimum);
    out += QStringLiteral("\tIN\tSOA\t");
    ZoneFileEscaper::appendName(out, soa.primaryNameServer);
    out += u' ';
    ZoneFileEscaper::appendName(out, soa.adminEmail);
    out += QStringLiteral(" (\n");
    out += timerLine(soa.serial, "serial");
    out += timerLine(soa.refresh, "refresh");
    out += timerLine(soa.retry, "retry");
    out += timerLine(soa.expire, "expire");
    out += QStringLiteral("\t\t\t\t%1 )\t; minimum").arg(soa.minimum);
    return out;
}

QString ZoneFileWriter::recordData(const DNSRecord& record) {
    QString out;
    appendRecordData(out, record, nullptr);
    return out;
}

QString ZoneFileWriter::recordData(const DNSRecord& record, const QString& zoneName) {
    QString out;
    appendRecordData(out, record, &zoneName);
    return out;
}

QString ZoneFileWriter::recordLine(const DNSRecord& record) {
    QString out;
    out.reserve(64 + record.value.size());
    appendRecordLine(out, record, nullptr);
    return out;
}

QString ZoneFileWriter::recordLine(const DNSRecord& record, const QString& zoneName) {
    QString out;
    out.reserve(64 + record.value.size());
    appendRecordLine(out, record, &zoneName);
    return out;
}

QString presentationData(const DNSRecord& record, const QString& zoneName) {
    QString out;
    appendRecordData(out, record, &zoneName, u' ');
    return out;
}

QString ZoneFileWriter::zoneText(const QString& zoneName, const std::optional<SOARecord>& soa,
                                 const QList<DNSRecord>& records, const QDateTime& now) {
    QString out;
    out.reserve(256 + records.size() * 64);
    out += QStringLiteral("; Zone file for ");
    ZoneFileEscaper::appendComment(out, zoneName);
    out += u'\n';
    out += QStringLiteral("; Generated by Korvi\n");
    out += QStringLiteral("; ") + timestamp(now) + QStringLiteral("\n\n");
    if (soa) {
        out += soaBlock(*soa);
        out += QStringLiteral("\n\n");
    }

    // Group by type in one pass, keeping each group in record order.
    QList<QList<const DNSRecord*>> groups(allRecordTypes().size());
    QList<const DNSRecord*> kept;
    for (const DNSRecord& record : records) {
        if (record.isKept())
            kept.append(&record);
        else
            groups[static_cast<qsizetype>(record.type)].append(&record);
    }

    for (const DNSRecordType type : allRecordTypes()) {
        const auto& group = groups[static_cast<qsizetype>(type)];
        if (group.isEmpty())
            continue;
        out += QStringLiteral("; ") + displayName(type) + QStringLiteral(" Records\n");
        for (const DNSRecord* record : group) {
            appendRecordLine(out, *record, &zoneName);
            out += u'\n';
        }
        out += u'\n';
    }
    // Records Korvi keeps without editing them, in the order they were read.
    if (!kept.isEmpty()) {
        out += QStringLiteral("; Other Records\n");
        for (const DNSRecord* record : kept) {
            appendRecordLine(out, *record, &zoneName);
            out += u'\n';
        }
        out += u'\n';
    }
    return out;
}

} // namespace korvi
