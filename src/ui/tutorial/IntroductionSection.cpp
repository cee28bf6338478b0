#include "ui/tutorial/IntroductionSection.h"

namespace korvi {

IntroductionSection::IntroductionSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Welcome to Korvi"));
    addParagraph(tr(
        "Korvi is a desktop application for managing the BIND DNS server on your own machine. "
        "Whether you run a local development environment, look after a small office network or are "
        "learning how DNS works, Korvi lets you create zones, edit their records and keep an eye "
        "on your server without editing configuration files by hand."));
    addHeading(tr("What You'll Learn"));
    addChecks({tr("DNS fundamentals and terminology"), tr("How to create and manage DNS zones"),
               tr("Adding and configuring DNS records"),
               tr("Server configuration and best practices"), tr("Troubleshooting common issues")});
    addHeading(tr("Prerequisites"));
    addBullets({tr("• Linux (Debian 12 or later, Ubuntu, Fedora) or macOS with Homebrew"),
                tr("• BIND DNS server (can be installed through Korvi)"),
                tr("• Administrator privileges for server management"),
                tr("• Basic understanding of networking concepts")});
}

} // namespace korvi
