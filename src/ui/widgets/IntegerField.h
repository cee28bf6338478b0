#pragma once

#include <QLineEdit>
#include <QLocale>

#include <optional>

namespace korvi {

// A text field holding a whole number, written and read with the user's
// locale ("86,400" or "86.400"). The number may be absent: the field then
// shows a stand-in value (the default the record uses) until the user types
// a number of their own. Text that is not a number leaves the number as it
// was; leaving the field shows the number again in the locale's form.
class IntegerField : public QLineEdit {
    Q_OBJECT

public:
    explicit IntegerField(QWidget* parent = nullptr);

    std::optional<qint64> value() const { return m_value; }
    // Sets the number (or none) and shows it; does not announce it.
    void setValue(std::optional<qint64> value);
    // What the field shows while the number is absent.
    void setShownDefault(std::optional<qint64> value);
    void setLocale(const QLocale& locale);

    QString formatted(qint64 value) const;
    // The number a text stands for, in the field's locale or plainly written.
    std::optional<qint64> parse(const QString& text) const;

Q_SIGNALS:
    // The user changed the number (typing, or clearing an optional field).
    void valueEdited(std::optional<qint64> value);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textWasEdited(const QString& text);
    void showValue();

    QLocale m_locale;
    std::optional<qint64> m_value;
    std::optional<qint64> m_shownDefault;
};

} // namespace korvi
