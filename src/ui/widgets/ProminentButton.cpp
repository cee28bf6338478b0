#include "ui/widgets/ProminentButton.h"

#include "ui/widgets/Palette.h"

namespace korvi {

ProminentButton::ProminentButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    const QColor accent = namedColor(NamedColor::blue);
    const QColor pressed = accent.darker(120);
    const QColor disabled = namedColor(NamedColor::gray);
    const QColor onAccent = semanticColor(SemanticColor::textOnAccent);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: none;"
                                 " border-radius: 6px; padding: 6px 14px; font-weight: 600; }"
                                 "QPushButton:pressed { background-color: %3; }"
                                 "QPushButton:disabled { background-color: %4; color: %5; }")
                      .arg(accent.name(), onAccent.name(), pressed.name(),
                           disabled.lighter(140).name(), onAccent.name()));
}

} // namespace korvi
