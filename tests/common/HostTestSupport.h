#pragma once

#include <sys/stat.h>

// A host whose every path and program lies in a test's temporary directory, managers on it,
// file helpers, console capture, and the application log taken apart.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <memory>
#include <optional>

#include "StdoutCapture.h"
#include "manager/DNSServerManager.h"
#include "manager/ServerStatus.h"
#include "manager/ZoneRepository.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi::test {

using namespace Qt::StringLiterals;

// The sandbox's pattern and BIND's files want plain folder names.
inline bool isPlainPath(const QString& path) {
    static const QRegularExpression unsafe(u"[\\s&|;`$()<>\\\\\"'\\[\\]*?]"_s);
    return !unsafe.match(path).hasMatch();
}

// Writes a file below root (or at an absolute path); returns its path, empty on failure.
inline QString writeFile(const QString& root, const QString& relativePath,
                         const QByteArray& content, bool executable = true) {
    const QString path = relativePath.startsWith(u'/') ? relativePath : root + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                        (executable ? QFile::ExeOwner : QFile::Permissions()));
    return path;
}

// Every file below a folder, its subfolders included (Korvi's scratch folders stay, empty).
inline QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

// The scratch copies below a folder: its files except the pipes on which a zone's next checker
// waits (they stay while Korvi runs).
inline QStringList scratchCopiesBelow(const QString& folder) {
    QStringList files = filesBelow(folder);
    files.removeIf([](const QString& path) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 &&
               S_ISFIFO(status.st_mode);
    });
    return files;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A layout whose every path, probe and command lies below root (programs in root/bin/).
inline SystemLayout isolatedLayout(const QString& root) {
    SystemLayout layout = SystemLayout::standard();
    const auto at = [&root](const char* relative) { return root + QLatin1String(relative); };
    const auto all = [&at](std::initializer_list<const char*> relative) {
        QStringList paths;
        for (const char* path : relative)
            paths.append(at(path));
        return paths;
    };
    layout.namedConfigPath = at("/etc/named.conf");
    layout.zoneDirectory = at("/var/named");
    layout.bindExecutablePath = at("/constant/named");
    layout.temporaryDirectory = at("/tmp");
    layout.dataDirectory = at("/data");
    layout.allowedPathPrefixes = all({"/var/", "/etc/"});
    layout.allowedCommandPrefixes = all({"/bin/"});
    layout.commandKillGraceMs = 500;
    layout.homebrewProbePaths = all(
        {"/opt/homebrew/bin/brew", "/usr/local/bin/brew", "/home/linuxbrew/.linuxbrew/bin/brew"});
    layout.homebrewInstallPaths = layout.homebrewProbePaths.mid(0, 2);
    layout.macPortsProbePaths = all({"/opt/local/bin/port"});
    layout.macPortsInstallPath = at("/opt/local/bin/port");
    layout.aptProbePaths = all({"/usr/bin/apt-get"});
    layout.aptInstallPath = at("/usr/bin/apt-get");
    layout.bindProbePaths = all({"/opt/homebrew/sbin/named", "/usr/local/sbin/named",
                                 "/opt/local/sbin/named", "/usr/sbin/named", "/usr/bin/named"});
    layout.whichPath = at("/usr/bin/which");
    layout.bindSearchPath = at("/search");
    layout.homebrewConfirmationSearchPath = at("/opt/homebrew/bin:") + at("/usr/local/bin");
    layout.privilegePromptPath = at("/usr/bin/pkexec");
    layout.statusCheckPath = u"/usr/bin/pgrep"_s;
    layout.statusCheckArguments = {u"-f"_s, u"[/]"_s + root.mid(1) + u"/nothing"_s};
    layout.bindLogPaths = all({"/var/named/data/named.run", "/var/log/named.log"});
    layout.launchDaemonPlistPath.clear();
    layout.startCommand = {at("/bin/start-first")};
    layout.startFallbackCommand = {at("/bin/start-second")};
    layout.stopCommand = {at("/bin/stop-first")};
    layout.stopFallbackCommand = {at("/bin/stop-second")};
    layout.reloadCommand = {at("/bin/reload")};
    return layout;
}

inline std::unique_ptr<DNSServerManager> makeManager(const QString& root,
                                                     const SystemLayout& layout) {
    return std::make_unique<DNSServerManager>(
        layout, std::make_shared<PreferencesStore>(root + u"/prefs.ini"_s));
}

// A manager on an isolated layout has no server behind it: a status set to running there is a
// pretence, so its changes are not checked against the server (tests/apply checks that part
// against a real named).
inline void withoutServedCheck(DNSServerManager& manager) {
    manager.zoneRepository()->setAnswerSource(nullptr);
}

// A log line taken apart; no level for a line added as it is (server log lines).
struct LogEntry {
    std::optional<LogLevel> level;
    QString message;
};

