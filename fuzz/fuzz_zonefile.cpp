// Feeds arbitrary bytes to the zone-file import: the master-file reader and
// the zone built from what it read.
#include <QByteArray>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

#include "model/ZoneParser.h"

using namespace korvi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // $INCLUDE reads files of the machine running the fuzzer (/dev/zero and
    // the like): the text alone is what is tested here.
    if (text.toLower().contains("$include"))
        return 0;
    static const QTemporaryDir empty;
    // A small record limit keeps $GENERATE from spending the run on one input.
    const ZoneParser parser(10000);
    const ZoneReadResult result =
        parser.readText(text, QStringLiteral("example.com"), empty.path());
    if (result.ok && result.records.size() > parser.recordLimit())
        __builtin_trap();
    return 0;
}
