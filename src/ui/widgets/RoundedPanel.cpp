#include "ui/widgets/RoundedPanel.h"

#include <QPainter>

namespace korvi {

RoundedPanel::RoundedPanel(const QColor& background, qreal cornerRadius, QWidget* parent)
    : QWidget(parent), m_background(background), m_cornerRadius(cornerRadius) {}

void RoundedPanel::setBackground(const QColor& color) {
    m_background = color;
    update();
}

void RoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_background);
    painter.drawRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
}

} // namespace korvi
