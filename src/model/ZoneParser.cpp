#include "model/ZoneParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <ldns/ldns.h>

extern "C" {
#include <libknot/descriptor.h>
#include <libknot/dname.h>
#include <libknot/rrset-dump.h>
#include <libknot/rrset.h>
#include <libzscanner/scanner.h>
}

#include "model/RdataText.h"
#include "model/ZoneDirectives.h"
#include "model/ZoneRepair.h"

namespace korvi {

namespace {

// A scanner's default TTL that no file states: it marks a record that has no
// TTL of its own while no $TTL is in force (BIND then takes the last TTL
// stated, or for the SOA its minimum).
constexpr uint32_t noDefaultTTL = 0xffffffffu;

struct ScannerDeleter {
    void operator()(zs_scanner_t* s) const {
        zs_deinit(s);
        delete s;
    }
};
using Scanner = std::unique_ptr<zs_scanner_t, ScannerDeleter>;

// Record identities, drawn from the system's random source in blocks rather
// than one call per record.
class IdSource {
public:
    QUuid next() {
        if (m_used == m_block.size()) {
            QRandomGenerator::system()->fillRange(m_block.data(), m_block.size());
            m_used = 0;
        }
        quint32* w = m_block.data() + m_used;
        m_used += 4;
        uchar bytes[16];
        std::memcpy(bytes, w, 16);
        bytes[6] = (bytes[6] & 0x0f) | 0x40; // version 4
        bytes[8] = (bytes[8] & 0x3f) | 0x80; // RFC 4122 variant
        return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(bytes), 16));
    }

private:
    std::array<quint32, 4096> m_block{};
    size_t m_used = m_block.size();
};

struct ReadState {
    const ZoneParser* parser = nullptr;
    uint8_t zone[KNOT_DNAME_MAXLEN];
    int zoneLabels = 0;
    QString includeDirectory;
    ZoneReadResult* result = nullptr;
    qint64 recordCount = 0;
    bool syntaxError = false; // the scanner refused the text's syntax
    // Texts with records rewritten for the scanner (ZoneRepair), by file
    // and origin; a reading that made a new one is done again.
    QHash<QByteArray, QByteArray> repaired;
    bool readAgain = false;
    bool lastTTLKnown = false;
    uint32_t lastTTL = 0;
    IdSource ids;
};

QString scannerMessage(const zs_scanner_t* s) {
    return QString::fromUtf8(zs_strerror(s->error.code));
}

QString typeName(uint16_t type) {
    char buffer[32];
    if (knot_rrtype_to_string(type, buffer, sizeof buffer) < 0)
        return QStringLiteral("TYPE%1").arg(type);
    return QString::fromLatin1(buffer);
}

// One record as a scanner gives it: wire-form owner and data, and the TTL
// read (noDefaultTTL when the record has none and no $TTL is in force).
struct RawRecord {
    const uint8_t* owner;
    uint16_t type;
    uint32_t ttl;
    const uint8_t* data;
    uint32_t length;
};

// BIND's TTL rules for a record without a TTL of its own before any $TTL.
// `defaultTTL` is the scanner's default, which an SOA may set.
bool settleTTL(ReadState& st, const RawRecord& r, uint32_t& defaultTTL, uint32_t& ttl) {
    if (r.ttl != noDefaultTTL) {
        ttl = r.ttl;
        if (defaultTTL == noDefaultTTL) {
            st.lastTTL = ttl;
            st.lastTTLKnown = true;
        }
    } else if (st.lastTTLKnown) {
        ttl = st.lastTTL;
    } else if (r.type == KNOT_RRTYPE_SOA && r.length >= 20) {
        // An SOA without a TTL before any TTL is known takes its minimum,
        // which then also serves as the default TTL of the records after it.
        ttl = rdata::u32(r.data + r.length - 4);
        defaultTTL = ttl;
    } else {
        return false;
    }
    // As BIND: a TTL above 2^31 - 1 counts as 0.
    if (ttl > 0x7fffffffu)
        ttl = 0;
    return true;
}

