#pragma once

#include <QByteArray>
#include <QList>

namespace korvi {

// Knot's zone scanner refuses some records that BIND loads: type names it
// does not know (GPOS, X25, BRID, HHIT, ...), the class written as CLASS1, a
// known type written as TYPEnnn with ordinary data, an NSEC3 hash whose
// base32 text is not padded to a multiple of eight characters, the SVCB
// "dohpath" key, and some looser spellings of base64 and names. ZoneRepair
// rewrites just those records into a form the scanner reads as the same
// data: the class as IN, the type by the name or number the scanner knows,
// the padded hash, "key7" for "dohpath", or the record's data in the generic
// form (\# length hex) as NLnet Labs' ldns reads it. Line breaks are kept, so
// line numbers in messages still point into the file.
class ZoneRepair {
public:
    // Rewrites every record of `text` that spans one of `lines` (1-based).
    // `origin` is the absolute origin at the top of the text. False when one
    // of them has no known rewrite (its line in *unrepaired when given);
    // `text` is then left as it was.
    static bool repair(QByteArray& text, const QList<qint64>& lines, const QByteArray& origin,
                       qint64* unrepaired = nullptr);
};

} // namespace korvi
