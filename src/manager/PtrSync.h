#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

#include "manager/ChangeId.h"
#include "manager/ServerStatus.h"
#include "model/DNSRecord.h"
#include "model/DNSZone.h"

namespace korvi {

class AppLog;
class PreferencesStore;
class ZoneRepository;

using ZonePtr = QSharedPointer<DNSZone>;

// What the preference "PTR records for new addresses" says Korvi does when
// an address record gets an address inside one of its reverse zones.
enum class PtrPolicy { always, ask, never };

// One PTR record an address record calls for.
struct PtrProposal {
    QString address;     // "192.0.2.10"
    QString target;      // the address record's absolute name: "www.example.com."
    QString reverseZone; // "2.0.192.in-addr.arpa"
    QString owner;       // relative to the reverse zone: "10"
    QString forwardZone; // "example.com"
    bool operator==(const PtrProposal& other) const = default;
};

// Keeps PTR records in step with the A and AAAA records of forward zones.
// When an address record is added in a forward zone and its address falls
// within one of Korvi's reverse zones (the longest match), the PTR (owner
// from the address, target the record's absolute name) is added, asked for
// or left out, as the preference says. When the address or the name
// changes, a PTR Korvi would have made for the old one moves with it; when
// the address record is deleted, that PTR goes. A PTR with another target
// is never touched. Each PTR change is an ordinary record change of the
// reverse zone (checked, reloaded, served); one that fails is logged and
// announced, and the forward change stays as it was applied.
class PtrSync : public QObject {
    Q_OBJECT

public:
    static QString policyKey() { return QStringLiteral("PtrRecordsForNewAddresses"); }
    // A missing or unknown value reads as "ask".
    static PtrPolicy policy(const PreferencesStore& preferences);
    static void setPolicy(PreferencesStore& preferences, PtrPolicy policy);
    // "always", "ask", "never": the stored form.
    static QString policyText(PtrPolicy policy);

    PtrSync(ZoneRepository* repository, AppLog* log, PreferencesStore& preferences,
            QObject* parent = nullptr);

    // The PTR the record calls for in the zone: an A or AAAA record of a
    // forward zone whose address one of Korvi's reverse zones holds; nothing
    // otherwise (other types, wildcard names, no such reverse zone).
    std::optional<PtrProposal> proposalFor(const DNSRecord& record,
                                           const QString& forwardZone) const;
    // The PTR records of the proposal's reverse zone at its owner with its
    // target: the ones Korvi would have made.
    QList<DNSRecord> existingPtrs(const PtrProposal& proposal) const;
    // The record's absolute name in the zone ("www" in example.com →
    // "www.example.com.", "@" → "example.com.").
    static QString absoluteName(const QString& recordName, const QString& zoneName);

    // Adds the proposed PTR (the answer to ptrQuestion(), or at once when
    // the preference is "always"); 0 when its reverse zone is gone or the
    // PTR is there already.
    ChangeId addPtr(const PtrProposal& proposal);
    // The question was answered "no": logged, nothing changes.
    void declinePtr(const PtrProposal& proposal);

Q_SIGNALS:
    // The preference is "ask" and a forward change gave an address record
    // a new address in a reverse zone: the window asks whether to add it
    // and answers with addPtr() or declinePtr().
    void ptrQuestion(const korvi::PtrProposal& proposal);
    // A PTR change Korvi started has ended; when not applied, message says
    // why in Korvi's words.
    void ptrChangeFinished(korvi::ChangeId id, bool applied, const QString& message);

private:
    struct Pair {
        std::optional<DNSRecord> before;
        std::optional<DNSRecord> after;
    };
    struct Pending {
        QString zoneName;
        QList<Pair> pairs;
    };
    struct PtrChange {
        QString description; // "PTR record '10' added to zone '2.0.192.in-addr.arpa'"
        QString forwardType; // "A" or "AAAA"
    };
    void recordsApplied(ChangeId id, const ZonePtr& zone, const QList<DNSRecord>& before,
                        const QList<DNSRecord>& after);
    void changeFinished(ChangeId id, bool applied, const QString& message);
    void keepInStep(const QString& zoneName, const Pair& pair);
    void removePtrs(const PtrProposal& proposal, const QString& forwardType);
    ZonePtr zoneNamed(const QString& name) const;
    void log(const QString& message, LogLevel level) const;

    QPointer<ZoneRepository> m_repository;
    QPointer<AppLog> m_log;
    PreferencesStore& m_preferences;
    // Forward changes that reached their zone, waiting for their end.
    QHash<ChangeId, Pending> m_pending;
    // The PTR changes started here, until they end.
    QHash<ChangeId, PtrChange> m_ptrChanges;
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::PtrProposal)
