#include "ui/dashboard/StatusIndicator.h"

#include <QPainter>

namespace korvi {

StatusIndicator::StatusIndicator(QWidget* parent) : QWidget(parent) {
    setFixedSize(12, 12);
}

void StatusIndicator::setColor(const QColor& color) {
    m_color = color;
    update();
}

void StatusIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(0, 0, 12, 12));
}

} // namespace korvi
