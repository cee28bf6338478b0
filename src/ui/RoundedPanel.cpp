#include "ui/RoundedPanel.h"

#include <QPainter>
#include <QPainterPath>

namespace korvi {

RoundedPanel::RoundedPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
}

void RoundedPanel::setFillColor(const QColor& color) {
    m_fill = Fill::custom;
    m_color = color;
    update();
}

void RoundedPanel::setControlBackground(qreal opacity) {
    m_fill = Fill::controlBackground;
    m_opacity = opacity;
    update();
}

void RoundedPanel::setRadius(qreal radius) {
    m_radius = radius;
    update();
}

QColor RoundedPanel::fillColor() const {
    if (m_fill == Fill::custom)
        return m_color;
    QColor color = palette().color(QPalette::Base);
    color.setAlphaF(float(color.alphaF() * m_opacity));
    return color;
}

void RoundedPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor());
    painter.drawRoundedRect(QRectF(rect()), m_radius, m_radius);
    QFrame::paintEvent(event);
}

} // namespace korvi
