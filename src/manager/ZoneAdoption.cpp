#include "manager/ZoneAdoption.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "host/HostLayout.h"
#include "host/OwnedFiles.h"
#include "manager/AppLog.h"
#include "manager/ManagerTasks.h"
#include "manager/OwnedFileSaver.h"
#include "manager/ZoneRepository.h"
#include "model/DNSConfiguration.h"
#include "model/ZoneFileWriter.h"
#include "model/ZoneParser.h"
#include "model/ZoneStatementScanner.h"

namespace korvi {

// What the background step found and made, for the steps that change files.
struct ZoneAdoption::Prepared {
    QString error; // empty when the files may be changed
    QString backupFolder;
    QByteArray original;      // the declaring file as it was
    QByteArray declaringText; // the same without the zone's statement
    QByteArray zoneText;      // Korvi's file for the zone
    std::optional<SOARecord> soa;
    QList<DNSRecord> records;
    bool korviFileExisted = false;
};

namespace {

bool writeCopy(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
           file.write(bytes) == bytes.size() && file.flush();
}

// A new folder of its own for this adoption's copies, readable by the user
// only (a declaring file may hold keys).
QString makeBackupFolder(const QString& root, const QString& zone, const QDateTime& now) {
    const QString stem =
        root + u'/' + zone + u'-' + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString folder = stem;
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = stem + u'-' + QString::number(n);
    if (!QDir().mkpath(folder))
        return {};
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

// Reads, copies and prepares; runs on a worker thread and changes nothing
// but the new backup folder.
void prepare(ZoneAdoption::Prepared& work, const ConfiguredZone& zone, const OwnedFileLayout& files,
             const QString& backupRoot, const QDateTime& now) {
    // A relative file name is named's: taken from its working folder.
    QString workingFolder = OwnedFiles(files).workingDirectories().value(0);
    if (workingFolder.isEmpty())
        workingFolder = QFileInfo(files.configuration).absolutePath();
    const QString zoneFile = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(zone.file));

    const ZoneReadResult read = ZoneParser().readFile(zoneFile, zone.name, workingFolder);
    if (!read.ok) {
        work.error = QStringLiteral("its file %1 could not be read completely (%2)")
                         .arg(zoneFile, read.error);
        return;
    }
    if (!read.soa) {
        work.error = QStringLiteral("its file %1 has no SOA record").arg(zoneFile);
        return;
    }
    QFile declaring(zone.declaredIn);
    if (!declaring.open(QIODevice::ReadOnly)) {
        work.error = QStringLiteral("%1 could not be read").arg(zone.declaredIn);
        return;
    }
    work.original = declaring.readAll();
    QString reason;
    const std::optional<QByteArray> rest =
        ZoneStatementScanner::without(work.original, zone.name, &reason);
    if (!rest) {
        work.error = QStringLiteral("in %1, %2").arg(zone.declaredIn, reason);
        return;
    }
    work.declaringText = *rest;

    QFile zoneSource(zoneFile);
    const QByteArray zoneBytes =
        zoneSource.open(QIODevice::ReadOnly) ? zoneSource.readAll() : QByteArray();
    work.backupFolder = makeBackupFolder(backupRoot, zone.name, now);
    const QString declaringName = QFileInfo(zone.declaredIn).fileName();
    QString zoneName = QFileInfo(zoneFile).fileName();
    if (zoneName == declaringName)
        zoneName += QStringLiteral(".zone");
    if (work.backupFolder.isEmpty() ||
        !writeCopy(work.backupFolder + u'/' + declaringName, work.original) ||
        !writeCopy(work.backupFolder + u'/' + zoneName, zoneBytes)) {
        work.error = QStringLiteral("the copies of the original files could not be written "
                                    "below %1")
                         .arg(backupRoot);
        return;
    }

    work.soa = read.soa;
    work.records = read.records;
    work.zoneText = ZoneFileWriter::zoneText(zone.name, read.soa, read.records, now).toUtf8();
    work.korviFileExisted = QFileInfo::exists(files.zoneFile(zone.name));
}

} // namespace

ZoneAdoption::ZoneAdoption(const SystemLayout& layout, AppLog* log, ZoneRepository* repository,
                           DNSConfiguration* configuration, QObject* parent)
    : QObject(parent), m_layout(layout), m_log(log), m_repository(repository),
      m_configuration(configuration), m_files(std::make_unique<OwnedFileSaver>(layout)) {}

ZoneAdoption::~ZoneAdoption() = default;

QString ZoneAdoption::backupRoot(const SystemLayout& layout) {
    return layout.dataDirectory.isEmpty()
               ? QString()
               : QDir::cleanPath(layout.dataDirectory + QStringLiteral("/adopted-zones"));
}

std::optional<QString> ZoneAdoption::refusal(const ConfiguredZone& zone,
                                             const SystemLayout& layout) {
    if (!layout.ownsIncludeOnly)
        return QStringLiteral("Korvi takes zones over only on a distribution's BIND");
    if (zone.ownedByKorvi)
        return QStringLiteral("The zone is already Korvi's");
    if (zone.type != ConfiguredZoneType::primary || !zone.view.isEmpty() || zone.zoneClass != u"IN")
        return QStringLiteral("Only primary IN zones outside views can be taken over");
    if (zone.declaredIn.isEmpty() || zone.file.isEmpty())
        return QStringLiteral("The zone's declaring file or zone file is not known");
    const OwnedFileLayout files = ownedFileLayout(layout);
    if (OwnedFiles::isDistributionZone(zone.name) ||
        OwnedFiles::isDistributionFile(zone.declaredIn))
        return QStringLiteral("The distribution's own zones stay where they are");
    const QString configFolder = QFileInfo(files.configuration).absolutePath() + u'/';
    if (!zone.declaredIn.startsWith(configFolder) || zone.declaredIn == files.korviInclude)
        return QStringLiteral("The zone is not declared in a file of BIND's configuration folder");
    if (!OwnedFiles::isAcceptableZoneName(zone.name))
        return QStringLiteral("Korvi does not write files for a zone of this name");
    if (backupRoot(layout).isEmpty())
        return QStringLiteral("Korvi has no data folder to keep the copies of the files in");
    return std::nullopt;
}

void ZoneAdoption::adopt(const ConfiguredZone& zone) {
    std::optional<QString> refused = refusal(zone, m_layout);
    if (!refused && m_busy)
        refused = QStringLiteral("Another zone is being taken over");
    if (!refused && m_repository) {
        for (const ZonePtr& known : m_repository->zones()) {
            if (known->name().compare(zone.name, Qt::CaseInsensitive) == 0)
                refused = QStringLiteral("Korvi already has a zone of this name");
        }
    }
    if (refused) {
        // Reported from the event loop, like every other outcome; an
        // adoption under way is left alone.
        const ZoneAdoptionResult result{
            zone.name,
            false,
            QStringLiteral("❌ Zone '%1' was not taken over: %2").arg(zone.name, *refused),
            {}};
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                if (m_log)
                    m_log->add(result.message, LogLevel::error);
                Q_EMIT finished(result);
            },
            Qt::QueuedConnection);
        return;
    }
    m_busy = true;
    if (m_log)
        m_log->add(
            QStringLiteral("🔄 Taking zone '%1' over from %2...").arg(zone.name, zone.declaredIn),
            LogLevel::info);
    auto work = std::make_shared<Prepared>();
    const OwnedFileLayout files = ownedFileLayout(m_layout);
    const QString root = backupRoot(m_layout);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QPointer<ZoneAdoption> self(this);
    ManagerTasks::inBackground([self, work, zone, files, root, now] {
        prepare(*work, zone, files, root, now);
        ManagerTasks::onMainThread<ZoneAdoption>(
            self, [zone, work](ZoneAdoption& adoption) { adoption.prepared(zone, work); });
    });
}

