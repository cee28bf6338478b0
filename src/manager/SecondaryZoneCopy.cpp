#include "manager/SecondaryZoneCopy.h"

#include <QFileInfo>

#include "manager/ManagerTasks.h"
#include "model/ZoneParser.h"

namespace korvi {

namespace {

struct CopyReading {
    bool exists = false;
    QDateTime modified;
    ZoneReadResult result;
};

} // namespace

SecondaryZoneCopy::SecondaryZoneCopy(const SecondaryZoneSettings& settings, const QString& filePath,
                                     QObject* parent)
    : QObject(parent), m_settings(settings), m_filePath(filePath),
      m_zone(ZonePtr::create(settings.name, filePath)) {
    // BIND writes a new copy beside the old one and renames it over it: the
    // folder is watched, and a burst of changes is read once.
    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, &SecondaryZoneCopy::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    m_problem = QStringLiteral("Not read yet");
    watch();
    reload();
}

void SecondaryZoneCopy::watch() {
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (QFileInfo::exists(folder) && !m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(m_filePath) && !m_watcher.files().contains(m_filePath))
        m_watcher.addPath(m_filePath);
}

std::optional<quint32> SecondaryZoneCopy::serial() const {
    if (!m_hasCopy || !m_zone->soaRecord())
        return std::nullopt;
    return quint32(m_zone->soaRecord()->serial);
}

QString SecondaryZoneCopy::primariesText(const SecondaryZoneSettings& settings) {
    QStringList parts;
    for (const ZonePrimary& primary : settings.primaries) {
        QString part = QStringLiteral("%1 port %2").arg(primary.address).arg(primary.port);
        if (!primary.keyName.isEmpty())
            part += QStringLiteral(" key %1").arg(primary.keyName);
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

void SecondaryZoneCopy::reload() {
    watch();
    const quint64 read = ++m_reads;
    const QString path = m_filePath;
    const QString name = m_settings.name;
    QPointer<SecondaryZoneCopy> self(this);
    ManagerTasks::inBackground([self, read, path, name] {
        CopyReading reading;
        const QFileInfo info(path);
        reading.exists = info.isFile();
        if (reading.exists) {
            reading.modified = info.lastModified();
            reading.result = ZoneParser().readFile(path, name, info.absolutePath());
        }
        ManagerTasks::onMainThread<SecondaryZoneCopy>(self, [read,
                                                             reading](SecondaryZoneCopy& copy) {
            // Only the latest read counts.
            if (read != copy.m_reads)
                return;
            if (!reading.exists) {
                copy.m_problem = QStringLiteral("No copy yet: the server has not transferred "
                                                "the zone from its primary");
            } else if (!reading.result.ok || !reading.result.soa) {
                copy.m_problem = QStringLiteral("The copy cannot be read: %1")
                                     .arg(reading.result.ok ? QStringLiteral("it has no SOA record")
                                                            : reading.result.error);
            } else {
                copy.m_problem.clear();
                copy.m_hasCopy = true;
                copy.m_lastTransfer = reading.modified;
                copy.m_zone->setSoaRecord(reading.result.soa);
                copy.m_zone->setRecords(reading.result.records);
            }
            Q_EMIT copy.copyChanged();
        });
    });
}

} // namespace korvi
