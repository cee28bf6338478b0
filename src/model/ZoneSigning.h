#pragma once

#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvi {

// The key algorithms Korvi offers for its own signing policies.
enum class SigningAlgorithm { ecdsap256sha256, ed25519 };

// Where a zone stands with signing, as Korvi asked BIND for it.
enum class SigningState {
    unsigned_,    // no dnssec-policy written
    signing,      // signed with the zone's policy; BIND makes and rolls the keys
    goingUnsigned // the policy is "insecure": BIND withdraws the signatures and keys
};

// One zone's signing settings. BIND does the signing (dnssec-policy with
// inline-signing); Korvi only chooses the policy and writes it into the
// zone's statement.
struct ZoneSigning {
    SigningState state = SigningState::unsigned_;
    // BIND's built-in "default" policy, or one of Korvi's own.
    bool bindDefaultPolicy = true;
    SigningAlgorithm algorithm = SigningAlgorithm::ecdsap256sha256;
    // The key's lifetime in days; 0 keeps it for ever ("unlimited").
    int keyLifetimeDays = 0;

    // The longest lifetime Korvi writes (about 100 years).
    static constexpr int maximumLifetimeDays = 36500;

    // "ecdsap256sha256" or "ed25519", as BIND's configuration spells them.
    static QString algorithmWord(SigningAlgorithm algorithm);
    // "unlimited", or the lifetime as an ISO 8601 duration ("P90D").
    QString lifetimeWord() const;

    // The policy the zone's statement names: "default", "insecure" or
    // Korvi's own ("korvi-ed25519-p90d"); empty when the zone is unsigned.
    QString policyName() const;
    // Korvi's policy statement for this choice:
    //   dnssec-policy "korvi-…" { keys { csk lifetime … algorithm …; }; };
    // nothing for BIND's own policies.
    std::optional<QString> policyStatement() const;
    // The lines inside the zone's statement: the policy, inline signing (the
    // zone file stays Korvi's, BIND keeps the signed copy beside it) and the
    // folder the keys go into. Empty when unsigned.
    QStringList zoneLines(const QString& keyDirectory) const;

    QJsonObject toJson() const;
    static ZoneSigning fromJson(const QJsonObject& object);

    bool operator==(const ZoneSigning&) const = default;
};

// The signing settings of all of Korvi's zones, by lower-case zone name.
using ZoneSigningMap = QMap<QString, ZoneSigning>;

// The lines of each signed zone's statement, by lower-case zone name.
QHash<QString, QStringList> signingZoneLines(const ZoneSigningMap& zones,
                                             const QString& keyDirectory);
// Korvi's policy statements the zones name, each once, in name order.
QStringList signingPolicyStatements(const ZoneSigningMap& zones);

} // namespace korvi
