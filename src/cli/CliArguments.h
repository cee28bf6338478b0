#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// korvictl's exit codes.
enum CliExit : int {
    exitDone = 0,
    exitRefused = 1,     // a check refused it; nothing was changed
    exitUsage = 2,       // unknown command or option, missing or extra arguments
    exitRolledBack = 3,  // written, not served, the previous file put back
    exitUnreachable = 4, // the server, the store or the writer lock could not be had
};

// One korvictl command line, read.
struct CliRequest {
    QString command;
    QStringList arguments; // the command's own, in order
    bool json = false;
    QString sandboxDirectory; // absolute; empty for the machine's server
    std::optional<qint64> ttl;
    std::optional<qint64> priority;
    std::optional<qint64> weight;
    std::optional<qint64> port;
    QString zone; // import --zone

    // add, update, delete, import and apply change zones and take the
    // writer lock; the others only read.
    bool changesZones() const;
};

struct CliParse {
    std::optional<CliRequest> request;
    bool help = false;
    bool json = false; // --json was given, so a usage error is answered in JSON
    QString error;     // why the command line was refused (exit 2)
};

// Reads korvictl's arguments (without the program name). Options may stand
// anywhere; "--" ends them, for a value that begins with a dash.
CliParse parseCliArguments(const QStringList& arguments);

// The text of korvictl --help.
QString cliHelpText();

} // namespace korvi
