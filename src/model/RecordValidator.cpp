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

// A target name in CNAME and PTR data: one trailing dot allowed, "_" allowed
// (DKIM, DMARC and ACME names have it); "@" is the zone apex.
bool isValidTarget(const QString& value) {
    return value == u"@" || isValidRecordName(value, false);
}

// A target that must be a host name (MX, NS and SRV data): BIND refuses
// anything else when it loads the zone of a primary server.
bool isValidHostTarget(const QString& value) {
    return value == u"@" || isValidHostName(value, false);
}

bool isAsciiLetterOrDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

// The owner of an address or mail record must be a host name, as BIND checks.
bool needsHostOwner(DNSRecordType type) {
    return type == DNSRecordType::A || type == DNSRecordType::AAAA || type == DNSRecordType::MX;
}

// TXT text as a user types it, outside the quoted form: white space only
// says nothing.
bool isBlankText(const QString& text) {
    return !text.isEmpty() && trimmedText(text).isEmpty();
}

// The hexadecimal length a digest type fixes, or 0 when any even length will do.
int digestHexLength(const std::optional<qint64>& digestType, bool tlsa) {
    if (!digestType)
        return 0;
    switch (*digestType) {
    case 1:
        return tlsa ? 64 : 40;
    case 2:
        return tlsa ? 128 : 64;
    default:
        return 0;
    }
}

