#pragma once

#include <QList>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include "model/SecondaryServer.h"

namespace korvi {

class DNSZone;

// The configuration text of zone transfers to Korvi's secondaries: the lines
// each of Korvi's zones carries, the catalog zone that lists Korvi's zones
// (RFC 9432, as BIND 9.18 reads it through "catalog-zones"), and the text a
// secondary BIND needs to copy them all.
namespace ReplicationText {

// The catalog zone's name. Under ".invalid", so that it can never be a name
// somebody owns in the DNS; it is a reserved name in Korvi's zone list.
QString catalogZoneName();
// The label a member zone has below "zones." in the catalog: the SHA-1 of
// its name, lowercase, without a final dot, in hexadecimal. The same zone
// always gets the same label, so a secondary keeps its copy across changes.
QString memberLabel(const QString& zoneName);
// The catalog zone for these members: an SOA and NS as RFC 9432 asks for
// (nothing answers for "invalid."), "version IN TXT "2"" and one PTR per
// member. Member names Korvi would not write are left out.
QSharedPointer<DNSZone> catalogZone(const QString& filePath, const QStringList& members,
                                    qint64 serial);

// Whether a secondary can be written into the configuration: an IPv4 or
// IPv6 address, a port above 0 and a key name Korvi writes. Why not, else.
bool isUsableSecondary(const SecondaryServer& secondary, QString* why = nullptr);

// The lines inside a zone statement of a zone the secondaries copy:
//   notify explicit;
//   notify-delay 0;
//   also-notify { ADDR port P key "K"; ... };
//   allow-transfer { key "K"; ... };
// Unusable secondaries are left out; none left: no lines (the zone keeps
// the server's own "allow-transfer").
QStringList zoneTransferLines(const QList<SecondaryServer>& secondaries);
// The catalog zone's statement as Korvi's primary writes it.
QString catalogZoneStatement(const QString& filePath, const QList<SecondaryServer>& secondaries);

// What a secondary needs to copy Korvi's zones through the catalog.
struct SecondarySetup {
    QString primaryAddress;
    quint16 primaryPort = 53;
    TsigKey key;
    // Where the secondary keeps its copy of the catalog, relative to its
    // "directory" or absolute.
    QString catalogFile = QStringLiteral("catalog.korvi.invalid.db");
};
// The snippet for a secondary's named.conf: the key statement, the
// "catalog-zones" clause for its options block, and the catalog zone
// statement, each with a comment saying where it goes.
QString secondarySnippet(const SecondarySetup& setup);
// The "catalog-zones { ... };" clause alone (for the options block).
QString catalogZonesClause(const SecondarySetup& setup);

// A whole named.conf for a second server on this machine that copies Korvi's
// zones: listening on listenAddress at listenPort, everything it writes in
// directory, with the given extra option lines (pid file and the like) and
// statements (say, a control channel) added.
struct LocalSecondary {
    QString directory;
    QString listenAddress = QStringLiteral("127.0.0.1");
    quint16 listenPort = 53;
    QStringList extraOptionLines;
    QStringList extraStatements;
};
QString secondaryNamedConf(const SecondarySetup& setup, const LocalSecondary& local);
// A second server on this machine kept wholly inside `directory`: its pid,
// lock, session key and managed keys there, no control channel (which would
// take the machine's port 953), listening on 127.0.0.1 at the port.
LocalSecondary localSecondaryIn(const QString& directory, quint16 port);

} // namespace ReplicationText

} // namespace korvi
