#pragma once

// Window and screen tests: managers and a main window on a host in a temporary
// directory, widgets by name, typing and clicking, and screenshots.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include "HostTestSupport.h"
#include "ui/MainWindow.h"

namespace korvi::test {

// The folders of an isolated host that saves expect to find.
inline void makeHostFolders(const QString& root) {
    for (const char* folder : {"etc", "var/named", "tmp"})
        QDir(root).mkpath(QLatin1String(folder));
}

// The isolated host's reload command, when the test has not written its own: a pretend running
// server that reloads without complaint, since a change whose reload fails is rolled back.
inline void pretendReload(const QString& root) {
    if (!QFileInfo::exists(root + u"/bin/reload"_s))
        writeFile(root, u"bin/reload"_s, "#!/bin/sh\nexit 0\n", true);
}

// A manager on an isolated host below root, its start-up detections over, in this status.
inline std::unique_ptr<DNSServerManager> screenManager(const QString& root, ServerStatus status) {
    makeHostFolders(root);
    pretendReload(root);
    auto manager = makeManager(root, isolatedLayout(root));
    withoutServedCheck(*manager);
    if (!waitForDetections(*manager))
        qWarning("start-up detections did not report in time");
    manager->setServerStatus(status);
    return manager;
}

// The one child of this type and name; warns when there is none.
template <typename T> T* child(const QObject* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

inline QString labelText(const QObject* parent, const char* name) {
    const auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : u"<missing %1>"_s.arg(QLatin1String(name));
}

inline bool shows(const QObject* parent, const char* name) {
    const auto* widget = parent->findChild<QWidget*>(QLatin1String(name));
    return widget && widget->isVisible();
}

inline void click(const QObject* parent, const QString& name) {
    if (auto* button = child<QAbstractButton>(parent, name))
        QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces a field's text by typing, as a user who selects all and types.
inline void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

// Clicks a row of a list view at a point of the row (its centre when none is given).
inline void clickRow(QAbstractItemView* view, int row, std::optional<QPoint> at = std::nullopt) {
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at ? *at : rect.center());
}

// Saves a picture of the widget as <build>/screenshots/<area>/<name>.png.
inline bool saveScreenshot(QWidget* widget, const QString& area, const QString& name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
    const QString folder = QStringLiteral(KORVI_TEST_BUILD_DIR "/screenshots/") + area;
    QDir().mkpath(folder);
    return widget->grab().save(folder + u'/' + name + u".png"_s);
}

// Shows a screen at a size a window would give it.
inline void showScreen(QWidget* screen, QSize size = QSize(1000, 720)) {
    screen->resize(size);
    screen->show();
    if (!QTest::qWaitForWindowExposed(screen))
        qWarning("the screen was not shown");
}

// A main window on an isolated layout in its own temporary directory, detections settled.
class WindowHost {
public:
    WindowHost() {
        makeHostFolders(m_dir.path());
        pretendReload(m_dir.path());
        m_manager = std::make_unique<DNSServerManager>(
            isolatedLayout(m_dir.path()),
            std::make_shared<PreferencesStore>(m_dir.filePath(u"prefs.ini"_s)));
        withoutServedCheck(*m_manager);
        m_window = std::make_unique<MainWindow>(m_manager.get());
        m_window->show();
        m_settled = waitForDetections(*m_window->dnsManager());
    }
    bool isReady() const { return m_dir.isValid() && m_settled; }
    QString root() const { return m_dir.path(); }
    MainWindow* window() const { return m_window.get(); }
    DNSServerManager* manager() const { return m_window->dnsManager(); }
    template <typename T> T* find(const QString& name) const {
        return m_window->findChild<T*>(name);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<MainWindow> m_window;
    bool m_settled = false;
};

} // namespace korvi::test
