#include "cli/CliArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>

namespace korvi {

namespace {

struct Arity {
    int minimum;
    int maximum;
    const char* usage;
};

const QHash<QString, Arity>& commands() {
    static const QHash<QString, Arity> table = {
        {QStringLiteral("status"), {0, 0, "status"}},
        {QStringLiteral("zones"), {0, 0, "zones"}},
        {QStringLiteral("records"), {1, 1, "records ZONE"}},
        {QStringLiteral("add"), {4, 4, "add ZONE NAME TYPE VALUE"}},
        {QStringLiteral("update"), {5, 5, "update ZONE NAME TYPE OLDVALUE NEWVALUE"}},
        {QStringLiteral("delete"), {3, 4, "delete ZONE NAME TYPE [VALUE]"}},
        {QStringLiteral("apply"), {0, 0, "apply"}},
        {QStringLiteral("import"), {1, 1, "import FILE [--zone NAME]"}},
        {QStringLiteral("export"), {1, 1, "export ZONE"}},
        {QStringLiteral("lookup"), {1, 2, "lookup NAME [TYPE]"}},
        {QStringLiteral("start"), {0, 0, "start"}},
        {QStringLiteral("stop"), {0, 0, "stop"}},
    };
    return table;
}

// The options that take a value, and whether that value is a number.
const QHash<QString, bool>& valueOptions() {
    static const QHash<QString, bool> table = {
        {QStringLiteral("--sandbox"), false}, {QStringLiteral("--zone"), false},
        {QStringLiteral("--ttl"), true},      {QStringLiteral("--priority"), true},
        {QStringLiteral("--weight"), true},   {QStringLiteral("--port"), true},
    };
    return table;
}

} // namespace

bool CliRequest::changesZones() const {
    static const QStringList writers = {QStringLiteral("add"), QStringLiteral("update"),
                                        QStringLiteral("delete"), QStringLiteral("import"),
                                        QStringLiteral("apply")};
    return writers.contains(command);
}

CliParse parseCliArguments(const QStringList& arguments) {
    CliParse parse;
    CliRequest request;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            positional.append(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        QString name = argument;
        std::optional<QString> value;
        if (const qsizetype equals = argument.indexOf(u'='); equals > 0) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
        }
        if (name == u"--help" || name == u"-h") {
            parse.help = true;
            continue;
        }
        if (name == u"--json") {
            request.json = parse.json = true;
            continue;
        }
        if (!valueOptions().contains(name)) {
            parse.error = QCoreApplication::translate("korvictl", "unknown option %1").arg(name);
            continue;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                parse.error = QCoreApplication::translate("korvictl", "%1 needs a value").arg(name);
                continue;
            }
            value = arguments.at(++i);
        }
        if (valueOptions().value(name)) {
            bool ok = false;
            const qint64 number = value->toLongLong(&ok);
            if (!ok || number < 0) {
                parse.error = QCoreApplication::translate(
                                  "korvictl", "%1 takes a whole number of 0 or more, not '%2'")
                                  .arg(name, *value);
                continue;
            }
            if (name == u"--ttl")
                request.ttl = number;
            else if (name == u"--priority")
                request.priority = number;
            else if (name == u"--weight")
                request.weight = number;
            else
                request.port = number;
        } else if (name == u"--sandbox") {
            request.sandboxDirectory = QDir::cleanPath(QDir(*value).absolutePath());
        } else {
            request.zone = *value;
        }
    }
    if (parse.help || !parse.error.isEmpty())
        return parse;
    if (positional.isEmpty()) {
        parse.error = QCoreApplication::translate("korvictl", "no command given");
        return parse;
    }
    request.command = positional.takeFirst();
    const auto found = commands().constFind(request.command);
    if (found == commands().constEnd()) {
        parse.error =
            QCoreApplication::translate("korvictl", "unknown command '%1'").arg(request.command);
        return parse;
    }
    if (positional.size() < found->minimum || positional.size() > found->maximum) {
        parse.error = QCoreApplication::translate("korvictl", "usage: korvictl %1")
                          .arg(QLatin1String(found->usage));
        return parse;
    }
    if (!request.zone.isEmpty() && request.command != u"import") {
        parse.error = QCoreApplication::translate("korvictl", "--zone is only taken by import");
        return parse;
    }
    request.arguments = positional;
    parse.request = request;
    return parse;
}

QString cliHelpText() {
    return QCoreApplication::translate(
        "korvictl",
        "Usage: korvictl [--json] [--sandbox DIR] COMMAND [ARGUMENT...]\n"
        "\n"
        "Manages the BIND 9 server named and Korvi's zones from the command line,\n"
        "on the same zones, files and preferences as the Korvi window.\n"
        "\n"
        "Commands:\n"
        "  status                         BIND, the server's state, its files\n"
        "  zones                          the zones Korvi keeps\n"
        "  records ZONE                   the records of ZONE\n"
        "  add ZONE NAME TYPE VALUE       adds a record (NAME @ is the zone's apex)\n"
        "  update ZONE NAME TYPE OLDVALUE NEWVALUE\n"
        "                                 changes the value (and --ttl) of a record\n"
        "  delete ZONE NAME TYPE [VALUE]  deletes a record; without VALUE every\n"
        "                                 record of that name and type\n"
        "  apply                          writes every zone's file again from Korvi's\n"
        "                                 store and has the server load it\n"
        "  import FILE [--zone NAME]      reads a BIND zone file as a new zone (named\n"
        "                                 by --zone, else by the file's $ORIGIN or name)\n"
        "  export ZONE                    prints the zone file Korvi writes for ZONE\n"
        "  lookup NAME [TYPE]             asks the managed server (TYPE: A by default)\n"
        "  start, stop                    starts or stops the server\n"
        "\n"
        "Record fields (add, update):\n"
        "  --ttl N        time to live in seconds (default 3600)\n"
        "  --priority N   MX and SRV priority (default 10)\n"
        "  --weight N     SRV weight\n"
        "  --port N       SRV port\n"
        "  VALUE is what the record points to: an address (A, AAAA), a host name\n"
        "  (CNAME, MX, NS, PTR, SRV target), the text (TXT).\n"
        "\n"
        "Options:\n"
        "  --json         the answer, errors included, as one JSON document on\n"
        "                 standard output (the log lines go to standard error)\n"
        "  --sandbox DIR  the private server of korvi --sandbox DIR\n"
        "  --help         this text\n"
        "  --             ends the options (for a value that begins with a dash)\n"
        "\n"
        "Every change is checked by BIND's checker, written, loaded by a running\n"
        "server and asked back from it; one the server does not serve is rolled back.\n"
        "Only one Korvi program changes zones at a time: korvictl waits up to 10\n"
        "seconds (KORVI_LOCK_WAIT_MS) for another one to finish.\n"
        "\n"
        "Exit status: 0 done, 1 refused by a check, 2 wrong usage, 3 written but not\n"
        "served and rolled back, 4 server, store or lock unreachable.\n");
}

} // namespace korvi
