#pragma once

#include <QString>

namespace korvi {

// Korvi's own folder for scratch copies below a temporary directory:
// "<base>/korvi-<uid>/<pid>", one subfolder per running Korvi. A copy left
// behind by a Korvi that crashed stays in its own subfolder, and the next
// Korvi removes the subfolders of processes that no longer run, and only
// those.
class ScratchFolder {
public:
    explicit ScratchFolder(const QString& base);
    // Removes this process's subfolder if it is empty.
    ~ScratchFolder();

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // This process's subfolder; made on first use. The base itself is never
    // made: a missing base makes writes into the folder fail.
    QString path() const;
    // Makes "<base>/korvi-<uid>" (owner only) and this process's subfolder
    // when missing; false when they cannot be made or the user's folder is
    // not the user's own. Safe from any thread: a copy is written off the
    // main thread right after this, since another scratch folder object of
    // this process may have removed the folder while it was empty.
    static bool prepare(const QString& base);

    // Removes every "<base>/korvi-<uid>/<pid>" whose process no longer runs.
    // Returns how many were removed.
    static int removeStale(const QString& base);
    // "<base>/korvi-<uid>".
    static QString userFolder(const QString& base);
    // Whether a process with this id exists (it may belong to anyone).
    static bool processRuns(qint64 pid);

private:
    QString m_base;
};

} // namespace korvi
