#pragma once

#include <QByteArray>
#include <QMap>
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
    // Korvi's TSIG keys: korvi-keys.conf beside Korvi's include.
    QString keyFile() const;
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
    // Korvi's key file: only key statements Korvi writes (TsigKeyFile),
    // checked as part of the whole configuration, written root-owned and
    // readable by the server's group only (0640), since it holds secrets.
    FileOperationResult writeKeys(const QByteArray& bytes) const;
    // Adds or removes the one include line; the rest of the file stays as
    // it was, byte for byte. Removing the line also removes Korvi's include.
    FileOperationResult addIncludeLine() const;
    FileOperationResult removeIncludeLine() const;

    // Takes a primary zone declared outside views in a file of the
    // configuration's folder that BIND reads (not Korvi's include, not one
    // of the distribution's stock files) into Korvi's include. `newText` must
    // be that file's text without exactly the zone's statement, every other
    // byte as it is; Korvi's file for the zone must be written already. The
    // whole new configuration (the file, Korvi's include listing the zone,
    // the include line) is judged by named-checkconf before anything is
    // written; a write that fails puts back the files already written, the
    // declaring file from the copy read first (OwnedFilesAdoption.cpp).
    FileOperationResult adoptZone(const QString& zone, const QString& file,
                                  const QByteArray& newText) const;

    // The zones a distribution declares for itself (localhost and the
    // reverse zones of its default-zones file), never adopted.
    static bool isDistributionZone(const QString& zone);
    // The distribution's stock zone files of named.conf (named.conf.default-zones,
    // zones.rfc1918), whose statements are never taken out.
    static bool isDistributionFile(const QString& path);

    // The working folders ("directory") the live configuration names, as
    // named-checkconf prints it; relative zone file names are taken from the
    // first. Runs the checker and waits: never on the window's thread.
    QStringList workingDirectories() const;

private:
    FileOperationResult checkZone(const QString& zone, const QByteArray& bytes) const;
    FileOperationResult checkConfiguration(const QString& path, const QByteArray& bytes) const;
    // The same with several files replaced at once; the include host gets
    // Korvi's include line unless it is one of them.
    FileOperationResult checkConfiguration(const QMap<QString, QByteArray>& candidates) const;
    FileOperationResult readIncludeHost(QByteArray* bytes) const;
    // Written with the distribution's owner and mode (root, the server's
    // group, `mode`), or with those of `keepFrom` when it is given.
    FileOperationResult replaceFile(const QString& path, const QByteArray& bytes,
                                    const QString& allowedDirectory, const QString& keepFrom = {},
                                    int mode = 0644) const;

    OwnedFileLayout m_layout;
    QString m_checkZone;
    QString m_checkConf;
};

} // namespace korvi
