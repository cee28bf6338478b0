#include "model/RecordValidator.h"

#include <QCoreApplication>

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

// The text with %1 to %9 replaced by the arguments in one pass, so that an
// argument holding "%2" stays as it is.
QString filled(const QString& text, const QStringList& arguments) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'9') {
            const int index = text.at(i + 1).unicode() - u'1';
            if (index < arguments.size()) {
                out += arguments.at(index);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// The messages of one validation: in English (for the log and for callers
// that compare them) and in the user's language (for the forms).
class Messages {
public:
    explicit Messages(ValidationResult& result) : m_result(result) {}
    void add(const char* source, const QStringList& arguments = {}) {
        m_result.errors.append(filled(QString::fromUtf8(source), arguments));
        m_result.shownErrors.append(
            filled(QCoreApplication::translate("korvi::RecordValidator", source), arguments));
    }

private:
    ValidationResult& m_result;
};

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
// the range message (the value is its %1).
void checkNumber(Messages& messages, const std::optional<qint64>& value, qint64 low, qint64 high,
                 const char* missing, const char* outOfRange) {
    if (!value)
        messages.add(missing);
    else if (!inRange(*value, low, high))
        messages.add(outOfRange, {num(*value)});
}

// The same for a number from a table: the value is %1, the valid ones %2.
void checkListed(Messages& messages, const std::optional<qint64>& value, const QList<qint64>& table,
                 const char* missing, const char* notListed) {
    if (!value)
        messages.add(missing);
    else if (!table.contains(*value))
        messages.add(notListed, {num(*value), joined(table)});
}

void checkTypeData(const DNSRecord& r, Messages& messages) {
    switch (r.type) {
    case DNSRecordType::A:
        if (!isValidIPv4Address(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid IPv4 address: '%1'. Expected format: "
                                           "192.168.1.1"),
                         {r.value});
        break;
    case DNSRecordType::AAAA:
        if (!isValidIPv6Address(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid IPv6 address: '%1'. Expected format: "
                                           "2001:db8::1"),
                         {r.value});
        break;
    case DNSRecordType::CNAME:
    case DNSRecordType::PTR:
        if (!isValidTarget(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid domain name: '%1'. Must be a valid domain "
                                           "name."),
                         {r.value});
        break;
    case DNSRecordType::NS:
        if (!isValidHostTarget(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid name server: '%1'. Must be a host name: "
                                           "letters a-z, digits and \"-\" only."),
                         {r.value});
        break;
    case DNSRecordType::MX:
        // "." is the null MX: the domain takes no mail.
        if (r.value != u"." && !isValidHostTarget(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid mail server name: '%1'. Must be a host name: "
                                           "letters a-z, digits and \"-\" only."),
                         {r.value});
        checkNumber(
            messages, r.priority, 0, 65535,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "MX records require a priority value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid MX priority: %1. Must be between 0 and 65535."));
        break;
    case DNSRecordType::SRV:
        if (r.value != u"." && !isValidHostTarget(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid SRV target: '%1'. Must be a host name: "
                                           "letters a-z, digits and \"-\" only."),
                         {r.value});
        checkNumber(
            messages, r.priority, 0, 65535,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "SRV records require a priority value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid SRV priority: %1. Must be between 0 and 65535."));
        checkNumber(
            messages, r.weight, 0, 65535,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "SRV records require a weight value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid SRV weight: %1. Must be between 0 and 65535."));
        // Port 0 with target "." says the service is not offered here.
        checkNumber(
            messages, r.port, 0, 65535,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "SRV records require a port value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid SRV port: %1. Must be between 0 and 65535."));
        break;
    case DNSRecordType::CAA:
        checkNumber(
            messages, r.flag, 0, 255,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "CAA records require a flag value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid CAA flag: %1. Must be between 0 and 255."));
        if (!r.tag)
            messages.add(
                QT_TRANSLATE_NOOP("korvi::RecordValidator", "CAA records require a tag value."));
        else if (!validCAATags().contains(*r.tag, Qt::CaseInsensitive))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid CAA tag: '%1'. Valid tags are: %2"),
                         {*r.tag, validCAATags().join(QStringLiteral(", "))});
        if (r.value.isEmpty()) {
            messages.add(
                QT_TRANSLATE_NOOP("korvi::RecordValidator", "CAA record value cannot be empty."));
        } else if (hasControlCharacters(r.value)) {
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "CAA record value contains invalid control "
                                           "characters."));
        } else if (r.tag && validCAATags().contains(*r.tag, Qt::CaseInsensitive)) {
            const QString value = withoutOuterQuotes(r.value);
            const bool iodef = r.tag->compare(u"iodef", Qt::CaseInsensitive) == 0;
            if (iodef && !isValidIodefValue(value))
                messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                               "Invalid CAA iodef value: '%1'. Must be a mailto: "
                                               "or https: address for reports."),
                             {r.value});
            else if (!iodef && !isValidIssueValue(value))
                messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                               "Invalid CAA %1 value: '%2'. Must be the "
                                               "certificate authority's domain name "
                                               "(letsencrypt.org), optionally followed by ; and "
                                               "name=value parameters, or ; alone to allow none."),
                             {r.tag->toLower(), r.value});
        }
        break;
    case DNSRecordType::SSHFP:
        checkListed(messages, r.algorithm, sshfpAlgorithms(),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "SSHFP records require an algorithm value."),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "Invalid SSHFP algorithm: %1. Valid algorithms are: %2"));
        checkListed(messages, r.digestType, sshfpDigestTypes(),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "SSHFP records require a digest type value."),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "Invalid SSHFP digest type: %1. Valid digest types are: %2"));
        if (!isHexText(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid SSHFP fingerprint: must be hexadecimal "
                                           "characters only."));
        else if (const int length = digestHexLength(r.digestType, false);
                 length > 0 && r.value.size() != length)
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid SSHFP fingerprint length: %1 hexadecimal "
                                           "digits. Digest type %2 (%3) needs exactly %4."),
                         {num(r.value.size()), num(*r.digestType),
                          QLatin1String(*r.digestType == 1 ? "SHA-1" : "SHA-256"), num(length)});
        break;
    case DNSRecordType::TLSA:
        checkNumber(
            messages, r.usage, 0, 3,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "TLSA records require a usage value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid TLSA usage: %1. Must be between 0 and 3."));
        checkNumber(
            messages, r.selector, 0, 1,
            QT_TRANSLATE_NOOP("korvi::RecordValidator", "TLSA records require a selector value."),
            QT_TRANSLATE_NOOP("korvi::RecordValidator",
                              "Invalid TLSA selector: %1. Must be 0 or 1."));
        checkListed(messages, r.digestType, tlsaDigestTypes(),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "TLSA records require a digest type value."),
                    QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                      "Invalid TLSA digest type: %1. Valid digest types are: %2"));
        if (!isHexText(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid TLSA certificate data: must be hexadecimal "
                                           "characters only."));
        else if (const int length = digestHexLength(r.digestType, true);
                 length > 0 && r.value.size() != length)
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid TLSA certificate data length: %1 hexadecimal "
                                           "digits. Matching type %2 (%3) needs exactly %4."),
                         {num(r.value.size()), num(*r.digestType),
                          QLatin1String(*r.digestType == 1 ? "SHA-256" : "SHA-512"), num(length)});
        else if (r.value.size() % 2 != 0)
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid TLSA certificate data length: %1 hexadecimal "
                                           "digits. Whole bytes need an even number."),
                         {num(r.value.size())});
        break;
    case DNSRecordType::TXT: {
        // Written as strings of at most 255 bytes each, so a long value
        // (a 2048-bit DKIM key) is kept whole.
        const qsizetype length = r.value.toUtf8().size();
        if (length > maximumTXTBytes)
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "TXT record too long: %1 bytes. Maximum is 4,000 "
                                           "bytes."),
                         {num(length)});
        if (hasControlCharacters(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "TXT record contains invalid control characters."));
        if (isBlankText(r.value))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "TXT record text cannot be white space only."));
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
    Messages messages(result);
    if (!record.name.isEmpty() && !isValidRecordName(record.name, true))
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "Invalid record name: '%1'. Must be a valid domain name or "
                                       "empty for root domain."),
                     {record.name});
    else if (!record.isKept() && !record.name.isEmpty() && needsHostOwner(record.type) &&
             !isValidHostName(record.name, true))
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "Invalid host name: '%1'. %2 records need a host name: "
                                       "letters a-z, digits and \"-\" only, or a wildcard \"*\"."),
                     {record.name, rawValue(record.type)});
    if (record.ttl < DNSRecord::minimumTTL || record.ttl > DNSRecord::maximumTTL)
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "Invalid TTL: %1. Must be between 0 and 2,147,483,647 "
                                       "seconds."),
                     {num(record.ttl)});
    if (record.value.isEmpty())
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator", "Record value cannot be empty."));
    // A record kept as read holds BIND's own presentation of its data.
    if (!record.isKept() && record.type == DNSRecordType::SOA)
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "SOA records cannot be added as records: the zone's SOA is "
                                       "edited in the zone's settings (primary name server, "
                                       "administrator e-mail and timers)."));
    else if (!record.isKept())
        checkTypeData(record, messages);
    result.isValid = result.errors.isEmpty();
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
    Messages messages(result);
    const QString zone = absoluteZoneName(zoneName);
    const QString owner = record.name.isEmpty() ? zone : absoluteTarget(record.name, zone);
    if (nameBytes(owner) > maximumNameBytes) {
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "Name too long: '%1' has %2 bytes. A name with its zone "
                                       "holds at most 253."),
                     {owner, num(nameBytes(owner))});
    } else if (!record.isKept() && needsHostOwner(record.type) && result.isValid &&
               !isValidHostName(owner, true)) {
        messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                       "Invalid host name: '%1'. %2 records need a host name: "
                                       "letters a-z, digits and \"-\" only, or a wildcard \"*\"."),
                     {owner, rawValue(record.type)});
    }
    if (!record.isKept() && isTargetType(record.type) && !record.value.isEmpty()) {
        const QString target = absoluteTarget(record.value, zone);
        if (nameBytes(target) > maximumNameBytes)
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Target too long: '%1' has %2 bytes. A name holds at "
                                           "most 253."),
                         {target, num(nameBytes(target))});
        // In a reverse zone BIND wants a host name in PTR data.
        else if (record.type == DNSRecordType::PTR && result.isValid && isReverseZone(zone) &&
                 !isValidHostName(target, false))
            messages.add(QT_TRANSLATE_NOOP("korvi::RecordValidator",
                                           "Invalid PTR target in a reverse zone: '%1'. Must be a "
                                           "host name: letters a-z, digits and \"-\" only."),
                         {target});
    }
    result.isValid = result.errors.isEmpty();
    return result;
}

} // namespace korvi
