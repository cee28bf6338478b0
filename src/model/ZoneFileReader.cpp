#include "model/ZoneFileReader.h"

#include <limits>

#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/TextLines.h"
#include "model/ZoneFileLexer.h"

namespace korvi {

namespace {

constexpr qint64 maximumTimer = 4294967295LL;

bool isCommentOrEmpty(const QString& trimmed) {
    return trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

bool isDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    }
    return true;
}

std::optional<qint64> numberInRange(const QString& text, qint64 low, qint64 high) {
    const auto value = ZoneFileReader::decimal(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

// Joins a parenthesised group that starts at lines[first] into one line,
// comments removed. Returns the joined line and the index of the group's
// last line, or nothing when the group does not close within the line
// bound or before the text ends.
std::optional<std::pair<QString, qsizetype>> joinGroup(const QStringList& lines, qsizetype first) {
    const QString start = lines.at(first).trimmed();
    int depth = ZoneFileLexer::groupDepthChange(start);
    QString joined = ZoneFileLexer::withoutComment(start).trimmed();
    qsizetype index = first;
    while (depth > 0) {
        if (index + 1 >= lines.size() ||
            !TextLines::isShorterThan(joined, TextLines::maximumLineLength))
            return std::nullopt;
        ++index;
        const QString next = lines.at(index).trimmed();
        depth += ZoneFileLexer::groupDepthChange(next);
        const QString data = ZoneFileLexer::withoutComment(next).trimmed();
        if (!data.isEmpty())
            joined += u' ' + data;
    }
    if (!TextLines::isShorterThan(joined, TextLines::maximumLineLength))
        return std::nullopt;
    return std::make_pair(joined, index);
}

} // namespace

std::optional<qint64> ZoneFileReader::decimal(const QString& text) {
    QStringView digits(text);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        const int digit = u - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<qint64> ZoneFileReader::timerValue(const QString& text) {
    if (!ZoneFileLexer::looksLikeTTL(text))
        return std::nullopt;
    if (isDigits(text)) {
        const auto value = decimal(text);
        return value && *value <= maximumTimer ? value : std::nullopt;
    }
    qint64 total = 0;
    qint64 number = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9') {
            number = number * 10 + (u - '0');
            if (number > maximumTimer)
                return std::nullopt;
            continue;
        }
        qint64 unit = 1;
        switch (u | 0x20) {
        case 'w':
            unit = 604800;
            break;
        case 'd':
            unit = 86400;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'm':
            unit = 60;
            break;
        default:
            unit = 1;
            break;
        }
        total += number * unit;
        number = 0;
        if (total > maximumTimer)
            return std::nullopt;
    }
    // Digits after the last unit are seconds ("1h30" is 3630).
    total += number;
    return total <= maximumTimer ? std::optional<qint64>(total) : std::nullopt;
}

bool ZoneFileReader::isSOALine(const QString& line) {
    const QStringList fields = ZoneFileLexer::groupFields(ZoneFileLexer::withoutComment(line));
    const qsizetype type = ZoneFileLexer::typeIndex(fields);
    return type >= 0 && fields.at(type).compare(QLatin1String("SOA"), Qt::CaseInsensitive) == 0;
}

std::optional<SOARecord> ZoneFileReader::readSOALine(const QString& line) {
    if (line.isEmpty() || !TextLines::isShorterThan(line, TextLines::maximumLineLength))
        return std::nullopt;
    const QStringList fields =
        ZoneFileLexer::groupFields(ZoneFileLexer::withoutComment(line.trimmed()));
    if (fields.size() < 8)
        return std::nullopt;
    const qsizetype type = ZoneFileLexer::typeIndex(fields);
    if (type < 0 || fields.at(type).compare(QLatin1String("SOA"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (type + 4 >= fields.size())
        return std::nullopt;

    const QString& serialText = fields.at(type + 3);
    const auto serial = isDigits(serialText) ? decimal(serialText) : std::nullopt;
    if (!serial || *serial < 1 || *serial == std::numeric_limits<qint64>::max())
        return std::nullopt;

    SOARecord soa;
    soa.primaryNameServer = cleanHostText(fields.at(type + 1));
    soa.adminEmail = cleanHostText(fields.at(type + 2));
    if (!isValidDomainName(soa.primaryNameServer) || !isValidDomainName(soa.adminEmail))
        return std::nullopt;
    soa.serial = *serial;

    // The four timers are taken together or not at all, so that an SOA is
    // never a mix of the file's timers and the standard ones.
    if (type + 7 < fields.size()) {
        const auto refresh = timerValue(fields.at(type + 4));
        const auto retry = timerValue(fields.at(type + 5));
        const auto expire = timerValue(fields.at(type + 6));
        const auto minimum = timerValue(fields.at(type + 7));
        if (refresh && retry && expire && minimum) {
            soa.refresh = *refresh;
            soa.retry = *retry;
            soa.expire = *expire;
            soa.minimum = *minimum;
        }
    }
    return soa;
}

std::optional<DNSRecord> ZoneFileReader::readRecordLine(const QString& line) {
    if (line.isEmpty() || !TextLines::isShorterThan(line, TextLines::maximumLineLength))
        return std::nullopt;
    const QString trimmed = line.trimmed();
    if (isCommentOrEmpty(trimmed))
        return std::nullopt;
    const QStringList fields = ZoneFileLexer::fields(trimmed);
    if (fields.size() < 4)
        return std::nullopt;

    const QString owner = fields.at(0) == QLatin1String("@") ? QString() : fields.at(0);
    const auto ttl = decimal(fields.at(1));
    if (!ttl || *ttl <= 0)
        return std::nullopt;
    const qsizetype t = fields.at(2).compare(QLatin1String("IN"), Qt::CaseInsensitive) == 0 ? 3 : 2;
    if (t + 1 >= fields.size())
        return std::nullopt;
    const auto type = recordTypeFromRawValue(fields.at(t).toUpper());
    if (!type)
        return std::nullopt;

    RecordOptions options;
    QString value;
    switch (*type) {
    case DNSRecordType::MX:
        if (t + 2 >= fields.size())
            return std::nullopt;
        options.priority = numberInRange(fields.at(t + 1), 0, 65535);
        if (!options.priority)
            return std::nullopt;
        value = fields.at(t + 2);
        break;
    case DNSRecordType::SRV:
        if (t + 4 >= fields.size())
            return std::nullopt;
        options.priority = numberInRange(fields.at(t + 1), 0, 65535);
        options.weight = numberInRange(fields.at(t + 2), 0, 65535);
        options.port = numberInRange(fields.at(t + 3), 1, 65535);
        if (!options.priority || !options.weight || !options.port)
            return std::nullopt;
        value = fields.at(t + 4);
        break;
    default:
        value = fields.at(t + 1);
        break;
    }
    return DNSRecord(owner, *type, value, *ttl, options);
}

std::optional<ZoneFileContent> ZoneFileReader::read(const QString& text) {
    if (!TextLines::isShorterThan(text, TextLines::maximumTextLength))
        return std::nullopt;
    const QStringList lines = TextLines::split(text);
    ZoneFileContent content;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString piece = lines.at(i).trimmed();
        if (isCommentOrEmpty(piece))
            continue;
        if (!isSOALine(piece)) {
            if (auto record = readRecordLine(piece))
                content.records.append(std::move(*record));
            continue;
        }
        content.soaLineSeen = true;
        if (ZoneFileLexer::groupDepthChange(piece) <= 0) {
            content.soa = readSOALine(piece);
            continue;
        }
        // A parenthesised SOA: read it from its lines joined into one. A
        // group that never closes leaves the SOA unreadable, and reading
        // goes on with the line after it.
        const auto group = joinGroup(lines, i);
        if (!group) {
            content.soa.reset();
            continue;
        }
        content.soa = readSOALine(group->first);
        i = group->second;
    }
    return content;
}

} // namespace korvi
