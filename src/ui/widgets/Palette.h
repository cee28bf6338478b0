#pragma once

#include <QColor>

namespace korvi {

// The named colours every screen uses, in one place. Green, red and orange
// (the status colours) come in two shades, a deeper one on light palettes and
// a brighter one on dark palettes, so that they stay readable as text on
// either.
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

// Whether the application palette is a dark one (light text on a dark window).
bool isDarkPalette();

// Colours that follow the desktop's light or dark appearance: they are taken
// from the application palette each time they are asked for.
enum class SemanticColor {
    label,             // primary text
    secondaryLabel,    // captions, explanations, empty states
    controlBackground, // cards, panels, lists
    windowBackground,  // behind everything
    separator,         // dividers
    accent,            // the desktop's highlight: selection, prominent buttons
    textOnAccent       // text and icons on the accent (the highlighted text colour)
};

QColor semanticColor(SemanticColor color);

} // namespace korvi
