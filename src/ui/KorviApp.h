#pragma once

#include <QObject>

#include <memory>

#include "platform/SystemLayout.h"

class QApplication;

namespace korvi {

class MainWindow;
class DNSServerManager;
class PreferencesStore;

// The application: its identity, its behaviour at the end (the
// "AppWillTerminate" notice, quitting when the last window closes), the way
// web pages open, its one manager and its one main window, which shows the
// manager.
class KorviApp : public QObject {
    Q_OBJECT

public:
    // Settings that must be made before the application object exists.
    static void prepare();
    // Organisation and application name, and the version of this build.
    static void setIdentity();

    explicit KorviApp(QApplication& application);
    ~KorviApp() override;

    // Builds the manager and the main window on the standard host layout and
    // the user's preferences, or on the given ones, and shows the window at
    // its default size.
    MainWindow* openMainWindow();
    MainWindow* openMainWindow(const SystemLayout& layout,
                               std::shared_ptr<PreferencesStore> preferences);
    MainWindow* mainWindow() const { return m_mainWindow.get(); }
    DNSServerManager* manager() const { return m_manager.get(); }

private:
    // The window observes the manager, so it is declared after it and goes
    // first.
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<MainWindow> m_mainWindow;
};

} // namespace korvi
