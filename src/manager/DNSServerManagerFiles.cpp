// DNSServerManager: writing zone files and named.conf. A file is written only
// after BIND's checker has accepted a scratch copy of exactly the same text;
// see ZoneFileSaver and ConfigurationSaver.

#include "manager/DNSServerManager.h"

#include "manager/ConfigurationSaver.h"
#include "manager/ZoneFileSaver.h"

namespace korvi {

void DNSServerManager::saveZoneFile(const ZonePtr& zone) {
    ZoneFileSaver::save(*this, zone);
}

void DNSServerManager::validateZoneFile(const QString& text, const QString& zoneName,
                                        ValidationCompletion completion) {
    ZoneFileSaver::validate(*this, text, zoneName, std::move(completion));
}

void DNSServerManager::saveConfiguration() {
    ConfigurationSaver::save(*this);
}

void DNSServerManager::validateConfiguration(const QString& text, ValidationCompletion completion) {
    ConfigurationSaver::validate(*this, text, std::move(completion));
}

} // namespace korvi