void ZoneAdoption::prepared(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work) {
    if (!work->error.isEmpty()) {
        finish({zone.name, false,
                QStringLiteral("❌ Zone '%1' was not taken over: %2. Nothing was changed.")
                    .arg(zone.name, work->error),
                work->backupFolder});
        return;
    }
    if (m_log)
        m_log->add(QStringLiteral("💾 Copies of %1 and of the zone's file kept in %2")
                       .arg(zone.declaredIn, work->backupFolder),
                   LogLevel::info);
    const QPointer<ZoneAdoption> self(this);
    m_files->perform({QStringLiteral("write-zone"), zone.name}, work->zoneText,
                     [self, zone, work](bool ok, const QString& message) {
                         if (!self)
                             return;
                         if (!ok)
                             self->undo(zone, work, message);
                         else
                             self->takeOver(zone, work);
                     });
}

void ZoneAdoption::takeOver(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work) {
    const QPointer<ZoneAdoption> self(this);
    m_files->perform({QStringLiteral("adopt-zone"), zone.name, zone.declaredIn},
                     work->declaringText, [self, zone, work](bool ok, const QString& message) {
                         if (!self)
                             return;
                         if (!ok) {
                             self->undo(zone, work, message);
                             return;
                         }
                         const OwnedFileLayout files = ownedFileLayout(self->m_layout);
                         auto adopted = ZonePtr::create(zone.name, files.zoneFile(zone.name));
                         adopted->setRecords(work->records);
                         adopted->setSoaRecord(work->soa);
                         if (!self->m_repository) {
                             self->added(zone, work, true, {});
                             return;
                         }
                         // The adoption ends with the addition: its zone file written,
                         // its statement saved, the zone stored and a running server
                         // reconfigured.
                         const ChangeId id = self->m_repository->addZone(adopted);
                         auto connection = std::make_shared<QMetaObject::Connection>();
                         *connection =
                             connect(self->m_repository, &ZoneRepository::changeFinished, self,
                                     [self, zone, work, id, connection](
                                         ChangeId finished, bool applied, const QString& message) {
                                         if (finished != id)
                                             return;
                                         QObject::disconnect(*connection);
                                         if (self)
                                             self->added(zone, work, applied, message);
                                     });
                     });
}

