#include "ui/tutorial/BestPracticesSection.h"

namespace korvi {

BestPracticesSection::BestPracticesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("DNS Best Practices"));
    addParagraph(
        tr("A few habits keep your zones easy to read, your server safe and your answers fast."));
    addHeading(tr("Naming Conventions"));
    addBullets({tr("• Use lower-case letters, digits and hyphens in host names"),
                tr("• Name hosts after their role (www, mail, ns1), not their "
                   "hardware"),
                tr("• Keep names short and easy to type"),
                tr("• Use a private suffix such as .local or .internal for internal "
                   "zones"),
                tr("• Number similar hosts consistently (web1, web2, ...)")});
    addHeading(tr("TTL (Time To Live) Guidelines"));
    addItems(
        {{tr("Short TTL (300-3600 seconds)"),
          tr("For records that change frequently or during migrations")},
         {tr("Medium TTL (3600-86400 seconds)"),
          tr("For most production services with stable IPs")},
         {tr("Long TTL (86400+ seconds)"), tr("For very stable records like NS and MX records")}});
    addHeading(tr("Security Considerations"));
    addBullets({tr("• Set allow-transfer to none unless you run secondary servers"),
                tr("• Limit allow-query to the networks that need your server"),
                tr("• Turn recursion off on servers that face the internet"),
                tr("• Keep BIND up to date with security releases"),
                tr("• Enable DNSSEC validation where your clients can use it"),
                tr("• Check the logs regularly for unexpected queries")});
    addHeading(tr("Performance Tips"));
    addBullets({tr("• Use forwarders close to your network"),
                tr("• Raise TTLs for records that rarely change"),
                tr("• Keep zones small and remove records nobody uses"),
                tr("• Avoid long chains of CNAME records"),
                tr("• Reload the server instead of restarting it after changes")});
}

} // namespace korvi
