#pragma once

// Shared helpers of the zone and record operation tests: a host layout and a
// private preferences file inside a QTemporaryDir, the console lines an
// operation writes, and the stored zone document.

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimeZone>

#include <memory>

#include "StdoutCapture.h"
#include "manager/DNSServerManager.h"
#include "manager/ZoneStorage.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi::testing {

// Application-log lines lose their time stamp, so "2026-01-31 08:05:09 ℹ️
// INFO: text" reads "ℹ️ INFO: text"; console lines stay as they are.
inline QStringList withoutTimeStamps(const QStringList& lines) {
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )"));
    QStringList out;
    for (const QString& line : lines) {
        const auto match = stamp.match(line);
        out.append(match.hasMatch() ? line.mid(match.capturedLength()) : line);
    }
    return out;
}

inline QString debugLine(const QString& m) {
    return QStringLiteral("🔍 DEBUG: ") + m;
}
inline QString infoLine(const QString& m) {
    return QStringLiteral("ℹ️ INFO: ") + m;
}
inline QString warningLine(const QString& m) {
    return QStringLiteral("⚠️ WARNING: ") + m;
}
inline QString errorLine(const QString& m) {
    return QStringLiteral("❌ ERROR: ") + m;
}
inline QString successLine(const QString& m) {
    return QStringLiteral("✅ SUCCESS: ") + m;
}

// Noon of 5 March 2025 on the local clock: the day serials are made for.
inline QDateTime fixedNoon() {
    return QDateTime(QDate(2025, 3, 5), QTime(12, 0));
}

