#include "manager/ZoneImport.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <ldns/ldns.h>

#include "manager/DNSServerManager.h"
#include "manager/LdnsExchange.h"
#include "manager/ManagerTasks.h"
#include "model/RecordValidator.h"
#include "model/ZoneFileWriter.h"
#include "model/ZoneParser.h"

namespace korvi {

namespace {

QString bareZoneName(const QString& name) {
    QString bare = name.trimmed();
    if (bare.size() > 1 && bare.endsWith(u'.'))
        bare.chop(1);
    return bare;
}

QString typeOf(const DNSRecord& record) {
    return record.isKept() ? record.keptType : rawValue(record.type);
}

// Records a signer makes: they hold for one exact version of the zone only.
bool isSignerRecord(const QString& type) {
    return type == u"RRSIG" || type == u"NSEC" || type == u"NSEC3";
}

// What the reader gave, sorted into what is imported and what is left out.
ZoneImportPreview sortOut(ZoneReadResult read, const QString& zoneName, const QString& source,
                          QList<NotImported> leftOut) {
    ZoneImportPreview preview;
    preview.zoneName = zoneName;
    preview.source = source;
    if (!read.ok) {
        preview.error = read.error;
        return preview;
    }
    preview.notImported = std::move(leftOut);
    for (const OutOfZoneRecord& out : read.outOfZone)
        preview.notImported.append(
            {out.owner, out.type, out.line,
             QStringLiteral("The name is outside the zone %1; BIND ignores it too").arg(zoneName)});
    preview.soa = read.soa;
    QSet<QString> seen;
    QHash<QString, qint64> setTTL;
    preview.records.reserve(read.records.size());
    for (DNSRecord& record : read.records) {
        const QString type = typeOf(record);
        if (type == u"SOA") {
            preview.notImported.append(
                {record.name, type, 0,
                 record.name.isEmpty()
                     ? QStringLiteral("A second SOA record; the zone keeps its first one")
                     : QStringLiteral("An SOA record below the zone's apex")});
            continue;
        }
        if (isSignerRecord(type)) {
            preview.notImported.append(
                {record.name, type, 0,
                 QStringLiteral("DNSSEC signing data, which would no longer match the zone after "
                                "Korvi's first change; sign the imported zone with BIND "
                                "(DNSSEC… on its settings)")});
            continue;
        }
        // Owners compare without regard to case, as BIND merges them.
        const QString key = record.name.toLower() + u'\n' + type + u'\n' +
                            ZoneFileWriter::recordData(record, zoneName);
        if (seen.contains(key)) {
            preview.notImported.append(
                {record.name, type, 0,
                 QStringLiteral("The same record as an earlier one; BIND keeps one")});
            continue;
        }
        const ValidationResult valid = validateRecord(record);
        if (!valid.isValid) {
            preview.notImported.append({record.name, type, 0,
                                        QStringLiteral("Korvi's record rules refuse it: %1")
                                            .arg(valid.errors.join(QStringLiteral("; ")))});
            continue;
        }
        // One TTL a record set, the first one read, as BIND loads it ("TTL set
        // to prior TTL").
        const QString set = record.name.toLower() + u'\n' + type;
        const auto first = setTTL.constFind(set);
        if (first == setTTL.constEnd())
            setTTL.insert(set, record.ttl);
        else
            record.ttl = *first;
        seen.insert(key);
        preview.records.append(std::move(record));
    }
    if (!preview.soa) {
        preview.error = QStringLiteral("%1 holds no SOA record for %2; every zone needs one")
                            .arg(source, zoneName);
        preview.records.clear();
        preview.notImported.clear();
        return preview;
    }
    preview.ok = true;
    return preview;
}

// A transferred record as a master-file line in the generic form (RFC 3597):
// its data exactly as it came, whatever the type.
QByteArray genericLine(const ldns_rr* rr) {
    QByteArray line = LdnsExchange::takeString(ldns_rdf2str(ldns_rr_owner(rr))).toUtf8();
    line += ' ' + QByteArray::number(ldns_rr_ttl(rr)) + " IN TYPE" +
            QByteArray::number(int(ldns_rr_get_type(rr))) + " \\# ";
    QByteArray data;
    for (size_t i = 0; i < ldns_rr_rd_count(rr); ++i) {
        const ldns_rdf* field = ldns_rr_rdf(rr, i);
        data.append(reinterpret_cast<const char*>(ldns_rdf_data(field)),
                    qsizetype(ldns_rdf_size(field)));
    }
    line += QByteArray::number(data.size());
    if (!data.isEmpty())
        line += ' ' + data.toHex();
    return line + '\n';
}

// BIND's algorithm names as ldns takes them.
QByteArray tsigAlgorithmName(const QString& algorithm) {
    QByteArray name = algorithm.trimmed().toLower().toUtf8();
    if (name.endsWith('.'))
        name.chop(1);
    if (name == "hmac-md5")
        name = "hmac-md5.sig-alg.reg.int";
    return name + '.';
}

} // namespace

ZoneImportPreview ZoneImportReader::fromFile(const QString& path, const QString& zoneName) {
    const QString zone = bareZoneName(zoneName);
    return sortOut(ZoneParser().readFile(path, zone), zone, path, {});
}

ZoneImportPreview ZoneImportReader::fromText(const QString& text, const QString& zoneName) {
    const QString zone = bareZoneName(zoneName);
    // $INCLUDE lines are blanked (the line count stays) and listed.
    static const QRegularExpression include(QStringLiteral("^\\$INCLUDE\\b.*$"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::MultilineOption);
    QString readable = text;
    QList<NotImported> leftOut;
    QRegularExpressionMatchIterator it = include.globalMatch(text);
    qsizetype removed = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const qint64 line = text.left(match.capturedStart()).count(u'\n') + 1;
        leftOut.append({QString(), QStringLiteral("$INCLUDE"), line,
                        QStringLiteral("An included file is not read from pasted text; import "
                                       "the zone from its file to have it read")});
        readable.remove(match.capturedStart() - removed, match.capturedLength());
        removed += match.capturedLength();
    }
    const QString source = QStringLiteral("pasted text");
    return sortOut(ZoneParser().readText(readable.toUtf8(), zone, {}, source), zone, source,
                   leftOut);
}

ZoneImportPreview ZoneImportReader::transferNow(const ZoneTransferRequest& request) {
    const QString zone = bareZoneName(request.zoneName);
    const QString source =
        QStringLiteral("transfer from %1 port %2").arg(request.address).arg(request.port);
    ZoneImportPreview failed;
    failed.zoneName = zone;
    failed.source = source;
    const QByteArray address = request.address.trimmed().toUtf8();
    ldns_rdf* server = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_A, address.constData());
    if (!server)
        server = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_AAAA, address.constData());
    if (!server) {
        failed.error = QStringLiteral("\"%1\" is not an IPv4 or IPv6 address").arg(request.address);
        return failed;
    }
    ldns_rdf* name = ldns_dname_new_frm_str((zone + u'.').toUtf8().constData());
    if (zone.isEmpty() || !name) {
        ldns_rdf_deep_free(server);
        failed.error = QStringLiteral("\"%1\" is not a zone name").arg(request.zoneName);
        return failed;
    }
    ldns_resolver* resolver = ldns_resolver_new();
    ldns_resolver_push_nameserver(resolver, server);
    ldns_rdf_deep_free(server);
    ldns_resolver_set_port(resolver, request.port);
    const int limit = qMax(request.timeoutMs, 1);
    ldns_resolver_set_timeout(resolver, timeval{limit / 1000, (limit % 1000) * 1000});
    ldns_resolver_set_retry(resolver, 1);
    const QByteArray keyName = request.tsigName.trimmed().toUtf8();
    const QByteArray algorithm = tsigAlgorithmName(request.tsigAlgorithm);
    const QByteArray secret = request.tsigSecret.trimmed().toUtf8();
    if (!keyName.isEmpty()) {
        // The resolver keeps copies and signs every message of the transfer.
        ldns_resolver_set_tsig_keyname(resolver, keyName.constData());
        ldns_resolver_set_tsig_algorithm(resolver, algorithm.constData());
        ldns_resolver_set_tsig_keydata(resolver, secret.constData());
    }

    QByteArray text;
    QString error;
    int soas = 0;
    ldns_status status = ldns_axfr_start(resolver, name, LDNS_RR_CLASS_IN);
    if (status != LDNS_STATUS_OK) {
        error = QStringLiteral("The transfer could not be started: %1")
                    .arg(QString::fromUtf8(ldns_get_errorstr_by_id(status)));
    } else {
        while (ldns_rr* rr = ldns_axfr_next(resolver)) {
            // The transfer ends with the zone's SOA once more.
            const bool soa = ldns_rr_get_type(rr) == LDNS_RR_TYPE_SOA &&
                             ldns_dname_compare(ldns_rr_owner(rr), name) == 0;
            if (!(soa && ++soas > 1))
                text += genericLine(rr);
            ldns_rr_free(rr);
        }
        if (!ldns_axfr_complete(resolver)) {
            const ldns_pkt* last = ldns_axfr_last_pkt(resolver);
            if (last && ldns_pkt_get_rcode(last) != LDNS_RCODE_NOERROR)
                error = QStringLiteral("The server refused the transfer (%1)")
                            .arg(LdnsExchange::takeString(
                                ldns_pkt_rcode2str(ldns_pkt_get_rcode(last))));
            else
                error = QStringLiteral("The transfer did not complete: no answer, or the "
                                       "connection ended early");
        }
    }
    ldns_rdf_deep_free(name);
    ldns_resolver_deep_free(resolver);
    if (!error.isEmpty()) {
        failed.error = QStringLiteral("%1 from %2 port %3: %4")
                           .arg(zone, request.address)
                           .arg(request.port)
                           .arg(error);
        return failed;
    }
    return sortOut(ZoneParser().readText(text, zone, {}, source), zone, source, {});
}

