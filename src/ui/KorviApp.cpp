#include "ui/KorviApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>

#include "host/HostLayout.h"
#include "manager/DNSServerManager.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferencesStore.h"
#include "platform/WebPageOpener.h"
#include "ui/MainWindow.h"
#include "i18n/Translations.h"
#include "ui/icons/SymbolIcons.h"

namespace korvi {

void KorviApp::prepare() {
    // Sharp text and icons at fractional scale factors.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
}

void KorviApp::setIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVI_VERSION));
}

KorviApp::KorviApp(QApplication& application) {
    setIdentity();
    // The texts in the user's language, before the first window is built.
    Translations::install(application);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Korvi"));
    // The installed menu entry's name, by which Wayland desktops match the
    // window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvi.Korvi"));
    QGuiApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setQuitOnLastWindowClosed(true);

    // The manager saves its data on this notice; it is posted while the
    // windows and the manager still exist.
    // Closing the main window posts it itself, before it closes, so that
    // named.conf's check can finish; a quit by other means posts it here.
    connect(&application, &QCoreApplication::aboutToQuit, this, [this] {
        if (!m_mainWindow || !m_mainWindow->hasPostedTermination())
            NotificationCenter::instance().post(appWillTerminateNotification);
    });

    WebPageOpener::setHandler([](const QUrl& url) { QDesktopServices::openUrl(url); });
}

KorviApp::~KorviApp() {
    WebPageOpener::setHandler({});
}

MainWindow* KorviApp::openMainWindow() {
    auto preferences = std::make_shared<PreferencesStore>();
    return openMainWindow(standardLayoutFor(readHostLayoutFacts(preferences.get())), preferences);
}

MainWindow* KorviApp::openMainWindow(const SystemLayout& layout,
                                     std::shared_ptr<PreferencesStore> preferences) {
    m_mainWindow.reset();
    m_manager = std::make_unique<DNSServerManager>(layout, std::move(preferences));
    m_mainWindow = std::make_unique<MainWindow>(m_manager.get());
    m_mainWindow->resize(MainWindow::defaultWidth, MainWindow::defaultHeight);
    m_mainWindow->show();
    return m_mainWindow.get();
}

} // namespace korvi