inline LogEntry parseLogLine(const QString& line) {
    static const QRegularExpression stamp(u"^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} "_s);
    if (stamp.match(line).hasMatch()) {
        for (LogLevel level : allLogLevels()) {
            const QString prefix = levelWord(level) + u": "_s;
            if (line.mid(20).startsWith(prefix))
                return {level, line.mid(20 + prefix.size())};
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

// Time-stamped lines with exactly this message, at this level (any when none is given).
inline int logCount(const DNSServerManager& manager, const QString& message,
                    std::optional<LogLevel> level = std::nullopt) {
    int count = 0;
    for (const LogEntry& entry : logEntries(manager))
        count += entry.level && entry.message == message && (!level || *entry.level == *level);
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

// Waits until the start-up detections (and, for a BIND found, status and version) report,
// and the stored zones are in with their records.
inline bool waitForDetections(const DNSServerManager& manager, int timeoutMs = 10000) {
    const auto seen = [&manager](const QString& part) {
        return !manager.logs().filter(part).isEmpty();
    };
    const auto reported = [&](const QString& name) {
        return logCount(manager, u"✅ "_s + name + u" detected successfully"_s) +
                   logCount(manager, u"❌ "_s + name + u" not found"_s) >
               0;
    };
    const auto stored = [&] {
        if (!manager.isStorageLoaded())
            return false;
        for (const ZonePtr& zone : manager.zones()) {
            if (!zone->recordsLoaded())
                return false;
        }
        return true;
    };
    const auto done = [&] {
        if (!stored())
            return false;
        const bool found = manager.isBindInstalled();
        return logCount(manager, u"BIND DNS server is not installed on this system"_s) +
                       logCount(manager,
                                u"BIND DNS server detected at: "_s + manager.detectedBindPath()) >
                   0 &&
               (!found || seen(u"DNS server process "_s)) &&
               (!found || seen(u"BIND version "_s) || seen(u"Failed to check BIND version"_s)) &&
               (manager.layout().aptProbePaths.isEmpty() || reported(u"APT"_s)) &&
               reported(u"Homebrew"_s) && reported(u"MacPorts"_s);
    };
    return QTest::qWaitFor(done, timeoutMs);
}

// A log or console line without its time stamp: "ℹ️ INFO: text".
inline QString logLine(LogLevel level, const QString& message) {
    return levelWord(level) + u": "_s + message;
}
inline QString debugLine(const QString& m) {
    return logLine(LogLevel::debug, m);
}
inline QString infoLine(const QString& m) {
    return logLine(LogLevel::info, m);
}
inline QString warningLine(const QString& m) {
    return logLine(LogLevel::warning, m);
}
inline QString errorLine(const QString& m) {
    return logLine(LogLevel::error, m);
}
inline QString successLine(const QString& m) {
    return logLine(LogLevel::success, m);
}

inline QStringList withoutTimeStamps(const QStringList& lines) {
    static const QRegularExpression stamp(u"^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} "_s);
    QStringList out;
    for (const QString& line : lines)
        out.append(QString(line).remove(stamp));
    return out;
}

// Runs what is queued in the thread pool and on the main thread.
inline void settle() {
    for (int round = 0; round < 3; ++round) {
        QThreadPool::globalInstance()->waitForDone(10000);
        QCoreApplication::processEvents();
    }
}

// A private host: layout, preferences and console files below one QTemporaryDir.
class Host {
    QTemporaryDir m_dir;
    int m_files = 0;

public:
    SystemLayout layout = isolatedLayout(m_dir.path());

    Host() { QDir().mkpath(layout.temporaryDirectory); }
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return root() + u'/' + relative; }
    std::shared_ptr<PreferencesStore> preferences(const QString& name = u"prefs.ini"_s) const {
        return std::make_shared<PreferencesStore>(path(name));
    }
    // A manager on `layout`, detections done; its start-up console lines go to *startUp.
    std::unique_ptr<DNSServerManager> manager(std::shared_ptr<PreferencesStore> prefs = {},
                                              QStringList* startUp = nullptr) {
        StdoutCapture capture(path(u"console%1.txt"_s.arg(++m_files)));
        auto manager = std::make_unique<DNSServerManager>(layout, prefs ? prefs : preferences());
        withoutServedCheck(*manager);
        waitForDetections(*manager);
        settle();
        const QStringList lines = withoutTimeStamps(capture.finish());
        if (startUp)
            *startUp = lines;
        return manager;
    }
    // The console lines f() writes, time stamps removed (queued log appends run later).
    template <typename F> QStringList lines(F f) {
        StdoutCapture capture(path(u"console%1.txt"_s.arg(++m_files)));
        f();
        return withoutTimeStamps(capture.finish());
    }
    QString write(const QString& relative, const QByteArray& content, bool executable = false) {
        return writeFile(root(), relative, content, executable);
    }
};

} // namespace korvi::test
