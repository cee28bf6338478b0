#pragma once

// Shared by the tests of detection, installation, status, server log and
// server control: a host layout whose every path and program lies inside a
// test's temporary directory, fake programs written there, and ways to read
// the application log.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>
#include <optional>

#include "manager/DNSServerManager.h"
#include "manager/ServerStatus.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi::test {

// Command lines are cleaned of metacharacters before the shell sees them, so
// a directory the tests run programs from must have a plain name.
inline bool isPlainPath(const QString& path) {
    static const QRegularExpression unsafe(QStringLiteral("[\\s&|;`$()<>\\\\\"'\\[\\]*?]"));
    return !unsafe.match(path).hasMatch();
}

// Writes a file below root, executable unless told otherwise; returns its path.
inline QString writeFile(const QString& root, const QString& relativePath,
                         const QByteArray& content, bool executable = true) {
    const QString path = root + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
    return path;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// A layout that touches nothing outside root: every probe, installer, log
// location and command line points below root, where nothing exists until a
// test puts it there; command lines may start programs from root/bin/.
inline SystemLayout isolatedLayout(const QString& root) {
    SystemLayout layout = SystemLayout::standard();
    layout.namedConfigPath = root + QStringLiteral("/etc/named.conf");
    layout.zoneDirectory = root + QStringLiteral("/var/named");
    layout.bindExecutablePath = root + QStringLiteral("/constant/named");
    layout.temporaryDirectory = root + QStringLiteral("/tmp");
    layout.allowedPathPrefixes = {root + QStringLiteral("/var/"), root + QStringLiteral("/etc/")};
    layout.allowedCommandPrefixes = {root + QStringLiteral("/bin/")};
    layout.commandKillGraceMs = 500;

    layout.homebrewProbePaths = {root + QStringLiteral("/opt/homebrew/bin/brew"),
                                 root + QStringLiteral("/usr/local/bin/brew"),
                                 root + QStringLiteral("/home/linuxbrew/.linuxbrew/bin/brew")};
    layout.macPortsProbePaths = {root + QStringLiteral("/opt/local/bin/port")};
    layout.aptProbePaths = {root + QStringLiteral("/usr/bin/apt-get")};
    layout.bindProbePaths = {root + QStringLiteral("/opt/homebrew/sbin/named"),
                             root + QStringLiteral("/usr/local/sbin/named"),
                             root + QStringLiteral("/opt/local/sbin/named"),
                             root + QStringLiteral("/usr/sbin/named"),
                             root + QStringLiteral("/usr/bin/named")};
    layout.whichPath = root + QStringLiteral("/usr/bin/which");
    layout.bindSearchPath = root + QStringLiteral("/search");
    layout.homebrewConfirmationSearchPath =
        root + QStringLiteral("/opt/homebrew/bin:") + root + QStringLiteral("/usr/local/bin");
    layout.homebrewInstallPaths = {root + QStringLiteral("/opt/homebrew/bin/brew"),
                                   root + QStringLiteral("/usr/local/bin/brew")};
    layout.macPortsInstallPath = root + QStringLiteral("/opt/local/bin/port");
    layout.aptInstallPath = root + QStringLiteral("/usr/bin/apt-get");
    layout.privilegePromptPath = root + QStringLiteral("/usr/bin/pkexec");

    layout.statusCheckPath = QStringLiteral("/usr/bin/pgrep");
    layout.statusCheckArguments = {QStringLiteral("-f"), QStringLiteral("[/]") + root.mid(1) +
                                                             QStringLiteral("/nothing")};
    layout.bindLogPaths = {root + QStringLiteral("/var/named/data/named.run"),
                           root + QStringLiteral("/var/log/named.log")};

    layout.launchDaemonPlistPath.clear();
    layout.startCommand = root + QStringLiteral("/bin/start-first");
    layout.startFallbackCommand = root + QStringLiteral("/bin/start-second");
    layout.stopCommand = root + QStringLiteral("/bin/stop-first");
    layout.stopFallbackCommand = root + QStringLiteral("/bin/stop-second");
    layout.reloadCommand = root + QStringLiteral("/bin/reload");
    return layout;
}

inline std::unique_ptr<DNSServerManager> makeManager(const QString& root,
                                                     const SystemLayout& layout) {
    return std::make_unique<DNSServerManager>(
        layout, std::make_shared<PreferencesStore>(root + QStringLiteral("/prefs.ini")));
}

// One line of the application log: the level and message of a time-stamped
// line, or no level for a line added as it is (server log lines).
struct LogEntry {
    std::optional<LogLevel> level;
    QString message;
};

inline LogEntry parseLogLine(const QString& line) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} "));
    if (stamp.match(line).hasMatch()) {
        const QString rest = line.mid(20);
        for (LogLevel level : allLogLevels()) {
            const QString prefix = levelWord(level) + QStringLiteral(": ");
            if (rest.startsWith(prefix))
                return {level, rest.mid(prefix.size())};
        }
    }
    return {std::nullopt, line};
}

