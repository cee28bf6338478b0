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

// Colours that follow the desktop's light or dark appearance: they are taken
// from the application palette each time they are asked for.
enum class SemanticColor {
    label,             // primary text
    secondaryLabel,    // captions, explanations, empty states
    controlBackground, // cards, panels, lists
    windowBackground,  // behind everything
    separator,         // dividers
    textOnAccent       // text and icons on a coloured (accent) background
};

QColor semanticColor(SemanticColor color);

} // namespace korvi
