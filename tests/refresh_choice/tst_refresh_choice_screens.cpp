// The records screen lists records of types Korvi does not edit read-only,
// and the window's choice cards after a refresh that found a zone's file
// changed on disk, driven through the real widgets.

#include <QListView>
#include <QPushButton>

#include "ScreenTestSupport.h"
#include "StoredZones.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordRowDelegate.h"
#include "ui/records/RecordsListView.h"
#include "ui/zones/RefreshChoicesView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

DNSRecord keptRecord(const QString& name, const QString& type, const QString& data) {
    DNSRecord record(QUuid::createUuid());
    record.name = name;
    record.keptType = type;
    record.value = data;
    return record;
}

const QByteArray zoneFile = "$TTL 3600\n"
                            "@ IN SOA ns1.example.com. admin.example.com. 2025030501 3600 1800 "
                            "1209600 86400\n"
                            "@ IN NS ns1.example.com.\n"
                            "ns1 IN A 192.0.2.1\n";

} // namespace

class TestRefreshChoiceScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keptRecordsAreReadOnly_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("data");
        QTest::newRow("DS") << u"DS"_s << u"60485 5 1 2BB183AF5F22588179A53B0A98631FAD1A292118"_s;
        QTest::newRow("NAPTR") << u"NAPTR"_s << u"100 10 \"S\" \"SIP+D2U\" \"\" _sip._udp"_s;
        QTest::newRow("HTTPS") << u"HTTPS"_s << u"1 . alpn=\"h2\""_s;
    }

    void keptRecordsAreReadOnly() {
        QFETCH(QString, type);
        QFETCH(QString, data);
        QTemporaryDir dir;
        auto manager = screenManager(dir.path(), ServerStatus::running);
        auto zone = ZonePtr::create(u"example.com"_s, dir.filePath(u"var/named/db.example.com"_s));
        zone->setRecords({DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600),
                          keptRecord(u"kept"_s, type, data)});
        manager->setZones({zone});
        DNSRecordView screen(manager.get());
        showScreen(&screen);
        screen.selectZone(zone->id());
        QApplication::processEvents();

        QVERIFY(shows(&screen, "readOnlyRecordsNote"));
        QVERIFY(labelText(&screen, "readOnlyRecordsNote").startsWith(u"1 read-only"_s));
        RecordListModel* model = screen.recordsList()->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(RecordRowDelegate::typeName(model->recordAt(1)), type);
        QVERIFY(model->data(model->index(1), Qt::AccessibleTextRole).toString().contains(type));
        screen.recordsList()->setSearchText(type);
        QCOMPARE(model->rowCount(), 1);
        screen.recordsList()->setSearchText({});
        QVERIFY(saveScreenshot(&screen, u"refresh_choice"_s, u"read_only_"_s + type));

        // The kept row opens nothing, by click or directly; the other row does.
        QListView* list = screen.recordsList()->listView();
        clickRow(list, 1);
        QApplication::processEvents();
        QVERIFY(!screen.editRecordSheet());
        screen.showEditRecord(model->recordAt(1));
        QVERIFY(!screen.editRecordSheet());
        clickRow(list, 0);
        QTRY_VERIFY(screen.editRecordSheet());
        screen.editRecordSheet()->close();
    }

    void noReadOnlyNoteWithoutKeptRecords() {
        QTemporaryDir dir;
        auto manager = screenManager(dir.path(), ServerStatus::running);
        auto zone = ZonePtr::create(u"example.com"_s, dir.filePath(u"var/named/db.example.com"_s));
        zone->setRecords({DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600)});
        manager->setZones({zone});
        DNSRecordView screen(manager.get());
        showScreen(&screen);
        screen.selectZone(zone->id());
        QApplication::processEvents();
        QVERIFY(!shows(&screen, "readOnlyRecordsNote"));
    }

    void choiceCards_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("fileWins");
        QTest::newRow("use the file") << u"useFileVersionButton"_s << true;
        QTest::newRow("keep Korvi's version") << u"keepKorviVersionButton"_s << false;
    }

    void choiceCards() {
        QFETCH(QString, button);
        QFETCH(bool, fileWins);
        Host host;
        const QString file = host.write(u"var/named/db.example.com"_s, zoneFile);
        host.write(u"etc/named.conf"_s,
                   "options {\n    directory \"/x\";\n};\n"
                   "zone \"example.com\" IN { type master; file \"db.example.com\"; };\n");
        auto manager = host.manager();
        manager->loadConfigurationFromFile();
        settle();
        QVERIFY(waitForStorage(*manager));
        host.write(u"var/named/db.example.com"_s, zoneFile + "ftp IN A 192.0.2.20\n");

        RefreshChoicesView choices(manager.get());
        showScreen(&choices, QSize(1000, 160));
        QVERIFY(!choices.findChild<QWidget*>(u"refreshChoice_example.com"_s));
        manager->refreshFromFileSystem();
        settle();
        QWidget* card = child<QWidget>(&choices, u"refreshChoice_example.com"_s);
        QVERIFY(card && card->isVisible());
        QVERIFY(labelText(card, "refreshChoiceSummary").contains(u"1 only in the file"_s));
        QVERIFY(labelText(card, "refreshChoiceLines").contains(u"ftp 3600 A 192.0.2.20"_s));
        QVERIFY(saveScreenshot(&choices, u"refresh_choice"_s, u"choice_card"_s));
        // Nothing changed before the choice.
        QCOMPARE(manager->zones().first()->records().size(), 2);

        click(card, button);
        QTRY_VERIFY(manager->refreshDifferences().isEmpty());
        QTRY_VERIFY(!choices.findChild<QWidget*>(u"refreshChoice_example.com"_s));
        QVERIFY(!choices.isVisible());
        if (fileWins) {
            QCOMPARE(manager->zones().first()->records().size(), 3);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!readFile(file).contains("ftp"), 20000);
            QCOMPARE(manager->zones().first()->records().size(), 2);
        }
    }

    // In the window, the cards stand above whichever screen is shown.
    void choiceCardsInTheWindow() {
        WindowHost host;
        QVERIFY(host.isReady());
        writeFile(host.root(), u"var/named/db.example.com"_s, zoneFile);
        writeFile(host.root(), u"etc/named.conf"_s,
                  "options {\n    directory \"/x\";\n};\n"
                  "zone \"example.com\" IN { type master; file \"db.example.com\"; };\n");
        DNSServerManager* manager = host.manager();
        manager->loadConfigurationFromFile();
        settle();
        QVERIFY(waitForStorage(*manager));
        QVERIFY(!shows(host.window(), "refreshChoices"));
        writeFile(host.root(), u"var/named/db.example.com"_s, zoneFile + "ftp IN A 192.0.2.20\n");
        manager->refreshFromFileSystem();
        settle();
        QVERIFY(shows(host.window(), "refreshChoice_example.com"));
        QVERIFY(host.window()->currentScreen()->isVisible());
        QVERIFY(saveScreenshot(host.window(), u"refresh_choice"_s, u"window_with_choice"_s));
    }
};

QTEST_MAIN(TestRefreshChoiceScreens)
#include "tst_refresh_choice_screens.moc"
