#include "model/RecordValidator.h"

#include <arpa/inet.h>

#include "model/TextCleaning.h"

namespace korvi {

namespace {

QString num(qint64 n) {
    return QString::number(n);
}

QString joined(const QList<qint64>& values) {
    QStringList parts;
    for (qint64 v : values)
        parts.append(num(v));
    return parts.join(QStringLiteral(", "));
}

bool inRange(qint64 v, qint64 low, qint64 high) {
    return v >= low && v <= high;
}

bool isHexText(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

bool parsesAs(int family, const QString& text) {
    // inet_pton stops at a NUL byte, so text holding one must be refused here.
    if (text.isEmpty() || text.contains(QChar(u'\0')))
        return false;
    const QByteArray bytes = text.toUtf8();
    unsigned char buffer[16];
    return inet_pton(family, bytes.constData(), buffer) == 1;
}

// A target host name in record data: one trailing dot allowed, "_" allowed
// (SRV, DKIM, DMARC, TLSA and ACME names have it).
bool isValidTarget(const QString& value) {
    return isValidRecordName(value, false);
}

// "_" only where a name in record data or an owner is checked.
bool isValidLabel(const QString& label, bool underscore = false) {
    if (label.isEmpty() || userCharacterCount(label) > 63)
        return false;
    if (label.startsWith(u'-') || label.endsWith(u'-'))
        return false;
    bool ok = true;
    forEachCodePoint(label, [&](char32_t cp) {
        ok = ok && (isLetterOrDigit(cp) || cp == '-' || (underscore && cp == '_'));
    });
    return ok;
}

bool hasControlCharacters(const QString& text) {
    bool found = false;
    forEachCodePoint(text, [&](char32_t cp) {
        const auto category = QChar::category(cp);
        if ((category == QChar::Other_Control || category == QChar::Other_Format) &&
            !QChar::isSpace(cp))
            found = true;
    });
    return found;
}

// Checks a required number: absent gives the "require" message, out of range
// the range message.
void checkNumber(QStringList& errors, const std::optional<qint64>& value, qint64 low, qint64 high,
                 const QString& missing, const QString& invalidPrefix, const QString& rangeText) {
    if (!value)
        errors.append(missing);
    else if (!inRange(*value, low, high))
        errors.append(invalidPrefix + num(*value) + rangeText);
}

void checkListed(QStringList& errors, const std::optional<qint64>& value,
                 const QList<qint64>& table, const QString& missing, const QString& invalidPrefix,
                 const QString& validText) {
    if (!value)
        errors.append(missing);
    else if (!table.contains(*value))
        errors.append(invalidPrefix + num(*value) + validText + joined(table));
}

void checkTypeData(const DNSRecord& r, QStringList& errors) {
    const QString range65535 = QStringLiteral(". Must be between 0 and 65535.");
    switch (r.type) {
    case DNSRecordType::A:
        if (!isValidIPv4Address(r.value))
            errors.append("Invalid IPv4 address: '" + r.value + "'. Expected format: 192.168.1.1");
        break;
    case DNSRecordType::AAAA:
        if (!isValidIPv6Address(r.value))
            errors.append("Invalid IPv6 address: '" + r.value + "'. Expected format: 2001:db8::1");
        break;
    case DNSRecordType::CNAME:
    case DNSRecordType::NS:
    case DNSRecordType::PTR:
        if (!isValidTarget(r.value))
            errors.append("Invalid domain name: '" + r.value + "'. Must be a valid domain name.");
        break;
    case DNSRecordType::MX:
        // "." is the null MX: the domain takes no mail.
        if (r.value != u"." && !isValidTarget(r.value))
            errors.append("Invalid mail server name: '" + r.value +
                          "'. Must be a valid domain name.");
        checkNumber(errors, r.priority, 0, 65535, "MX records require a priority value.",
                    "Invalid MX priority: ", range65535);
        break;
    case DNSRecordType::SRV:
        if (r.value != u"." && !isValidTarget(r.value))
            errors.append("Invalid SRV target: '" + r.value + "'. Must be a valid domain name.");
        checkNumber(errors, r.priority, 0, 65535, "SRV records require a priority value.",
                    "Invalid SRV priority: ", range65535);
        checkNumber(errors, r.weight, 0, 65535, "SRV records require a weight value.",
                    "Invalid SRV weight: ", range65535);
        // Port 0 with target "." says the service is not offered here.
        checkNumber(errors, r.port, 0, 65535, "SRV records require a port value.",
                    "Invalid SRV port: ", range65535);
        break;
    case DNSRecordType::CAA:
        checkNumber(errors, r.flag, 0, 255, "CAA records require a flag value.",
                    "Invalid CAA flag: ", ". Must be between 0 and 255.");
        if (!r.tag)
            errors.append("CAA records require a tag value.");
        else if (!validCAATags().contains(*r.tag))
            errors.append("Invalid CAA tag: '" + *r.tag +
                          "'. Valid tags are: " + validCAATags().join(QStringLiteral(", ")));
        if (r.value.isEmpty())
            errors.append("CAA record value cannot be empty.");
        break;
    case DNSRecordType::SSHFP:
        checkListed(errors, r.algorithm, sshfpAlgorithms(),
                    "SSHFP records require an algorithm value.",
                    "Invalid SSHFP algorithm: ", ". Valid algorithms are: ");
        checkListed(errors, r.digestType, sshfpDigestTypes(),
                    "SSHFP records require a digest type value.",
                    "Invalid SSHFP digest type: ", ". Valid digest types are: ");
        if (!isHexText(r.value))
            errors.append("Invalid SSHFP fingerprint: must be hexadecimal characters only.");
        break;
    case DNSRecordType::TLSA:
        checkNumber(errors, r.usage, 0, 3, "TLSA records require a usage value.",
                    "Invalid TLSA usage: ", ". Must be between 0 and 3.");
        checkNumber(errors, r.selector, 0, 1, "TLSA records require a selector value.",
                    "Invalid TLSA selector: ", ". Must be 0 or 1.");
        checkListed(errors, r.digestType, tlsaDigestTypes(),
                    "TLSA records require a digest type value.",
                    "Invalid TLSA digest type: ", ". Valid digest types are: ");
        if (!isHexText(r.value))
            errors.append("Invalid TLSA certificate data: must be hexadecimal characters only.");
        break;
    case DNSRecordType::TXT: {
        // Written as strings of at most 255 bytes each, so a long value
        // (a 2048-bit DKIM key) is kept whole.
        const qsizetype length = r.value.toUtf8().size();
        if (length > maximumTXTBytes)
            errors.append("TXT record too long: " + num(length) +
                          " bytes. Maximum is 4,000 bytes.");
        if (hasControlCharacters(r.value))
            errors.append("TXT record contains invalid control characters.");
        break;
    }
    case DNSRecordType::SOA:
        if (r.value.isEmpty())
            errors.append("SOA record value cannot be empty.");
        break;
    }
}

} // namespace

const QStringList& validCAATags() {
    static const QStringList tags = {QStringLiteral("issue"), QStringLiteral("issuewild"),
                                     QStringLiteral("iodef")};
    return tags;
}
const QList<qint64>& sshfpAlgorithms() {
    static const QList<qint64> values = {1, 2, 3, 4};
    return values;
}
const QList<qint64>& sshfpDigestTypes() {
    static const QList<qint64> values = {1, 2};
    return values;
}
const QList<qint64>& tlsaDigestTypes() {
    static const QList<qint64> values = {0, 1, 2};
    return values;
}

bool isValidIPv4Address(const QString& text) {
    return parsesAs(AF_INET, text);
}
bool isValidIPv6Address(const QString& text) {
    return parsesAs(AF_INET6, text);
}

bool isValidDomainName(const QString& text) {
    if (text.isEmpty())
        return false;
    if (userCharacterCount(text) > 253)
        return false;
    QString rest = text;
    if (rest.endsWith(u'.'))
        rest.chop(1);
    if (rest.isEmpty())
        return false;
    const QStringList labels = rest.split(u'.');
    for (const QString& label : labels) {
        if (!isValidLabel(label))
            return false;
    }
    return true;
}

bool isValidRecordName(const QString& text, bool wildcard) {
    if (text.isEmpty() || userCharacterCount(text) > 253)
        return false;
    QString rest = text;
    if (rest.endsWith(u'.'))
        rest.chop(1);
    if (wildcard && rest == u"*")
        return true;
    if (wildcard && rest.startsWith(u"*."))
        rest = rest.mid(2);
    if (rest.isEmpty())
        return false;
    const QStringList labels = rest.split(u'.');
    for (const QString& label : labels) {
        if (!isValidLabel(label, true))
            return false;
    }
    return true;
}

ValidationResult validateRecord(const DNSRecord& record) {
    ValidationResult result;
    QStringList& errors = result.errors;
    if (!record.name.isEmpty() && !isValidRecordName(record.name, true))
        errors.append("Invalid record name: '" + record.name +
                      "'. Must be a valid domain name or empty for root domain.");
    if (record.ttl < DNSRecord::minimumTTL || record.ttl > DNSRecord::maximumTTL)
        errors.append("Invalid TTL: " + num(record.ttl) +
                      ". Must be between 0 and 2,147,483,647 seconds.");
    if (record.value.isEmpty())
        errors.append(QStringLiteral("Record value cannot be empty."));
    // A record kept as read holds BIND's own presentation of its data.
    if (!record.isKept())
        checkTypeData(record, errors);
    result.isValid = errors.isEmpty();
    return result;
}

} // namespace korvi
