// The main window and the screens it hosts besides zones, records and
// configuration: sidebar, dashboard, logs, tutorial, About, drawn icons, and
// saving on quit.

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "ScreenTestSupport.h"
#include "manager/ZoneStorage.h"
#include "platform/WebPageOpener.h"
#include "ui/AboutView.h"
#include "ui/AboutWindowController.h"
#include "ui/KorviApp.h"
#include "ui/LogsView.h"
#include "ui/Palette.h"
#include "ui/SidebarView.h"
#include "ui/StatusIndicator.h"
#include "ui/SymbolIcons.h"
#include "ui/TutorialSection.h"
#include "ui/TutorialView.h"
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

QStringList rowTexts(const QAbstractItemModel* model) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, 0).data().toString());
    return texts;
}

QList<DNSRecord> records(int count) {
    QList<DNSRecord> list;
    for (int i = 0; i < count; ++i)
        list.append(DNSRecord(QStringLiteral("host%1").arg(i), DNSRecordType::A,
                              QStringLiteral("192.0.2.%1").arg(i + 1), 3600));
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
        return m_logs->findChild<QListView*>(QStringLiteral("logsList"));
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
        ContentView* window = host.window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvi"));
        QCOMPARE(window->size(), QSize(1200, 800));
        QCOMPARE(screenOf(window), QStringLiteral("DashboardView"));
        auto* list = host.find<QListWidget>(QStringLiteral("sidebarList"));
        const QStringList titles{"Dashboard",   "Zone Management",
                                 "DNS Records", "Server Configuration",
                                 "Logs",        "Tutorial"};
        const QStringList screens{"DashboardView", "ZoneManagementView", "DNSRecordView",
                                  "DNSConfigView", "LogsView",           "TutorialView"};
        QCOMPARE(list->count(), titles.size());
        // Clicked from the last to the first, so every click changes the section.
        for (int tab = int(titles.size()) - 1; tab >= 0; --tab) {
            QCOMPARE(list->item(tab)->text(), titles[tab]);
            QVERIFY(!list->item(tab)->icon().isNull());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(tab)).center());
            QCOMPARE(window->selectedTab(), tab);
            QCOMPARE(screenOf(window), screens[tab]);
            QVERIFY(window->currentScreen()->isVisible());
            QCOMPARE(host.find<QWidget>(QStringLiteral("detailArea"))
                         ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)
                         .size(),
                     1);
        }
        // Sidebar between 200 and 250 wide, detail at least 600, also when shrunk.
        auto* sidebar = host.find<SidebarView>(QStringLiteral("sidebar"));
        auto* detail = host.find<QWidget>(QStringLiteral("detailArea"));
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
        row("not installed, MacPorts", ServerStatus::notInstalled, false, "MacPorts",
            "BIND Not Installed", NamedColor::orange, "Not Installed", "", false, "Install BIND",
            "Using MacPorts");
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
            QCOMPARE(labelText(host.window(), "installCaption"), installCaption);
        }
        auto* value = host.find<QLabel>(QStringLiteral("bindStatusValue"));
        QCOMPARE(value->text(), dashboardText);
        QCOMPARE(Typography::textColor(value), namedColor(color));
        QCOMPARE(shows(host.window(), "bindNotDetectedCaption"), !bindInstalled);
        QCOMPARE(labelText(host.window(), "bindNotDetectedCaption"),
                 QStringLiteral("BIND DNS server not detected"));
        auto* manager = host.find<QLabel>(QStringLiteral("packageManagerValue"));
        QCOMPARE(manager->text(), packageManager);
        const bool none = packageManager == QStringLiteral("None");
        QCOMPARE(Typography::textColor(manager),
                 namedColor(none ? NamedColor::red : NamedColor::green));
        QCOMPARE(shows(host.window(), "packageManagerCaption"), none);
        if (QTest::currentDataTag() == QLatin1String("running"))
            QVERIFY(saveScreenshot(host.window(), QStringLiteral("shell"),
                                   QStringLiteral("dashboard")));
    }

    // A zone that gains records is counted again; one dropped from the list is not.
    void dashboardCounts() {
        WindowHost host;
        QVERIFY(host.isReady());
        const auto zonesShown = [&] { return labelText(host.window(), "activeZonesValue"); };
        const auto recordsShown = [&] { return labelText(host.window(), "totalRecordsValue"); };
        QCOMPARE(zonesShown(), QStringLiteral("0"));
        auto first = ZonePtr::create(QStringLiteral("a.test"), QString());
        auto second = ZonePtr::create(QStringLiteral("b.test"), QString());
        auto third = ZonePtr::create(QStringLiteral("c.test"), QString());
        first->setRecords(records(2));
        third->setRecords(records(5));
        host.manager()->setZones({first, second, third});
        QCOMPARE(zonesShown(), QStringLiteral("3"));
        QCOMPARE(recordsShown(), QStringLiteral("7"));
        second->setRecords(records(4));
        QCOMPARE(recordsShown(), QStringLiteral("11"));
        host.manager()->setZones({first});
        second->setRecords(records(1));
        first->setRecords(records(3));
        QCOMPARE(recordsShown(), QStringLiteral("3"));
        QCOMPARE(zonesShown(), QStringLiteral("1"));
    }

    // The button acts on the status when pressed: start when stopped, stop when running.
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
    }

    void installButtonFollowsThePackageManager() {
        WindowHost host;
        QVERIFY(host.isReady());
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        host.manager()->setServerStatus(ServerStatus::notInstalled);
        host.manager()->setAvailablePackageManager(QStringLiteral("None"));
        click(host.window(), QStringLiteral("installButton"));
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://brew.sh"))});
        // MacPorts is not on this host: the installation says so.
        host.manager()->setAvailablePackageManager(QStringLiteral("MacPorts"));
        click(host.window(), QStringLiteral("installButton"));
        QTRY_VERIFY(!host.manager()
                         ->logs()
                         .filter(QStringLiteral("MacPorts executable not found at: "))
                         .isEmpty());
        QCOMPARE(opened.size(), 1);
        WebPageOpener::setHandler({});
    }

    // The dashboard's refresh detects package managers only; the toolbar's also reloads.
    void refreshes() {
        WindowHost host;
        QVERIFY(host.isReady());
        DNSServerManager* manager = host.manager();
        const QString detect = QStringLiteral("Refreshing package manager detection...");
        const QString reload =
            QStringLiteral("🔄 Refreshing zones and configuration from file system...");
        const QString homebrew = QStringLiteral("❌ Homebrew not found");
        const int before = logCount(*manager, homebrew);
        manager->setAvailablePackageManager(QStringLiteral("Homebrew"));
        click(host.window(), QStringLiteral("packageManagerRefreshButton"));
        QTRY_COMPARE(logCount(*manager, homebrew), before + 1);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ MacPorts not found")), before + 1);
        QCOMPARE(logCount(*manager, detect, LogLevel::info), 1);
        QCOMPARE(logCount(*manager, reload), 0);
        QTRY_COMPARE(labelText(host.window(), "packageManagerValue"), QStringLiteral("None"));

        QAction* refresh = host.window()->refreshAction();
        QCOMPARE(refresh->toolTip(),
                 QStringLiteral("Refresh system status and load BIND configuration"));
        refresh->trigger();
        QTRY_COMPARE(logCount(*manager, reload), 1);
        QCOMPARE(logCount(*manager, detect, LogLevel::info), 2);
        const QStringList messages = logMessages(*manager);
        QVERIFY(messages.indexOf(reload) > messages.lastIndexOf(detect));
        QTRY_COMPARE(logCount(*manager, homebrew), before + 2);
        QVERIFY(waitForDetections(*manager));
    }

    void aboutWindow_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no version") << ""
                                    << "Version 3.1";
        QTest::newRow("a version") << "4.0.2"
                                   << "Version 4.0.2";
    }

    // One About window, hidden on close and shown again, with the version and the web page.
    void aboutWindow() {
        QFETCH(QString, version);
        QFETCH(QString, shown);
        QCoreApplication::setApplicationVersion(version);
        WindowHost host;
        QVERIFY(host.isReady());
        QAction* about = host.window()->aboutAction();
        QCOMPARE(about->text(), QStringLiteral("About Korvi"));
        about->trigger();
        about->trigger();
        QWidget* window = AboutWindowController::shared()->window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("About Korvi"));
        QCOMPARE(window->size(), QSize(400, 500));
        // The shared window lives on; a new view reads the version when made.
        const AboutView view;
        QCOMPARE(labelText(&view, "versionLabel"), shown);
        QCOMPARE(labelText(window, "taglineLabel"), QStringLiteral("DNS Management Made Easy"));
        QVERIFY(!child<QLabel>(window, QStringLiteral("aboutIcon"))->pixmap().isNull());
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        click(window, QStringLiteral("websiteButton"));
        WebPageOpener::setHandler({});
        QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromLatin1(AboutView::webAddress()))});
        QVERIFY(saveScreenshot(window, QStringLiteral("shell"), QStringLiteral("about")));
        window->close();
        QVERIFY(!window->isVisible());
        about->trigger();
        QVERIFY(AboutWindowController::shared()->window() == window && window->isVisible());
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += widget->objectName() == QStringLiteral("aboutWindow");
        QCOMPARE(windows, 1);
        window->close();
    }

    void tutorialSections_data() {
        QTest::addColumn<QString>("listTitle");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("pageTitle");
        QTest::addColumn<QString>("text"); // one of the texts on the page
        const auto row = [](const char* list, const char* cls, const char* page, const char* text) {
            QTest::newRow(list) << list << QString::fromLatin1(cls) << page << text;
        };
        row("Introduction", "IntroductionSection", "Welcome to Korvi", "• macOS 13.0 or later");
        row("DNS Basics", "DNSBasicsSection", "DNS Fundamentals", "🌐 Domain Names");
        row("Korvi Overview", "KorviOverviewSection", "Korvi Application Overview",
            "• Built-in security and validation");
        row("Creating Zones", "CreatingZonesSection", "Creating DNS Zones",
            "Click 'Create Domain' to save the zone");
        row("Zone Settings", "ZoneSettingsSection", "Zone Settings & Configuration",
            "How often secondary servers check for updates (default: 3600 seconds)");
        row("Adding Records", "AddingRecordsSection", "Adding DNS Records",
            "Name: blog, Type: CNAME, Value: www.example.com.");
        row("Record Types", "RecordTypesSection", "DNS Record Types", "Service Records");
        row("Best Practices", "BestPracticesSection", "DNS Best Practices",
            "Long TTL (86400+ seconds)");
        row("Server Configuration", "ServerConfigurationSection", "Server Configuration",
            "• Quad9: 9.9.9.9, 149.112.112.112");
        row("Troubleshooting", "TroubleshootingSection", "Troubleshooting",
            "• Verify port 53 isn't in use: sudo lsof -i :53");
    }

    void tutorialSections() {
        QFETCH(QString, listTitle);
        QFETCH(QString, className);
        QFETCH(QString, pageTitle);
        QFETCH(QString, text);
        TutorialView view;
        showScreen(&view);
        auto* list = child<QListWidget>(&view, QStringLiteral("tutorialList"));
        QCOMPARE(view.currentSection()->title(), QStringLiteral("Welcome to Korvi"));
        QStringList headings;
        QListWidgetItem* item = nullptr;
        for (int row = 0; row < list->count(); ++row) {
            const bool selectable = list->item(row)->flags() & Qt::ItemIsSelectable;
            if (!selectable)
                headings.append(list->item(row)->text());
            else if (list->item(row)->text() == listTitle)
                item = list->item(row);
        }
        QCOMPARE(headings,
                 (QStringList{"Getting Started", "Managing Zones", "DNS Records", "Advanced"}));
        QVERIFY(item && !item->icon().isNull());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        TutorialSection* section = view.currentSection();
        QCOMPARE(QString::fromLatin1(section->metaObject()->className()),
                 QStringLiteral("korvi::") + className);
        QVERIFY(section->isVisible());
        QStringList shown;
        for (const QLabel* label : section->findChildren<QLabel*>())
            shown.append(label->text());
        QCOMPARE(shown.first(), pageTitle);
        QVERIFY2(shown.contains(text), qPrintable(text));
        QCOMPARE(view.findChildren<TutorialSection*>().size(), 1);
        if (listTitle == QStringLiteral("Creating Zones"))
            QVERIFY(saveScreenshot(&view, QStringLiteral("shell"), QStringLiteral("tutorial")));
    }

    // Empty panel until the first line; the list then mirrors the log; clear leaves one line.
    void logsEmptyFollowAndClear() {
        QListView* list = openLogs(false);
        QVERIFY(m_logManager->logs().isEmpty());
        QCOMPARE(logsPanel(), QStringLiteral("emptyLogsPanel"));
        QCOMPARE(labelText(m_logs.get(), "noLogsTitle"), QStringLiteral("No Logs Available"));
        QVERIFY(waitForDetections(*m_logManager));
        QCOMPARE(logsPanel(), QStringLiteral("logsPanel"));
        QCOMPARE(rowTexts(list->model()), m_logManager->logs());
        QVERIFY(QFontInfo(list->font()).fixedPitch());
        QVERIFY(saveScreenshot(m_logs.get(), QStringLiteral("shell"), QStringLiteral("logs")));
        click(m_logs.get(), QStringLiteral("clearLogsButton"));
        QTRY_COMPARE(list->model()->rowCount(), 1);
        const LogEntry entry = parseLogLine(rowTexts(list->model()).first());
        QCOMPARE(entry.level, std::optional<LogLevel>(LogLevel::info));
        QCOMPARE(entry.message, QStringLiteral("Application logs cleared by user"));
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
            m_logManager->addLog(QStringLiteral("filler %1").arg(i), LogLevel::debug);
        QTRY_COMPARE(list->model()->rowCount(), DNSServerManager::maximumLogLines);
        list->clearSelection();
        const QString kept = rowTexts(list->model()).at(10);
        list->selectionModel()->select(list->model()->index(10, 0), QItemSelectionModel::Select);
        for (int i = 0; i < 5; ++i)
            m_logManager->addLog(QStringLiteral("overflow %1").arg(i), LogLevel::info);
        QTRY_VERIFY(rowTexts(list->model()).last().endsWith(QStringLiteral("overflow 4")));
        QCOMPARE(rowTexts(list->model()), m_logManager->logs());
        QCOMPARE(m_logs->selectedText(), kept);
        QCOMPARE(list->selectionModel()->selectedRows().first().row(), 5);
    }

    // New lines never move the list: not at the top, the middle or the end.
    void logsDoNotScrollByThemselves() {
        QListView* list = openLogs(true);
        for (int i = 0; i < 120; ++i)
            m_logManager->addLog(QStringLiteral("line %1").arg(i), LogLevel::info);
        QScrollBar* bar = list->verticalScrollBar();
        QTRY_VERIFY(list->model()->rowCount() > 120 && bar->maximum() > 0);
        for (int position : {0, bar->maximum() / 2, bar->maximum()}) {
            bar->setValue(position);
            const int count = list->model()->rowCount();
            const int maximum = bar->maximum();
            m_logManager->addLog(QStringLiteral("one more"), LogLevel::info);
            QTRY_COMPARE(list->model()->rowCount(), count + 1);
            QTRY_VERIFY(bar->maximum() > maximum);
            QCOMPARE(bar->value(), position);
        }
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
        for (const SidebarView::Section& section : SidebarView::sections())
            names.append(section.symbol);
        for (const TutorialView::Entry& entry : TutorialView::entries())
            names.append(entry.symbol);
        names.append(knownSymbolNames());
        names.removeDuplicates();
        for (const QString& name : std::as_const(names))
            QTest::newRow(qPrintable(name)) << name;
    }

    // Known, drawn at every size as a mark (not a filled square), in the colour asked for,
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
    }

    // No two symbols look the same, and the unknown mark is none of them.
    void symbolsLookDifferent() {
        QHash<QByteArray, QString> seen;
        const auto bits = [](const QString& name) {
            const QImage image = render(symbolIcon(name), 32);
            return QByteArray(reinterpret_cast<const char*>(image.constBits()),
                              image.sizeInBytes());
        };
        QStringList names = knownSymbolNames();
        names.append(QStringLiteral("no.such.symbol"));
        for (const QString& name : std::as_const(names)) {
            QVERIFY2(!seen.contains(bits(name)), qPrintable(name + u' ' + seen.value(bits(name))));
            seen.insert(bits(name), name);
        }
        QVERIFY(ink(applicationIcon().pixmap(QSize(80, 80)).toImage()).first > 0.8);
    }

    // Closing the last window quits; the window waits for the manager's save first.
    void quittingSavesConfigurationAndZones() {
        QApplication::setQuitOnLastWindowClosed(false);
        KorviApp app(*qApp);
        QVERIFY(QApplication::quitOnLastWindowClosed());
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(KORVI_VERSION));
        WindowHost host;
        QVERIFY(host.isReady());
        host.manager()->setZones(
            {ZonePtr::create(QStringLiteral("quit.test"), QStringLiteral("db.quit.test"))});
        StdoutCapture capture(m_dir.filePath(QStringLiteral("stdout")));
        QTimer::singleShot(0, host.window(), &QWidget::close);
        QCOMPARE(QCoreApplication::exec(), 0);
        const QStringList lines = capture.finish();
        QVERIFY(lines.contains(QStringLiteral("🔄 App terminating, saving data...")));
        QVERIFY(lines.contains(QStringLiteral("🔍 Zones to save: [\"quit.test\"] (total: 1)")));
        QVERIFY(
            lines.contains(QStringLiteral("✅ 💾 Configuration and zones saved on app termination")));
        const std::optional<QByteArray> zones =
            PreferencesStore(host.preferencesPath()).data(ZoneStorage::savedZonesKey());
        QVERIFY(zones && zones->contains("\"quit.test\""));
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