// Everything of a test lives in one temporary directory: the preferences
// files and the host layouts the managers are built on.
class OperationsSandbox {
public:
    OperationsSandbox() {
        for (const char* sub : {"etc", "var/named", "tmp"})
            QDir(m_dir.path()).mkpath(QLatin1String(sub));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // A store on the sandbox's shared preferences file, which managers meant
    // to see each other's zones are built on.
    std::shared_ptr<PreferencesStore> openPreferences() const {
        return std::make_shared<PreferencesStore>(path(QStringLiteral("preferences.ini")));
    }

    // The sandbox's host. With writable false no path is allowed at all, so
    // the zone-file and configuration saves refuse every file at once and
    // nothing reaches the disk or runs BIND's checkers.
    SystemLayout layout(bool writable) const {
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = path(QStringLiteral("etc/named.conf"));
        layout.zoneDirectory = path(QStringLiteral("var/named"));
        layout.bindExecutablePath = path(QStringLiteral("sbin/named"));
        layout.allowedCommandPrefixes = {path(QStringLiteral("sbin/"))};
        layout.allowedPathPrefixes.clear();
        if (writable)
            layout.allowedPathPrefixes = {path(QStringLiteral("etc/")),
                                          path(QStringLiteral("var/named/"))};
        layout.temporaryDirectory = path(QStringLiteral("tmp"));
        return layout;
    }

    // A manager on the sandbox, with preferences of its own unless given; its
    // start-up lines go to a scratch file, and whatever it starts in the
    // background is let run before the test goes on.
    std::unique_ptr<DNSServerManager>
    makeManager(bool writable = false, std::shared_ptr<PreferencesStore> preferences = {}) {
        if (!preferences)
            preferences = std::make_shared<PreferencesStore>(
                path(QStringLiteral("preferences%1.ini").arg(++m_files)));
        StdoutCapture capture(scratchFile());
        auto manager = std::make_unique<DNSServerManager>(layout(writable), preferences);
        capture.finish();
        settle();
        return manager;
    }

    static void settle() {
        for (int round = 0; round < 5; ++round) {
            QCoreApplication::processEvents();
            if (QThreadPool::globalInstance()->activeThreadCount() == 0)
                break;
            QThreadPool::globalInstance()->waitForDone(10000);
        }
        QCoreApplication::processEvents();
    }

    // Runs f() with standard output captured and gives the lines written,
    // time stamps removed. Queued work (the log appends among it) runs only
    // afterwards, when the test lets the event loop run.
    template <typename F> QStringList lines(F f) {
        StdoutCapture capture(scratchFile());
        f();
        return withoutTimeStamps(capture.finish());
    }

private:
    QString scratchFile() { return path(QStringLiteral("console%1.txt").arg(++m_files)); }

    QTemporaryDir m_dir;
    int m_files = 0;
};

// The zones stored in these preferences, or nothing when there is no
// readable document.
inline std::optional<QList<ZoneStorageDataV2>> storedZones(const PreferencesStore& preferences) {
    const auto document = preferences.data(ZoneStorage::savedZonesKey());
    if (!document)
        return std::nullopt;
    return ZoneStorage::decodeCurrent(*document);
}

inline QByteArray storedBytes(const PreferencesStore& preferences) {
    return preferences.data(ZoneStorage::savedZonesKey()).value_or(QByteArray("<none>"));
}

// Zone and record helpers.

inline const QString zonePathPrefix = QStringLiteral("/usr/local/var/named/db.");

// A zone with its file where the new-zone form puts it, unless given.
inline ZonePtr makeZone(const QString& name, const QString& filePath = {}) {
    return ZonePtr::create(name, filePath.isEmpty() ? zonePathPrefix + name : filePath);
}

inline SOARecord soaWithSerial(const QString& zoneName, qint64 serial) {
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("ns1.") + zoneName + u'.';
    soa.adminEmail = QStringLiteral("hostmaster.") + zoneName + u'.';
    soa.serial = serial;
    return soa;
}

inline QStringList recordIds(const QList<DNSRecord>& records) {
    QStringList ids;
    for (const DNSRecord& record : records)
        ids.append(uuidText(record.id));
    return ids;
}

inline QStringList zoneNames(const QList<ZonePtr>& zones) {
    QStringList names;
    for (const ZonePtr& zone : zones)
        names.append(zone->name());
    return names;
}

// The lines of a successful save of these zones to the preferences.
inline QStringList storageLines(const QList<ZonePtr>& zones) {
    return {
        infoLine(QStringLiteral("💾 Saved %1 zones to app storage with backup").arg(zones.size())),
        QStringLiteral("💾 Saved zones to UserDefaults: ") + DNSServerManager::namesList(zones)};
}

inline QString incrementLine(const QString& zone, qint64 from, qint64 to) {
    return debugLine(QStringLiteral("Incremented SOA serial for zone '%1': %2 → %3")
                         .arg(zone)
                         .arg(from)
                         .arg(to));
}

// What the zone-file and configuration saves of this build write at once
// when their path is refused (the bare hooks write nothing). Where an
// operation calls a save directly, that line is part of its sequence, at the
// place of the call.
struct SaveRefusals {
    bool zoneFile = false;
    bool configuration = false;

    // Asks a manager on a host with no allowed path.
    static SaveRefusals probe(OperationsSandbox& box) {
        SaveRefusals refusals;
        auto manager = box.makeManager(false);
        const ZonePtr zone = makeZone(QStringLiteral("probe.example"));
        refusals.zoneFile = box.lines([&] { manager->saveZoneFile(zone); })
                                .contains(zoneFileRefusal(zone->filePath()));
        refusals.configuration =
            box.lines([&] { manager->saveConfiguration(); }).contains(configurationRefusal());
        OperationsSandbox::settle();
        return refusals;
    }
    static QString zoneFileRefusal(const QString& path) {
        return infoLine(QStringLiteral("Invalid zone file path: ") + path);
    }
    static QString configurationRefusal() {
        return infoLine(QStringLiteral("Invalid configuration file path"));
    }
    QStringList zoneFileLines(const ZonePtr& zone) const {
        return zoneFile ? QStringList{zoneFileRefusal(zone->filePath())} : QStringList{};
    }
    QStringList configurationLines() const {
        return configuration ? QStringList{configurationRefusal()} : QStringList{};
    }
};

} // namespace korvi::testing
