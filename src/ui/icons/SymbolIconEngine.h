#pragma once

#include <QColor>
#include <QIconEngine>
#include <QString>

namespace korvi {

// Paints one of Korvi's symbols (see SymbolGlyphs) at whatever size and
// pixel density is asked for, in one colour; the disabled state is drawn
// faded and the selected state in the colour of text on an accent.
class SymbolIconEngine : public QIconEngine {
public:
    // An empty name with applicationIcon set paints Korvi's application icon.
    SymbolIconEngine(const QString& name, const QColor& color, bool applicationIcon = false);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    QString iconName() override;
    bool isNull() override { return false; }

private:
    QColor colorFor(QIcon::Mode mode) const;

    QString m_name;
    QColor m_color;
    bool m_applicationIcon;
};

} // namespace korvi
