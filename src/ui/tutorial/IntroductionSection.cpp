#include "ui/tutorial/IntroductionSection.h"

namespace korvi {

IntroductionSection::IntroductionSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Welcome to Korvi"));
    addParagraph(QStringLiteral(
        "Korvi is a desktop application for managing the BIND DNS server on your own machine. "
        "Whether you run a local development environment, look after a small office network or are "
        "learning how DNS works, Korvi lets you create zones, edit their records and keep an eye "
        "on your server without editing configuration files by hand."));
    addHeading(QStringLiteral("What You'll Learn"));
    addChecks({QStringLiteral("DNS fundamentals and terminology"),
               QStringLiteral("How to create and manage DNS zones"),
               QStringLiteral("Adding and configuring DNS records"),
               QStringLiteral("Server configuration and best practices"),
               QStringLiteral("Troubleshooting common issues")});
    addHeading(QStringLiteral("Prerequisites"));
    addBullets(
        {QStringLiteral("• Linux (Debian 12 or later, Ubuntu, Fedora) or macOS with Homebrew"),
         QStringLiteral("• BIND DNS server (can be installed through Korvi)"),
         QStringLiteral("• Administrator privileges for server management"),
         QStringLiteral("• Basic understanding of networking concepts")});
}

} // namespace korvi
