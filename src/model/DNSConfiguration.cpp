#include "model/DNSConfiguration.h"

#include "model/BindConfigReader.h"

namespace korvi {

DNSConfiguration::DNSConfiguration(QObject* parent) : QObject(parent) {}

namespace {
template <typename T> void assign(DNSConfiguration* self, T& field, const T& value) {
    field = value;
    Q_EMIT self->changed();
}
} // namespace

void DNSConfiguration::setListenAddresses(const QStringList& v) {
    assign(this, m_listenAddresses, v);
}
void DNSConfiguration::setListenPort(qint64 v) {
    assign(this, m_listenPort, v);
}
void DNSConfiguration::setAllowQuery(const QStringList& v) {
    assign(this, m_allowQuery, v);
}
void DNSConfiguration::setAllowTransfer(const QStringList& v) {
    assign(this, m_allowTransfer, v);
}
void DNSConfiguration::setRecursion(bool v) {
    assign(this, m_recursion, v);
}
void DNSConfiguration::setForwarders(const QStringList& v) {
    assign(this, m_forwarders, v);
}
void DNSConfiguration::setZoneFiles(const QMap<QString, QString>& v) {
    assign(this, m_zoneFiles, v);
}
void DNSConfiguration::setConfiguredZones(const QList<ConfiguredZone>& v) {
    if (m_configuredZones != v)
        assign(this, m_configuredZones, v);
}
void DNSConfiguration::setSecondaryZones(const QList<SecondaryZoneSettings>& v) {
    if (m_secondaryZones != v)
        assign(this, m_secondaryZones, v);
}
void DNSConfiguration::setLoggingLevel(const QString& v) {
    assign(this, m_loggingLevel, v);
}
void DNSConfiguration::setEnableDNSSEC(bool v) {
    assign(this, m_enableDNSSEC, v);
}

void DNSConfiguration::setZoneFile(const QString& zoneName, const QString& fileName) {
    m_zoneFiles.insert(zoneName, fileName);
    Q_EMIT changed();
}

void DNSConfiguration::removeZoneFile(const QString& zoneName) {
    if (m_zoneFiles.remove(zoneName) > 0)
        Q_EMIT changed();
}

QString DNSConfiguration::namedConfText() const {
    return NamedConfWriter::write(*this, NamedConfWriter::Options());
}

QString DNSConfiguration::namedConfText(const NamedConfWriter::Options& options) const {
    return NamedConfWriter::write(*this, options);
}

void DNSConfiguration::loadNamedConf(const QString& text) {
    BindConfigReading reading = BindConfigReader::fromText(text);
    if (!reading.read)
        return;
    // The text is Korvi's own file: its zones are Korvi's.
    for (ConfiguredZone& zone : reading.zones)
        zone.ownedByKorvi = true;
    BindConfigReader::apply(reading, *this);
}

} // namespace korvi
