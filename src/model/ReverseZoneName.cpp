#include "model/ReverseZoneName.h"

#include <arpa/inet.h>

#include <array>
#include <cstring>

namespace korvi {

namespace {

// An address as its bytes (4 or 16), read strictly.
struct AddressBytes {
    std::array<unsigned char, 16> bytes{};
    int size = 0; // 0: not an address
    bool isV6() const { return size == 16; }
};

AddressBytes parseAddress(const QString& text) {
    AddressBytes address;
    const QByteArray latin = text.toLatin1();
    if (latin.isEmpty() || QString::fromLatin1(latin) != text)
        return address;
    if (text.contains(u':')) {
        if (inet_pton(AF_INET6, latin.constData(), address.bytes.data()) == 1)
            address.size = 16;
    } else if (inet_pton(AF_INET, latin.constData(), address.bytes.data()) == 1) {
        address.size = 4;
    }
    return address;
}

QString addressText(const AddressBytes& address) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (!inet_ntop(address.isV6() ? AF_INET6 : AF_INET, address.bytes.data(), buffer,
                   sizeof buffer))
        return QString();
    return QString::fromLatin1(buffer);
}

// The labels of the address's reverse name, most significant first: one per
// octet for IPv4, one per nibble for IPv6.
QStringList labelsOf(const AddressBytes& address) {
    QStringList labels;
    for (int i = 0; i < address.size; ++i) {
        const unsigned char byte = address.bytes[std::size_t(i)];
        if (address.isV6()) {
            labels.append(QString::number(byte >> 4, 16));
            labels.append(QString::number(byte & 0x0f, 16));
        } else {
            labels.append(QString::number(byte));
        }
    }
    return labels;
}

QString reverseName(const QStringList& labels, bool v6) {
    QStringList reversed;
    for (auto it = labels.crbegin(); it != labels.crend(); ++it)
        reversed.append(*it);
    reversed.append(v6 ? QStringLiteral("ip6.arpa") : QStringLiteral("in-addr.arpa"));
    return reversed.join(u'.');
}

QString normalised(const QString& name) {
    QString text = name.trimmed().toLower();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

ReverseZoneName::Result refused(const QString& message) {
    return {QString(), message};
}

} // namespace

ReverseZoneName::Result ReverseZoneName::fromPrefix(const QString& prefix) {
    const QString text = prefix.trimmed();
    if (text.isEmpty())
        return refused(QStringLiteral(
            "Enter a network as address/length, for example 192.0.2.0/24 or 2001:db8::/48"));
    const QStringList parts = text.split(u'/');
    if (parts.size() != 2)
        return refused(QStringLiteral("'%1' is not a network: enter it as address/length, for "
                                      "example 192.0.2.0/24 or 2001:db8::/48")
                           .arg(text));
    AddressBytes address = parseAddress(parts.at(0));
    if (address.size == 0)
        return refused(QStringLiteral("'%1' is not an IPv4 or IPv6 address").arg(parts.at(0)));
    const QString lengthText = parts.at(1);
    bool number = !lengthText.isEmpty() && lengthText.size() <= 3;
    for (const QChar c : lengthText)
        number = number && c >= u'0' && c <= u'9';
    const int length = number ? lengthText.toInt() : -1;
    if (!number)
        return refused(QStringLiteral("'%1' is not a prefix length").arg(lengthText));
    if (!address.isV6() && length != 8 && length != 16 && length != 24)
        return refused(QStringLiteral("An IPv4 reverse zone is made for a /8, /16 or /24 "
                                      "network, not for /%1")
                           .arg(length));
    if (address.isV6() && (length < 4 || length > 124 || length % 4 != 0))
        return refused(QStringLiteral("An IPv6 reverse zone is made for a network whose length "
                                      "is a multiple of 4 from /4 to /124, not for /%1")
                           .arg(length));

    // Host bits: everything after the prefix must be zero.
    AddressBytes network = address;
    for (int bit = length; bit < address.size * 8; ++bit)
        network.bytes[std::size_t(bit / 8)] &= static_cast<unsigned char>(~(0x80 >> (bit % 8)));
    if (network.bytes != address.bytes)
        return refused(QStringLiteral("%1 has host bits set: the network is %2/%3")
                           .arg(text, addressText(network))
                           .arg(length));

    const int labelCount = address.isV6() ? length / 4 : length / 8;
    return {reverseName(labelsOf(address).mid(0, labelCount), address.isV6()), QString()};
}

QString ReverseZoneName::ofAddress(const QString& address) {
    const AddressBytes bytes = parseAddress(address.trimmed());
    return bytes.size == 0 ? QString() : reverseName(labelsOf(bytes), bytes.isV6());
}

bool ReverseZoneName::isReverseZone(const QString& zoneName) {
    const QString zone = normalised(zoneName);
    for (const QLatin1String suffix : {QLatin1String("in-addr.arpa"), QLatin1String("ip6.arpa")}) {
        if (zone == suffix || zone.endsWith(u'.' + QString(suffix)))
            return true;
    }
    return false;
}

std::optional<QString> ReverseZoneName::ptrOwner(const QString& address, const QString& zoneName) {
    const QString full = ofAddress(address);
    const QString zone = normalised(zoneName);
    if (full.isEmpty() || zone.isEmpty() || !full.endsWith(u'.' + zone))
        return std::nullopt;
    return full.left(full.size() - zone.size() - 1);
}

QString ReverseZoneName::containingZone(const QString& address, const QStringList& zoneNames) {
    QString best;
    qsizetype bestLength = -1;
    for (const QString& zoneName : zoneNames) {
        if (!ptrOwner(address, zoneName))
            continue;
        const qsizetype length = normalised(zoneName).size();
        if (length > bestLength) {
            best = zoneName;
            bestLength = length;
        }
    }
    return best;
}

} // namespace korvi
