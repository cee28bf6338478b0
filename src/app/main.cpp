#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <memory>

#include "app/SandboxSession.h"
#include "app/ScreenshotTour.h"
#include "host/HostLayout.h"
#include "manager/DNSServerManager.h"
#include "platform/Console.h"
#include "platform/SystemLayout.h"
#include "ui/KorviApp.h"
#include "ui/MainWindow.h"
#include "i18n/Translations.h"

using namespace korvi;

namespace {

QString description() {
    const SystemLayout standard = standardLayoutFor(readHostLayoutFacts());
    return QCoreApplication::translate(
               "main",
               "Korvi manages a BIND 9 DNS server (named) on this machine.\n"
               "\n"
               "Standard mode (no options): Korvi manages this machine's server (%5 layout):\n"
               "  configuration %1, Korvi's zone files in %2,\n"
               "  zones kept in your preferences. Changes to the server's files and starting\n"
               "  and stopping it need administrator rights.\n"
               "\n"
               "Sandbox mode (--sandbox [DIR]): Korvi runs a private named as you, on 127.0.0.1\n"
               "  at port %3 (or the next free port), with its named.conf, zone files and log\n"
               "  and Korvi's own preferences all inside DIR (default: %4).\n"
               "  Nothing outside DIR is written.\n"
               "\n"
               "--screenshots OUT (sandbox mode, no display needed): starts the sandbox's server,\n"
               "  saves a PNG of every section and of the About window into OUT, stops the\n"
               "  server again and quits; the exit code is 0 when all of that worked.")
        .arg(standard.namedConfigPath, standard.zoneDirectory,
             QString::number(SandboxSession::defaultPort), SandboxSession::defaultDirectory(),
             standard.layoutName);
}

// Korvi's options. The texts are read when the options are made, so a parser
// made after the translations are installed shows them translated.
struct Options {
    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineOption sandbox;
    QCommandLineOption screenshots;
};

Options addOptions(QCommandLineParser& parser) {
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption sandbox(
        QStringLiteral("sandbox"),
        QCoreApplication::translate("main",
                                    "Run on a private server in DIR (given after the options)."));
    const QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QCoreApplication::translate(
            "main", "Save a picture of every section into OUT and quit (sandbox mode)."),
        QCoreApplication::translate("main", "OUT"));
    parser.addOption(sandbox);
    parser.addOption(screenshots);
    parser.addPositionalArgument(
        QStringLiteral("DIR"),
        QCoreApplication::translate("main", "The sandbox directory (with --sandbox)."),
        QCoreApplication::translate("main", "[DIR]"));
    return {help, version, sandbox, screenshots};
}

void errorLine(const QString& text) {
    std::fprintf(stderr, "korvi: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char* argv[]) {
    KorviApp::prepare();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString());
    const auto [help, version, sandbox, screenshots] = addOptions(parser);
    const bool parsed = parser.parse(arguments);
    const bool sandboxMode = parser.isSet(sandbox) || parser.isSet(screenshots);
    const QStringList positional = parser.positionalArguments();
    QString problem = parsed ? QString() : parser.errorText();
    if (problem.isEmpty() && positional.size() > (sandboxMode ? 1 : 0))
        problem = sandboxMode
                      ? QStringLiteral(
                            QT_TRANSLATE_NOOP("main", "only one sandbox directory can be given"))
                      : QStringLiteral(
                            QT_TRANSLATE_NOOP("main", "a directory is only taken with --sandbox"));

    if (!problem.isEmpty() || parser.isSet(help) || parser.isSet(version)) {
        QCoreApplication core(argc, argv);
        KorviApp::setIdentity();
        Translations::install(core);
        // The same options again, their texts now in the user's language.
        QCommandLineParser translated;
        translated.setApplicationDescription(description());
        addOptions(translated);
        if (!problem.isEmpty()) {
            errorLine(translated.parse(arguments)
                          ? QCoreApplication::translate("main", qUtf8Printable(problem))
                          : translated.errorText());
            errorLine(QCoreApplication::translate("main", "see korvi --help"));
            return 2;
        }
        if (parser.isSet(version))
            parser.showVersion();
        translated.showHelp(0);
    }

    // The sandbox is checked before any window exists, so that a wrong
    // directory is reported the same way with or without a display.
    QString sandboxDirectory;
    quint16 sandboxPort = 0;
    if (sandboxMode) {
        KorviApp::setIdentity();
        sandboxDirectory = QDir::cleanPath(
            QDir(positional.isEmpty() ? SandboxSession::defaultDirectory() : positional.first())
                .absolutePath());
        // No application object exists yet: one is made for the message, so
        // that it is shown in the user's language.
        const auto fail = [&](const char* text) {
            QCoreApplication core(argc, argv);
            Translations::install(core);
            errorLine(QCoreApplication::translate("main", text).arg(sandboxDirectory));
            return 2;
        };
        if (!SandboxSession::isPlainPath(sandboxDirectory))
            return fail(QT_TRANSLATE_NOOP("main",
                                          "the sandbox directory must be a plain path, without "
                                          "spaces, quotes or shell characters: %1"));
        if (!QDir().mkpath(sandboxDirectory))
            return fail(QT_TRANSLATE_NOOP("main", "cannot create the sandbox directory %1"));
        sandboxPort = SandboxSession::firstFreePort(SandboxSession::defaultPort);
        if (sandboxPort == 0)
            return fail(QT_TRANSLATE_NOOP("main", "no free port for the sandbox's server in %1"));
    }

    // Pictures need no display: without one chosen, draw off screen.
    if (parser.isSet(screenshots) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    KorviApp korvi(application);

    std::unique_ptr<SandboxSession> session;
    std::unique_ptr<ScreenshotTour> tour;
    MainWindow* window = nullptr;
    if (sandboxMode) {
        session = std::make_unique<SandboxSession>(sandboxDirectory, sandboxPort);
        consoleLine(QStringLiteral("🧪 Sandbox mode in %1: named on 127.0.0.1 port %2")
                        .arg(sandboxDirectory)
                        .arg(sandboxPort));
        window = korvi.openMainWindow(session->layout(), session->preferences());
        session->attach(korvi.manager());
    } else {
        window = korvi.openMainWindow();
    }

    if (parser.isSet(screenshots)) {
        tour = std::make_unique<ScreenshotTour>(window, session.get(),
                                                QDir(parser.value(screenshots)).absolutePath());
        tour->start();
    }
    return application.exec();
}