// The log's lines from index `from` on, taken apart.
inline QList<LogEntry> logEntries(const DNSServerManager& manager, qsizetype from = 0) {
    QList<LogEntry> entries;
    for (qsizetype i = from; i < manager.logs().size(); ++i)
        entries.append(parseLogLine(manager.logs().at(i)));
    return entries;
}

// How many time-stamped lines carry exactly this message, at this level
// (or at any level when none is given).
inline int logCount(const DNSServerManager& manager, const QString& message,
                    std::optional<LogLevel> level = std::nullopt) {
    int count = 0;
    for (const LogEntry& entry : logEntries(manager)) {
        if (entry.level && entry.message == message && (!level || *entry.level == *level))
            ++count;
    }
    return count;
}

// Messages of the time-stamped lines, in order.
inline QStringList logMessages(const DNSServerManager& manager) {
    QStringList messages;
    for (const LogEntry& entry : logEntries(manager)) {
        if (entry.level)
            messages.append(entry.message);
    }
    return messages;
}

// Index of the first time-stamped line with this message, or -1.
inline qsizetype logIndex(const DNSServerManager& manager, const QString& message) {
    const QList<LogEntry> entries = logEntries(manager);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].level && entries[i].message == message)
            return i;
    }
    return -1;
}

// Waits until the start-up detections have reported: the three package
// managers and BIND.
inline bool waitForDetections(const DNSServerManager& manager, int timeoutMs = 10000) {
    const auto reported = [&manager](const QString& name) {
        return logCount(manager,
                        QStringLiteral("✅ ") + name + QStringLiteral(" detected successfully")) +
                   logCount(manager, QStringLiteral("❌ ") + name + QStringLiteral(" not found")) >
               0;
    };
    const auto done = [&] {
        const bool bind =
            logCount(manager, QStringLiteral("BIND DNS server is not installed on this system")) +
                logCount(manager, QStringLiteral("BIND DNS server detected at: ") +
                                      manager.detectedBindPath()) >
            0;
        // A found named is followed by a status check and a version query;
        // both report later and must not land in the middle of a test.
        const bool found = manager.isBindInstalled();
        const auto seen = [&manager](const QString& part) {
            return !manager.logs().filter(part).isEmpty();
        };
        const bool statusKnown = !found || seen(QStringLiteral("DNS server process "));
        const bool versionKnown = !found || seen(QStringLiteral("BIND version ")) ||
                                  seen(QStringLiteral("Failed to check BIND version"));
        const bool apt =
            manager.layout().aptProbePaths.isEmpty() || reported(QStringLiteral("APT"));
        return bind && statusKnown && versionKnown && apt && reported(QStringLiteral("Homebrew")) &&
               reported(QStringLiteral("MacPorts"));
    };
    return QTest::qWaitFor(done, timeoutMs);
}

} // namespace korvi::test
