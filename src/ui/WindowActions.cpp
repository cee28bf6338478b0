#include "ui/WindowActions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "manager/DNSServerManager.h"
#include "ui/AboutWindowController.h"
#include "ui/MainWindow.h"
#include "ui/ShortcutsDialog.h"
#include "ui/SidebarView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/zones/ZoneManagementView.h"

namespace korvi {

QList<QKeySequence> WindowActions::standardKeys(QKeySequence::StandardKey key,
                                                const QKeySequence& fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty() && !fallback.isEmpty())
        keys.append(fallback);
    return keys;
}

WindowActions::WindowActions(MainWindow* window, QAction* refresh, QMenuBar* menuBar)
    : QObject(window), m_window(window) {
    buildFileMenu(menuBar);
    buildEditMenu(menuBar);
    buildViewMenu(menuBar, refresh);
    buildHelpMenu(menuBar);
}

QAction* WindowActions::addAction(QMenu* menu, const QString& text, const QString& name,
                                  const QList<QKeySequence>& keys) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcuts(keys);
    // The menu lives in the main window: its keys work wherever the focus is
    // in that window, not in the About or shortcuts windows.
    action->setShortcutContext(Qt::WindowShortcut);
    m_window->addAction(action);
    return action;
}

void WindowActions::buildFileMenu(QMenuBar* menuBar) {
    QMenu* menu = menuBar->addMenu(tr("&File"));
    menu->setObjectName(QStringLiteral("fileMenu"));
    m_menus.append(menu);
    m_new = addAction(menu, tr("New Zone…"), QStringLiteral("newAction"),
                      standardKeys(QKeySequence::New));
    connect(m_new, &QAction::triggered, this, &WindowActions::newItem);
    menu->addSeparator();
    m_close = addAction(menu, tr("Close Window"), QStringLiteral("closeWindowAction"),
                        standardKeys(QKeySequence::Close));
    connect(m_close, &QAction::triggered, m_window, &QWidget::close);
    m_quit = addAction(menu, tr("Quit Korvi"), QStringLiteral("quitAction"),
                       standardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, m_window, &QWidget::close);
}

void WindowActions::buildEditMenu(QMenuBar* menuBar) {
    QMenu* menu = menuBar->addMenu(tr("&Edit"));
    menu->setObjectName(QStringLiteral("editMenu"));
    m_menus.append(menu);
    m_copy =
        addAction(menu, tr("Copy"), QStringLiteral("copyAction"), standardKeys(QKeySequence::Copy));
    // Copy and Delete keep their keys where the focus is: text fields, the
    // log lines and the record views handle them themselves. The menu entries
    // show the keys and, when chosen, hand the same key to that place.
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    m_window->removeAction(m_copy);
    connect(m_copy, &QAction::triggered, this, &WindowActions::copyFromFocus);
    m_delete = addAction(menu, tr("Delete Selected Records"), QStringLiteral("deleteAction"),
                         standardKeys(QKeySequence::Delete));
    m_delete->setShortcutContext(Qt::WidgetShortcut);
    m_window->removeAction(m_delete);
    connect(m_delete, &QAction::triggered, this, &WindowActions::deleteSelection);
    menu->addSeparator();
    m_find = addAction(menu, tr("Find Records"), QStringLiteral("findAction"),
                       standardKeys(QKeySequence::Find));
    connect(m_find, &QAction::triggered, this, &WindowActions::find);
    menu->addSeparator();
    m_preferences =
        addAction(menu, tr("Preferences…"), QStringLiteral("preferencesAction"),
                  standardKeys(QKeySequence::Preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)));
    m_preferences->setMenuRole(QAction::PreferencesRole);
    connect(m_preferences, &QAction::triggered, this,
            [this] { m_window->setSelectedSection(Section::serverConfiguration); });
}

