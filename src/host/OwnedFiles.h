#pragma once

#include <QByteArray>
#include <QString>

#include "host/HostFacts.h"

namespace korvi {

// The outcome of one privileged file operation: done, or refused or failed
// with a message in Korvi's words.
struct FileOperationResult {
    enum class Outcome { done, refused, failed };
    Outcome outcome = Outcome::done;
    QString message;

    bool ok() const { return outcome == Outcome::done; }
    static FileOperationResult done(QString message = {}) {
        return {Outcome::done, std::move(message)};
    }
    static FileOperationResult refused(QString message) {
        return {Outcome::refused, std::move(message)};
    }
    static FileOperationResult failed(QString message) {
        return {Outcome::failed, std::move(message)};
    }
};

// Where Korvi's own files live on a host: one include file beside the
// distribution's configuration, one line that includes it, and a folder of
// zone files. Every path is fixed by the host family, under an optional
// root (tests rebase the whole tree into a temporary folder).
struct OwnedFileLayout {
    QString configuration;  // the distribution's named.conf
    QString includeHost;    // the file that gets Korvi's include line
    QString korviInclude;   // Korvi's include file
    QString zoneDirectory;  // Korvi's zone files
    QString serverGroup;    // the group named runs as ("bind", "named")
    bool relabel = false;   // SELinux labels restored after a write
    QString relabelProgram; // restorecon

    static OwnedFileLayout forFamily(HostFamily family, const QString& root = {});
    // The exact line Korvi adds to includeHost.
    QByteArray includeLine() const;
    // Korvi's zone file for a zone: "<zoneDirectory>/db.<zone>".
    QString zoneFile(const QString& zone) const;
};

// The file work that needs root, done with no trust in the caller: every path
// is derived from the layout, never taken from the caller; symbolic links are
// refused; zone files and the include are written only after BIND's checker
// accepted exactly the bytes being written. Used by korvi-helper, and
// in-process when Korvi itself runs as root.
class OwnedFiles {
public:
    explicit OwnedFiles(OwnedFileLayout layout, QString checkZoneProgram = {},
                        QString checkConfProgram = {});

    const OwnedFileLayout& layout() const { return m_layout; }

    // Whether a zone name is one Korvi writes a file for: letters, digits,
    // "-", "_" and dots between labels; no "/", no leading dot, no "..".
    static bool isAcceptableZoneName(const QString& zone);

    FileOperationResult writeZone(const QString& zone, const QByteArray& bytes) const;
    FileOperationResult removeZone(const QString& zone) const;
    // Korvi's include file, checked as part of the whole configuration.
    FileOperationResult writeInclude(const QByteArray& bytes) const;
    // Adds or removes the one include line; the rest of the file stays as
    // it was, byte for byte. Removing the line also removes Korvi's include.
    FileOperationResult addIncludeLine() const;
    FileOperationResult removeIncludeLine() const;

private:
    FileOperationResult checkZone(const QString& zone, const QByteArray& bytes) const;
    FileOperationResult checkConfiguration(const QString& path, const QByteArray& bytes) const;
    FileOperationResult readIncludeHost(QByteArray* bytes) const;
    // The working folders ("directory") the live configuration names.
    QStringList workingDirectories() const;
    FileOperationResult replaceFile(const QString& path, const QByteArray& bytes,
                                    const QString& allowedDirectory) const;

    OwnedFileLayout m_layout;
    QString m_checkZone;
    QString m_checkConf;
};

} // namespace korvi
