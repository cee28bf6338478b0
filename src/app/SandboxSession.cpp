#include "app/SandboxSession.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "manager/CommandRunner.h"
#include "manager/DNSServerManager.h"
#include "manager/ServerControlFactory.h"
#include "platform/Console.h"
#include "platform/PreferencesStore.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

bool canBind(quint16 port, int type) {
    const int fd = ::socket(AF_INET, type, 0);
    if (fd < 0)
        return false;
    const int reuse = 1;
    if (type == SOCK_STREAM)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

QString SandboxSession::defaultDirectory() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString preferred = QDir::cleanPath(data + QStringLiteral("/sandbox"));
    if (isPlainPath(preferred))
        return preferred;
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.korvi-sandbox"));
}

bool SandboxSession::isPlainPath(const QString& path) {
    static const QRegularExpression unsafe(QStringLiteral("[\\s&|;`$()<>\\\\\"'\\[\\]*?{}~!#]"));
    return QDir::isAbsolutePath(path) && !unsafe.match(path).hasMatch();
}

quint16 SandboxSession::firstFreePort(quint16 first) {
    for (quint32 port = first; port <= 65535; ++port) {
        if (canBind(quint16(port), SOCK_DGRAM) && canBind(quint16(port), SOCK_STREAM))
            return quint16(port);
    }
    return 0;
}

SandboxSession::RecordedPorts SandboxSession::recordedPorts(const QString& directory) {
    RecordedPorts ports;
    const std::optional<QString> text =
        readTextFile(QDir::cleanPath(directory) + QStringLiteral("/etc/named.conf"));
    if (!text)
        return ports;
    static const QRegularExpression listen(QStringLiteral("listen-on\\s+port\\s+(\\d+)"));
    static const QRegularExpression control(
        QStringLiteral("controls\\s*\\{\\s*inet\\s+\\S+\\s+port\\s+(\\d+)"));
    if (const QRegularExpressionMatch match = listen.match(*text); match.hasMatch())
        ports.server = quint16(match.captured(1).toUInt());
    if (const QRegularExpressionMatch match = control.match(*text); match.hasMatch())
        ports.control = quint16(match.captured(1).toUInt());
    return ports;
}

SandboxSession::SandboxSession(const QString& directory, quint16 port, QObject* parent)
    : SandboxSession(directory, port, 0, parent) {}

SandboxSession::SandboxSession(const QString& directory, quint16 port, quint16 controlPort,
                               QObject* parent)
    : QObject(parent), m_directory(QDir::cleanPath(directory)), m_port(port),
      m_layout(SystemLayout::sandbox(
          m_directory, port, controlPort != 0 ? controlPort : firstFreePort(quint16(port + 1)))),
      m_preferences(
          std::make_shared<PreferencesStore>(m_directory + QStringLiteral("/preferences.ini"))) {
    QDir().mkpath(m_layout.zoneDirectory + QStringLiteral("/data"));
    QDir().mkpath(m_layout.temporaryDirectory);
}

void SandboxSession::attach(DNSServerManager* manager) {
    m_manager = manager;
    DNSConfiguration* configuration = manager->configuration();
    // Zones and settings of an earlier session are kept; only where the
    // server listens is the sandbox's own.
    if (const std::optional<QString> text = readTextFile(m_layout.namedConfigPath))
        configuration->loadNamedConf(*text);
    configuration->setListenAddresses({QStringLiteral("127.0.0.1")});
    configuration->setListenPort(m_port);

    // named.conf depends on BIND's version (9.16 and later refuse some
    // options), which detection reports after start-up.
    connect(manager, &DNSServerManager::bindVersionChanged, this, [this] {
        if (!m_started)
            writeNamedConf();
    });
    // Attached after detection (korvictl start): the version is known now.
    if (!manager->bindVersion().isEmpty() && manager->isBindInstalled()) {
        writeNamedConf();
        return;
    }
    connect(manager, &DNSServerManager::serverStatusChanged, this, [this](ServerStatus status) {
        if (status == ServerStatus::notInstalled && !m_started) {
            m_started = true;
            m_manager->addLog(QStringLiteral("🧪 Sandbox: BIND is not installed, so there is no "
                                             "server to configure"),
                              LogLevel::warning);
            finish(false);
        }
    });
}

void SandboxSession::writeNamedConf() {
    m_started = true;
    // named.conf includes the sandbox's rndc key, so the checker needs it.
    const QPointer<SandboxSession> guard(this);
    createRndcKeyIfMissing(
        m_layout, CommandRunner(m_layout, nullptr), [guard](bool created, const QString& output) {
            if (!guard || !guard->m_manager)
                return;
            if (!created) {
                guard->m_manager->addLog(QStringLiteral("🧪 Sandbox: could not create the rndc "
                                                        "key: ") +
                                             output.trimmed(),
                                         LogLevel::error);
                guard->finish(false);
                return;
            }
            guard->saveNamedConf();
        });
}

void SandboxSession::saveNamedConf() {
    // The manager writes named.conf as always: only after named-checkconf has
    // accepted the same text, for the BIND version detection found.
    // Only this save counts: another save of named.conf ending first says
    // nothing about the sandbox's text.
    connect(m_manager, &DNSServerManager::configurationSaveFinished, this,
            &SandboxSession::saveFinished);
    m_saveId = m_manager->saveConfiguration();
}

void SandboxSession::saveFinished(SaveId id, bool written) {
    if (id != m_saveId)
        return;
    disconnect(m_manager, &DNSServerManager::configurationSaveFinished, this,
               &SandboxSession::saveFinished);
    finish(written);
}

void SandboxSession::finish(bool written) {
    m_ready = written;
    Q_EMIT configurationReady(written);
}

} // namespace korvi
