// The zone repository's side of the change history: the snapshot an applied
// change leaves. The files' texts before the change are read when it starts
// (the changes of one zone, and all zone additions and removals, run one at a
// time, so nothing else writes them meanwhile); their texts after it once it
// is applied. A change refused or rolled back keeps nothing.

#include "manager/ChangeHistory.h"
#include "manager/ZoneRepository.h"

namespace korvi {

void ZoneRepository::setHistory(ChangeHistory* history) {
    m_history = history;
}

std::shared_ptr<ChangeSnapshot> ZoneRepository::beginSnapshot(const ZonePtr& zone,
                                                              ChangeSnapshot::Kind kind,
                                                              bool withConfiguration) const {
    if (!m_history || !zone)
        return nullptr;
    auto snapshot = std::make_shared<ChangeSnapshot>();
    snapshot->zoneId = zone->id();
    snapshot->zoneName = zone->name();
    snapshot->kind = kind;
    SnapshotFile zoneFile;
    zoneFile.role = ChangeSnapshot::zoneRole();
    zoneFile.path = zone->filePath();
    zoneFile.before = fileText(zoneFile.path);
    snapshot->files.append(zoneFile);
    if (withConfiguration && !m_history->configurationPath().isEmpty()) {
        SnapshotFile configuration;
        configuration.role = ChangeSnapshot::configurationRole();
        configuration.path = m_history->configurationPath();
        configuration.before = fileText(configuration.path);
        snapshot->files.append(configuration);
    }
    return snapshot;
}

void ZoneRepository::keepSnapshot(const std::shared_ptr<ChangeSnapshot>& snapshot,
                                  const QString& summary) {
    if (!snapshot || !m_history)
        return;
    ChangeSnapshot kept = *snapshot;
    kept.summary = summary;
    for (SnapshotFile& file : kept.files)
        file.after = fileText(file.path);
    m_history->record(kept);
}

} // namespace korvi
