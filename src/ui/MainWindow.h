#pragma once

#include <QMainWindow>
#include <QPointer>

#include "ui/Section.h"

class QAction;
class QSplitter;

namespace korvi {

class DNSServerManager;
class SidebarView;
class WindowActions;

// The main window: the sidebar with its seven sections on the left, the
// screen of the selected section on the right, the toolbar refresh and the
// menu bar (see WindowActions). It shows the application's one manager, which the
// application owns, and hands it to every screen.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 1200;
    static constexpr int defaultHeight = 800;
    static constexpr int sidebarMinimumWidth = 200;
    static constexpr int sidebarMaximumWidth = 250;
    static constexpr int detailMinimumWidth = 600;

    // The manager must outlive the window.
    explicit MainWindow(DNSServerManager* manager, QWidget* parent = nullptr);
    ~MainWindow() override;

    DNSServerManager* dnsManager() const { return m_dnsManager; }

    Section selectedSection() const { return m_selectedSection; }
    void setSelectedSection(Section section);
    // The screen shown in the detail area. Each screen carries the name of
    // its screen class in the "korviScreen" property.
    QWidget* currentScreen() const { return m_screen; }

    QAction* refreshAction() const { return m_refreshAction; }
    QAction* aboutAction() const { return m_aboutAction; }
    // The menu bar's commands and their keys.
    WindowActions* windowActions() const { return m_windowActions; }

    // Whether closing the window has already posted "AppWillTerminate".
    bool hasPostedTermination() const { return m_terminationPosted; }
    // Longest wait for named.conf's check before the window closes anyway.
    static constexpr int terminationSaveLimitMs = 35000;
    // Longest wait for the server to stop before the window closes anyway.
    static constexpr int quitStopLimitMs = 20000;
    // The preference that remembers the answer to "Stop the DNS server too?":
    // "stop" or "keep"; absent while the question is still asked.
    static QString stopServerOnQuitKey() { return QStringLiteral("StopServerOnQuit"); }

protected:
    // Closing the main window ends Korvi. The data is saved first: the zones
    // at once, named.conf once BIND's checker has answered, so the window
    // closes when that very save has ended, a moment later (an earlier save
    // ending first does not count). Collected changes come first: the user
    // applies or discards them, or stays. Then a running server is dealt
    // with: Korvi's own sandbox server is stopped; about the machine's server
    // the user is asked once (or the remembered answer is used).
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildToolbarAndMenu();
    void showScreen(Section section);
    void followPalette();
    QWidget* makeScreen(Section section);
    void refresh();
    // The steps of closing, each waiting asynchronously for the one before.
    // Collected changes first (apply, discard or stay), then the server.
    void askAboutStagedChangesBeforeQuit();
    void continueClosing();
    void askAboutServerBeforeQuit();
    void stopServerThenQuit();
    void postTermination();

    DNSServerManager* m_dnsManager;
    Section m_selectedSection = Section::dashboard;
    SidebarView* m_sidebar = nullptr;
    QWidget* m_detail = nullptr;
    QPointer<QWidget> m_screen;
    QAction* m_refreshAction = nullptr;
    QAction* m_aboutAction = nullptr;
    WindowActions* m_windowActions = nullptr;
    bool m_closeStarted = false;
    bool m_terminationPosted = false;
    bool m_terminationSaved = false;
};

} // namespace korvi
