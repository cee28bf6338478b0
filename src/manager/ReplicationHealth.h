#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

#include "manager/ServerQuery.h"
#include "model/SecondaryServer.h"

namespace korvi {

// How one secondary stands with one zone, against the primary's serial.
enum class ReplicationState {
    unchecked,          // not asked yet
    inSync,             // the same serial as the primary
    behind,             // an earlier serial than the primary's
    ahead,              // a later serial than the primary's (the primary went back)
    notServing,         // it answers, but not with the zone's SOA
    notAnswering,       // no answer at all
    primaryNotAnswering // the primary gave no serial to compare with
};

// The words the Secondaries screen shows for a state.
QString replicationStateWord(ReplicationState state);

// One (secondary, zone) pair as last seen.
struct ReplicationStatus {
    SecondaryServer secondary;
    QString zone;
    ReplicationState state = ReplicationState::unchecked;
    std::optional<quint32> primarySerial;
    std::optional<quint32> secondarySerial;
    // How far behind (or ahead) in serial-number arithmetic; 0 otherwise.
    quint32 distance = 0;
    // When the pair was first seen behind (or not serving) in the current
    // spell; invalid while it is in sync.
    QDateTime since;
    // Why the secondary (or the primary) gave no serial, in Korvi's words.
    QString reason;
    // The primary's log lines about transfers of the zone, read while the
    // pair is behind or not serving.
    QString primaryLogLines;
    QDateTime checkedAt;

    bool needsAttention() const {
        return state != ReplicationState::inSync && state != ReplicationState::unchecked;
    }
};

// Watches how the secondaries keep up with the primary: every interval (and
// at once on refresh()) it asks the primary for each zone's SOA serial and
// each secondary for the same, and keeps one status per (secondary, zone),
// secondaries in the order given, zones in the order given within each.
// Questions go out in parallel with ServerQuery; a round ends when every
// answer is in. A refresh asked for during a round runs right after it.
class ReplicationHealth : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultIntervalMs = 10000;
    static constexpr int defaultQuestionTimeoutMs = 2000;
    using Clock = std::function<QDateTime()>;
    // The primary's log lines about transfers of a zone (see transferLines).
    using PrimaryLog = std::function<QString(const QString& zone)>;

    explicit ReplicationHealth(QObject* parent = nullptr);

    void setPrimary(const QString& address, quint16 port);
    QString primaryAddress() const { return m_primaryAddress; }
    quint16 primaryPort() const { return m_primaryPort; }
    // Pairs that stay keep their status; new ones start unchecked.
    void setZones(const QStringList& zones);
    const QStringList& zones() const { return m_zones; }
    void setSecondaries(const QList<SecondaryServer>& secondaries);
    const QList<SecondaryServer>& secondaries() const { return m_secondaries; }

    // The periodic refresh: started and stopped, every `ms` milliseconds.
    void setInterval(int ms);
    int interval() const { return m_timer.interval(); }
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    void setQuestionTimeout(int ms) { m_questionTimeoutMs = ms; }
    void setPrimaryLog(PrimaryLog log) { m_primaryLog = std::move(log); }
    // The time "since" is taken from: the local clock unless replaced.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Asks everyone now (or right after the round under way).
    void refresh();
    bool isRefreshing() const { return m_outstanding > 0; }

    const QList<ReplicationStatus>& statuses() const { return m_statuses; }
    std::optional<ReplicationStatus> status(const QString& secondaryName,
                                            const QString& zone) const;

    // The status a pair gets from the two answers, given how it stood before
    // (for "since": kept while the pair stays out of sync, set anew when it
    // falls out of sync, cleared once in sync).
    static ReplicationStatus judge(const ReplicationStatus& previous, const DnsAnswer& primary,
                                   const DnsAnswer& secondary, const QDateTime& now);
    // The lines of a log text about transfers or notifies of the zone (a
    // transfer from or to it refused, denied, failed or done), the last
    // `count` of them.
    static QString transferLines(const QString& logText, const QString& zone, int count = 3);
    // The same from the last 64 KiB of the first of the logs that can be read.
    static QString transferLinesInLog(const QStringList& logPaths, const QString& zone,
                                      int count = 3);

Q_SIGNALS:
    // The list of pairs was rebuilt (secondaries or zones changed).
    void statusesReset();
    // The pair at this position changed its state, serials or reason.
    void statusChanged(int index);
    // A round of questions has ended and every status is up to date.
    void refreshFinished();

private:
    void rebuild();
    void startRound();
    void answerArrived();
    void finishRound();
    QDateTime now() const { return m_clock ? m_clock() : QDateTime::currentDateTimeUtc(); }

    QString m_primaryAddress = QStringLiteral("127.0.0.1");
    quint16 m_primaryPort = 53;
    QStringList m_zones;
    QList<SecondaryServer> m_secondaries;
    QList<ReplicationStatus> m_statuses;
    QTimer m_timer;
    int m_questionTimeoutMs = defaultQuestionTimeoutMs;
    PrimaryLog m_primaryLog;
    Clock m_clock;
    // The round under way: its number, answers still to come, the answers.
    quint64 m_round = 0;
    int m_outstanding = 0;
    bool m_again = false;
    QList<DnsAnswer> m_primaryAnswers;
    QList<DnsAnswer> m_secondaryAnswers;
    QStringList m_roundZones;
    QList<SecondaryServer> m_roundSecondaries;
};

} // namespace korvi