void ZoneAdoption::added(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work,
                         bool applied, const QString& message) {
    if (!applied) {
        // The statement has left the declaring file and Korvi could not
        // take the zone: say so plainly, with the copy to restore from.
        finish({zone.name, false,
                QStringLiteral("❌ Zone '%1' left %2, but Korvi could not take it over: %3. "
                               "Restore %2 from the copy kept in %4")
                    .arg(zone.name, zone.declaredIn, message, work->backupFolder),
                work->backupFolder});
        return;
    }
    const OwnedFileLayout files = ownedFileLayout(m_layout);
    if (m_configuration) {
        QList<ConfiguredZone> listed = m_configuration->configuredZones();
        for (ConfiguredZone& entry : listed) {
            if (entry == zone) {
                entry.declaredIn = files.korviInclude;
                entry.file = files.zoneFile(zone.name);
                entry.ownedByKorvi = true;
            }
        }
        m_configuration->setConfiguredZones(listed);
    }
    finish({zone.name, true,
            QStringLiteral("✅ Zone '%1' is now Korvi's: its statement moved from %2 into Korvi's "
                           "include, with its SOA and %3 records; the original files are kept in "
                           "%4")
                .arg(zone.name, zone.declaredIn)
                .arg(work->records.size())
                .arg(work->backupFolder),
            work->backupFolder});
}

// Korvi's new file for the zone goes again (unless it was there before); the
// helper has left the declaring file as it was, which is checked against the
// copy.
void ZoneAdoption::undo(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work,
                        const QString& reason) {
    const QPointer<ZoneAdoption> self(this);
    const auto report = [self, zone, work, reason](bool, const QString&) {
        if (!self)
            return;
        QFile declaring(zone.declaredIn);
        const bool intact =
            declaring.open(QIODevice::ReadOnly) && declaring.readAll() == work->original;
        QString message =
            QStringLiteral("❌ Zone '%1' was not taken over: %2. ").arg(zone.name, reason);
        message += intact ? QStringLiteral("%1 is as it was; a copy is in %2")
                                .arg(zone.declaredIn, work->backupFolder)
                          : QStringLiteral("%1 differs from the copy kept in %2: restore it "
                                           "from there")
                                .arg(zone.declaredIn, work->backupFolder);
        self->finish({zone.name, false, message, work->backupFolder});
    };
    if (work->korviFileExisted)
        report(true, {});
    else
        m_files->perform({QStringLiteral("remove-zone"), zone.name}, {}, report);
}

void ZoneAdoption::finish(ZoneAdoptionResult result) {
    m_busy = false;
    if (m_log)
        m_log->add(result.message, result.adopted ? LogLevel::success : LogLevel::error);
    Q_EMIT finished(result);
}

} // namespace korvi
