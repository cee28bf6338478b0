#include "manager/ServerQuery.h"

#include "manager/ManagerTasks.h"

#include <QElapsedTimer>

#include <ldns/ldns.h>

#include <sys/time.h>

namespace korvi {

namespace {

// Takes a string ldns allocated and frees it.
QString takeLdnsString(char* text) {
    if (!text)
        return QString();
    const QString result = QString::fromUtf8(text);
    free(text);
    return result;
}

// One record's data as dig +short prints it: the fields in presentation form,
// separated by single spaces.
QString rdataText(const ldns_rr* rr) {
    QStringList fields;
    for (size_t i = 0; i < ldns_rr_rd_count(rr); ++i)
        fields.append(takeLdnsString(ldns_rdf2str(ldns_rr_rdf(rr, i))));
    return fields.join(QLatin1Char(' '));
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

// The server's address as ldns takes it, IPv4 or IPv6; null when it is neither.
ldns_rdf* addressRdf(const QString& address) {
    const QByteArray text = address.toUtf8();
    if (ldns_rdf* v4 = ldns_rdf_new_frm_str(LDNS_RDF_TYPE_A, text.constData()))
        return v4;
    return ldns_rdf_new_frm_str(LDNS_RDF_TYPE_AAAA, text.constData());
}

DnsAnswer failure(DnsOutcome outcome, const QString& error) {
    DnsAnswer answer;
    answer.outcome = outcome;
    answer.error = error;
    return answer;
}

} // namespace

QString outcomeWord(DnsOutcome outcome) {
    switch (outcome) {
    case DnsOutcome::noError:
        return QStringLiteral("NOERROR");
    case DnsOutcome::nxDomain:
        return QStringLiteral("NXDOMAIN");
    case DnsOutcome::servFail:
        return QStringLiteral("SERVFAIL");
    case DnsOutcome::refused:
        return QStringLiteral("REFUSED");
    case DnsOutcome::otherRcode:
        return QStringLiteral("other response code");
    case DnsOutcome::timeout:
        return QStringLiteral("no answer in time");
    case DnsOutcome::networkError:
        return QStringLiteral("network error");
    case DnsOutcome::badQuestion:
        return QStringLiteral("unreadable question");
    }
    return {};
}

DnsAnswer ServerQuery::askNow(const DnsQuestion& question) {
    QString name = question.name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral(".");
    if (!name.endsWith(QLatin1Char('.')))
        name += QLatin1Char('.');
    const ldns_rr_type type = ldns_get_rr_type_by_name(question.type.toUtf8().constData());
    const ldns_rr_class queryClass =
        ldns_get_rr_class_by_name(question.queryClass.toUtf8().constData());
    if (type == 0 || queryClass == 0)
        return failure(DnsOutcome::badQuestion,
                       QStringLiteral("Unknown record type or class: %1 %2")
                           .arg(question.type, question.queryClass));
    ldns_rdf* nameRdf = ldns_dname_new_frm_str(name.toUtf8().constData());
    if (!nameRdf)
        return failure(DnsOutcome::badQuestion, QStringLiteral("Invalid name: %1").arg(name));
    ldns_rdf* server = addressRdf(question.address);
    if (!server) {
        ldns_rdf_deep_free(nameRdf);
        return failure(DnsOutcome::badQuestion,
                       QStringLiteral("Invalid server address: %1").arg(question.address));
    }

    ldns_resolver* resolver = ldns_resolver_new();
    ldns_resolver_push_nameserver(resolver, server);
    ldns_rdf_deep_free(server);
    ldns_resolver_set_port(resolver, question.port);
    const int limit = qMax(question.timeoutMs, 1);
    timeval timeout{};
    timeout.tv_sec = limit / 1000;
    timeout.tv_usec = (limit % 1000) * 1000;
    ldns_resolver_set_timeout(resolver, timeout);
    // One try, no pause between tries, no search list, no recursion asked:
    // the server is asked about its own data.
    ldns_resolver_set_retry(resolver, 1);
    ldns_resolver_set_retrans(resolver, 0);
    ldns_resolver_set_recursive(resolver, false);
    ldns_resolver_set_defnames(resolver, false);
    ldns_resolver_set_dnsrch(resolver, false);
    // Truncation is handled here, by asking again over TCP.
    ldns_resolver_set_fallback(resolver, false);
    ldns_resolver_set_usevc(resolver, false);
    if (question.dnssecOk) {
        ldns_resolver_set_dnssec(resolver, true);
        ldns_resolver_set_edns_udp_size(resolver, 1232);
    }

    QElapsedTimer clock;
    clock.start();
    ldns_pkt* packet = nullptr;
    ldns_status status = ldns_resolver_send(&packet, resolver, nameRdf, type, queryClass, 0);
    bool overTcp = false;
    if (status == LDNS_STATUS_OK && packet && ldns_pkt_tc(packet)) {
        ldns_pkt_free(packet);
        packet = nullptr;
        ldns_resolver_set_usevc(resolver, true);
        overTcp = true;
        status = ldns_resolver_send(&packet, resolver, nameRdf, type, queryClass, 0);
    }
    const qint64 elapsed = clock.elapsed();
    ldns_rdf_deep_free(nameRdf);
    ldns_resolver_deep_free(resolver);

    if (status != LDNS_STATUS_OK || !packet) {
        if (packet)
            ldns_pkt_free(packet);
        const QString reason = QString::fromUtf8(ldns_get_errorstr_by_id(status));
        // ldns reports a silent server as a network error; the time spent
        // tells a silent server from one that could not be reached at all.
        if (elapsed + 50 >= limit)
            return failure(DnsOutcome::timeout,
                           QStringLiteral("No answer from %1 port %2 within %3 ms")
                               .arg(question.address)
                               .arg(question.port)
                               .arg(limit));
        return failure(DnsOutcome::networkError, QStringLiteral("Could not ask %1 port %2: %3")
                                                     .arg(question.address)
                                                     .arg(question.port)
                                                     .arg(reason));
    }

    DnsAnswer answer;
    answer.outcome = outcomeOf(ldns_pkt_get_rcode(packet));
    answer.rcode = takeLdnsString(ldns_pkt_rcode2str(ldns_pkt_get_rcode(packet)));
    answer.authoritative = ldns_pkt_aa(packet);
    answer.overTcp = overTcp;
    const ldns_rr_list* records = ldns_pkt_answer(packet);
    for (size_t i = 0; records && i < ldns_rr_list_rr_count(records); ++i) {
        const ldns_rr* rr = ldns_rr_list_rr(records, i);
        answer.records.append(rdataText(rr));
        answer.recordTypes.append(takeLdnsString(ldns_rr_type2str(ldns_rr_get_type(rr))));
        if (type == LDNS_RR_TYPE_SOA && ldns_rr_get_type(rr) == LDNS_RR_TYPE_SOA &&
            !answer.soaSerial && ldns_rr_rd_count(rr) >= 3)
            answer.soaSerial = ldns_rdf2native_int32(ldns_rr_rdf(rr, 2));
    }
    ldns_pkt_free(packet);
    return answer;
}

void ServerQuery::ask(QObject* requester, const DnsQuestion& question, Done done) {
    QPointer<QObject> target(requester);
    ManagerTasks::inBackground([target, question, done = std::move(done)] {
        const DnsAnswer answer = askNow(question);
        ManagerTasks::onMainThread<QObject>(target, [answer, done](QObject&) {
            if (done)
                done(answer);
        });
    });
}

} // namespace korvi
