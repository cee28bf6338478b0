#include "ui/tutorial/ServerConfigurationSection.h"

namespace korvi {

ServerConfigurationSection::ServerConfigurationSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Server Configuration"));
    addParagraph(QStringLiteral(
        "The Server Configuration section controls where BIND listens, whom it answers and "
        "where it sends the queries it cannot answer itself."));
    addHeading(QStringLiteral("Basic Settings"));
    addItems({{QStringLiteral("Listen Port"),
               QStringLiteral("Default: 53 (standard DNS port). Change only if you have port "
                              "conflicts.")},
              {QStringLiteral("Recursion"),
               QStringLiteral("Lets the server look up names outside your zones for its clients; "
                              "turn it off for a purely authoritative server")},
              {QStringLiteral("DNSSEC"),
               QStringLiteral("Checks the signatures of signed answers so that clients can trust "
                              "them")}});
    addHeading(QStringLiteral("DNS Forwarders"));
    addParagraph(QStringLiteral("Configure upstream DNS servers for resolving external queries:"));
    addBullets({QStringLiteral("• Google DNS: 8.8.8.8, 8.8.4.4"),
                QStringLiteral("• Cloudflare: 1.1.1.1, 1.0.0.1"),
                QStringLiteral("• Quad9: 9.9.9.9, 149.112.112.112"),
                QStringLiteral("• OpenDNS: 208.67.222.222, 208.67.220.220")});
    addHeading(QStringLiteral("Access Control"));
    addItems({{QStringLiteral("Allow Query"),
               QStringLiteral("Specify which clients can make DNS queries to your server")},
              {QStringLiteral("Allow Transfer"),
               QStringLiteral("Control which servers can request zone transfers (usually 'none' "
                              "for security)")}});
}

} // namespace korvi
