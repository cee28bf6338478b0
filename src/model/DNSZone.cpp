#include "model/DNSZone.h"

#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/ZoneFileReader.h"
#include "model/ZoneFileWriter.h"

namespace korvi {

DNSZone::DNSZone(const QString& name, const QString& filePath, QObject* parent)
    : QObject(parent), m_id(QUuid::createUuid()), m_name(cleanHostText(name)),
      m_filePath(filePath) {}

DNSZone::DNSZone(const QUuid& id, const QString& name, const QString& filePath,
                 qint64 storedRecords, QObject* parent)
    : QObject(parent), m_id(id), m_name(name), m_filePath(filePath), m_storedRecords(storedRecords),
      m_recordsLoaded(false) {}

void DNSZone::setName(const QString& name) {
    m_name = name;
    Q_EMIT changed();
}

void DNSZone::setRecords(const QList<DNSRecord>& records) {
    m_records = records;
    m_recordsLoaded = true;
    Q_EMIT recordsReset();
    Q_EMIT changed();
}

void DNSZone::setSoaRecord(const std::optional<SOARecord>& soa) {
    m_soaRecord = soa;
    Q_EMIT changed();
}

void DNSZone::addRecord(const DNSRecord& record) {
    if (!validateRecord(record).isValid)
        return;
    Q_EMIT recordAboutToBeInserted(m_records.size(), record);
    m_records.append(record);
    Q_EMIT recordInserted(m_records.size() - 1);
    Q_EMIT changed();
}

void DNSZone::updateRecord(const DNSRecord& record) {
    if (!validateRecord(record).isValid)
        return;
    const qsizetype index = indexOfRecord(record.id);
    if (index < 0)
        return;
    m_records[index] = record;
    Q_EMIT recordChanged(index);
    Q_EMIT changed();
}

bool DNSZone::removeRecord(const QUuid& recordId) {
    const qsizetype index = indexOfRecord(recordId);
    if (index < 0)
        return false;
    Q_EMIT recordAboutToBeRemoved(index);
    m_records.removeAt(index);
    Q_EMIT recordRemoved(index);
    Q_EMIT changed();
    return true;
}

qsizetype DNSZone::indexOfRecord(const QUuid& recordId) const {
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        if (m_records[i].id == recordId)
            return i;
    }
    return -1;
}

QString DNSZone::zoneFileText() const {
    return zoneFileText(QDateTime::currentDateTimeUtc());
}

QString DNSZone::zoneFileText(const QDateTime& now) const {
    return ZoneFileWriter::zoneText(m_name, m_soaRecord, m_records, now);
}

void DNSZone::loadZoneFile(const QString& text) {
    auto content = ZoneFileReader::read(text);
    if (!content)
        return;
    setRecords(content->records);
    if (content->soaLineSeen)
        setSoaRecord(content->soa);
}

} // namespace korvi
