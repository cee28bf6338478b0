#include "model/DNSRecordType.h"

#include <array>

namespace korvi {

namespace {

using F = RecordField;

const std::array<RecordTypeInfo, 12>& typeTable() {
    static const std::array<RecordTypeInfo, 12> table = {{
        {DNSRecordType::A,
         "A",
         "IPv4 Address",
         "Points domain to IPv4 address",
         "192.168.1.100",
         "IPv4 address (e.g., 192.168.1.100)",
         {}},
        {DNSRecordType::AAAA,
         "AAAA",
         "IPv6 Address",
         "Points domain to IPv6 address",
         "2001:db8::1",
         "IPv6 address (e.g., 2001:db8::1)",
         {}},
        {DNSRecordType::CAA,
         "CAA",
         "Certificate Authority Authorization",
         "Certificate Authority Authorization",
         "issue letsencrypt.org",
         "CAA policy in format: flag tag value (e.g., 0 issue letsencrypt.org)",
         {{F::flag, "0"}, {F::tag, "issue"}}},
        {DNSRecordType::CNAME,
         "CNAME",
         "Canonical Name",
         "Creates alias to another domain",
         "target.example.com",
         "Target hostname (trailing dot will be added automatically)",
         {}},
        {DNSRecordType::MX,
         "MX",
         "Mail Exchange",
         "Directs email to mail server",
         "mail.example.com",
         "Mail server hostname (trailing dot will be added automatically)",
         {{F::priority, "10"}}},
        {DNSRecordType::NS,
         "NS",
         "Name Server",
         "Delegates subdomain to name server",
         "ns1.example.com",
         "Name server hostname (trailing dot will be added automatically)",
         {}},
        {DNSRecordType::PTR,
         "PTR",
         "Pointer",
         "Reverse DNS lookup (IP to domain)",
         "host.example.com",
         "Target hostname for reverse DNS (trailing dot will be added automatically)",
         {}},
        {DNSRecordType::SOA,
         "SOA",
         "Start of Authority",
         "Start of Authority (zone configuration)",
         "ns1.example.com. admin.example.com.",
         "Primary NS and admin email in format: ns1.domain.com. admin.domain.com.",
         {}},
        {DNSRecordType::SRV,
         "SRV",
         "Service",
         "Service location (protocol and port)",
         "target.example.com",
         "Target hostname (trailing dot will be added automatically)",
         {{F::priority, "10"}, {F::weight, "5"}, {F::port, "80"}}},
        {DNSRecordType::SSHFP,
         "SSHFP",
         "SSH Fingerprint",
         "SSH public key fingerprint",
         "aa:bb:cc:dd:ee:ff:00:11:22:33:44:55:66:77:88:99:aa:bb:cc:dd",
         "SSH fingerprint in format: algorithm digesttype fingerprint",
         {{F::algorithm, "1"}, {F::digestType, "1"}}},
        {DNSRecordType::TLSA,
         "TLSA",
         "TLS Association",
         "TLS certificate association",
         "302017241a4b7bb57a8c21b78e26db4b1d2625b97bf38ba2bb72d1a3da1c63dd",
         "TLSA data in format: usage selector matchingtype data",
         {{F::usage, "3"}, {F::selector, "1"}, {F::digestType, "1"}}},
        {DNSRecordType::TXT,
         "TXT",
         "Text",
         "Text data (SPF, DKIM, verification)",
         "\"v=spf1 include:_spf.google.com ~all\"",
         "Text content in quotes (e.g., SPF, DKIM, domain verification)",
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
