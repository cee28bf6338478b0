// The DNS records screen: zone column, header, search, rows and the
// "(Server Stopped)" states, driven through the real widgets.

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "ScreenTestSupport.h"
#include "ui/DNSRecordView.h"
#include "ui/EditRecordView.h"
#include "ui/RecordListModel.h"
#include "ui/RecordRowView.h"
#include "ui/RecordsListView.h"
#include "ui/ZoneRowView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

DNSRecord record(const QString& name, DNSRecordType type, const QString& value,
                 RecordOptions options = {}) {
    return DNSRecord(name, type, value, 3600, options);
}

// A zone with one record of most kinds, in a known order.
ZonePtr sampleZone(const QString& name = QStringLiteral("example.com")) {
    auto zone = ZonePtr::create(name, QStringLiteral("/nowhere/db.") + name);
    RecordOptions mx;
    mx.priority = 10;
    RecordOptions srv;
    srv.priority = 10;
    srv.weight = 5;
    srv.port = 5060;
    zone->setRecords(
        {record(QString(), DNSRecordType::NS, QStringLiteral("ns1.example.com.")),
         record(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.10")),
         record(QStringLiteral("mail"), DNSRecordType::MX, QStringLiteral("mail.example.com."), mx),
         record(QString(), DNSRecordType::TXT, QStringLiteral("\"v=spf1 mx -all\"")),
         record(QStringLiteral("ftp"), DNSRecordType::CNAME, QStringLiteral("www.example.com.")),
         record(QStringLiteral("_sip._tcp"), DNSRecordType::SRV, QStringLiteral("sip.example.com."),
                srv),
         record(QStringLiteral("v6"), DNSRecordType::AAAA, QStringLiteral("2001:db8::1"))});
    return zone;
}

QStringList shownNames(const RecordListModel* model) {
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(RecordRowView::shownName(model->recordAt(row)));
    return names;
}

QString labelText(const QWidget* parent, const char* name) {
    const auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

bool shows(const QWidget* parent, const char* name) {
    const auto* widget = parent->findChild<QWidget*>(QLatin1String(name));
    return widget && widget->isVisible();
}

} // namespace

Q_DECLARE_METATYPE(korvi::DNSRecord)

class RecordListTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        const QStringList all{"@", "www", "mail", "@", "ftp", "_sip._tcp", "v6"};
        QTest::newRow("empty") << "" << all;
        // Type, name and value, in any letter case.
        QTest::newRow("mx lower") << "mx" << QStringList{"mail", "@"};
        QTest::newRow("MX upper") << "MX" << QStringList{"mail", "@"};
        QTest::newRow("mixed case") << "wWw" << QStringList{"www", "ftp"};
        QTest::newRow("type only") << "aaaa" << QStringList{"v6"};
        QTest::newRow("service label") << "_SIP" << QStringList{"_sip._tcp"};
        QTest::newRow("value part") << "2001:DB8" << QStringList{"v6"};
        // TTL, priority, weight and port are not searched.
        QTest::newRow("ttl") << "3600" << QStringList{};
        QTest::newRow("port") << "5060" << QStringList{};
        QTest::newRow("nothing") << "no-such-text" << QStringList{};
    }

    void search() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        auto manager = screenManager(m_dir.path(), ServerStatus::running);
        manager->setZones({sampleZone()});
        DNSRecordView view(manager.get());
        showScreen(&view);
        typeInto(child<QLineEdit>(&view, QStringLiteral("searchField")), text);
        QCOMPARE(shownNames(view.recordsList()->model()), names);
        QCOMPARE(view.recordsList()->listView()->isVisible(), !names.isEmpty());
        if (names.isEmpty()) {
            QCOMPARE(labelText(&view, "recordsEmptyTitle"), "No DNS records found");
            QCOMPARE(labelText(&view, "recordsEmptyHint"), "Try adjusting your search terms");
        }
        if (QTest::currentDataTag() == QLatin1String("mx lower"))
            QVERIFY(saveScreenshot(&view, QStringLiteral("records_search")));
        if (QTest::currentDataTag() == QLatin1String("nothing"))
            QVERIFY(saveScreenshot(&view, QStringLiteral("records_search_no_match")));
    }

    void searchFollowsTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        // Dotted capital I is small i in Turkish; plain capital I is dotless ı.
        QTest::newRow("tr dotted I") << turkish << "İSTANBUL"
                                     << "istanbul" << true;
        QTest::newRow("tr dotless I") << turkish << "IRMAK"
                                      << "ırmak" << true;
        QTest::newRow("tr plain i") << turkish << "I"
                                    << "mail" << false;
        QTest::newRow("en plain I") << english << "I"
                                    << "mail" << true;
        QTest::newRow("en dotless") << english << "IRMAK"
                                    << "ırmak" << false;
        QTest::newRow("en accented") << english << "ÉCOLE"
                                     << "école" << true;
    }

    void searchFollowsTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(bool, found);
        DNSRecord candidate;
        candidate.name = name;
        candidate.type = DNSRecordType::A;
        candidate.value = QStringLiteral("192.0.2.1");
        QCOMPARE(RecordListModel::matches(candidate, text, locale), found);
        // The model filters with the same test.
        auto zone = ZonePtr::create(QStringLiteral("example.com"), QStringLiteral("/x"));
        zone->setRecords({candidate});
        RecordListModel model;
        model.setLocale(locale);
        model.setZone(zone);
        model.setSearchText(text);
        QCOMPARE(model.rowCount(), found ? 1 : 0);
    }

    void rowsFollowTheZone() {
        auto manager = screenManager(m_dir.path(), ServerStatus::running);
        const ZonePtr zone = sampleZone();
        manager->setZones({zone});
        DNSRecordView view(manager.get());
        showScreen(&view);
        RecordListModel* model = view.recordsList()->model();
        QCOMPARE(model->rowCount(), 7);
        QCOMPARE(labelText(&view, "zoneRecordCountLabel"), "7 records");
        typeInto(child<QLineEdit>(&view, QStringLiteral("searchField")), QStringLiteral("www"));
        QCOMPARE(model->rowCount(), 2);
        // A record that matches appears; one that does not stays out.
        zone->addRecord(
            record(QStringLiteral("www2"), DNSRecordType::A, QStringLiteral("192.0.2.2")));
        zone->addRecord(
            record(QStringLiteral("db"), DNSRecordType::A, QStringLiteral("192.0.2.3")));
        QCOMPARE(shownNames(model), (QStringList{"www", "ftp", "www2"}));
        QCOMPARE(labelText(&view, "zoneRecordCountLabel"), "9 records");
        zone->removeRecord(zone->records().at(1).id);
        QCOMPARE(shownNames(model), (QStringList{"ftp", "www2"}));
        // A record replaced in place is filtered again.
        DNSRecord renamed = zone->records().at(3);
        QCOMPARE(renamed.name, "ftp"); // its value is www.example.com.
        renamed.value = QStringLiteral("files.example.net.");
        zone->updateRecord(renamed);
        QCOMPARE(shownNames(model), QStringList{"www2"});
        // An SOA change alone keeps the rows: no reset, none added or removed.
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removals(model, &QAbstractItemModel::rowsRemoved);
        zone->setSoaRecord(SOARecord{});
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
        QCOMPARE(shownNames(model), QStringList{"www2"});
        // Without a search, a record replaced in place is redrawn where it is.
        typeInto(child<QLineEdit>(&view, QStringLiteral("searchField")), QString());
        resets.clear();
        QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
        renamed.value = QStringLiteral("ftp.example.net.");
        zone->updateRecord(renamed);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(model->recordAt(3).value, "ftp.example.net.");
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
    }

    void runningAndStopped() {
        auto manager = screenManager(m_dir.path(), ServerStatus::stopped);
        const ZonePtr zone = sampleZone();
        manager->setZones({zone, sampleZone(QStringLiteral("example.org"))});
        DNSRecordView view(manager.get());
        showScreen(&view);
        QCOMPARE(labelText(&view, "titleLabel"), "DNS Records");
        QVERIFY(shows(&view, "stoppedBanner"));
        QCOMPARE(labelText(&view, "stoppedBannerTitle"), "BIND DNS Server is not running");
        QCOMPARE(labelText(&view, "stoppedBannerText"),
                 "DNS record management is disabled. Start the BIND server to add, edit, or "
                 "delete records.");
        QCOMPARE(labelText(&view, "zonesTitle"), "Zones");
        QCOMPARE(labelText(&view, "zoneCountBadge"), "2");
        // Shown with no choice made: the first zone is chosen.
        QCOMPARE(view.selectedZoneId(), zone->id());
        QCOMPARE(labelText(&view, "zoneTitleLabel"), "example.com Zone");
        QCOMPARE(child<QLineEdit>(&view, QStringLiteral("searchField"))->placeholderText(),
                 "Search records...");
        auto* add = child<QPushButton>(&view, QStringLiteral("addRecordButton"));
        QCOMPARE(add->text(), "Add Record");
        QVERIFY(!add->isEnabled());
        QVERIFY(!view.recordsList()->rowView()->isBindRunning());
        QVERIFY(!qobject_cast<ZoneRowView*>(view.zoneList()->itemDelegate())->isBindRunning());
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_stopped")));
        // Rows cannot be opened.
        clickRow(view.recordsList()->listView(), 1);
        QVERIFY(!view.editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(!view.addRecordSheet());

        manager->setServerStatus(ServerStatus::running);
        QVERIFY(!shows(&view, "stoppedBanner"));
        QVERIFY(add->isEnabled());
        QVERIFY(view.recordsList()->rowView()->isBindRunning());
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_running")));
        clickRow(view.recordsList()->listView(), 2);
        EditRecordView* edit = view.editRecordSheet();
        QVERIFY(edit);
        QCOMPARE(edit->record().id, zone->records().at(2).id);
        QCOMPARE(edit->zone(), zone);
        edit->reject();
        QTRY_VERIFY(!view.editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(view.addRecordSheet());
        QCOMPARE(view.addRecordSheet()->zone(), zone);
        view.addRecordSheet()->reject();

        // Choosing the second zone shows its records.
        clickRow(view.zoneList(), 1);
        QCOMPARE(view.selectedZone(), manager->zones().at(1));
        QCOMPARE(labelText(&view, "zoneTitleLabel"), "example.org Zone");
    }

    void emptyStates() {
        auto manager = screenManager(m_dir.path(), ServerStatus::running);
        DNSRecordView view(manager.get());
        showScreen(&view);
        QCOMPARE(labelText(&view, "zoneCountBadge"), "0");
        QVERIFY(shows(&view, "noZones"));
        QCOMPARE(labelText(&view, "noZonesTitle"), "No zones available");
        QCOMPARE(labelText(&view, "noZonesText"),
                 "Create a zone in Zone Management to start adding DNS records");
        QVERIFY(shows(&view, "noSelection"));
        QCOMPARE(labelText(&view, "noSelectionTitle"), "Select a zone to view records");
        QCOMPARE(labelText(&view, "noSelectionText"),
                 "Choose a zone from the list on the left to manage its DNS records");
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_no_zones")));

        // An empty zone, chosen.
        const auto empty = ZonePtr::create(QStringLiteral("empty.test"), QStringLiteral("/x"));
        const ZonePtr other = sampleZone();
        manager->setZones({empty, other});
        view.selectZone(empty->id());
        QVERIFY(shows(&view, "recordsEmptyState"));
        QCOMPARE(labelText(&view, "recordsEmptyTitle"), "No DNS records found");
        QCOMPARE(labelText(&view, "recordsEmptyHint"), "Add your first DNS record to get started");
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_empty_zone")));

        // The chosen zone removed elsewhere: back to the hint.
        view.selectZone(other->id());
        QVERIFY(!shows(&view, "noSelection"));
        manager->setZones({empty});
        QVERIFY(shows(&view, "noSelection"));
        QVERIFY(!view.selectedZone());
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_no_selection")));
    }

    void rowTexts_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QStringList>("details");
        RecordOptions mx;
        mx.priority = 10;
        QTest::newRow("mx") << DNSRecord(QStringLiteral("mail"), DNSRecordType::MX,
                                         QStringLiteral("mx.example.com."), 3600, mx)
                            << QStringList{"TTL: 3600", "Priority: 10"};
        RecordOptions srv;
        srv.priority = 0;
        srv.weight = 5;
        srv.port = 443;
        QTest::newRow("srv") << DNSRecord(QStringLiteral("_x._tcp"), DNSRecordType::SRV,
                                          QStringLiteral("t.example.com."), 60, srv)
                             << QStringList{"TTL: 60", "Priority: 0", "Weight: 5", "Port: 443"};
        RecordOptions onlyPort;
        onlyPort.port = 80;
        QTest::newRow("port only")
            << DNSRecord(QString(), DNSRecordType::A, QStringLiteral("192.0.2.1"), 300, onlyPort)
            << QStringList{"TTL: 300", "Port: 80"};
    }

    void rowTexts() {
        QFETCH(DNSRecord, record);
        QFETCH(QStringList, details);
        QCOMPARE(RecordRowView::detailTexts(record), details);
    }

    void typeColours() {
        const QList<std::pair<DNSRecordType, NamedColor>> expected = {
            {DNSRecordType::A, NamedColor::blue},     {DNSRecordType::AAAA, NamedColor::purple},
            {DNSRecordType::CAA, NamedColor::cyan},   {DNSRecordType::CNAME, NamedColor::orange},
            {DNSRecordType::MX, NamedColor::red},     {DNSRecordType::NS, NamedColor::green},
            {DNSRecordType::PTR, NamedColor::yellow}, {DNSRecordType::SOA, NamedColor::gray},
            {DNSRecordType::SRV, NamedColor::pink},   {DNSRecordType::SSHFP, NamedColor::indigo},
            {DNSRecordType::TLSA, NamedColor::mint},  {DNSRecordType::TXT, NamedColor::brown}};
        QCOMPARE(expected.size(), allRecordTypes().size());
        for (const auto& [type, colour] : expected)
            QCOMPARE(RecordRowView::typeColor(type), colour);

        // One row of every type, for the eye.
        auto manager = screenManager(m_dir.path(), ServerStatus::running);
        auto zone = ZonePtr::create(QStringLiteral("types.test"), QStringLiteral("/x"));
        QList<DNSRecord> records;
        for (DNSRecordType type : allRecordTypes())
            records.append(DNSRecord(rawValue(type).toLower(), type, valuePlaceholder(type), 3600));
        zone->setRecords(records);
        manager->setZones({zone});
        DNSRecordView view(manager.get());
        showScreen(&view, QSize(1000, 1100));
        QVERIFY(saveScreenshot(&view, QStringLiteral("records_all_types")));
    }
};

QTEST_MAIN(RecordListTest)
#include "tst_record_list.moc"
