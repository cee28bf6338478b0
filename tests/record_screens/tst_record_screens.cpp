// The DNS records screen (zone column, search, rows, stopped and empty
// states), driven through the real widgets. The record forms are tested in
// tst_record_forms.

#include <QAbstractItemModelTester>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>

#include "ScreenTestSupport.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordRowDelegate.h"
#include "ui/records/RecordsListView.h"
#include "ui/zones/ZoneRowDelegate.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

DNSRecord record(const QString& name, DNSRecordType type, const QString& value,
                 std::optional<qint64> priority = {}, std::optional<qint64> weight = {},
                 std::optional<qint64> port = {}) {
    DNSRecord made(name, type, value, 3600);
    made.priority = priority;
    made.weight = weight;
    made.port = port;
    return made;
}

// A zone with one record of most kinds, in a known order.
ZonePtr sampleZone(const QString& name = u"example.com"_s) {
    auto zone = ZonePtr::create(name, u"/nowhere/db."_s + name);
    zone->setRecords({record("", DNSRecordType::NS, "ns1.example.com."),
                      record("www", DNSRecordType::A, "192.0.2.1"),
                      record("mail", DNSRecordType::MX, "mail.example.com.", 10),
                      record("", DNSRecordType::TXT, "\"v=spf1 mx -all\""),
                      record("ftp", DNSRecordType::CNAME, "www.example.com."),
                      record("_sip._tcp", DNSRecordType::SRV, "sip.example.com.", 10, 5, 5060),
                      record("v6", DNSRecordType::AAAA, "2001:db8::1")});
    return zone;
}

QStringList shownNames(const RecordListModel* model) {
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(RecordRowDelegate::shownName(model->recordAt(row)));
    return names;
}

} // namespace

class RecordScreensTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;
    std::unique_ptr<DNSRecordView> m_view;

    // A records screen on the shared manager, showing these zones.
    DNSRecordView* openScreen(const QList<ZonePtr>& zones, ServerStatus status) {
        m_manager->setServerStatus(status);
        m_manager->setZones(zones);
        m_view = std::make_unique<DNSRecordView>(m_manager.get());
        showScreen(m_view.get());
        return m_view.get();
    }

    // The zones here have an NS record, as every zone BIND's checker loads does.
    DNSRecord m_ns = DNSRecord({}, DNSRecordType::NS, u"ns.example.net."_s, 86400);

