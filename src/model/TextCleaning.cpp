#include "model/TextCleaning.h"

#include <QTextBoundaryFinder>

namespace korvi {

namespace {

template <typename Keep> QString keepCodePoints(const QString& text, Keep keep) {
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t cp) {
        if (!keep(cp))
            return;
        if (QChar::requiresSurrogates(cp)) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(static_cast<char16_t>(cp)));
        }
    });
    return out;
}

bool isAddressCharacter(char32_t cp) {
    return (cp >= '0' && cp <= '9') || cp == '.' || cp == ':' || (cp >= 'a' && cp <= 'f') ||
           (cp >= 'A' && cp <= 'F');
}

} // namespace

bool isLetterOrDigit(char32_t codePoint) {
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

QString trimmedText(const QString& text) {
    return text.trimmed();
}

qsizetype userCharacterCount(const QString& text) {
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString userCharacterPrefix(const QString& text, qsizetype count) {
    if (count <= 0)
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype seen = 0;
    qsizetype position = 0;
    while (seen < count) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        position = next;
        ++seen;
    }
    return text.left(position);
}

QString cleanHostText(const QString& text) {
    return keepCodePoints(trimmedText(text), [](char32_t cp) {
        return isLetterOrDigit(cp) || cp == '.' || cp == '-';
    });
}

QString cleanRecordName(const QString& text) {
    return keepCodePoints(trimmedText(text), [](char32_t cp) {
        return isLetterOrDigit(cp) || cp == '.' || cp == '-' || cp == '_' || cp == '*';
    });
}

QString cleanTargetText(const QString& text) {
    return keepCodePoints(trimmedText(text), [](char32_t cp) {
        return isLetterOrDigit(cp) || cp == '.' || cp == '-' || cp == '_';
    });
}

QString normalizeRecordValue(const QString& value, DNSRecordType type) {
    const QString trimmed = trimmedText(value);
    // "@" stands for the zone apex in a target, as in BIND's files.
    if (isTargetType(type) && trimmed == u"@")
        return trimmed;
    switch (type) {
    case DNSRecordType::A:
    case DNSRecordType::AAAA:
        return keepCodePoints(trimmed, isAddressCharacter);
    case DNSRecordType::CNAME:
    case DNSRecordType::MX:
    case DNSRecordType::NS:
    case DNSRecordType::PTR:
    case DNSRecordType::SRV:
        return cleanTargetText(trimmed);
    case DNSRecordType::TXT:
        // Kept whole: the writer splits it into strings of at most 255 bytes.
        return trimmed;
    case DNSRecordType::SSHFP:
    case DNSRecordType::TLSA:
        // Fingerprints are often copied as "aa:bb:..." or in groups.
        return keepCodePoints(trimmed,
                              [](char32_t cp) { return cp != ':' && !QChar::isSpace(cp); });
    case DNSRecordType::CAA:
    case DNSRecordType::SOA:
        return trimmed;
    }
    return trimmed;
}

bool isTargetType(DNSRecordType type) {
    switch (type) {
    case DNSRecordType::CNAME:
    case DNSRecordType::MX:
    case DNSRecordType::NS:
    case DNSRecordType::PTR:
    case DNSRecordType::SRV:
        return true;
    default:
        return false;
    }
}

bool isAbsoluteName(const QString& name) {
    if (!name.endsWith(u'.'))
        return false;
    // An odd number of backslashes before the dot escapes it.
    qsizetype backslashes = 0;
    for (qsizetype i = name.size() - 2; i >= 0 && name.at(i) == u'\\'; --i)
        ++backslashes;
    return backslashes % 2 == 0;
}

QString absoluteZoneName(const QString& zoneName) {
    const QString zone = trimmedText(zoneName);
    if (zone.isEmpty() || zone == u".")
        return QStringLiteral(".");
    return isAbsoluteName(zone) ? zone : zone + u'.';
}

QString absoluteTarget(const QString& typed, const QString& zoneName) {
    const QString name = trimmedText(typed);
    if (name.isEmpty())
        return name;
    const QString zone = absoluteZoneName(zoneName);
    if (name == u"@")
        return zone;
    if (isAbsoluteName(name))
        return name;
    return zone == u"." ? name + u'.' : name + u'.' + zone;
}

QString completedRecordValue(const QString& typed, DNSRecordType type, const QString& zoneName) {
    if (!isTargetType(type))
        return normalizeRecordValue(typed, type);
    return normalizeRecordValue(absoluteTarget(typed, zoneName), type);
}

} // namespace korvi
