#pragma once

#include <QList>
#include <QString>

#include "storage/StoredZone.h"

namespace korvi {

class PreferencesStore;

// What the preferences hold for the one-time import into the zone database:
// the zones of the stored document, read as the old store read it (the
// current form, then the older form, then the same two from the backup key).
struct PreferencesZones {
    enum class Outcome { nothing, read, unreadable };
    Outcome outcome = Outcome::nothing;
    QList<StoredZone> zones; // new zone ids; names cleaned as a zone's name is
    QList<QList<DNSRecord>> records;
    // Where the zones came from, for the log: "the current form", "the
    // backup key, older form", ...
    QString source;
    // Why the main document (and, if tried, the backup) could not be read.
    QString problem;

    qint64 recordCount() const;
};

PreferencesZones readPreferencesZones(const PreferencesStore& preferences);

} // namespace korvi
