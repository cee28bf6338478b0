#include "manager/DetectionProbe.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "manager/ProcessRun.h"

namespace korvi {

QString DetectionProbe::firstExisting(const QStringList& paths) {
    for (const QString& path : paths) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    }
    return QString();
}

std::optional<QString> DetectionProbe::run(const QString& program, const QStringList& arguments,
                                           const std::optional<QString>& searchPath,
                                           int timeoutMs) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (searchPath) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), *searchPath);
        process.setProcessEnvironment(environment);
    }
    process.start();
    if (!process.waitForStarted(-1))
        return std::nullopt;
    // Output is read as it comes, so a talkative probe never fills the pipe.
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return ProcessRun::decodeOutput(process.readAll());
}

std::optional<QString> DetectionProbe::runForText(const QString& program,
                                                  const QStringList& arguments,
                                                  const std::optional<QString>& searchPath,
                                                  int timeoutMs) {
    const std::optional<QString> output = run(program, arguments, searchPath, timeoutMs);
    if (!output)
        return std::nullopt;
    const QString text = output->trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace korvi
