#pragma once

#include <QString>

namespace korvi {

// Writes one line to standard output as UTF-8 and flushes it. Safe from any
// thread; lines never interleave.
void consoleLine(const QString& line);

} // namespace korvi
