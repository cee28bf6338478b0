#include "ui/widgets/Typography.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>

namespace korvi {

namespace {

// Size relative to the body text, and the weight that goes with the style
// when none is asked for.
qreal scale(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle:
        return 2.0;
    case TextStyle::title:
        return 1.7;
    case TextStyle::title2:
        return 1.35;
    case TextStyle::title3:
        return 1.18;
    case TextStyle::headline:
    case TextStyle::body:
        return 1.0;
    case TextStyle::subheadline:
        return 0.92;
    case TextStyle::caption:
        return 0.85;
    }
    return 1.0;
}

qreal bodyPointSize() {
    const qreal size = QApplication::font().pointSizeF();
    return size > 0 ? size : 10.0;
}

} // namespace

QFont Typography::font(TextStyle style, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPointSizeF(bodyPointSize() * scale(style));
    // A headline is the body size in bold unless told otherwise.
    if (style == TextStyle::headline && weight == QFont::Normal)
        weight = QFont::DemiBold;
    font.setWeight(weight);
    return font;
}

QFont Typography::monospaced(TextStyle style) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(bodyPointSize() * scale(style));
    return font;
}

QLabel* Typography::label(const QString& text, TextStyle style, QFont::Weight weight,
                          const QColor& color, const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font(style, weight));
    setTextColor(label, color);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    return label;
}

void Typography::setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QColor Typography::textColor(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

} // namespace korvi
