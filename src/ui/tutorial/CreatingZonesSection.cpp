#include "ui/tutorial/CreatingZonesSection.h"

namespace korvi {

CreatingZonesSection::CreatingZonesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Creating DNS Zones"));
    addParagraph(QStringLiteral(
        "A DNS zone is a portion of the DNS namespace that you manage. Each zone holds the "
        "records of one domain, such as mycompany.local, and your BIND server answers for it "
        "from the zone's own file."));
    addHeading(QStringLiteral("Step-by-Step: Creating a Zone"));
    addSteps({QStringLiteral("Navigate to 'Zone Management' in the sidebar"),
              QStringLiteral("Click the 'Add Domain' button"),
              QStringLiteral("Enter your domain name (e.g., 'mycompany.local')"),
              QStringLiteral("Configure the primary name server and admin email"),
              QStringLiteral("Click 'Create Domain' to save the zone")});
    addHeading(QStringLiteral("Zone Components"));
    addItems({{QStringLiteral("SOA Record (Start of Authority)"),
               QStringLiteral("Names the primary name server and the administrator of the zone, "
                              "and holds the serial number and the timers that secondary servers "
                              "and caches follow")},
              {QStringLiteral("NS Records (Name Server)"),
               QStringLiteral("List the name servers that answer authoritatively for the zone")},
              {QStringLiteral("Zone File"),
               QStringLiteral("The file that contains all DNS records for the zone, automatically "
                              "created and managed by Korvi")}});
}

} // namespace korvi