QString withoutOuterQuotes(const QString& text) {
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

// issue and issuewild: an authority's domain name, then optionally ";" and
// name=value parameters; or ";" alone (no authority may issue).
bool isValidIssueValue(const QString& value) {
    const qsizetype semicolon = value.indexOf(u';');
    const QString domain = trimmedText(semicolon < 0 ? value : value.left(semicolon));
    if (domain.isEmpty() && semicolon < 0)
        return false;
    if (!domain.isEmpty() && (domain.endsWith(u'.') || !isValidHostName(domain, false)))
        return false;
    if (semicolon < 0)
        return true;
    const QStringList parameters = value.mid(semicolon + 1).split(u';');
    for (const QString& parameter : parameters) {
        const QString p = trimmedText(parameter);
        if (p.isEmpty())
            continue;
        const qsizetype equals = p.indexOf(u'=');
        if (equals <= 0)
            return false;
        for (QChar c : p.left(equals)) {
            if (!isAsciiLetterOrDigit(c))
                return false;
        }
        for (QChar c : p.mid(equals + 1)) {
            if (c.isSpace())
                return false;
        }
    }
    return true;
}

bool isValidIodefValue(const QString& value) {
    for (const char* scheme : {"mailto:", "https://", "http://"}) {
        const QLatin1String prefix(scheme);
        if (value.startsWith(prefix, Qt::CaseInsensitive) && value.size() > prefix.size() &&
            !value.contains(u' '))
            return true;
    }
    return false;
}

// "_" only where a name in record data or an owner is checked.
bool isValidLabel(const QString& label, bool underscore = false) {
    // BIND counts a label in bytes: at most 63 of UTF-8.
    if (label.isEmpty() || label.toUtf8().size() > 63)
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
    case DNSRecordType::PTR:
        if (!isValidTarget(r.value))
            errors.append("Invalid domain name: '" + r.value + "'. Must be a valid domain name.");
        break;
    case DNSRecordType::NS:
        if (!isValidHostTarget(r.value))
            errors.append("Invalid name server: '" + r.value +
                          "'. Must be a host name: letters a-z, digits and \"-\" only.");
        break;
    case DNSRecordType::MX:
        // "." is the null MX: the domain takes no mail.
        if (r.value != u"." && !isValidHostTarget(r.value))
            errors.append("Invalid mail server name: '" + r.value +
                          "'. Must be a host name: letters a-z, digits and \"-\" only.");
        checkNumber(errors, r.priority, 0, 65535, "MX records require a priority value.",
                    "Invalid MX priority: ", range65535);
        break;
    case DNSRecordType::SRV:
        if (r.value != u"." && !isValidHostTarget(r.value))
            errors.append("Invalid SRV target: '" + r.value +
                          "'. Must be a host name: letters a-z, digits and \"-\" only.");
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
        else if (!validCAATags().contains(*r.tag, Qt::CaseInsensitive))
            errors.append("Invalid CAA tag: '" + *r.tag +
                          "'. Valid tags are: " + validCAATags().join(QStringLiteral(", ")));
        if (r.value.isEmpty()) {
            errors.append("CAA record value cannot be empty.");
        } else if (hasControlCharacters(r.value)) {
            errors.append("CAA record value contains invalid control characters.");
        } else if (r.tag && validCAATags().contains(*r.tag, Qt::CaseInsensitive)) {
            const QString value = withoutOuterQuotes(r.value);
            const bool iodef = r.tag->compare(u"iodef", Qt::CaseInsensitive) == 0;
            if (iodef && !isValidIodefValue(value))
                errors.append("Invalid CAA iodef value: '" + r.value +
                              "'. Must be a mailto: or https: address for reports.");
            else if (!iodef && !isValidIssueValue(value))
                errors.append("Invalid CAA " + r.tag->toLower() + " value: '" + r.value +
                              "'. Must be the certificate authority's domain name "
                              "(letsencrypt.org), optionally followed by ; and name=value "
                              "parameters, or ; alone to allow none.");
        }
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
        else if (const int length = digestHexLength(r.digestType, false);
                 length > 0 && r.value.size() != length)
            errors.append("Invalid SSHFP fingerprint length: " + num(r.value.size()) +
                          " hexadecimal digits. Digest type " + num(*r.digestType) + " (" +
                          (*r.digestType == 1 ? "SHA-1" : "SHA-256") + ") needs exactly " +
                          num(length) + ".");
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
        else if (const int length = digestHexLength(r.digestType, true);
                 length > 0 && r.value.size() != length)
            errors.append("Invalid TLSA certificate data length: " + num(r.value.size()) +
                          " hexadecimal digits. Matching type " + num(*r.digestType) + " (" +
                          (*r.digestType == 1 ? "SHA-256" : "SHA-512") + ") needs exactly " +
                          num(length) + ".");
        else if (r.value.size() % 2 != 0)
            errors.append("Invalid TLSA certificate data length: " + num(r.value.size()) +
                          " hexadecimal digits. Whole bytes need an even number.");
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
        if (isBlankText(r.value))
            errors.append(QStringLiteral("TXT record text cannot be white space only."));
        break;
    }
    case DNSRecordType::SOA:
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
    // RSA, DSA, ECDSA, Ed25519 and Ed448 (5 is not assigned).
    static const QList<qint64> values = {1, 2, 3, 4, 6};
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
    QString rest = text;
    if (rest.endsWith(u'.'))
        rest.chop(1);
    if (rest.isEmpty() || rest.toUtf8().size() > maximumNameBytes)
        return false;
    const QStringList labels = rest.split(u'.');
    for (const QString& label : labels) {
        if (!isValidLabel(label))
            return false;
    }
    return true;
}

