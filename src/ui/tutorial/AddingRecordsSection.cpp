#include "ui/tutorial/AddingRecordsSection.h"

namespace korvi {

AddingRecordsSection::AddingRecordsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(tr("Adding DNS Records"));
    addParagraph(
        tr("DNS records are the entries of a zone: each one ties a name to an address, a mail "
           "server, an alias or another piece of information that clients can look up."));
    addHeading(tr("Step-by-Step: Adding Records"));
    addSteps({tr("Navigate to 'DNS Records' in the sidebar"),
              tr("Select a zone from the left panel"), tr("Click 'Add Record' button"),
              tr("Choose the record type and fill in the details"),
              tr("Click 'Save Record' to add it to the zone")});
    addHeading(tr("Common Record Examples"));
    addExamples({{tr("Website (A Record)"), tr("Name: www, Type: A, Value: 192.168.1.100")},
                 {tr("Email Server (MX Record)"),
                  tr("Name: @, Type: MX, Priority: 10, Value: mail.example.com.")},
                 {tr("Subdomain Alias (CNAME Record)"),
                  tr("Name: blog, Type: CNAME, Value: www.example.com.")}});
}

} // namespace korvi
