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

// Trims, then cleans the value by what the type allows.
QString normalizeRecordValue(const QString& value, DNSRecordType type);

} // namespace korvi
