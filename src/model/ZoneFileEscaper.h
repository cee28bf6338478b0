#pragma once

#include <QString>
#include <QStringView>

namespace korvi {

// Turns record data into master-file text that BIND reads back as exactly
// that data and nothing more. Whatever a field holds, its text never ends the
// line, opens or closes a parenthesised group, starts a comment or, at the
// start of a line, a directive. Ordinary, valid values come out unchanged;
// only what would otherwise be read differently is written with the
// master-file escapes: "\X" for a special printable character and "\DDD"
// (decimal) for each UTF-8 byte of anything that is not printable.
class ZoneFileEscaper {
public:
    // One field that must stay one token: owner names, host names, addresses,
    // hexadecimal data, the CAA tag. White space, control and format
    // characters, line and paragraph separators become "\DDD"; the characters
    // " ( ) ; \ @ $ # become "\X". An empty field is written as "" so that the
    // fields after it keep their places.
    static QString token(const QString& text);

    // The owner field of a record line: "@" for the empty name, otherwise the
    // name as a token.
    static QString owner(const QString& name);

    // Record data in master-file presentation form as the user typed it (TXT,
    // and the value of an SOA-type record): the user's double quotes group
    // text and the user's escapes ("\"", "\\", "\;", "\DDD", ...) are kept.
    // What would break out of the record is escaped: outside quotes ";", "("
    // and ")"; anywhere, control characters other than tab, format characters
    // and line or paragraph separators. A double quote with no partner
    // stands for itself ("\""); a backslash that ends the text or stands
    // before a character it cannot escape, or before a malformed "\DDD",
    // stands for itself ("\\"). Empty text is written as "".
    static QString presentation(const QString& text);

    // A value the writer encloses in double quotes itself (the CAA value).
    // Everything inside is literal: '"' and '\' are escaped, control and
    // format characters and line separators become "\DDD". A value the user
    // already enclosed in one pair of double quotes is not quoted twice.
    static QString quoted(const QString& text);

    // Text inside a comment line: only what would end the line is escaped.
    static QString comment(const QString& text);

    // The same escapes appended to `out`, for writers that build one long
    // text. Plain ASCII text, the common case, is copied without being
    // split into code points.
    static void appendToken(QString& out, QStringView text);
    static void appendOwner(QString& out, QStringView name);
    static void appendPresentation(QString& out, QStringView text);
    static void appendQuoted(QString& out, QStringView text);
    static void appendComment(QString& out, QStringView text);

    // A domain name as read from a file, with BIND's escapes ("\.", "\@",
    // "\DDD") already in it: those escapes are kept, anything else is
    // escaped as in a token. "_" and "*" stand as they are.
    static void appendName(QString& out, QStringView name);

    // TXT data: the presentation form above, with every character-string
    // (quoted, or a bare word) longer than 255 bytes written as consecutive
    // quoted strings of at most 255 bytes each, so that nothing is cut.
    static void appendText(QString& out, QStringView text);

    // True when the text, without white space at its ends, is one or more
    // complete double-quoted strings separated by blanks ("a" "b"): the
    // presentation form of TXT data, written by someone who knows it.
    static bool isQuotedStrings(QStringView text);

    // A TXT value as Korvi stores it. Text in the quoted form above is
    // written as those strings (appendText). Any other text is one string:
    // its characters literal ('"' and '\' escaped, control and format
    // characters as "\DDD"), without the white space at its ends, written as
    // consecutive quoted strings of at most 255 bytes. Text that is empty or
    // white space only is written as nothing at all: no TXT string is made up.
    static void appendTxtValue(QString& out, QStringView text);

    // Bytes of one character-string's content in presentation form:
    // "\DDD" and "\X" count one byte each (X's own UTF-8 bytes for a
    // non-ASCII X), other characters their UTF-8 bytes.
    static constexpr qsizetype maximumStringBytes = 255;
};

} // namespace korvi
