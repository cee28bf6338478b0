#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

namespace korvi {

// One file a change replaced: its text before and after the change (none:
// there was no file then). In the store the texts live in files of their own
// under the data folder's history/; the index holds their names.
struct SnapshotFile {
    // "zone" for the zone's file, "configuration" for named.conf or Korvi's
    // include.
    QString role;
    QString path;
    std::optional<QString> before;
    std::optional<QString> after;
    // The stored texts' file names inside history/ (empty: no text).
    QString beforeName;
    QString afterName;
};

// What an applied change left behind: enough to show what it changed and to
// put the zone back as it was before it.
struct ChangeSnapshot {
    // What the change did to the zone: its records or SOA (or its file
    // written again), or the zone as a whole added or removed.
    enum class Kind { content, zoneAdded, zoneRemoved };

    qint64 id = 0; // given by the store; 0 until stored
    QDateTime time;
    QUuid zoneId;
    QString zoneName;
    QString summary;
    Kind kind = Kind::content;
    QList<SnapshotFile> files;
    // Whether the files' texts are here (a listing carries only the index).
    bool textsLoaded = false;

    // The file with this role, or null.
    const SnapshotFile* file(const QString& role) const {
        for (const SnapshotFile& entry : files) {
            if (entry.role == role)
                return &entry;
        }
        return nullptr;
    }

    static QString zoneRole() { return QStringLiteral("zone"); }
    static QString configurationRole() { return QStringLiteral("configuration"); }
};

QString kindName(ChangeSnapshot::Kind kind);
std::optional<ChangeSnapshot::Kind> kindFromName(const QString& name);

} // namespace korvi

Q_DECLARE_METATYPE(korvi::ChangeSnapshot)
