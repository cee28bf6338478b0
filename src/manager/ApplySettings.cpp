#include "manager/ApplySettings.h"

#include <algorithm>

#include "manager/ZoneRepository.h"
#include "platform/PreferencesStore.h"

namespace korvi {

namespace {

int storedNumber(const PreferencesStore& preferences, const QString& key, int fallback, int minimum,
                 int maximum) {
    const std::optional<QByteArray> stored = preferences.data(key);
    if (!stored)
        return fallback;
    bool ok = false;
    const int value = stored->trimmed().toInt(&ok);
    return ok && value >= minimum && value <= maximum ? value : fallback;
}

void storeNumber(PreferencesStore& preferences, const QString& key, int value, int minimum,
                 int maximum) {
    preferences.setData(key, QByteArray::number(std::clamp(value, minimum, maximum)));
    preferences.synchronize();
}

} // namespace

bool ApplySettings::batchMode(const PreferencesStore& preferences) {
    return preferences.data(modeKey()).value_or(QByteArray()) == QByteArrayLiteral("batch");
}

void ApplySettings::setBatchMode(PreferencesStore& preferences, bool batch) {
    preferences.setData(modeKey(), batch ? QByteArrayLiteral("batch") : QByteArrayLiteral("live"));
    preferences.synchronize();
}

int ApplySettings::servedLimitSeconds(const PreferencesStore& preferences) {
    return storedNumber(preferences, servedLimitKey(), defaultServedLimitSeconds,
                        minimumServedLimitSeconds, maximumServedLimitSeconds);
}

void ApplySettings::setServedLimitSeconds(PreferencesStore& preferences, int seconds) {
    storeNumber(preferences, servedLimitKey(), seconds, minimumServedLimitSeconds,
                maximumServedLimitSeconds);
}

int ApplySettings::historyPerZone(const PreferencesStore& preferences) {
    return storedNumber(preferences, historyPerZoneKey(), defaultHistoryPerZone,
                        minimumHistoryPerZone, maximumHistoryPerZone);
}

void ApplySettings::setHistoryPerZone(PreferencesStore& preferences, int count) {
    storeNumber(preferences, historyPerZoneKey(), count, minimumHistoryPerZone,
                maximumHistoryPerZone);
}

void ApplySettings::applyTo(const PreferencesStore& preferences, ZoneRepository& repository) {
    repository.setBatchMode(batchMode(preferences));
    repository.setServedLimit(servedLimitSeconds(preferences) * 1000);
}

} // namespace korvi
