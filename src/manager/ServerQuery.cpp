#include "manager/ServerQuery.h"

#include "manager/LdnsExchange.h"
#include "manager/ManagerTasks.h"

namespace korvi {

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
    // No recursion asked: the server is asked about its own data.
    const LdnsExchange exchange = LdnsExchange::ask(question, false);
    DnsAnswer answer;
    if (!exchange.packet) {
        answer.outcome = exchange.outcome;
        answer.error = exchange.error;
        return answer;
    }
    ldns_pkt* packet = exchange.packet;
    answer.outcome = LdnsExchange::outcomeOf(ldns_pkt_get_rcode(packet));
    answer.rcode = LdnsExchange::takeString(ldns_pkt_rcode2str(ldns_pkt_get_rcode(packet)));
    answer.authoritative = ldns_pkt_aa(packet);
    answer.overTcp = exchange.overTcp;
    const bool askedSoa = question.type.compare(QLatin1String("SOA"), Qt::CaseInsensitive) == 0;
    const ldns_rr_list* records = ldns_pkt_answer(packet);
    for (size_t i = 0; records && i < ldns_rr_list_rr_count(records); ++i) {
        const ldns_rr* rr = ldns_rr_list_rr(records, i);
        answer.records.append(LdnsExchange::rdataText(rr));
        answer.recordTypes.append(LdnsExchange::takeString(ldns_rr_type2str(ldns_rr_get_type(rr))));
        if (askedSoa && ldns_rr_get_type(rr) == LDNS_RR_TYPE_SOA && !answer.soaSerial &&
            ldns_rr_rd_count(rr) >= 3)
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
