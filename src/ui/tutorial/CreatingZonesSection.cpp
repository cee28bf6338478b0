#include "ui/tutorial/CreatingZonesSection.h"

namespace korvi {

CreatingZonesSection::CreatingZonesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Creating DNS Zones"));
    addParagraph(
        tr("A DNS zone is a portion of the DNS namespace that you manage. Each zone holds the "
           "records of one domain, such as mycompany.local, and your BIND server answers for it "
           "from the zone's own file."));
    addHeading(tr("Step-by-Step: Creating a Zone"));
    addSteps({tr("Navigate to 'Zone Management' in the sidebar"),
              tr("Click the 'Add Domain' button"),
              tr("Enter your domain name (e.g., 'mycompany.local')"),
              tr("Configure the primary name server and admin email"),
              tr("Click 'Create Domain' to save the zone")});
    addHeading(tr("Zone Components"));
    addItems(
        {{tr("SOA Record (Start of Authority)"),
          tr("Names the primary name server and the administrator of the zone, "
             "and holds the serial number and the timers that secondary servers "
             "and caches follow")},
         {tr("NS Records (Name Server)"),
          tr("List the name servers that answer authoritatively for the zone")},
         {tr("Zone File"), tr("The file that contains all DNS records for the zone, automatically "
                              "created and managed by Korvi")}});
}

} // namespace korvi
