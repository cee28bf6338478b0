#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace korvi {

// Owns the About window. There is one shared controller, made on first use;
// it builds the window once, and closing the window only hides it, so the
// same window is shown again next time.
class AboutWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr int windowWidth = 400;
    static constexpr int windowHeight = 500;

    static AboutWindowController* shared();

    // Builds the window when there is none, then brings it to the front,
    // active, centred the first time on the screen.
    void showWindow();
    // The About window, or null before it was first shown.
    QWidget* window() const { return m_window; }

private:
    AboutWindowController() = default;
    ~AboutWindowController() override;
    static void destroyShared();

    QPointer<QWidget> m_window;
};

} // namespace korvi
