#pragma once

namespace korvi {

// The main window's sections, in the sidebar's order.
enum class Section {
    dashboard,
    zoneManagement,
    dnsRecords,
    serverConfiguration,
    secondaries,
    logs,
    history,
    lookup,
    tutorial,
};

constexpr int sectionCount = int(Section::tutorial) + 1;

} // namespace korvi
