#include "model/ZoneRepair.h"

#include <ldns/ldns.h>

#include <algorithm>
#include <optional>

extern "C" {
#include <libknot/descriptor.h>
#include <libknot/dname.h>
}

#include "model/ZoneDirectives.h"

namespace korvi {

namespace {

struct Token {
    qsizetype begin;
    qsizetype end;
};

// One record as written: its tokens (quoted strings whole, comments and
// parentheses left out) and where it starts and ends.
struct Record {
    qsizetype begin = 0;
    qint64 firstLine = 0;
    qint64 lastLine = 0;
    bool hasOwner = false; // the first token stands in the first column
    QList<Token> tokens;
};

struct Replacement {
    qsizetype begin;
    qsizetype end;
    QByteArray text;
};

// Type names BIND knows that neither Knot nor ldns does, with their numbers.
std::optional<uint16_t> bindOnlyType(const QByteArray& name) {
    if (name == "HHIT")
        return 67;
    if (name == "BRID")
        return 68;
    return std::nullopt;
}

bool isTTL(const QByteArray& token) {
    if (token.isEmpty() || token.front() < '0' || token.front() > '9')
        return false;
    return std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= '0' && c <= '9') || QByteArray("smhdwSMHDW").contains(c);
    });
}

bool isClass(const QByteArray& upper) {
    return upper == "IN" || upper == "CH" || upper == "HS" || upper == "NONE" || upper == "ANY" ||
           upper.startsWith("CLASS");
}

// The record's data in the generic form, as ldns reads it; nothing when ldns
// does not take it or reads the type differently from BIND.
std::optional<QByteArray> genericData(uint16_t type, const QByteArray& typeName,
                                      const QByteArray& data, const QByteArray& origin) {
    if (type == 0 || type == KNOT_RRTYPE_SVCB || type == KNOT_RRTYPE_HTTPS)
        return std::nullopt;
    ldns_rdf* originName = ldns_dname_new_frm_str(origin.constData());
    const QByteArray line = "@ 0 IN " + typeName + ' ' + data;
    ldns_rr* rr = nullptr;
    const ldns_status status = ldns_rr_new_frm_str(&rr, line.constData(), 0, originName, nullptr);
    std::optional<QByteArray> out;
    if (status == LDNS_STATUS_OK && ldns_rr_get_type(rr) == type) {
        ldns_buffer* buffer = ldns_buffer_new(65536);
        if (buffer && ldns_rr_rdata2buffer_wire(buffer, rr) == LDNS_STATUS_OK) {
            const QByteArray wire(reinterpret_cast<const char*>(ldns_buffer_begin(buffer)),
                                  qsizetype(ldns_buffer_position(buffer)));
            out = "\\# " + QByteArray::number(wire.size()) + ' ' + wire.toHex();
        }
        ldns_buffer_free(buffer);
    }
    ldns_rr_free(rr);
    ldns_rdf_deep_free(originName);
    return out;
}

// NXT data (an obsolete type neither library reads): the next name, then a
// bitmap of the types below 128 with bit n set for type n. With the name
// alone, NSAP-PTR data.
std::optional<QByteArray> nxtData(const QList<QByteArray>& data, const QByteArray& origin) {
    if (data.isEmpty())
        return std::nullopt;
    const QByteArray name = ZoneDirectives::absolute(data.front(), origin);
    uint8_t wire[KNOT_DNAME_MAXLEN];
    if (knot_dname_from_str(wire, name.constData(), sizeof wire) == nullptr)
        return std::nullopt;
    QByteArray bitmap;
    for (qsizetype k = 1; k < data.size(); ++k) {
        uint16_t type = 0;
        bool number = false;
        const uint n = data.at(k).toUInt(&number);
        if (number)
            type = uint16_t(n);
        else if (knot_rrtype_from_string(data.at(k).toUpper().constData(), &type) != 0)
            type = uint16_t(ldns_get_rr_type_by_name(data.at(k).constData()));
        if (type == 0 || type >= 128)
            return std::nullopt;
        if (bitmap.size() <= type / 8)
            bitmap.resize(type / 8 + 1, '\0');
        bitmap[type / 8] = char(uchar(bitmap.at(type / 8)) | (0x80 >> (type % 8)));
    }
    const QByteArray bytes =
        QByteArray(reinterpret_cast<const char*>(wire), knot_dname_size(wire)) + bitmap;
    return "\\# " + QByteArray::number(bytes.size()) + ' ' + bytes.toHex();
}