bool isValidRecordName(const QString& text, bool wildcard) {
    if (text.isEmpty())
        return false;
    QString rest = text;
    if (rest.endsWith(u'.'))
        rest.chop(1);
    if (rest.toUtf8().size() > maximumNameBytes)
        return false;
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

bool isValidHostName(const QString& text, bool wildcard) {
    QString rest = text;
    if (rest.endsWith(u'.'))
        rest.chop(1);
    if (rest.isEmpty() || rest.size() > maximumNameBytes)
        return false;
    if (wildcard && rest == u"*")
        return true;
    if (wildcard && rest.startsWith(u"*."))
        rest = rest.mid(2);
    const QStringList labels = rest.split(u'.');
    for (const QString& label : labels) {
        if (label.isEmpty() || label.size() > 63)
            return false;
        if (!isAsciiLetterOrDigit(label.front()) || !isAsciiLetterOrDigit(label.back()))
            return false;
        for (QChar c : label) {
            if (!isAsciiLetterOrDigit(c) && c != u'-')
                return false;
        }
    }
    return true;
}

ValidationResult validateRecord(const DNSRecord& record) {
    ValidationResult result;
    QStringList& errors = result.errors;
    if (!record.name.isEmpty() && !isValidRecordName(record.name, true))
        errors.append("Invalid record name: '" + record.name +
                      "'. Must be a valid domain name or empty for root domain.");
    else if (!record.isKept() && !record.name.isEmpty() && needsHostOwner(record.type) &&
             !isValidHostName(record.name, true))
        errors.append("Invalid host name: '" + record.name + "'. " + rawValue(record.type) +
                      " records need a host name: letters a-z, digits and \"-\" only, "
                      "or a wildcard \"*\".");
    if (record.ttl < DNSRecord::minimumTTL || record.ttl > DNSRecord::maximumTTL)
        errors.append("Invalid TTL: " + num(record.ttl) +
                      ". Must be between 0 and 2,147,483,647 seconds.");
    if (record.value.isEmpty())
        errors.append(QStringLiteral("Record value cannot be empty."));
    // A record kept as read holds BIND's own presentation of its data.
    if (!record.isKept() && record.type == DNSRecordType::SOA)
        errors.append(QStringLiteral("SOA records cannot be added as records: the zone's SOA is "
                                     "edited in the zone's settings (primary name server, "
                                     "administrator e-mail and timers)."));
    else if (!record.isKept())
        checkTypeData(record, errors);
    result.isValid = errors.isEmpty();
    return result;
}

namespace {

bool isReverseZone(const QString& absoluteZone) {
    const QString zone = absoluteZone.toLower();
    for (const char* suffix : {"in-addr.arpa.", "ip6.arpa.", "ip6.int."}) {
        const QLatin1String s(suffix);
        if (zone == s || zone.endsWith(u'.' + QString(s)))
            return true;
    }
    return false;
}

// The bytes of a name without its final dot, as BIND limits them.
qsizetype nameBytes(const QString& absolute) {
    return absolute == u"." ? 0 : absolute.toUtf8().size() - 1;
}

} // namespace

ValidationResult validateRecord(const DNSRecord& record, const QString& zoneName) {
    ValidationResult result = validateRecord(record);
    QStringList& errors = result.errors;
    const QString zone = absoluteZoneName(zoneName);
    const QString owner = record.name.isEmpty() ? zone : absoluteTarget(record.name, zone);
    if (nameBytes(owner) > maximumNameBytes) {
        errors.append("Name too long: '" + owner + "' has " + num(nameBytes(owner)) +
                      " bytes. A name with its zone holds at most 253.");
    } else if (!record.isKept() && needsHostOwner(record.type) && result.isValid &&
               !isValidHostName(owner, true)) {
        errors.append("Invalid host name: '" + owner + "'. " + rawValue(record.type) +
                      " records need a host name: letters a-z, digits and \"-\" only, "
                      "or a wildcard \"*\".");
    }
    if (!record.isKept() && isTargetType(record.type) && !record.value.isEmpty()) {
        const QString target = absoluteTarget(record.value, zone);
        if (nameBytes(target) > maximumNameBytes)
            errors.append("Target too long: '" + target + "' has " + num(nameBytes(target)) +
                          " bytes. A name holds at most 253.");
        // In a reverse zone BIND wants a host name in PTR data.
        else if (record.type == DNSRecordType::PTR && result.isValid && isReverseZone(zone) &&
                 !isValidHostName(target, false))
            errors.append("Invalid PTR target in a reverse zone: '" + target +
                          "'. Must be a host name: letters a-z, digits and \"-\" only.");
    }
    result.isValid = errors.isEmpty();
    return result;
}

} // namespace korvi
