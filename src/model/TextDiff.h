#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace korvi {

// One line of a comparison: in both texts, only in the first (removed) or
// only in the second (added).
struct DiffLine {
    enum class Kind { same, removed, added };
    Kind kind = Kind::same;
    QString text;
};

// The lines of two texts compared, as the shortest edit (Myers' algorithm):
// every line of `before` and of `after` appears once, in order. Lines shared
// at the start and the end are matched first; a middle that differs in more
// than a few thousand lines is shown as removed, then added, rather than
// searched for the smallest difference.
QList<DiffLine> diffLines(const QStringList& before, const QStringList& after);

// The texts' lines (split at line feeds; a last line feed ends the last line)
// compared and printed as `diff -u` prints them: "--- beforeLabel",
// "+++ afterLabel", then hunks "@@ -l,n +l,n @@" with `context` lines of
// context. Empty when the texts are equal.
QString unifiedDiff(const QString& before, const QString& after, const QString& beforeLabel,
                    const QString& afterLabel, int context = 3);

// How many lines a comparison removes and adds.
struct DiffCounts {
    int removed = 0;
    int added = 0;
};
DiffCounts diffCounts(const QList<DiffLine>& lines);

} // namespace korvi
