#pragma once

#include <QString>

namespace korvi {

// The lines of a unified comparison (model/TextDiff.h) as HTML for a <pre>
// block: file headers gray, hunk headers blue, removed lines red, added lines
// green, the others as they are; every line ends with a line feed.
QString diffLinesHtml(const QString& unified);

} // namespace korvi
