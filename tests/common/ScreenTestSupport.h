#pragma once

// Shared by the tests of the zone, record and configuration screens: a
// manager on a private host, widgets found by name, typing as a user does,
// and screenshots in the build tree.

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <memory>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"

namespace korvi::test {

// A manager on an isolated host below root (zone and etc folders made), its
// start-up detections over, in the given status.
inline std::unique_ptr<DNSServerManager> screenManager(const QString& root, ServerStatus status) {
    QDir(root).mkpath(QStringLiteral("etc"));
    QDir(root).mkpath(QStringLiteral("var/named"));
    QDir(root).mkpath(QStringLiteral("tmp"));
    auto manager = makeManager(root, isolatedLayout(root));
    if (!waitForDetections(*manager))
        qWarning("start-up detections did not report in time");
    manager->setServerStatus(status);
    return manager;
}

// The one child of this type and name; fails the test when there is none.
template <typename T> T* child(const QObject* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
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

// Clicks a row of a list view at a point relative to the row's rectangle
// (its centre when none is given).
inline void clickRow(QAbstractItemView* view, int row, std::optional<QPoint> at = std::nullopt) {
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at ? *at : rect.center());
}

// Saves a picture of the widget as screenshots/<name>.png in the build tree.
inline bool saveScreenshot(QWidget* widget, const QString& name) {
    const QString directory = QStringLiteral(KORVI_TEST_BUILD_DIR "/screenshots");
    QDir().mkpath(directory);
    QApplication::processEvents();
    return widget->grab().save(directory + u'/' + name + QStringLiteral(".png"));
}

// Shows a screen at a size a window would give it.
inline void showScreen(QWidget* screen, QSize size = QSize(1000, 720)) {
    screen->resize(size);
    screen->show();
    if (!QTest::qWaitForWindowExposed(screen))
        qWarning("the screen was not shown");
}

} // namespace korvi::test
