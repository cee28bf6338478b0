#pragma once

#include <QColor>
#include <QWidget>

namespace korvi {

// The server status light: a filled circle of 12 x 12 in one colour.
class StatusIndicator : public QWidget {
    Q_OBJECT

public:
    explicit StatusIndicator(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    QSize sizeHint() const override { return {12, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

} // namespace korvi
