#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi::rdata {

// Record data in wire form (as the zone scanner gives it) turned into
// Korvi's fields. Names come out in master-file presentation form, with
// BIND's escapes: "\X" for . ; ( ) " \ @ $ and "\DDD" for bytes that are not
// printable ASCII.

inline uint16_t u16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
inline uint32_t u32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// A wire name as absolute text ("www.example.com.", "." for the root).
QString absoluteName(const uint8_t* name);
// The first `labels` labels of a wire name, joined by dots; "" for none.
QString relativeName(const uint8_t* name, int labels);

// The SOA data, or nothing when it is malformed.
std::optional<SOARecord> soa(const uint8_t* data, uint32_t length);

// Fills the record's type, value and fields for the types Korvi edits. False
// for any other type and for data those fields cannot hold exactly (the
// record is then kept as presentation text).
bool fill(DNSRecord& record, uint16_t type, const uint8_t* data, uint32_t length);

// The character strings of TXT data in presentation form: each in double
// quotes, separated by one space; '"' and '\' escaped, bytes that are not
// printable and not part of valid UTF-8 text as "\DDD".
std::optional<QString> characterStrings(const uint8_t* data, uint32_t length);

} // namespace korvi::rdata
