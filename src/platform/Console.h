#pragma once

#include <QString>

namespace korvi {

// Writes one line to standard output as UTF-8 and flushes it. Safe from any
// thread; lines never interleave.
void consoleLine(const QString& line);

// Sends the console lines to standard error instead (korvictl, when its
// standard output carries a JSON document or a zone file).
void setConsoleToStandardError(bool toStandardError);

} // namespace korvi
