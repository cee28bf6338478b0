#pragma once

#include <QColor>
#include <QFrame>

namespace korvi {

// A plain container drawn as a filled rounded rectangle: the cards, banners
// and boxes of Korvi's screens. The fill follows the palette unless a colour
// is given.
class RoundedPanel : public QFrame {
    Q_OBJECT

public:
    enum class Fill {
        controlBackground, // the palette's base colour, as behind lists and fields
        custom,
    };

    explicit RoundedPanel(QWidget* parent = nullptr);

    void setFillColor(const QColor& color);
    void setControlBackground(qreal opacity = 1.0);
    void setRadius(qreal radius);
    qreal radius() const { return m_radius; }
    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Fill m_fill = Fill::controlBackground;
    QColor m_color;
    qreal m_opacity = 1.0;
    qreal m_radius = 10.0;
};

} // namespace korvi
