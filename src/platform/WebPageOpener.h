#pragma once

#include <QUrl>

#include <functional>

namespace korvi {

// Opens a web page in the user's default browser. The window installs the
// toolkit's own way (QDesktopServices) when it starts; until then, and in a
// process without a window, the desktop's opener program is started
// (xdg-open, or open on macOS). Tests install a handler that records the
// address instead.
class WebPageOpener {
public:
    using Handler = std::function<void(const QUrl&)>;

    // Replaces the way pages are opened; an empty handler restores the
    // opener program.
    static void setHandler(Handler handler);
    static void open(const QUrl& url);
};

} // namespace korvi
