#pragma once

#include <QColor>
#include <QWidget>

namespace korvi {

// A plain container drawn as a filled rounded rectangle: the cards, panels
// and boxes of Korvi's screens. Children are laid out by the layout set on it.
class RoundedPanel : public QWidget {
    Q_OBJECT

public:
    explicit RoundedPanel(const QColor& background, qreal cornerRadius = 12,
                          QWidget* parent = nullptr);

    QColor background() const { return m_background; }
    void setBackground(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_background;
    qreal m_cornerRadius;
};

} // namespace korvi
