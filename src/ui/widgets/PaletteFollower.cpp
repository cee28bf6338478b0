#include "ui/widgets/PaletteFollower.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace korvi {

PaletteFollower::PaletteFollower() : QObject(QCoreApplication::instance()) {
    QCoreApplication::instance()->installEventFilter(this);
}

PaletteFollower* PaletteFollower::instance() {
    // One per application object; it goes with it.
    static QPointer<PaletteFollower> follower;
    if (!follower && QCoreApplication::instance())
        follower = new PaletteFollower;
    return follower;
}

void PaletteFollower::follow(QWidget* widget, std::function<void()> restyle) {
    restyle();
    if (PaletteFollower* follower = instance())
        connect(follower, &PaletteFollower::paletteChanged, widget, std::move(restyle));
}

bool PaletteFollower::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange)
        Q_EMIT paletteChanged();
    return QObject::eventFilter(watched, event);
}

} // namespace korvi
