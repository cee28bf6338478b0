// The whole flow through the screens against a real named in a sandbox at a
// free high port: configuration saved, domain created, records added, edited
// and deleted, answers checked with dig; nothing is left running. Start and
// stop go through the manager's calls that the sidebar's button makes.

#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "SandboxServer.h"
#include "ScreenTestSupport.h"
#include "platform/TextFile.h"
#include "ui/configuration/DNSConfigView.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordsListView.h"
#include "ui/widgets/IntegerField.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ZoneManagementView.h"
#include "ui/zones/ZoneRowDelegate.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QString fileText(const QString& path) {
    return readTextFile(path).value_or(QString());
}

// The row of the record with this name in the records list, or -1.
int rowNamed(const RecordsListView* list, const QString& name) {
    const RecordListModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->recordAt(row).name == name)
            return row;
    }
    return -1;
}

} // namespace

class ScreensE2ETest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    SystemLayout m_layout;
    quint16 m_port = 0;

    // Adds a record through the add form, as typed by the user.
    void addRecord(DNSRecordView& records, const QString& name, const QString& value) {
        click(&records, u"addRecordButton"_s);
        AddRecordView* form = records.addRecordSheet();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        typeInto(child<QLineEdit>(form, u"nameField"_s), name);
        typeInto(child<QLineEdit>(form, u"valueField"_s), value);
        click(form, u"saveButton"_s);
        QTRY_VERIFY(!records.addRecordSheet());
    }

    // Opens the edit form of a record by clicking its row.
    EditRecordView* openRecord(DNSRecordView& records, const QString& name) {
        const int row = rowNamed(records.recordsList(), name);
        if (row < 0)
            return nullptr;
        clickRow(records.recordsList()->listView(), row);
        EditRecordView* form = records.editRecordSheet();
        if (form && !QTest::qWaitForWindowExposed(form))
            return nullptr;
        return form;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(isPlainPath(m_dir.path()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_dir.path(), m_port);
        QVERIFY(makeRndcKey(m_layout.rndcKeyPath)); // named.conf includes it
    }

    void cleanupTestCase() { stopServersOf(m_layout.namedConfigPath); }

    void wholeFlow() {
        auto manager = makeManager(m_dir.path(), m_layout);
        QVERIFY(waitForDetections(*manager));
        if (!manager->isBindInstalled())
            QSKIP("BIND is not installed");
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);

        ZoneManagementView zones(manager.get());
        DNSRecordView records(manager.get());
        DNSConfigView config(manager.get());
        for (QWidget* screen : std::initializer_list<QWidget*>{&zones, &records, &config})
            showScreen(screen);

        // The server's settings, saved from the configuration screen: the
        // sandbox's port, loopback only, no recursion.
        typeInto(child<IntegerField>(&config, u"listenPortField"_s), QString::number(m_port));
        click(&config, u"listenAddressesRemove1"_s); // "::1"
        click(&config, u"recursionSwitch"_s);
        QCOMPARE(manager->configuration()->listenPort(), m_port);
        QCOMPARE(manager->configuration()->listenAddresses(), QStringList{"127.0.0.1"});
        click(&config, u"saveConfigurationButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(fileText(m_layout.namedConfigPath)
                                     .contains(u"listen-on port %1 { 127.0.0.1; };"_s.arg(m_port)),
                                 10000);

        // Start, as the sidebar's button does.
        manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::running, 15000);
        QCOMPARE(serversOf(m_layout.namedConfigPath).size(), 1);
        QVERIFY(child<QPushButton>(&zones, u"addDomainButton"_s)->isEnabled());

        // The domain, from the new-domain form.
        click(&zones, u"addDomainButton"_s);
        AddZoneView* sheet = zones.addZoneSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        typeInto(child<QLineEdit>(sheet, u"zoneNameField"_s), u"example.com"_s);
        // A name server outside the zone: the zone is checked whole before it is added, and a
        // server inside it would need its address record from the start.
        typeInto(child<QLineEdit>(sheet, u"primaryNameServerField"_s), u"ns.example.net"_s);
        click(sheet, u"createButton"_s);
        QTRY_VERIFY(!zones.addZoneSheet());
        QTRY_COMPARE_WITH_TIMEOUT(manager->zones().size(), 1, 10000);
        const ZonePtr zone = manager->zones().first();
        QCOMPARE(zone->filePath(), m_layout.zoneDirectory + u"/db.example.com"_s);
        QTRY_VERIFY_WITH_TIMEOUT(
            fileText(m_layout.namedConfigPath).contains(u"zone \"example.com\""_s), 10000);

        // Records, from the add form; then www changed in the edit form.
        // The records screen was open before the domain existed: choose it.
        clickRow(records.zoneList(), 0);
        QCOMPARE(records.selectedZone(), zone);
        addRecord(records, u"ns1"_s, u"192.0.2.53"_s);
        addRecord(records, u"www"_s, u"192.0.2.10"_s);
        QTRY_COMPARE_WITH_TIMEOUT(zone->records().size(), 3, 10000); // once the file has them
        EditRecordView* edit = openRecord(records, u"www"_s);
        QVERIFY(edit);
        typeInto(child<QLineEdit>(edit, u"valueField"_s), u"192.0.2.20"_s);
        click(edit, u"saveButton"_s);
        QTRY_VERIFY(!records.editRecordSheet());
        QTRY_COMPARE_WITH_TIMEOUT(zone->records().at(2).value, "192.0.2.20", 10000);
        // The zone file is written once BIND's checker has accepted it.
        QTRY_VERIFY_WITH_TIMEOUT(fileText(zone->filePath()).contains(u"192.0.2.20"_s), 10000);

        // "Reload Server", then the server answers with the new address.
        click(&config, u"reloadServerButton"_s);
        QTRY_COMPARE_WITH_TIMEOUT(dig(m_port, u"www.example.com"_s), u"192.0.2.20"_s, 5000);
        QCOMPARE(dig(m_port, u"ns1.example.com"_s), u"192.0.2.53"_s);

        // "Delete Record": gone from the zone, the file and, after a reload,
        // from the server's answers.
        edit = openRecord(records, u"www"_s);
        QVERIFY(edit);
        click(edit, u"deleteRecordButton"_s);
        QTRY_VERIFY(!records.editRecordSheet());
        QTRY_COMPARE_WITH_TIMEOUT(rowNamed(records.recordsList(), u"www"_s), -1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!fileText(zone->filePath()).contains(u"www"_s), 10000);
        click(&config, u"reloadServerButton"_s);
        QTRY_COMPARE_WITH_TIMEOUT(dig(m_port, u"www.example.com"_s), QString(), 5000);
        QCOMPARE(dig(m_port, u"ns1.example.com"_s), u"192.0.2.53"_s);

        // The domain, through its confirmation.
        QListView* list = zones.zoneList();
        const QRect row = list->visualRect(list->model()->index(0, 0));
        clickRow(list, 0, zones.rowDelegate()->deleteButtonRect(row).center());
        QMessageBox* confirmation = zones.deleteConfirmation();
        QVERIFY(confirmation);
        QVERIFY(confirmation->text().contains(u"'example.com'"_s));
        click(confirmation, u"confirmDeleteButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(manager->zones().isEmpty(), 10000);
        QVERIFY(!QFileInfo::exists(zone->filePath()));
        QTRY_VERIFY_WITH_TIMEOUT(!fileText(m_layout.namedConfigPath).contains(u"example.com"_s),
                                 10000);

        // Stop, as the sidebar's button does: nothing of the test runs on.
        manager->stopServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager->serverStatus(), ServerStatus::stopped, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(serversOf(m_layout.namedConfigPath).isEmpty(), 10000);
        QVERIFY(!child<QPushButton>(&config, u"reloadServerButton"_s)->isEnabled());
    }
};

QTEST_MAIN(ScreensE2ETest)
#include "tst_screens_e2e.moc"