// The rewrite of one record, or nothing when none is known.
std::optional<QList<Replacement>> repairRecord(const QByteArray& text, const Record& r,
                                               const QByteArray& origin) {
    const auto tokenText = [&](const Token& t) { return text.mid(t.begin, t.end - t.begin); };
    qsizetype i = r.hasOwner ? 1 : 0;
    QList<Replacement> out;
    for (; i < r.tokens.size(); ++i) {
        const QByteArray field = tokenText(r.tokens.at(i)).toUpper();
        if (field == "CLASS1")
            out.append({r.tokens.at(i).begin, r.tokens.at(i).end, "IN"});
        else if (!isTTL(field) && !isClass(field))
            break;
    }
    if (i >= r.tokens.size())
        return std::nullopt;
    const Token typeToken = r.tokens.at(i);
    const QByteArray typeName = tokenText(typeToken).toUpper();
    const QList<Token> data = r.tokens.mid(i + 1);
    const bool generic = !data.isEmpty() && tokenText(data.front()) == "\\#";
    const auto isNumber = [](const QByteArray& t) {
        return !t.isEmpty() &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (generic && typeName == "TXT" && (data.size() < 2 || !isNumber(tokenText(data.at(1))))) {
        // "\#" not followed by a length is text: BIND reads it as "#".
        out.append({data.front().begin, data.front().end, "\"\\#\""});
        return out;
    }
    QByteArray dataText;
    for (const Token& t : data)
        dataText += (dataText.isEmpty() ? "" : " ") + tokenText(t);

    uint16_t type = 0;
    const bool knotKnows = knot_rrtype_from_string(typeName.constData(), &type) == 0;
    if (knotKnows && typeName.startsWith("TYPE") && !generic) {
        // A type Knot knows, written by number with its ordinary data.
        char name[32];
        if (knot_rrtype_to_string(type, name, sizeof name) > 0 &&
            !QByteArray(name).startsWith("TYPE")) {
            out.append({typeToken.begin, typeToken.end, name});
            return out;
        }
    }
    if (knotKnows && type == KNOT_RRTYPE_NSEC3 && data.size() > 4) {
        // BIND takes the next hashed owner without base32 padding.
        const Token hash = data.at(4);
        if ((hash.end - hash.begin) % 8 != 0) {
            out.append({hash.end, hash.end, QByteArray(8 - (hash.end - hash.begin) % 8, '=')});
            return out;
        }
    }
    if (knotKnows && (type == KNOT_RRTYPE_SVCB || type == KNOT_RRTYPE_HTTPS)) {
        // "dohpath" is BIND's name for key 7.
        for (const Token& t : data) {
            if (tokenText(t).toLower().startsWith("dohpath="))
                out.append({t.begin, t.begin + 7, "key7"});
        }
        return out.isEmpty() ? std::nullopt : std::optional(out);
    }
    if (!knotKnows) {
        if (const auto number = bindOnlyType(typeName))
            type = *number;
        else
            type = uint16_t(ldns_get_rr_type_by_name(typeName.constData()));
        if (type == 0)
            return std::nullopt;
        if (generic) {
            out.append({typeToken.begin, typeToken.end, "TYPE" + QByteArray::number(type)});
            return out;
        }
    }
    if (generic) {
        // Data in the generic form under a name the scanner does not read.
        if (!typeName.startsWith("TYPE"))
            out.append({typeToken.begin, typeToken.end, "TYPE" + QByteArray::number(type)});
        return out.isEmpty() ? std::nullopt : std::optional(out);
    }
    // Anything else: the data as ldns reads it, in the generic form. The
    // line breaks of the record stay inside parentheses.
    QList<QByteArray> words;
    for (const Token& t : data)
        words.append(tokenText(t));
    // NXT and NSAP-PTR: ldns reads neither as BIND does (NSAP-PTR's name as
    // a string), so their data is put together here.
    constexpr uint16_t nsapPtr = 23;
    const auto wire = type == KNOT_RRTYPE_NXT || type == nsapPtr
                          ? nxtData(words, origin)
                          : genericData(type, typeName, dataText, origin);
    if (!wire)
        return std::nullopt;
    const qsizetype end = data.isEmpty() ? typeToken.end : data.back().end;
    // Line breaks and parentheses of the old data are kept, so that the
    // record still ends where it did and line numbers stay right.
    int opens = 0, closes = 0, breaks = 0;
    for (qsizetype k = typeToken.begin; k < end; ++k) {
        const char c = text.at(k);
        if (c == '\\')
            ++k;
        else if (c == '"')
            while (++k < end && text.at(k) != '"')
                k += text.at(k) == '\\' ? 1 : 0;
        else if (c == ';')
            while (k + 1 < end && text.at(k + 1) != '\n')
                ++k;
        else
            opens += c == '(', closes += c == ')', breaks += c == '\n';
    }
    QByteArray replacement = "TYPE" + QByteArray::number(type) + ' ' + *wire;
    if (opens + closes + breaks > 0)
        replacement +=
            ' ' + QByteArray(opens, '(') + QByteArray(breaks, '\n') + QByteArray(closes, ')');
    out.append({typeToken.begin, end, replacement});
    return out;
}

} // namespace

