#pragma once

#include <QColor>

namespace korvi {

// The named colours every screen uses, in one place.
enum class NamedColor {
    green,
    red,
    orange,
    gray,
    blue,
    purple,
    cyan,
    yellow,
    pink,
    indigo,
    mint,
    brown
};

QColor namedColor(NamedColor color);

} // namespace korvi
