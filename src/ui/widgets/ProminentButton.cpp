#include "ui/widgets/ProminentButton.h"

#include "ui/widgets/Palette.h"
#include "ui/widgets/PaletteFollower.h"

namespace korvi {

ProminentButton::ProminentButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setCursor(Qt::PointingHandCursor);
    PaletteFollower::follow(this, [this] { restyle(); });
}

void ProminentButton::restyle() {
    const QColor accent = semanticColor(SemanticColor::accent);
    const QColor onAccent = semanticColor(SemanticColor::textOnAccent);
    // Pressed: a step towards black on light palettes, towards white on dark.
    const QColor pressed = isDarkPalette() ? accent.lighter(120) : accent.darker(120);
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: none;"
                                 " border-radius: 6px; padding: 6px 14px; font-weight: 600; }"
                                 "QPushButton:pressed { background-color: %3; }"
                                 "QPushButton:disabled { background-color: %4; color: %5; }")
                      .arg(accent.name(), onAccent.name(), pressed.name(),
                           semanticColor(SemanticColor::separator).name(),
                           semanticColor(SemanticColor::secondaryLabel).name()));
}

} // namespace korvi
