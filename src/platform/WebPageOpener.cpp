#include "platform/WebPageOpener.h"

#include <QMutex>
#include <QProcess>

namespace korvi {

namespace {

QMutex& handlerMutex() {
    static QMutex mutex;
    return mutex;
}

WebPageOpener::Handler& currentHandler() {
    static WebPageOpener::Handler handler;
    return handler;
}

} // namespace

void WebPageOpener::setHandler(Handler handler) {
    QMutexLocker lock(&handlerMutex());
    currentHandler() = std::move(handler);
}

void WebPageOpener::open(const QUrl& url) {
    Handler handler;
    {
        QMutexLocker lock(&handlerMutex());
        handler = currentHandler();
    }
    if (handler) {
        handler(url);
        return;
    }
    // The result is not looked at: a page that does not open is not Korvi's
    // failure to report.
#if defined(Q_OS_MACOS)
    QProcess::startDetached(QStringLiteral("open"), {url.toString()});
#else
    QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
#endif
}

} // namespace korvi
