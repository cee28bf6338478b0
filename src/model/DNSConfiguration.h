#pragma once

#include <QMap>
#include <QObject>
#include <QStringList>

#include "model/BindConfigReader.h"
#include "model/NamedConfWriter.h"
#include "model/SecondaryZone.h"

namespace korvi {

// The settings named.conf is written from. One shared object, owned by the
// manager and edited in place by the configuration screen; each change of a
// field is announced once through changed().
class DNSConfiguration : public QObject {
    Q_OBJECT

public:
    explicit DNSConfiguration(QObject* parent = nullptr);

    const QStringList& listenAddresses() const { return m_listenAddresses; }
    void setListenAddresses(const QStringList& value);

    qint64 listenPort() const { return m_listenPort; }
    void setListenPort(qint64 value);

    const QStringList& allowQuery() const { return m_allowQuery; }
    void setAllowQuery(const QStringList& value);

    const QStringList& allowTransfer() const { return m_allowTransfer; }
    void setAllowTransfer(const QStringList& value);

    bool recursion() const { return m_recursion; }
    void setRecursion(bool value);

    const QStringList& forwarders() const { return m_forwarders; }
    void setForwarders(const QStringList& value);

    // Zone name to zone file name. Kept sorted by zone name, which is also the
    // order the zone blocks are written in.
    const QMap<QString, QString>& zoneFiles() const { return m_zoneFiles; }
    void setZoneFiles(const QMap<QString, QString>& value);
    void setZoneFile(const QString& zoneName, const QString& fileName);
    void removeZoneFile(const QString& zoneName);

    // Every zone statement of the server's configuration as last read, with
    // its type, view and declaring file; Korvi edits only those it owns
    // (see ConfiguredZone::isEditableByKorvi). Announced only when it differs.
    const QList<ConfiguredZone>& configuredZones() const { return m_configuredZones; }
    void setConfiguredZones(const QList<ConfiguredZone>& value);

    // Zones this server copies from other servers, written after Korvi's own
    // zones in the order given. Kept by Korvi's preferences: reading
    // named.conf leaves them alone.
    const QList<SecondaryZoneSettings>& secondaryZones() const { return m_secondaryZones; }
    void setSecondaryZones(const QList<SecondaryZoneSettings>& value);

    const QString& loggingLevel() const { return m_loggingLevel; }
    void setLoggingLevel(const QString& value);

    bool enableDNSSEC() const { return m_enableDNSSEC; }
    void setEnableDNSSEC(bool value);

    // The whole named.conf text: the standard form (directory
    // /usr/local/var/named, BIND version unknown, current time), or with
    // the given options.
    QString namedConfText() const;
    QString namedConfText(const NamedConfWriter::Options& options) const;

    // Reads the settings the top-level options block of a named.conf Korvi
    // owns sets, and its primary zones; fields it does not set keep their
    // values. Text that is not well formed changes nothing.
    void loadNamedConf(const QString& text);

Q_SIGNALS:
    void changed();

private:
    QStringList m_listenAddresses{QStringLiteral("127.0.0.1"), QStringLiteral("::1")};
    qint64 m_listenPort = 53;
    QStringList m_allowQuery{QStringLiteral("any")};
    QStringList m_allowTransfer{QStringLiteral("none")};
    bool m_recursion = true;
    QStringList m_forwarders;
    QMap<QString, QString> m_zoneFiles;
    QList<ConfiguredZone> m_configuredZones;
    QList<SecondaryZoneSettings> m_secondaryZones;
    QString m_loggingLevel = QStringLiteral("info");
    bool m_enableDNSSEC = false;
};

} // namespace korvi
