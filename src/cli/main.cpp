// korvictl: Korvi's zones and server from the command line, over the same
// core and the same checked changes as the window. QtCore only.

#include <QCoreApplication>

#include <cstdio>

#include "cli/CliArguments.h"
#include "cli/CliSession.h"
#include "i18n/Translations.h"

using namespace korvi;

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
    // Help and usage errors in the user's language; log lines stay English.
    Translations::install(application);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const CliParse parse = parseCliArguments(arguments);
    if (parse.help && parse.error.isEmpty()) {
        std::fputs(cliHelpText().toUtf8().constData(), stdout);
        return exitDone;
    }
    if (!parse.request) {
        CliSession::printUsageError(parse.error, parse.json);
        return exitUsage;
    }
    CliSession session(*parse.request);
    QObject::connect(&session, &CliSession::finished, &application, &QCoreApplication::exit);
    session.start();
    return application.exec();
}
