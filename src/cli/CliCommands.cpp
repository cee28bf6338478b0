// korvictl's commands: each reads the manager's zones or asks it for one
// change, and ends the session with its answer.

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include "app/SandboxSession.h"
#include "cli/CliSession.h"
#include "manager/DNSServerManager.h"
#include "manager/ServerQuery.h"
#include "manager/ZoneRepository.h"
#include "model/TextCleaning.h"
#include "model/ZoneFileWriter.h"
#include "model/ZoneParser.h"
#include "platform/TextFile.h"

namespace korvi {

namespace {

QString plainZoneName(QString name) {
    name = name.trimmed().toLower();
    while (name.endsWith(u'.'))
        name.chop(1);
    return name;
}

// A record name as stored: "@" for the apex, else relative to the zone.
QString relativeName(const QString& name, const QString& zoneName) {
    QString plain = plainZoneName(name);
    const QString zone = plainZoneName(zoneName);
    if (plain.isEmpty() || plain == u"@" || plain == zone)
        return QStringLiteral("@");
    if (plain.endsWith(u'.' + zone))
        plain.chop(zone.size() + 1);
    return plain;
}

QJsonObject zoneJson(const DNSZone& zone) {
    QJsonObject object{{QStringLiteral("name"), zone.name()},
                       {QStringLiteral("file"), zone.filePath()},
                       {QStringLiteral("records"), qint64(zone.recordCount())}};
    if (zone.soaRecord())
        object.insert(QStringLiteral("serial"), zone.soaRecord()->serial);
    return object;
}

// A change that did not end applied: rolled back when the server did not
// serve it, else refused by a check.
int exitForRefusal(const QString& message) {
    return message.contains(QStringLiteral("did not serve")) ||
                   message.contains(QStringLiteral("put back"))
               ? exitRolledBack
               : exitRefused;
}

} // namespace

ZonePtr CliSession::zoneNamed(const QString& name) {
    const QString wanted = plainZoneName(name);
    for (const ZonePtr& zone : m_manager->zones()) {
        if (plainZoneName(zone->name()) == wanted)
            return zone;
    }
    finish(exitRefused, QStringLiteral("Zone '%1' is not one of Korvi's zones").arg(name));
    return {};
}

std::optional<DNSRecordType> CliSession::typeArgument(const QString& text) {
    const std::optional<DNSRecordType> type = recordTypeFromRawValue(text.toUpper());
    if (!type || !editableRecordTypes().contains(*type)) {
        finish(exitUsage, QStringLiteral("'%1' is not a record type korvictl edits").arg(text));
        return std::nullopt;
    }
    return type;
}

DNSRecord CliSession::recordFrom(const QString& zoneName, const QString& name, DNSRecordType type,
                                 const QString& value, const std::optional<DNSRecord>& base) const {
    // As the record forms make it: the name cleaned ("@" for the apex), a
    // host name completed with the zone, the type's default fields (or the
    // changed record's own, its id kept).
    DNSRecord record = base ? *base : DNSRecord();
    const bool sameType = base && base->type == type;
    record.name = cleanRecordName(relativeName(name, zoneName));
    record.type = type;
    record.value = completedRecordValue(value, type, zoneName);
    if (!sameType)
        static_cast<RecordOptions&>(record) = defaultRecordOptions(type);
    if (m_request.ttl)
        record.ttl = *m_request.ttl;
    const RecordOptions defaults = defaultRecordOptions(type);
    if (m_request.priority && defaults.priority)
        record.priority = m_request.priority;
    if (m_request.weight && defaults.weight)
        record.weight = m_request.weight;
    if (m_request.port && defaults.port)
        record.port = m_request.port;
    return record;
}

QList<DNSRecord> CliSession::matching(const ZonePtr& zone, const QString& name, DNSRecordType type,
                                      const std::optional<QString>& value) const {
    const QString wantedName = relativeName(name, zone->name());
    const QString wantedValue =
        value ? completedRecordValue(*value, type, zone->name()) : QString();
    QList<DNSRecord> found;
    for (const DNSRecord& record : zone->records()) {
        if (record.isKept() || record.type != type ||
            relativeName(record.name, zone->name()) != wantedName)
            continue;
        if (value && record.value.compare(wantedValue, Qt::CaseInsensitive) != 0 &&
            record.value != *value)
            continue;
        found.append(record);
    }
    return found;
}

void CliSession::finishWithChange(ChangeId id, const QString& doneText) {
    connect(m_manager.get(), &DNSServerManager::changeFinished, this,
            [this, id, doneText](ChangeId finished, bool applied, const QString& message) {
                if (finished != id)
                    return;
                m_result.insert(QStringLiteral("applied"), applied);
                if (applied) {
                    m_lines.append(doneText);
                    m_result.insert(QStringLiteral("message"), doneText);
                    finish(exitDone);
                } else {
                    finish(exitForRefusal(message), message);
                }
            });
}

void CliSession::runStatus() {
    const DNSServerManager& manager = *m_manager;
    const SystemLayout& layout = manager.layout();
    const QString server =
        QStringLiteral("%1 port %2").arg(layout.serverAddress).arg(layout.serverPort);
    m_result.insert(QStringLiteral("layout"), layout.layoutName);
    m_result.insert(QStringLiteral("bindInstalled"), manager.isBindInstalled());
    m_result.insert(QStringLiteral("bindVersion"), manager.bindVersion());
    m_result.insert(QStringLiteral("server"), rawValue(manager.serverStatus()));
    m_result.insert(QStringLiteral("address"), layout.serverAddress);
    m_result.insert(QStringLiteral("port"), int(layout.serverPort));
    m_result.insert(QStringLiteral("configuration"), layout.namedConfigPath);
    m_result.insert(QStringLiteral("zoneDirectory"), layout.zoneDirectory);
    m_result.insert(QStringLiteral("zones"), int(manager.zones().size()));
    m_lines << QStringLiteral("Layout: ") + layout.layoutName
            << QStringLiteral("BIND: ") + (manager.isBindInstalled()
                                               ? manager.bindVersion()
                                               : QStringLiteral("not installed"))
            << QStringLiteral("Server: ") + rawValue(manager.serverStatus()) +
                   QStringLiteral(" (") + server + u')'
            << QStringLiteral("Configuration: ") + layout.namedConfigPath
            << QStringLiteral("Zone files: ") + layout.zoneDirectory
            << QStringLiteral("Zones: ") + QString::number(manager.zones().size());
    finish(exitDone);
}

void CliSession::runZones() {
    QJsonArray zones;
    for (const ZonePtr& zone : m_manager->zones()) {
        zones.append(zoneJson(*zone));
        m_lines.append(QStringLiteral("%1\t%2 records\t%3")
                           .arg(zone->name())
                           .arg(zone->recordCount())
                           .arg(zone->filePath()));
    }
    m_result.insert(QStringLiteral("zones"), zones);
    finish(exitDone);
}

void CliSession::runRecords() {
    const ZonePtr zone = zoneNamed(m_request.arguments.at(0));
    if (!zone)
        return;
    QJsonArray records;
    for (const DNSRecord& record : zone->records()) {
        QJsonObject object = record.toJson();
        object.insert(QStringLiteral("line"), ZoneFileWriter::recordLine(record, zone->name()));
        records.append(object);
        m_lines.append(ZoneFileWriter::recordLine(record, zone->name()));
    }
    m_result.insert(QStringLiteral("zone"), zone->name());
    m_result.insert(QStringLiteral("records"), records);
    finish(exitDone);
}

void CliSession::runAdd() {
    const QStringList& a = m_request.arguments;
    const std::optional<DNSRecordType> type = typeArgument(a.at(2));
    if (!type)
        return;
    const ZonePtr zone = zoneNamed(a.at(0));
    if (!zone)
        return;
    const DNSRecord record = recordFrom(zone->name(), a.at(1), *type, a.at(3));
    m_result.insert(QStringLiteral("record"), record.toJson());
    finishWithChange(m_manager->addRecord(record, zone),
                     QStringLiteral("Added: ") + ZoneFileWriter::recordLine(record, zone->name()));
}

void CliSession::runUpdate() {
    const QStringList& a = m_request.arguments;
    const std::optional<DNSRecordType> type = typeArgument(a.at(2));
    if (!type)
        return;
    const ZonePtr zone = zoneNamed(a.at(0));
    if (!zone)
        return;
    const QList<DNSRecord> found = matching(zone, a.at(1), *type, a.at(3));
    if (found.size() != 1) {
        finish(exitRefused, found.isEmpty()
                                ? QStringLiteral("Zone '%1' has no %2 record '%3' with value '%4'")
                                      .arg(zone->name(), a.at(2).toUpper(), a.at(1), a.at(3))
                                : QStringLiteral("Zone '%1' has %2 such records; delete them and "
                                                 "add the one wanted")
                                      .arg(zone->name())
                                      .arg(found.size()));
        return;
    }
    const DNSRecord record = recordFrom(zone->name(), a.at(1), *type, a.at(4), found.first());
    m_result.insert(QStringLiteral("record"), record.toJson());
    finishWithChange(m_manager->updateRecord(record, zone),
                     QStringLiteral("Updated: ") +
                         ZoneFileWriter::recordLine(record, zone->name()));
}

void CliSession::runDelete() {
    const QStringList& a = m_request.arguments;
    const std::optional<DNSRecordType> type = typeArgument(a.at(2));
    if (!type)
        return;
    const ZonePtr zone = zoneNamed(a.at(0));
    if (!zone)
        return;
    const std::optional<QString> value =
        a.size() > 3 ? std::optional<QString>(a.at(3)) : std::nullopt;
    const QList<DNSRecord> found = matching(zone, a.at(1), *type, value);
    if (found.isEmpty()) {
        finish(exitRefused, QStringLiteral("Zone '%1' has no such %2 record '%3'")
                                .arg(zone->name(), a.at(2).toUpper(), a.at(1)));
        return;
    }
    QList<QUuid> ids;
    QJsonArray deleted;
    for (const DNSRecord& record : found) {
        ids.append(record.id);
        deleted.append(record.toJson());
    }
    m_result.insert(QStringLiteral("deleted"), deleted);
    const QString done = QStringLiteral("Deleted %1 record(s)").arg(found.size());
    finishWithChange(found.size() == 1 ? m_manager->deleteRecord(found.first(), zone)
                                       : m_manager->deleteRecords(ids, zone),
                     done);
}

void CliSession::runApply() {
    // Every zone's file is written again from the store, as its own checked
    // and served change; the first one that is not applied decides the end.
    const QList<ZonePtr> zones = m_manager->zones();
    if (zones.isEmpty()) {
        m_lines.append(QStringLiteral("No zones to apply"));
        finish(exitDone);
        return;
    }
    auto waiting = std::make_shared<QSet<ChangeId>>();
    auto failure = std::make_shared<std::pair<int, QString>>(exitDone, QString());
    auto applied = std::make_shared<QJsonArray>();
    connect(m_manager.get(), &DNSServerManager::changeFinished, this,
            [this, waiting, failure, applied](ChangeId id, bool ok, const QString& message) {
                if (!waiting->remove(id))
                    return;
                if (!ok && failure->first == exitDone)
                    *failure = {exitForRefusal(message), message};
                if (!waiting->isEmpty())
                    return;
                m_result.insert(QStringLiteral("zones"), *applied);
                finish(failure->first, failure->second);
            });
    for (const ZonePtr& zone : zones) {
        waiting->insert(m_manager->zoneRepository()->rewriteZoneFile(zone));
        applied->append(zone->name());
        m_lines.append(QStringLiteral("Applied zone ") + zone->name());
    }
}

void CliSession::runImport() {
    const QString path = QFileInfo(m_request.arguments.at(0)).absoluteFilePath();
    const std::optional<QString> text = readTextFile(path);
    if (!text) {
        finish(exitRefused, QStringLiteral("Cannot read the zone file ") + path);
        return;
    }
    QString name = m_request.zone;
    if (name.isEmpty()) {
        static const QRegularExpression origin(QStringLiteral("^\\$ORIGIN\\s+(\\S+)"),
                                               QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = origin.match(*text);
        name = match.hasMatch() ? match.captured(1) : QFileInfo(path).fileName();
        if (!match.hasMatch()) {
            if (name.startsWith(QStringLiteral("db.")))
                name = name.mid(3);
            for (const QString& suffix : {QStringLiteral(".zone"), QStringLiteral(".db")}) {
                if (name.endsWith(suffix))
                    name.chop(suffix.size());
            }
        }
    }
    name = plainZoneName(name);
    if (const std::optional<QString> refusal = m_manager->newZoneRefusal(name)) {
        finish(exitRefused, *refusal);
        return;
    }
    const ZoneReadResult read =
        ZoneParser().readText(text->toUtf8(), name, QFileInfo(path).absolutePath(), path);
    if (!read.ok) {
        finish(exitRefused, read.error);
        return;
    }
    const auto zone =
        ZonePtr::create(name, m_manager->zoneDirectory() + QStringLiteral("/db.") + name);
    zone->setRecords(read.records);
    zone->setSoaRecord(read.soa ? read.soa
                                : ZoneRepository::newZoneSOA(name, QString(), QString(),
                                                             QDateTime::currentSecsSinceEpoch()));
    m_result.insert(QStringLiteral("zone"), name);
    m_result.insert(QStringLiteral("records"), int(read.records.size()));
    finishWithChange(
        m_manager->addZone(zone),
        QStringLiteral("Imported zone %1 with %2 records").arg(name).arg(read.records.size()));
}

void CliSession::runExport() {
    const ZonePtr zone = zoneNamed(m_request.arguments.at(0));
    if (!zone)
        return;
    const QString text = zone->zoneFileText();
    m_result.insert(QStringLiteral("zone"), zone->name());
    m_result.insert(QStringLiteral("text"), text);
    m_lines.append(text.endsWith(u'\n') ? text.chopped(1) : text);
    finish(exitDone);
}

void CliSession::runLookup() {
    DnsQuestion question;
    question.address = m_manager->layout().serverAddress;
    question.port = m_manager->layout().serverPort;
    question.name = m_request.arguments.at(0);
    question.type =
        m_request.arguments.size() > 1 ? m_request.arguments.at(1).toUpper() : QStringLiteral("A");
    m_result.insert(QStringLiteral("name"), question.name);
    m_result.insert(QStringLiteral("type"), question.type);
    ServerQuery::ask(this, question, [this](const DnsAnswer& answer) {
        if (!answer.responded()) {
            finish(answer.outcome == DnsOutcome::badQuestion ? exitUsage : exitUnreachable,
                   answer.error.isEmpty() ? outcomeWord(answer.outcome) : answer.error);
            return;
        }
        m_result.insert(QStringLiteral("rcode"), answer.rcode);
        m_result.insert(QStringLiteral("authoritative"), answer.authoritative);
        m_result.insert(QStringLiteral("answers"), QJsonArray::fromStringList(answer.records));
        m_lines = answer.records;
        if (answer.records.isEmpty())
            m_lines.append(answer.rcode);
        finish(exitDone);
    });
}

void CliSession::waitForStatus(bool running) {
    const ServerStatus wanted = running ? ServerStatus::running : ServerStatus::stopped;
    const auto check = [this, wanted, running](ServerStatus status) {
        if (status == wanted) {
            m_result.insert(QStringLiteral("server"), rawValue(status));
            m_lines.append(QStringLiteral("Server: ") + rawValue(status));
            finish(exitDone);
        } else if (status == ServerStatus::error || status == ServerStatus::notInstalled) {
            finish(exitUnreachable, running ? QStringLiteral("the server did not start")
                                            : QStringLiteral("the server did not stop"));
        }
    };
    connect(m_manager.get(), &DNSServerManager::serverStatusChanged, this, check);
    QTimer::singleShot(readyLimitMs, this, [this, running] {
        finish(exitUnreachable, running ? QStringLiteral("the server did not start in time")
                                        : QStringLiteral("the server did not stop in time"));
    });
}

void CliSession::runStart() {
    if (m_manager->isRunning()) {
        m_lines.append(QStringLiteral("Server: running"));
        m_result.insert(QStringLiteral("server"), rawValue(ServerStatus::running));
        finish(exitDone);
        return;
    }
    if (!m_manager->isBindInstalled()) {
        finish(exitUnreachable, QStringLiteral("BIND is not installed"));
        return;
    }
    if (!m_sandbox) {
        waitForStatus(true);
        m_manager->startServer();
        return;
    }
    // A sandbox's named.conf is written (checked) as the window writes it
    // before its server starts.
    connect(m_sandbox.get(), &SandboxSession::configurationReady, this, [this](bool written) {
        if (!written) {
            finish(exitUnreachable, QStringLiteral("the sandbox's configuration could not be "
                                                   "written"));
            return;
        }
        waitForStatus(true);
        m_manager->startServer();
    });
    m_sandbox->attach(m_manager.get());
}

void CliSession::runStop() {
    if (!m_manager->isRunning()) {
        m_lines.append(QStringLiteral("Server: ") + rawValue(m_manager->serverStatus()));
        m_result.insert(QStringLiteral("server"), rawValue(m_manager->serverStatus()));
        finish(exitDone);
        return;
    }
    waitForStatus(false);
    m_manager->stopServer();
}

} // namespace korvi
