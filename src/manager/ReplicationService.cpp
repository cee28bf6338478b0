#include "manager/ReplicationService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QRegularExpression>

#include "host/HostLayout.h"
#include "manager/AppLog.h"
#include "manager/OwnedFileSaver.h"
#include "manager/ServerControl.h"
#include "manager/TextFileWriter.h"
#include "model/DNSZone.h"
#include "model/RecordValidator.h"
#include "model/Serial.h"
#include "model/TsigKeyFile.h"
#include "platform/PreferencesStore.h"

namespace korvi {

namespace {

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

// The serial of the SOA line ZoneFileWriter writes, or 0.
qint64 serialInFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression soa(QStringLiteral("\\bSOA\\s+\\S+\\s+\\S+\\s+\\(?\\s*(\\d+)"));
    const QRegularExpressionMatch match = soa.match(QString::fromUtf8(file.read(64 * 1024)));
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

} // namespace

ReplicationService::ReplicationService(const SystemLayout& layout, const CommandRunner& runner,
                                       AppLog* log, PreferencesStore* preferences,
                                       CheckedSaver* saver, ServerControl* control, QObject* parent)
    : QObject(parent), m_layout(layout), m_runner(runner), m_log(log), m_preferences(preferences),
      m_saver(saver), m_control(control) {
    if (layout.ownsIncludeOnly)
        m_owned = std::make_unique<OwnedFileSaver>(layout);
    if (m_saver) {
        connect(m_saver, &CheckedSaver::finished, this,
                [this](SaveId id, const QString&, bool written, const QString& reason) {
                    const Completion done = m_saveWaiters.take(id);
                    if (done)
                        done(written, reason);
                });
    }
    loadSecondaries();
    loadKeys();
    m_catalogSerial = serialInFile(catalogFilePath());
}

ReplicationService::~ReplicationService() = default;

void ReplicationService::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

void ReplicationService::finishLater(bool ok, const QString& message) {
    QMetaObject::invokeMethod(
        this, [this, ok, message] { Q_EMIT finished(ok, message); }, Qt::QueuedConnection);
}

QString ReplicationService::keyFilePath() const {
    const QString folder = m_layout.ownsIncludeOnly
                               ? QFileInfo(ownedFileLayout(m_layout).korviInclude).absolutePath()
                               : QFileInfo(m_layout.namedConfigPath).absolutePath();
    return folder + QStringLiteral("/korvi-keys.conf");
}

QString ReplicationService::catalogFilePath() const {
    if (m_layout.ownsIncludeOnly)
        return ownedFileLayout(m_layout).zoneFile(ReplicationText::catalogZoneName());
    return m_layout.zoneDirectory + QStringLiteral("/db.") + ReplicationText::catalogZoneName();
}

QStringList ReplicationService::keyNames() const {
    QStringList names;
    for (const TsigKey& key : m_keys)
        names.append(key.name);
    return names;
}

std::optional<TsigKey> ReplicationService::key(const QString& name) const {
    for (const TsigKey& key : m_keys) {
        if (key.name == name)
            return key;
    }
    return std::nullopt;
}

void ReplicationService::loadKeys() {
    QFile file(keyFilePath());
    if (!file.exists()) {
        m_keys.clear();
        Q_EMIT keysChanged();
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        log(QStringLiteral("❌ Could not read the key file ") + file.fileName(), LogLevel::error);
        return;
    }
    QString why;
    const std::optional<QList<TsigKey>> keys =
        TsigKeyFile::parse(QString::fromUtf8(file.readAll()), &why);
    if (!keys) {
        log(QStringLiteral("❌ The key file ") + file.fileName() +
                QStringLiteral(" could not be read: ") + why,
            LogLevel::error);
        return;
    }
    m_keys = *keys;
    Q_EMIT keysChanged();
}

void ReplicationService::writeKeys(const QList<TsigKey>& keys, Completion done) {
    const QString text = TsigKeyFile::text(keys);
    if (m_owned) {
        // The helper checks the keys and the whole configuration with them,
        // and writes the file root-owned, readable by named's group only.
        m_owned->perform({QStringLiteral("write-keys")}, text.toUtf8(), std::move(done));
        return;
    }
    const QString path = keyFilePath();
    if (!m_runner.isValidPath(path)) {
        done(false, QStringLiteral("Korvi may not write ") + path);
        return;
    }
    // Only the owner (and the server's group) may read the secrets: a new
    // file gets that mode while still empty, and a replaced file keeps it.
    const QFile::Permissions secret = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    if (!QFileInfo::exists(path)) {
        QFile empty(path);
        if (empty.open(QIODevice::WriteOnly))
            empty.close();
        QFile::setPermissions(path, secret);
    }
    QString error;
    const bool written = TextFileWriter::replaceFile(path, text, &error);
    if (written)
        QFile::setPermissions(path, secret);
    QMetaObject::invokeMethod(
        this, [done, written, error] { done(written, error); }, Qt::QueuedConnection);
}

void ReplicationService::createKey(const QString& name) {
    if (!TsigKeyFile::isAcceptableName(name)) {
        const QString message =
            QStringLiteral("\"%1\" is not a key name: use letters, digits, \"-\", \"_\" and dots")
                .arg(name);
        log(QStringLiteral("❌ ") + message, LogLevel::error);
        finishLater(false, message);
        return;
    }
    if (key(name)) {
        const QString message = QStringLiteral("A key named \"%1\" already exists").arg(name);
        log(QStringLiteral("❌ ") + message, LogLevel::error);
        finishLater(false, message);
        return;
    }
    QPointer<ReplicationService> self(this);
    m_runner.runCommand(
        {QStringLiteral("tsig-keygen"), QStringLiteral("-a"), QStringLiteral("hmac-sha256"), name},
        [self, name](bool success, const QString& output) {
            if (!self)
                return;
            // The output holds the secret: it never reaches the log.
            const std::optional<QList<TsigKey>> made =
                success ? TsigKeyFile::parse(output) : std::nullopt;
            if (!made || made->size() != 1 || made->first().name != name) {
                const QString message =
                    QStringLiteral("tsig-keygen could not make the key \"%1\"").arg(name);
                self->log(QStringLiteral("❌ ") + message, LogLevel::error);
                Q_EMIT self->finished(false, message);
                return;
            }
            self->saveKeys(self->m_keys + *made,
                           QStringLiteral("The key \"%1\" could not be saved: ").arg(name),
                           QStringLiteral("🔑 TSIG key \"%1\" created").arg(name));
        });
}

void ReplicationService::saveKeys(const QList<TsigKey>& keys, const QString& failurePrefix,
                                  const QString& successLine) {
    QPointer<ReplicationService> self(this);
    writeKeys(keys, [self, keys, failurePrefix, successLine](bool ok, const QString& why) {
        if (!self)
            return;
        if (!ok) {
            const QString message = failurePrefix + why;
            self->log(QStringLiteral("❌ ") + message, LogLevel::error);
            Q_EMIT self->finished(false, message);
            return;
        }
        self->m_keys = keys;
        self->log(successLine, LogLevel::info);
        Q_EMIT self->keysChanged();
        Q_EMIT self->finished(true, QString());
    });
}

void ReplicationService::deleteKey(const QString& name) {
    for (const SecondaryServer& secondary : m_secondaries) {
        if (secondary.keyName == name) {
            const QString message =
                QStringLiteral("The key \"%1\" is in use by the secondary \"%2\"")
                    .arg(name, secondary.name);
            log(QStringLiteral("❌ ") + message, LogLevel::error);
            finishLater(false, message);
            return;
        }
    }
    if (!key(name)) {
        finishLater(false, QStringLiteral("There is no key named \"%1\"").arg(name));
        return;
    }
    QList<TsigKey> keys = m_keys;
    keys.removeIf([&](const TsigKey& k) { return k.name == name; });
    saveKeys(keys, QStringLiteral("The key \"%1\" could not be deleted: ").arg(name),
             QStringLiteral("🗑️ TSIG key \"%1\" deleted").arg(name));
}

void ReplicationService::loadSecondaries() {
    m_secondaries.clear();
    if (!m_preferences)
        return;
    const QJsonArray list =
        QJsonDocument::fromJson(
            m_preferences->data(QString::fromLatin1(secondariesKey)).value_or(QByteArray()))
            .array();
    for (const QJsonValue& value : list) {
        const QJsonObject object = value.toObject();
        SecondaryServer secondary;
        secondary.name = object.value(QStringLiteral("name")).toString();
        secondary.address = object.value(QStringLiteral("address")).toString();
        secondary.port = quint16(object.value(QStringLiteral("port")).toInt(53));
        secondary.keyName = object.value(QStringLiteral("keyName")).toString();
        if (!secondary.name.isEmpty())
            m_secondaries.append(secondary);
    }
}

void ReplicationService::storeSecondaries() {
    if (!m_preferences)
        return;
    QJsonArray list;
    for (const SecondaryServer& secondary : m_secondaries) {
        list.append(QJsonObject{{QStringLiteral("name"), secondary.name},
                                {QStringLiteral("address"), secondary.address},
                                {QStringLiteral("port"), int(secondary.port)},
                                {QStringLiteral("keyName"), secondary.keyName}});
    }
    m_preferences->setData(QString::fromLatin1(secondariesKey),
                           QJsonDocument(list).toJson(QJsonDocument::Compact));
    m_preferences->synchronize();
}

bool ReplicationService::isActive() const {
    for (const SecondaryServer& secondary : m_secondaries) {
        if (ReplicationText::isUsableSecondary(secondary) && key(secondary.keyName))
            return true;
    }
    return false;
}

void ReplicationService::addSecondary(const SecondaryServer& secondary) {
    QString why;
    if (secondary.name.trimmed().isEmpty())
        why = QStringLiteral("Give the secondary a name");
    else if (!ReplicationText::isUsableSecondary(secondary, &why))
        ;
    else if (!key(secondary.keyName))
        why = QStringLiteral("There is no key named \"%1\"").arg(secondary.keyName);
    if (!why.isEmpty()) {
        log(QStringLiteral("❌ ") + why, LogLevel::error);
        finishLater(false, why);
        return;
    }
    const QList<SecondaryServer> previous = m_secondaries;
    m_secondaries.removeIf([&](const SecondaryServer& s) { return s.name == secondary.name; });
    m_secondaries.append(secondary);
    QPointer<ReplicationService> self(this);
    apply([self, previous, secondary](bool ok, const QString& reason) {
        if (!self)
            return;
        if (!ok) {
            // The configuration was refused: the list stays as it was.
            self->m_secondaries = previous;
            self->log(
                QStringLiteral("❌ Secondary \"%1\" was not added: %2").arg(secondary.name, reason),
                LogLevel::error);
            Q_EMIT self->finished(false, reason);
            return;
        }
        self->storeSecondaries();
        self->log(QStringLiteral("✅ Secondary \"%1\" (%2 port %3) added")
                      .arg(secondary.name, secondary.address)
                      .arg(secondary.port),
                  LogLevel::info);
        Q_EMIT self->secondariesChanged();
        Q_EMIT self->finished(true, QString());
    });
}

void ReplicationService::removeSecondary(const QString& name) {
    const QList<SecondaryServer> previous = m_secondaries;
    m_secondaries.removeIf([&](const SecondaryServer& s) { return s.name == name; });
    if (m_secondaries.size() == previous.size()) {
        finishLater(false, QStringLiteral("There is no secondary named \"%1\"").arg(name));
        return;
    }
    QPointer<ReplicationService> self(this);
    apply([self, previous, name](bool ok, const QString& reason) {
        if (!self)
            return;
        if (!ok) {
            self->m_secondaries = previous;
            self->log(QStringLiteral("❌ Secondary \"%1\" was not removed: %2").arg(name, reason),
                      LogLevel::error);
            Q_EMIT self->finished(false, reason);
            return;
        }
        self->storeSecondaries();
        self->log(QStringLiteral("Secondary \"%1\" removed").arg(name), LogLevel::info);
        Q_EMIT self->secondariesChanged();
        Q_EMIT self->finished(true, QString());
    });
}

QStringList ReplicationService::configurationStatements() const {
    if (!isActive())
        return {};
    QList<SecondaryServer> active;
    for (const SecondaryServer& secondary : m_secondaries) {
        if (key(secondary.keyName))
            active.append(secondary);
    }
    return {QStringLiteral("include ") + quoted(keyFilePath()) + u';',
            ReplicationText::catalogZoneStatement(catalogFilePath(), active)};
}

QStringList ReplicationService::zoneLines() const {
    if (!isActive())
        return {};
    QList<SecondaryServer> active;
    for (const SecondaryServer& secondary : m_secondaries) {
        if (key(secondary.keyName))
            active.append(secondary);
    }
    return ReplicationText::zoneTransferLines(active);
}

bool ReplicationService::serverRunning() const {
    return m_control && m_control->status() == ServerStatus::running;
}

void ReplicationService::whenSaved(SaveId id, Completion done) {
    if (id == 0) {
        QMetaObject::invokeMethod(
            this, [done] { done(false, QStringLiteral("The file was not written")); },
            Qt::QueuedConnection);
        return;
    }
    m_saveWaiters.insert(id, std::move(done));
}

void ReplicationService::updateCatalog(const QStringList& zoneNames, Completion done) {
    writeCatalog(zoneNames, std::move(done), true);
}

void ReplicationService::writeCatalog(const QStringList& zoneNames, Completion done, bool reload) {
    if (!isActive() || !m_saver) {
        QMetaObject::invokeMethod(
            this, [done] { done(true, QString()); }, Qt::QueuedConnection);
        return;
    }
    // Serials only move forward, so a secondary always takes the new list.
    m_catalogSerial = nextSerial(m_catalogSerial);
    const auto catalog =
        ReplicationText::catalogZone(catalogFilePath(), zoneNames, m_catalogSerial);
    QPointer<ReplicationService> self(this);
    whenSaved(m_saver->saveZoneFile(catalog), [self, done, reload](bool ok, const QString& why) {
        if (!self || !ok || !reload || !self->serverRunning())
            return done(ok, why);
        // A zone the server already has is read again only when reloaded;
        // a new catalog is read by the reconfiguration that follows.
        self->m_control->reloadZone(ReplicationText::catalogZoneName(),
                                    [done](bool, const QString&) { done(true, QString()); });
    });
}

void ReplicationService::apply(Completion done) {
    const QStringList zones = m_zoneNames ? m_zoneNames() : QStringList();
    QPointer<ReplicationService> self(this);
    const auto saveConfiguration = [self, done] {
        if (!self)
            return;
        if (!self->m_configurationSave)
            return done(true, QString());
        self->whenSaved(self->m_configurationSave(), [self, done](bool ok, const QString& why) {
            if (!self || !ok || !self->serverRunning())
                return done(ok, why);
            self->m_control->reconfigure(done);
        });
    };
    if (!isActive())
        return saveConfiguration();
    // The reconfiguration that follows reads a catalog new to the server; one
    // it has already lists the same zones.
    writeCatalog(zones, [saveConfiguration, done](bool ok, const QString& why) {
        if (!ok)
            return done(false, why);
        saveConfiguration();
    });
}

std::optional<ReplicationText::SecondarySetup>
ReplicationService::setupFor(const QString& secondaryName, const QString& primaryAddress) const {
    for (const SecondaryServer& secondary : m_secondaries) {
        if (secondary.name != secondaryName)
            continue;
        const std::optional<TsigKey> secret = key(secondary.keyName);
        if (!secret)
            return std::nullopt;
        // The address goes into configuration text as it stands.
        if (!primaryAddress.isEmpty() && !isValidIPv4Address(primaryAddress) &&
            !isValidIPv6Address(primaryAddress))
            return std::nullopt;
        ReplicationText::SecondarySetup setup;
        setup.primaryAddress = primaryAddress.isEmpty() ? m_layout.serverAddress : primaryAddress;
        setup.primaryPort = m_layout.serverPort;
        setup.key = *secret;
        return setup;
    }
    return std::nullopt;
}

std::optional<QString> ReplicationService::secondarySnippet(const QString& secondaryName,
                                                            const QString& primaryAddress) const {
    const auto setup = setupFor(secondaryName, primaryAddress);
    if (!setup)
        return std::nullopt;
    return ReplicationText::secondarySnippet(*setup);
}

std::optional<QString>
ReplicationService::secondaryNamedConf(const QString& secondaryName,
                                       const ReplicationText::LocalSecondary& local) const {
    const auto setup = setupFor(secondaryName);
    if (!setup)
        return std::nullopt;
    return ReplicationText::secondaryNamedConf(*setup, local);
}

std::optional<QString> ReplicationService::writeLocalSecondary(const QString& secondaryName,
                                                               const QString& directory,
                                                               quint16 port, QString* error) const {
    const auto fail = [error](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString folder = QDir::cleanPath(directory);
    if (!QDir::isAbsolutePath(folder) || folder.contains(u'"') || folder.contains(u'\\'))
        return fail(QStringLiteral("Choose a folder with an absolute path and no quotes"));
    const std::optional<QString> text =
        secondaryNamedConf(secondaryName, ReplicationText::localSecondaryIn(folder, port));
    if (!text)
        return fail(QStringLiteral("There is no secondary \"%1\" with a key").arg(secondaryName));
    if (!QDir().mkpath(folder + QStringLiteral("/data")))
        return fail(QStringLiteral("Could not create ") + folder + QStringLiteral("/data"));
    const QString path = folder + QStringLiteral("/named.conf");
    QString why;
    if (!TextFileWriter::replaceFile(path, *text, &why))
        return fail(why);
    // It holds the key's secret.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    return path;
}

} // namespace korvi
