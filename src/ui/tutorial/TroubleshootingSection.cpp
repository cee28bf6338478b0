#include "ui/tutorial/TroubleshootingSection.h"

namespace korvi {

TroubleshootingSection::TroubleshootingSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Troubleshooting"));
    addParagraph(tr("Common issues and solutions when working with Korvi and BIND:"));
    addHeading(tr("Server Won't Start"));
    addBullets({tr("• Verify port 53 isn't in use: sudo lsof -i :53"),
                tr("• Check the configuration with named-checkconf"),
                tr("• Make sure BIND 9 is installed (see the Dashboard)"),
                tr("• Read the server's own messages in the Logs section"),
                tr("• Confirm that you have administrator privileges")});
    addHeading(tr("DNS Resolution Issues"));
    addBullets({tr("• Ask the server directly: dig @127.0.0.1 example.com"),
                tr("• Check that the zone is listed in named.conf"),
                tr("• Reload the server after changing records"),
                tr("• Make sure allow-query admits the clients that ask"),
                tr("• Flush the client's DNS cache after changes")});
    addHeading(tr("Zone File Errors"));
    addBullets({tr("• Missing SOA record: Every zone must have exactly one SOA record"),
                tr("• Missing trailing dots: FQDN values should end with a dot (.)"),
                tr("• CNAME conflicts: a name with a CNAME can have no other records"),
                tr("• Serial not advanced: secondary servers keep the old data"),
                tr("• Invalid addresses in A or AAAA records")});
    addHeading(tr("Performance Issues"));
    addBullets({tr("• Use forwarders close to your network"),
                tr("• Raise TTLs for records that rarely change"),
                tr("• Turn recursion off if the server only answers for its zones"),
                tr("• Keep the logging level at info unless you are debugging"),
                tr("• Watch the logs for repeated failing queries")});
    addHeading(tr("Useful Commands"));
    addCommands({tr("dig @127.0.0.1 example.com - Test DNS resolution"),
                 tr("named-checkconf /usr/local/etc/named.conf - Validate "
                    "configuration"),
                 tr("named-checkzone example.com /usr/local/var/named/db.example.com "
                    "- Validate zone"),
                 tr("sudo rndc reload - Reload configuration without restart")});
}

} // namespace korvi
