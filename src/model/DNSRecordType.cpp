#include "model/DNSRecordType.h"

#include <array>

#include <QCoreApplication>

namespace korvi {

namespace {

using F = RecordField;

const std::array<RecordTypeInfo, 12>& typeTable() {
    static const std::array<RecordTypeInfo, 12> table = {{
        {DNSRecordType::A,
         "A",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "IPv4 Address"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Points domain to IPv4 address"),
         "192.168.1.100",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "IPv4 address (e.g., 192.168.1.100)"),
         {}},
        {DNSRecordType::AAAA,
         "AAAA",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "IPv6 Address"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Points domain to IPv6 address"),
         "2001:db8::1",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "IPv6 address (e.g., 2001:db8::1)"),
         {}},
        {DNSRecordType::CAA,
         "CAA",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Certificate Authority Authorization"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Certificate Authority Authorization"),
         "letsencrypt.org",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "For issue and issuewild the certificate authority's domain (letsencrypt.org), or ; "
             "for none; for iodef a mailto: or https: address for reports"),
         {{F::flag, "0"}, {F::tag, "issue"}}},
        {DNSRecordType::CNAME,
         "CNAME",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Canonical Name"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Creates alias to another domain"),
         "www",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Target host name: a name without a final dot is in this zone (www means "
             "www.<zone>.), @ is the zone itself, a name ending in a dot is written as it stands"),
         {}},
        {DNSRecordType::MX,
         "MX",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Mail Exchange"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Directs email to mail server"),
         "mail",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Mail server host name: a name without a final dot is in this zone (mail means "
             "mail.<zone>.), @ is the zone itself, a name ending in a dot is written as it stands"),
         {{F::priority, "10"}}},
        {DNSRecordType::NS,
         "NS",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Name Server"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Delegates subdomain to name server"),
         "ns1",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Name server host name: a name without a final dot is in this zone (ns1 means "
             "ns1.<zone>.), a name ending in a dot is written as it stands"),
         {}},
        {DNSRecordType::PTR,
         "PTR",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Pointer"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Reverse DNS lookup (IP to domain)"),
         "host.example.com.",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Host name for reverse DNS, usually ending in a dot (host.example.com.); a name "
             "without a final dot is in this zone"),
         {}},
        {DNSRecordType::SOA,
         "SOA",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Start of Authority"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Start of Authority (zone configuration)"),
         "ns1.example.com. admin.example.com.",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Primary NS and admin email in format: ns1.domain.com. admin.domain.com."),
         {}},
        {DNSRecordType::SRV,
         "SRV",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Service"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Service location (protocol and port)"),
         "sip",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Target host name: a name without a final dot is in this zone (sip means "
             "sip.<zone>.), a name ending in a dot is written as it stands, . for no service"),
         {{F::priority, "10"}, {F::weight, "5"}, {F::port, "80"}}},
        {DNSRecordType::SSHFP,
         "SSHFP",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "SSH Fingerprint"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "SSH public key fingerprint"),
         "4f2b3b1a7c9d0e8f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Fingerprint in hexadecimal: 40 digits for SHA-1 (type 1), 64 for SHA-256 (type 2); "
             "spaces and colons are dropped"),
         {{F::algorithm, "4"}, {F::digestType, "2"}}},
        {DNSRecordType::TLSA,
         "TLSA",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "TLS Association"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "TLS certificate association"),
         "302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Certificate data in hexadecimal: 64 digits for SHA-256 (matching 1), 128 for "
             "SHA-512 (matching 2), the whole data for matching 0"),
         {{F::usage, "3"}, {F::selector, "1"}, {F::digestType, "1"}}},
        {DNSRecordType::TXT,
         "TXT",
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Text"),
         QT_TRANSLATE_NOOP("korvi::DNSRecordType", "Text data (SPF, DKIM, verification)"),
         "v=spf1 include:_spf.example.com ~all",
         QT_TRANSLATE_NOOP(
             "korvi::DNSRecordType",
             "Text as it should read (SPF, DKIM, verification); it is one string, however long. "
             "Text in double quotes (\"a\" \"b\") is taken as those strings"),
         {}},
    }};
    return table;
}

} // namespace

const QList<DNSRecordType>& allRecordTypes() {
    static const QList<DNSRecordType> all = [] {
        QList<DNSRecordType> list;
        for (const auto& row : typeTable())
            list.append(row.type);
        return list;
    }();
    return all;
}

const QList<DNSRecordType>& editableRecordTypes() {
    // The SOA is edited through the zone's own SOA fields, never as a record.
    static const QList<DNSRecordType> editable = [] {
        QList<DNSRecordType> list = allRecordTypes();
        list.removeAll(DNSRecordType::SOA);
        return list;
    }();
    return editable;
}

const RecordTypeInfo& recordTypeInfo(DNSRecordType type) {
    return typeTable()[static_cast<std::size_t>(type)];
}

QString rawValue(DNSRecordType type) {
    return QString::fromLatin1(recordTypeInfo(type).rawValue);
}
QString displayName(DNSRecordType type) {
    return QString::fromUtf8(recordTypeInfo(type).displayName);
}
QString summary(DNSRecordType type) {
    return QString::fromUtf8(recordTypeInfo(type).summary);
}
QString valuePlaceholder(DNSRecordType type) {
    return QString::fromUtf8(recordTypeInfo(type).valuePlaceholder);
}
QString valueHelp(DNSRecordType type) {
    return QString::fromUtf8(recordTypeInfo(type).valueHelp);
}

std::optional<DNSRecordType> recordTypeFromRawValue(const QString& text) {
    for (const auto& row : typeTable()) {
        if (text == QLatin1String(row.rawValue))
            return row.type;
    }
    return std::nullopt;
}

QString recordFieldName(RecordField field) {
    switch (field) {
    case F::priority:
        return QStringLiteral("priority");
    case F::weight:
        return QStringLiteral("weight");
    case F::port:
        return QStringLiteral("port");
    case F::flag:
        return QStringLiteral("flag");
    case F::tag:
        return QStringLiteral("tag");
    case F::algorithm:
        return QStringLiteral("algorithm");
    case F::digestType:
        return QStringLiteral("digestType");
    case F::usage:
        return QStringLiteral("usage");
    case F::selector:
        return QStringLiteral("selector");
    }
    return {};
}

} // namespace korvi
