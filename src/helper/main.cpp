// korvi-helper: the few things Korvi needs root for, run through pkexec.
// It takes one verb and its arguments as a list, reads file contents from
// standard input, derives every path itself and refuses everything else.
//
//   korvi-helper write-zone ZONE      < zone file text
//   korvi-helper remove-zone ZONE
//   korvi-helper write-include        < Korvi's include text
//   korvi-helper add-include
//   korvi-helper remove-include
//
// Exit status: 0 done, 1 refused (bad input, a link, a checker's refusal),
// 2 usage, 3 failed (the system said no). One line on standard output or
// standard error says what happened.

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

#include "host/HostFacts.h"
#include "host/OwnedFiles.h"

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
    const OwnedFiles files(OwnedFileLayout::forFamily(detectFamily(), testRoot()));

    const auto withInput = [&](auto&& operation) {
        QByteArray bytes;
        if (!readInput(&bytes))
            return report(FileOperationResult::refused(
                QStringLiteral("the text on standard input could not be read or is too large")));
        return report(operation(bytes));
    };

    if (verb == u"write-zone" && args.size() == 2)
        return withInput([&](const QByteArray& b) { return files.writeZone(args[1], b); });
    if (verb == u"remove-zone" && args.size() == 2)
        return report(files.removeZone(args[1]));
    if (verb == u"write-include" && args.size() == 1)
        return withInput([&](const QByteArray& b) { return files.writeInclude(b); });
    if (verb == u"add-include" && args.size() == 1)
        return report(files.addIncludeLine());
    if (verb == u"remove-include" && args.size() == 1)
        return report(files.removeIncludeLine());
    return usage(QStringLiteral("unknown verb or wrong arguments: %1").arg(args.join(u' ')));
}
