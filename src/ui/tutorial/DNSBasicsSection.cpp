#include "ui/tutorial/DNSBasicsSection.h"

namespace korvi {

DNSBasicsSection::DNSBasicsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("DNS Fundamentals"));
    addParagraph(QStringLiteral(
        "Domain Name System (DNS) is the phonebook of the internet. It translates "
        "human-readable domain names into IP addresses that computers use to communicate."));
    addHeading(QStringLiteral("Key Concepts"));
    addItems(
        {{QStringLiteral("🌐 Domain Names"),
          QStringLiteral("Human-readable names like 'example.com' that users type in browsers")},
         {QStringLiteral("🏠 IP Addresses"),
          QStringLiteral("Numerical addresses like '192.168.1.1' that computers use to locate "
                         "servers")},
         {QStringLiteral("📁 DNS Zones"),
          QStringLiteral("Administrative spaces that contain DNS records for a particular "
                         "domain")},
         {QStringLiteral("📝 DNS Records"),
          QStringLiteral("Individual entries that map domain names to IP addresses or other "
                         "information")}});
    addHeading(QStringLiteral("How DNS Works"));
    addSteps({QStringLiteral("User types 'example.com' in browser"),
              QStringLiteral("Computer asks DNS server for IP address"),
              QStringLiteral("DNS server responds with '192.168.1.100'"),
              QStringLiteral("Browser connects to the IP address")});
}

} // namespace korvi
