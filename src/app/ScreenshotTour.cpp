#include "app/ScreenshotTour.h"

#include <QGuiApplication>

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include "app/SandboxSession.h"
#include "manager/DNSServerManager.h"
#include "platform/Console.h"
#include "ui/AboutWindowController.h"
#include "ui/MainWindow.h"
#include "ui/SidebarView.h"

namespace korvi {

namespace {

// Long enough for BIND detection, the checker and named's start.
constexpr int stepLimitMs = 30000;
// Time for a freshly shown screen to lay itself out and paint.
constexpr int settleMs = 250;

QString fileName(int section) {
    QString title = SidebarView::sections().at(section).title.toLower();
    title.replace(u' ', u'-');
    return QStringLiteral("%1-%2.png").arg(section + 1, 2, 10, QLatin1Char('0')).arg(title);
}

} // namespace

ScreenshotTour::ScreenshotTour(MainWindow* window, SandboxSession* session,
                               const QString& directory, QObject* parent)
    : QObject(parent), m_window(window), m_session(session), m_directory(directory) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("the server did not answer in time")); });
}

void ScreenshotTour::start() {
    if (!QDir().mkpath(m_directory)) {
        m_problems.append(QStringLiteral("cannot create ") + m_directory);
        QCoreApplication::exit(1);
        return;
    }
    consoleLine(QStringLiteral("📸 Screenshots of every section go to ") + m_directory);
    m_deadline.start(stepLimitMs);
    if (m_session->isConfigurationReady()) {
        configurationDone(true);
        return;
    }
    m_waiting = connect(m_session, &SandboxSession::configurationReady, this,
                        &ScreenshotTour::configurationDone);
}

void ScreenshotTour::configurationDone(bool written) {
    disconnect(m_waiting);
    if (!written) {
        fail(QStringLiteral("the sandbox's named.conf could not be written"));
        return;
    }
    // The status check that follows detection may still be on its way.
    DNSServerManager* manager = m_window->dnsManager();
    if (manager->serverStatus() != ServerStatus::unknown) {
        statusKnown();
        return;
    }
    m_waiting = connect(manager, &DNSServerManager::serverStatusChanged, this,
                        &ScreenshotTour::statusKnown);
}

void ScreenshotTour::statusKnown() {
    disconnect(m_waiting);
    DNSServerManager* manager = m_window->dnsManager();
    if (manager->isRunning()) {
        // A server of this sandbox already runs: it is shown, and left running.
        consoleLine(QStringLiteral("📸 The sandbox's server already runs; it is left running"));
        serverStarted();
        return;
    }
    m_waiting =
        connect(manager, &DNSServerManager::serverStatusChanged, this, [this](ServerStatus status) {
            if (status == ServerStatus::running) {
                m_startedServer = true;
                serverStarted();
            } else if (status == ServerStatus::error) {
                fail(QStringLiteral("the server did not start (see the log)"));
            }
        });
    m_startRequested = true;
    manager->startServer();
}

void ScreenshotTour::serverStarted() {
    disconnect(m_waiting);
    m_deadline.stop();
    m_serverRan = true;
    // The server's own log, once it has written its first lines.
    QTimer::singleShot(800, this, [this] {
        m_window->dnsManager()->loadBindLogs();
        after(700, &ScreenshotTour::showNextSection);
    });
}

void ScreenshotTour::showNextSection() {
    ++m_section;
    if (m_section >= SidebarView::sections().size()) {
        saveAbout();
        return;
    }
    m_window->setSelectedSection(Section(m_section));
    after(settleMs, &ScreenshotTour::saveSection);
}

void ScreenshotTour::saveSection() {
    save(m_window, fileName(m_section));
    showNextSection();
}

void ScreenshotTour::saveAbout() {
    AboutWindowController::shared()->showWindow();
    QTimer::singleShot(settleMs, this, [this] {
        // The About window's picture comes after the sections'.
        save(AboutWindowController::shared()->window(),
             QStringLiteral("%1-about.png")
                 .arg(SidebarView::sections().size() + 1, 2, 10, QLatin1Char('0')));
        AboutWindowController::shared()->window()->close();
        m_window->setSelectedSection(Section::dashboard);
        stopServer();
    });
}

void ScreenshotTour::stopServer() {
    DNSServerManager* manager = m_window->dnsManager();
    // A start that answered after the time limit still left a server behind.
    if (!m_startedServer && !(m_startRequested && manager->isRunning())) {
        finish();
        return;
    }
    m_deadline.start(stepLimitMs);
    m_waiting =
        connect(manager, &DNSServerManager::serverStatusChanged, this, [this](ServerStatus status) {
            if (status == ServerStatus::stopped) {
                consoleLine(QStringLiteral("📸 The sandbox's server is stopped"));
                finish();
            } else if (status == ServerStatus::error) {
                m_problems.append(QStringLiteral("the server did not stop"));
                finish();
            }
        });
    manager->stopServer();
}

void ScreenshotTour::fail(const QString& reason) {
    disconnect(m_waiting);
    m_deadline.stop();
    m_problems.append(reason);
    consoleLine(QStringLiteral("❌ Screenshots: ") + reason);
    // The pictures are still worth having: they show what went wrong.
    if (m_section < 0)
        after(settleMs, &ScreenshotTour::showNextSection);
    else
        finish();
}

void ScreenshotTour::finish() {
    disconnect(m_waiting);
    m_deadline.stop();
    const int expected = int(SidebarView::sections().size()) + 1;
    const bool complete = m_serverRan && m_saved.size() == expected && m_problems.isEmpty();
    consoleLine(
        QStringLiteral("📸 %1 pictures saved in %2").arg(m_saved.size()).arg(m_directory));
    for (const QString& problem : std::as_const(m_problems))
        consoleLine(QStringLiteral("❌ Screenshots: ") + problem);
    // Close the window like a user would, so that Korvi saves and quits in
    // its usual way; the exit code tells whether the tour was complete.
    const int code = complete ? 0 : 1;
    connect(qApp, &QGuiApplication::lastWindowClosed, qApp,
            [code] { QCoreApplication::exit(code); });
    m_window->close();
}

bool ScreenshotTour::save(QWidget* widget, const QString& name) {
    const QString path = QDir(m_directory).filePath(name);
    if (!widget || !widget->grab().save(path)) {
        m_problems.append(QStringLiteral("cannot save ") + path);
        return false;
    }
    m_saved.append(path);
    consoleLine(QStringLiteral("📸 Saved ") + path);
    return true;
}

void ScreenshotTour::after(int milliseconds, void (ScreenshotTour::*step)()) {
    QTimer::singleShot(milliseconds, this, step);
}

} // namespace korvi
