#pragma once

#include <QString>

#include <ldns/ldns.h>

#include "manager/ServerQuery.h"

namespace korvi {

// The part every question Korvi asks with ldns shares: the name, type, class
// and server read, the resolver set up for exactly one server, the question
// sent (again over TCP after a truncated UDP answer), and a silent server
// told from one that could not be reached.
struct LdnsExchange {
    // The response; owned by the caller, who frees it with ldns_pkt_free.
    // Null when the question failed, and then outcome and error say why.
    ldns_pkt* packet = nullptr;
    DnsOutcome outcome = DnsOutcome::noError;
    QString error;
    bool overTcp = false;
    qint64 elapsedMs = 0;

    // Asks the question; `recursionDesired` sets the RD bit (dig sets it, a
    // question about the server's own data does not).
    static LdnsExchange ask(const DnsQuestion& question, bool recursionDesired);

    // Takes a string ldns allocated and frees it.
    static QString takeString(char* text);
    // One record's data in presentation form, its fields separated by single
    // spaces, as dig +short prints it.
    static QString rdataText(const ldns_rr* rr);
    static DnsOutcome outcomeOf(ldns_pkt_rcode rcode);
};

} // namespace korvi
