#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace korvi {

// One question to a DNS server: a name, a type and a class, asked at an
// address and port within a time limit.
struct DnsQuestion {
    QString address = QStringLiteral("127.0.0.1");
    quint16 port = 53;
    QString name;
    QString type = QStringLiteral("SOA");
    QString queryClass = QStringLiteral("IN");
    int timeoutMs = 2000;
    // Asks with the DO bit (EDNS), so that a signed zone answers with its
    // signatures.
    bool dnssecOk = false;
};

// How a question ended: the server's response code, or no response at all.
enum class DnsOutcome {
    noError,
    nxDomain,
    servFail,
    refused,
    otherRcode,   // a response with another code (FORMERR, NOTIMP, ...)
    timeout,      // nothing came back within the time limit
    networkError, // the question could not be sent or the answer not read
    badQuestion   // the name, type, class or address could not be read
};

QString outcomeWord(DnsOutcome outcome);

// The server's answer to one question.
struct DnsAnswer {
    DnsOutcome outcome = DnsOutcome::networkError;
    // The response code's mnemonic ("NOERROR", "NXDOMAIN", ...) when the
    // server responded; empty otherwise.
    QString rcode;
    // The answer section's data, one record a line in presentation form, as
    // `dig +short` prints it: names absolute, TXT as quoted strings.
    QStringList records;
    // The type of each answer record, in the same order ("SOA", "RRSIG").
    QStringList recordTypes;
    // The zone's serial, when the question was SOA and an SOA came back.
    std::optional<quint32> soaSerial;
    // The server answered with authority (the AA flag).
    bool authoritative = false;
    // Whether the answer came over TCP after a truncated UDP answer.
    bool overTcp = false;
    // Korvi's words on what went wrong, for the log; empty on a response.
    QString error;

    // The server responded at all (with any response code).
    bool responded() const {
        return outcome != DnsOutcome::timeout && outcome != DnsOutcome::networkError &&
               outcome != DnsOutcome::badQuestion;
    }
};

// Asks a DNS server one question over UDP, again over TCP when the UDP answer
// was truncated, on a worker thread. The answer comes back exactly once, on the
// main thread, to the requester; when the requester is gone by then, nothing is
// delivered.
class ServerQuery {
public:
    using Done = std::function<void(const DnsAnswer&)>;

    static void ask(QObject* requester, const DnsQuestion& question, Done done);

    // The same question asked on the calling thread, blocking until the answer
    // or the time limit; for worker threads only.
    static DnsAnswer askNow(const DnsQuestion& question);
};

} // namespace korvi
