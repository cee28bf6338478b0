#pragma once

#include <QString>

#include "platform/SystemLayout.h"

namespace korvi {

class DNSServerManager;

// Finds out whether Homebrew, MacPorts or APT is present. The probes run on
// a worker thread; the flag, the available package manager and the result
// line are set on the main thread, while the manager exists.
class PackageManagerDetector {
public:
    enum class Kind { homebrew, macPorts, apt };

    // Starts the detection in the background and returns at once.
    static void detect(DNSServerManager& manager, Kind kind);
    // The detection itself; blocks, so call it on a worker thread.
    static bool probe(const SystemLayout& layout, Kind kind);
    // "Homebrew", "MacPorts" or "APT": the value of availablePackageManager
    // and the name in log lines.
    static QString name(Kind kind);
    // availablePackageManager from the three flags: Homebrew before MacPorts
    // before APT, else "None"; logs the choice.
    static void updateAvailable(DNSServerManager& manager);

private:
    static void apply(DNSServerManager& manager, Kind kind, bool found);
};

} // namespace korvi
