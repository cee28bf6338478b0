// A damaged zone database file (cut short, or overwritten with random bytes)
// is found by the check at opening, named as damage, kept aside, and Korvi
// goes on with its last good copy, or with a new database when there is none.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "BindCheckers.h"
#include "ZoneDatabaseTestSupport.h"

using namespace korvi;
using namespace korvi::test;

namespace {

enum class Damage { truncate, randomBytes };
enum class GoodCopy { kept, missing, damagedToo };

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(GoodCopy)

namespace {

// Three zones of 300 records: a file of many pages, so that damage can hit
// the header, the schema, an index or the data.
QList<std::pair<StoredZone, QList<DNSRecord>>> sampleZones() {
    QList<std::pair<StoredZone, QList<DNSRecord>>> zones;
    for (int z = 0; z < 3; ++z) {
        const QString name = u"zone%1.example"_s.arg(z);
        QList<DNSRecord> records;
        for (int r = 0; r < 300; ++r)
            records.append(rawRecord(u"host%1"_s.arg(r), DNSRecordType::A,
                                     u"10.%1.%2.%3"_s.arg(z).arg(r / 200).arg(r % 200)));
        zones.append({{QUuid::createUuid(), name, u"/var/lib/bind/db."_s + name, standardSOA(), 0},
                      records});
    }
    return zones;
}

bool damageFile(const QString& path, Damage damage, qint64 offset, qint64 length,
                QRandomGenerator& random) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    const qint64 at = offset < 0 ? size + offset : offset;
    if (damage == Damage::truncate)
        return file.resize(at);
    QByteArray bytes(length < 0 ? size - at : length, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return file.seek(at) && file.write(bytes) == bytes.size();
}

} // namespace

class TestZoneDatabaseDamage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_next = 0;
    quint32 m_seed = 0;

private Q_SLOTS:
    void initTestCase() {
        m_seed = qEnvironmentVariableIsSet("KORVI_DAMAGE_SEED")
                     ? quint32(qEnvironmentVariableIntValue("KORVI_DAMAGE_SEED"))
                     : QRandomGenerator::global()->generate();
        qInfo("random bytes drawn with seed %u (set KORVI_DAMAGE_SEED to repeat)", m_seed);
    }

    void damagedFile_data() {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<qint64>("offset"); // negative: from the end
        QTest::addColumn<qint64>("length"); // random bytes; -1: to the end
        QTest::addColumn<GoodCopy>("goodCopy");
        const auto cut = Damage::truncate;
        const auto noise = Damage::randomBytes;
        QTest::newRow("cut to nothing") << cut << 0ll << 0ll << GoodCopy::kept;
        QTest::newRow("cut inside the header") << cut << 60ll << 0ll << GoodCopy::kept;
        QTest::newRow("cut after the first page") << cut << 4096ll << 0ll << GoodCopy::kept;
        QTest::newRow("cut in the middle of a page") << cut << 10000ll << 0ll << GoodCopy::kept;
        QTest::newRow("cut by one page") << cut << -4096ll << 0ll << GoodCopy::kept;
        QTest::newRow("cut by 100 bytes") << cut << -100ll << 0ll << GoodCopy::kept;
        QTest::newRow("random header") << noise << 0ll << 100ll << GoodCopy::kept;
        QTest::newRow("random schema page") << noise << 100ll << 3996ll << GoodCopy::kept;
        QTest::newRow("random second page") << noise << 4096ll << 4096ll << GoodCopy::kept;
        QTest::newRow("random all through") << noise << 0ll << -1ll << GoodCopy::kept;
        QTest::newRow("cut, no good copy") << cut << 4096ll << 0ll << GoodCopy::missing;
        QTest::newRow("random, good copy damaged too")
            << noise << 0ll << 100ll << GoodCopy::damagedToo;
    }
    void damagedFile() {
        QFETCH(Damage, damage);
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        QFETCH(GoodCopy, goodCopy);
        QRandomGenerator random(m_seed + quint32(m_next));
        ZoneDatabaseSettings settings;
        settings.directory = m_dir.filePath(u"data%1"_s.arg(++m_next));
        settings.importFromPreferences = false;
        const auto zones = sampleZones();
        {
            Opened db = openDatabase(settings);
            QVERIFY(db.opening);
            for (const auto& [zone, records] : zones)
                QVERIFY(stored(*db.database, db.database->addZone(zone, records)));
        }
        {
            // The good copy is made after an opening that passed the check.
            Opened db = openDatabase(settings);
            QVERIFY(db.opening);
            QVERIFY(!db.opening->damaged);
        }
        const QDir dir(settings.directory);
        const QString path = dir.filePath(ZoneDatabase::databaseFileName());
        const QString good = dir.filePath(ZoneDatabase::goodCopyFileName());
        QVERIFY(QFile::exists(good));
        QVERIFY(!QFile::exists(path + u"-wal"_s)); // closed cleanly: everything is in the file
        QVERIFY(damageFile(path, damage, offset, length, random));
        if (goodCopy == GoodCopy::missing)
            QVERIFY(QFile::remove(good));
        if (goodCopy == GoodCopy::damagedToo)
            QVERIFY(damageFile(good, damage, offset, length, random));

        Opened db = openDatabase(settings);
        QVERIFY2(db.opening, qPrintable(db.failure));
        const QString notices = db.noticeTexts().join(u'\n');
        QVERIFY2(db.opening->damaged, qPrintable(notices));
        QVERIFY2(notices.contains(u"❌ The zone database is damaged ("_s), qPrintable(notices));
        QCOMPARE(dir.entryList({u"zones.sqlite.damaged-*"_s}, QDir::Files).size(), 1);
        const auto loaded = loadZones(*db.database);
        QVERIFY(loaded);
        if (goodCopy != GoodCopy::kept) {
            QVERIFY(!db.opening->restoredFromGoodCopy);
            QVERIFY2(notices.contains(goodCopy == GoodCopy::missing
                                          ? u"There is no good copy"_s
                                          : u"The last good copy of the zone database cannot be "
                                            "used either"_s),
                     qPrintable(notices));
            QCOMPARE(loaded->size(), 0);
            return;
        }
        QVERIFY(db.opening->restoredFromGoodCopy);
        QVERIFY2(notices.contains(u"🔄 Went back to the last good copy"_s), qPrintable(notices));
        QCOMPARE(loaded->size(), zones.size());
        for (qsizetype i = 0; i < zones.size(); ++i) {
            QCOMPARE(loaded->at(i).id, zones[i].first.id);
            const auto records = loadRecords(*db.database, zones[i].first.id);
            QVERIFY(records);
            QCOMPARE(asJson(*records), asJson(zones[i].second));
        }
    }
};

QTEST_GUILESS_MAIN(TestZoneDatabaseDamage)
#include "tst_zonedatabase_damage.moc"
