#include "model/RdataText.h"

#include <charconv>

#include <arpa/inet.h>

#include <string>

namespace korvi::rdata {

namespace {

constexpr uint16_t typeA = 1, typeNS = 2, typeCNAME = 5, typeSOA = 6, typePTR = 12, typeMX = 15,
                   typeTXT = 16, typeAAAA = 28, typeSRV = 33, typeSSHFP = 44, typeTLSA = 52,
                   typeCAA = 257;

// The text of one field is built here and then copied into its QString: a
// zone of 100,000 records would otherwise allocate and free a buffer for
// every name and string in it.
std::string& scratch() {
    static thread_local std::string buffer;
    buffer.clear();
    return buffer;
}

void appendDecimalEscape(std::string& out, uint8_t c) {
    out += '\\';
    out += char('0' + c / 100);
    out += char('0' + c / 10 % 10);
    out += char('0' + c % 10);
}

void appendLabel(std::string& out, const uint8_t* label, int length) {
    for (int i = 0; i < length; ++i) {
        const uint8_t c = label[i];
        switch (c) {
        case '.':
        case ';':
        case '(':
        case ')':
        case '"':
        case '\\':
        case '@':
        case '$':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x21 || c > 0x7e)
                appendDecimalEscape(out, c);
            else
                out += char(c);
        }
    }
}

// Length of the wire name at `data` within `length` bytes; 0 when malformed.
uint32_t nameLength(const uint8_t* data, uint32_t length) {
    uint32_t at = 0;
    while (at < length) {
        const uint8_t n = data[at];
        if (n == 0)
            return at + 1;
        if (n > 63)
            return 0;
        at += 1 + n;
    }
    return 0;
}

// The length of a valid UTF-8 sequence for a printable code point at p, or 0.
int utf8Sequence(const uint8_t* p, const uint8_t* end) {
    const uint8_t c = p[0];
    int n = 0;
    uint32_t cp = 0;
    if (c >= 0xc2 && c <= 0xdf) {
        n = 2;
        cp = c & 0x1f;
    } else if (c >= 0xe0 && c <= 0xef) {
        n = 3;
        cp = c & 0x0f;
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xc0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3f);
    }
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xd800 && cp <= 0xdfff;
    // C1 controls and the line and paragraph separators stay escaped.
    const bool control = cp < 0xa0 || cp == 0x2028 || cp == 0x2029 || cp > 0x10ffff;
    return overlong || surrogate || control ? 0 : n;
}

QString hex(const uint8_t* data, uint32_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string& out = scratch();
    out.resize(size_t(length) * 2);
    for (uint32_t i = 0; i < length; ++i) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 0x0f];
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

std::optional<QString> nameField(const uint8_t* data, uint32_t length) {
    if (nameLength(data, length) != length)
        return std::nullopt;
    return absoluteName(data);
}

// The host name that follows `fixed` bytes of numbers.
std::optional<QString> nameAfter(const uint8_t* data, uint32_t length, uint32_t fixed) {
    if (length <= fixed)
        return std::nullopt;
    return nameField(data + fixed, length - fixed);
}

} // namespace

