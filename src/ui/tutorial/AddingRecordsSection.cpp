#include "ui/tutorial/AddingRecordsSection.h"

namespace korvi {

AddingRecordsSection::AddingRecordsSection(QWidget* parent) : TutorialSection(parent) {
    addTitle(QStringLiteral("Adding DNS Records"));
    addParagraph(QStringLiteral(
        "DNS records are the entries of a zone: each one ties a name to an address, a mail "
        "server, an alias or another piece of information that clients can look up."));
    addHeading(QStringLiteral("Step-by-Step: Adding Records"));
    addSteps({QStringLiteral("Navigate to 'DNS Records' in the sidebar"),
              QStringLiteral("Select a zone from the left panel"),
              QStringLiteral("Click 'Add Record' button"),
              QStringLiteral("Choose the record type and fill in the details"),
              QStringLiteral("Click 'Save Record' to add it to the zone")});
    addHeading(QStringLiteral("Common Record Examples"));
    addExamples({{QStringLiteral("Website (A Record)"),
                  QStringLiteral("Name: www, Type: A, Value: 192.168.1.100")},
                 {QStringLiteral("Email Server (MX Record)"),
                  QStringLiteral("Name: @, Type: MX, Priority: 10, Value: mail.example.com.")},
                 {QStringLiteral("Subdomain Alias (CNAME Record)"),
                  QStringLiteral("Name: blog, Type: CNAME, Value: www.example.com.")}});
}

} // namespace korvi
