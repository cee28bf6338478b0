#include "manager/ReplicationHealth.h"

#include "model/Serial.h"

#include <QFile>

#include <algorithm>

namespace korvi {

QString replicationStateWord(ReplicationState state) {
    switch (state) {
    case ReplicationState::unchecked:
        return QStringLiteral("Not checked yet");
    case ReplicationState::inSync:
        return QStringLiteral("In sync");
    case ReplicationState::behind:
        return QStringLiteral("Behind");
    case ReplicationState::ahead:
        return QStringLiteral("Ahead of the primary");
    case ReplicationState::notServing:
        return QStringLiteral("Not serving the zone");
    case ReplicationState::notAnswering:
        return QStringLiteral("Not answering");
    case ReplicationState::primaryNotAnswering:
        return QStringLiteral("Primary not answering");
    }
    return {};
}

ReplicationHealth::ReplicationHealth(QObject* parent) : QObject(parent) {
    m_timer.setInterval(defaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ReplicationHealth::refresh);
}

void ReplicationHealth::setPrimary(const QString& address, quint16 port) {
    m_primaryAddress = address.isEmpty() ? QStringLiteral("127.0.0.1") : address;
    m_primaryPort = port ? port : 53;
}

void ReplicationHealth::setZones(const QStringList& zones) {
    if (zones == m_zones)
        return;
    m_zones = zones;
    rebuild();
}

void ReplicationHealth::setSecondaries(const QList<SecondaryServer>& secondaries) {
    m_secondaries = secondaries;
    rebuild();
}

void ReplicationHealth::rebuild() {
    QList<ReplicationStatus> statuses;
    for (const SecondaryServer& secondary : std::as_const(m_secondaries)) {
        for (const QString& zone : std::as_const(m_zones)) {
            std::optional<ReplicationStatus> kept = status(secondary.name, zone);
            // A secondary whose address changed is another server: asked anew.
            if (kept && (kept->secondary.address != secondary.address ||
                         kept->secondary.port != secondary.port))
                kept.reset();
            ReplicationStatus entry = kept.value_or(ReplicationStatus{});
            entry.secondary = secondary;
            entry.zone = zone;
            statuses.append(entry);
        }
    }
    m_statuses = statuses;
    Q_EMIT statusesReset();
}

void ReplicationHealth::setInterval(int ms) {
    m_timer.setInterval(qMax(ms, 100));
}

void ReplicationHealth::start() {
    m_timer.start();
}

void ReplicationHealth::stop() {
    m_timer.stop();
}

std::optional<ReplicationStatus> ReplicationHealth::status(const QString& secondaryName,
                                                           const QString& zone) const {
    for (const ReplicationStatus& entry : m_statuses)
        if (entry.secondary.name == secondaryName && entry.zone == zone)
            return entry;
    return std::nullopt;
}

void ReplicationHealth::refresh() {
    if (m_outstanding > 0) {
        m_again = true;
        return;
    }
    startRound();
}

void ReplicationHealth::startRound() {
    m_again = false;
    m_roundZones = m_zones;
    m_roundSecondaries = m_secondaries;
    const qsizetype zoneCount = m_roundZones.size();
    m_primaryAnswers = QList<DnsAnswer>(zoneCount);
    m_secondaryAnswers = QList<DnsAnswer>(zoneCount * m_roundSecondaries.size());
    if (m_roundSecondaries.isEmpty() || zoneCount == 0) {
        finishRound();
        return;
    }
    const quint64 round = ++m_round;
    m_outstanding = int(m_primaryAnswers.size() + m_secondaryAnswers.size());
    const auto question = [this](const QString& address, quint16 port, const QString& zone) {
        DnsQuestion q;
        q.address = address;
        q.port = port;
        q.name = zone;
        q.type = QStringLiteral("SOA");
        q.timeoutMs = m_questionTimeoutMs;
        return q;
    };
    for (qsizetype z = 0; z < zoneCount; ++z) {
        const QString& zone = m_roundZones.at(z);
        ServerQuery::ask(this, question(m_primaryAddress, m_primaryPort, zone),
                         [this, round, z](const DnsAnswer& answer) {
                             if (round != m_round)
                                 return;
                             m_primaryAnswers[z] = answer;
                             answerArrived();
                         });
        for (qsizetype s = 0; s < m_roundSecondaries.size(); ++s) {
            const SecondaryServer& secondary = m_roundSecondaries.at(s);
            const qsizetype slot = s * zoneCount + z;
            ServerQuery::ask(this, question(secondary.address, secondary.port, zone),
                             [this, round, slot](const DnsAnswer& answer) {
                                 if (round != m_round)
                                     return;
                                 m_secondaryAnswers[slot] = answer;
                                 answerArrived();
                             });
        }
    }
}

void ReplicationHealth::answerArrived() {
    if (--m_outstanding == 0)
        finishRound();
}

void ReplicationHealth::finishRound() {
    const QDateTime checked = now();
    const qsizetype zoneCount = m_roundZones.size();
    for (int i = 0; i < m_statuses.size(); ++i) {
        ReplicationStatus& entry = m_statuses[i];
        const qsizetype z = m_roundZones.indexOf(entry.zone);
        qsizetype s = -1;
        for (qsizetype k = 0; k < m_roundSecondaries.size() && s < 0; ++k)
            if (m_roundSecondaries.at(k).name == entry.secondary.name &&
                m_roundSecondaries.at(k).address == entry.secondary.address &&
                m_roundSecondaries.at(k).port == entry.secondary.port)
                s = k;
        // A pair added while the round was under way waits for the next one.
        if (z < 0 || s < 0)
            continue;
        ReplicationStatus judged =
            judge(entry, m_primaryAnswers.at(z), m_secondaryAnswers.at(s * zoneCount + z), checked);
        if (judged.needsAttention() && judged.state != ReplicationState::notAnswering &&
            judged.state != ReplicationState::primaryNotAnswering && m_primaryLog)
            judged.primaryLogLines = m_primaryLog(entry.zone);
        const bool changed =
            judged.state != entry.state || judged.primarySerial != entry.primarySerial ||
            judged.secondarySerial != entry.secondarySerial || judged.reason != entry.reason ||
            judged.since != entry.since || judged.primaryLogLines != entry.primaryLogLines;
        entry = judged;
        if (changed)
            Q_EMIT statusChanged(i);
    }
    Q_EMIT refreshFinished();
    if (m_again)
        startRound();
}

namespace {

QString noSerialReason(const DnsAnswer& answer, const QString& who) {
    if (!answer.responded())
        return answer.error.isEmpty() ? outcomeWord(answer.outcome) : answer.error;
    if (answer.outcome != DnsOutcome::noError)
        return QStringLiteral("%1 answers %2 for the zone")
            .arg(who, answer.rcode.isEmpty() ? outcomeWord(answer.outcome) : answer.rcode);
    if (!answer.authoritative)
        return QStringLiteral("%1 does not answer with authority for the zone").arg(who);
    return QStringLiteral("%1 gives no SOA for the zone").arg(who);
}

bool hasSerial(const DnsAnswer& answer) {
    return answer.outcome == DnsOutcome::noError && answer.authoritative &&
           answer.soaSerial.has_value();
}

} // namespace

ReplicationStatus ReplicationHealth::judge(const ReplicationStatus& previous,
                                           const DnsAnswer& primary, const DnsAnswer& secondary,
                                           const QDateTime& now) {
    ReplicationStatus next;
    next.secondary = previous.secondary;
    next.zone = previous.zone;
    next.checkedAt = now;
    if (hasSerial(primary))
        next.primarySerial = primary.soaSerial;
    if (hasSerial(secondary))
        next.secondarySerial = secondary.soaSerial;

    if (!secondary.responded()) {
        next.state = ReplicationState::notAnswering;
        next.reason = noSerialReason(secondary, QStringLiteral("The secondary"));
    } else if (!next.secondarySerial) {
        next.state = ReplicationState::notServing;
        next.reason = noSerialReason(secondary, QStringLiteral("The secondary"));
    } else if (!next.primarySerial) {
        next.state = ReplicationState::primaryNotAnswering;
        next.reason = noSerialReason(primary, QStringLiteral("The primary"));
    } else {
        const quint32 primarySerial = *next.primarySerial;
        const quint32 secondarySerial = *next.secondarySerial;
        if (primarySerial == secondarySerial) {
            next.state = ReplicationState::inSync;
        } else if (isSerialAfter(primarySerial, secondarySerial)) {
            next.state = ReplicationState::behind;
            next.distance = primarySerial - secondarySerial;
        } else if (isSerialAfter(secondarySerial, primarySerial)) {
            next.state = ReplicationState::ahead;
            next.distance = secondarySerial - primarySerial;
        } else {
            // Exactly 2^31 apart: RFC 1982 leaves the order undefined, and the
            // secondary will not take the primary's copy on its own.
            next.state = ReplicationState::behind;
            next.distance = primarySerial - secondarySerial;
            next.reason = QStringLiteral("The serials are 2^31 apart: their order is undefined");
        }
    }

    // "Since" counts from the first check that found the pair out of sync;
    // a pair that could not be compared keeps the spell it was in.
    const bool outOfSync =
        next.state == ReplicationState::behind || next.state == ReplicationState::ahead ||
        next.state == ReplicationState::notServing || next.state == ReplicationState::notAnswering;
    if (next.state == ReplicationState::primaryNotAnswering)
        next.since = previous.since;
    else if (outOfSync)
        next.since = previous.since.isValid() && previous.needsAttention() ? previous.since : now;
    return next;
}

QString ReplicationHealth::transferLines(const QString& logText, const QString& zone, int count) {
    // named names the zone as "zone example.com/IN", "'example.com/IN'",
    // "'example.com/AXFR/IN'" or "(example.com)" in a client's line.
    const QStringList names = {QStringLiteral("zone ") + zone + u'/', u'\'' + zone + u'/',
                               u'(' + zone + u')'};
    const QStringList topics = {QStringLiteral("transfer"), QStringLiteral("notify"),
                                QStringLiteral("refused"),  QStringLiteral("denied"),
                                QStringLiteral("AXFR"),     QStringLiteral("IXFR"),
                                QStringLiteral("refresh")};
    const QStringList lines = logText.split(u'\n');
    QStringList found;
    for (qsizetype i = lines.size() - 1; i >= 0 && found.size() < count; --i) {
        const QString& line = lines.at(i);
        const bool named = std::any_of(names.cbegin(), names.cend(),
                                       [&](const QString& n) { return line.contains(n); });
        // The topic words count outside the zone's name ("denied.test").
        QString rest = line;
        rest.remove(zone);
        const bool onTopic = std::any_of(topics.cbegin(), topics.cend(), [&](const QString& t) {
            return rest.contains(t, Qt::CaseInsensitive);
        });
        if (named && onTopic)
            found.prepend(line.trimmed());
    }
    return found.join(u'\n');
}

QString ReplicationHealth::transferLinesInLog(const QStringList& logPaths, const QString& zone,
                                              int count) {
    for (const QString& path : logPaths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        constexpr qint64 tail = 64 * 1024;
        if (file.size() > tail)
            file.seek(file.size() - tail);
        return transferLines(QString::fromUtf8(file.readAll()), zone, count);
    }
    return QString();
}

} // namespace korvi