void addRecord(ReadState& st, const RawRecord& r, const QString& file, qint64 line, uint32_t ttl) {
    // Names compare without regard to case.
    uint8_t owner[KNOT_DNAME_MAXLEN];
    std::memcpy(owner, r.owner, std::min<size_t>(knot_dname_size(r.owner), sizeof owner));
    knot_dname_to_lower(owner);
    const int depth = knot_dname_in_bailiwick(owner, st.zone);
    if (depth < 0) {
        st.result->outOfZone.append({file, line, rdata::absoluteName(r.owner), typeName(r.type)});
        return;
    }
    const uint8_t* d = r.data;
    const uint32_t n = r.length;
    if (r.type == KNOT_RRTYPE_SOA && depth == 0 && !st.result->soa) {
        if (auto soa = rdata::soa(d, n)) {
            soa->ttl = ttl;
            st.result->soa = *soa;
            return;
        }
    }
    DNSRecord record(st.ids.next());
    record.name = rdata::relativeName(r.owner, depth);
    record.ttl = ttl;
    if (!rdata::fill(record, r.type, d, n)) {
        knot_rrset_t rrset;
        knot_rrset_init(&rrset, const_cast<uint8_t*>(r.owner), r.type, KNOT_CLASS_IN, ttl);
        alignas(knot_rdata_t) uint8_t storage[sizeof(knot_rdata_t) + ZS_MAX_RDATA_LENGTH + 1];
        auto* rd = reinterpret_cast<knot_rdata_t*>(storage);
        knot_rdata_init(rd, static_cast<uint16_t>(n), d);
        rrset.rrs.count = 1;
        rrset.rrs.size = static_cast<uint32_t>(knot_rdata_size(static_cast<uint16_t>(n)));
        rrset.rrs.rdata = rd;
        static thread_local char text[4 * ZS_MAX_RDATA_LENGTH + 64];
        const int written =
            knot_rrset_txt_dump_data(&rrset, 0, text, sizeof text, &KNOT_DUMP_STYLE_DEFAULT);
        record.keptType = typeName(r.type);
        // The printer ends some types' data with a separator; it is not data.
        record.value = written >= 0
                           ? QString::fromUtf8(text, written).trimmed()
                           : QStringLiteral("\\# %1 %2")
                                 .arg(n)
                                 .arg(QString::fromLatin1(
                                     QByteArray(reinterpret_cast<const char*>(d), n).toHex()));
    }
    if (r.type == KNOT_RRTYPE_NSEC3 && record.value.contains(u'=')) {
        // Knot pads the next hashed owner's base32 to eight characters;
        // BIND writes it, and reads it, without padding.
        QStringList fields = record.value.split(u' ');
        if (fields.size() > 4)
            fields[4].remove(u'=');
        record.value = fields.join(u' ');
    }
    st.result->records.append(std::move(record));
}

bool readInto(ReadState& st, const QByteArray& raw, const QString& file, const QByteArray& origin,
              uint32_t defaultTTL, int depth, uint32_t* ttlAfter);

// Lines in the text, counted with memchr (QByteArray::count goes a byte at
// a time).
qint64 lineCount(const QByteArray& text) {
    qint64 lines = 1;
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end) {
        const void* found = std::memchr(p, '\n', size_t(end - p));
        if (!found)
            break;
        ++lines;
        p = static_cast<const char*>(found) + 1;
    }
    return lines;
}

bool include(ReadState& st, zs_scanner_t* s, const QString& file, qint64 line, int depth) {
    const QString name = QString::fromUtf8(s->include_filename);
    const QString path =
        QFileInfo(name).isAbsolute() ? name : QDir(st.includeDirectory).filePath(name);
    if (depth + 1 > ZoneParser::maximumIncludeDepth) {
        st.result->error = QStringLiteral("%1, line %2: $INCLUDE nested more than %3 deep")
                               .arg(file)
                               .arg(line)
                               .arg(ZoneParser::maximumIncludeDepth);
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        st.result->error = QStringLiteral("%1, line %2: the included file %3 cannot be read (%4)")
                               .arg(file)
                               .arg(line)
                               .arg(path, f.errorString());
        return false;
    }
    if (f.size() > ZoneParser::maximumFileBytes) {
        st.result->error = QStringLiteral("%1 is larger than %2 MiB, more than Korvi reads")
                               .arg(path)
                               .arg(ZoneParser::maximumFileBytes >> 20);
        return false;
    }
    uint32_t ttlAfter = s->default_ttl;
    if (!readInto(st, f.readAll(), path, QByteArray(reinterpret_cast<const char*>(s->buffer)),
                  s->default_ttl, depth + 1, &ttlAfter))
        return false;
    // BIND keeps a $TTL met in the included file after the $INCLUDE line.
    s->default_ttl = ttlAfter;
    return true;
}

