#pragma once

#include <QString>

namespace korvi {

class DNSServerManager;

// Finds out whether the server's process is running and sets the status.
class ServerStatusChecker {
public:
    static void check(DNSServerManager& manager);

private:
    static void apply(DNSServerManager& manager, bool success, const QString& output);
};

} // namespace korvi
