#include "manager/ServerQueryAnswers.h"

#include "manager/ServerQuery.h"

namespace korvi {

namespace {

int rcodeOf(DnsOutcome outcome) {
    switch (outcome) {
    case DnsOutcome::noError:
        return 0;
    case DnsOutcome::servFail:
        return 2;
    case DnsOutcome::nxDomain:
        return 3;
    case DnsOutcome::refused:
        return 5;
    default:
        return -1;
    }
}

} // namespace

ServerQueryAnswers::ServerQueryAnswers(const QString& address, quint16 port, QObject* parent)
    : ServedAnswerSource(parent),
      m_address(address.isEmpty() ? QStringLiteral("127.0.0.1") : address),
      m_port(port != 0 ? port : quint16(53)) {}

void ServerQueryAnswers::ask(const QString& name, const QString& type, Completion done) {
    DnsQuestion question;
    question.address = m_address;
    question.port = m_port;
    question.name = name;
    question.type = type;
    question.timeoutMs = questionTimeoutMs;
    ServerQuery::ask(this, question, [name, type, done](const DnsAnswer& answer) {
        ServedAnswer served;
        served.answered = answer.responded();
        served.rcode = served.answered ? rcodeOf(answer.outcome) : -1;
        if (served.answered && served.rcode < 0)
            served.rcode = 99; // another response code: never taken for a match
        // ServerQuery gives the data as dig +short prints it; the owner and
        // type make each a record line again (without a TTL).
        for (const QString& data : answer.records)
            served.records.append(name + QStringLiteral(" IN ") + type + u' ' + data);
        if (answer.soaSerial)
            served.serial = qint64(*answer.soaSerial);
        served.authoritative = answer.authoritative;
        served.error = answer.error;
        done(served);
    });
}

} // namespace korvi
