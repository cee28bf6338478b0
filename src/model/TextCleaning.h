#pragma once

#include <QString>

#include "model/DNSRecordType.h"

namespace korvi {

// Calls f(codePoint) for each Unicode scalar of the text; a lone surrogate
// is passed on as it is.
template <typename F> void forEachCodePoint(const QString& text, F f) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            f(static_cast<char32_t>(c.unicode()));
        }
    }
}

// Unicode general categories L, M and N, tested on one code point.
bool isLetterOrDigit(char32_t codePoint);

// Removes white space and line breaks at both ends.
QString trimmedText(const QString& text);

// Characters as the user sees them (grapheme clusters).
qsizetype userCharacterCount(const QString& text);
QString userCharacterPrefix(const QString& text, qsizetype count);

// Trims, then keeps letters, digits, "." and "-". Zone names and SOA host names.
QString cleanHostText(const QString& text);

// Like cleanHostText, but also keeps "_" (service labels such as _sip._tcp)
// and "*" (wildcards; the validator checks where it stands).
QString cleanRecordName(const QString& text);

// Like cleanHostText, but also keeps "_": host names in record data (CNAME,
// MX, NS, PTR and SRV targets such as _dmarc.example.com).
QString cleanTargetText(const QString& text);

// Trims, then cleans the value by what the type allows. A target typed as "@"
// (the zone apex) is kept; SSHFP and TLSA data lose white space and colons
// ("aa:bb cc" is "aabbcc").
QString normalizeRecordValue(const QString& value, DNSRecordType type);

// True for the types whose value is a host name: CNAME, MX, NS, PTR, SRV.
bool isTargetType(DNSRecordType type);

// True when the name ends in a dot that is not escaped ("www." but not "www\.").
bool isAbsoluteName(const QString& name);

// The zone name as an absolute name: "example.com" and "example.com." give
// "example.com.", the empty name and "." give ".".
QString absoluteZoneName(const QString& zoneName);

// A target host name as BIND reads it in the zone's own file: "www" in zone
// example.com is "www.example.com.", "@" is the zone apex "example.com.", a
// name ending in "." is absolute and kept. White space at the ends is
// dropped; the empty text stays empty. The result otherwise ends with ".".
QString absoluteTarget(const QString& typed, const QString& zoneName);

// The value a record form saves for what the user typed: targets made
// absolute in the zone, then cleaned by type (normalizeRecordValue).
QString completedRecordValue(const QString& typed, DNSRecordType type, const QString& zoneName);

} // namespace korvi
