#include "ui/tutorial/ZoneSettingsSection.h"

namespace korvi {

ZoneSettingsSection::ZoneSettingsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Zone Settings & Configuration"));
    addParagraph(QStringLiteral(
        "Every zone starts with an SOA record whose settings tell other servers who is in "
        "charge of the zone and how often to look for changes."));
    addHeading(QStringLiteral("SOA Record Settings"));
    addItems({{QStringLiteral("Primary Name Server"),
               QStringLiteral("The server that holds the master copy of the zone, written as a "
                              "full name such as 'ns1.example.com.'")},
              {QStringLiteral("Admin Email"),
               QStringLiteral("The mailbox of the person responsible for the zone, written with a "
                              "dot in place of the @, such as 'admin.example.com.'")},
              {QStringLiteral("Serial Number"),
               QStringLiteral("The version of the zone in the form YYYYMMDDNN; Korvi advances it "
                              "every time the zone changes")},
              {QStringLiteral("Refresh Interval"),
               QStringLiteral("How often secondary servers check for updates (default: 3600 "
                              "seconds)")}});
    addHeading(QStringLiteral("Best Practices"));
    addBullets({QStringLiteral("• Give hosts and services short, descriptive names"),
                QStringLiteral("• Keep refresh intervals between one hour and one day for most "
                               "zones"),
                QStringLiteral("• Use an admin mailbox that exists and is read regularly"),
                QStringLiteral("• Follow the same naming conventions in every zone"),
                QStringLiteral("• Document the purpose of each zone and its important records")});
}

} // namespace korvi
