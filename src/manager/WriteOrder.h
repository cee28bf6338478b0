#pragma once

#include <QHash>
#include <QString>

namespace korvi {

// Keeps the checked saves of each file in the order they were started. Their
// checks run side by side and may finish in any order; a save whose text is
// older than the one already written must not replace it. One table per
// saver, used on the main thread only.
class WriteOrder {
public:
    // Numbers a save of the file as it starts.
    quint64 begin(const QString& path);
    // Whether the save with this number may write now: no later save of the
    // file has written yet. A save that may write is counted as written.
    bool mayWrite(const QString& path, quint64 number);

private:
    struct Counters {
        quint64 started = 0;
        quint64 written = 0;
    };
    QHash<QString, Counters> m_counters;
};

} // namespace korvi
