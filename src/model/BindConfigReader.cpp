#include "model/BindConfigReader.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "model/DNSConfiguration.h"
#include "model/NamedConfReader.h"
#include "model/RecordValidator.h"
#include "model/ReplicationText.h"
#include "model/TextCleaning.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

struct TypeWord {
    const char* word;
    ConfiguredZoneType type;
};

// Newer words first: zoneTypeName() gives the first word of a type.
constexpr TypeWord typeWords[] = {
    {"primary", ConfiguredZoneType::primary},
    {"master", ConfiguredZoneType::primary},
    {"secondary", ConfiguredZoneType::secondary},
    {"slave", ConfiguredZoneType::secondary},
    {"forward", ConfiguredZoneType::forward},
    {"stub", ConfiguredZoneType::stub},
    {"hint", ConfiguredZoneType::hint},
    {"redirect", ConfiguredZoneType::redirect},
    {"mirror", ConfiguredZoneType::mirror},
    {"static-stub", ConfiguredZoneType::staticStub},
    {"delegation-only", ConfiguredZoneType::delegationOnly},
    {"in-view", ConfiguredZoneType::inView},
};

// The first statement of a block that starts with `keyword`, or null.
const ConfStatement* findIn(const QList<ConfStatement>& block, QLatin1String keyword) {
    for (const ConfStatement& statement : block) {
        if (statement.is(keyword))
            return &statement;
    }
    return nullptr;
}

// A zone statement: `zone <name> [<class>] { ... };`.
ConfiguredZone zoneFrom(const ConfStatement& statement, const QString& view,
                        const QString& viewClass, const QString& declaredIn) {
    ConfiguredZone zone;
    zone.name = statement.word(1);
    const QString zoneClass = statement.word(2);
    zone.zoneClass = (!zoneClass.isEmpty()   ? zoneClass
                      : !viewClass.isEmpty() ? viewClass
                                             : QStringLiteral("IN"))
                         .toUpper();
    zone.view = view;
    zone.declaredIn = declaredIn;
    if (const ConfStatement* file = findIn(statement.block, QLatin1String("file")))
        zone.file = file->word(1);
    if (const ConfStatement* inView = findIn(statement.block, QLatin1String("in-view")))
        zone.inView = inView->word(1);
    if (const ConfStatement* type = findIn(statement.block, QLatin1String("type")))
        zone.type = zoneTypeFromWord(type->word(1));
    else if (!zone.inView.isEmpty())
        zone.type = ConfiguredZoneType::inView;
    return zone;
}

// The text of one element of an address list, as named.conf has it. BIND
// quotes the names of lists when it prints a configuration ("any",
// "localhost", an acl name); a quoted name means the same as a bare one, so
// it is given bare. Other quoted words (a key name) keep their quotes.
QString elementText(const ConfStatement& element) {
    QString text;
    const bool single = element.words.size() == 1;
    for (const ConfWord& word : element.words) {
        // A negation is written against what it negates: "!192.0.2.1".
        if (!text.isEmpty() && text != u'!')
            text.append(u' ');
        text.append(word.quoted && !single ? u'"' + word.text + u'"' : word.text);
    }
    return text;
}

// The elements of a list statement as the line reader would see them, or
// nothing when the list has a nested list.
std::optional<QString> listLine(const ConfStatement& statement) {
    if (!statement.hasBlock)
        return std::nullopt;
    QStringList elements;
    for (const ConfStatement& element : statement.block) {
        if (element.hasBlock)
            return std::nullopt;
        elements.append(elementText(element));
    }
    return QStringLiteral("{ ") + elements.join(QStringLiteral("; ")) + QStringLiteral("; }");
}

std::optional<QStringList> addressListOf(const ConfStatement& statement) {
    const auto line = listLine(statement);
    if (!line)
        return std::nullopt;
    return NamedConfReader::addressList(*line);
}

std::optional<bool> booleanOf(const QString& word) {
    const QString w = word.toLower();
    if (w == QStringLiteral("yes") || w == QStringLiteral("true") || w == QStringLiteral("1"))
        return true;
    if (w == QStringLiteral("no") || w == QStringLiteral("false") || w == QStringLiteral("0"))
        return false;
    return std::nullopt;
}

