#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

#include "manager/ServerStatus.h"

class QLabel;
class QPushButton;
class QWidget;

namespace korvi {

class RoundedPanel;

// Text sizes of Korvi's screens, from the window title down to captions.
enum class TextStyle { largeTitle, title, title2, title3, headline, body, subheadline, caption };

// The building blocks the zone, record and configuration screens share:
// text styles, secondary text, tinted symbol icons, the "server is not
// running" banner, badges and the prominent button.
class ScreenWidgets {
public:
    static QFont font(TextStyle style);
    static QFont font(TextStyle style, const QFont& base);

    // A label in a text style; an objectName lets tests read it.
    static QLabel* label(const QString& text, TextStyle style, const QString& objectName = {},
                         QWidget* parent = nullptr);
    // The same, in the secondary text colour and wrapped.
    static QLabel* secondaryLabel(const QString& text, TextStyle style,
                                  const QString& objectName = {}, QWidget* parent = nullptr);

    // Text drawn less prominently than the main text of the palette.
    static QColor secondaryTextColor(const QPalette& palette);
    static void setTextColor(QWidget* widget, const QColor& color);

    // The symbol's icon drawn in one colour (a transparent background kept).
    static QPixmap tintedPixmap(const QString& symbol, const QColor& color, int size);
    static QIcon tintedIcon(const QString& symbol, const QColor& color, int size);
    // A label showing a symbol icon, tinted when a colour is given.
    static QLabel* iconLabel(const QString& symbol, int size, const QColor& color = {},
                             const QString& objectName = {}, QWidget* parent = nullptr);
    static void setIcon(QLabel* label, const QString& symbol, int size, const QColor& color = {});

    // The orange banner shown while the server does not run: warning icon,
    // title and explanation. The title label is named objectName + "Title",
    // the text objectName + "Text".
    static RoundedPanel* warningBanner(const QString& title, const QString& text,
                                       const QString& objectName, QWidget* parent = nullptr);

    // Small rounded caption text on a translucent background of its colour,
    // like "(Server Stopped)".
    static QLabel* badge(const QString& text, const QColor& color, const QString& objectName = {},
                         QWidget* parent = nullptr);

    // The accent-coloured button of a screen's main action.
    static QPushButton* prominentButton(const QString& text, const QString& symbol,
                                        const QString& objectName, QWidget* parent = nullptr);
    // A bordered button in a colour (the red "Delete Record").
    static void setButtonTextColor(QPushButton* button, const QColor& color);

    // "Running", "Stopped", "Error", "Unknown" or "Not Installed".
    static QString statusValueText(ServerStatus status);
};

} // namespace korvi
