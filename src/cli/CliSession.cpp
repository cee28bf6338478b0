#include "cli/CliSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>

#include <cstdio>

#include "app/SandboxSession.h"
#include "host/HostLayout.h"
#include "manager/DNSServerManager.h"
#include "manager/WriterLock.h"
#include "manager/ZoneRepository.h"
#include "platform/Console.h"
#include "platform/SystemLayout.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

void writeOut(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString dataDirectoryOf(const CliRequest& request) {
    if (!request.sandboxDirectory.isEmpty())
        return request.sandboxDirectory + QStringLiteral("/data");
    return standardLayoutFor(readHostLayoutFacts()).dataDirectory;
}

} // namespace

CliSession::CliSession(const CliRequest& request, QObject* parent)
    : QObject(parent), m_request(request) {
    m_readiness.setInterval(50);
    connect(&m_readiness, &QTimer::timeout, this, &CliSession::checkReady);
    m_result.insert(QStringLiteral("command"), m_request.command);
}

CliSession::~CliSession() = default;

void CliSession::printUsageError(const QString& message, bool json) {
    if (json) {
        QJsonObject answer{{QStringLiteral("ok"), false},
                           {QStringLiteral("exitCode"), int(exitUsage)},
                           {QStringLiteral("error"), message}};
        writeOut(stdout, QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Indented)));
        return;
    }
    writeOut(stderr, QStringLiteral("korvictl: ") + message + u'\n' +
                         QCoreApplication::translate("korvictl", "see korvictl --help") + u'\n');
}

void CliSession::start() {
    // Standard output carries the JSON document or the zone file alone; the
    // log lines go to standard error then.
    if (m_request.json || m_request.command == u"export")
        setConsoleToStandardError(true);
    if (!m_request.sandboxDirectory.isEmpty() &&
        !SandboxSession::isPlainPath(m_request.sandboxDirectory)) {
        finish(exitUsage, QStringLiteral("the sandbox directory must be a plain path, without "
                                         "spaces, quotes or shell characters: ") +
                              m_request.sandboxDirectory);
        return;
    }
    if (!m_request.changesZones()) {
        open();
        return;
    }
    // One writer at a time: the zones are read only once the lock is ours,
    // so the change starts from what the last writer left.
    const QString data = dataDirectoryOf(m_request);
    if (data.isEmpty()) {
        open();
        return;
    }
    m_lock = std::make_unique<WriterLock>(data);
    connect(m_lock.get(), &WriterLock::acquired, this, &CliSession::open);
    connect(m_lock.get(), &WriterLock::timedOut, this, [this](const QString& holder) {
        finish(exitUnreachable,
               QStringLiteral("another Korvi program is changing zones (%1) and did not finish "
                              "in time; nothing was changed")
                   .arg(holder.isEmpty() ? m_lock->path() : holder));
    });
    m_lock->acquire(WriterLock::waitFromEnvironment());
}

void CliSession::open() {
    if (m_request.sandboxDirectory.isEmpty()) {
        m_manager = std::make_unique<DNSServerManager>();
    } else {
        const QString directory = m_request.sandboxDirectory;
        if (!QDir().mkpath(directory)) {
            finish(exitUnreachable,
                   QStringLiteral("cannot create the sandbox directory ") + directory);
            return;
        }
        // The sandbox's server where its named.conf says it listens (the
        // window's, when it runs); a new sandbox gets the first free port.
        SandboxSession::RecordedPorts ports = SandboxSession::recordedPorts(directory);
        if (ports.server == 0)
            ports.server = SandboxSession::firstFreePort(SandboxSession::defaultPort);
        if (ports.server == 0) {
            finish(exitUnreachable, QStringLiteral("no free port for the sandbox's server"));
            return;
        }
        m_sandbox = std::make_unique<SandboxSession>(directory, ports.server, ports.control);
        m_manager =
            std::make_unique<DNSServerManager>(m_sandbox->layout(), m_sandbox->preferences());
        DNSConfiguration* configuration = m_manager->configuration();
        if (const std::optional<QString> text = readTextFile(m_sandbox->layout().namedConfigPath))
            configuration->loadNamedConf(*text);
        configuration->setListenAddresses({QStringLiteral("127.0.0.1")});
        configuration->setListenPort(ports.server);
    }
    // korvictl holds the writer lock itself, for the whole command.
    m_manager->zoneRepository()->setWriterLock(nullptr);
    m_waited.start();
    m_readiness.start();
}

void CliSession::checkReady() {
    // A running server that did not answer the first question in time (a
    // busy machine) is asked again before a change would go ahead unserved.
    if (m_manager->serverStatus() == ServerStatus::error && m_statusRetries < statusRetries) {
        ++m_statusRetries;
        m_manager->setServerStatus(ServerStatus::unknown);
        m_manager->checkServerStatus();
        return;
    }
    const bool statusKnown = m_manager->serverStatus() != ServerStatus::unknown;
    bool recordsIn = m_manager->isStorageLoaded();
    for (const ZonePtr& zone : m_manager->zones())
        recordsIn = recordsIn && zone->recordsLoaded();
    if (statusKnown && recordsIn) {
        m_readiness.stop();
        run();
        return;
    }
    if (m_waited.elapsed() > readyLimitMs) {
        m_readiness.stop();
        finish(exitUnreachable, !recordsIn ? QStringLiteral("Korvi's zone store did not answer")
                                           : QStringLiteral("the server's state could not be "
                                                            "found out"));
    }
}

void CliSession::run() {
    static const QHash<QString, void (CliSession::*)()> commands = {
        {QStringLiteral("status"), &CliSession::runStatus},
        {QStringLiteral("zones"), &CliSession::runZones},
        {QStringLiteral("records"), &CliSession::runRecords},
        {QStringLiteral("add"), &CliSession::runAdd},
        {QStringLiteral("update"), &CliSession::runUpdate},
        {QStringLiteral("delete"), &CliSession::runDelete},
        {QStringLiteral("apply"), &CliSession::runApply},
        {QStringLiteral("import"), &CliSession::runImport},
        {QStringLiteral("export"), &CliSession::runExport},
        {QStringLiteral("lookup"), &CliSession::runLookup},
        {QStringLiteral("start"), &CliSession::runStart},
        {QStringLiteral("stop"), &CliSession::runStop},
    };
    const auto command = commands.value(m_request.command);
    if (!command) {
        finish(exitUsage, QStringLiteral("unknown command '%1'").arg(m_request.command));
        return;
    }
    (this->*command)();
}

void CliSession::finish(int code, const QString& message) {
    if (m_finished)
        return;
    m_finished = true;
    m_readiness.stop();
    print(code, message);
    // The lines the command logged are still queued for the log (and the
    // store); the end is announced behind them.
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            if (m_lock)
                m_lock->release();
            Q_EMIT finished(code);
        },
        Qt::QueuedConnection);
}

void CliSession::print(int code, const QString& message) {
    if (m_request.json) {
        QJsonObject answer = m_result;
        answer.insert(QStringLiteral("ok"), code == exitDone);
        answer.insert(QStringLiteral("exitCode"), code);
        if (!message.isEmpty())
            answer.insert(QStringLiteral("error"), message);
        writeOut(stdout, QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Indented)));
        return;
    }
    if (!m_lines.isEmpty())
        writeOut(stdout, m_lines.join(u'\n') + u'\n');
    if (!message.isEmpty())
        writeOut(stderr, QStringLiteral("korvictl: ") + message + u'\n');
}

} // namespace korvi
