// The zone management screen with its new-domain form and delete
// confirmation, and the server configuration screen, driven through the real
// widgets.

#include <QCheckBox>
#include <QComboBox>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

#include "ScreenTestSupport.h"
#include "StdoutCapture.h"
#include "ui/configuration/DNSConfigView.h"
#include "ui/configuration/ForwarderPresetButton.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/Palette.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ZoneManagementView.h"
#include "ui/zones/ZoneRowDelegate.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::ServerStatus)

namespace {

ZonePtr zoneWithRecords(const QString& name, int records, const QString& directory) {
    auto zone = ZonePtr::create(name, directory + u"/db."_s + name);
    QList<DNSRecord> list;
    for (int i = 0; i < records; ++i)
        list.append(
            DNSRecord(u"host%1"_s.arg(i), DNSRecordType::A, u"192.0.2.%1"_s.arg(i + 1), 3600));
    zone->setRecords(list);
    return zone;
}

// Clicks the delete button drawn in a zone row.
void clickDelete(ZoneManagementView& view, int row) {
    const QRect rect = view.zoneList()->visualRect(view.zoneList()->model()->index(row, 0));
    clickRow(view.zoneList(), row, view.rowDelegate()->deleteButtonRect(rect).center());
}

// The texts of a configuration list's fields, in order.
QStringList fieldTexts(const QWidget* view, const QString& prefix) {
    QStringList texts;
    while (const auto* field =
               view->findChild<QLineEdit*>(prefix + u"Field"_s + QString::number(texts.size())))
        texts.append(field->text());
    return texts;
}

} // namespace

class ZoneScreensTest : public QObject {
    Q_OBJECT

    // Each test: a fresh host, its manager running, the zone screen shown.
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZoneManagementView* m_view = nullptr;

