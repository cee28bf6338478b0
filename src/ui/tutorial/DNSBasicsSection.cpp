#include "ui/tutorial/DNSBasicsSection.h"

namespace korvi {

DNSBasicsSection::DNSBasicsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("DNS Fundamentals"));
    addParagraph(
        tr("Domain Name System (DNS) is the phonebook of the internet. It translates "
           "human-readable domain names into IP addresses that computers use to communicate."));
    addHeading(tr("Key Concepts"));
    addItems(
        {{tr("🌐 Domain Names"),
          tr("Human-readable names like 'example.com' that users type in browsers")},
         {tr("🏠 IP Addresses"),
          tr("Numerical addresses like '192.168.1.1' that computers use to locate "
             "servers")},
         {tr("📁 DNS Zones"), tr("Administrative spaces that contain DNS records for a particular "
                                "domain")},
         {tr("📝 DNS Records"),
          tr("Individual entries that map domain names to IP addresses or other "
             "information")}});
    addHeading(tr("How DNS Works"));
    addSteps(
        {tr("User types 'example.com' in browser"), tr("Computer asks DNS server for IP address"),
         tr("DNS server responds with '192.168.1.100'"), tr("Browser connects to the IP address")});
}

} // namespace korvi
