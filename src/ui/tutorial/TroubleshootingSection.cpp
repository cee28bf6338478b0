#include "ui/tutorial/TroubleshootingSection.h"

namespace korvi {

TroubleshootingSection::TroubleshootingSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Troubleshooting"));
    addParagraph(QStringLiteral("Common issues and solutions when working with Korvi and BIND:"));
    addHeading(QStringLiteral("Server Won't Start"));
    addBullets({QStringLiteral("• Verify port 53 isn't in use: sudo lsof -i :53"),
                QStringLiteral("• Check the configuration with named-checkconf"),
                QStringLiteral("• Make sure BIND 9 is installed (see the Dashboard)"),
                QStringLiteral("• Read the server's own messages in the Logs section"),
                QStringLiteral("• Confirm that you have administrator privileges")});
    addHeading(QStringLiteral("DNS Resolution Issues"));
    addBullets({QStringLiteral("• Ask the server directly: dig @127.0.0.1 example.com"),
                QStringLiteral("• Check that the zone is listed in named.conf"),
                QStringLiteral("• Reload the server after changing records"),
                QStringLiteral("• Make sure allow-query admits the clients that ask"),
                QStringLiteral("• Flush the client's DNS cache after changes")});
    addHeading(QStringLiteral("Zone File Errors"));
    addBullets({QStringLiteral("• Missing SOA record: Every zone must have exactly one SOA record"),
                QStringLiteral("• Missing trailing dots: FQDN values should end with a dot (.)"),
                QStringLiteral("• CNAME conflicts: a name with a CNAME can have no other records"),
                QStringLiteral("• Serial not advanced: secondary servers keep the old data"),
                QStringLiteral("• Invalid addresses in A or AAAA records")});
    addHeading(QStringLiteral("Performance Issues"));
    addBullets({QStringLiteral("• Use forwarders close to your network"),
                QStringLiteral("• Raise TTLs for records that rarely change"),
                QStringLiteral("• Turn recursion off if the server only answers for its zones"),
                QStringLiteral("• Keep the logging level at info unless you are debugging"),
                QStringLiteral("• Watch the logs for repeated failing queries")});
    addHeading(QStringLiteral("Useful Commands"));
    addCommands({QStringLiteral("dig @127.0.0.1 example.com - Test DNS resolution"),
                 QStringLiteral("named-checkconf /usr/local/etc/named.conf - Validate "
                                "configuration"),
                 QStringLiteral("named-checkzone example.com /usr/local/var/named/db.example.com "
                                "- Validate zone"),
                 QStringLiteral("sudo rndc reload - Reload configuration without restart")});
}

} // namespace korvi
