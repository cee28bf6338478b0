#pragma once

#include <QString>

namespace korvi {

class PreferencesStore;
class ZoneRepository;

// The preferences that say how changes reach the server: applied one at a
// time or collected and applied together, how long a change waits for the
// server to serve it, and how many earlier versions of each zone file are
// kept. A value missing, unreadable or out of range reads as the default.
class ApplySettings {
public:
    static QString modeKey() { return QStringLiteral("ApplyMode"); }
    static QString servedLimitKey() { return QStringLiteral("ServedCheckLimitSeconds"); }
    static QString historyPerZoneKey() { return QStringLiteral("HistoryPerZone"); }

    static constexpr int defaultServedLimitSeconds = 10;
    static constexpr int minimumServedLimitSeconds = 1;
    static constexpr int maximumServedLimitSeconds = 60;
    static constexpr int defaultHistoryPerZone = 50;
    static constexpr int minimumHistoryPerZone = 1;
    static constexpr int maximumHistoryPerZone = 1000;

    // "batch" collects; anything else applies each change at once.
    static bool batchMode(const PreferencesStore& preferences);
    static void setBatchMode(PreferencesStore& preferences, bool batch);
    static int servedLimitSeconds(const PreferencesStore& preferences);
    // Clamped to the allowed range.
    static void setServedLimitSeconds(PreferencesStore& preferences, int seconds);
    static int historyPerZone(const PreferencesStore& preferences);
    static void setHistoryPerZone(PreferencesStore& preferences, int count);

    // The stored mode and served-check limit given to the repository (at
    // start: nothing is collected yet, so the mode is always taken).
    static void applyTo(const PreferencesStore& preferences, ZoneRepository& repository);
};

} // namespace korvi
