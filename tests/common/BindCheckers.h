#pragma once

// BIND's own checkers run on the writers' texts, and the fixed data of the zone-file tests.

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

#include <memory>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi::test {

using namespace Qt::StringLiterals;

inline const QString checkZoneProgram = u"/usr/bin/named-checkzone"_s;
inline const QString checkConfProgram = u"/usr/bin/named-checkconf"_s;

struct ProgramResult {
    bool finished = false;
    int exitCode = -1;
    QString output; // standard output
    QString errors; // standard error
    bool ok() const { return finished && exitCode == 0; }
    QString describe() const { return u"exit %1\n%2%3"_s.arg(exitCode).arg(errors, output); }
};

inline bool bindCheckersInstalled() {
    return QFileInfo(checkZoneProgram).isExecutable() && QFileInfo(checkConfProgram).isExecutable();
}

inline bool writeTextFile(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

inline std::unique_ptr<QProcess> startProgram(const QString& program, const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    process->start(program, args);
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
    return finishProgram(*startProgram(program, arguments));
}

inline ProgramResult checkZone(const QString& zoneName, const QString& path) {
    return runProgram(checkZoneProgram, {zoneName, path});
}

// named-checkzone that also prints the zone as BIND loaded it, one record a line.
inline QStringList dumpZoneArguments(const QString& zoneName, const QString& path) {
    return {u"-D"_s, u"-o"_s, u"-"_s, zoneName, path};
}

// The records of such a dump, white space collapsed.
inline QStringList dumpedRecords(const QString& dump) {
    QStringList records;
    for (const QString& line : dump.split(u'\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith(u';'))
            records.append(line.simplified());
    }
    return records;
}

inline ProgramResult checkConf(const QString& path) {
    return runProgram(checkConfProgram, {path});
}

// The version of the installed named ("9.18.49-1~deb12u3-Debian"), or empty.
inline QString installedBindVersion() {
    for (const QString& program : {u"/usr/sbin/named"_s, u"named"_s}) {
        const ProgramResult result = runProgram(program, {u"-v"_s});
        static const QRegularExpression pattern(u"BIND\\s+(\\S+)"_s);
        const auto match = pattern.match(result.output + result.errors);
        if (result.finished && match.hasMatch())
            return match.captured(1);
    }
    return {};
}

inline const QDateTime fixedTime(QDate(2025, 3, 5), QTime(14, 7), QTimeZone::utc());

inline SOARecord standardSOA() {
    return SOARecord{u"ns1.example.com."_s, u"admin.example.com."_s, 2025030501};
}

// Record options from "priority=10 tag=issue".
inline RecordOptions opts(const QString& text) {
    RecordOptions o;
    std::optional<qint64>* const numbers[] = {&o.priority,  &o.weight,     &o.port,  &o.flag,
                                              &o.algorithm, &o.digestType, &o.usage, &o.selector};
    static const QStringList keys = {u"priority"_s,  u"weight"_s,     u"port"_s,  u"flag"_s,
                                     u"algorithm"_s, u"digestType"_s, u"usage"_s, u"selector"_s};
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0);
        if (key == u"tag"_s)
            o.tag = part.section(u'=', 1);
        else if (keys.contains(key))
            *numbers[keys.indexOf(key)] = part.section(u'=', 1).toLongLong();
    }
    return o;
}

// A record as it stands, without the cleaning constructor.
inline DNSRecord rawRecord(const QString& name, DNSRecordType type, const QString& value,
                           qint64 ttl = 3600) {
    DNSRecord record;
    record.name = name;
    record.type = type;
    record.value = value;
    record.ttl = ttl;
    return record;
}

} // namespace korvi::test
