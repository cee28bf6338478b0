#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

#include "ui/Section.h"
#include "ui/ShortcutsDialog.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace korvi {

class MainWindow;

// The main window's menu bar and its commands: File (New, Close Window,
// Quit), Edit (Copy, Delete, Find, Preferences), View (Refresh and one entry
// per sidebar section, Ctrl+1 to Ctrl+8) and Help (Tutorial, Keyboard
// Shortcuts, About). The keys are the desktop's standard ones; New, Delete
// and Find act on the screen that is shown.
class WindowActions : public QObject {
    Q_OBJECT

public:
    // The menus go into menuBar; refresh is the window's toolbar refresh,
    // which the View menu shows too.
    WindowActions(MainWindow* window, QAction* refresh, QMenuBar* menuBar);

    QAction* newAction() const { return m_new; }
    QAction* closeAction() const { return m_close; }
    QAction* quitAction() const { return m_quit; }
    QAction* copyAction() const { return m_copy; }
    QAction* deleteAction() const { return m_delete; }
    QAction* findAction() const { return m_find; }
    QAction* preferencesAction() const { return m_preferences; }
    QAction* sectionAction(Section section) const { return m_sections.value(int(section)); }
    QAction* tutorialAction() const { return m_tutorial; }
    QAction* shortcutsAction() const { return m_shortcuts; }
    QAction* aboutAction() const { return m_about; }
    // The menus, in the menu bar's order.
    const QList<QMenu*>& menus() const { return m_menus; }
    // The "Keyboard Shortcuts" window while it is open.
    ShortcutsDialog* shortcutsDialog() const { return m_shortcutsDialog; }

    // The platform's keys for a standard command, or the fallback where the
    // platform has none (Quit and Preferences have none on some desktops).
    static QList<QKeySequence> standardKeys(QKeySequence::StandardKey key,
                                            const QKeySequence& fallback = {});

    // The main window calls this whenever it shows another section's
    // screen: the commands follow what that screen offers.
    void screenShown();

private:
    QAction* addAction(QMenu* menu, const QString& text, const QString& name,
                       const QList<QKeySequence>& keys);
    void buildFileMenu(QMenuBar* menuBar);
    void buildEditMenu(QMenuBar* menuBar);
    void buildViewMenu(QMenuBar* menuBar, QAction* refresh);
    void buildHelpMenu(QMenuBar* menuBar);
    void newItem();
    void copyFromFocus();
    void deleteSelection();
    void find();
    void showShortcuts();
    // The shown screen's own shortcuts for keys that a window command holds
    // are switched off, so that no key is claimed twice.
    void yieldScreenShortcuts();

    MainWindow* m_window;
    QList<QMenu*> m_menus;
    QAction* m_new = nullptr;
    QAction* m_close = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_find = nullptr;
    QAction* m_preferences = nullptr;
    QActionGroup* m_sectionGroup = nullptr;
    QList<QAction*> m_sections;
    QAction* m_tutorial = nullptr;
    QAction* m_shortcuts = nullptr;
    QAction* m_about = nullptr;
    QPointer<ShortcutsDialog> m_shortcutsDialog;
};

} // namespace korvi
