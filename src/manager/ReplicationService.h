#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "manager/CheckedSaver.h"
#include "manager/CommandRunner.h"
#include "model/ReplicationText.h"
#include "model/SecondaryServer.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class OwnedFileSaver;
class PreferencesStore;
class ServerControl;

// Korvi's zones copied by secondary servers through BIND's own zone
// transfers: the TSIG keys (in Korvi's key file, the only place their
// secrets are kept), the list of secondaries (in the preferences: names,
// addresses, ports and key names, nothing secret), the configuration text
// that lets only those keys transfer and notifies the secondaries, and the
// catalog zone listing Korvi's zones so that a secondary learns of new and
// removed zones by itself.
//
// Replication is on while at least one usable secondary is listed. Each
// operation ends with exactly one finished() (never before it returns);
// failures are logged and leave keys and list as they were.
class ReplicationService : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(bool ok, const QString& message)>;
    // Starts the checked save of the whole configuration and returns its id
    // (it ends with the saver's finished()).
    using ConfigurationSave = std::function<SaveId()>;
    // The names of Korvi's zones now.
    using ZoneNames = std::function<QStringList()>;

    // The preferences key of the secondaries' list (JSON).
    static constexpr const char* secondariesKey = "replication.secondaries";

    ReplicationService(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                       PreferencesStore* preferences, CheckedSaver* saver, ServerControl* control,
                       QObject* parent = nullptr);
    ~ReplicationService() override;

    // Set by the manager once the parts exist.
    void setConfigurationSave(ConfigurationSave save) { m_configurationSave = std::move(save); }
    void setZoneNames(ZoneNames names) { m_zoneNames = std::move(names); }

    // Where Korvi keeps its keys: korvi-keys.conf beside named.conf (or
    // beside Korvi's include on a distribution's BIND).
    QString keyFilePath() const;
    // Korvi's copy of its catalog zone, in its zone folder.
    QString catalogFilePath() const;

    // The keys' names, in the key file's order; secrets only through key().
    QStringList keyNames() const;
    std::optional<TsigKey> key(const QString& name) const;
    // Reads the key file again (nothing when it is missing).
    void loadKeys();
    // tsig-keygen -a hmac-sha256 NAME, then the key file written with it.
    void createKey(const QString& name);
    // Refused while a secondary uses the key.
    void deleteKey(const QString& name);

    const QList<SecondaryServer>& secondaries() const { return m_secondaries; }
    // Adds the secondary (or replaces the one of the same name) and applies
    // the configuration; refused when the address, port or key is not usable.
    void addSecondary(const SecondaryServer& secondary);
    void removeSecondary(const QString& name);
    bool isActive() const;

    // What named.conf needs besides Korvi's zones while replication is on:
    // the key file's include and the catalog zone's statement; and the lines
    // inside each of Korvi's zone statements.
    QStringList configurationStatements() const;
    QStringList zoneLines() const;

    // The catalog file written for these zones (through the checked save)
    // and, on a running server, the catalog zone reloaded. Nothing to do
    // while replication is off.
    void updateCatalog(const QStringList& zoneNames, Completion done);
    // The same without the reload: a reconfiguration follows and reads a
    // catalog the server does not have yet.
    void writeCatalog(const QStringList& zoneNames, Completion done, bool reload = false);
    // The catalog, the configuration and a running server brought in line
    // with the list and keys now (after the list changed).
    void apply(Completion done);

    // What the secondary of this name needs to copy Korvi's zones: the
    // snippet for its named.conf, and a whole named.conf for a second server
    // on this machine. Nothing when there is no such secondary or its key.
    // The primary's address is the one given, or the address the server
    // answers on (the layout's) when none is given.
    std::optional<ReplicationText::SecondarySetup>
    setupFor(const QString& secondaryName, const QString& primaryAddress = {}) const;
    std::optional<QString> secondarySnippet(const QString& secondaryName,
                                            const QString& primaryAddress = {}) const;
    std::optional<QString> secondaryNamedConf(const QString& secondaryName,
                                              const ReplicationText::LocalSecondary& local) const;
    // "Try it locally": that named.conf written as directory/named.conf for
    // a server kept inside directory (its data/ folder made too), listening
    // on 127.0.0.1 at port; start it with `named -c directory/named.conf`.
    // The path written, or nothing and the reason in *error.
    std::optional<QString> writeLocalSecondary(const QString& secondaryName,
                                               const QString& directory, quint16 port,
                                               QString* error = nullptr) const;

Q_SIGNALS:
    void keysChanged();
    void secondariesChanged();
    // A key or secondary operation (or apply) has ended.
    void finished(bool ok, const QString& message);

private:
    // Writes the key file with these keys; then they are the service's,
    // the line logged and keysChanged() sent. Ends with finished().
    void saveKeys(const QList<TsigKey>& keys, const QString& failurePrefix,
                  const QString& successLine);
    void log(const QString& message, LogLevel level) const;
    void finishLater(bool ok, const QString& message);
    void writeKeys(const QList<TsigKey>& keys, Completion done);
    void storeSecondaries();
    void loadSecondaries();
    void whenSaved(SaveId id, Completion done);
    bool serverRunning() const;

    SystemLayout m_layout;
    CommandRunner m_runner;
    QPointer<AppLog> m_log;
    PreferencesStore* m_preferences;
    QPointer<CheckedSaver> m_saver;
    QPointer<ServerControl> m_control;
    std::unique_ptr<OwnedFileSaver> m_owned; // a distribution's BIND only
    ConfigurationSave m_configurationSave;
    ZoneNames m_zoneNames;
    QList<TsigKey> m_keys;
    QList<SecondaryServer> m_secondaries;
    QHash<SaveId, Completion> m_saveWaiters;
    qint64 m_catalogSerial = 0;
};

} // namespace korvi
