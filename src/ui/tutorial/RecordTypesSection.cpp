#include "ui/tutorial/RecordTypesSection.h"

namespace korvi {

RecordTypesSection::RecordTypesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("DNS Record Types"));
    addParagraph(tr("Korvi supports all common DNS record types. Here's what each one "
                    "does and when to use them:"));
    addHeading(tr("Address Records"));
    addRecordCards({{tr("A Record"), tr("Maps a name to an IPv4 address"),
                     tr("web servers, hosts and devices on your network")},
                    {tr("AAAA Record"), tr("Maps a name to an IPv6 address"),
                     tr("hosts that are reachable over IPv6")}});
    addHeading(tr("Service Records"));
    addRecordCards(
        {{tr("MX Record"), tr("Names the mail servers of the domain, each with a priority"),
          tr("receiving email for your domain")},
         {tr("SRV Record"),
          tr("Gives the host and port of a service, with priority and "
             "weight"),
          tr("SIP, XMPP, LDAP and other services that clients look up")}});
    addHeading(tr("Name Records"));
    addRecordCards({{tr("CNAME Record"), tr("Makes one name an alias of another"),
                     tr("pointing www or blog at an existing host")},
                    {tr("NS Record"),
                     tr("Names an authoritative name server for the zone or a "
                        "subdomain"),
                     tr("declaring your name servers and delegating subdomains")}});
    addHeading(tr("Other Records"));
    addRecordCards({{tr("TXT Record"), tr("Attaches free text to a name"),
                     tr("SPF, DKIM, domain verification and notes")},
                    {tr("PTR Record"), tr("Maps an IP address back to a name"),
                     tr("reverse lookups in reverse zones")}});
}

} // namespace korvi
