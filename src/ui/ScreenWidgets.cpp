#include "ui/ScreenWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Palette.h"
#include "ui/RoundedPanel.h"
#include "ui/SymbolIcons.h"

namespace korvi {

namespace {

// Sizes relative to body text, after the proportions of the desktop text
// styles; captions are kept a little larger so that they stay readable.
qreal scaleOf(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle:
        return 2.0;
    case TextStyle::title:
        return 1.7;
    case TextStyle::title2:
        return 1.3;
    case TextStyle::title3:
        return 1.15;
    case TextStyle::headline:
        return 1.0;
    case TextStyle::body:
        return 1.0;
    case TextStyle::subheadline:
        return 0.92;
    case TextStyle::caption:
        return 0.85;
    }
    return 1.0;
}

QString rgba(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

QFont ScreenWidgets::font(TextStyle style) {
    return font(style, QApplication::font());
}

QFont ScreenWidgets::font(TextStyle style, const QFont& base) {
    QFont font = base;
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    font.setPointSizeF(size * scaleOf(style));
    switch (style) {
    case TextStyle::largeTitle:
        font.setWeight(QFont::Bold);
        break;
    case TextStyle::headline:
        font.setWeight(QFont::DemiBold);
        break;
    default:
        break;
    }
    return font;
}

QLabel* ScreenWidgets::label(const QString& text, TextStyle style, const QString& objectName,
                             QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font(style));
    label->setTextFormat(Qt::PlainText);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    return label;
}

QLabel* ScreenWidgets::secondaryLabel(const QString& text, TextStyle style,
                                      const QString& objectName, QWidget* parent) {
    QLabel* result = label(text, style, objectName, parent);
    result->setWordWrap(true);
    setTextColor(result, secondaryTextColor(result->palette()));
    return result;
}

QColor ScreenWidgets::secondaryTextColor(const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    // Halfway towards the background, as a solid colour.
    return QColor((text.red() * 11 + window.red() * 9) / 20,
                  (text.green() * 11 + window.green() * 9) / 20,
                  (text.blue() * 11 + window.blue() * 9) / 20);
}

void ScreenWidgets::setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QPixmap ScreenWidgets::tintedPixmap(const QString& symbol, const QColor& color, int size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    // Rows paint the same few icons over and over: keep each once.
    const QString key = QStringLiteral("korvi-symbol:%1:%2:%3:%4")
                            .arg(symbol, color.isValid() ? color.name(QColor::HexArgb) : QString())
                            .arg(size)
                            .arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = symbolIcon(symbol).pixmap(QSize(size, size), ratio);
    if (color.isValid() && !pixmap.isNull()) {
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon ScreenWidgets::tintedIcon(const QString& symbol, const QColor& color, int size) {
    return QIcon(tintedPixmap(symbol, color, size));
}

QLabel* ScreenWidgets::iconLabel(const QString& symbol, int size, const QColor& color,
                                 const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    setIcon(label, symbol, size, color);
    return label;
}

void ScreenWidgets::setIcon(QLabel* label, const QString& symbol, int size, const QColor& color) {
    label->setPixmap(tintedPixmap(symbol, color, size));
    label->setFixedSize(size, size);
    label->setProperty("symbol", symbol);
}

RoundedPanel* ScreenWidgets::warningBanner(const QString& title, const QString& text,
                                           const QString& objectName, QWidget* parent) {
    auto* banner = new RoundedPanel(parent);
    banner->setObjectName(objectName);
    QColor fill = namedColor(NamedColor::orange);
    fill.setAlphaF(0.12f);
    banner->setFillColor(fill);
    banner->setRadius(8);

    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(10);
    row->addWidget(iconLabel(QStringLiteral("exclamationmark.triangle.fill"), 20,
                             namedColor(NamedColor::orange), objectName + QStringLiteral("Icon")),
                   0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(label(title, TextStyle::headline, objectName + QStringLiteral("Title")));
    texts->addWidget(
        secondaryLabel(text, TextStyle::subheadline, objectName + QStringLiteral("Text")));
    row->addLayout(texts, 1);
    return banner;
}

QLabel* ScreenWidgets::badge(const QString& text, const QColor& color, const QString& objectName,
                             QWidget* parent) {
    QLabel* result = label(text, TextStyle::caption, objectName, parent);
    QColor background = color;
    background.setAlphaF(0.2f);
    result->setStyleSheet(QStringLiteral("QLabel { color: %1; background-color: %2; "
                                         "border-radius: 4px; padding: 1px 6px; }")
                              .arg(rgba(color), rgba(background)));
    result->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return result;
}

QPushButton* ScreenWidgets::prominentButton(const QString& text, const QString& symbol,
                                            const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    if (!symbol.isEmpty())
        button->setIcon(tintedIcon(symbol, Qt::white, 16));
    const QColor accent = namedColor(NamedColor::blue);
    QColor disabled = accent;
    disabled.setAlphaF(0.35f);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white; border: none; "
                       "border-radius: 6px; padding: 6px 14px; }"
                       "QPushButton:pressed { background-color: %2; }"
                       "QPushButton:disabled { background-color: %3; color: rgba(255, 255, "
                       "255, 190); }")
            .arg(rgba(accent), rgba(accent.darker(120)), rgba(disabled)));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void ScreenWidgets::setButtonTextColor(QPushButton* button, const QColor& color) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, color);
    button->setPalette(palette);
}

QString ScreenWidgets::statusValueText(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QStringLiteral("Running");
    case ServerStatus::stopped:
        return QStringLiteral("Stopped");
    case ServerStatus::error:
        return QStringLiteral("Error");
    case ServerStatus::unknown:
        return QStringLiteral("Unknown");
    case ServerStatus::notInstalled:
        return QStringLiteral("Not Installed");
    }
    return {};
}

} // namespace korvi
