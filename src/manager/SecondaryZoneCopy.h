#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSharedPointer>
#include <QTimer>

#include <optional>

#include "model/DNSZone.h"
#include "model/SecondaryZone.h"

namespace korvi {

using ZonePtr = QSharedPointer<DNSZone>;

// What Korvi knows of a secondary zone: the copy BIND keeps of it, read from
// the file BIND writes after each transfer (in text form, see
// NamedConfWriter::secondaryZoneStatement). The records and the SOA are the
// copy's; the time of the last transfer is the file's modification time. The
// file is read again whenever it changes. Nothing here edits the zone.
class SecondaryZoneCopy : public QObject {
    Q_OBJECT

public:
    // filePath: where BIND writes the copy (named's directory + fileName).
    SecondaryZoneCopy(const SecondaryZoneSettings& settings, const QString& filePath,
                      QObject* parent = nullptr);

    const SecondaryZoneSettings& settings() const { return m_settings; }
    const QString& filePath() const { return m_filePath; }
    // The zone with the copy's records and SOA; empty until a copy is read.
    const ZonePtr& zone() const { return m_zone; }
    bool hasCopy() const { return m_hasCopy; }
    std::optional<quint32> serial() const;
    QDateTime lastTransfer() const { return m_lastTransfer; }
    // Why there is no copy to show, in Korvi's words; empty when there is.
    const QString& problem() const { return m_problem; }
    // "Primary 192.0.2.1 port 53 key "k"", one primary after another.
    static QString primariesText(const SecondaryZoneSettings& settings);

    // Reads the file again, in the background; copyChanged() follows.
    void reload();

Q_SIGNALS:
    // A read has ended: a new copy, or a problem.
    void copyChanged();

private:
    void watch();

    SecondaryZoneSettings m_settings;
    QString m_filePath;
    ZonePtr m_zone;
    bool m_hasCopy = false;
    QDateTime m_lastTransfer;
    QString m_problem;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    quint64 m_reads = 0;
};

} // namespace korvi