void WindowActions::buildViewMenu(QMenuBar* menuBar, QAction* refresh) {
    QMenu* menu = menuBar->addMenu(tr("&View"));
    menu->setObjectName(QStringLiteral("viewMenu"));
    m_menus.append(menu);
    menu->addAction(refresh);
    menu->addSeparator();
    m_sectionGroup = new QActionGroup(this);
    m_sectionGroup->setExclusive(true);
    const QList<SidebarView::SectionEntry>& sections = SidebarView::sections();
    for (int i = 0; i < sections.size(); ++i) {
        // Ctrl+1 to Ctrl+9 in the sidebar's order.
        QList<QKeySequence> keys;
        if (i < 9)
            keys.append(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)));
        // The titles are kept in English and translated in the sidebar's context.
        QAction* action = addAction(menu,
                                    QCoreApplication::translate(
                                        "korvi::SidebarView", qUtf8Printable(sections.at(i).title)),
                                    QStringLiteral("sectionAction%1").arg(i + 1), keys);
        action->setCheckable(true);
        m_sectionGroup->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, i] { m_window->setSelectedSection(Section(i)); });
        m_sections.append(action);
    }
}

void WindowActions::buildHelpMenu(QMenuBar* menuBar) {
    QMenu* menu = menuBar->addMenu(tr("&Help"));
    menu->setObjectName(QStringLiteral("helpMenu"));
    m_menus.append(menu);
    m_tutorial = addAction(menu, tr("Korvi Tutorial"), QStringLiteral("tutorialAction"),
                           standardKeys(QKeySequence::HelpContents));
    connect(m_tutorial, &QAction::triggered, this,
            [this] { m_window->setSelectedSection(Section::tutorial); });
    m_shortcuts = addAction(menu, tr("Keyboard Shortcuts"), QStringLiteral("shortcutsAction"), {});
    connect(m_shortcuts, &QAction::triggered, this, &WindowActions::showShortcuts);
    menu->addSeparator();
    m_about = addAction(menu, tr("About Korvi"), QStringLiteral("aboutAction"), {});
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this,
            [] { AboutWindowController::shared()->showWindow(); });
}

void WindowActions::screenShown() {
    const bool records = qobject_cast<DNSRecordView*>(m_window->currentScreen()) != nullptr;
    m_new->setText(records ? tr("New Record…") : tr("New Zone…"));
    m_delete->setEnabled(records);
    m_find->setEnabled(records);
    if (QAction* section = sectionAction(m_window->selectedSection()))
        section->setChecked(true);
    yieldScreenShortcuts();
}

void WindowActions::yieldScreenShortcuts() {
    QWidget* screen = m_window->currentScreen();
    if (!screen)
        return;
    QList<QKeySequence> held;
    for (QAction* action : m_window->actions()) {
        if (action->shortcutContext() != Qt::WidgetShortcut)
            held += action->shortcuts();
    }
    const QList<QShortcut*> own = screen->findChildren<QShortcut*>();
    for (QShortcut* shortcut : own) {
        for (const QKeySequence& key : shortcut->keys()) {
            if (held.contains(key))
                shortcut->setEnabled(false);
        }
    }
}

void WindowActions::newItem() {
    if (auto* records = qobject_cast<DNSRecordView*>(m_window->currentScreen())) {
        records->requestAddRecord();
        return;
    }
    // Elsewhere New makes a zone, on the zone screen, as "Add Domain" does:
    // only while the server runs.
    m_window->setSelectedSection(Section::zoneManagement);
    auto* zones = qobject_cast<ZoneManagementView*>(m_window->currentScreen());
    if (zones && m_window->dnsManager()->isRunning())
        zones->showAddZone();
}

void WindowActions::copyFromFocus() {
    QWidget* focus = QApplication::focusWidget();
    const QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Copy);
    if (!focus || keys.isEmpty())
        return;
    const QKeyCombination combination = keys.first()[0];
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(focus, &press);
    QCoreApplication::sendEvent(focus, &release);
}

void WindowActions::deleteSelection() {
    if (auto* records = qobject_cast<DNSRecordView*>(m_window->currentScreen()))
        records->deleteSelectedRecords();
}

void WindowActions::find() {
    if (auto* records = qobject_cast<DNSRecordView*>(m_window->currentScreen()))
        records->focusSearch();
}

void WindowActions::showShortcuts() {
    if (!m_shortcutsDialog) {
        m_shortcutsDialog = new ShortcutsDialog(m_menus, m_window);
        m_shortcutsDialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_shortcutsDialog->show();
    m_shortcutsDialog->raise();
    m_shortcutsDialog->activateWindow();
}

} // namespace korvi
