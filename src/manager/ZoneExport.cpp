#include "manager/ZoneExport.h"

#include <QSaveFile>

#include "model/ZoneFileWriter.h"

namespace korvi {

std::optional<QString> ZoneExport::writeZoneFile(const DNSZone& zone, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    const QByteArray text = zone.zoneFileText().toUtf8();
    if (file.write(text) != text.size() || !file.commit())
        return QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
    return std::nullopt;
}

QList<DNSRecord> ZoneExport::recordSet(const DNSZone& zone, const QString& name,
                                       const QString& type) {
    QList<DNSRecord> set;
    for (const DNSRecord& record : zone.records()) {
        const QString recordType = record.isKept() ? record.keptType : rawValue(record.type);
        if (recordType.compare(type, Qt::CaseInsensitive) == 0 &&
            record.name.compare(name, Qt::CaseInsensitive) == 0)
            set.append(record);
    }
    return set;
}

QString ZoneExport::recordsText(const DNSZone& zone, const QList<DNSRecord>& records) {
    QString text = QStringLiteral("$ORIGIN ") + absoluteOwner(QString(), zone.name()) + u'\n';
    for (const DNSRecord& record : records)
        text += ZoneFileWriter::recordLine(record, zone.name()) + u'\n';
    return text;
}

QString ZoneExport::absoluteOwner(const QString& name, const QString& zoneName) {
    const QString apex = zoneName == u"." ? QStringLiteral(".") : zoneName + u'.';
    if (name.isEmpty() || name == u"@")
        return apex;
    return zoneName == u"." ? name + u'.' : name + u'.' + apex;
}

} // namespace korvi
