#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

#include "model/BindConfigParser.h"

namespace korvi {

class DNSConfiguration;

// The kinds of zone a zone statement can declare ("master" and "slave" are
// BIND's older words for primary and secondary).
enum class ConfiguredZoneType {
    primary,
    secondary,
    forward,
    stub,
    hint,
    redirect,
    mirror,
    staticStub,
    delegationOnly,
    inView,  // no type of its own: the zone of another view, named by in-view
    unknown, // a type word Korvi does not know, or none
};

// The word BIND's newer syntax uses for the type ("primary", "static-stub",
// "in-view", ...).
QString zoneTypeName(ConfiguredZoneType type);
ConfiguredZoneType zoneTypeFromWord(const QString& word);

// One zone statement of the configuration as BIND reads it.
struct ConfiguredZone {
    QString name;      // as written ("example.com", ".")
    QString zoneClass; // upper case; "IN" when neither zone nor view names one
    ConfiguredZoneType type = ConfiguredZoneType::unknown;
    QString view;              // the view it is declared in; empty outside views
    QString file;              // its file statement; empty when it has none
    QString inView;            // the view an in-view zone refers to
    QString declaredIn;        // the file holding the statement; empty when not known
    bool ownedByKorvi = false; // its statement is in one of Korvi's own files

    // Korvi edits a zone only when all of these hold.
    bool isEditableByKorvi() const {
        return ownedByKorvi && type == ConfiguredZoneType::primary && view.isEmpty();
    }
    // Name with letter case and a final "." dropped ("." stays "."), for
    // matching the same zone in two readings.
    QString key() const;

    bool operator==(const ConfiguredZone& other) const = default;
};

// Server-wide settings, taken from the top-level options block only; what
// it does not set stays empty.
struct ServerSettings {
    std::optional<QStringList> listenOn;
    std::optional<QStringList> allowQuery;
    std::optional<bool> recursion;
    std::optional<QStringList> forwarders;
    std::optional<QString> dnssecValidation; // "yes", "no" or "auto"
};

// Everything Korvi takes from a configuration.
struct BindConfigReading {
    QList<ConfiguredZone> zones;
    ServerSettings settings;
    QStringList problems; // files that could not be read or parsed, include loops
    bool read = false;    // the top file itself was read and parsed
};

// Turns parsed named.conf statements into zones and server-wide settings.
class BindConfigReader {
public:
    // Nested includes deeper than this, or more files than this in one
    // tree, are reported as a problem and not followed.
    static constexpr int maximumIncludeDepth = 32;
    static constexpr int maximumIncludedFiles = 1000;
    // A file larger than this is reported and not read (configurations are
    // measured in kilobytes; this only stops a runaway file).
    static constexpr qint64 maximumFileBytes = qint64(64) << 20;

    // From statements with every include already expanded, such as the text
    // `named-checkconf -p` prints. No zone gets a declaring file.
    static BindConfigReading fromStatements(const QList<ConfStatement>& statements);
    // The same from text; a parse error is the one problem and read is false.
    static BindConfigReading fromText(const QString& text);

    // From what `named-checkconf -p` prints: the canonical text, with the
    // warnings it prints in the same stream ("<file>:<line>: ...") left out.
    static BindConfigReading fromCheckconfOutput(const QString& output);

    // The configuration as it lies on disk: the file and every file its
    // include statements name (a relative name is taken from the top
    // file's folder), each zone with the file that declares it.
    static BindConfigReading fromFileTree(const QString& topFile);

    // Gives the zones of `canonical` (BIND's own reading) the declaring
    // file of the same zone (same view, name and class) in `tree`.
    static void attributeFiles(BindConfigReading& canonical, const BindConfigReading& tree);
    // Marks the zones declared in one of `korviFiles` as Korvi's.
    static void markOwnership(BindConfigReading& reading, const QStringList& korviFiles);

    // Korvi's include file on a host: named.conf.korvi beside named.conf.
    static QString korviIncludeBeside(const QString& namedConf);

    // The settings through the configuration's setters, and the file names
    // of the zones Korvi edits (added to those it has, later ones winning).
    static void apply(const BindConfigReading& reading, DNSConfiguration& configuration);
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::ConfiguredZone)
