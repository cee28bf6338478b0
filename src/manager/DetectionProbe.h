#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// The short probes of detection. They block, so they run on a worker thread
// only, never on the main thread.
class DetectionProbe {
public:
    // The first of the paths at which a file exists; empty when none does.
    static QString firstExisting(const QStringList& paths);
    // Runs the program with its output and errors in one channel and waits
    // for it. With a search path, PATH is replaced by it; otherwise the
    // application's own environment is passed on. A probe still running
    // after timeoutMs is killed. Returns the output, decoded as UTF-8 (empty
    // when undecodable), when the program started and exited with status 0,
    // and nothing otherwise.
    static std::optional<QString> run(const QString& program, const QStringList& arguments,
                                      const std::optional<QString>& searchPath, int timeoutMs);
    // The trimmed output of a successful run, or nothing when the run failed
    // or printed only white space.
    static std::optional<QString> runForText(const QString& program, const QStringList& arguments,
                                             const std::optional<QString>& searchPath,
                                             int timeoutMs);
};

} // namespace korvi
