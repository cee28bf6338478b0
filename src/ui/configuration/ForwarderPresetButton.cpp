#include "ui/configuration/ForwarderPresetButton.h"

#include <QPainter>

#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {
constexpr int padding = 10;
constexpr int lineSpacing = 2;
} // namespace

ForwarderPresetButton::ForwarderPresetButton(const QString& title, const QStringList& servers,
                                             QWidget* parent)
    : QAbstractButton(parent), m_title(title), m_servers(servers) {
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setToolTip(servers.join(QStringLiteral(", ")));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QStringList ForwarderPresetButton::appliedTo(const QStringList& forwarders,
                                             const QStringList& servers) {
    QStringList result = forwarders;
    for (const QString& server : servers) {
        if (!result.contains(server))
            result.append(server);
    }
    return result;
}

QSize ForwarderPresetButton::sizeHint() const {
    const QFontMetrics title(Typography::font(TextStyle::headline));
    const QFontMetrics caption(Typography::font(TextStyle::caption));
    int width = title.horizontalAdvance(m_title);
    for (const QString& server : m_servers)
        width = qMax(width, caption.horizontalAdvance(server));
    const int height =
        title.height() + int(m_servers.size()) * (caption.height() + lineSpacing) + 2 * padding;
    return QSize(width + 2 * padding, height);
}

void ForwarderPresetButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ForwarderPresetButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ForwarderPresetButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = palette().color(QPalette::AlternateBase);
    if (isDown())
        background = background.darker(112);
    else if (m_hovered)
        background = background.darker(104);
    painter.setPen(QPen(palette().color(QPalette::Midlight), 1));
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    const QFont titleFont = Typography::font(TextStyle::headline);
    const QFont captionFont = Typography::font(TextStyle::caption);
    const QFontMetrics title(titleFont);
    const QFontMetrics caption(captionFont);
    const int width = rect().width() - 2 * padding;
    int y = padding;
    painter.setFont(titleFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(padding, y, width, title.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     m_title);
    y += title.height() + lineSpacing;
    painter.setFont(captionFont);
    painter.setPen(ScreenWidgets::secondaryTextColor());
    for (const QString& server : m_servers) {
        painter.drawText(QRect(padding, y, width, caption.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, server);
        y += caption.height() + lineSpacing;
    }
}

} // namespace korvi
