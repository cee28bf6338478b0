#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "manager/ServerQuery.h"

namespace korvi {

// One record of a response section, in the fields dig prints.
struct LookupRecord {
    QString owner; // absolute
    qint64 ttl = 0;
    QString queryClass; // "IN"
    QString type;       // "A", "TYPE65280"
    QString data;       // presentation form, fields separated by single spaces

    // "owner TTL class type data", tab-separated as dig prints it.
    QString text() const;
};

// A whole response as dig shows it: the status, the header flags that are set
// (in dig's order: qr aa tc rd ra ad cd), the three sections and the time the
// question took. Without a response, outcome and error say why.
struct LookupResult {
    DnsQuestion question;
    DnsOutcome outcome = DnsOutcome::networkError;
    QString rcode; // "NOERROR", "NXDOMAIN", ...; empty without a response
    QStringList flags;
    QList<LookupRecord> answer;
    QList<LookupRecord> authority;
    QList<LookupRecord> additional;
    qint64 elapsedMs = 0;
    bool overTcp = false;
    QString error; // Korvi's words when there was no response

    bool responded() const { return !rcode.isEmpty(); }
    bool hasFlag(const QString& flag) const { return flags.contains(flag); }
};

// The result as dig prints it: the header (status, flags), the question, the
// sections that hold records, the time taken and the server; or the reason
// there was no response. Fixed English, like a log.
QString lookupText(const LookupResult& result);

// A server typed by the user: "192.0.2.1", "192.0.2.1:5353", "::1",
// "[::1]:5353". Nothing when the text is none of these.
struct LookupServer {
    QString address;
    quint16 port = 53;
    static std::optional<LookupServer> parse(const QString& text, quint16 defaultPort = 53);
};

// Asks any DNS server one question the way dig does (recursion desired, over
// UDP, again over TCP when the answer was truncated) with ldns, on a worker
// thread. Each ask() ends with exactly one finished() carrying its id, on the
// main thread; the GUI thread never waits.
class DnsLookup : public QObject {
    Q_OBJECT

public:
    explicit DnsLookup(QObject* parent = nullptr);

    // Starts the question; its id (never 0).
    quint64 ask(const DnsQuestion& question);
    // The same question answered on the calling thread; for worker threads
    // and tools without an event loop.
    static LookupResult askNow(const DnsQuestion& question);

Q_SIGNALS:
    void finished(quint64 id, const korvi::LookupResult& result);

private:
    quint64 m_lastId = 0;
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::LookupResult)
