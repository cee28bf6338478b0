#pragma once

// Shared by the window tests: the main window on a host whose files and
// preferences all lie in a temporary directory, and pictures of screens
// saved into the build tree for a person to look at.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

#include "HostTestSupport.h"
#include "platform/PreferencesStore.h"
#include "ui/ContentView.h"

namespace korvi::test {

// Saves a picture of the widget as <build>/screenshots/<area>/<name>.png.
// Pending layout changes are applied first, so the picture shows the widget
// as it would be drawn next.
inline bool saveScreenshot(QWidget* widget, const QString& area, const QString& name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString folder = QStringLiteral(KORVI_TEST_BUILD_DIR "/screenshots/") + area;
    QDir().mkpath(folder);
    return widget->grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// A main window whose manager runs on an isolated layout in its own
// temporary directory, shown at its default size, detections settled.
class WindowHost {
public:
    WindowHost() {
        m_window = std::make_unique<ContentView>(
            isolatedLayout(m_dir.path()), std::make_shared<PreferencesStore>(preferencesPath()));
        m_window->show();
        m_settled = waitForDetections(*m_window->dnsManager());
    }

    bool isReady() const { return m_dir.isValid() && m_settled; }
    QString root() const { return m_dir.path(); }
    QString preferencesPath() const { return m_dir.filePath(QStringLiteral("prefs.ini")); }
    ContentView* window() const { return m_window.get(); }
    DNSServerManager* manager() const { return m_window->dnsManager(); }
    template <typename T> T* find(const QString& name) const {
        return m_window->findChild<T*>(name);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ContentView> m_window;
    bool m_settled = false;
};

} // namespace korvi::test
