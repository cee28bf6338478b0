#pragma once

// Runs BIND's own checkers on texts the writers produce. Header-only, for
// tests: everything is written below a QTemporaryDir the test owns.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace korvi::test {

inline const QString checkZoneProgram = QStringLiteral("/usr/bin/named-checkzone");
inline const QString checkConfProgram = QStringLiteral("/usr/bin/named-checkconf");

struct ProgramResult {
    bool finished = false;
    int exitCode = -1;
    QString output; // standard output
    QString errors; // standard error
    bool ok() const { return finished && exitCode == 0; }
    QString describe() const {
        return QStringLiteral("exit %1\n%2%3").arg(exitCode).arg(errors, output);
    }
};

inline bool bindCheckersInstalled() {
    return QFileInfo(checkZoneProgram).isExecutable() && QFileInfo(checkConfProgram).isExecutable();
}

inline bool writeTextFile(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

inline std::unique_ptr<QProcess> startProgram(const QString& program,
                                              const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->start();
    return process;
}

inline ProgramResult finishProgram(QProcess& process, int timeoutMs = 30000) {
    ProgramResult result;
    result.finished =
        process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    if (!result.finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}

inline ProgramResult runProgram(const QString& program, const QStringList& arguments) {
    auto process = startProgram(program, arguments);
    return finishProgram(*process);
}

// named-checkzone with its default checks.
inline ProgramResult checkZone(const QString& zoneName, const QString& path) {
    return runProgram(checkZoneProgram, {zoneName, path});
}

// named-checkzone that also prints the zone as BIND loaded it, one record a
// line, to standard output.
inline QStringList dumpZoneArguments(const QString& zoneName, const QString& path) {
    return {QStringLiteral("-D"), QStringLiteral("-o"), QStringLiteral("-"), zoneName, path};
}

// Records in a dump printed by dumpZoneArguments.
inline int countDumpedRecords(const QString& dump) {
    int count = 0;
    for (const QString& line : dump.split(u'\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith(u';'))
            ++count;
    }
    return count;
}

inline ProgramResult checkConf(const QString& path) {
    return runProgram(checkConfProgram, {path});
}

// The version of the installed named ("9.18.49-1~deb12u3-Debian"), or empty.
inline QString installedBindVersion() {
    for (const QString& program : {QStringLiteral("/usr/sbin/named"), QStringLiteral("named")}) {
        const ProgramResult result = runProgram(program, {QStringLiteral("-v")});
        static const QRegularExpression pattern(QStringLiteral("BIND\\s+(\\S+)"));
        const auto match = pattern.match(result.output + result.errors);
        if (result.finished && match.hasMatch())
            return match.captured(1);
    }
    return {};
}

} // namespace korvi::test
