#include "model/NamedConfReader.h"

#include "model/NamedConfWriter.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"

namespace korvi {

namespace {

bool isAddressCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '.' || u == ':' || (u >= 'a' && u <= 'f') ||
           (u >= 'A' && u <= 'F');
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

} // namespace korvi
