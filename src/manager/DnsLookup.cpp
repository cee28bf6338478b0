#include "manager/DnsLookup.h"

#include <QElapsedTimer>
#include <QPointer>

#include <arpa/inet.h>

#include <ldns/ldns.h>

#include "manager/ManagerTasks.h"

namespace korvi {

namespace {

QString takeLdnsString(char* text) {
    if (!text)
        return QString();
    const QString result = QString::fromUtf8(text);
    free(text);
    return result;
}

DnsOutcome outcomeOf(ldns_pkt_rcode rcode) {
    switch (rcode) {
    case LDNS_RCODE_NOERROR:
        return DnsOutcome::noError;
    case LDNS_RCODE_NXDOMAIN:
        return DnsOutcome::nxDomain;
    case LDNS_RCODE_SERVFAIL:
        return DnsOutcome::servFail;
    case LDNS_RCODE_REFUSED:
        return DnsOutcome::refused;
    default:
        return DnsOutcome::otherRcode;
    }
}

QList<LookupRecord> section(const ldns_rr_list* list) {
    QList<LookupRecord> records;
    for (size_t i = 0; list && i < ldns_rr_list_rr_count(list); ++i) {
        const ldns_rr* rr = ldns_rr_list_rr(list, i);
        LookupRecord record;
        record.owner = takeLdnsString(ldns_rdf2str(ldns_rr_owner(rr)));
        record.ttl = ldns_rr_ttl(rr);
        record.queryClass = takeLdnsString(ldns_rr_class2str(ldns_rr_get_class(rr)));
        record.type = takeLdnsString(ldns_rr_type2str(ldns_rr_get_type(rr)));
        QStringList fields;
        for (size_t f = 0; f < ldns_rr_rd_count(rr); ++f)
            fields.append(takeLdnsString(ldns_rdf2str(ldns_rr_rdf(rr, f))));
        record.data = fields.join(u' ');
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
    const auto fail = [&result](DnsOutcome outcome, const QString& error) {
        result.outcome = outcome;
        result.error = error;
        return result;
    };
    QString name = question.name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral(".");
    if (!name.endsWith(u'.'))
        name += u'.';
    const ldns_rr_type type = ldns_get_rr_type_by_name(question.type.toUtf8().constData());
    const ldns_rr_class queryClass =
        ldns_get_rr_class_by_name(question.queryClass.toUtf8().constData());
    if (type == 0 || queryClass == 0)
        return fail(DnsOutcome::badQuestion, QStringLiteral("Unknown record type or class: %1 %2")
                                                 .arg(question.type, question.queryClass));
    ldns_rdf* nameRdf = ldns_dname_new_frm_str(name.toUtf8().constData());
    if (!nameRdf)
        return fail(DnsOutcome::badQuestion, QStringLiteral("\"%1\" is not a DNS name").arg(name));
    const QByteArray address = question.address.toUtf8();
    ldns_rdf* server = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_A, address.constData());
    if (!server)
        server = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_AAAA, address.constData());
    if (!server) {
        ldns_rdf_deep_free(nameRdf);
        return fail(DnsOutcome::badQuestion,
                    QStringLiteral("\"%1\" is not an IPv4 or IPv6 address").arg(question.address));
    }
    ldns_resolver* resolver = ldns_resolver_new();
    ldns_resolver_push_nameserver(resolver, server);
    ldns_rdf_deep_free(server);
    ldns_resolver_set_port(resolver, question.port);
    const int limit = qMax(question.timeoutMs, 1);
    ldns_resolver_set_timeout(resolver, timeval{limit / 1000, (limit % 1000) * 1000});
    ldns_resolver_set_retry(resolver, 1);
    ldns_resolver_set_retrans(resolver, 0);
    // As dig asks: recursion desired, the name as typed (no search list).
    ldns_resolver_set_recursive(resolver, true);
    ldns_resolver_set_defnames(resolver, false);
    ldns_resolver_set_dnsrch(resolver, false);
    ldns_resolver_set_fallback(resolver, false);
    ldns_resolver_set_usevc(resolver, false);

    QElapsedTimer clock;
    clock.start();
    ldns_pkt* packet = nullptr;
    ldns_status status = ldns_resolver_send(&packet, resolver, nameRdf, type, queryClass, LDNS_RD);
    if (status == LDNS_STATUS_OK && packet && ldns_pkt_tc(packet)) {
        ldns_pkt_free(packet);
        packet = nullptr;
        ldns_resolver_set_usevc(resolver, true);
        result.overTcp = true;
        status = ldns_resolver_send(&packet, resolver, nameRdf, type, queryClass, LDNS_RD);
    }
    result.elapsedMs = clock.elapsed();
    ldns_rdf_deep_free(nameRdf);
    ldns_resolver_deep_free(resolver);

    if (status != LDNS_STATUS_OK || !packet) {
        if (packet)
            ldns_pkt_free(packet);
        // ldns reports a silent server as a network error; the time spent
        // tells a silent server from one that could not be reached at all.
        if (result.elapsedMs + 50 >= limit)
            return fail(DnsOutcome::timeout,
                        QStringLiteral("No answer from %1 port %2 within %3 ms")
                            .arg(question.address)
                            .arg(question.port)
                            .arg(limit));
        return fail(DnsOutcome::networkError,
                    QStringLiteral("Could not ask %1 port %2: %3")
                        .arg(question.address)
                        .arg(question.port)
                        .arg(QString::fromUtf8(ldns_get_errorstr_by_id(status))));
    }
    result.outcome = outcomeOf(ldns_pkt_get_rcode(packet));
    result.rcode = takeLdnsString(ldns_pkt_rcode2str(ldns_pkt_get_rcode(packet)));
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
