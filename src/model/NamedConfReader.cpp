#include "model/NamedConfReader.h"

#include "model/DNSConfiguration.h"
#include "model/NamedConfWriter.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/TextLines.h"

namespace korvi {

namespace {

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_';
}

bool isAddressCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '.' || u == ':' || (u >= 'a' && u <= 'f') ||
           (u >= 'A' && u <= 'F');
}

// Index of the first occurrence of `word` as a word of its own, from `from`.
qsizetype indexOfWord(const QString& line, const QString& word, qsizetype from = 0) {
    qsizetype at = line.indexOf(word, from);
    while (at >= 0) {
        const qsizetype end = at + word.size();
        const bool before = at == 0 || !isWordCharacter(line.at(at - 1));
        const bool after = end >= line.size() || !isWordCharacter(line.at(end));
        if (before && after)
            return at;
        at = line.indexOf(word, at + 1);
    }
    return -1;
}

// A piece written the way a plain address is: it begins with a digit or ":"
// and holds no white space, "/" (a prefix) or "%" (a scoped address). Such a
// piece is cleaned to the characters of an address. Every other piece is an
// element BIND reads in its own way (a named list such as localhost or
// localnets, a negation, a prefix, a key reference, a quoted name) and is
// kept exactly as written.
bool isPlainAddressPiece(const QString& piece) {
    if (piece.isEmpty())
        return false;
    const char16_t first = piece.front().unicode();
    if (!((first >= '0' && first <= '9') || first == ':'))
        return false;
    for (const QChar c : piece) {
        if (c.isSpace() || c == u'/' || c == u'%')
            return false;
    }
    return true;
}

bool isAnyOrNone(const QString& piece) {
    return piece.compare(QLatin1String("any"), Qt::CaseInsensitive) == 0 ||
           piece.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0;
}

QString addressCharacters(const QString& piece) {
    QString out;
    for (const QChar c : piece) {
        if (isAddressCharacter(c))
            out.append(c);
    }
    return out;
}

} // namespace

bool NamedConfReader::containsWord(const QString& line, const QString& word) {
    return indexOfWord(line, word) >= 0;
}

std::optional<QString> NamedConfReader::braceContents(const QString& line) {
    const qsizetype open = line.indexOf(u'{');
    if (open < 0)
        return std::nullopt;
    const qsizetype close = line.indexOf(u'}', open + 1);
    if (close < 0)
        return std::nullopt;
    return line.mid(open + 1, close - open - 1);
}

QStringList NamedConfReader::listPieces(const QString& contents) {
    QStringList pieces;
    for (const QString& piece : contents.split(u';')) {
        const QString trimmed = trimmedText(piece);
        if (!trimmed.isEmpty())
            pieces.append(trimmed);
    }
    return pieces;
}

std::optional<QString> NamedConfReader::quotedAfter(const QString& line, const QString& word) {
    const QString opening = word + QStringLiteral(" \"");
    qsizetype at = indexOfWord(line, word);
    while (at >= 0 && !QStringView(line).mid(at).startsWith(opening))
        at = indexOfWord(line, word, at + 1);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + opening.size();
    const qsizetype end = line.indexOf(u'"', start);
    if (end < 0)
        return std::nullopt;
    return line.mid(start, end - start);
}

std::optional<QString> NamedConfReader::addressListItem(const QString& piece) {
    if (isAnyOrNone(piece))
        return piece.toLower();
    if (!isPlainAddressPiece(piece)) {
        if (!NamedConfWriter::isSafeListItem(piece))
            return std::nullopt;
        return piece;
    }
    const QString address = addressCharacters(piece);
    if (address.isEmpty())
        return std::nullopt;
    return address;
}

std::optional<QString> NamedConfReader::forwarder(const QString& piece) {
    if (!isPlainAddressPiece(piece))
        return std::nullopt;
    const QString address = addressCharacters(piece);
    if (!isValidIPv4Address(address) && !isValidIPv6Address(address))
        return std::nullopt;
    return address;
}