private Q_SLOTS:
    void initTestCase() { m_manager = screenManager(m_dir.path(), ServerStatus::running); }

    void init() {
        m_zone =
            ZonePtr::create(u"example.com"_s, m_manager->zoneDirectory() + u"/db.example.com"_s);
        m_zone->setRecords({m_ns});
        m_manager->setServerStatus(ServerStatus::running);
        m_manager->setZones({m_zone});
    }
    void cleanup() { m_view.reset(); }
    // A zone file check may still run: its scratch copy goes when it has answered.
    void cleanupTestCase() {
        QTRY_COMPARE(scratchCopiesBelow(m_manager->layout().temporaryDirectory), QStringList());
        settle();
    }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QString()
                               << QStringList{"@", "www", "mail", "@", "ftp", "_sip._tcp", "v6"};
        // Type, name and value, in any letter case; TTL, priority, weight and port are not.
        QTest::newRow("type upper") << "MX" << QStringList{"mail", "@"};
        QTest::newRow("mixed case") << "wWw" << QStringList{"www", "ftp"};
        QTest::newRow("type only") << "aaaa" << QStringList{"v6"};
        QTest::newRow("service label") << "_SIP" << QStringList{"_sip._tcp"};
        QTest::newRow("value part") << "2001:DB8" << QStringList{"v6"};
        QTest::newRow("ttl") << "3600" << QStringList{};
        QTest::newRow("port") << "5060" << QStringList{};
    }

    void search() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        auto* view = openScreen({sampleZone()}, ServerStatus::running);
        typeInto(child<QLineEdit>(view, u"searchField"_s), text);
        QCOMPARE(shownNames(view->recordsList()->model()), names);
        QCOMPARE(view->recordsList()->listView()->isVisible(), !names.isEmpty());
        if (names.isEmpty()) {
            QCOMPARE(labelText(view, "recordsEmptyTitle"), "No DNS records found");
            QCOMPARE(labelText(view, "recordsEmptyHint"), "Try adjusting your search terms");
        }
    }

    // The search folds case by the locale: plain capital I is dotless ı in Turkish.
    void searchFollowsTheLocale() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/x"_s);
        zone->setRecords({record("mail", DNSRecordType::A, "192.0.2.1")});
        for (const QLocale::Language language : {QLocale::Turkish, QLocale::English}) {
            RecordListModel model;
            model.setLocale(QLocale(language));
            model.setZone(zone);
            model.setSearchText(u"I"_s);
            QCOMPARE(model.rowCount(), language == QLocale::English ? 1 : 0);
        }
    }

    // Rows and count follow records added, removed and replaced, under a search.
    void rowsFollowTheZone() {
        const ZonePtr zone = sampleZone();
        auto* view = openScreen({zone}, ServerStatus::running);
        RecordListModel* model = view->recordsList()->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(labelText(view, "zoneRecordCountLabel"), "7 records");
        typeInto(child<QLineEdit>(view, u"searchField"_s), "www");
        QCOMPARE(model->rowCount(), 2);
        zone->addRecord(record("www2", DNSRecordType::A, "192.0.2.2"));
        zone->addRecord(record("db", DNSRecordType::A, "192.0.2.3"));
        QCOMPARE(shownNames(model), (QStringList{"www", "ftp", "www2"}));
        QCOMPARE(labelText(view, "zoneRecordCountLabel"), "9 records");
        zone->removeRecord(zone->records().at(1).id);
        QCOMPARE(shownNames(model), (QStringList{"ftp", "www2"}));
        DNSRecord changed = zone->records().at(3); // ftp -> www.example.com.
        changed.value = u"files.example.net."_s;
        zone->updateRecord(changed);
        QCOMPARE(shownNames(model), QStringList{"www2"});
        // An SOA change alone keeps the rows; without a search a replaced record is redrawn.
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removals(model, &QAbstractItemModel::rowsRemoved);
        zone->setSoaRecord(SOARecord{});
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
        typeInto(child<QLineEdit>(view, u"searchField"_s), QString());
        resets.clear();
        QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
        changed.value = u"ftp.example.net."_s;
        zone->updateRecord(changed);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(model->recordAt(3).value, "ftp.example.net.");
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
    }

    // Many inserts, edits and removals at every position, under a search:
    // the rows always equal a fresh filter of the zone, in the zone's order.
    void rowsStayFilteredThroughManyChanges() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/x"_s);
        RecordListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setZone(zone);
        model.setSearchText(u"keep"_s);
        const auto expected = [&] {
            QStringList names;
            for (const DNSRecord& r : zone->records()) {
                if (r.name.contains(u"keep"_s))
                    names.append(r.name);
            }
            return names;
        };
        quint32 seed = 7;
        const auto next = [&seed](quint32 bound) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % bound;
        };
        for (int step = 0; step < 400; ++step) {
            const qsizetype size = zone->records().size();
            const quint32 action = size == 0 ? 0 : next(3);
            const QString name = (next(2) ? u"keep"_s : u"drop"_s) + QString::number(step);
            if (action == 0) {
                zone->addRecord(record(name, DNSRecordType::A, "192.0.2.1"));
            } else if (action == 1) {
                DNSRecord changed = zone->records().at(next(quint32(size)));
                changed.name = name;
                zone->updateRecord(changed);
            } else {
                zone->removeRecord(zone->records().at(next(quint32(size))).id);
            }
            QCOMPARE(shownNames(&model), expected());
        }
    }

    // Stopped: rows and "Add Record" open nothing; running: they open the forms.
    void runningAndStopped() {
        const ZonePtr zone = sampleZone();
        auto* view = openScreen({zone, sampleZone("example.org")}, ServerStatus::stopped);
        QVERIFY(shows(view, "stoppedBanner"));
        QCOMPARE(labelText(view, "stoppedBannerText"),
                 "DNS record management is disabled. Start the BIND server to add, edit, or "
                 "delete records.");
        QCOMPARE(labelText(view, "zoneCountBadge"), "2");
        QCOMPARE(view->selectedZoneId(), zone->id()); // the first zone, with no choice made
        QCOMPARE(labelText(view, "zoneTitleLabel"), "example.com Zone");
        auto* add = child<QPushButton>(view, u"addRecordButton"_s);
        QVERIFY(!add->isEnabled());
        QVERIFY(!qobject_cast<ZoneRowDelegate*>(view->zoneList()->itemDelegate())->isBindRunning());
        clickRow(view->recordsList()->listView(), 1);
        QVERIFY(!view->editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(!view->addRecordSheet());

        m_manager->setServerStatus(ServerStatus::running);
        QVERIFY(!shows(view, "stoppedBanner") && add->isEnabled());
        QVERIFY(view->recordsList()->rowDelegate()->isBindRunning());
        QVERIFY(saveScreenshot(view, u"records"_s, u"list"_s));
        clickRow(view->recordsList()->listView(), 2);
        QVERIFY(view->editRecordSheet());
        QCOMPARE(view->editRecordSheet()->record().id, zone->records().at(2).id);
        view->editRecordSheet()->reject();
        QTRY_VERIFY(!view->editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(view->addRecordSheet());
        QCOMPARE(view->addRecordSheet()->zone(), zone);
        view->addRecordSheet()->reject();
        clickRow(view->zoneList(), 1);
        QCOMPARE(view->selectedZone(), m_manager->zones().at(1));
        QCOMPARE(labelText(view, "zoneTitleLabel"), "example.org Zone");
    }

    void emptyStates() {
        auto* view = openScreen({}, ServerStatus::running);
        QCOMPARE(labelText(view, "zoneCountBadge"), "0");
        QVERIFY(shows(view, "noZones") && shows(view, "noSelection"));
        QCOMPARE(labelText(view, "noZonesText"),
                 "Create a zone in Zone Management to start adding DNS records");
        QCOMPARE(labelText(view, "noSelectionTitle"), "Select a zone to view records");
        const auto empty = ZonePtr::create(u"empty.test"_s, u"/x"_s);
        const ZonePtr other = sampleZone();
        m_manager->setZones({empty, other});
        view->selectZone(empty->id());
        QVERIFY(shows(view, "recordsEmptyState"));
        QCOMPARE(labelText(view, "recordsEmptyHint"), "Add your first DNS record to get started");
        // The chosen zone removed elsewhere: back to the hint.
        view->selectZone(other->id());
        QVERIFY(!shows(view, "noSelection"));
        m_manager->setZones({empty});
        QVERIFY(shows(view, "noSelection") && !view->selectedZone());
    }
};

QTEST_MAIN(RecordScreensTest)
#include "tst_record_screens.moc"
