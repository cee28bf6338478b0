#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "manager/ServedAnswers.h"
#include "model/DNSZone.h"

namespace korvi {

// One record set a change touched, as the written file has it.
struct ServedRecordSet {
    QString owner; // absolute: "www.example.com."
    QString type;  // "A"
    // Presentation lines of the set's records as written (relative owners
    // allowed: they are read in the zone); empty when the set is gone.
    QStringList records;
};

// What the server must answer once it serves a change: the zone's serial
// and the record sets the change touched.
struct ServedExpectation {
    QString zone; // "example.com"
    qint64 serial = 0;
    QList<ServedRecordSet> sets;
    // The zone must no longer be served: its SOA is not answered with
    // authority any more (a removed zone).
    bool gone = false;

    // The sets that differ between the zone before and after a change of the
    // records with these ids (the owners and types of those records on both
    // sides, with the records the candidate holds there). An SOA change adds
    // the apex SOA.
    static ServedExpectation forChange(const DNSZone& before, const DNSZone& after,
                                       const QList<QUuid>& recordIds, bool soaChanged);
    // A new zone: its serial and its SOA record.
    static ServedExpectation forZone(const DNSZone& zone);
    // A removed zone: no longer served.
    static ServedExpectation forRemoval(const QString& zoneName);
};

// Record lines in one comparable form: read with ldns in the zone (relative
// owners completed), names lower-cased, printed back and sorted. A line ldns
// cannot read is kept trimmed, so that it never matches by accident.
QStringList canonicalRecords(const QStringList& lines, const QString& zone);

// Asks the server, every interval, for the zone's SOA serial and each
// expected record set, until all match or the limit passes. Ends with one
// completion: served, or the reason in Korvi's words (what the server still
// answers). The first question goes out at once.
class ServedChangeCheck : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(bool served, const QString& reason)>;

    ServedChangeCheck(ServedAnswerSource* source, const ServedExpectation& expectation,
                      int intervalMs, int limitMs, QObject* parent = nullptr);

    // Asked before each round: the server's own words when it has refused
    // the zone (the check then ends at once, not served), or nothing.
    using Refusal = std::function<std::optional<QString>()>;
    void setRefusal(Refusal refusal) { m_refusal = std::move(refusal); }

    void start(Completion done);
    // How many rounds of questions were asked.
    int rounds() const { return m_rounds; }

private:
    void round();
    // One answer of the round is in; the last one judges the round.
    void answerIn();
    // Why an answer does not show the change (nothing: it does).
    std::optional<QString> soaFailure(const ServedAnswer& answer) const;
    std::optional<QString> setFailure(qsizetype index, const ServedAnswer& answer) const;
    void mismatch(const QString& reason);
    void finish(bool served, const QString& reason);

    QPointer<ServedAnswerSource> m_source;
    ServedExpectation m_expected;
    QList<QStringList> m_canonical;
    int m_intervalMs;
    int m_limitMs;
    QElapsedTimer m_elapsed;
    Completion m_done;
    Refusal m_refusal;
    QString m_lastReason;
    int m_rounds = 0;
    // The round's answers still out, and the verdicts of those in.
    qsizetype m_pending = 0;
    std::optional<QString> m_soaFailure;
    QList<std::optional<QString>> m_setFailures;
    bool m_finished = false;
};

} // namespace korvi
