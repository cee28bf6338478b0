#include "manager/LdnsExchange.h"

#include <QElapsedTimer>
#include <QStringList>

#include <sys/time.h>

namespace korvi {

namespace {

LdnsExchange failed(DnsOutcome outcome, const QString& error) {
    LdnsExchange exchange;
    exchange.outcome = outcome;
    exchange.error = error;
    return exchange;
}

// The server's address as ldns takes it, IPv4 or IPv6; null when it is neither.
ldns_rdf* addressRdf(const QString& address) {
    const QByteArray text = address.toUtf8();
    if (ldns_rdf* v4 = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_A, text.constData()))
        return v4;
    return ldns_rdf_new_frm_str(LDNS_RDF_TYPE_AAAA, text.constData());
}

} // namespace

QString LdnsExchange::takeString(char* text) {
    if (!text)
        return QString();
    const QString result = QString::fromUtf8(text);
    free(text);
    return result;
}

QString LdnsExchange::rdataText(const ldns_rr* rr) {
    QStringList fields;
    for (size_t i = 0; i < ldns_rr_rd_count(rr); ++i)
        fields.append(takeString(ldns_rdf2str(ldns_rr_rdf(rr, i))));
    return fields.join(QLatin1Char(' '));
}

DnsOutcome LdnsExchange::outcomeOf(ldns_pkt_rcode rcode) {
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

LdnsExchange LdnsExchange::ask(const DnsQuestion& question, bool recursionDesired) {
    QString name = question.name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral(".");
    if (!name.endsWith(QLatin1Char('.')))
        name += QLatin1Char('.');
    const ldns_rr_type type = ldns_get_rr_type_by_name(question.type.toUtf8().constData());
    const ldns_rr_class queryClass =
        ldns_get_rr_class_by_name(question.queryClass.toUtf8().constData());
    if (type == 0 || queryClass == 0)
        return failed(DnsOutcome::badQuestion, QStringLiteral("Unknown record type or class: %1 %2")
                                                   .arg(question.type, question.queryClass));
    ldns_rdf* nameRdf = ldns_dname_new_frm_str(name.toUtf8().constData());
    if (!nameRdf)
        return failed(DnsOutcome::badQuestion,
                      QStringLiteral("\"%1\" is not a DNS name").arg(name));
    ldns_rdf* server = addressRdf(question.address);
    if (!server) {
        ldns_rdf_deep_free(nameRdf);
        return failed(
            DnsOutcome::badQuestion,
            QStringLiteral("\"%1\" is not an IPv4 or IPv6 address").arg(question.address));
    }

    ldns_resolver* resolver = ldns_resolver_new();
    ldns_resolver_push_nameserver(resolver, server);
    ldns_rdf_deep_free(server);
    ldns_resolver_set_port(resolver, question.port);
    const int limit = qMax(question.timeoutMs, 1);
    ldns_resolver_set_timeout(resolver, timeval{limit / 1000, (limit % 1000) * 1000});
    // One try, no pause between tries, the name as given (no search list).
    ldns_resolver_set_retry(resolver, 1);
    ldns_resolver_set_retrans(resolver, 0);
    ldns_resolver_set_recursive(resolver, recursionDesired);
    ldns_resolver_set_defnames(resolver, false);
    ldns_resolver_set_dnsrch(resolver, false);
    // Truncation is handled here, by asking again over TCP.
    ldns_resolver_set_fallback(resolver, false);
    ldns_resolver_set_usevc(resolver, false);
    if (question.dnssecOk) {
        ldns_resolver_set_dnssec(resolver, true);
        ldns_resolver_set_edns_udp_size(resolver, 1232);
    }
    const uint16_t flags = recursionDesired ? LDNS_RD : 0;

    LdnsExchange exchange;
    QElapsedTimer clock;
    clock.start();
    ldns_status status =
        ldns_resolver_send(&exchange.packet, resolver, nameRdf, type, queryClass, flags);
    if (status == LDNS_STATUS_OK && exchange.packet && ldns_pkt_tc(exchange.packet)) {
        ldns_pkt_free(exchange.packet);
        exchange.packet = nullptr;
        ldns_resolver_set_usevc(resolver, true);
        exchange.overTcp = true;
        status = ldns_resolver_send(&exchange.packet, resolver, nameRdf, type, queryClass, flags);
    }
    exchange.elapsedMs = clock.elapsed();
    ldns_rdf_deep_free(nameRdf);
    ldns_resolver_deep_free(resolver);

    if (status == LDNS_STATUS_OK && exchange.packet)
        return exchange;
    if (exchange.packet) {
        ldns_pkt_free(exchange.packet);
        exchange.packet = nullptr;
    }
    // ldns reports a silent server as a network error; the time spent tells a
    // silent server from one that could not be reached at all.
    if (exchange.elapsedMs + 50 >= limit) {
        exchange.outcome = DnsOutcome::timeout;
        exchange.error = QStringLiteral("No answer from %1 port %2 within %3 ms")
                             .arg(question.address)
                             .arg(question.port)
                             .arg(limit);
    } else {
        exchange.outcome = DnsOutcome::networkError;
        exchange.error = QStringLiteral("Could not ask %1 port %2: %3")
                             .arg(question.address)
                             .arg(question.port)
                             .arg(QString::fromUtf8(ldns_get_errorstr_by_id(status)));
    }
    return exchange;
}

} // namespace korvi