void ZoneImportReader::transfer(QObject* requester, const ZoneTransferRequest& request, Done done) {
    QPointer<QObject> target(requester);
    ManagerTasks::inBackground([target, request, done = std::move(done)] {
        const ZoneImportPreview preview = transferNow(request);
        ManagerTasks::onMainThread<QObject>(target, [preview, done](QObject&) {
            if (done)
                done(preview);
        });
    });
}

QString ZoneImportReader::proposedZoneName(const QString& text, const QString& fileName) {
    static const QRegularExpression origin(QStringLiteral("^\\$ORIGIN\\s+(\\S+)"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = origin.match(text);
    if (match.hasMatch() && match.captured(1) != u".")
        return bareZoneName(match.captured(1));
    QString name = QFileInfo(fileName).fileName();
    if (name.startsWith(QStringLiteral("db."), Qt::CaseInsensitive))
        name = name.mid(3);
    for (const QString& suffix : {QStringLiteral(".zone"), QStringLiteral(".db")}) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            name.chop(suffix.size());
    }
    return isValidDomainName(name) ? name : QString();
}

ZoneImporter::ZoneImporter(DNSServerManager* manager, QObject* parent)
    : QObject(parent), m_manager(manager) {
    if (manager)
        connect(manager, &DNSServerManager::changeFinished, this,
                [this](ChangeId id, bool applied, const QString& message) {
                    if (m_pending.remove(id))
                        Q_EMIT finished(id, applied, message);
                });
}

std::optional<QString> ZoneImporter::refusal(const ZoneImportPreview& preview) const {
    if (!m_manager)
        return QStringLiteral("Korvi's server manager is not available");
    if (!preview.ok)
        return preview.error.isEmpty() ? QStringLiteral("Nothing was read to import")
                                       : preview.error;
    if (!preview.soa)
        return QStringLiteral("The zone has no SOA record");
    if (!isValidDomainName(preview.zoneName))
        return QStringLiteral("\"%1\" is not a valid zone name").arg(preview.zoneName);
    return m_manager->newZoneRefusal(preview.zoneName);
}

ChangeId ZoneImporter::import(const ZoneImportPreview& preview) {
    if (const std::optional<QString> refused = refusal(preview)) {
        if (m_manager)
            m_manager->addLog(
                QStringLiteral("❌ Zone '%1' was not imported: %2").arg(preview.zoneName, *refused),
                LogLevel::error);
        const QString message = *refused;
        QMetaObject::invokeMethod(
            this, [this, message] { Q_EMIT finished(0, false, message); }, Qt::QueuedConnection);
        return 0;
    }
    auto zone = ZonePtr::create(preview.zoneName, m_manager->zoneDirectory() +
                                                      QStringLiteral("/db.") + preview.zoneName);
    zone->setSoaRecord(preview.soa);
    zone->setRecords(preview.records);
    m_manager->addLog(QStringLiteral("🔄 Importing zone '%1' from %2: %3 records, %4 left out")
                          .arg(preview.zoneName, preview.source)
                          .arg(preview.records.size())
                          .arg(preview.notImported.size()),
                      LogLevel::info);
    const ChangeId id = m_manager->addZone(zone);
    m_pending.insert(id);
    return id;
}

} // namespace korvi
