#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

#include "platform/SystemLayout.h"

class QAction;
class QSplitter;

namespace korvi {

class DNSServerManager;
class PreferencesStore;
class SidebarView;

// The main window: the sidebar with its six sections on the left, the
// screen of the selected section on the right, the toolbar refresh and the
// "About Korvi" menu item. It creates the one manager of the application and
// hands it to every screen.
class ContentView : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 1200;
    static constexpr int defaultHeight = 800;
    static constexpr int sidebarMinimumWidth = 200;
    static constexpr int sidebarMaximumWidth = 250;
    static constexpr int detailMinimumWidth = 600;

    // The manager on the standard host layout and the user's preferences.
    explicit ContentView(QWidget* parent = nullptr);
    // The manager on the given layout and preferences (sandbox mode, tests).
    ContentView(const SystemLayout& layout, std::shared_ptr<PreferencesStore> preferences,
                QWidget* parent = nullptr);
    ~ContentView() override;

    DNSServerManager* dnsManager() const { return m_dnsManager.get(); }

    int selectedTab() const { return m_selectedTab; }
    void setSelectedTab(int tab);
    // The screen shown in the detail area. Each screen carries the name of
    // its screen class in the "korviScreen" property.
    QWidget* currentScreen() const { return m_screen; }

    QAction* refreshAction() const { return m_refreshAction; }
    QAction* aboutAction() const { return m_aboutAction; }

    // Whether closing the window has already posted "AppWillTerminate".
    bool hasPostedTermination() const { return m_terminationPosted; }
    // Longest wait for named.conf's check before the window closes anyway.
    static constexpr int terminationSaveLimitMs = 35000;

protected:
    // Closing the main window ends Korvi. The data is saved first: the zones
    // at once, named.conf once BIND's checker has answered, so the window
    // closes when that save has ended, a moment later.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildToolbarAndMenu();
    void showScreen(int tab);
    QWidget* makeScreen(int tab);
    void refresh();

    std::unique_ptr<DNSServerManager> m_dnsManager;
    int m_selectedTab = 0;
    SidebarView* m_sidebar = nullptr;
    QWidget* m_detail = nullptr;
    QPointer<QWidget> m_screen;
    QAction* m_refreshAction = nullptr;
    QAction* m_aboutAction = nullptr;
    bool m_terminationPosted = false;
    bool m_terminationSaved = false;
};

} // namespace korvi
