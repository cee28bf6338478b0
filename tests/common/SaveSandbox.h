#pragma once

// A private host for the tests of the checked saves: BIND's files, the
// scratch directory and the preferences all live below one QTemporaryDir, and
// the manager runs the real named-checkzone / named-checkconf through the
// standard allow-list. Header-only, for tests.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

#include "manager/DNSServerManager.h"
#include "manager/ServerStatus.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"
#include "HostTestSupport.h"

namespace korvi::test {

// The messages from index `from` on, when every one of them is at level info;
// otherwise a list naming the first line at another level, so that the
// comparison fails and says why.
inline QStringList infoMessages(const DNSServerManager& manager, qsizetype from = 0) {
    QStringList messages;
    for (const LogEntry& entry : logEntries(manager, from)) {
        if (entry.level != LogLevel::info)
            return {QStringLiteral("line not at level info: ") +
                    (entry.level ? levelWord(*entry.level) : QStringLiteral("(none)")) +
                    QStringLiteral(": ") + entry.message};
        messages.append(entry.message);
    }
    return messages;
}

// The time stamp in the third header line of a zone file ("; ...Z") or of
// named.conf ("// ...Z").
inline QDateTime headerTime(const QByteArray& fileBytes) {
    static const QRegularExpression pattern(QStringLiteral(
        "\\A[^\\n]*\\n[^\\n]*\\n(?:;|//) (\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ)\\n"));
    const auto match = pattern.match(QString::fromUtf8(fileBytes));
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1), Qt::ISODate);
}

inline std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes,
                       QFile::Permissions permissions = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = file.write(bytes) == bytes.size();
    file.close();
    if (permissions)
        file.setPermissions(permissions);
    return ok;
}

class SaveSandbox {
public:
    SaveSandbox() : m_root(m_dir.path()) {}

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& relative) const { return m_root + u'/' + relative; }
    QString root() const { return m_root; }

    // Paths inside the sandbox; none of the folders exists until something
    // creates it, except the scratch folder.
    QString namedConfPath() const { return path(QStringLiteral("etc/named.conf")); }
    QString zoneDirectory() const { return path(QStringLiteral("var/named")); }
    QString zoneFilePath(const QString& zoneName) const {
        return zoneDirectory() + QStringLiteral("/db.") + zoneName;
    }
    QString temporaryDirectory() const { return path(QStringLiteral("tmp")); }
    QString shellRunsPath() const { return path(QStringLiteral("shell-runs")); }

    // The isolated test layout (nothing to detect, the standard allowed
    // commands and shell search path), with BIND's files and the scratch
    // folder below the root.
    SystemLayout layout() const {
        SystemLayout layout = korvi::test::isolatedLayout(m_root);
        layout.namedConfigPath = namedConfPath();
        layout.zoneDirectory = zoneDirectory();
        layout.bindExecutablePath = path(QStringLiteral("sbin/named"));
        layout.allowedPathPrefixes = {path(QStringLiteral("etc/")), zoneDirectory() + u'/'};
        layout.temporaryDirectory = temporaryDirectory();
        layout.namedConfOptionLines = {
            QStringLiteral("pid-file \"%1\";").arg(zoneDirectory() + QStringLiteral("/named.pid")),
            QStringLiteral("session-keyfile \"%1\";")
                .arg(zoneDirectory() + QStringLiteral("/session.key"))};
        QDir().mkpath(temporaryDirectory());
        return layout;
    }

    // The layout with a shell that notes its command line (the argument
    // after "-c") in shellRunsPath() before handing it to bash, so a test can
    // see what ran and that nothing did.
    SystemLayout recordingLayout() const {
        SystemLayout result = layout();
        const QString script = path(QStringLiteral("bin/recording-shell"));
        writeBytes(
            script,
            QStringLiteral("#!/bin/bash\nprintf '%s\\n' \"$2\" >> '%1'\nexec /bin/bash \"$@\"\n")
                .arg(shellRunsPath())
                .toUtf8(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        result.shellPath = script;
        return result;
    }

    // Command lines the recording shell was given, in order.
    QStringList shellRuns() const {
        const auto bytes = readBytes(shellRunsPath());
        if (!bytes)
            return {};
        return QString::fromUtf8(*bytes).split(u'\n', Qt::SkipEmptyParts);
    }

    // Puts an executable script called `name` into a folder of its own and
    // returns a shell search path that finds it before the system's programs.
    QString fakeProgramSearchPath(const QString& name, const QByteArray& script) const {
        const QString folder = path(QStringLiteral("fakebin"));
        writeBytes(folder + u'/' + name, script,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return folder + QStringLiteral(":/usr/bin:/bin");
    }

    // An empty folder, as a shell search path where no checker can be found.
    QString emptySearchPath() const {
        const QString folder = path(QStringLiteral("emptybin"));
        QDir().mkpath(folder);
        return folder;
    }

    QStringList temporaryFiles() const {
        return QDir(temporaryDirectory())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<DNSServerManager> makeManager(const SystemLayout& layout) const {
        auto manager = std::make_unique<DNSServerManager>(
            layout, std::make_shared<PreferencesStore>(path(QStringLiteral("prefs.ini"))));
        // Let the start-up lines reach the log, so tests can count from here.
        korvi::test::waitForDetections(*manager);
        QCoreApplication::processEvents();
        return manager;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

// A scratch-copy name: the folder, the stem, then an upper-case UUID.
inline QRegularExpression temporaryPathPattern(const QString& folder, const QString& stem) {
    return QRegularExpression(
        QRegularExpression::escape(folder + u'/' + stem) +
        QStringLiteral("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"));
}

} // namespace korvi::test
