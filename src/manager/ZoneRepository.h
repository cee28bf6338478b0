#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>

#include <functional>
#include <memory>
#include <optional>

#include "manager/ServerStatus.h"
#include "manager/ZoneStorage.h"
#include "model/DNSConfiguration.h"
#include "model/DNSZone.h"
#include "platform/PreferencesStore.h"

namespace korvi {

class AppLog;
class CheckedSaver;

using ZonePtr = QSharedPointer<DNSZone>;

// The zones and everything that changes them: the new-zone rules, the record
// operations (validated, serial advanced, zone file and preferences saved,
// outcome logged), and their store in the preferences. The zone-file table of
// the configuration follows the zone list. named.conf itself belongs to the
// manager: when a change needs it saved, configurationSaveNeeded() asks.
class ZoneRepository : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    ZoneRepository(AppLog* log, std::shared_ptr<PreferencesStore> preferences,
                   DNSConfiguration* configuration, CheckedSaver* saver, QObject* parent = nullptr);

    const QList<ZonePtr>& zones() const { return m_zones; }
    // Announced on every assignment.
    void setZones(const QList<ZonePtr>& zones);
    // Appends without touching the zone-file table (loading from BIND's files).
    void appendZone(const ZonePtr& zone);
    qsizetype totalRecords() const;

    // The new-zone form's rules: why a zone of this name cannot be created
    // ("A zone for this domain already exists"), or nothing.
    std::optional<QString> newZoneRefusal(const QString& name) const;
    // The SOA a new zone gets: the given names (ns1 and admin of the zone
    // when empty) with a trailing dot, cleaned; the serial; the standard
    // timers.
    static SOARecord newZoneSOA(const QString& zoneName, const QString& primaryNameServer,
                                const QString& adminEmail, qint64 serial);
    // A new zone as the new-zone form makes it: that SOA, and an NS record at
    // the apex naming the primary name server.
    static ZonePtr newZone(const QString& name, const QString& filePath,
                           const QString& primaryNameServer, const QString& adminEmail,
                           qint64 serial);
    // The text completed: the fallback when empty, else a trailing dot added.
    static QString completedHost(const QString& text, const QString& fallback);

    void addZone(const ZonePtr& zone);
    void removeZone(const ZonePtr& zone);
    void addRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateRecord(const DNSRecord& record, const ZonePtr& zone);
    void deleteRecord(const DNSRecord& record, const ZonePtr& zone);
    void updateSOASerial(const ZonePtr& zone);
    void validateDataIntegrity();

    // The time SOA serials are made from: the local clock unless replaced.
    // An empty function restores the local clock.
    void setClock(Clock clock);

    // The zones in the preferences: saved whole, synchronously; loaded with
    // the fall-back to the backup (at most once per load).
    void saveToStorage();
    void loadFromStorage();

    // Zone names in list order as ["a", "b"], for console lines.
    static QString namesList(const QList<ZonePtr>& zones);

Q_SIGNALS:
    void zonesChanged();
    // named.conf should be saved now: its zone statements changed. Sent at
    // once when a zone is removed, and once addZone() has returned when one
    // is added.
    void configurationSaveNeeded();

private:
    enum class LoadPass { done, repeatWithBackup };
    struct RecordChange;

    // The one step list of every record operation: validate (unless it is a
    // deletion), change, advance the serial, save the zone file and the
    // preferences, log the outcome.
    void applyRecordChange(const RecordChange& change, const ZonePtr& zone);
    LoadPass loadStoredDocument(bool mayRestoreFromBackup);
    void rebuildZones(const QList<ZoneStorageDataV1>& stored, bool legacy);
    void log(const QString& message, LogLevel level) const;

    QPointer<AppLog> m_log;
    std::shared_ptr<PreferencesStore> m_preferences;
    DNSConfiguration* m_configuration;
    CheckedSaver* m_saver;
    Clock m_clock;
    QList<ZonePtr> m_zones;
};

} // namespace korvi