bool readInto(ReadState& st, const QByteArray& raw, const QString& file, const QByteArray& origin,
              uint32_t defaultTTL, int depth, uint32_t* ttlAfter) {
    const qint64 room = st.parser->recordLimit() - st.recordCount;
    ZoneDirectives::Result text = ZoneDirectives::expand(raw, origin, room < 0 ? 0 : room);
    const QByteArray key = file.toUtf8() + '\n' + origin;
    if (const auto it = st.repaired.constFind(key); it != st.repaired.constEnd())
        text.text = *it;
    QList<qint64> errorLines; // lines of the text the scanner refused
    QStringList errors;       // the scanner's message for each
    if (!text.error.isEmpty()) {
        st.result->error =
            text.generated > room
                ? QStringLiteral("The zone holds more than %1 records, more than "
                                 "Korvi reads; it was not read")
                      .arg(st.parser->recordLimit())
                : QStringLiteral("%1, line %2: %3").arg(file).arg(text.errorLine).arg(text.error);
        return false;
    }
    // Room for a record a line up front: growing a list of this many records
    // step by step costs more than reading them.
    if (depth == 0)
        st.result->records.reserve(
            std::min<qint64>(lineCount(text.text), st.parser->recordLimit()));
    Scanner s(new zs_scanner_t);
    std::memset(s.get(), 0, sizeof(zs_scanner_t));
    if (zs_init(s.get(), origin.constData(), KNOT_CLASS_IN, defaultTTL) != 0 ||
        zs_set_input_string(s.get(), text.text.constData(), size_t(text.text.size())) != 0) {
        st.result->error = QStringLiteral("%1: %2").arg(file, scannerMessage(s.get()));
        return false;
    }
    // zs_init has already copied the origin; the default TTL it takes as given.
    for (;;) {
        if (zs_parse_record(s.get()) != 0 && s->state != ZS_STATE_ERROR) {
            st.result->error = QStringLiteral("%1: %2").arg(file, scannerMessage(s.get()));
            return false;
        }
        const qint64 line = ZoneDirectives::sourceLine(text, qint64(s->line_counter));
        switch (s->state) {
        case ZS_STATE_DATA: {
            // The scanner reads class IN only; another class is a syntax error.
            if (++st.recordCount > st.parser->recordLimit()) {
                st.result->error = QStringLiteral("The zone holds more than %1 records, more than "
                                                  "Korvi reads; it was not read")
                                       .arg(st.parser->recordLimit());
                return false;
            }
            const RawRecord r{s->r_owner, s->r_type, s->r_ttl, s->r_data, s->r_data_length};
            uint32_t ttl = 0;
            if (!settleTTL(st, r, s->default_ttl, ttl)) {
                st.result->error = QStringLiteral("%1, line %2: a record without a TTL and no "
                                                  "$TTL before it")
                                       .arg(file)
                                       .arg(line);
                return false;
            }
            addRecord(st, r, file, line, ttl);
            break;
        }
        case ZS_STATE_INCLUDE:
            if (!include(st, s.get(), file, line, depth))
                return false;
            break;
        case ZS_STATE_ERROR:
            st.syntaxError = true;
            errors.append(
                QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(scannerMessage(s.get())));
            errorLines.append(qint64(s->line_counter));
            // The scanner goes on after a record it refuses, so that every
            // such record of the file can be rewritten in one go.
            if (!s->error.fatal && errorLines.size() < 10000)
                break;
            [[fallthrough]];
        case ZS_STATE_EOF:
        case ZS_STATE_STOP:
            if (!errorLines.isEmpty()) {
                // An error the scanner cannot go on from may follow from a
                // record it skipped before: the rewrite is tried all the same.
                QByteArray repaired = text.text;
                qint64 unrepaired = 0;
                if (ZoneRepair::repair(repaired, errorLines, origin, &unrepaired)) {
                    st.repaired.insert(key, repaired);
                    st.readAgain = true;
                }
                const qsizetype at = errorLines.indexOf(unrepaired);
                st.result->error = errors.at(at < 0 ? 0 : at);
                return false;
            }
            *ttlAfter = s->default_ttl;
            return true;
        default:
            break;
        }
    }
}

