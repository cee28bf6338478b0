#include "storage/ZoneDatabaseWorker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <memory>

#include "platform/PreferencesStore.h"
#include "storage/PreferencesImport.h"
#include "storage/StoreFiles.h"

namespace korvi {

namespace {

void note(ZoneDatabaseOpening& opening, StoreNotice::Level level, const QString& text) {
    opening.notices.append({level, text});
}

} // namespace

ZoneDatabaseWorker::ZoneDatabaseWorker(ZoneDatabaseSettings settings)
    : m_settings(std::move(settings)) {}

QString ZoneDatabaseWorker::databasePath() const {
    return QDir(m_settings.directory).filePath(ZoneDatabase::databaseFileName());
}

QString ZoneDatabaseWorker::goodCopyPath() const {
    return QDir(m_settings.directory).filePath(ZoneDatabase::goodCopyFileName());
}

bool ZoneDatabaseWorker::openChecked(const QString& path, QString* damage) {
    StoreResult result = m_store.open(path);
    if (result)
        result = m_store.check();
    if (!result) {
        m_store.close();
        *damage = result.error;
    }
    return result.ok;
}

ZoneDatabaseOpening ZoneDatabaseWorker::open(QString* failure) {
    ZoneDatabaseOpening opening;
    const QString path = databasePath();
    opening.path = path;
    if (!QDir().mkpath(m_settings.directory)) {
        *failure = QStringLiteral("The folder for the zone database cannot be made: ") +
                   m_settings.directory;
        return opening;
    }

    if (QFileInfo::exists(path)) {
        QString damage;
        if (!openChecked(path, &damage))
            recover(opening, damage);
    }
    if (!m_store.isOpen()) {
        if (const StoreResult created = ZoneStore::create(path); !created) {
            *failure = QStringLiteral("The zone database cannot be created: ") + created.error;
            return opening;
        }
        opening.created = true;
        QString damage;
        if (!openChecked(path, &damage)) {
            *failure = QStringLiteral("The new zone database cannot be opened: ") + damage;
            return opening;
        }
        note(opening, StoreNotice::Level::info,
             QStringLiteral("🗄️ Created the zone database at ") + path);
    }

    if (const StoreResult migrated = m_store.migrate(); !migrated) {
        m_store.close();
        *failure = QStringLiteral("The zone database cannot be used: ") + migrated.error;
        return opening;
    }
    if (m_settings.importFromPreferences)
        importFromPreferences(opening);
    return opening;
}

void ZoneDatabaseWorker::recover(ZoneDatabaseOpening& opening, const QString& damage) {
    opening.damaged = true;
    const QString path = databasePath();
    const QString aside = storefiles::moveAside(path);
    QString kept = aside.isEmpty() ? QStringLiteral("it could not be moved and was removed")
                                   : QStringLiteral("it was kept as ") + aside;
    if (aside.isEmpty())
        storefiles::removeDatabaseFiles(path);
    note(opening, StoreNotice::Level::error,
         QStringLiteral("❌ The zone database is damaged (%1); %2").arg(damage, kept));

    const QString good = goodCopyPath();
    if (!QFileInfo::exists(good)) {
        note(opening, StoreNotice::Level::warning,
             QStringLiteral("⚠️ There is no good copy of the zone database to go back to; "
                            "starting a new one"));
        return;
    }
    const QString copyTime = QLocale::c().toString(QFileInfo(good).lastModified().toUTC(),
                                                   QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
    QString copyDamage;
    if (const StoreResult copied = storefiles::copyFile(good, path); !copied)
        copyDamage = copied.error;
    else if (openChecked(path, &copyDamage)) {
        opening.restoredFromGoodCopy = true;
        note(opening, StoreNotice::Level::warning,
             QStringLiteral("🔄 Went back to the last good copy of the zone database, made %1; "
                            "changes made after it are lost")
                 .arg(copyTime));
        return;
    }
    storefiles::removeDatabaseFiles(path);
    note(opening, StoreNotice::Level::error,
         QStringLiteral("❌ The last good copy of the zone database cannot be used either (%1); "
                        "starting a new one")
             .arg(copyDamage));
}

void ZoneDatabaseWorker::importFromPreferences(ZoneDatabaseOpening& opening) {
    QString error;
    if (m_store.importNote(&error) || !error.isEmpty())
        return;
    const auto preferences = m_settings.preferencesFile.isEmpty()
                                 ? std::make_unique<PreferencesStore>()
                                 : std::make_unique<PreferencesStore>(m_settings.preferencesFile);
    const PreferencesZones found = readPreferencesZones(*preferences);
    QString summary;
    switch (found.outcome) {
    case PreferencesZones::Outcome::nothing:
        summary = QStringLiteral("no zones in the preferences");
        break;
    case PreferencesZones::Outcome::unreadable:
        summary = QStringLiteral("nothing imported: ") + found.problem;
        note(opening, StoreNotice::Level::error,
             QStringLiteral("❌ The zones kept in the preferences are damaged and were not "
                            "imported: ") +
                 found.problem);
        break;
    case PreferencesZones::Outcome::read:
        summary = QStringLiteral("%1 zones with %2 records from %3")
                      .arg(found.zones.size())
                      .arg(found.recordCount())
                      .arg(found.source);
        if (!found.problem.isEmpty())
            note(opening, StoreNotice::Level::warning, QStringLiteral("⚠️ ") + found.problem);
        break;
    }
    // The note goes in with the zones: the import is done whole, once.
    const StoreResult imported = m_store.importZones(found.zones, found.records, summary);
    if (!imported) {
        note(opening, StoreNotice::Level::error,
             QStringLiteral("❌ The zones in the preferences could not be imported: ") +
                 imported.error);
        return;
    }
    if (found.outcome == PreferencesZones::Outcome::read) {
        opening.imported = true;
        note(opening, StoreNotice::Level::success,
             QStringLiteral("📥 Imported %1; the preferences are left as they were").arg(summary));
    }
}

StoreResult ZoneDatabaseWorker::keepGoodCopy() {
    const QString good = goodCopyPath();
    const QString building = good + QStringLiteral(".new");
    storefiles::removeDatabaseFiles(building);
    StoreResult result = m_store.copyTo(building);
    if (result)
        result = storefiles::replaceFile(building, good);
    if (!result)
        storefiles::removeDatabaseFiles(building);
    return result;
}

} // namespace korvi
