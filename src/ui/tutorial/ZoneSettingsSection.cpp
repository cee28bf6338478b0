#include "ui/tutorial/ZoneSettingsSection.h"

namespace korvi {

ZoneSettingsSection::ZoneSettingsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Zone Settings & Configuration"));
    addParagraph(
        tr("Every zone starts with an SOA record whose settings tell other servers who is in "
           "charge of the zone and how often to look for changes."));
    addHeading(tr("SOA Record Settings"));
    addItems(
        {{tr("Primary Name Server"),
          tr("The server that holds the master copy of the zone, written as a "
             "full name such as 'ns1.example.com.'")},
         {tr("Admin Email"),
          tr("The mailbox of the person responsible for the zone, written with a "
             "dot in place of the @, such as 'admin.example.com.'")},
         {tr("Serial Number"),
          tr("The version of the zone in the form YYYYMMDDNN; Korvi advances it "
             "every time the zone changes")},
         {tr("Refresh Interval"), tr("How often secondary servers check for updates (default: 3600 "
                                     "seconds)")}});
    addHeading(tr("Best Practices"));
    addBullets({tr("• Give hosts and services short, descriptive names"),
                tr("• Keep refresh intervals between one hour and one day for most "
                   "zones"),
                tr("• Use an admin mailbox that exists and is read regularly"),
                tr("• Follow the same naming conventions in every zone"),
                tr("• Document the purpose of each zone and its important records")});
}

} // namespace korvi
