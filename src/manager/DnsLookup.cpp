#include "manager/DnsLookup.h"

#include <QPointer>

#include <arpa/inet.h>

#include <ldns/ldns.h>

#include "manager/LdnsExchange.h"
#include "manager/ManagerTasks.h"

namespace korvi {

namespace {

QList<LookupRecord> section(const ldns_rr_list* list) {
    QList<LookupRecord> records;
    for (size_t i = 0; list && i < ldns_rr_list_rr_count(list); ++i) {
        const ldns_rr* rr = ldns_rr_list_rr(list, i);
        LookupRecord record;
        record.owner = LdnsExchange::takeString(ldns_rdf2str(ldns_rr_owner(rr)));
        record.ttl = ldns_rr_ttl(rr);
        record.queryClass = LdnsExchange::takeString(ldns_rr_class2str(ldns_rr_get_class(rr)));
        record.type = LdnsExchange::takeString(ldns_rr_type2str(ldns_rr_get_type(rr)));
        record.data = LdnsExchange::rdataText(rr);
        records.append(record);
    }
    return records;
}

QStringList flagsOf(const ldns_pkt* packet) {
    QStringList flags;
    const std::pair<bool, const char*> all[] = {
        {ldns_pkt_qr(packet), "qr"}, {ldns_pkt_aa(packet), "aa"}, {ldns_pkt_tc(packet), "tc"},
        {ldns_pkt_rd(packet), "rd"}, {ldns_pkt_ra(packet), "ra"}, {ldns_pkt_ad(packet), "ad"},
        {ldns_pkt_cd(packet), "cd"}};
    for (const auto& [set, name] : all) {
        if (set)
            flags.append(QLatin1String(name));
    }
    return flags;
}

bool isAddress(const QString& text, int family) {
    unsigned char buffer[16];
    return inet_pton(family, text.toLatin1().constData(), buffer) == 1;
}

} // namespace

QString LookupRecord::text() const {
    return QStringLiteral("%1\t%2\t%3\t%4\t%5").arg(owner).arg(ttl).arg(queryClass, type, data);
}

QString lookupText(const LookupResult& result) {
    const DnsQuestion& q = result.question;
    QString name = q.name.trimmed();
    if (!name.endsWith(u'.'))
        name += u'.';
    QString text;
    if (!result.responded()) {
        text += QStringLiteral(";; %1\n").arg(result.error);
    } else {
        text += QStringLiteral(";; ->>HEADER<<- status: %1\n").arg(result.rcode);
        text += QStringLiteral(";; flags: %1; ANSWER: %2, AUTHORITY: %3, ADDITIONAL: %4\n")
                    .arg(result.flags.join(u' '))
                    .arg(result.answer.size())
                    .arg(result.authority.size())
                    .arg(result.additional.size());
    }
    text += QStringLiteral("\n;; QUESTION SECTION:\n;%1\t\t%2\t%3\n")
                .arg(name, q.queryClass, q.type.toUpper());
    const std::pair<const char*, const QList<LookupRecord>*> sections[] = {
        {"ANSWER", &result.answer},
        {"AUTHORITY", &result.authority},
        {"ADDITIONAL", &result.additional}};
    for (const auto& [title, records] : sections) {
        if (records->isEmpty())
            continue;
        text += QStringLiteral("\n;; %1 SECTION:\n").arg(QLatin1String(title));
        for (const LookupRecord& record : *records)
            text += record.text() + u'\n';
    }
    text += QStringLiteral("\n;; Query time: %1 msec%2\n;; SERVER: %3#%4\n")
                .arg(result.elapsedMs)
                .arg(result.overTcp ? QStringLiteral(" (TCP)") : QString())
                .arg(q.address)
                .arg(q.port);
    return text;
}

std::optional<LookupServer> LookupServer::parse(const QString& text, quint16 defaultPort) {
    const QString trimmed = text.trimmed();
    LookupServer server;
    server.port = defaultPort;
    QString portText;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        server.address = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return std::nullopt;
            portText = rest.mid(1);
        }
        if (!isAddress(server.address, AF_INET6))
            return std::nullopt;
    } else if (trimmed.count(u':') == 1) {
        server.address = trimmed.section(u':', 0, 0);
        portText = trimmed.section(u':', 1);
        if (!isAddress(server.address, AF_INET))
            return std::nullopt;
    } else {
        server.address = trimmed;
        if (!isAddress(trimmed, AF_INET) && !isAddress(trimmed, AF_INET6))
            return std::nullopt;
    }
    if (!portText.isNull()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = quint16(port);
    }
    return server;
}

DnsLookup::DnsLookup(QObject* parent) : QObject(parent) {
    qRegisterMetaType<LookupResult>();
}

LookupResult DnsLookup::askNow(const DnsQuestion& question) {
    LookupResult result;
    result.question = question;
    // As dig asks: recursion desired, the name as typed (no search list).
    const LdnsExchange exchange = LdnsExchange::ask(question, true);
    result.overTcp = exchange.overTcp;
    result.elapsedMs = exchange.elapsedMs;
    if (!exchange.packet) {
        result.outcome = exchange.outcome;
        result.error = exchange.error;
        return result;
    }
    ldns_pkt* packet = exchange.packet;
    result.outcome = LdnsExchange::outcomeOf(ldns_pkt_get_rcode(packet));
    result.rcode = LdnsExchange::takeString(ldns_pkt_rcode2str(ldns_pkt_get_rcode(packet)));
    result.flags = flagsOf(packet);
    result.answer = section(ldns_pkt_answer(packet));
    result.authority = section(ldns_pkt_authority(packet));
    result.additional = section(ldns_pkt_additional(packet));
    ldns_pkt_free(packet);
    return result;
}

quint64 DnsLookup::ask(const DnsQuestion& question) {
    const quint64 id = ++m_lastId;
    QPointer<DnsLookup> self(this);
    ManagerTasks::inBackground([self, id, question] {
        const LookupResult result = askNow(question);
        ManagerTasks::onMainThread<DnsLookup>(
            self, [id, result](DnsLookup& lookup) { Q_EMIT lookup.finished(id, result); });
    });
    return id;
}

} // namespace korvi
