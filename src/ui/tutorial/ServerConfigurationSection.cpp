#include "ui/tutorial/ServerConfigurationSection.h"

namespace korvi {

ServerConfigurationSection::ServerConfigurationSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Server Configuration"));
    addParagraph(
        tr("The Server Configuration section controls where BIND listens, whom it answers and "
           "where it sends the queries it cannot answer itself."));
    addHeading(tr("Basic Settings"));
    addItems(
        {{tr("Listen Port"), tr("Default: 53 (standard DNS port). Change only if you have port "
                                "conflicts.")},
         {tr("Recursion"), tr("Lets the server look up names outside your zones for its clients; "
                              "turn it off for a purely authoritative server")},
         {tr("DNSSEC"), tr("Checks the signatures of signed answers so that clients can trust "
                           "them")}});
    addHeading(tr("DNS Forwarders"));
    addParagraph(tr("Configure upstream DNS servers for resolving external queries:"));
    addBullets({tr("• Google DNS: 8.8.8.8, 8.8.4.4"), tr("• Cloudflare: 1.1.1.1, 1.0.0.1"),
                tr("• Quad9: 9.9.9.9, 149.112.112.112"),
                tr("• OpenDNS: 208.67.222.222, 208.67.220.220")});
    addHeading(tr("Access Control"));
    addItems({{tr("Allow Query"), tr("Specify which clients can make DNS queries to your server")},
              {tr("Allow Transfer"),
               tr("Control which servers can request zone transfers (usually 'none' "
                  "for security)")}});
}

} // namespace korvi