// The settings of one top-level options block, added to `settings`. A
// statement given twice counts as BIND counts it: listen-on statements add
// up; for the others BIND refuses a second one, and the last is taken here.
void readOptions(const ConfStatement& options, ServerSettings& settings) {
    for (const ConfStatement& statement : options.block) {
        if (statement.is(QLatin1String("listen-on"))) {
            if (const auto list = addressListOf(statement)) {
                QStringList all = settings.listenOn.value_or(QStringList());
                for (const QString& address : *list) {
                    if (!all.contains(address))
                        all.append(address);
                }
                settings.listenOn = all;
            }
        } else if (statement.is(QLatin1String("allow-query"))) {
            if (auto list = addressListOf(statement))
                settings.allowQuery = std::move(list);
        } else if (statement.is(QLatin1String("recursion"))) {
            if (const auto value = booleanOf(statement.word(1)))
                settings.recursion = value;
        } else if (statement.is(QLatin1String("forwarders"))) {
            if (const auto line = listLine(statement)) {
                if (auto list = NamedConfReader::forwarderList(*line))
                    settings.forwarders = std::move(list);
            }
        } else if (statement.is(QLatin1String("dnssec-validation"))) {
            const QString value = statement.word(1).toLower();
            if (value == QStringLiteral("auto"))
                settings.dnssecValidation = value;
            else if (const auto flag = booleanOf(value))
                settings.dnssecValidation = *flag ? QStringLiteral("yes") : QStringLiteral("no");
        }
    }
}

// Walks statements, top level or a view's block, following includes when a
// file tree is read (`folder` set) and leaving them alone otherwise.
class Walker {
public:
    Walker(BindConfigReading& reading, QString folder)
        : m_reading(reading), m_folder(std::move(folder)) {}

    void walk(const QList<ConfStatement>& statements, const QString& view, const QString& viewClass,
              const QString& file, bool topLevel) {
        for (const ConfStatement& statement : statements) {
            if (statement.is(QLatin1String("zone")) && statement.hasBlock) {
                m_reading.zones.append(zoneFrom(statement, view, viewClass, file));
            } else if (topLevel && statement.is(QLatin1String("view")) && statement.hasBlock) {
                walk(statement.block, statement.word(1), statement.word(2), file, false);
            } else if (topLevel && statement.is(QLatin1String("options")) && statement.hasBlock) {
                readOptions(statement, m_reading.settings);
            } else if (statement.is(QLatin1String("include")) && !m_folder.isNull()) {
                include(statement.word(1), view, viewClass, topLevel);
            }
        }
    }

    // Reads one file and walks it; false when it could not be read or parsed.
    bool file(const QString& path, const QString& view, const QString& viewClass, bool topLevel) {
        const QString canonical = QFileInfo(path).absoluteFilePath();
        if (m_open.contains(canonical)) {
            m_reading.problems.append(QStringLiteral("%1 includes itself").arg(canonical));
            return false;
        }
        if (m_open.size() >= BindConfigReader::maximumIncludeDepth ||
            m_files >= BindConfigReader::maximumIncludedFiles) {
            m_reading.problems.append(
                QStringLiteral("%1 not read: includes nested too deep or too many files")
                    .arg(canonical));
            return false;
        }
        ++m_files;
        // Only regular files: an include of a device (/dev/zero) would never end.
        const QFileInfo info(canonical);
        if (info.exists() && !info.isFile()) {
            m_reading.problems.append(QStringLiteral("%1 is not a regular file").arg(canonical));
            return false;
        }
        if (info.size() > BindConfigReader::maximumFileBytes) {
            m_reading.problems.append(
                QStringLiteral("%1 is larger than %2 MiB, too large for a configuration file")
                    .arg(canonical)
                    .arg(BindConfigReader::maximumFileBytes >> 20));
            return false;
        }
        const std::optional<QString> text = readTextFile(canonical);
        if (!text) {
            m_reading.problems.append(QStringLiteral("%1 could not be read").arg(canonical));
            return false;
        }
        const BindConfigParser::Result parsed = BindConfigParser::parse(*text);
        if (!parsed.ok()) {
            m_reading.problems.append(canonical + QStringLiteral(": ") + parsed.error);
            return false;
        }
        m_open.insert(canonical);
        walk(parsed.statements, view, viewClass, canonical, topLevel);
        m_open.remove(canonical);
        return true;
    }

private:
    void include(const QString& name, const QString& view, const QString& viewClass,
                 bool topLevel) {
        if (name.isEmpty())
            return;
        file(QDir(m_folder).absoluteFilePath(name), view, viewClass, topLevel);
    }

    BindConfigReading& m_reading;
    QString m_folder;
    QSet<QString> m_open;
    int m_files = 0;
};

QString matchKey(const ConfiguredZone& zone) {
    return zone.view + u'\n' + zone.key() + u'\n' + zone.zoneClass;
}

} // namespace

QString zoneTypeName(ConfiguredZoneType type) {
    for (const TypeWord& entry : typeWords) {
        if (entry.type == type)
            return QString::fromLatin1(entry.word);
    }
    return QStringLiteral("unknown");
}

