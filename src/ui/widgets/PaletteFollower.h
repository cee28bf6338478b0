#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace korvi {

// Keeps widgets' own colours in step with the desktop. Qt tells the
// application object, not each widget, when the application palette changes
// (the desktop switched between light and dark, or to another highlight
// colour); one follower watches for that and restyles the widgets that bake
// palette colours into a style sheet or into icons.
class PaletteFollower : public QObject {
    Q_OBJECT

public:
    // Runs restyle at once, and again on every change of the application
    // palette for as long as the widget exists.
    static void follow(QWidget* widget, std::function<void()> restyle);

Q_SIGNALS:
    void paletteChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaletteFollower();
    static PaletteFollower* instance();
};

} // namespace korvi
