// The main window's menu bar and keys: the desktop's standard keys reach the
// screen they are meant for, the section keys choose sections, and
// "Keyboard Shortcuts" lists what the menus actually hold.

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeWidget>
#include <QtTest>

#include "ScreenTestSupport.h"
#include "ui/AboutWindowController.h"
#include "ui/SidebarView.h"
#include "ui/WindowActions.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/RecordsListView.h"
#include "ui/zones/ZoneManagementView.h"

using namespace korvi;
using namespace korvi::test;
using namespace Qt::StringLiterals;

namespace {

ZonePtr sampleZone(const QString& directory) {
    auto zone = ZonePtr::create(u"example.com"_s, directory + u"/db.example.com"_s);
    zone->setRecords({DNSRecord(u""_s, DNSRecordType::NS, u"ns1.example.com."_s, 3600),
                      DNSRecord(u"ns1"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600),
                      DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.10"_s, 3600)});
    return zone;
}

// The first key of an action, pressed where the focus is in the window.
void press(MainWindow* window, const QKeySequence& key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, key[0].key(), key[0].keyboardModifiers());
}

QString screenName(const MainWindow* window) {
    return window->currentScreen()->property("korviScreen").toString();
}

} // namespace

class WindowKeysTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHost> m_host;

    MainWindow* openWindow(ServerStatus status) {
        m_host = std::make_unique<WindowHost>();
        if (!m_host->isReady())
            return nullptr;
        m_host->manager()->setServerStatus(status);
        m_host->manager()->setZones({sampleZone(m_host->manager()->zoneDirectory())});
        m_host->window()->activateWindow();
        if (!QTest::qWaitForWindowActive(m_host->window()))
            return nullptr;
        return m_host->window();
    }

    DNSRecordView* openRecords(MainWindow* window) {
        window->setSelectedSection(Section::dnsRecords);
        auto* records = qobject_cast<DNSRecordView*>(window->currentScreen());
        if (records)
            records->selectZone(m_host->manager()->zones().first()->id());
        return records;
    }

private Q_SLOTS:
    void cleanup() { m_host.reset(); }

    // File, Edit, View and Help, in that order, in the window's menu bar.
    void menuBarHoldsTheFourMenus() {
        MainWindow* window = openWindow(ServerStatus::stopped);
        QVERIFY(window);
        QStringList titles;
        for (QAction* menu : window->menuBar()->actions())
            titles.append(menu->text());
        QCOMPARE(titles, QStringList({u"&File"_s, u"&Edit"_s, u"&View"_s, u"&Help"_s}));
        const WindowActions* actions = window->windowActions();
        QCOMPARE(actions->aboutAction(), window->aboutAction());
        QCOMPARE(actions->aboutAction()->menuRole(), QAction::AboutRole);
        QCOMPARE(actions->quitAction()->menuRole(), QAction::QuitRole);
        QCOMPARE(actions->preferencesAction()->menuRole(), QAction::PreferencesRole);
        QVERIFY(actions->menus().at(2)->actions().contains(window->refreshAction()));
    }

