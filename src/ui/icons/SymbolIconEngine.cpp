#include "ui/icons/SymbolIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

#include "ui/icons/SymbolGlyphs.h"
#include "ui/widgets/Palette.h"

namespace korvi {

SymbolIconEngine::SymbolIconEngine(const QString& name, const QColor& color, bool applicationIcon)
    : m_name(name), m_color(color), m_applicationIcon(applicationIcon) {}

QColor SymbolIconEngine::colorFor(QIcon::Mode mode) const {
    switch (mode) {
    case QIcon::Disabled: {
        QColor faded = m_color;
        faded.setAlphaF(faded.alphaF() * 0.35f);
        return faded;
    }
    case QIcon::Selected:
        return semanticColor(SemanticColor::textOnAccent);
    case QIcon::Normal:
    case QIcon::Active:
        break;
    }
    return m_color;
}

void SymbolIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                             QIcon::State state) {
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
}

QPixmap SymbolIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return scaledPixmap(size, mode, state, 1.0);
}

// As QIcon asks: the size in device pixels, and the density it is for.
QPixmap SymbolIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State,
                                       qreal scale) {
    if (size.isEmpty())
        return QPixmap();
    const QColor color = colorFor(mode);
    const QSize pixels = size;
    const QString cacheKey = QStringLiteral("korvi-symbol:%1:%2:%3x%4:%5")
                                 .arg(m_applicationIcon ? QStringLiteral("#app") : m_name)
                                 .arg(color.name(QColor::HexArgb))
                                 .arg(pixels.width())
                                 .arg(pixels.height())
                                 .arg(scale);
    QPixmap cached;
    if (QPixmapCache::find(cacheKey, &cached))
        return cached;

    // Drawn opaque, then faded as a whole, so that strokes that overlap do
    // not come out stronger than the rest.
    QColor opaque = color;
    opaque.setAlphaF(1.0f);
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        // The drawings use a 24 x 24 grid, centred in a square of the shorter side.
        const qreal side = qMin(pixels.width(), pixels.height());
        painter.translate((pixels.width() - side) / 2, (pixels.height() - side) / 2);
        painter.scale(side / 24.0, side / 24.0);
        if (m_applicationIcon)
            SymbolGlyphs::paintApplicationIcon(painter);
        else
            SymbolGlyphs::paint(m_name, painter, opaque);
    }
    if (color.alphaF() < 1.0f) {
        QImage faded(pixels, QImage::Format_ARGB32_Premultiplied);
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(color.alphaF());
        painter.drawImage(0, 0, image);
        painter.end();
        image = faded;
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(scale);
    QPixmapCache::insert(cacheKey, result);
    return result;
}

QSize SymbolIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    return size;
}

QIconEngine* SymbolIconEngine::clone() const {
    return new SymbolIconEngine(m_name, m_color, m_applicationIcon);
}

QString SymbolIconEngine::key() const {
    return QStringLiteral("KorviSymbol");
}

QString SymbolIconEngine::iconName() {
    return m_name;
}

} // namespace korvi
