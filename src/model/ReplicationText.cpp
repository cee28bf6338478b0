#include "model/ReplicationText.h"

#include <QCryptographicHash>

#include "model/DNSZone.h"
#include "model/RecordValidator.h"
#include "model/TsigKeyFile.h"

namespace korvi::ReplicationText {

namespace {

bool isAddress(const QString& text) {
    return isValidIPv4Address(text) || isValidIPv6Address(text);
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QList<SecondaryServer> usable(const QList<SecondaryServer>& secondaries) {
    QList<SecondaryServer> kept;
    for (const SecondaryServer& secondary : secondaries) {
        if (isUsableSecondary(secondary))
            kept.append(secondary);
    }
    return kept;
}

// "key "a"; key "b";" with each key once.
QString keyList(const QList<SecondaryServer>& secondaries) {
    QStringList names;
    for (const SecondaryServer& secondary : secondaries) {
        if (!names.contains(secondary.keyName))
            names.append(secondary.keyName);
    }
    QString list;
    for (const QString& name : names)
        list += QStringLiteral("key ") + quoted(name) + QStringLiteral("; ");
    return list;
}

} // namespace

QString catalogZoneName() {
    return QStringLiteral("catalog.korvi.invalid");
}

QString memberLabel(const QString& zoneName) {
    QString name = zoneName.toLower();
    while (name.endsWith(u'.'))
        name.chop(1);
    return QString::fromLatin1(
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QSharedPointer<DNSZone> catalogZone(const QString& filePath, const QStringList& members,
                                    qint64 serial) {
    auto zone = QSharedPointer<DNSZone>::create(catalogZoneName(), filePath);
    SOARecord soa;
    soa.primaryNameServer = QStringLiteral("invalid.");
    soa.adminEmail = QStringLiteral("invalid.");
    soa.serial = serial;
    // A secondary that misses a NOTIFY still learns of a change soon.
    soa.refresh = 300;
    soa.retry = 60;
    soa.minimum = 0;
    soa.ttl = 0;
    zone->setSoaRecord(soa);
    QList<DNSRecord> records;
    records.append(DNSRecord(QString(), DNSRecordType::NS, QStringLiteral("invalid."), 0));
    records.append(
        DNSRecord(QStringLiteral("version"), DNSRecordType::TXT, QStringLiteral("2"), 0));
    QStringList seen;
    for (const QString& member : members) {
        QString name = member;
        while (name.endsWith(u'.'))
            name.chop(1);
        if (!isValidDomainName(name) || seen.contains(name.toLower()) ||
            name.compare(catalogZoneName(), Qt::CaseInsensitive) == 0)
            continue;
        seen.append(name.toLower());
        records.append(DNSRecord(memberLabel(name) + QStringLiteral(".zones"), DNSRecordType::PTR,
                                 name + u'.', 0));
    }
    zone->setRecords(records);
    return zone;
}

bool isUsableSecondary(const SecondaryServer& secondary, QString* why) {
    const auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!isAddress(secondary.address))
        return refuse(
            QStringLiteral("\"%1\" is not an IPv4 or IPv6 address").arg(secondary.address));
    if (secondary.port == 0)
        return refuse(QStringLiteral("The port must be between 1 and 65535"));
    if (!TsigKeyFile::isAcceptableName(secondary.keyName))
        return refuse(QStringLiteral("Choose a TSIG key for the secondary"));
    return true;
}

QStringList zoneTransferLines(const QList<SecondaryServer>& secondaries) {
    const QList<SecondaryServer> kept = usable(secondaries);
    if (kept.isEmpty())
        return {};
    QString notify;
    for (const SecondaryServer& secondary : kept)
        notify += QStringLiteral("%1 port %2 key %3; ")
                      .arg(secondary.address)
                      .arg(secondary.port)
                      .arg(quoted(secondary.keyName));
    // "explicit": only the secondaries are told, not the names of the zone's
    // NS records, which need not point at a server that copies it.
    // Korvi's changes come one at a time from a person (or a zone added
    // right after another one changes the catalog again): each is announced
    // at once rather than BIND's five seconds after the one before.
    return {QStringLiteral("notify explicit;"), QStringLiteral("notify-delay 0;"),
            QStringLiteral("also-notify { ") + notify + QStringLiteral("};"),
            QStringLiteral("allow-transfer { ") + keyList(kept) + QStringLiteral("};")};
}

QString catalogZoneStatement(const QString& filePath, const QList<SecondaryServer>& secondaries) {
    QString text = QStringLiteral("zone ") + quoted(catalogZoneName()) + QStringLiteral(" IN {\n");
    text += QStringLiteral("    type master;\n");
    text += QStringLiteral("    file ") + quoted(filePath) + QStringLiteral(";\n");
    text += QStringLiteral("    allow-update { none; };\n");
    for (const QString& line : zoneTransferLines(secondaries))
        text += QStringLiteral("    ") + line + u'\n';
    text += QStringLiteral("};");
    return text;
}

QString catalogZonesClause(const SecondarySetup& setup) {
    // Korvi's catalog changes only when a zone is added or removed: the
    // secondary takes each change within a second rather than BIND's five.
    return QStringLiteral("catalog-zones {\n    zone %1\n        default-primaries { %2 port %3 "
                          "key %4; }\n        min-update-interval 1;\n};")
        .arg(quoted(catalogZoneName()), setup.primaryAddress)
        .arg(setup.primaryPort)
        .arg(quoted(setup.key.name));
}

namespace {

QString catalogZoneOnSecondary(const SecondarySetup& setup) {
    return QStringLiteral("zone %1 {\n    type secondary;\n    primaries { %2 port %3 key %4; };\n"
                          "    file %5;\n};")
        .arg(quoted(catalogZoneName()), setup.primaryAddress)
        .arg(setup.primaryPort)
        .arg(quoted(setup.key.name), quoted(setup.catalogFile));
}

QString indented(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line = QStringLiteral("    ") + line;
    return lines.join(u'\n');
}

} // namespace

QString secondarySnippet(const SecondarySetup& setup) {
    QString text;
    text += QStringLiteral("// The key Korvi's primary signs its transfers with.\n");
    text += TsigKeyFile::statement(setup.key);
    text += QStringLiteral("\n// In the options { } block: Korvi's zones, as its catalog lists "
                           "them.\n");
    text += catalogZonesClause(setup) + u'\n';
    text += QStringLiteral("\n// The catalog itself, copied from Korvi's primary.\n");
    text += catalogZoneOnSecondary(setup) + u'\n';
    return text;
}

QString secondaryNamedConf(const SecondarySetup& setup, const LocalSecondary& local) {
    QString text;
    text += QStringLiteral("// A secondary of Korvi's zones, written by Korvi.\n\n");
    text += TsigKeyFile::statement(setup.key);
    text += QStringLiteral("\noptions {\n");
    text += QStringLiteral("    directory ") + quoted(local.directory) + QStringLiteral(";\n");
    for (const QString& line : local.extraOptionLines)
        text += QStringLiteral("    ") + line + u'\n';
    text += QStringLiteral("    listen-on port %1 { %2; };\n")
                .arg(local.listenPort)
                .arg(local.listenAddress);
    text += QStringLiteral("    listen-on-v6 { none; };\n");
    text += QStringLiteral("    recursion no;\n");
    text += QStringLiteral("    allow-query { any; };\n");
    text += QStringLiteral("    allow-transfer { none; };\n");
    text += QStringLiteral("    notify no;\n");
    // The primary's NOTIFY comes from the primary's own address, which on
    // one machine is the same loopback address.
    text += QStringLiteral("    allow-notify { %1; };\n").arg(setup.primaryAddress);
    text += indented(catalogZonesClause(setup)) + u'\n';
    text += QStringLiteral("};\n\n");
    text += QStringLiteral("logging {\n    channel default_debug {\n        file "
                           "\"data/named.run\";\n        severity info;\n    };\n};\n\n");
    for (const QString& statement : local.extraStatements)
        text += statement + u'\n';
    text += catalogZoneOnSecondary(setup) + u'\n';
    return text;
}

LocalSecondary localSecondaryIn(const QString& directory, quint16 port) {
    LocalSecondary local;
    local.directory = directory;
    local.listenPort = port;
    const auto at = [&directory](const char* name) {
        return quoted(directory + u'/' + QLatin1String(name));
    };
    local.extraOptionLines = {QStringLiteral("pid-file ") + at("named.pid") + u';',
                              QStringLiteral("lock-file ") + at("named.lock") + u';',
                              QStringLiteral("session-keyfile ") + at("session.key") + u';',
                              QStringLiteral("managed-keys-directory ") + quoted(directory) + u';'};
    local.extraStatements = {QStringLiteral("controls { };")};
    return local;
}

} // namespace korvi::ReplicationText