QString absoluteName(const uint8_t* name) {
    if (name[0] == 0)
        return QStringLiteral(".");
    std::string& out = scratch();
    for (const uint8_t* p = name; *p != 0; p += 1 + *p) {
        appendLabel(out, p + 1, *p);
        out += '.';
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString relativeName(const uint8_t* name, int labels) {
    std::string& out = scratch();
    const uint8_t* p = name;
    for (int i = 0; i < labels && *p != 0; ++i, p += 1 + *p) {
        if (i > 0)
            out += '.';
        appendLabel(out, p + 1, *p);
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

std::optional<SOARecord> soa(const uint8_t* data, uint32_t length) {
    const uint32_t m = nameLength(data, length);
    if (m == 0)
        return std::nullopt;
    const uint32_t r = nameLength(data + m, length - m);
    if (r == 0 || length - m - r != 20)
        return std::nullopt;
    const uint8_t* t = data + m + r;
    SOARecord s;
    s.primaryNameServer = absoluteName(data);
    s.adminEmail = absoluteName(data + m);
    s.serial = u32(t);
    s.refresh = u32(t + 4);
    s.retry = u32(t + 8);
    s.expire = u32(t + 12);
    s.minimum = u32(t + 16);
    return s;
}

std::optional<QString> characterStrings(const uint8_t* data, uint32_t length) {
    std::string& out = scratch();
    out.reserve(length + 8);
    const uint8_t* p = data;
    const uint8_t* end = data + length;
    if (p == end)
        return std::nullopt;
    while (p < end) {
        const uint8_t n = *p++;
        if (end - p < n)
            return std::nullopt;
        if (!out.empty())
            out += ' ';
        out += '"';
        const uint8_t* stop = p + n;
        while (p < stop) {
            const uint8_t c = *p;
            if (c == '"' || c == '\\') {
                out += '\\';
                out += char(c);
                ++p;
            } else if (c >= 0x20 && c <= 0x7e) {
                out += char(c);
                ++p;
            } else if (const int seq = c >= 0x80 ? utf8Sequence(p, stop) : 0; seq > 0) {
                out.append(reinterpret_cast<const char*>(p), size_t(seq));
                p += seq;
            } else {
                appendDecimalEscape(out, c);
                ++p;
            }
        }
        out += '"';
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

bool fill(DNSRecord& r, uint16_t type, const uint8_t* d, uint32_t n) {
    char address[INET6_ADDRSTRLEN];
    switch (type) {
    case typeA: {
        if (n != 4)
            return false;
        // Four numbers and three dots; inet_ntop goes through printf for it.
        char* out = address;
        for (uint32_t i = 0; i < 4; ++i) {
            if (i > 0)
                *out++ = '.';
            out = std::to_chars(out, address + sizeof address, unsigned(d[i])).ptr;
        }
        r.type = DNSRecordType::A;
        r.value = QString::fromLatin1(address, out - address);
        return true;
    }
    case typeAAAA:
        if (n != 16 || !inet_ntop(AF_INET6, d, address, sizeof address))
            return false;
        r.type = DNSRecordType::AAAA;
        r.value = QString::fromLatin1(address);
        return true;
    case typeCNAME:
    case typeNS:
    case typePTR: {
        const auto name = nameField(d, n);
        if (!name)
            return false;
        r.type = type == typeCNAME ? DNSRecordType::CNAME
                 : type == typeNS  ? DNSRecordType::NS
                                   : DNSRecordType::PTR;
        r.value = *name;
        return true;
    }
    case typeMX: {
        const auto name = nameAfter(d, n, 2);
        if (!name)
            return false;
        r.type = DNSRecordType::MX;
        r.priority = u16(d);
        r.value = *name;
        return true;
    }
    case typeSRV: {
        const auto name = nameAfter(d, n, 6);
        if (!name)
            return false;
        r.type = DNSRecordType::SRV;
        r.priority = u16(d);
        r.weight = u16(d + 2);
        r.port = u16(d + 4);
        r.value = *name;
        return true;
    }
    case typeTXT: {
        auto text = characterStrings(d, n);
        if (!text)
            return false;
        r.type = DNSRecordType::TXT;
        r.value = std::move(*text);
        return true;
    }
    case typeCAA: {
        if (n < 2 || d[1] == 0 || n < 2u + d[1])
            return false;
        const uint8_t* tag = d + 2;
        for (int i = 0; i < d[1]; ++i) {
            const char c = char(tag[i]);
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                return false;
        }
        // The value is held as text; only valid UTF-8 without control
        // characters can be, anything else is kept as it is.
        const uint8_t* p = tag + d[1];
        const uint8_t* end = d + n;
        for (const uint8_t* q = p; q < end;) {
            if (*q >= 0x20 && *q <= 0x7e)
                ++q;
            else if (const int seq = utf8Sequence(q, end); seq > 0)
                q += seq;
            else
                return false;
        }
        r.type = DNSRecordType::CAA;
        r.flag = d[0];
        r.tag = QString::fromLatin1(reinterpret_cast<const char*>(tag), d[1]);
        r.value = QString::fromUtf8(reinterpret_cast<const char*>(p), end - p);
        return true;
    }
    case typeSSHFP:
        if (n < 3)
            return false;
        r.type = DNSRecordType::SSHFP;
        r.algorithm = d[0];
        r.digestType = d[1];
        r.value = hex(d + 2, n - 2);
        return true;
    case typeTLSA:
        if (n < 4)
            return false;
        r.type = DNSRecordType::TLSA;
        r.usage = d[0];
        r.selector = d[1];
        r.digestType = d[2];
        r.value = hex(d + 3, n - 3);
        return true;
    default:
        (void)typeSOA;
        return false;
    }
}

} // namespace korvi::rdata
