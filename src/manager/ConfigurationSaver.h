#pragma once

#include <QString>

#include "manager/DNSServerManager.h"
#include "model/NamedConfWriter.h"

namespace korvi {

// Saving named.conf: the configuration is rendered once, named-checkconf
// examines a scratch copy of exactly that text, and only text it accepts
// replaces named.conf, atomically. The manager's saveConfiguration and
// validateConfiguration are these operations.
class ConfigurationSaver {
public:
    static void save(DNSServerManager& manager);
    static void validate(DNSServerManager& manager, const QString& text,
                         DNSServerManager::ValidationCompletion completion);

    // How the manager's named.conf is written: the zone directory as
    // "directory", the BIND version detection found (empty when unknown) and
    // the layout's extra option lines.
    static NamedConfWriter::Options writerOptions(const DNSServerManager& manager);

    // "<temporary directory>/named.conf.tmp.<UUID>", a new name every call.
    static QString temporaryPath(const QString& temporaryDirectory);
    static QString checkCommand(const QString& temporaryPath);
};

} // namespace korvi
