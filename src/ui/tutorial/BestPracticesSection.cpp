#include "ui/tutorial/BestPracticesSection.h"

namespace korvi {

BestPracticesSection::BestPracticesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("DNS Best Practices"));
    addParagraph(QStringLiteral(
        "A few habits keep your zones easy to read, your server safe and your answers fast."));
    addHeading(QStringLiteral("Naming Conventions"));
    addBullets({QStringLiteral("• Use lower-case letters, digits and hyphens in host names"),
                QStringLiteral("• Name hosts after their role (www, mail, ns1), not their "
                               "hardware"),
                QStringLiteral("• Keep names short and easy to type"),
                QStringLiteral("• Use a private suffix such as .local or .internal for internal "
                               "zones"),
                QStringLiteral("• Number similar hosts consistently (web1, web2, ...)")});
    addHeading(QStringLiteral("TTL (Time To Live) Guidelines"));
    addItems({{QStringLiteral("Short TTL (300-3600 seconds)"),
               QStringLiteral("For records that change frequently or during migrations")},
              {QStringLiteral("Medium TTL (3600-86400 seconds)"),
               QStringLiteral("For most production services with stable IPs")},
              {QStringLiteral("Long TTL (86400+ seconds)"),
               QStringLiteral("For very stable records like NS and MX records")}});
    addHeading(QStringLiteral("Security Considerations"));
    addBullets({QStringLiteral("• Set allow-transfer to none unless you run secondary servers"),
                QStringLiteral("• Limit allow-query to the networks that need your server"),
                QStringLiteral("• Turn recursion off on servers that face the internet"),
                QStringLiteral("• Keep BIND up to date with security releases"),
                QStringLiteral("• Enable DNSSEC validation where your clients can use it"),
                QStringLiteral("• Check the logs regularly for unexpected queries")});
    addHeading(QStringLiteral("Performance Tips"));
    addBullets({QStringLiteral("• Use forwarders close to your network"),
                QStringLiteral("• Raise TTLs for records that rarely change"),
                QStringLiteral("• Keep zones small and remove records nobody uses"),
                QStringLiteral("• Avoid long chains of CNAME records"),
                QStringLiteral("• Reload the server instead of restarting it after changes")});
}

} // namespace korvi