std::optional<QStringList> NamedConfReader::addressList(const QString& line) {
    const auto contents = braceContents(line);
    if (!contents)
        return std::nullopt;
    QStringList list;
    for (const QString& piece : listPieces(*contents)) {
        // A list with an element Korvi could not write back safely (a
        // nested list, a comment) is not read at all: leaving out one
        // element could change whom the list admits.
        if (!isAnyOrNone(piece) && !isPlainAddressPiece(piece) &&
            !NamedConfWriter::isSafeListItem(piece))
            return std::nullopt;
        if (const auto item = addressListItem(piece))
            list.append(*item);
    }
    if (list.isEmpty())
        return std::nullopt;
    return list;
}

std::optional<QStringList> NamedConfReader::forwarderList(const QString& line) {
    const auto contents = braceContents(line);
    if (!contents)
        return std::nullopt;
    QStringList list;
    for (const QString& piece : listPieces(*contents)) {
        if (const auto address = forwarder(piece))
            list.append(*address);
    }
    if (list.isEmpty())
        return std::nullopt;
    return list;
}

std::optional<std::pair<QString, QString>> NamedConfReader::zoneEntry(const QString& line) {
    const auto name = quotedAfter(line, QStringLiteral("zone"));
    if (!name || !isValidDomainName(*name))
        return std::nullopt;
    const auto path = quotedAfter(line, QStringLiteral("file"));
    if (!path)
        return std::nullopt;
    const QString fileName = path->section(u'/', -1);
    if (fileName.isEmpty() || userCharacterCount(fileName) >= 256)
        return std::nullopt;
    return std::make_pair(*name, fileName);
}

NamedConfReader::Settings NamedConfReader::read(const QString& text) {
    Settings settings;
    if (!TextLines::isShorterThan(text, TextLines::maximumTextLength))
        return settings;
    for (const QString& rawLine : TextLines::split(text)) {
        const QString line = trimmedText(rawLine);
        if (line.isEmpty() || line.startsWith(QLatin1String("//")) || line.startsWith(u'#'))
            continue;
        // listen-on-v6 is written from a constant and never read back.
        if (line.contains(QLatin1String("listen-on-v6")))
            continue;
        if (containsWord(line, QStringLiteral("listen-on"))) {
            if (auto list = addressList(line))
                settings.listenAddresses = std::move(list);
        } else if (containsWord(line, QStringLiteral("allow-query"))) {
            if (auto list = addressList(line))
                settings.allowQuery = std::move(list);
        } else if (containsWord(line, QStringLiteral("recursion"))) {
            settings.recursion = line.toLower().contains(QLatin1String("recursion yes"));
        } else if (containsWord(line, QStringLiteral("forwarders"))) {
            if (auto list = forwarderList(line))
                settings.forwarders = std::move(list);
        } else if (containsWord(line, QStringLiteral("zone"))) {
            if (const auto entry = zoneEntry(line))
                settings.zoneFiles.insert(entry->first, entry->second);
        }
    }
    return settings;
}

void NamedConfReader::apply(const Settings& settings, DNSConfiguration& configuration) {
    if (settings.listenAddresses)
        configuration.setListenAddresses(*settings.listenAddresses);
    if (settings.allowQuery)
        configuration.setAllowQuery(*settings.allowQuery);
    if (settings.recursion)
        configuration.setRecursion(*settings.recursion);
    if (settings.forwarders)
        configuration.setForwarders(*settings.forwarders);
    if (!settings.zoneFiles.isEmpty()) {
        QMap<QString, QString> zones = configuration.zoneFiles();
        for (auto it = settings.zoneFiles.cbegin(); it != settings.zoneFiles.cend(); ++it)
            zones.insert(it.key(), it.value());
        configuration.setZoneFiles(zones);
    }
}

} // namespace korvi
