#include "model/TextDiff.h"

#include <algorithm>
#include <vector>

namespace korvi {

namespace {

// Beyond this many differences the middle is shown as replaced whole: the
// search keeps one row per difference, so its memory grows with their square.
constexpr int maxEdits = 4000;

// Myers' greedy search over before[b0, b1) and after[a0, a1), appending the
// edit to `out`.
void middleDiff(const QStringList& before, qsizetype b0, qsizetype b1, const QStringList& after,
                qsizetype a0, qsizetype a1, QList<DiffLine>& out) {
    const int n = int(b1 - b0);
    const int m = int(a1 - a0);
    const auto replaceWhole = [&] {
        for (qsizetype i = b0; i < b1; ++i)
            out.append({DiffLine::Kind::removed, before[i]});
        for (qsizetype j = a0; j < a1; ++j)
            out.append({DiffLine::Kind::added, after[j]});
    };
    if (n == 0 || m == 0) {
        replaceWhole();
        return;
    }
    const int limit = std::min(n + m, maxEdits);
    const int offset = limit + 1;
    std::vector<int> v(size_t(2 * limit + 3), 0);
    // The row of each step, kept for walking the path back.
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        trace.push_back(v);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)]))
                        ? v[size_t(offset + k + 1)]
                        : v[size_t(offset + k - 1)] + 1;
            int y = x - k;
            while (x < n && y < m && before[b0 + x] == after[a0 + y]) {
                ++x;
                ++y;
            }
            v[size_t(offset + k)] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) {
        replaceWhole();
        return;
    }
    // Walks back from the end, collecting the lines in reverse.
    QList<DiffLine> reversed;
    int x = n;
    int y = m;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& row = trace[size_t(d)];
        const int k = x - y;
        const bool down =
            k == -d || (k != d && row[size_t(offset + k - 1)] < row[size_t(offset + k + 1)]);
        const int prevK = down ? k + 1 : k - 1;
        const int prevX = row[size_t(offset + prevK)];
        const int prevY = prevX - prevK;
        while (x > prevX && y > prevY) {
            reversed.append({DiffLine::Kind::same, before[b0 + x - 1]});
            --x;
            --y;
        }
        if (down)
            reversed.append({DiffLine::Kind::added, after[a0 + y - 1]});
        else
            reversed.append({DiffLine::Kind::removed, before[b0 + x - 1]});
        x = prevX;
        y = prevY;
    }
    while (x > 0 && y > 0) {
        reversed.append({DiffLine::Kind::same, before[b0 + x - 1]});
        --x;
        --y;
    }
    std::reverse(reversed.begin(), reversed.end());
    out.append(reversed);
}

QStringList splitLines(const QString& text) {
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}

QString hunkRange(qsizetype start, qsizetype count) {
    // diff -u names an empty range by the line before it.
    const qsizetype first = count == 0 ? start : start + 1;
    return count == 1 ? QString::number(first)
                      : QString::number(first) + u',' + QString::number(count);
}

} // namespace

QList<DiffLine> diffLines(const QStringList& before, const QStringList& after) {
    QList<DiffLine> out;
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    out.reserve(before.size() + after.size() - prefix - suffix);
    for (qsizetype i = 0; i < prefix; ++i)
        out.append({DiffLine::Kind::same, before[i]});
    middleDiff(before, prefix, before.size() - suffix, after, prefix, after.size() - suffix, out);
    for (qsizetype i = before.size() - suffix; i < before.size(); ++i)
        out.append({DiffLine::Kind::same, before[i]});
    return out;
}

DiffCounts diffCounts(const QList<DiffLine>& lines) {
    DiffCounts counts;
    for (const DiffLine& line : lines) {
        if (line.kind == DiffLine::Kind::removed)
            ++counts.removed;
        else if (line.kind == DiffLine::Kind::added)
            ++counts.added;
    }
    return counts;
}

QString unifiedDiff(const QString& before, const QString& after, const QString& beforeLabel,
                    const QString& afterLabel, int context) {
    if (before == after)
        return {};
    const QList<DiffLine> lines = diffLines(splitLines(before), splitLines(after));
    QString out =
        QStringLiteral("--- ") + beforeLabel + QStringLiteral("\n+++ ") + afterLabel + u'\n';
    const qsizetype total = lines.size();
    qsizetype i = 0;
    // Line numbers (0-based) in each text of lines[i].
    qsizetype beforeLine = 0;
    qsizetype afterLine = 0;
    while (i < total) {
        // The next change.
        qsizetype change = i;
        qsizetype b = beforeLine;
        qsizetype a = afterLine;
        while (change < total && lines[change].kind == DiffLine::Kind::same) {
            ++change;
            ++b;
            ++a;
        }
        if (change == total)
            break;
        // The hunk starts `context` lines before it and runs until a stretch
        // of more than twice the context is unchanged.
        const qsizetype lead = std::min<qsizetype>(context, change - i);
        qsizetype start = change - lead;
        const qsizetype hunkBefore = b - lead;
        const qsizetype hunkAfter = a - lead;
        qsizetype end = change;
        qsizetype sameRun = 0;
        for (qsizetype j = change; j < total; ++j) {
            if (lines[j].kind == DiffLine::Kind::same) {
                if (++sameRun > 2 * context)
                    break;
            } else {
                sameRun = 0;
                end = j + 1;
            }
        }
        end = std::min(total, end + context);
        qsizetype beforeCount = 0;
        qsizetype afterCount = 0;
        QString body;
        for (qsizetype j = start; j < end; ++j) {
            const DiffLine& line = lines[j];
            switch (line.kind) {
            case DiffLine::Kind::same:
                body += u' ';
                ++beforeCount;
                ++afterCount;
                break;
            case DiffLine::Kind::removed:
                body += u'-';
                ++beforeCount;
                break;
            case DiffLine::Kind::added:
                body += u'+';
                ++afterCount;
                break;
            }
            body += line.text + u'\n';
        }
        out += QStringLiteral("@@ -") + hunkRange(hunkBefore, beforeCount) + QStringLiteral(" +") +
               hunkRange(hunkAfter, afterCount) + QStringLiteral(" @@\n") + body;
        beforeLine = hunkBefore + beforeCount;
        afterLine = hunkAfter + afterCount;
        i = end;
    }
    return out;
}

} // namespace korvi