bool ZoneRepair::repair(QByteArray& text, const QList<qint64>& lines, const QByteArray& origin,
                        qint64* unrepaired) {
    QList<Replacement> replacements;
    QByteArray current = origin;
    Record record;
    qint64 line = 1;
    int depth = 0;
    bool ok = true;
    const auto finish = [&] {
        if (record.tokens.isEmpty())
            return;
        const QByteArray first = text.mid(record.tokens.front().begin,
                                          record.tokens.front().end - record.tokens.front().begin);
        if (record.hasOwner && first.startsWith('$')) {
            if (first.toUpper() == "$ORIGIN" && record.tokens.size() > 1) {
                const Token& t = record.tokens.at(1);
                current = ZoneDirectives::absolute(text.mid(t.begin, t.end - t.begin), current);
            }
            return;
        }
        const bool wanted = std::any_of(lines.begin(), lines.end(), [&](qint64 l) {
            return l >= record.firstLine && l <= record.lastLine;
        });
        if (!wanted)
            return;
        if (const auto fix = repairRecord(text, record, current); fix && !fix->isEmpty()) {
            replacements.append(*fix);
        } else {
            ok = false;
            if (unrepaired)
                *unrepaired = *std::find_if(lines.begin(), lines.end(), [&](qint64 l) {
                    return l >= record.firstLine && l <= record.lastLine;
                });
        }
    };
    const auto start = [&](qsizetype at) {
        finish();
        record = Record{};
        record.begin = at;
        record.firstLine = record.lastLine = line;
        record.hasOwner = at < text.size() && text.at(at) != ' ' && text.at(at) != '\t';
    };
    start(0);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && ok) {
        const char c = text.at(i);
        if (c == '\n') {
            ++line;
            ++i;
            if (depth == 0)
                start(i);
            else
                record.lastLine = line;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ';') {
            while (i < n && text.at(i) != '\n')
                ++i;
        } else if (c == '(' || c == ')') {
            depth = std::max(0, depth + (c == '(' ? 1 : -1));
            ++i;
        } else {
            const qsizetype begin = i;
            const bool quoted = c == '"';
            i += quoted ? 1 : 0;
            while (i < n) {
                const char d = text.at(i);
                if (d == '\\') {
                    i += 2;
                    continue;
                }
                if (quoted ? d == '"'
                           : (d == ' ' || d == '\t' || d == '\r' || d == '\n' || d == ';' ||
                              d == '(' || d == ')' || d == '"'))
                    break;
                if (d == '\n')
                    ++line;
                ++i;
            }
            if (quoted && i < n)
                ++i;
            record.tokens.append({begin, std::min(i, n)});
            record.lastLine = line;
        }
    }
    if (ok)
        finish();
    if (!ok || replacements.isEmpty())
        return false;
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.begin > b.begin; });
    for (const Replacement& r : replacements)
        text.replace(r.begin, r.end - r.begin, r.text);
    return true;
}

} // namespace korvi
