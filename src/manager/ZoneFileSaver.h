#pragma once

#include <QString>

#include "manager/DNSServerManager.h"

namespace korvi {

// Saving a zone's file: the zone is rendered once, named-checkzone examines a
// scratch copy of exactly that text, and only text it accepts replaces the
// zone's file, atomically. The manager's saveZoneFile and validateZoneFile
// are these operations.
class ZoneFileSaver {
public:
    static void save(DNSServerManager& manager, const ZonePtr& zone);
    static void validate(DNSServerManager& manager, const QString& text, const QString& zoneName,
                         DNSServerManager::ValidationCompletion completion);

    // "<temporary directory>/db.<zone>.tmp.<UUID>", a new name every call.
    static QString temporaryPath(const QString& temporaryDirectory, const QString& zoneName);
    static QString checkCommand(const QString& zoneName, const QString& temporaryPath);

    // Creates the zone directory and its data/ folder when missing: named
    // will not start without the folder its log file goes into, and
    // named-checkconf refuses a directory option naming a missing folder.
    // Only done when the folder lies where Korvi may write.
    static void createZoneDirectory(const DNSServerManager& manager);
};

} // namespace korvi