    // Opens the new-domain sheet from the screen's header button.
    AddZoneView* openSheet() {
        click(m_view, u"addDomainButton"_s);
        AddZoneView* sheet = m_view->addZoneSheet();
        if (sheet && !QTest::qWaitForWindowExposed(sheet))
            qWarning("the sheet was not shown");
        return sheet;
    }
    QLineEdit* nameField(AddZoneView* sheet) { return child<QLineEdit>(sheet, u"zoneNameField"_s); }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_manager = screenManager(m_dir->path(), ServerStatus::running);
        m_view = new ZoneManagementView(m_manager.get());
        showScreen(m_view);
    }
    void cleanup() {
        delete m_view;
        m_manager.reset();
        m_dir.reset();
    }

    void notRunningDisablesEverything_data() {
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<QString>("statusLine");
        QTest::newRow("stopped") << ServerStatus::stopped << "Current Status: Stopped";
        QTest::newRow("error") << ServerStatus::error << "Current Status: Error";
        QTest::newRow("not installed")
            << ServerStatus::notInstalled << "Current Status: Not Installed";
    }

    // Not running: nothing can be added or deleted; running again enables it all in place.
    void notRunningDisablesEverything() {
        QFETCH(ServerStatus, status);
        QFETCH(QString, statusLine);
        m_manager->setServerStatus(status);
        QVERIFY(shows(m_view, "stoppedBanner"));
        QCOMPARE(labelText(m_view, "stoppedBannerText"),
                 "Zone management is disabled. Start the BIND server to add, edit, or delete "
                 "domains.");
        QCOMPARE(labelText(m_view, "emptyMessageLabel"),
                 "BIND DNS Server must be running to manage domains");
        QCOMPARE(labelText(m_view, "emptyStatusLabel"), statusLine);
        QCOMPARE(labelText(m_view, "emptyHintLabel"),
                 "Start the BIND server from the sidebar to enable zone management");
        QVERIFY(!child<QPushButton>(m_view, u"emptyAddDomainButton"_s)->isEnabled());
        click(m_view, u"addDomainButton"_s);
        QVERIFY(!m_view->addZoneSheet());

        m_manager->setServerStatus(ServerStatus::running);
        QVERIFY(!shows(m_view, "stoppedBanner") && !shows(m_view, "emptyHintLabel"));
        QCOMPARE(labelText(m_view, "emptyMessageLabel"),
                 "Add your first domain to start managing DNS records");
        click(m_view, u"emptyAddDomainButton"_s);
        QTRY_VERIFY(m_view->addZoneSheet() && m_view->addZoneSheet()->isVisible());
        m_view->addZoneSheet()->reject();

        m_manager->setServerStatus(status);
        m_manager->setZones({zoneWithRecords(u"example.com"_s, 2, m_dir->path())});
        QVERIFY(!m_view->rowDelegate()->isBindRunning());
        clickDelete(*m_view, 0);
        QVERIFY(!m_view->deleteConfirmation());
        m_manager->setServerStatus(ServerStatus::running);
        QVERIFY(m_view->rowDelegate()->isBindRunning());
        QVERIFY(child<QPushButton>(m_view, u"addDomainButton"_s)->isEnabled());
    }

    void deleteConfirmation() {
        const ZonePtr first = zoneWithRecords(u"example.com"_s, 4, m_dir->path());
        m_manager->setZones({first, zoneWithRecords(u"example.org"_s, 1, m_dir->path())});
        QVERIFY(saveScreenshot(m_view, u"zones"_s, u"zone-list"_s));
        clickRow(m_view->zoneList(), 0); // elsewhere in the row: not a delete
        QVERIFY(!m_view->deleteConfirmation());
        clickDelete(*m_view, 0);
        QMessageBox* box = m_view->deleteConfirmation();
        QVERIFY(box);
        QTRY_VERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), "Delete Zone");
        QCOMPARE(box->text(), "Are you sure you want to delete the zone 'example.com'? This will "
                              "remove all 4 DNS records.");
        click(box, u"cancelDeleteButton"_s);
        QTRY_VERIFY(!m_view->deleteConfirmation());
        QCOMPARE(m_manager->zones().size(), 2);

        clickDelete(*m_view, 1);
        QTRY_VERIFY(m_view->deleteConfirmation());
        QVERIFY(
            m_view->deleteConfirmation()->text().endsWith("This will remove all 1 DNS records."));
        // The server counts as running: its reload (a stand-in here) is one of the
        // removal's steps.
        writeFile(m_dir->path(), u"bin/reload"_s, "#!/bin/sh\nexit 0\n");
        click(m_view->deleteConfirmation(), u"confirmDeleteButton"_s);
        QTRY_COMPARE(m_manager->zones(), QList<ZonePtr>{first});
        QTRY_COMPARE(
            logCount(*m_manager, u"Zone 'example.org' removed successfully"_s, LogLevel::info), 1);
        QCOMPARE(m_view->zoneList()->model()->rowCount(), 1);
    }

    void createButtonFollowsTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("line"); // written to the console on the way
        const auto row = [](const char* name, bool enabled, const char* line) {
            QTest::newRow(*name ? name : "emptied") << name << enabled << QString::fromUtf8(line);
        };
        row("example.com", true,
            "🔍 Button state changed - zoneName: 'example.com', isEmpty: false, isValid: true, "
            "disabled: false");
        row("my domain.com", false, "🔍 Basic fallback validation for 'my domain.com': false");
        // The fallback lets a name with "_" through; the zone cleans it later.
        row("my_zone.example.com", true,
            "🔍 Basic fallback validation for 'my_zone.example.com': true");
        row(".example.com", false, "🔍 Domain validation for '.example.com': false");
        row("localhost", true, "🔍 Domain validation for 'localhost': true");
        row("", false, "🔍 Button state - zoneName: '', isEmpty: true, isValid: false");
    }

    void createButtonFollowsTheName() {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        QFETCH(QString, line);
        AddZoneView* sheet = openSheet();
        QVERIFY(sheet);
        auto* create = child<QPushButton>(sheet, u"createButton"_s);
        QVERIFY(!create->isEnabled());
        StdoutCapture capture(m_dir->filePath(u"console.txt"_s));
        typeInto(nameField(sheet), name.isEmpty() ? u"x"_s : name);
        if (name.isEmpty())
            typeInto(nameField(sheet), QString());
        QVERIFY2(capture.finish().contains(line), qPrintable(line));
        QCOMPARE(create->isEnabled(), enabled);
        sheet->reject();
    }

    // The name fills the name server and e-mail until the name server is typed by hand.
    void soaFieldsFollowTheName() {
        AddZoneView* sheet = openSheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), "Add Domain");
        QCOMPARE(sheet->size(), QSize(600, 700));
        auto* name = nameField(sheet);
        auto* primary = child<QLineEdit>(sheet, u"primaryNameServerField"_s);
        auto* admin = child<QLineEdit>(sheet, u"adminEmailField"_s);
        QCOMPARE(labelText(sheet, "fileLocationLabel"),
                 m_manager->zoneDirectory() + "/db.[domain]");
        typeInto(name, u"example.com"_s);
        QCOMPARE(primary->text(), "ns1.example.com.");
        QCOMPARE(admin->text(), "admin.example.com.");
        QCOMPARE(labelText(sheet, "fileLocationLabel"),
                 m_manager->zoneDirectory() + "/db.example.com");
        QVERIFY(saveScreenshot(sheet, u"zones"_s, u"add-zone"_s));
        typeInto(primary, u"dns.example.org"_s);
        typeInto(name, u"example.net"_s);
        QCOMPARE(primary->text(), "dns.example.org");
        QCOMPARE(admin->text(), "admin.example.net.");
        // Cancel adds nothing, and the next sheet starts empty.
        const QPointer<AddZoneView> guard(sheet);
        StdoutCapture capture(m_dir->filePath(u"console.txt"_s));
        click(sheet, u"cancelButton"_s);
        QTRY_VERIFY(!guard);
        QVERIFY(capture.finish().contains("🚫 Cancel button pressed"));
        QVERIFY(m_manager->zones().isEmpty());
        sheet = openSheet();
        QVERIFY(sheet && nameField(sheet)->text().isEmpty());
        QVERIFY(child<QLineEdit>(sheet, u"primaryNameServerField"_s)->text().isEmpty());
        sheet->reject();
    }

    void createZone() {
        AddZoneView* sheet = openSheet();
        QVERIFY(sheet);
        const QPointer<AddZoneView> guard(sheet);
        typeInto(nameField(sheet), "example.com");
        // Without the trailing dot; outside the zone, so that the new zone needs no address
        // record for it (BIND's checker refuses an NS name inside the zone without one).
        typeInto(child<QLineEdit>(sheet, u"primaryNameServerField"_s), "dns1.example.net");
        writeFile(m_dir->path(), u"bin/reload"_s, "#!/bin/sh\nexit 0\n");
        StdoutCapture capture(m_dir->filePath(u"console.txt"_s));
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        click(sheet, u"createButton"_s);
        QVERIFY(m_manager->zones().isEmpty()); // added after the click has been handled
        QTRY_COMPARE(m_manager->zones().size(), 1);
        QTRY_VERIFY(!guard);
        const QStringList console = capture.finish();
        const ZonePtr zone = m_manager->zones().first();
        QCOMPARE(zone->name(), "example.com");
        QCOMPARE(zone->filePath(), m_manager->zoneDirectory() + u"/db.example.com"_s);
        QVERIFY(zone->soaRecord());
        const SOARecord& soa = *zone->soaRecord();
        QCOMPARE(soa.primaryNameServer, "dns1.example.net.");
        QCOMPARE(soa.adminEmail, "admin.example.com.");
        QVERIFY(soa.serial >= before && soa.serial <= QDateTime::currentSecsSinceEpoch());
        QCOMPARE((QList<qint64>{soa.refresh, soa.retry, soa.expire, soa.minimum}),
                 (QList<qint64>{3600, 1800, 1209600, 86400}));
        QCOMPARE(zone->records().size(), 1);
        const DNSRecord& ns = zone->records().first();
        QCOMPARE(ns.name, QString());
        QCOMPARE(ns.type, DNSRecordType::NS);
        QCOMPARE(ns.value, "dns1.example.net.");
        QCOMPARE(ns.ttl, 86400);
        QCOMPARE(m_manager->configuration()->zoneFiles().value(u"example.com"_s), "db.example.com");
        qsizetype at = -1;
        for (const char* line :
             {"🔘 Create Domain button pressed", "🔄 Starting zone creation for: 'example.com'",
              "✅ Validation passed, creating zone...", "✅ SOA record created", "✅ NS record added",
              "🔄 Adding zone to DNS manager...",
              "🔄 DNSServerManager.addZone() called for: 'example.com'",
              "✅ Zone added successfully, dismissing dialog"}) {
            const qsizetype next = console.indexOf(QString::fromUtf8(line), at + 1);
            QVERIFY2(next > at, line);
            at = next;
        }
        QCOMPARE(m_view->zoneList()->model()->rowCount(), 1);
    }

    void creationErrors_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: accepted
        const auto row = [](const char* tag, const char* name, const char* message) {
            QTest::newRow(tag) << name << message;
        };
        row("empty", "", "Domain name is required");
        row("bad format", "bad name.com",
            "Invalid domain name format. Please enter a valid domain like 'example.com'");
        row("taken", "example.com", "A zone for this domain already exists");
        row("taken in other case", "Example.com", "");
    }

    // A refused name keeps the form open with its input and adds nothing.
    void creationErrors() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_manager->setZones({zoneWithRecords(u"example.com"_s, 0, m_dir->path())});
        AddZoneView* sheet = openSheet();
        QVERIFY(sheet);
        typeInto(nameField(sheet), name);
        // A name server outside the zone: a new zone is checked whole before it is added.
        typeInto(child<QLineEdit>(sheet, u"primaryNameServerField"_s), "ns.example.net");
        writeFile(m_dir->path(), u"bin/reload"_s, "#!/bin/sh\nexit 0\n");
        sheet->createDomain(); // as Return does; the button is off for the first two
        if (message.isEmpty()) {
            QVERIFY(!sheet->errorAlert());
            QTRY_COMPARE(m_manager->zones().size(), 2);
            QCOMPARE(m_manager->zones().last()->name(), name);
            return;
        }
        QMessageBox* alert = sheet->errorAlert();
        QVERIFY(alert);
        QTRY_VERIFY(alert->isVisible());
        QCOMPARE(alert->windowTitle(), "Error Creating Zone");
        QCOMPARE(alert->text(), message);
        click(alert, u"errorOkButton"_s);
        QTRY_VERIFY(!sheet->errorAlert());
        QVERIFY(sheet->isVisible());
        QCOMPARE(nameField(sheet)->text(), name);
        QCOMPARE(m_manager->zones().size(), 1);
        sheet->reject();
    }

    // Every control of the configuration screen writes the manager's configuration in place.
    void configurationControlsEditInPlace() {
        DNSConfiguration* config = m_manager->configuration();
        DNSConfigView screen(m_manager.get());
        showScreen(&screen, QSize(1000, 1500));
        QVERIFY(saveScreenshot(&screen, u"config"_s, u"configuration"_s));
        auto* port = child<IntegerField>(&screen, u"listenPortField"_s);
        auto* level = child<QComboBox>(&screen, u"loggingLevelPicker"_s);
        QCOMPARE(port->value(), 53);
        QCOMPARE(level->currentText(), "Info");
        QCOMPARE(fieldTexts(&screen, u"listenAddresses"_s), (QStringList{"127.0.0.1", "::1"}));
        typeInto(port, u"5353"_s);
        QCOMPARE(config->listenPort(), 5353);
        click(&screen, u"recursionSwitch"_s);
        QCOMPARE(config->recursion(), false);
        click(&screen, u"dnssecSwitch"_s);
        QCOMPARE(config->enableDNSSEC(), true);
        level->setFocus();
        QTest::keyClick(level, Qt::Key_Down); // Info -> Debug
        QCOMPARE(config->loggingLevel(), "debug");

        // Lists: an edit writes its position; duplicates are allowed.
        typeInto(child<QLineEdit>(&screen, u"listenAddressesField1"_s), "::2");
        QCOMPARE(config->listenAddresses(), (QStringList{"127.0.0.1", "::2"}));
        click(&screen, u"listenAddressesRemove0"_s);
        QCOMPARE(fieldTexts(&screen, u"listenAddresses"_s), QStringList{"::2"});
        click(&screen, u"listenAddressesAddButton"_s);
        click(&screen, u"listenAddressesAddButton"_s);
        QCOMPARE(config->listenAddresses(), (QStringList{"::2", "127.0.0.1", "127.0.0.1"}));
        click(&screen, u"allowQueryAddButton"_s);
        QCOMPARE(config->allowQuery(), (QStringList{"any", "any"}));
        click(&screen, u"forwardersAddButton"_s);
        QCOMPARE(config->forwarders(), QStringList{"8.8.8.8"});
        click(&screen, u"forwardersRemove0"_s);
        QVERIFY(config->forwarders().isEmpty());
        QTRY_VERIFY(!screen.findChild<QLineEdit*>(u"forwardersField0"_s));
        QVERIFY(shows(&screen, "forwardersCaption") && shows(&screen, "forwardersAddButton"));
        // Presets add their servers, skipping those already there.
        for (const char* preset : {"Google", "Google", "Cloudflare", "Quad9", "OpenDNS"})
            click(&screen, u"preset"_s + QLatin1String(preset));
        QCOMPARE(fieldTexts(&screen, u"forwarders"_s),
                 (QStringList{"8.8.8.8", "8.8.4.4", "1.1.1.1", "1.0.0.1", "9.9.9.9",
                              "149.112.112.112", "208.67.222.222", "208.67.220.220"}));
        QCOMPARE(config->forwarders(), fieldTexts(&screen, u"forwarders"_s));

        // A change made elsewhere shows at once; a level none of the five shows no choice.
        config->setForwarders({u"192.0.2.1"_s});
        config->setListenPort(5300);
        config->setLoggingLevel(u"dynamic"_s);
        QCOMPARE(fieldTexts(&screen, u"forwarders"_s), QStringList{"192.0.2.1"});
        QCOMPARE(port->value(), 5300);
        QCOMPARE(level->currentIndex(), -1);
        QCOMPARE(ForwarderPresetButton::appliedTo({"8.8.4.4", "10.0.0.1"}, {"8.8.8.8", "8.8.4.4"}),
                 (QStringList{"8.8.4.4", "10.0.0.1", "8.8.8.8"}));
    }

    void configurationStatus() {
        for (const bool running : {true, false}) {
            m_manager->setServerStatus(running ? ServerStatus::running
                                               : ServerStatus::notInstalled);
            DNSConfigView screen(m_manager.get());
            showScreen(&screen);
            QCOMPARE(labelText(&screen, "statusLabel"),
                     running ? "BIND Server Status: Running" : "BIND Server Status: Not Installed");
            QCOMPARE(child<QLabel>(&screen, u"statusIcon"_s)->property("symbol").toString(),
                     running ? "checkmark.circle.fill" : "exclamationmark.triangle.fill");
            QCOMPARE(
                child<QLabel>(&screen, u"statusLabel"_s)->palette().color(QPalette::WindowText),
                namedColor(running ? NamedColor::green : NamedColor::orange));
            QCOMPARE(labelText(&screen, "statusHintLabel"),
                     running ? "Configuration changes will take effect after server reload"
                             : "Configuration changes will take effect when server starts");
            QCOMPARE(labelText(&screen, "infoLabel"),
                     running ? "Configuration changes are available immediately but require server "
                               "reload to take effect"
                             : "Configuration changes will be saved and applied when the server "
                               "starts");
            auto* reload = child<QPushButton>(&screen, u"reloadServerButton"_s);
            QCOMPARE(reload->text(), running ? "Reload Server" : "Reload Server (Disabled)");
            QCOMPARE(reload->isEnabled(), running);
            QVERIFY(child<QPushButton>(&screen, u"saveConfigurationButton"_s)->isEnabled());
        }
    }

    // Unsaved edits give way to what the file holds; what the file does not set stays.
    void reloadFromFile() {
        DNSConfigView screen(m_manager.get());
        showScreen(&screen);
        QVERIFY(!writeFile(m_dir->path(), u"etc/named.conf"_s,
                           "options {\n    listen-on port 5301 { 127.0.0.1; 192.0.2.1; };\n"
                           "    forwarders { 9.9.9.9; };\n    recursion no;\n};\n",
                           false)
                     .isEmpty());
        typeInto(child<IntegerField>(&screen, u"listenPortField"_s), "5353");
        click(&screen, u"forwardersAddButton"_s);
        click(&screen, u"reloadFromFileButton"_s);
        QTRY_COMPARE(fieldTexts(&screen, u"forwarders"_s), QStringList{"9.9.9.9"});
        QCOMPARE(fieldTexts(&screen, u"listenAddresses"_s),
                 (QStringList{"127.0.0.1", "192.0.2.1"}));
        QVERIFY(!child<QCheckBox>(&screen, u"recursionSwitch"_s)->isChecked());
        QCOMPARE(child<IntegerField>(&screen, u"listenPortField"_s)->text(), "5353");
    }
};

QTEST_MAIN(ZoneScreensTest)
#include "tst_zone_screens.moc"
