#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

class QPainter;

namespace korvi {

// Korvi's icon drawings, one per symbol name, painted with vector paths on a
// 24 x 24 grid so that they are crisp at any size. The painter is already
// scaled to the grid; it paints into a transparent image, so that "fill"
// symbols can cut their inner marks out of the shape.
class SymbolGlyphs {
public:
    // Whether a drawing exists for the name.
    static bool contains(const QString& name);
    // Every name with a drawing, in a stable order.
    static QStringList names();
    // Draws the symbol in the colour; an unknown name draws the generic
    // "unknown symbol" mark.
    static void paint(const QString& name, QPainter& painter, const QColor& color);
    // Korvi's own application icon, in full colour.
    static void paintApplicationIcon(QPainter& painter);
};

} // namespace korvi
