#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include "ui/widgets/Typography.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

namespace korvi {

class RoundedPanel;

// The pieces the zone, record and configuration screens build from, on top
// of the shared typography and palette: labels named for tests, tinted
// symbol icons, cards, the "server is not running" banner and badges.
class ScreenWidgets {
public:
    // A frameless scroll area whose page follows its width; with wrapped
    // texts the page never needs a horizontal scroll bar.
    static QScrollArea* scrollArea(QWidget* parent = nullptr, bool wrapsToWidth = false);
    // A label in a text style and the primary text colour.
    static QLabel* label(const QString& text, TextStyle style, const QString& objectName = {},
                         QWidget* parent = nullptr);
    // The same in the secondary text colour, wrapped.
    static QLabel* secondaryLabel(const QString& text, TextStyle style,
                                  const QString& objectName = {}, QWidget* parent = nullptr);
    static QColor secondaryTextColor();

    // A card on the control background.
    static RoundedPanel* card(const QString& objectName, qreal radius = 10,
                              QWidget* parent = nullptr);

    // The symbol's icon in one colour, at a size; kept once drawn, since
    // list rows paint the same few icons over and over.
    static QPixmap tintedPixmap(const QString& symbol, const QColor& color, int size);
    static QIcon tintedIcon(const QString& symbol, const QColor& color);
    // A label showing a symbol icon; the name is kept in its "symbol" property.
    static QLabel* iconLabel(const QString& symbol, int size, const QColor& color,
                             const QString& objectName = {}, QWidget* parent = nullptr);
    static void setIcon(QLabel* label, const QString& symbol, int size, const QColor& color);

    // The orange banner shown while the server does not run: warning icon,
    // title and explanation. The title label is named objectName + "Title",
    // the text objectName + "Text".
    static RoundedPanel* warningBanner(const QString& title, const QString& text,
                                       const QString& objectName, QWidget* parent = nullptr);

    // Small rounded caption text on a translucent background of its colour,
    // like "(Server Stopped)".
    static QLabel* badge(const QString& text, const QColor& color, const QString& objectName = {},
                         QWidget* parent = nullptr);

    // The accent-coloured button of a screen's main action, with an icon.
    static QPushButton* prominentButton(const QString& text, const QString& symbol,
                                        const QString& objectName, QWidget* parent = nullptr);
};

} // namespace korvi
