#include "ui/widgets/IntegerField.h"

#include <QFocusEvent>

namespace korvi {

IntegerField::IntegerField(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textEdited, this, &IntegerField::textWasEdited);
    connect(this, &QLineEdit::editingFinished, this, &IntegerField::showValue);
}

void IntegerField::setValue(std::optional<qint64> value) {
    m_value = value;
    showValue();
}

void IntegerField::setShownDefault(std::optional<qint64> value) {
    m_shownDefault = value;
    setPlaceholderText(value ? formatted(*value) : QString());
    showValue();
}

void IntegerField::setLocale(const QLocale& locale) {
    m_locale = locale;
    showValue();
}

QString IntegerField::formatted(qint64 value) const {
    // Ports, TTLs and serials are read digit by digit: no group separators.
    QLocale locale = m_locale;
    locale.setNumberOptions(m_locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

std::optional<qint64> IntegerField::parse(const QString& text) const {
    const QString trimmed = text.trimmed();
    bool ok = false;
    qint64 number = m_locale.toLongLong(trimmed, &ok);
    if (!ok)
        number = trimmed.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

void IntegerField::textWasEdited(const QString& text) {
    if (text.trimmed().isEmpty()) {
        // Clearing an optional number makes it absent again; a required one
        // keeps its number until the user types another.
        if (m_shownDefault && m_value) {
            m_value.reset();
            Q_EMIT valueEdited(m_value);
        }
        return;
    }
    if (const std::optional<qint64> number = parse(text)) {
        m_value = number;
        Q_EMIT valueEdited(m_value);
    }
}

void IntegerField::showValue() {
    const std::optional<qint64> shown = m_value ? m_value : m_shownDefault;
    const QString text = shown ? formatted(*shown) : QString();
    if (this->text() != text)
        setText(text);
}

void IntegerField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    showValue();
}

} // namespace korvi
