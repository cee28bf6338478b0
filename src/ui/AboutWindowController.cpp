#include "ui/AboutWindowController.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/AboutView.h"
#include "ui/icons/SymbolIcons.h"

namespace korvi {

namespace {

AboutWindowController* sharedController = nullptr;

} // namespace

AboutWindowController* AboutWindowController::shared() {
    if (!sharedController) {
        sharedController = new AboutWindowController;
        // The window must go while the application object still exists.
        qAddPostRoutine(&AboutWindowController::destroyShared);
    }
    return sharedController;
}

void AboutWindowController::destroyShared() {
    delete sharedController;
    sharedController = nullptr;
}

AboutWindowController::~AboutWindowController() {
    delete m_window;
}

void AboutWindowController::showWindow() {
    if (!m_window) {
        auto* window =
            new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                     Qt::CustomizeWindowHint);
        window->setObjectName(QStringLiteral("aboutWindow"));
        window->setWindowTitle(tr("About Korvi"));
        window->setWindowIcon(applicationIcon());
        // Closing hides the window; it is kept for the next time.
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->setAttribute(Qt::WA_QuitOnClose, false);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new AboutView(window));
        window->setFixedSize(windowWidth, windowHeight);
        // The platform's close-window key closes (hides) it, as in any window.
        auto* closeKey = new QShortcut(QKeySequence::Close, window);
        connect(closeKey, &QShortcut::activated, window, &QWidget::close);
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
        m_window = window;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace korvi
