#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

#include "manager/ChangeId.h"
#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

class DNSServerManager;

// A record, or a line, of the source that the import leaves out, and why.
struct NotImported {
    QString owner;   // relative to the zone ("" for the apex); absolute when outside it
    QString type;    // BIND's type name, or the directive ("$INCLUDE")
    qint64 line = 0; // the line in the source; 0 when the source has no lines (a transfer)
    QString reason;  // Korvi's words
};

// What an import would create, shown before anything is changed: the zone's
// name and SOA, the records Korvi will import and what it leaves out. A
// preview that is not ok carries the reason (for text that does not parse,
// the reader's message with the file and line) and nothing else.
struct ZoneImportPreview {
    bool ok = false;
    QString error;
    QString zoneName; // without a final dot
    QString source;   // the file, "pasted text" or "transfer from <address> port <port>"
    std::optional<SOARecord> soa;
    QList<DNSRecord> records;
    QList<NotImported> notImported;
};

// A zone transfer (AXFR) to ask for, optionally signed with a TSIG key.
struct ZoneTransferRequest {
    QString address = QStringLiteral("127.0.0.1");
    quint16 port = 53;
    QString zoneName;
    QString tsigName;                                      // empty: unsigned
    QString tsigAlgorithm = QStringLiteral("hmac-sha256"); // as BIND names it
    QString tsigSecret;                                    // base64, as in a key statement
    int timeoutMs = 10000;
};

// Reads a zone for import, from a BIND zone file, from pasted zone text or by
// a zone transfer, into a preview. The records are read with Korvi's zone
// reader (ZoneParser), so an import holds what a refresh from the file would;
// then the preview sorts out what a zone of Korvi's does not take:
//   - records outside the zone (BIND ignores them too);
//   - a second SOA;
//   - DNSSEC signatures and denial records (RRSIG, NSEC, NSEC3): Korvi does
//     not sign zones, and they would be stale after its first change;
//   - a record that repeats an earlier one (BIND keeps one);
//   - a record Korvi's record rules refuse (the rule's message);
//   - in pasted text, $INCLUDE lines (there is no folder to read them from).
class ZoneImportReader {
public:
    static ZoneImportPreview fromFile(const QString& path, const QString& zoneName);
    // `text` as pasted: every directive but $INCLUDE is read.
    static ZoneImportPreview fromText(const QString& text, const QString& zoneName);
    // A transfer asked on the calling thread, blocking until it ends or the
    // time limit passes; for worker threads only.
    static ZoneImportPreview transferNow(const ZoneTransferRequest& request);
    // The same on a worker thread; the preview comes back exactly once, on the
    // main thread, while the requester still exists.
    using Done = std::function<void(const ZoneImportPreview&)>;
    static void transfer(QObject* requester, const ZoneTransferRequest& request, Done done);

    // A zone name proposed for a file: its $ORIGIN, else the file's name
    // without "db." in front or ".zone", ".db" behind; empty when neither.
    static QString proposedZoneName(const QString& text, const QString& fileName);
};

// Creates the zone of a preview through the manager's addZone, the same
// checked path as a new zone: checked by BIND, written, configured and served.
// Refusals (a zone that already exists, a preview that is not ok, a zone
// without an SOA) change nothing and are logged.
class ZoneImporter : public QObject {
    Q_OBJECT

public:
    explicit ZoneImporter(DNSServerManager* manager, QObject* parent = nullptr);

    // Why the preview cannot be imported now, or nothing.
    std::optional<QString> refusal(const ZoneImportPreview& preview) const;
    // Starts the import; its id, or 0 when refused (finished() then carries 0
    // and the reason, queued on the main thread).
    ChangeId import(const ZoneImportPreview& preview);

Q_SIGNALS:
    // The import with this id has ended: the zone is served, or not and why.
    void finished(korvi::ChangeId id, bool imported, const QString& message);

private:
    QPointer<DNSServerManager> m_manager;
    QSet<ChangeId> m_pending;
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::ZoneImportPreview)
