#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace korvi {

// Strict UTF-8: nothing for bytes that are not valid UTF-8 (a sequence cut
// off at the end included). A leading byte-order mark is kept as U+FEFF.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

// Reads a whole file as UTF-8 text; nothing when the file is missing, cannot
// be read, or does not hold valid UTF-8.
std::optional<QString> readTextFile(const QString& path);

} // namespace korvi
