// The main window and the screens it hosts besides zones, records and
// configuration: sidebar, dashboard, logs, tutorial, About, drawn icons, and
// saving on quit.

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "ScreenTestSupport.h"
#include "StoredZones.h"
#include "manager/ZoneStorage.h"
#include "platform/WebPageOpener.h"
#include "ui/AboutView.h"
#include "ui/AboutWindowController.h"
#include "ui/KorviApp.h"
#include "ui/SidebarView.h"
#include "ui/dashboard/StatusIndicator.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/logs/LogsView.h"
#include "ui/tutorial/TutorialSection.h"
#include "ui/tutorial/TutorialView.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/Typography.h"

using namespace korvi;

namespace {

// Runs a function when its object receives an event of one type.
class EventWatcher : public QObject {
public:
    EventWatcher(QEvent::Type type, std::function<void()> onEvent)
        : m_type(type), m_onEvent(std::move(onEvent)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type)
            m_onEvent();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_onEvent;
};

} // namespace
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::ServerStatus)
Q_DECLARE_METATYPE(korvi::NamedColor)

namespace {

QString screenOf(const MainWindow* window) {
    return window->currentScreen() ? window->currentScreen()->property("korviScreen").toString()
                                   : QString();
}

QStringList rowTexts(const QAbstractItemModel* model) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, 0).data().toString());
    return texts;
}

QList<DNSRecord> records(int count) {
    QList<DNSRecord> list;
    for (int i = 0; i < count; ++i)
        list.append(
            DNSRecord(u"host%1"_s.arg(i), DNSRecordType::A, u"192.0.2.%1"_s.arg(i + 1), 3600));
    return list;
}

QImage render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Share of the image's pixels painted at all, and the strongest alpha.
std::pair<double, int> ink(const QImage& image) {
    int painted = 0;
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            painted += qAlpha(image.pixel(x, y)) > 0;
            strongest = qMax(strongest, qAlpha(image.pixel(x, y)));
        }
    return {double(painted) / (image.width() * image.height()), strongest};
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_logManager;
    std::unique_ptr<LogsView> m_logs;

    // A logs screen on a fresh manager, opened before or after its detections.
    QListView* openLogs(bool afterDetections) {
        m_logs.reset();
        m_logManager = makeManager(m_dir.path(), isolatedLayout(m_dir.path()));
        if (afterDetections && !waitForDetections(*m_logManager))
            qWarning("start-up detections did not report in time");
        m_logs = std::make_unique<LogsView>(m_logManager.get());
        m_logs->resize(800, 500);
        m_logs->show();
        return m_logs->findChild<QListView*>(u"logsList"_s);
    }
    QString logsPanel() const {
        return m_logs->findChild<QStackedWidget*>()->currentWidget()->objectName();
    }

