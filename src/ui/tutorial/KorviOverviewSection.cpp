#include "ui/tutorial/KorviOverviewSection.h"

namespace korvi {

KorviOverviewSection::KorviOverviewSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Korvi Application Overview"));
    addParagraph(tr("Korvi provides five main sections to manage your DNS server effectively:"));
    addHeading(tr("Navigation Sections"));
    addIconRows({{QStringLiteral("gauge"), tr("Dashboard"),
                  tr("Overview of server status, statistics, and quick actions")},
                 {QStringLiteral("folder"), tr("Zone Management"),
                  tr("Create, edit, and delete DNS zones for your domains")},
                 {QStringLiteral("doc.text"), tr("DNS Records"),
                  tr("Manage individual DNS records within your zones")},
                 {QStringLiteral("gearshape"), tr("Server Configuration"),
                  tr("Configure BIND server settings, forwarders, and security")},
                 {QStringLiteral("doc.plaintext"), tr("Logs"),
                  tr("View real-time DNS server logs and troubleshoot issues")}});
    addHeading(tr("Key Features"));
    addBullets({tr("• Native desktop interface that follows your system's look"),
                tr("• Real-time server status monitoring"), tr("• BIND configuration validation"),
                tr("• Import existing BIND configurations"),
                tr("• Comprehensive DNS record type support"),
                tr("• Built-in security and validation")});
}

} // namespace korvi
