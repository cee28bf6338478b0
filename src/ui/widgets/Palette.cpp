#include "ui/widgets/Palette.h"

#include <QGuiApplication>
#include <QPalette>

namespace korvi {

bool isDarkPalette() {
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightnessF() <
           palette.color(QPalette::WindowText).lightnessF();
}

QColor namedColor(NamedColor color) {
    // The status colours reach a contrast of at least 3:1 against the window
    // and the lists, on light palettes and on dark ones.
    switch (color) {
    case NamedColor::green:
        return isDarkPalette() ? QColor(0x30, 0xD1, 0x58) : QColor(0x24, 0x8A, 0x3D);
    case NamedColor::red:
        return isDarkPalette() ? QColor(0xFF, 0x45, 0x3A) : QColor(0xD7, 0x00, 0x15);
    case NamedColor::orange:
        return isDarkPalette() ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xB2, 0x50, 0x00);
    case NamedColor::gray:
        return QColor(0x8E, 0x8E, 0x93);
    case NamedColor::blue:
        return QColor(0x00, 0x7A, 0xFF);
    case NamedColor::purple:
        return QColor(0xAF, 0x52, 0xDE);
    case NamedColor::cyan:
        return QColor(0x32, 0xAD, 0xE6);
    case NamedColor::yellow:
        return QColor(0xFF, 0xCC, 0x00);
    case NamedColor::pink:
        return QColor(0xFF, 0x2D, 0x55);
    case NamedColor::indigo:
        return QColor(0x58, 0x56, 0xD6);
    case NamedColor::mint:
        return QColor(0x00, 0xC7, 0xBE);
    case NamedColor::brown:
        return QColor(0xA2, 0x84, 0x5E);
    }
    return {};
}

namespace {

// a and b mixed: weight 1 gives a, 0 gives b.
QColor mixed(const QColor& a, const QColor& b, qreal weight) {
    const auto channel = [weight](qreal x, qreal y) { return x * weight + y * (1 - weight); };
    return QColor::fromRgbF(float(channel(a.redF(), b.redF())),
                            float(channel(a.greenF(), b.greenF())),
                            float(channel(a.blueF(), b.blueF())));
}

} // namespace

QColor semanticColor(SemanticColor color) {
    const QPalette palette = QGuiApplication::palette();
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    switch (color) {
    case SemanticColor::label:
        return text;
    case SemanticColor::secondaryLabel:
        // Secondary text is the primary text softened towards the background,
        // kept opaque so that it reads the same on every surface.
        return mixed(text, window, 0.58);
    case SemanticColor::controlBackground:
        return palette.color(QPalette::Base);
    case SemanticColor::windowBackground:
        return window;
    case SemanticColor::separator:
        return mixed(text, window, 0.18);
    case SemanticColor::accent:
        // Whatever the platform theme puts in the palette's highlight: KDE's
        // accent colour, GTK's selection colour, the system's selection
        // colour on Windows and macOS.
        return palette.color(QPalette::Active, QPalette::Highlight);
    case SemanticColor::textOnAccent:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    return text;
}

} // namespace korvi