ConfiguredZoneType zoneTypeFromWord(const QString& word) {
    for (const TypeWord& entry : typeWords) {
        if (word.compare(QLatin1String(entry.word), Qt::CaseInsensitive) == 0)
            return entry.type;
    }
    return ConfiguredZoneType::unknown;
}

QString ConfiguredZone::key() const {
    QString k = name.toLower();
    if (k.size() > 1 && k.endsWith(u'.'))
        k.chop(1);
    return k;
}

BindConfigReading BindConfigReader::fromStatements(const QList<ConfStatement>& statements) {
    BindConfigReading reading;
    reading.read = true;
    Walker(reading, QString()).walk(statements, QString(), QString(), QString(), true);
    return reading;
}

BindConfigReading BindConfigReader::fromText(const QString& text) {
    const BindConfigParser::Result parsed = BindConfigParser::parse(text);
    if (!parsed.ok()) {
        BindConfigReading reading;
        reading.problems.append(parsed.error);
        return reading;
    }
    return fromStatements(parsed.statements);
}

BindConfigReading BindConfigReader::fromCheckconfOutput(const QString& output) {
    // The canonical text never has "<word>:<digits>: " at the left edge of a
    // line (statements begin with a keyword, nested lines with a tab), so
    // such lines are the checker's warnings.
    static const QRegularExpression diagnostic(QStringLiteral(R"(^[^\s"{};]+:(\d+:)? )"));
    QStringList kept;
    for (const QString& line : output.split(u'\n')) {
        if (!diagnostic.match(line).hasMatch())
            kept.append(line);
    }
    return fromText(kept.join(u'\n'));
}

BindConfigReading BindConfigReader::fromFileTree(const QString& topFile) {
    BindConfigReading reading;
    const QFileInfo top(topFile);
    Walker walker(reading, top.absolutePath());
    reading.read = walker.file(top.absoluteFilePath(), QString(), QString(), true);
    return reading;
}

void BindConfigReader::attributeFiles(BindConfigReading& canonical, const BindConfigReading& tree) {
    QHash<QString, QString> declared;
    for (const ConfiguredZone& zone : tree.zones)
        declared.insert(matchKey(zone), zone.declaredIn);
    for (ConfiguredZone& zone : canonical.zones)
        zone.declaredIn = declared.value(matchKey(zone));
}

void BindConfigReader::markOwnership(BindConfigReading& reading, const QStringList& korviFiles) {
    QSet<QString> owned;
    for (const QString& file : korviFiles)
        owned.insert(QFileInfo(file).absoluteFilePath());
    for (ConfiguredZone& zone : reading.zones)
        zone.ownedByKorvi = !zone.declaredIn.isEmpty() && owned.contains(zone.declaredIn);
}

QString BindConfigReader::korviIncludeBeside(const QString& namedConf) {
    return QFileInfo(namedConf).absolutePath() + QStringLiteral("/named.conf.korvi");
}

void BindConfigReader::apply(const BindConfigReading& reading, DNSConfiguration& configuration) {
    const ServerSettings& settings = reading.settings;
    if (settings.listenOn)
        configuration.setListenAddresses(*settings.listenOn);
    if (settings.allowQuery)
        configuration.setAllowQuery(*settings.allowQuery);
    if (settings.recursion)
        configuration.setRecursion(*settings.recursion);
    if (settings.forwarders)
        configuration.setForwarders(*settings.forwarders);
    // Korvi writes "dnssec-validation yes" or nothing; "auto" is left as it is.
    if (settings.dnssecValidation == QStringLiteral("yes"))
        configuration.setEnableDNSSEC(true);
    else if (settings.dnssecValidation == QStringLiteral("no"))
        configuration.setEnableDNSSEC(false);

    QMap<QString, QString> files = configuration.zoneFiles();
    const QMap<QString, QString> before = files;
    for (const ConfiguredZone& zone : reading.zones) {
        // The catalog zone of Korvi's secondaries is not a zone of the list.
        if (!zone.isEditableByKorvi() || !isValidDomainName(zone.name) ||
            zone.name.compare(ReplicationText::catalogZoneName(), Qt::CaseInsensitive) == 0)
            continue;
        // Korvi's zone files live in its own folder; only the name is taken.
        const QString fileName = zone.file.section(u'/', -1);
        if (fileName.isEmpty() || userCharacterCount(fileName) >= 256)
            continue;
        files.insert(zone.name, fileName);
    }
    if (files != before)
        configuration.setZoneFiles(files);
    configuration.setConfiguredZones(reading.zones);
}

} // namespace korvi
