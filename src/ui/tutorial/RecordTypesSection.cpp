#include "ui/tutorial/RecordTypesSection.h"

namespace korvi {

RecordTypesSection::RecordTypesSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("DNS Record Types"));
    addParagraph(QStringLiteral("Korvi supports all common DNS record types. Here's what each one "
                                "does and when to use them:"));
    addHeading(QStringLiteral("Address Records"));
    addRecordCards(
        {{QStringLiteral("A Record"), QStringLiteral("Maps a name to an IPv4 address"),
          QStringLiteral("web servers, hosts and devices on your network")},
         {QStringLiteral("AAAA Record"), QStringLiteral("Maps a name to an IPv6 address"),
          QStringLiteral("hosts that are reachable over IPv6")}});
    addHeading(QStringLiteral("Service Records"));
    addRecordCards({{QStringLiteral("MX Record"),
                     QStringLiteral("Names the mail servers of the domain, each with a priority"),
                     QStringLiteral("receiving email for your domain")},
                    {QStringLiteral("SRV Record"),
                     QStringLiteral("Gives the host and port of a service, with priority and "
                                    "weight"),
                     QStringLiteral("SIP, XMPP, LDAP and other services that clients look up")}});
    addHeading(QStringLiteral("Name Records"));
    addRecordCards(
        {{QStringLiteral("CNAME Record"), QStringLiteral("Makes one name an alias of another"),
          QStringLiteral("pointing www or blog at an existing host")},
         {QStringLiteral("NS Record"),
          QStringLiteral("Names an authoritative name server for the zone or a "
                         "subdomain"),
          QStringLiteral("declaring your name servers and delegating subdomains")}});
    addHeading(QStringLiteral("Other Records"));
    addRecordCards(
        {{QStringLiteral("TXT Record"), QStringLiteral("Attaches free text to a name"),
          QStringLiteral("SPF, DKIM, domain verification and notes")},
         {QStringLiteral("PTR Record"), QStringLiteral("Maps an IP address back to a name"),
          QStringLiteral("reverse lookups in reverse zones")}});
}

} // namespace korvi
