// korvi-helper: the few things Korvi needs root for, run through pkexec.
// It takes one verb and its arguments as a list, reads file contents from
// standard input, derives every path itself and refuses everything else.
//
//   korvi-helper write-zone ZONE      < zone file text
//   korvi-helper remove-zone ZONE
//   korvi-helper write-include        < Korvi's include text
//   korvi-helper add-include
//   korvi-helper remove-include
//   korvi-helper adopt-zone ZONE FILE < FILE's text without ZONE's statement
//                                (the zone moves into Korvi's include)
//   korvi-helper rndc stop|reload|reconfig|status   (rndc with the server's key)
//   korvi-helper rndc reload ZONE
//   korvi-helper rndc dnssec -status ZONE
//   korvi-helper start-server    (named -u <user> after its run folder, as the
//                                 distribution's init script does)
//   korvi-helper install-bind    (apt-get update and install, or dnf install)
//
// Exit status: 0 done, 1 refused (bad input, a link, a checker's refusal),
// 2 usage, 3 failed (the system said no). One line on standard output or
// standard error says what happened.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

#include "host/HelperVerbs.h"
#include "host/HostFacts.h"
#include "host/OwnedFiles.h"
#include "manager/AppLog.h"
#include "manager/RndcServerControl.h"

using namespace korvi;

namespace {

constexpr qint64 maximumInput = 256 * 1024 * 1024;

int usage(const QString& message) {
    std::fprintf(stderr, "korvi-helper: %s\n", qPrintable(message));
    return 2;
}

// The whole tree may be moved under a folder for tests, but only when the
// helper was not raised by pkexec (which sets PKEXEC_UID and clears the
// environment anyway) and is not set-user-id: a caller who could move it then
// gains nothing they did not have.
QString testRoot() {
    if (qEnvironmentVariableIsSet("PKEXEC_UID") || ::getuid() != ::geteuid())
        return {};
    return qEnvironmentVariable("KORVI_HELPER_ROOT");
}

HostFamily detectFamily() {
    QFile osRelease(QStringLiteral("/etc/os-release"));
    if (!osRelease.open(QIODevice::ReadOnly))
        osRelease.setFileName(QStringLiteral("/usr/lib/os-release"));
    const QString text = osRelease.isOpen() || osRelease.open(QIODevice::ReadOnly)
                             ? QString::fromUtf8(osRelease.readAll())
                             : QString();
    return hostFamily(parseOsRelease(text), QString());
}

bool readInput(QByteArray* bytes) {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return false;
    while (!in.atEnd()) {
        bytes->append(in.read(1 << 20));
        if (bytes->size() > maximumInput)
            return false;
    }
    return true;
}

// A program by its fixed path; under a test root, the one on PATH (a
// stand-in), which the caller could run anyway.
QString program(const QString& name, const char* fixedPath, bool testing) {
    if (testing) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return QString::fromLatin1(fixedPath);
}

// Runs one program with its output passed straight through (a package
// install shows its progress); no time limit.
int runThrough(const QString& path, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(path, arguments);
    if (!process.waitForStarted()) {
        std::fprintf(stderr, "korvi-helper: %s could not be started\n", qPrintable(path));
        return 3;
    }
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return 3;
    return 0;
}

int installBind(HostFamily family, bool testing) {
    if (family == HostFamily::fedora)
        return runThrough(program(QStringLiteral("dnf"), "/usr/bin/dnf", testing),
                          {QStringLiteral("install"), QStringLiteral("-y"), QStringLiteral("bind"),
                           QStringLiteral("bind-utils")});
    const QString apt = program(QStringLiteral("apt-get"), "/usr/bin/apt-get", testing);
    if (const int status = runThrough(apt, {QStringLiteral("update")}); status != 0)
        return status;
    return runThrough(apt,
                      {QStringLiteral("install"), QStringLiteral("-y"), QStringLiteral("bind9"),
                       QStringLiteral("bind9-utils"), QStringLiteral("bind9-dnsutils")});
}

int startServer(HostFamily family, const OwnedFileLayout& layout, bool testing) {
    const QString user =
        family == HostFamily::fedora ? QStringLiteral("named") : QStringLiteral("bind");
    if (!testing) {
        if (const std::optional<QString> reason =
                RndcServerControl::prepareRunDirectory(QStringLiteral("/run/named"), user)) {
            std::fprintf(stderr, "korvi-helper: %s\n", qPrintable(*reason));
            return 3;
        }
    }
    return runThrough(program(QStringLiteral("named"), "/usr/sbin/named", testing),
                      {QStringLiteral("-u"), user, QStringLiteral("-c"), layout.configuration});
}

int report(const FileOperationResult& result) {
    switch (result.outcome) {
    case FileOperationResult::Outcome::done:
        if (!result.message.isEmpty())
            std::printf("%s\n", qPrintable(result.message));
        return 0;
    case FileOperationResult::Outcome::refused:
        std::fprintf(stderr, "korvi-helper: %s\n", qPrintable(result.message));
        return 1;
    case FileOperationResult::Outcome::failed:
        break;
    }
    std::fprintf(stderr, "korvi-helper: %s\n", qPrintable(result.message));
    return 3;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(QStringLiteral("no verb given"));
    const QString verb = args.first();
    const QString root = testRoot();
    const bool testing = !root.isEmpty();
    // Under a test root a test may also name the family (Fedora's layout on
    // a Debian machine) and put stand-ins for restorecon on PATH.
    HostFamily family = detectFamily();
    if (testing && qEnvironmentVariable("KORVI_HELPER_FAMILY") == u"fedora")
        family = HostFamily::fedora;
    OwnedFileLayout layout = OwnedFileLayout::forFamily(family, root);
    if (testing && layout.relabel)
        layout.relabelProgram = program(QStringLiteral("restorecon"), "/usr/sbin/restorecon", true);
    const OwnedFiles files(layout);

    if (isFileVerb(args)) {
        QByteArray bytes;
        if (fileVerbTakesInput(args) && !readInput(&bytes))
            return report(FileOperationResult::refused(
                QStringLiteral("the text on standard input could not be read or is too large")));
        return report(performFileVerb(files, args, bytes));
    }
    if (verb == u"rndc" && isAllowedRndcVerb(args.mid(1)))
        return runThrough(program(QStringLiteral("rndc"), "/usr/sbin/rndc", testing), args.mid(1));
    if (verb == u"start-server" && args.size() == 1)
        return startServer(family, files.layout(), testing);
    if (verb == u"install-bind" && args.size() == 1)
        return installBind(family, testing);
    return usage(QStringLiteral("unknown verb or wrong arguments: %1").arg(args.join(u' ')));
}
