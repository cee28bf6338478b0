#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "manager/CheckedSaver.h"
#include "manager/ServerQuery.h"
#include "manager/ServerStatus.h"
#include "model/ZoneSigning.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class CommandRunner;
class PreferencesStore;
class ServerControl;

// What a signed question for the zone's SOA showed.
struct SigningCheck {
    enum class Outcome {
        signedAnswer,     // an authoritative answer carrying its RRSIG
        noAnswer,         // the server did not respond
        refusedAnswer,    // a response code other than NOERROR
        notAuthoritative, // the server does not answer for the zone itself
        noSignature       // an answer without RRSIG
    };
    Outcome outcome = Outcome::noAnswer;
    // The response code or the reason nothing came back.
    QString detail;
};

// Signing of Korvi's zones by BIND itself (dnssec-policy with inline signing):
// the settings of each zone, kept in the preferences under preferencesKey as
// JSON, written into the zone statements through the checked configuration
// save, and what the server shows of them: key states (rndc dnssec -status),
// the DS records for the parent and a signed answer. BIND makes, publishes
// and rolls the keys; Korvi never writes or deletes a key.
class ZoneSigningService : public QObject {
    Q_OBJECT

public:
    using ConfigurationSave = std::function<SaveId()>;

    static constexpr const char* preferencesKey = "dnssec.zones";

    ZoneSigningService(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                       PreferencesStore* preferences, CheckedSaver* saver, ServerControl* control,
                       QObject* parent = nullptr);

    // Set by the manager once the parts exist.
    void setConfigurationSave(ConfigurationSave save) { m_configurationSave = std::move(save); }

    ZoneSigning signing(const QString& zone) const;
    const ZoneSigningMap& zones() const { return m_zones; }
    // Where named keeps the keys: beside Korvi's zone files (Korvi's own
    // folder of the distribution's BIND, or the zone folder).
    QString keyDirectory() const;
    // What the configuration writers add for the signed zones.
    QHash<QString, QStringList> zoneLines() const;
    QStringList policyStatements() const;

    // Signs the zone with this choice, or changes its policy. The setting is
    // kept, the configuration saved, then a running server reconfigured and
    // the zone reloaded; ends with signingApplied(). A refused save puts the
    // previous setting back.
    void sign(const QString& zone, const ZoneSigning& choice);
    // BIND's safe way out: the policy becomes "insecure", BIND withdraws the
    // signatures and keys over the next hours; the zone shows as going
    // unsigned until the server publishes no DNSKEY.
    void stopSigning(const QString& zone);
    // The zone was removed: its setting goes, so that a zone made again
    // under the same name starts unsigned. The keys stay in the key folder.
    void forget(const QString& zone);

    // Tells BIND that the parent publishes the zone's DS now (rndc dnssec
    // -checkds published): from then on BIND withdraws the keys only after
    // the DS is gone. Ends with keyStatusRead() carrying rndc's words.
    void confirmDsPublished(const QString& zone);
    // Asks for the key states, the DS records and a signed SOA; each ends
    // with its signal.
    void readKeyStatus(const QString& zone);
    void readDsRecords(const QString& zone);
    void checkSignedAnswer(const QString& zone);

    // The SHA-256 DS records of the zone's key-signing keys (DNSKEY flags
    // with the SEP bit) as "<zone>. IN DS <tag> <algorithm> 2 <DIGEST>", from
    // the DNSKEY records' data as ServerQuery gives it. Records that cannot
    // be read are named in problem.
    static QStringList dsRecords(const QString& zone, const QStringList& dnskeyData,
                                 QString* problem = nullptr);
    // The judgement of an answer to a signed SOA question.
    static SigningCheck judgeSignedAnswer(const DnsAnswer& answer);

Q_SIGNALS:
    // The zone's kept setting changed (also when going unsigned ended).
    void signingChanged(const QString& zone);
    // A sign() or stopSigning() has ended; message says why when not ok.
    void signingApplied(const QString& zone, bool ok, const QString& message);
    void keyStatusRead(const QString& zone, bool ok, const QString& text);
    void dsRecordsRead(const QString& zone, const QStringList& records, const QString& problem);
    void signedAnswerChecked(const QString& zone, const korvi::SigningCheck& check);

private:
    void apply(const QString& zone, const ZoneSigning& choice, const QString& doneLine);
    void runRndc(const QString& zone, const QStringList& words);
    void finishLater(const QString& zone, bool ok, const QString& message);
    void tellServer(const QString& zone, const QString& doneLine);
    void keep();
    void log(const QString& message, LogLevel level) const;

    SystemLayout m_layout;
    const CommandRunner& m_runner;
    AppLog* m_log;
    PreferencesStore* m_preferences;
    CheckedSaver* m_saver;
    ServerControl* m_control;
    ConfigurationSave m_configurationSave;
    ZoneSigningMap m_zones;
};

} // namespace korvi
