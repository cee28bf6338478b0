#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

#include "model/DNSRecord.h"
#include "model/SOARecord.h"

namespace korvi {

// One authoritative zone. Zones are shared: the manager's list and every
// screen hold the same object. Each change of name, records or SOA is
// announced once through changed(); a change of the records is announced
// first by what it did (one record inserted, changed or removed, or the list
// replaced), so that a view of a hundred thousand records redraws one row.
// Two zones are the same zone exactly when their ids are equal.
class DNSZone : public QObject {
    Q_OBJECT

public:
    // The name is cleaned (trimmed; letters, digits, "." and "-" kept).
    DNSZone(const QString& name, const QString& filePath, QObject* parent = nullptr);
    // A zone as the zone database keeps it: its lasting id, and its records
    // still to come (recordCount() gives their number meanwhile).
    DNSZone(const QUuid& id, const QString& name, const QString& filePath, qint64 storedRecords,
            QObject* parent = nullptr);

    const QUuid& id() const { return m_id; }
    const QString& filePath() const { return m_filePath; }

    const QString& name() const { return m_name; }
    void setName(const QString& name);

    const QList<DNSRecord>& records() const { return m_records; }
    // Sets the records; a zone whose records were still to come has them now.
    void setRecords(const QList<DNSRecord>& records);
    // False while the records of a stored zone are still being read.
    bool recordsLoaded() const { return m_recordsLoaded; }
    // The records' number, known before they are loaded.
    qsizetype recordCount() const { return m_recordsLoaded ? m_records.size() : m_storedRecords; }

    const std::optional<SOARecord>& soaRecord() const { return m_soaRecord; }
    void setSoaRecord(const std::optional<SOARecord>& soa);

    // Validated changes: an invalid record leaves the zone untouched.
    void addRecord(const DNSRecord& record);
    // Replaces the record with the same id in place; nothing happens when the
    // record is invalid or its id is not in the zone.
    void updateRecord(const DNSRecord& record);
    // Removes the record with this id; true when one was removed.
    bool removeRecord(const QUuid& recordId);

    qsizetype indexOfRecord(const QUuid& recordId) const;

    // The zone as BIND master-file text, stamped with the current time (or
    // with `now`, so that the text can be reproduced).
    QString zoneFileText() const;
    QString zoneFileText(const QDateTime& now) const;

    // Replaces the records, and the SOA when the text holds an SOA line, with
    // what the text gives. Text of 1,048,576 characters or more changes
    // nothing. One change notice for the records, one for the SOA.
    void loadZoneFile(const QString& text);

    bool operator==(const DNSZone& other) const { return m_id == other.m_id; }

Q_SIGNALS:
    // The record is about to be appended at `index` (the last position),
    // then it was. A list model turns the pair into its begin/end calls.
    void recordAboutToBeInserted(qsizetype index, const korvi::DNSRecord& record);
    void recordInserted(qsizetype index);
    // The record at `index` was replaced in place.
    void recordChanged(qsizetype index);
    // The record at `index` is about to go, then it went; later records
    // moved up by one.
    void recordAboutToBeRemoved(qsizetype index);
    void recordRemoved(qsizetype index);
    // The whole record list was replaced.
    void recordsReset();
    // Any change: name, SOA or records (after the record signal above).
    void changed();

private:
    QUuid m_id;
    QString m_name;
    QList<DNSRecord> m_records;
    std::optional<SOARecord> m_soaRecord;
    QString m_filePath;
    qint64 m_storedRecords = 0;
    bool m_recordsLoaded = true;
};

inline size_t qHash(const DNSZone& zone, size_t seed = 0) {
    return qHash(zone.id(), seed);
}

} // namespace korvi
