#include "manager/ServedChangeCheck.h"

#include <QSet>
#include <QTimer>

#include <ldns/ldns.h>

#include "model/ZoneFileWriter.h"

namespace korvi {

namespace {

QString typeName(const DNSRecord& record) {
    return record.isKept() ? record.keptType : rawValue(record.type);
}

QString absoluteOwner(const QString& name, const QString& zone) {
    if (name.isEmpty() || name == QStringLiteral("@"))
        return zone + u'.';
    if (name.endsWith(u'.'))
        return name;
    return name + u'.' + zone + u'.';
}

// The SOA block on one line: its parentheses and comments taken out.
QString soaLine(const SOARecord& soa) {
    QStringList parts;
    for (QString line : ZoneFileWriter::soaBlock(soa).split(u'\n')) {
        const qsizetype comment = line.indexOf(u';');
        if (comment >= 0)
            line.truncate(comment);
        line.remove(u'(');
        line.remove(u')');
        parts.append(line.simplified());
    }
    parts.removeAll(QString());
    return parts.join(u' ');
}

QString keyOf(const QString& owner, const QString& type) {
    return owner.toLower() + u' ' + type.toUpper();
}

// Whether the served serial is the expected one or a later one (serial
// arithmetic: a serial that wrapped round counts as later).
bool serialReached(qint64 served, qint64 expected) {
    const quint32 difference = quint32(served) - quint32(expected);
    return difference < 0x80000000u;
}

QString rcodeName(int rcode) {
    switch (rcode) {
    case 0:
        return QStringLiteral("NOERROR");
    case 2:
        return QStringLiteral("SERVFAIL");
    case 3:
        return QStringLiteral("NXDOMAIN");
    case 5:
        return QStringLiteral("REFUSED");
    default:
        return QStringLiteral("response code ") + QString::number(rcode);
    }
}

} // namespace

QStringList canonicalRecords(const QStringList& lines, const QString& zone) {
    QStringList out;
    const QByteArray origin = (zone.endsWith(u'.') ? zone : zone + u'.').toUtf8();
    ldns_rdf* originName = ldns_dname_new_frm_str(origin.constData());
    for (const QString& line : lines) {
        const QByteArray text = line.toUtf8();
        ldns_rr* rr = nullptr;
        const ldns_status status =
            ldns_rr_new_frm_str(&rr, text.constData(), 3600, originName, nullptr);
        if (status != LDNS_STATUS_OK || !rr) {
            out.append(line.simplified());
            continue;
        }
        ldns_rr2canonical(rr);
        // The served answer may come without TTLs: TTLs are not compared
        // (the serial shows which version of the zone answers).
        ldns_rr_set_ttl(rr, 0);
        if (char* printed = ldns_rr2str(rr)) {
            out.append(QString::fromUtf8(printed).simplified());
            free(printed);
        }
        ldns_rr_free(rr);
    }
    if (originName)
        ldns_rdf_deep_free(originName);
    out.sort();
    return out;
}

ServedExpectation ServedExpectation::forChange(const DNSZone& before, const DNSZone& after,
                                               const QList<QUuid>& recordIds, bool soaChanged) {
    ServedExpectation expected;
    expected.zone = after.name();
    expected.serial = after.soaRecord() ? after.soaRecord()->serial : 0;
    const QSet<QUuid> ids(recordIds.begin(), recordIds.end());
    QStringList keys;
    QList<std::pair<QString, QString>> sets;
    const auto note = [&](const DNSRecord& record) {
        const QString owner = absoluteOwner(record.name, after.name());
        const QString key = keyOf(owner, typeName(record));
        if (!keys.contains(key)) {
            keys.append(key);
            sets.append({owner, typeName(record)});
        }
    };
    for (const DNSRecord& record : before.records()) {
        if (ids.contains(record.id))
            note(record);
    }
    for (const DNSRecord& record : after.records()) {
        if (ids.contains(record.id))
            note(record);
    }
    for (const auto& [owner, type] : sets) {
        ServedRecordSet set{owner, type, {}};
        const QString key = keyOf(owner, type);
        for (const DNSRecord& record : after.records()) {
            if (keyOf(absoluteOwner(record.name, after.name()), typeName(record)) == key)
                set.records.append(ZoneFileWriter::recordLine(record, after.name()));
        }
        expected.sets.append(set);
    }
    if (soaChanged && after.soaRecord())
        expected.sets.append(
            {after.name() + u'.', QStringLiteral("SOA"), {soaLine(*after.soaRecord())}});
    return expected;
}

ServedExpectation ServedExpectation::forZone(const DNSZone& zone) {
    ServedExpectation expected;
    expected.zone = zone.name();
    expected.serial = zone.soaRecord() ? zone.soaRecord()->serial : 0;
    if (zone.soaRecord())
        expected.sets.append(
            {zone.name() + u'.', QStringLiteral("SOA"), {soaLine(*zone.soaRecord())}});
    return expected;
}

ServedExpectation ServedExpectation::forRemoval(const QString& zoneName) {
    ServedExpectation expected;
    expected.zone = zoneName;
    expected.gone = true;
    return expected;
}

ServedChangeCheck::ServedChangeCheck(ServedAnswerSource* source,
                                     const ServedExpectation& expectation, int intervalMs,
                                     int limitMs, QObject* parent)
    : QObject(parent), m_source(source), m_expected(expectation), m_intervalMs(intervalMs),
      m_limitMs(limitMs) {
    for (const ServedRecordSet& set : m_expected.sets)
        m_canonical.append(canonicalRecords(set.records, m_expected.zone));
}

void ServedChangeCheck::start(Completion done) {
    m_done = std::move(done);
    m_elapsed.start();
    round();
}

void ServedChangeCheck::round() {
    if (m_finished)
        return;
    if (!m_source) {
        finish(false, QStringLiteral("Korvi could no longer ask the server"));
        return;
    }
    if (m_refusal) {
        if (const std::optional<QString> words = m_refusal()) {
            finish(false, QStringLiteral("The server refused to load zone '") + m_expected.zone +
                              QStringLiteral("': ") + *words);
            return;
        }
    }
    ++m_rounds;
    // The SOA and every set are asked at once; the round is judged when all
    // answers are in, the SOA's verdict first.
    const int round = m_rounds;
    const qsizetype sets = m_expected.gone ? 0 : m_expected.sets.size();
    m_pending = 1 + sets;
    m_soaFailure.reset();
    m_setFailures = QList<std::optional<QString>>(sets);
    const QPointer<ServedChangeCheck> self(this);
    m_source->ask(m_expected.zone + u'.', QStringLiteral("SOA"),
                  [self, round](const ServedAnswer& answer) {
                      if (!self || self->m_finished || round != self->m_rounds)
                          return;
                      self->m_soaFailure = self->soaFailure(answer);
                      self->answerIn();
                  });
    for (qsizetype index = 0; index < sets; ++index) {
        const ServedRecordSet& set = m_expected.sets.at(index);
        m_source->ask(set.owner, set.type, [self, round, index](const ServedAnswer& answer) {
            if (!self || self->m_finished || round != self->m_rounds)
                return;
            self->m_setFailures[index] = self->setFailure(index, answer);
            self->answerIn();
        });
    }
}

void ServedChangeCheck::answerIn() {
    if (--m_pending > 0)
        return;
    if (m_soaFailure) {
        mismatch(*m_soaFailure);
        return;
    }
    for (const std::optional<QString>& failure : std::as_const(m_setFailures)) {
        if (failure) {
            mismatch(*failure);
            return;
        }
    }
    finish(true, QString());
}

std::optional<QString> ServedChangeCheck::soaFailure(const ServedAnswer& answer) const {
    const QString& zone = m_expected.zone;
    if (m_expected.gone && answer.answered) {
        // Any answer without the zone's own SOA given with authority: a
        // refusal, a parent zone's answer, a recursive one.
        if (answer.rcode == 0 && answer.authoritative && answer.serial)
            return QStringLiteral("The server still serves zone '") + zone +
                   QStringLiteral("' (serial ") + QString::number(*answer.serial) + u')';
        return std::nullopt;
    }
    if (!answer.answered)
        return QStringLiteral("The server did not answer for zone '") + zone + QStringLiteral("'") +
               (answer.error.isEmpty() ? QString() : QStringLiteral(": ") + answer.error);
    if (answer.rcode != 0)
        return QStringLiteral("The server answers ") + rcodeName(answer.rcode) +
               QStringLiteral(" for zone '") + zone + u'\'';
    if (!answer.serial || !serialReached(*answer.serial, m_expected.serial))
        return QStringLiteral("The server still serves serial ") +
               (answer.serial ? QString::number(*answer.serial) : QStringLiteral("?")) +
               QStringLiteral(" of zone '") + zone + QStringLiteral("', not ") +
               QString::number(m_expected.serial);
    return std::nullopt;
}

std::optional<QString> ServedChangeCheck::setFailure(qsizetype index,
                                                     const ServedAnswer& answer) const {
    const ServedRecordSet& set = m_expected.sets.at(index);
    const QString what = set.owner + u' ' + set.type;
    if (!answer.answered)
        return QStringLiteral("The server did not answer for ") + what;
    // A set that is gone is answered with no records (NOERROR) or with
    // NXDOMAIN when nothing else is left at the name.
    const bool gone = m_canonical.at(index).isEmpty();
    if (answer.rcode != 0 && !(gone && answer.rcode == 3))
        return QStringLiteral("The server answers ") + rcodeName(answer.rcode) +
               QStringLiteral(" for ") + what;
    const QStringList served = canonicalRecords(answer.records, m_expected.zone);
    if (served != m_canonical.at(index))
        return QStringLiteral("The server answers ") + what + QStringLiteral(" with ") +
               (served.isEmpty() ? QStringLiteral("no records")
                                 : served.join(QStringLiteral("; "))) +
               QStringLiteral(", not what was written");
    return std::nullopt;
}

void ServedChangeCheck::mismatch(const QString& reason) {
    m_lastReason = reason;
    if (m_elapsed.elapsed() + m_intervalMs > m_limitMs) {
        finish(false, reason + QStringLiteral(" after ") +
                          QString::number(double(m_elapsed.elapsed()) / 1000.0, 'f', 1) +
                          QStringLiteral(" s"));
        return;
    }
    QTimer::singleShot(m_intervalMs, this, &ServedChangeCheck::round);
}

void ServedChangeCheck::finish(bool served, const QString& reason) {
    if (m_finished)
        return;
    m_finished = true;
    if (m_done)
        m_done(served, reason);
}

} // namespace korvi
