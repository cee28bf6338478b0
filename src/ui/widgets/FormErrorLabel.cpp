#include "ui/widgets/FormErrorLabel.h"

#include <QRegularExpression>

#include "ui/widgets/Palette.h"
#include "ui/widgets/Typography.h"

namespace korvi {

FormErrorLabel::FormErrorLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("formErrorLabel"));
    setFont(Typography::font(TextStyle::subheadline));
    Typography::setTextColor(this, namedColor(NamedColor::red));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide();
}

void FormErrorLabel::showMessage(const QString& message) {
    setText(readable(message));
    setVisible(!message.isEmpty());
}

QString FormErrorLabel::message() const {
    return isHidden() ? QString() : text();
}

QString FormErrorLabel::readable(const QString& message) {
    static const QRegularExpression scratch(QStringLiteral(
        R"(\S*?([^/\s]+)\.tmp\.[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})"));
    QString text = message;
    text.replace(scratch, QStringLiteral("\\1"));
    return text;
}

} // namespace korvi