private Q_SLOTS:
    void cleanup() {
        m_logs.reset();
        m_logManager.reset();
    }

    void launchAndSections() {
        WindowHost host;
        QVERIFY(host.isReady());
        MainWindow* window = host.window();
        QCOMPARE(window->windowTitle(), u"Korvi"_s);
        QCOMPARE(window->size(), QSize(1200, 800));
        QCOMPARE(screenOf(window), u"DashboardView"_s);
        auto* list = host.find<QListWidget>(u"sidebarList"_s);
        // clang-format off
        const QStringList titles{"Dashboard",   "Zone Management",
                                 "DNS Records", "Server Configuration",
                                 "Secondaries", "Logs", "History",
                                 "Lookup", "Tutorial"};
        const QStringList screens{"DashboardView", "ZoneManagementView", "DNSRecordView",
                                  "DNSConfigView", "SecondariesView", "LogsView", "HistoryView",
                                  "LookupView", "TutorialView"};
        // clang-format on
        QCOMPARE(list->count(), titles.size());
        // Clicked from the last to the first, so every click changes the section.
        for (int tab = int(titles.size()) - 1; tab >= 0; --tab) {
            QCOMPARE(list->item(tab)->text(), titles[tab]);
            QVERIFY(!list->item(tab)->icon().isNull());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(tab)).center());
            QCOMPARE(window->selectedSection(), Section(tab));
            QCOMPARE(screenOf(window), screens[tab]);
            QVERIFY(window->currentScreen()->isVisible());
            QCOMPARE(host.find<QWidget>(u"detailArea"_s)
                         ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
                         .size(),
                     1);
        }
        // Sidebar between 200 and 250 wide, detail at least 600, also when shrunk.
        auto* sidebar = host.find<SidebarView>(u"sidebar"_s);
        auto* detail = host.find<QWidget>(u"detailArea"_s);
        window->resize(500, 400);
        QVERIFY(sidebar->width() >= 200 && sidebar->width() <= 250 && detail->width() >= 600);
    }

    void sidebarAndDashboardFollowTheServer_data() {
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
        const auto row = [](const char* tag, ServerStatus status, bool installed, const char* pm,
                            const char* text, NamedColor color, const char* dashboard,
                            const char* server, bool enabled, const char* install,
                            const char* caption) {
            QTest::newRow(tag) << status << installed << QString::fromLatin1(pm)
                               << QString::fromLatin1(text) << color
                               << QString::fromLatin1(dashboard) << QString::fromLatin1(server)
                               << enabled << QString::fromLatin1(install)
                               << QString::fromLatin1(caption);
        };
        row("not installed, none", ServerStatus::notInstalled, false, "None", "BIND Not Installed",
            NamedColor::orange, "Not Installed", "", false, "Install Package Manager",
            "Homebrew or MacPorts required");
        row("not installed, APT", ServerStatus::notInstalled, false, "APT", "BIND Not Installed",
            NamedColor::orange, "Not Installed", "", false, "Install BIND", "Using APT");
        row("error", ServerStatus::error, true, "Homebrew", "Server Error", NamedColor::red,
            "Error", "Start Server", true, "", "");
        row("running, not installed", ServerStatus::running, false, "None", "Server Running",
            NamedColor::green, "Running", "Stop Server", false, "", "");
        row("running", ServerStatus::running, true, "None", "Server Running", NamedColor::green,
            "Running", "Stop Server", true, "", "");
        row("stopped", ServerStatus::stopped, true, "None", "Server Stopped", NamedColor::red,
            "Stopped", "Start Server", true, "", "");
        row("unknown", ServerStatus::unknown, false, "None", "Status Unknown", NamedColor::gray,
            "Unknown", "Start Server", false, "", "");
    }

    // Only the manager's fields change: sidebar and dashboard redraw by themselves.
    void sidebarAndDashboardFollowTheServer() {
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
        host.manager()->setBindInstalled(bindInstalled);
        host.manager()->setAvailablePackageManager(packageManager);
        host.manager()->setServerStatus(status);

        QCOMPARE(labelText(host.window(), "statusText"), statusText);
        QCOMPARE(host.find<StatusIndicator>(u"statusIndicator"_s)->color(), namedColor(color));
        auto* server = host.find<QPushButton>(u"serverButton"_s);
        QCOMPARE(server->isVisible(), !serverButton.isEmpty());
        if (!serverButton.isEmpty()) {
            QCOMPARE(server->text(), serverButton);
            QCOMPARE(server->isEnabled(), serverEnabled);
        }
        auto* install = host.find<QPushButton>(u"installButton"_s);
        QCOMPARE(install->isVisible(), !installButton.isEmpty());
        if (!installButton.isEmpty()) {
            QCOMPARE(install->text(), installButton);
            QCOMPARE(labelText(host.window(), "installCaption"), installCaption);
        }
        auto* value = host.find<QLabel>(u"bindStatusValue"_s);
        QCOMPARE(value->text(), dashboardText);
        QCOMPARE(Typography::textColor(value), namedColor(color));
        QCOMPARE(shows(host.window(), "bindNotDetectedCaption"), !bindInstalled);
        QCOMPARE(labelText(host.window(), "bindNotDetectedCaption"),
                 u"BIND DNS server not detected"_s);
        auto* manager = host.find<QLabel>(u"packageManagerValue"_s);
        QCOMPARE(manager->text(), packageManager);
        const bool none = packageManager == u"None"_s;
        QCOMPARE(Typography::textColor(manager),
                 namedColor(none ? NamedColor::red : NamedColor::green));
        QCOMPARE(shows(host.window(), "packageManagerCaption"), none);
        if (QTest::currentDataTag() == QLatin1String("running"))
            QVERIFY(saveScreenshot(host.window(), u"shell"_s, u"dashboard"_s));
    }

    // A zone that gains records is counted again; one dropped from the list is not.
    void dashboardCounts() {
        WindowHost host;
        QVERIFY(host.isReady());
        const auto zonesShown = [&] { return labelText(host.window(), "activeZonesValue"); };
        const auto recordsShown = [&] { return labelText(host.window(), "totalRecordsValue"); };
        QCOMPARE(zonesShown(), u"0"_s);
        auto first = ZonePtr::create(u"a.test"_s, QString());
        auto second = ZonePtr::create(u"b.test"_s, QString());
        auto third = ZonePtr::create(u"c.test"_s, QString());
        first->setRecords(records(2));
        third->setRecords(records(5));
        host.manager()->setZones({first, second, third});
        QCOMPARE(zonesShown(), u"3"_s);
        QCOMPARE(recordsShown(), u"7"_s);
        second->setRecords(records(4));
        QCOMPARE(recordsShown(), u"11"_s);
        host.manager()->setZones({first});
        second->setRecords(records(1));
        first->setRecords(records(3));
        QCOMPARE(recordsShown(), u"3"_s);
        QCOMPARE(zonesShown(), u"1"_s);
    }

    // The server button acts on the status when pressed; the install button on the manager.
    void sidebarButtonsAct() {
        WindowHost host;
        QVERIFY(host.isReady());
        writeFile(host.root(), u"bin/start-first"_s, "#!/bin/sh\nexit 0\n");
        writeFile(host.root(), u"bin/stop-first"_s, "#!/bin/sh\nexit 0\n");
        DNSServerManager* manager = host.manager();
        manager->setBindInstalled(true);
        manager->setServerStatus(ServerStatus::stopped);
        click(host.window(), u"serverButton"_s);
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::running);
        QTRY_COMPARE(logCount(*manager, u"DNS server started successfully"_s), 1);
        click(host.window(), u"serverButton"_s);
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(logCount(*manager, u"DNS server stopped successfully"_s), 1);

        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        manager->setServerStatus(ServerStatus::notInstalled);
        manager->setAvailablePackageManager(u"None"_s);
        click(host.window(), u"installButton"_s);
        QCOMPARE(opened, QList<QUrl>{QUrl(u"https://brew.sh"_s)});
        manager->setAvailablePackageManager(u"MacPorts"_s); // not on this host
        click(host.window(), u"installButton"_s);
        QTRY_COMPARE(manager->logs().filter(u"MacPorts executable not found at: "_s).size(), 1);
        QCOMPARE(opened.size(), 1);
        WebPageOpener::setHandler({});
    }

    // The dashboard's refresh detects package managers only; the toolbar's also reloads.
    void refreshes() {
        WindowHost host;
        QVERIFY(host.isReady());
        DNSServerManager* manager = host.manager();
        const QString detect = u"Refreshing package manager detection..."_s;
        const QString reload = u"🔄 Refreshing zones and configuration from file system..."_s;
        const QString homebrew = u"❌ Homebrew not found"_s;
        const int before = logCount(*manager, homebrew);
        manager->setAvailablePackageManager(u"Homebrew"_s);
        click(host.window(), u"packageManagerRefreshButton"_s);
        QTRY_COMPARE(logCount(*manager, homebrew), before + 1);
        QTRY_COMPARE(logCount(*manager, u"❌ MacPorts not found"_s), before + 1);
        QCOMPARE(logCount(*manager, detect, LogLevel::info), 1);
        QCOMPARE(logCount(*manager, reload), 0);
        QTRY_COMPARE(labelText(host.window(), "packageManagerValue"), u"None"_s);

        QAction* refresh = host.window()->refreshAction();
        QCOMPARE(refresh->toolTip(), u"Refresh system status and load BIND configuration"_s);
        refresh->trigger();
        QTRY_COMPARE(logCount(*manager, reload), 1);
        QCOMPARE(logCount(*manager, detect, LogLevel::info), 2);
        const QStringList messages = logMessages(*manager);
        QVERIFY(messages.indexOf(reload) > messages.lastIndexOf(detect));
        QTRY_COMPARE(logCount(*manager, homebrew), before + 2);
        QVERIFY(waitForDetections(*manager));
    }

    // One About window, hidden on close and shown again, with the version and the web page.
    void aboutWindow() {
        WindowHost host;
        QVERIFY(host.isReady());
        QAction* about = host.window()->aboutAction();
        QCOMPARE(about->text(), u"About Korvi"_s);
        about->trigger();
        about->trigger();
        QWidget* window = AboutWindowController::shared()->window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->size(), QSize(400, 500));
        for (const char* version : {"", "4.0.2"}) { // read when a view is made; 3.1 when none
            QCoreApplication::setApplicationVersion(QLatin1String(version));
            const AboutView view;
            QCOMPARE(labelText(&view, "versionLabel"),
                     u"Version "_s + (*version ? version : "3.1"));
        }
        QCOMPARE(labelText(window, "taglineLabel"), u"DNS Management Made Easy"_s);
        QVERIFY(!child<QLabel>(window, u"aboutIcon"_s)->pixmap().isNull());
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        click(window, u"websiteButton"_s);
        WebPageOpener::setHandler({});
        QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromLatin1(AboutView::webAddress()))});
        QVERIFY(saveScreenshot(window, u"shell"_s, u"about"_s));
        window->close();
        QVERIFY(!window->isVisible());
        about->trigger();
        QVERIFY(AboutWindowController::shared()->window() == window && window->isVisible());
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += widget->objectName() == u"aboutWindow"_s;
        QCOMPARE(windows, 1);
        window->close();
    }

    // Four headings over ten sections; each click shows its one section, title first.
    void tutorialSections() {
        TutorialView view;
        showScreen(&view);
        QCOMPARE(view.currentSection()->title(), u"Welcome to Korvi"_s);
        const QList<std::array<const char*, 3>> pages{
            {"Introduction", "IntroductionSection", "Welcome to Korvi"},
            {"DNS Basics", "DNSBasicsSection", "DNS Fundamentals"},
            {"Korvi Overview", "KorviOverviewSection", "Korvi Application Overview"},
            {"Creating Zones", "CreatingZonesSection", "Creating DNS Zones"},
            {"Zone Settings", "ZoneSettingsSection", "Zone Settings & Configuration"},
            {"Adding Records", "AddingRecordsSection", "Adding DNS Records"},
            {"Record Types", "RecordTypesSection", "DNS Record Types"},
            {"Best Practices", "BestPracticesSection", "DNS Best Practices"},
            {"Server Configuration", "ServerConfigurationSection", "Server Configuration"},
            {"Troubleshooting", "TroubleshootingSection", "Troubleshooting"}};
        auto* list = child<QListWidget>(&view, u"tutorialList"_s);
        QStringList headings;
        QList<QListWidgetItem*> items;
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->flags() & Qt::ItemIsSelectable)
                items.append(list->item(row));
            else
                headings.append(list->item(row)->text());
        }
        QCOMPARE(headings,
                 (QStringList{"Getting Started", "Managing Zones", "DNS Records", "Advanced"}));
        QCOMPARE(items.size(), pages.size());
        for (int i = int(pages.size()) - 1; i >= 0; --i) {
            QCOMPARE(items[i]->text(), QString::fromUtf8(pages[i][0]));
            QVERIFY(!items[i]->icon().isNull());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(items[i]).center());
            TutorialSection* section = view.currentSection();
            QCOMPARE(section->metaObject()->className(), "korvi::" + QByteArray(pages[i][1]));
            QVERIFY(section->isVisible() && view.findChildren<TutorialSection*>().size() == 1);
            QCOMPARE(section->findChild<QLabel*>()->text(), QString::fromUtf8(pages[i][2]));
        }
        QVERIFY(saveScreenshot(&view, u"shell"_s, u"tutorial"_s));
    }

    // Empty panel until the first line; the list then mirrors the log; clear leaves one line.
    void logsEmptyFollowAndClear() {
        QListView* list = openLogs(false);
        QVERIFY(m_logManager->logs().isEmpty());
        QCOMPARE(logsPanel(), u"emptyLogsPanel"_s);
        QCOMPARE(labelText(m_logs.get(), "noLogsTitle"), u"No Logs Available"_s);
        QVERIFY(waitForDetections(*m_logManager));
        QCOMPARE(logsPanel(), u"logsPanel"_s);
        QCOMPARE(rowTexts(list->model()), m_logManager->logs());
        QVERIFY(QFontInfo(list->font()).fixedPitch());
        QVERIFY(saveScreenshot(m_logs.get(), u"shell"_s, u"logs"_s));
        click(m_logs.get(), u"clearLogsButton"_s);
        QTRY_COMPARE(list->model()->rowCount(), 1);
        const LogEntry entry = parseLogLine(rowTexts(list->model()).first());
        QCOMPARE(entry.level, std::optional<LogLevel>(LogLevel::info));
        QCOMPARE(entry.message, u"Application logs cleared by user"_s);
    }

    // At the log's size each new line pushes the oldest out; the selection stays on its line.
    void logsAtFullSizeAndCopy() {
        QListView* list = openLogs(true);
        const QStringList start = rowTexts(list->model());
        QVERIFY(start.size() >= 4);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(3, 0)).center());
        QApplication::clipboard()->clear();
        list->setFocus();
        QTest::keySequence(list, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), start[1] + u'\n' + start[3]);

        for (int i = int(start.size()); i < DNSServerManager::maximumLogLines; ++i)
            m_logManager->addLog(u"filler %1"_s.arg(i), LogLevel::debug);
        QTRY_COMPARE(list->model()->rowCount(), DNSServerManager::maximumLogLines);
        list->clearSelection();
        const QString kept = rowTexts(list->model()).at(10);
        list->selectionModel()->select(list->model()->index(10, 0), QItemSelectionModel::Select);
        for (int i = 0; i < 5; ++i)
            m_logManager->addLog(u"overflow %1"_s.arg(i), LogLevel::info);
        QTRY_VERIFY(rowTexts(list->model()).last().endsWith(u"overflow 4"_s));
        QCOMPARE(rowTexts(list->model()), m_logManager->logs());
        QCOMPARE(m_logs->selectedText(), kept);
        QCOMPARE(list->selectionModel()->selectedRows().first().row(), 5);
    }

    void symbols_data() {
        QTest::addColumn<QString>("name");
        // Every symbol the screens name must have a drawing; an unknown name gets a generic mark.
        QStringList names =
            QStringLiteral("gauge folder doc.text gearshape doc.plaintext book.fill "
                           "arrow.clockwise server.rack shippingbox.fill folder.badge.gear "
                           "doc.text.fill plus exclamationmark.triangle.fill "
                           "globe.badge.chevron.backward doc trash folder.badge.plus "
                           "magnifyingglass doc.text.badge.plus pencil checkmark.circle.fill "
                           "minus.circle.fill plus.circle.fill info.circle 1.circle.fill "
                           "2.circle.fill 3.circle.fill gearshape.fill "
                           "list.bullet.circle.fill checkmark.shield.fill "
                           "wrench.and.screwdriver.fill globe network")
                .split(u' ');
        for (const SidebarView::SectionEntry& section : SidebarView::sections())
            names.append(section.symbol);
        for (const TutorialView::Entry& entry : TutorialView::entries())
            names.append(entry.symbol);
        names.append(knownSymbolNames());
        names.removeDuplicates();
        for (const QString& name : std::as_const(names))
            QTest::newRow(qPrintable(name)) << name;
    }

    // Known and drawn at every size as a mark (not a filled square), in the colour asked for,
    // crisp at double density, and faded when disabled.
    void symbols() {
        QFETCH(QString, name);
        QVERIFY(knownSymbolNames().contains(name));
        const QIcon icon = symbolIcon(name, namedColor(NamedColor::blue));
        for (int size : {12, 24, 64}) {
            const QImage image = render(icon, size);
            QCOMPARE(image.size(), QSize(size, size));
            const double share = ink(image).first;
            QVERIFY2(share > 0.04 && share < 0.9, qPrintable(QString::number(share)));
        }
        const QImage image = render(icon, 64);
        bool blue = false;
        for (int y = 0; y < 64 && !blue; ++y)
            for (int x = 0; x < 64 && !blue; ++x)
                blue = image.pixelColor(x, y) == namedColor(NamedColor::blue);
        QVERIFY(blue);
        QCOMPARE(icon.pixmap(QSize(20, 20), 2.0).size(), QSize(40, 40));
        const int strongest = ink(render(icon, 32, QIcon::Disabled)).second;
        QVERIFY(strongest > 0 && strongest < 128);
        // Its own drawing, not the generic mark of an unknown name.
        QVERIFY(image != render(symbolIcon(u"no.such.symbol"_s, namedColor(NamedColor::blue)), 64));
    }

    // Closing the last window quits; the window waits for the manager's save first.
    void quittingSavesConfigurationAndZones() {
        QApplication::setQuitOnLastWindowClosed(false);
        KorviApp app(*qApp);
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(KORVI_VERSION));
        QTemporaryDir dir;
        makeHostFolders(dir.path());
        const QString preferences = dir.filePath(u"prefs.ini"_s);
        MainWindow* window = app.openMainWindow(isolatedLayout(dir.path()),
                                                std::make_shared<PreferencesStore>(preferences));
        QVERIFY(waitForDetections(*window->dnsManager()));
        const ZonePtr quitting = ZonePtr::create(u"quit.test"_s, u"db.quit.test"_s);
        window->dnsManager()->setZones({quitting});
        StdoutCapture capture(dir.filePath(u"stdout"_s));
        QTimer::singleShot(0, window, &QWidget::close);
        QCOMPARE(QCoreApplication::exec(), 0);
        const QStringList lines = capture.finish();
        QCOMPARE(lines.count(u"🔄 App terminating, saving data..."_s), 1);
        QVERIFY(lines.contains(u"✅ 💾 Configuration saved on app termination"_s));
        // The zone was handed to the database when it was set; its write is reported (and on
        // disk) without anything more from the quit.
        QVERIFY(waitForStorage(*window->dnsManager()));
        const auto stored = readStoredZones(dir.filePath(u"data"_s));
        QVERIFY(stored && stored->size() == 1 && stored->first().zone.name == u"quit.test"_s);
        // The window closed only once the checked named.conf was on disk.
        QVERIFY(readFile(dir.filePath(u"etc/named.conf"_s)).contains("options {"));
    }

    // Quit waits for its own named.conf save. An older save still in its check when the window
    // is closed may end first (here the stand-in checker takes its time over the newest text
    // only); the window must stay until the save that quitting started has written.
    void quitWaitsForItsOwnSave() {
        QApplication::setQuitOnLastWindowClosed(false);
        QTemporaryDir dir;
        makeHostFolders(dir.path());
        SystemLayout layout = isolatedLayout(dir.path());
        writeFile(dir.path(), u"fakebin/named-checkconf"_s,
                  "#!/bin/sh\nfor copy; do :; done\n"
                  "if grep -q newest.test \"$copy\"; then sleep 1.5; fi\nexit 0\n");
        layout.commandSearchPath = dir.filePath(u"fakebin"_s) + u":/usr/bin:/bin"_s;
        DNSServerManager manager(layout,
                                 std::make_shared<PreferencesStore>(dir.filePath(u"prefs.ini"_s)));
        QVERIFY(waitForDetections(manager));
        MainWindow window(&manager);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // What named.conf holds at the moment the window goes, and which saves had ended.
        QList<SaveId> ended;
        connect(&manager, &DNSServerManager::configurationSaveFinished, this,
                [&ended](SaveId id, bool) { ended.append(id); });
        std::optional<QByteArray> atClose;
        QList<SaveId> endedAtClose;
        EventWatcher watcher(QEvent::Hide, [&] {
            atClose = readFile(layout.namedConfigPath);
            endedAtClose = ended;
        });
        window.installEventFilter(&watcher);

        const SaveId older = manager.saveConfiguration();
        manager.configuration()->setZoneFile(u"newest.test"_s, u"db.newest.test"_s);
        window.close();
        QVERIFY(window.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(atClose.has_value(), 15000);
        const SaveId own = manager.terminationSaveId();
        QVERIFY(own != 0 && own != older);
        // The race happened: the older save had ended before the window went ...
        QVERIFY(endedAtClose.contains(older));
        QCOMPARE(endedAtClose.last(), own);
        // ... and the window went only once the newest named.conf was on disk.
        QVERIFY2(atClose->contains("\"newest.test\""), atClose->constData());
        QApplication::setQuitOnLastWindowClosed(true);
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
