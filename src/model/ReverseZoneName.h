#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// Reverse zones and their names: the in-addr.arpa or ip6.arpa zone of a
// network, where an address's PTR record goes in such a zone, and which of a
// list of zones holds an address. IPv4 networks are taken on octet
// boundaries (/8, /16, /24), IPv6 networks on nibble boundaries (/4 ... /124
// in steps of 4), because only there does a network have a zone of its own.
// Addresses are read strictly (inet_pton), names compared without letter
// case and without a final dot.
class ReverseZoneName {
public:
    // A network's zone, or why there is none.
    struct Result {
        QString zoneName; // "2.0.192.in-addr.arpa", no final dot; empty when refused
        QString message;  // the refusal in Korvi's words; empty when accepted
        bool isValid() const { return !zoneName.isEmpty(); }
    };

    // "192.0.2.0/24" → "2.0.192.in-addr.arpa", "2001:db8::/48" →
    // "8.b.d.0.1.0.0.2.ip6.arpa". Refused: text that is not address/length,
    // a length off the boundaries above, host bits set.
    static Result fromPrefix(const QString& prefix);

    // The full reverse name of an address without its final dot
    // ("10.2.0.192.in-addr.arpa"); empty for text that is not an address.
    static QString ofAddress(const QString& address);

    // Whether the name is in-addr.arpa or ip6.arpa, or below one of them.
    static bool isReverseZone(const QString& zoneName);

    // The PTR record's owner for the address relative to the zone ("10" for
    // 192.0.2.10 in 2.0.192.in-addr.arpa); nothing when the address does not
    // fall within the zone, or is the zone's own name.
    static std::optional<QString> ptrOwner(const QString& address, const QString& zoneName);

    // Of the zone names, the one that holds the address with the longest
    // match (a /24 zone before its /16 zone), as listed; empty when none does.
    static QString containingZone(const QString& address, const QStringList& zoneNames);
};

} // namespace korvi
