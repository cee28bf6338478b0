// The main window: launch state, the sidebar's status and controls for every
// server state, the toolbar refresh, the About window, the screens of the
// sections, redrawing on the manager's changes, and saving on quit.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>

#include "StdoutCapture.h"
#include "WindowTestSupport.h"
#include "manager/DNSServerManager.h"
#include "manager/ZoneStorage.h"
#include "platform/WebPageOpener.h"
#include "ui/AboutWindowController.h"
#include "ui/KorviApp.h"
#include "ui/Palette.h"
#include "ui/SidebarView.h"
#include "ui/StatusIndicator.h"
#include "ui/Typography.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::ServerStatus)
Q_DECLARE_METATYPE(korvi::NamedColor)

namespace {

QString screenOf(const ContentView* window) {
    return window->currentScreen() ? window->currentScreen()->property("korviScreen").toString()
                                   : QString();
}

void clickSection(ContentView* window, int tab) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("sidebarList"));
    const QRect rect = list->visualItemRect(list->item(tab));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchShowsTheDashboard() {
        WindowHost host;
        QVERIFY(host.isReady());
        ContentView* window = host.window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvi"));
        QCOMPARE(window->size(), QSize(1200, 800));
        QCOMPARE(window->selectedTab(), 0);
        QCOMPARE(screenOf(window), QStringLiteral("DashboardView"));

        auto* list = host.find<QListWidget>(QStringLiteral("sidebarList"));
        QStringList titles;
        for (int row = 0; row < list->count(); ++row) {
            titles.append(list->item(row)->text());
            QVERIFY(!list->item(row)->icon().isNull());
        }
        QCOMPARE(titles, (QStringList{"Dashboard", "Zone Management", "DNS Records",
                                      "Server Configuration", "Logs", "Tutorial"}));
        QCOMPARE(list->currentRow(), 0);

        // Sidebar between 200 and 250 wide, detail at least 600.
        auto* sidebar = host.find<SidebarView>(QStringLiteral("sidebar"));
        auto* detail = host.find<QWidget>(QStringLiteral("detailArea"));
        QVERIFY(sidebar->width() >= 200 && sidebar->width() <= 250);
        QVERIFY(detail->width() >= 600);
        window->resize(500, 400);
        QVERIFY(window->width() >= 800);
        QVERIFY(sidebar->width() >= 200 && detail->width() >= 600);
    }

    void sidebarFollowsTheServer_data() {
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<bool>("bindInstalled");
        QTest::addColumn<QString>("packageManager");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<NamedColor>("color");
        QTest::addColumn<QString>("dashboardText");
        QTest::addColumn<QString>("serverButton"); // empty: not shown
        QTest::addColumn<bool>("serverEnabled");
        QTest::addColumn<QString>("installButton"); // empty: not shown
        QTest::addColumn<QString>("installCaption");

        QTest::newRow("not installed, no package manager")
            << ServerStatus::notInstalled << false << "None"
            << "BIND Not Installed" << NamedColor::orange << "Not Installed"
            << "" << false << "Install Package Manager"
            << "Homebrew or MacPorts required";
        QTest::newRow("not installed, MacPorts")
            << ServerStatus::notInstalled << false << "MacPorts"
            << "BIND Not Installed" << NamedColor::orange << "Not Installed"
            << "" << false << "Install BIND"
            << "Using MacPorts";
        QTest::newRow("not installed, APT")
            << ServerStatus::notInstalled << false << "APT"
            << "BIND Not Installed" << NamedColor::orange << "Not Installed"
            << "" << false << "Install BIND"
            << "Using APT";
        QTest::newRow("error") << ServerStatus::error << true << "Homebrew"
                               << "Server Error" << NamedColor::red << "Error"
                               << "Start Server" << true << ""
                               << "";
        QTest::newRow("running, BIND not installed")
            << ServerStatus::running << false << "None"
            << "Server Running" << NamedColor::green << "Running"
            << "Stop Server" << false << ""
            << "";
        QTest::newRow("running") << ServerStatus::running << true << "None"
                                 << "Server Running" << NamedColor::green << "Running"
                                 << "Stop Server" << true << ""
                                 << "";
        QTest::newRow("stopped") << ServerStatus::stopped << true << "None"
                                 << "Server Stopped" << NamedColor::red << "Stopped"
                                 << "Start Server" << true << ""
                                 << "";
        QTest::newRow("unknown") << ServerStatus::unknown << false << "None"
                                 << "Status Unknown" << NamedColor::gray << "Unknown"
                                 << "Start Server" << false << ""
                                 << "";
    }

    // The test only changes the manager's fields: the sidebar and the
    // dashboard redraw by themselves.
    void sidebarFollowsTheServer() {
        QFETCH(ServerStatus, status);
        QFETCH(bool, bindInstalled);
        QFETCH(QString, packageManager);
        QFETCH(QString, statusText);
        QFETCH(NamedColor, color);
        QFETCH(QString, dashboardText);
        QFETCH(QString, serverButton);
        QFETCH(bool, serverEnabled);
        QFETCH(QString, installButton);
        QFETCH(QString, installCaption);

        WindowHost host;
        QVERIFY(host.isReady());
        DNSServerManager* manager = host.manager();
        manager->setBindInstalled(bindInstalled);
        manager->setAvailablePackageManager(packageManager);
        manager->setServerStatus(status);

        QCOMPARE(host.find<QLabel>(QStringLiteral("statusText"))->text(), statusText);
        QCOMPARE(host.find<StatusIndicator>(QStringLiteral("statusIndicator"))->color(),
                 namedColor(color));
        auto* server = host.find<QPushButton>(QStringLiteral("serverButton"));
        QCOMPARE(server->isVisible(), !serverButton.isEmpty());
        if (!serverButton.isEmpty()) {
            QCOMPARE(server->text(), serverButton);
            QCOMPARE(server->isEnabled(), serverEnabled);
        }
        auto* install = host.find<QPushButton>(QStringLiteral("installButton"));
        QCOMPARE(install->isVisible(), !installButton.isEmpty());
        if (!installButton.isEmpty()) {
            QCOMPARE(install->text(), installButton);
            QCOMPARE(host.find<QLabel>(QStringLiteral("installCaption"))->text(), installCaption);
        }

        auto* value = host.find<QLabel>(QStringLiteral("bindStatusValue"));
        QCOMPARE(value->text(), dashboardText);
        QCOMPARE(Typography::textColor(value), namedColor(color));
        QCOMPARE(host.find<QLabel>(QStringLiteral("bindNotDetectedCaption"))->isVisible(),
                 !bindInstalled);
        QCOMPARE(host.find<QLabel>(QStringLiteral("packageManagerValue"))->text(), packageManager);
        saveScreenshot(
            host.window(), QStringLiteral("shell"),
            QStringLiteral("sidebar-") +
                QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-').remove(u','));
    }

    // The button acts on the status at the moment it is pressed: start when
    // stopped, stop when running (the layout's commands are scripts here).
    void serverButtonStartsAndStops() {
        WindowHost host;
        QVERIFY(host.isReady());
        writeFile(host.root(), QStringLiteral("bin/start-first"), "#!/bin/sh\nexit 0\n");
        writeFile(host.root(), QStringLiteral("bin/stop-first"), "#!/bin/sh\nexit 0\n");
        DNSServerManager* manager = host.manager();
        manager->setBindInstalled(true);
        manager->setServerStatus(ServerStatus::stopped);
        auto* button = host.find<QPushButton>(QStringLiteral("serverButton"));

        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QCOMPARE(logCount(*manager, QStringLiteral("DNS server started successfully")), 1);
        QCOMPARE(button->text(), QStringLiteral("Stop Server"));

        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QCOMPARE(logCount(*manager, QStringLiteral("DNS server stopped successfully")), 1);
        QCOMPARE(button->text(), QStringLiteral("Start Server"));
    }

    void installButtonFollowsThePackageManager() {
        WindowHost host;
        QVERIFY(host.isReady());
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        DNSServerManager* manager = host.manager();
        manager->setServerStatus(ServerStatus::notInstalled);
        auto* install = host.find<QPushButton>(QStringLiteral("installButton"));

        manager->setAvailablePackageManager(QStringLiteral("None"));
        QTest::mouseClick(install, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://brew.sh"))});

        // MacPorts is not on this host: the installation reports that.
        manager->setAvailablePackageManager(QStringLiteral("MacPorts"));
        QTest::mouseClick(install, Qt::LeftButton);
        QTRY_VERIFY(!manager->logs()
                         .filter(QStringLiteral("MacPorts executable not found at: "))
                         .isEmpty());
        QCOMPARE(opened.size(), 1);
        WebPageOpener::setHandler({});
    }

    void toolbarRefreshRunsItsCallsInOrder() {
        WindowHost host;
        QVERIFY(host.isReady());
        QAction* refresh = host.window()->refreshAction();
        QCOMPARE(refresh->toolTip(),
                 QStringLiteral("Refresh system status and load BIND configuration"));
        QVERIFY(!refresh->icon().isNull());
        DNSServerManager* manager = host.manager();
        const int homebrewBefore = logCount(*manager, QStringLiteral("❌ Homebrew not found"));

        refresh->trigger();
        QTRY_VERIFY(logIndex(*manager, QStringLiteral("Refreshing package manager detection...")) >=
                    0);
        const qsizetype first =
            logIndex(*manager, QStringLiteral("Refreshing package manager detection..."));
        const qsizetype reload = logIndex(
            *manager, QStringLiteral("🔄 Refreshing zones and configuration from file system..."));
        QVERIFY(reload > first);
        QCOMPARE(logCount(*manager, QStringLiteral("Refreshing package manager detection..."),
                          LogLevel::info),
                 1);
        // The detections report later, after the refresh has returned.
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ Homebrew not found")),
                     homebrewBefore + 1);
        QTRY_VERIFY(waitForDetections(*manager));
    }

    void aboutOpensOneWindow() {
        WindowHost host;
        QVERIFY(host.isReady());
        const auto aboutWindows = [] {
            int count = 0;
            for (QWidget* widget : QApplication::topLevelWidgets())
                count += widget->objectName() == QStringLiteral("aboutWindow");
            return count;
        };
        QAction* about = host.window()->aboutAction();
        QCOMPARE(about->text(), QStringLiteral("About Korvi"));
        about->trigger();
        about->trigger();
        QCOMPARE(aboutWindows(), 1);
        QWidget* window = AboutWindowController::shared()->window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("About Korvi"));
        QCOMPARE(window->size(), QSize(400, 500));
        saveScreenshot(window, QStringLiteral("shell"), QStringLiteral("about"));

        // Closing hides it; the same window comes back.
        window->close();
        QVERIFY(!window->isVisible());
        QVERIFY(AboutWindowController::shared()->window() == window);
        about->trigger();
        QVERIFY(window->isVisible());
        QCOMPARE(aboutWindows(), 1);
        window->close();
    }

    void sectionsShowTheirScreens_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("screen");
        const QStringList screens{"DashboardView", "ZoneManagementView", "DNSRecordView",
                                  "DNSConfigView", "LogsView",           "TutorialView"};
        for (int tab = 0; tab < screens.size(); ++tab)
            QTest::addRow("%d %s", tab, qPrintable(screens[tab])) << tab << screens[tab];
    }

    void sectionsShowTheirScreens() {
        QFETCH(int, tab);
        QFETCH(QString, screen);
        WindowHost host;
        QVERIFY(host.isReady());
        // From another section, so that the click really changes it.
        host.window()->setSelectedTab(tab == 5 ? 4 : 5);
        clickSection(host.window(), tab);
        QCOMPARE(host.window()->selectedTab(), tab);
        QCOMPARE(screenOf(host.window()), screen);
        QVERIFY(host.window()->currentScreen()->isVisible());
        // Only the chosen screen is in the detail area.
        QCOMPARE(host.find<QWidget>(QStringLiteral("detailArea"))
                     ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
                     .size(),
                 1);
        QVERIFY(saveScreenshot(host.window(), QStringLiteral("shell"),
                               QStringLiteral("section-%1-%2").arg(tab).arg(screen)));
    }

    // Zones, and records inside them, and the log: changes reach the screens
    // through the manager's signals alone.
    void screensRedrawOnChanges() {
        WindowHost host;
        QVERIFY(host.isReady());
        DNSServerManager* manager = host.manager();
        auto* zones = host.find<QLabel>(QStringLiteral("activeZonesValue"));
        auto* records = host.find<QLabel>(QStringLiteral("totalRecordsValue"));
        QCOMPARE(zones->text(), QStringLiteral("0"));

        auto zone =
            ZonePtr::create(QStringLiteral("example.test"), QStringLiteral("db.example.test"));
        manager->setZones({zone});
        QCOMPARE(zones->text(), QStringLiteral("1"));
        QCOMPARE(records->text(), QStringLiteral("0"));
        zone->setRecords({DNSRecord(QStringLiteral("www"), DNSRecordType::A,
                                    QStringLiteral("192.0.2.1"), 3600)});
        QCOMPARE(records->text(), QStringLiteral("1"));

        manager->setAvailablePackageManager(QStringLiteral("Homebrew"));
        QCOMPARE(host.find<QLabel>(QStringLiteral("packageManagerValue"))->text(),
                 QStringLiteral("Homebrew"));
        manager->setServerStatus(ServerStatus::running);
        QCOMPARE(host.find<QLabel>(QStringLiteral("statusText"))->text(),
                 QStringLiteral("Server Running"));

        host.window()->setSelectedTab(4);
        auto* list = host.find<QListView>(QStringLiteral("logsList"));
        const int rows = list->model()->rowCount();
        manager->addLog(QStringLiteral("a line for the logs screen"), LogLevel::info);
        QTRY_COMPARE(list->model()->rowCount(), rows + 1);
        QVERIFY(list->model()->index(rows, 0).data().toString().endsWith(
            QStringLiteral("a line for the logs screen")));
    }

    // Closing the last window quits; on the way out the manager saves the
    // configuration and the zones.
    void quittingSavesConfigurationAndZones() {
        QApplication::setQuitOnLastWindowClosed(false);
        KorviApp app(*qApp);
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Korvi"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(KORVI_VERSION));

        WindowHost host;
        QVERIFY(host.isReady());
        const ZonePtr zone =
            ZonePtr::create(QStringLiteral("quit.test"), QStringLiteral("db.quit.test"));
        host.manager()->setZones(QList<ZonePtr>{zone});
        QTemporaryDir output;
        StdoutCapture capture(output.filePath(QStringLiteral("stdout")));
        QTimer::singleShot(0, host.window(), &QWidget::close);
        QCOMPARE(QCoreApplication::exec(), 0);
        const QStringList lines = capture.finish();

        QVERIFY(lines.contains(QStringLiteral("🔄 App terminating, saving data...")));
        QVERIFY(lines.contains(QStringLiteral("🔍 Zones to save: [\"quit.test\"] (total: 1)")));
        QVERIFY(
            lines.contains(QStringLiteral("✅ 💾 Configuration and zones saved on app termination")));
        PreferencesStore stored(host.preferencesPath());
        const std::optional<QByteArray> zones = stored.data(ZoneStorage::savedZonesKey());
        QVERIFY(zones.has_value());
        QVERIFY(zones->contains("\"quit.test\""));
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