    void keysGoToTheirSection_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("screen");
        const QStringList screens = {
            u"DashboardView"_s, u"ZoneManagementView"_s, u"DNSRecordView"_s,
            u"DNSConfigView"_s, u"SecondariesView"_s,    u"LogsView"_s,
            u"HistoryView"_s,   u"LookupView"_s,         u"TutorialView"_s};
        QCOMPARE(screens.size(), sectionCount);
        for (int i = 0; i < sectionCount; ++i) {
            QTest::newRow(qPrintable(u"Ctrl+%1"_s.arg(i + 1)))
                << QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)) << i << screens.at(i);
        }
        QTest::newRow("help contents")
            << WindowActions::standardKeys(QKeySequence::HelpContents).value(0)
            << int(Section::tutorial) << u"TutorialView"_s;
        QTest::newRow("preferences")
            << WindowActions::standardKeys(QKeySequence::Preferences,
                                           QKeySequence(Qt::CTRL | Qt::Key_Comma))
                   .value(0)
            << int(Section::serverConfiguration) << u"DNSConfigView"_s;
    }

    // Ctrl+1 to Ctrl+8 choose the sections in the sidebar's order; F1 opens
    // the tutorial and the preferences key the server configuration. The
    // View menu ticks the section shown.
    void keysGoToTheirSection() {
        QFETCH(QKeySequence, key);
        QFETCH(int, section);
        QFETCH(QString, screen);
        MainWindow* window = openWindow(ServerStatus::stopped);
        QVERIFY(window);
        // Start away from the target, so that the key has to move.
        window->setSelectedSection(section == 0 ? Section::logs : Section::dashboard);
        QVERIFY(!key.isEmpty());
        press(window, key);
        QCOMPARE(int(window->selectedSection()), section);
        QCOMPARE(screenName(window), screen);
        QVERIFY(window->windowActions()->sectionAction(Section(section))->isChecked());
    }

    void newMakesAZoneOrARecord_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("opens");
        QTest::newRow("dashboard, running")
            << int(Section::dashboard) << true << u"ZoneManagementView"_s << true;
        QTest::newRow("dashboard, stopped")
            << int(Section::dashboard) << false << u"ZoneManagementView"_s << false;
        QTest::newRow("zones, running")
            << int(Section::zoneManagement) << true << u"ZoneManagementView"_s << true;
        QTest::newRow("records, running")
            << int(Section::dnsRecords) << true << u"DNSRecordView"_s << true;
        QTest::newRow("records, stopped")
            << int(Section::dnsRecords) << false << u"DNSRecordView"_s << false;
    }

    // New adds a record on the records screen and a zone everywhere else,
    // only while the server runs, as the screens' own buttons do.
    void newMakesAZoneOrARecord() {
        QFETCH(int, from);
        QFETCH(bool, running);
        QFETCH(QString, screen);
        QFETCH(bool, opens);
        MainWindow* window = openWindow(running ? ServerStatus::running : ServerStatus::stopped);
        QVERIFY(window);
        if (Section(from) == Section::dnsRecords)
            QVERIFY(openRecords(window));
        else
            window->setSelectedSection(Section(from));
        QAction* newAction = window->windowActions()->newAction();
        QCOMPARE(newAction->text(),
                 screen == u"DNSRecordView"_s ? u"New Record…"_s : u"New Zone…"_s);
        press(window, newAction->shortcut());
        QCOMPARE(screenName(window), screen);
        QDialog* sheet = nullptr;
        if (auto* records = qobject_cast<DNSRecordView*>(window->currentScreen()))
            sheet = records->addRecordSheet();
        else if (auto* zones = qobject_cast<ZoneManagementView*>(window->currentScreen()))
            sheet = zones->addZoneSheet();
        QCOMPARE(sheet != nullptr, opens);
        if (sheet) {
            saveScreenshot(sheet, u"desktop"_s, u"keys-new-"_s + screen);
            sheet->reject();
        }
    }

    // Find moves to the records' search field, in the window as on the
    // screen alone: the window's key does not leave the screen's key
    // claiming the same key.
    void findGoesToTheSearchField() {
        MainWindow* window = openWindow(ServerStatus::running);
        QVERIFY(window);
        QVERIFY(!window->windowActions()->findAction()->isEnabled());
        DNSRecordView* records = openRecords(window);
        QVERIFY(records);
        QVERIFY(window->windowActions()->findAction()->isEnabled());
        auto* search = child<QLineEdit>(records, u"searchField"_s);
        QListView* cards = records->recordsList()->listView();
        cards->setFocus();
        QVERIFY(!search->hasFocus());
        press(window, window->windowActions()->findAction()->shortcut());
        QVERIFY(search->hasFocus());
    }

    // Delete, from the menu or the key in a record view, asks about the
    // selected records; in the search field the key edits the text.
    void deleteAsksAboutTheSelection() {
        MainWindow* window = openWindow(ServerStatus::running);
        QVERIFY(window);
        DNSRecordView* records = openRecords(window);
        QVERIFY(records);
        QAction* remove = window->windowActions()->deleteAction();
        QVERIFY(remove->isEnabled());
        QListView* cards = records->recordsList()->listView();
        cards->setFocus();
        cards->setCurrentIndex(cards->model()->index(1, 0));
        remove->trigger();
        QVERIFY(records->deleteConfirmation());
        click(records->deleteConfirmation(), u"cancelDeleteButton"_s);
        QTRY_VERIFY(!records->deleteConfirmation());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        cards->setFocus();
        QTest::keyClick(cards, Qt::Key_Delete);
        QVERIFY(records->deleteConfirmation());
        click(records->deleteConfirmation(), u"cancelDeleteButton"_s);
        QTRY_VERIFY(!records->deleteConfirmation());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        auto* search = child<QLineEdit>(records, u"searchField"_s);
        typeInto(search, u"ww"_s);
        QTest::keyClick(search, Qt::Key_Home);
        QTest::keyClick(search, Qt::Key_Delete);
        QCOMPARE(search->text(), u"w"_s);
        QVERIFY(!records->deleteConfirmation());

        window->setSelectedSection(Section::logs);
        QVERIFY(!remove->isEnabled());
    }

    // Copy from the menu copies what the focused field has selected.
    void copyTakesTheFocusedSelection() {
        MainWindow* window = openWindow(ServerStatus::running);
        QVERIFY(window);
        DNSRecordView* records = openRecords(window);
        QVERIFY(records);
        auto* search = child<QLineEdit>(records, u"searchField"_s);
        typeInto(search, u"www"_s);
        search->selectAll();
        QApplication::clipboard()->setText(u"before"_s);
        window->windowActions()->copyAction()->trigger();
        QCOMPARE(QApplication::clipboard()->text(), u"www"_s);
    }

    // The About window closes with the close-window key and stays for next time.
    void aboutClosesWithTheCloseKey() {
        MainWindow* window = openWindow(ServerStatus::stopped);
        QVERIFY(window);
        window->aboutAction()->trigger();
        QWidget* about = AboutWindowController::shared()->window();
        QVERIFY(about && about->isVisible());
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        const QKeySequence close = QKeySequence(QKeySequence::Close);
        QTest::keyClick(about, close[0].key(), close[0].keyboardModifiers());
        QTRY_VERIFY(!about->isVisible());
        QCOMPARE(AboutWindowController::shared()->window(), about);
    }

    // The quit key starts closing the window, which saves and quits.
    void quitKeyClosesTheWindow() {
        MainWindow* window = openWindow(ServerStatus::stopped);
        QVERIFY(window);
        QVERIFY(!window->hasPostedTermination());
        press(window, window->windowActions()->quitAction()->shortcut());
        QVERIFY(window->hasPostedTermination());
        QTRY_VERIFY(!window->isVisible());
    }

    // Every menu command with a key is listed with its keys as the platform
    // writes them, menu by menu; a command added to a menu shows up too, and
    // commands without a key are left out.
    void shortcutsWindowListsTheMenus() {
        MainWindow* window = openWindow(ServerStatus::stopped);
        QVERIFY(window);
        WindowActions* actions = window->windowActions();
        QAction* extra = actions->menus().last()->addAction(u"Probe Command"_s);
        extra->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
        actions->shortcutsAction()->trigger();
        ShortcutsDialog* dialog = actions->shortcutsDialog();
        QVERIFY(dialog && dialog->isVisible());
        QTreeWidget* list = dialog->list();

        QHash<QString, QString> listed; // action text → keys
        QStringList headings;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* heading = list->topLevelItem(i);
            headings.append(heading->text(0));
            for (int j = 0; j < heading->childCount(); ++j)
                listed.insert(heading->child(j)->text(0), heading->child(j)->text(1));
        }
        QCOMPARE(headings, QStringList({u"File"_s, u"Edit"_s, u"View"_s, u"Help"_s}));
        int withKeys = 0;
        for (QMenu* menu : actions->menus()) {
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                if (action->shortcuts().isEmpty()) {
                    QVERIFY2(!listed.contains(action->text()), qPrintable(action->text()));
                    continue;
                }
                ++withKeys;
                QStringList keys;
                for (const QKeySequence& key : action->shortcuts())
                    keys.append(key.toString(QKeySequence::NativeText));
                QCOMPARE(listed.value(action->text()), keys.join(u", "_s));
            }
        }
        QCOMPARE(listed.size(), withKeys);
        QCOMPARE(listed.value(u"Probe Command"_s),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P).toString(QKeySequence::NativeText));
        QCOMPARE(listed.value(u"Keyboard Shortcuts"_s, u"absent"_s), u"absent"_s);
        QVERIFY(listed.contains(u"Dashboard"_s));
        saveScreenshot(dialog, u"desktop"_s, u"keyboard-shortcuts"_s);

        // The close-window key closes it.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        const QKeySequence close = QKeySequence(QKeySequence::Close);
        QTest::keyClick(dialog, close[0].key(), close[0].keyboardModifiers());
        QTRY_VERIFY(!actions->shortcutsDialog());
    }
};

QTEST_MAIN(WindowKeysTest)
#include "tst_window_keys.moc"
