// The changes the crash test's child makes, numbered from 1, and the state
// they leave. The child and the test both derive them from the number alone,
// so the test knows what every committed change wrote.
#pragma once

#include <QList>
#include <QUuid>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi::test::crash {

inline QUuid zoneId() {
    return QUuid(QStringLiteral("{4f1c2a55-0d7e-4c41-9a63-2b7f5e0c9d10}"));
}

inline QUuid recordId(qint64 number) {
    return QUuid::createUuidV5(zoneId(), QString::number(number));
}

struct Change {
    enum class Kind { add, update, remove };
    Kind kind;
    qint64 target; // the number of the record changed
};

// Mostly additions, with updates and deletes of recent records in between.
inline Change change(qint64 number) {
    switch (number % 7) {
    case 4:
        return {Change::Kind::update, number - 2};
    case 5:
        return {Change::Kind::remove, number - 3};
    default:
        return {Change::Kind::add, number};
    }
}

inline DNSRecord record(qint64 target, qint64 number) {
    DNSRecord r(recordId(target));
    r.name = QStringLiteral("c%1").arg(target);
    r.type = DNSRecordType::TXT;
    r.value = QStringLiteral("\"written by change %1\"").arg(number);
    return r;
}

// Every change also advances the zone's serial to its own number, in the
// same transaction, so the serial names the last change committed.
inline SOARecord soa(qint64 number) {
    SOARecord s{QStringLiteral("ns1.crash.example."), QStringLiteral("admin.crash.example."), 0};
    s.serial = number;
    return s;
}

// The zone's records after changes 1...n, kept up to date one change at a time.
class Expected {
public:
    qint64 applied() const { return m_applied; }
    const QList<DNSRecord>& records() const { return m_records; }

    void advanceTo(qint64 number) {
        while (m_applied < number) {
            const qint64 n = ++m_applied;
            const Change c = change(n);
            const qsizetype at = indexOf(recordId(c.target));
            switch (c.kind) {
            case Change::Kind::add:
                m_records.append(record(c.target, n));
                break;
            case Change::Kind::update:
                if (at >= 0)
                    m_records[at] = record(c.target, n);
                break;
            case Change::Kind::remove:
                if (at >= 0)
                    m_records.removeAt(at);
                break;
            }
        }
    }

private:
    qsizetype indexOf(const QUuid& id) const {
        for (qsizetype i = 0; i < m_records.size(); ++i) {
            if (m_records[i].id == id)
                return i;
        }
        return -1;
    }

    qint64 m_applied = 0;
    QList<DNSRecord> m_records;
};

} // namespace korvi::test::crash
