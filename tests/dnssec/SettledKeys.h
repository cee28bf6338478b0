#pragma once

// A signed zone's keys as they stand a day after signing, with the DS at the parent: BIND's own
// key state files moved a day back with dnssec-settime, then read again (rndc loadkeys), so that
// a test need not wait for the TTLs BIND waits out. (A zone whose keys were never fully
// published BIND unsigns at once; one whose DS is at the parent it unsigns over hours.)

#include <QDir>
#include <QProcess>

#include "platform/SystemLayout.h"

namespace korvi::test {

// Empty when done, else what went wrong.
inline QString settleKeys(const SystemLayout& layout, const QString& zone) {
    const QStringList keys =
        QDir(layout.zoneDirectory).entryList({u"K"_s + zone + u".+*.key"_s}, QDir::Files);
    if (keys.isEmpty())
        return u"no key files"_s;
    const QString day = u"-1d"_s, omni = u"OMNIPRESENT"_s;
    for (const QString& key : keys) {
        QProcess settime;
        settime.setWorkingDirectory(layout.zoneDirectory);
        settime.start(u"dnssec-settime"_s,
                      {u"-P"_s, day,  u"-A"_s, day,     u"-P"_s, u"sync"_s, day,  u"-s"_s,
                       u"-g"_s, omni, u"-k"_s, omni,    day,     u"-r"_s,   omni, day,
                       u"-z"_s, omni, day,     u"-d"_s, omni,    day,       key});
        if (!settime.waitForFinished(10000) || settime.exitCode() != 0)
            return u"dnssec-settime: "_s + QString::fromUtf8(settime.readAllStandardError());
    }
    QProcess rndc;
    rndc.start(u"rndc"_s, {u"-k"_s, layout.rndcKeyPath, u"-s"_s, u"127.0.0.1"_s, u"-p"_s,
                           QString::number(layout.rndcControlPort), u"loadkeys"_s, zone});
    if (!rndc.waitForFinished(10000) || rndc.exitCode() != 0)
        return u"rndc loadkeys: "_s + QString::fromUtf8(rndc.readAllStandardError());
    return QString();
}

} // namespace korvi::test
