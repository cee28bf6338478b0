#include "ui/widgets/ScreenWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmapCache>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/PaletteFollower.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/RoundedPanel.h"

namespace korvi {

namespace {

QString rgba(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

QScrollArea* ScreenWidgets::scrollArea(QWidget* parent, bool wrapsToWidth) {
    auto* scroll = new QScrollArea(parent);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    if (wrapsToWidth)
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return scroll;
}

QLabel* ScreenWidgets::label(const QString& text, TextStyle style, const QString& objectName,
                             QWidget* parent) {
    // Page titles are bold; headlines get their own weight from the style.
    const QFont::Weight weight = style == TextStyle::largeTitle ? QFont::Bold : QFont::Normal;
    QLabel* result = Typography::label(text, style, weight, semanticColor(SemanticColor::label),
                                       objectName, parent);
    result->setTextFormat(Qt::PlainText);
    return result;
}

QLabel* ScreenWidgets::secondaryLabel(const QString& text, TextStyle style,
                                      const QString& objectName, QWidget* parent) {
    QLabel* result =
        Typography::label(text, style, QFont::Normal, secondaryTextColor(), objectName, parent);
    result->setTextFormat(Qt::PlainText);
    result->setWordWrap(true);
    return result;
}

QColor ScreenWidgets::secondaryTextColor() {
    return semanticColor(SemanticColor::secondaryLabel);
}

RoundedPanel* ScreenWidgets::card(const QString& objectName, qreal radius, QWidget* parent) {
    auto* panel = new RoundedPanel(semanticColor(SemanticColor::controlBackground), radius, parent);
    if (!objectName.isEmpty())
        panel->setObjectName(objectName);
    return panel;
}

QPixmap ScreenWidgets::tintedPixmap(const QString& symbol, const QColor& color, int size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QString key = QStringLiteral("korvi-screen-symbol:%1:%2:%3:%4")
                            .arg(symbol, color.name(QColor::HexArgb))
                            .arg(size)
                            .arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = symbolIcon(symbol, color).pixmap(QSize(size, size), ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon ScreenWidgets::tintedIcon(const QString& symbol, const QColor& color) {
    return symbolIcon(symbol, color);
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
    QColor fill = namedColor(NamedColor::orange);
    fill.setAlphaF(0.12f);
    auto* banner = new RoundedPanel(fill, 8, parent);
    banner->setObjectName(objectName);
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
    auto* button = new ProminentButton(text, parent);
    button->setObjectName(objectName);
    if (!symbol.isEmpty()) {
        PaletteFollower::follow(button, [button, symbol] {
            button->setIcon(symbolIcon(symbol, semanticColor(SemanticColor::textOnAccent)));
        });
    }
    return button;
}

} // namespace korvi
