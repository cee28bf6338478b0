// Feeds arbitrary text to the named.conf reader: the parser, the reading of
// zones and settings, and the configuration they are applied to. What the
// reader accepted and Korvi then writes must read back without error.
#include <QString>

#include <cstddef>
#include <cstdint>

#include "model/BindConfigParser.h"
#include "model/BindConfigReader.h"
#include "model/DNSConfiguration.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    BindConfigReading reading = BindConfigReader::fromCheckconfOutput(text);
    if (!reading.read)
        return 0;
    for (ConfiguredZone& zone : reading.zones) {
        zone.ownedByKorvi = true;
        (void)zone.key();
        (void)zoneTypeName(zone.type);
    }
    DNSConfiguration configuration;
    BindConfigReader::apply(reading, configuration);
    const BindConfigParser::Result written = BindConfigParser::parse(configuration.namedConfText());
    if (!written.ok())
        __builtin_trap();
    return 0;
}
