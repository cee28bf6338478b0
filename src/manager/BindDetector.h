#pragma once

#include <QString>

#include "platform/SystemLayout.h"

namespace korvi {

class DNSServerManager;

// Finds BIND's named and asks it for its version. The search runs on a worker
// thread; the results are applied on the main thread while the manager
// exists.
class BindDetector {
public:
    // Starts the detection in the background and returns at once.
    static void detect(DNSServerManager& manager);
    // The path of named, or empty when there is none; blocks, so call it on
    // a worker thread.
    static QString findNamed(const SystemLayout& layout);
    // The first version number on a line that mentions BIND, or "Unknown".
    static QString parseBindVersion(const QString& output);
    // BIND 9 or later.
    static bool isVersionSupported(const QString& version);

private:
    static void apply(DNSServerManager& manager, const QString& path);
    static void queryVersion(DNSServerManager& manager, const QString& path);
    static void applyVersion(DNSServerManager& manager, bool success, const QString& output);
};

} // namespace korvi