// The same reading with NLnet Labs' ldns, for text whose syntax Knot's
// scanner refuses but BIND takes (older record types, base64 split anywhere,
// looser host names). Text with $INCLUDE is not read this way: ldns leaves
// includes to its caller without naming the file.
bool readWithLdns(ReadState& st, const QByteArray& raw, const QString& file,
                  const QByteArray& origin) {
    const ZoneDirectives::Result text =
        ZoneDirectives::expand(raw, origin, st.parser->recordLimit());
    if (!text.error.isEmpty() || text.text.isEmpty())
        return false;
    FILE* fp = fmemopen(const_cast<char*>(text.text.constData()), size_t(text.text.size()), "r");
    if (!fp)
        return false;
    uint32_t defaultTTL = noDefaultTTL;
    ldns_rdf* originName = ldns_dname_new_frm_str(origin.constData());
    ldns_rdf* previous = nullptr;
    ldns_buffer* buffer = ldns_buffer_new(65536);
    int line = 0;
    bool ok = originName && buffer;
    while (ok && !std::feof(fp)) {
        ldns_rr* rr = nullptr;
        const ldns_status status =
            ldns_rr_new_frm_fp_l(&rr, fp, &defaultTTL, &originName, &previous, &line);
        if (status == LDNS_STATUS_SYNTAX_EMPTY || status == LDNS_STATUS_SYNTAX_TTL ||
            status == LDNS_STATUS_SYNTAX_ORIGIN)
            continue;
        // ldns takes a type name it does not know for type 0, and reads the
        // value lists of SVCB and HTTPS with other escapes than BIND: such
        // text is left refused rather than read differently.
        const ldns_rr_type type = status == LDNS_STATUS_OK ? ldns_rr_get_type(rr) : ldns_rr_type(0);
        if (status != LDNS_STATUS_OK || ldns_rr_get_class(rr) != LDNS_RR_CLASS_IN || type == 0 ||
            type == LDNS_RR_TYPE_SVCB || type == LDNS_RR_TYPE_HTTPS ||
            ++st.recordCount > st.parser->recordLimit()) {
            ldns_rr_free(rr);
            ok = false;
            break;
        }
        ldns_buffer_clear(buffer);
        ok = ldns_rr_rdata2buffer_wire(buffer, rr) == LDNS_STATUS_OK;
        const RawRecord r{ldns_rdf_data(ldns_rr_owner(rr)), uint16_t(ldns_rr_get_type(rr)),
                          ldns_rr_ttl(rr), ldns_buffer_begin(buffer),
                          uint32_t(ldns_buffer_position(buffer))};
        uint32_t ttl = 0;
        if (ok && (ok = settleTTL(st, r, defaultTTL, ttl)))
            addRecord(st, r, file, ZoneDirectives::sourceLine(text, line), ttl);
        ldns_rr_free(rr);
    }
    ldns_buffer_free(buffer);
    ldns_rdf_deep_free(originName);
    ldns_rdf_deep_free(previous);
    std::fclose(fp);
    return ok;
}

} // namespace

ZoneReadResult ZoneParser::readFile(const QString& path, const QString& zoneName,
                                    const QString& includeDirectory) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ZoneReadResult result;
        result.error =
            QStringLiteral("The zone file %1 cannot be read (%2)").arg(path, f.errorString());
        return result;
    }
    if (f.size() > maximumFileBytes) {
        ZoneReadResult result;
        result.error = QStringLiteral("%1 is larger than %2 MiB, more than Korvi reads")
                           .arg(path)
                           .arg(maximumFileBytes >> 20);
        return result;
    }
    const QString directory =
        includeDirectory.isEmpty() ? QFileInfo(path).absolutePath() : includeDirectory;
    return readText(f.readAll(), zoneName, directory, path);
}

ZoneReadResult ZoneParser::readText(const QByteArray& text, const QString& zoneName,
                                    const QString& includeDirectory,
                                    const QString& fileName) const {
    ZoneReadResult result;
    auto st = std::make_unique<ReadState>();
    st->parser = this;
    st->result = &result;
    st->includeDirectory = includeDirectory;
    QByteArray origin = zoneName.toUtf8();
    if (!origin.endsWith('.'))
        origin += '.';
    if (knot_dname_from_str(st->zone, origin.constData(), sizeof st->zone) == nullptr) {
        result.error = QStringLiteral("\"%1\" is not a zone name").arg(zoneName);
        return result;
    }
    knot_dname_to_lower(st->zone);
    uint32_t ttlAfter = 0;
    bool read = readInto(*st, text, fileName, origin, noDefaultTTL, 0, &ttlAfter);
    // Records the scanner refused and ZoneRepair rewrote: read again with
    // the rewritten text, a few times at most (a rewrite can uncover the
    // next refusal only in a record it did not touch).
    for (int pass = 0; !read && st->readAgain && pass < 4; ++pass) {
        auto again = std::make_unique<ReadState>();
        again->parser = this;
        again->includeDirectory = includeDirectory;
        std::memcpy(again->zone, st->zone, sizeof st->zone);
        again->repaired = std::move(st->repaired);
        st = std::move(again);
        result = ZoneReadResult{};
        st->result = &result;
        read = readInto(*st, text, fileName, origin, noDefaultTTL, 0, &ttlAfter);
    }
    if (!read) {
        if (st->syntaxError && !text.toUpper().contains("$INCLUDE")) {
            ZoneReadResult second;
            auto again = std::make_unique<ReadState>();
            again->parser = this;
            again->result = &second;
            std::memcpy(again->zone, st->zone, sizeof st->zone);
            if (readWithLdns(*again, text, fileName, origin)) {
                second.ok = true;
                return second;
            }
        }
        result.soa.reset();
        result.records.clear();
        result.outOfZone.clear();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace korvi
