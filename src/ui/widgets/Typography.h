#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace korvi {

// The text sizes of Korvi's screens, from the large page title down to the
// caption, scaled from the desktop's own body text size.
enum class TextStyle { largeTitle, title, title2, title3, headline, body, subheadline, caption };

class Typography {
public:
    static QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
    // The fixed-width face at the given size.
    static QFont monospaced(TextStyle style = TextStyle::body);

    // A label with this text, style, weight and colour, named for tests.
    static QLabel* label(const QString& text, TextStyle style, QFont::Weight weight,
                         const QColor& color, const QString& objectName = QString(),
                         QWidget* parent = nullptr);
    // Sets the colour of a label's (or any widget's) text.
    static void setTextColor(QWidget* widget, const QColor& color);
    static QColor textColor(const QWidget* widget);
};

} // namespace korvi
