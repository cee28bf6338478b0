#pragma once

#include <QString>

namespace korvi {

// The last component of a path, as a file name: the text after the last "/".
// Trailing slashes are ignored, "/" stays "/", and a path without a slash is
// its own last component. The zone-file table of the configuration keys each
// zone to this name of its file.
QString lastPathComponent(const QString& path);

} // namespace korvi
