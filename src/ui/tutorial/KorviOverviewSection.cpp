#include "ui/tutorial/KorviOverviewSection.h"

namespace korvi {

KorviOverviewSection::KorviOverviewSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Korvi Application Overview"));
    addParagraph(
        QStringLiteral("Korvi provides five main sections to manage your DNS server effectively:"));
    addHeading(QStringLiteral("Navigation Sections"));
    addIconRows({{QStringLiteral("gauge"), QStringLiteral("Dashboard"),
                  QStringLiteral("Overview of server status, statistics, and quick actions")},
                 {QStringLiteral("folder"), QStringLiteral("Zone Management"),
                  QStringLiteral("Create, edit, and delete DNS zones for your domains")},
                 {QStringLiteral("doc.text"), QStringLiteral("DNS Records"),
                  QStringLiteral("Manage individual DNS records within your zones")},
                 {QStringLiteral("gearshape"), QStringLiteral("Server Configuration"),
                  QStringLiteral("Configure BIND server settings, forwarders, and security")},
                 {QStringLiteral("doc.plaintext"), QStringLiteral("Logs"),
                  QStringLiteral("View real-time DNS server logs and troubleshoot issues")}});
    addHeading(QStringLiteral("Key Features"));
    addBullets({QStringLiteral("• Native desktop interface that follows your system's look"),
                QStringLiteral("• Real-time server status monitoring"),
                QStringLiteral("• BIND configuration validation"),
                QStringLiteral("• Import existing BIND configurations"),
                QStringLiteral("• Comprehensive DNS record type support"),
                QStringLiteral("• Built-in security and validation")});
}

} // namespace korvi
