#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace korvi {

class MainWindow;
class SandboxSession;

// Shows that Korvi works on a machine without a display: on the sandbox,
// it starts the sandbox's server (unless it already runs), visits every
// sidebar section and saves a picture of the window for each, saves the
// About window too, stops the server it started, and quits. The exit code
// is 0 when the server ran and every picture was saved.
class ScreenshotTour : public QObject {
    Q_OBJECT

public:
    ScreenshotTour(MainWindow* window, SandboxSession* session, const QString& directory,
                   QObject* parent = nullptr);

    void start();
    const QStringList& savedFiles() const { return m_saved; }

private:
    void configurationDone(bool written);
    void statusKnown();
    void serverStarted();
    void showNextSection();
    void saveSection();
    void saveAbout();
    void stopServer();
    void finish();
    void fail(const QString& reason);
    bool save(QWidget* widget, const QString& name);
    void after(int milliseconds, void (ScreenshotTour::*step)());

    MainWindow* m_window;
    SandboxSession* m_session;
    QString m_directory;
    QStringList m_saved;
    QStringList m_problems;
    int m_section = -1;
    bool m_startRequested = false;
    bool m_startedServer = false;
    bool m_serverRan = false;
    QTimer m_deadline;
    QMetaObject::Connection m_waiting;
};

} // namespace korvi
