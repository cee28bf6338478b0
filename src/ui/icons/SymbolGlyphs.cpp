#include "ui/icons/SymbolGlyphs.h"

#include <QFont>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <functional>

#include "ui/widgets/Palette.h"

namespace korvi {

namespace {

using Glyph = std::function<void(QPainter&, const QColor&)>;

// ---- Pens and brushes --------------------------------------------------

void stroke(QPainter& p, const QColor& c, qreal width = 1.8) {
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

// A filled shape whose corners are rounded by an outline of the same colour.
void fill(QPainter& p, const QColor& c, qreal roundness = 0) {
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (roundness > 0)
        p.setPen(QPen(c, roundness, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        p.setPen(Qt::NoPen);
    p.setBrush(c);
}

// What is drawn next is cut out of what is already there.
void cutStroke(QPainter& p, qreal width) {
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void cutFill(QPainter& p) {
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
}

QRectF around(QPointF centre, qreal radius) {
    return {centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius};
}

// ---- Shapes shared by several symbols ----------------------------------

QPainterPath folderPath() {
    QPainterPath path;
    path.moveTo(2.8, 5.5);
    path.lineTo(9.2, 5.5);
    path.lineTo(11.2, 7.8);
    path.lineTo(21.2, 7.8);
    path.lineTo(21.2, 19.5);
    path.lineTo(2.8, 19.5);
    path.closeSubpath();
    return path;
}

void folderOutline(QPainter& p, const QColor& c) {
    stroke(p, c, 1.7);
    p.drawPath(folderPath());
    p.drawLine(QPointF(2.8, 10.6), QPointF(21.2, 10.6));
}

QPainterPath documentPath() {
    QPainterPath path;
    path.moveTo(5.5, 2.5);
    path.lineTo(13.5, 2.5);
    path.lineTo(18.5, 7.5);
    path.lineTo(18.5, 21.5);
    path.lineTo(5.5, 21.5);
    path.closeSubpath();
    return path;
}

void documentOutline(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawPath(documentPath());
    p.drawPolyline(QPolygonF{{13.5, 2.5}, {13.5, 7.5}, {18.5, 7.5}});
}

void textLines(QPainter& p, const QList<std::pair<qreal, qreal>>& lines, qreal x = 8.5) {
    for (const auto& [y, end] : lines)
        p.drawLine(QPointF(x, y), QPointF(end, y));
}

// A gear with the given number of teeth, as one closed outline.
QPainterPath gearPath(QPointF centre, qreal outer, qreal inner, int teeth) {
    QPainterPath path;
    const qreal step = 2 * M_PI / teeth;
    const auto at = [&](qreal radius, qreal angle) {
        return QPointF(centre.x() + radius * qCos(angle), centre.y() + radius * qSin(angle));
    };
    for (int i = 0; i < teeth; ++i) {
        const qreal base = i * step;
        const QPointF points[] = {at(inner, base - step * 0.32), at(outer, base - step * 0.2),
                                  at(outer, base + step * 0.2), at(inner, base + step * 0.32)};
        for (const QPointF& point : points) {
            if (path.elementCount() == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

// A round badge at the lower right: the space round it is cleared, the badge
// filled, and its mark drawn by `mark` (usually cut out).
const QPointF badgeCentre(18.0, 17.6);

void badge(QPainter& p, const QColor& c, const std::function<void()>& mark) {
    cutFill(p);
    p.drawEllipse(around(badgeCentre, 6.6));
    fill(p, c);
    p.drawEllipse(around(badgeCentre, 5.2));
    mark();
}

void plusMark(QPainter& p, QPointF centre, qreal half, qreal width) {
    cutStroke(p, width);
    p.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
    p.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
}

void filledCircle(QPainter& p, const QColor& c) {
    fill(p, c);
    p.drawEllipse(around({12, 12}, 10));
}

// A number cut out of a filled circle.
void numberInCircle(QPainter& p, const QColor& c, const QString& digit) {
    filledCircle(p, c);
    QFont font;
    font.setBold(true);
    font.setPixelSize(14);
    QPainterPath text;
    text.addText(0, 0, font, digit);
    const QRectF box = text.boundingRect();
    text.translate(12 - box.center().x(), 12 - box.center().y());
    cutFill(p);
    p.drawPath(text);
}

void globeLines(QPainter& p, const QColor& c) {
    stroke(p, c, 1.4);
    p.drawEllipse(around({12, 12}, 9.5));
    p.drawEllipse(QRectF(7.8, 2.5, 8.4, 19));
    p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
    p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
    p.drawLine(QPointF(4.1, 7), QPointF(19.9, 7));
    p.drawLine(QPointF(4.1, 17), QPointF(19.9, 17));
}

// ---- The symbols ------------------------------------------------------

void gauge(QPainter& p, const QColor& c) {
    stroke(p, c, 1.8);
    QPainterPath dial;
    const QRectF rect = around({12, 14}, 9);
    dial.arcMoveTo(rect, 200);
    dial.arcTo(rect, 200, -220);
    p.drawPath(dial);
    for (int angle : {180, 135, 90, 45, 0}) {
        const qreal a = qDegreesToRadians(qreal(angle));
        p.drawLine(QPointF(12 + 6.6 * qCos(a), 14 - 6.6 * qSin(a)),
                   QPointF(12 + 7.4 * qCos(a), 14 - 7.4 * qSin(a)));
    }
    p.drawLine(QPointF(12, 14), QPointF(16.2, 9.3));
    fill(p, c);
    p.drawEllipse(around({12, 14}, 1.8));
}

void folder(QPainter& p, const QColor& c) {
    folderOutline(p, c);
}

void folderBadgePlus(QPainter& p, const QColor& c) {
    folderOutline(p, c);
    badge(p, c, [&] { plusMark(p, badgeCentre, 2.6, 1.6); });
}

void folderBadgeGear(QPainter& p, const QColor& c) {
    folderOutline(p, c);
    cutFill(p);
    p.drawEllipse(around(badgeCentre, 6.6));
    fill(p, c, 0.6);
    p.drawPath(gearPath(badgeCentre, 5.4, 4.0, 8));
    cutFill(p);
    p.drawEllipse(around(badgeCentre, 1.8));
}

void doc(QPainter& p, const QColor& c) {
    documentOutline(p, c);
}

void docText(QPainter& p, const QColor& c) {
    documentOutline(p, c);
    stroke(p, c, 1.4);
    textLines(p, {{11.5, 15.5}, {14.5, 15.5}, {17.5, 13}});
}

void docTextFill(QPainter& p, const QColor& c) {
    fill(p, c, 1.2);
    p.drawPath(documentPath());
    cutStroke(p, 1.2);
    p.drawPolyline(QPolygonF{{13.5, 2.5}, {13.5, 7.5}, {18.5, 7.5}});
    cutStroke(p, 1.5);
    textLines(p, {{11.5, 15.5}, {14.5, 15.5}, {17.5, 13}});
}

void docPlaintext(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawRoundedRect(QRectF(5, 2.5, 14, 19), 2.5, 2.5);
    stroke(p, c, 1.4);
    textLines(p, {{7, 15.5}, {10.3, 15.5}, {13.6, 12.5}, {16.9, 15.5}}, 8.5);
}

void docTextBadgePlus(QPainter& p, const QColor& c) {
    docText(p, c);
    badge(p, c, [&] { plusMark(p, badgeCentre, 2.6, 1.6); });
}

void gearshape(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawPath(gearPath({12, 12}, 9.8, 7.4, 8));
    p.drawEllipse(around({12, 12}, 3));
}

void gearshapeFill(QPainter& p, const QColor& c) {
    fill(p, c, 1.0);
    p.drawPath(gearPath({12, 12}, 9.8, 7.4, 8));
    cutFill(p);
    p.drawEllipse(around({12, 12}, 3.2));
}

void bookFill(QPainter& p, const QColor& c) {
    fill(p, c, 1.0);
    QPainterPath left;
    left.moveTo(11.3, 6.2);
    left.cubicTo(9, 4.6, 5.5, 4.3, 2.5, 5.3);
    left.lineTo(2.5, 19);
    left.cubicTo(5.5, 18, 9, 18.3, 11.3, 19.8);
    left.closeSubpath();
    p.drawPath(left);
    QTransform mirror;
    mirror.translate(24, 0);
    mirror.scale(-1, 1);
    p.drawPath(mirror.map(left));
}

void arrowClockwise(QPainter& p, const QColor& c) {
    stroke(p, c, 1.9);
    QPainterPath arc;
    const QRectF rect = around({12, 12.5}, 8);
    arc.arcMoveTo(rect, 30);
    arc.arcTo(rect, 30, -300);
    p.drawPath(arc);
    fill(p, c, 0.8);
    p.drawPolygon(QPolygonF{{15.8, 4.5}, {11.2, 1.4}, {11.2, 7.6}});
}

void serverRack(QPainter& p, const QColor& c) {
    for (qreal top : {3.0, 9.5, 16.0}) {
        stroke(p, c, 1.5);
        p.drawRoundedRect(QRectF(3, top, 18, 5), 1.5, 1.5);
        p.drawLine(QPointF(11, top + 2.5), QPointF(17.5, top + 2.5));
        fill(p, c);
        p.drawEllipse(around({6.4, top + 2.5}, 1.0));
    }
}

void shippingboxFill(QPainter& p, const QColor& c) {
    fill(p, c, 1.2);
    p.drawPolygon(QPolygonF{{12, 2.5}, {21, 7}, {21, 17}, {12, 21.5}, {3, 17}, {3, 7}});
    cutStroke(p, 1.2);
    p.drawPolyline(QPolygonF{{3, 7}, {12, 11.5}, {21, 7}});
    p.drawLine(QPointF(12, 11.5), QPointF(12, 21.5));
    p.drawLine(QPointF(7.5, 4.75), QPointF(16.5, 9.25));
}

void plus(QPainter& p, const QColor& c) {
    stroke(p, c, 2.0);
    p.drawLine(QPointF(12, 4), QPointF(12, 20));
    p.drawLine(QPointF(4, 12), QPointF(20, 12));
}

void plusCircleFill(QPainter& p, const QColor& c) {
    filledCircle(p, c);
    plusMark(p, {12, 12}, 5, 2.2);
}

void minusCircleFill(QPainter& p, const QColor& c) {
    filledCircle(p, c);
    cutStroke(p, 2.2);
    p.drawLine(QPointF(7, 12), QPointF(17, 12));
}

void checkmarkCircleFill(QPainter& p, const QColor& c) {
    filledCircle(p, c);
    cutStroke(p, 2.2);
    p.drawPolyline(QPolygonF{{7.2, 12.4}, {10.6, 15.8}, {16.8, 8.6}});
}

void listBulletCircleFill(QPainter& p, const QColor& c) {
    filledCircle(p, c);
    cutFill(p);
    for (qreal y : {8.2, 12.0, 15.8})
        p.drawEllipse(around({8.2, y}, 1.2));
    cutStroke(p, 1.6);
    for (qreal y : {8.2, 12.0, 15.8})
        p.drawLine(QPointF(11, y), QPointF(16.5, y));
}

void exclamationTriangleFill(QPainter& p, const QColor& c) {
    fill(p, c, 2.0);
    p.drawPolygon(QPolygonF{{12, 3}, {21.6, 20}, {2.4, 20}});
    cutStroke(p, 2.2);
    p.drawLine(QPointF(12, 8.8), QPointF(12, 13.4));
    cutFill(p);
    p.drawEllipse(around({12, 16.8}, 1.3));
}

void infoCircle(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawEllipse(around({12, 12}, 9.5));
    stroke(p, c, 2.0);
    p.drawLine(QPointF(12, 10.8), QPointF(12, 16.8));
    fill(p, c);
    p.drawEllipse(around({12, 7.4}, 1.3));
}

void trash(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawLine(QPointF(3.8, 6), QPointF(20.2, 6));
    p.drawPolyline(QPolygonF{{9, 6}, {9, 3.4}, {15, 3.4}, {15, 6}});
    p.drawPolyline(QPolygonF{{6, 6}, {7.1, 21}, {16.9, 21}, {18, 6}});
    p.drawLine(QPointF(10, 9.5), QPointF(10.3, 17.8));
    p.drawLine(QPointF(14, 9.5), QPointF(13.7, 17.8));
}

void magnifyingglass(QPainter& p, const QColor& c) {
    stroke(p, c, 1.9);
    p.drawEllipse(around({10, 10}, 6.6));
    stroke(p, c, 2.6);
    p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
}

void pencil(QPainter& p, const QColor& c) {
    p.save();
    p.translate(12, 12);
    p.rotate(45);
    stroke(p, c, 1.6);
    p.drawRect(QRectF(-2.6, -9.5, 5.2, 14.5));
    p.drawLine(QPointF(-2.6, -6.3), QPointF(2.6, -6.3));
    p.drawPolygon(QPolygonF{{-2.6, 5}, {2.6, 5}, {0, 9.6}});
    p.restore();
}

void globe(QPainter& p, const QColor& c) {
    globeLines(p, c);
}

void globeBadgeChevronBackward(QPainter& p, const QColor& c) {
    globeLines(p, c);
    badge(p, c, [&] {
        cutStroke(p, 1.7);
        p.drawPolyline(QPolygonF{{19, 15}, {16.4, 17.6}, {19, 20.2}});
    });
}

void network(QPainter& p, const QColor& c) {
    stroke(p, c, 1.6);
    p.drawEllipse(around({12, 4.8}, 2.6));
    p.drawEllipse(around({5, 18.6}, 2.6));
    p.drawEllipse(around({19, 18.6}, 2.6));
    p.drawLine(QPointF(12, 7.4), QPointF(12, 12));
    p.drawLine(QPointF(5, 12), QPointF(19, 12));
    p.drawLine(QPointF(5, 12), QPointF(5, 16));
    p.drawLine(QPointF(19, 12), QPointF(19, 16));
}

void checkmarkShieldFill(QPainter& p, const QColor& c) {
    QPainterPath shield;
    shield.moveTo(12, 2.5);
    shield.lineTo(20, 5.5);
    shield.lineTo(20, 11);
    shield.cubicTo(20, 16, 16.5, 19.5, 12, 21.5);
    shield.cubicTo(7.5, 19.5, 4, 16, 4, 11);
    shield.lineTo(4, 5.5);
    shield.closeSubpath();
    fill(p, c, 1.2);
    p.drawPath(shield);
    cutStroke(p, 2.0);
    p.drawPolyline(QPolygonF{{8.4, 12}, {11, 14.6}, {15.8, 9.2}});
}

void wrenchAndScrewdriverFill(QPainter& p, const QColor& c) {
    // The wrench, leaning right, with its open jaw at the top.
    p.save();
    p.translate(12, 12);
    p.rotate(45);
    fill(p, c, 0.6);
    p.drawRoundedRect(QRectF(-1.7, -3, 3.4, 13), 1.5, 1.5);
    p.drawEllipse(around({0, -6.2}, 4.3));
    cutFill(p);
    p.drawRect(QRectF(-1.6, -11.5, 3.2, 5.6));
    p.restore();
    // The screwdriver, leaning left, over it.
    p.save();
    p.translate(12, 12);
    p.rotate(-45);
    cutFill(p);
    p.drawRoundedRect(QRectF(-3.8, -11, 7.6, 22.5), 3, 3);
    fill(p, c, 0.6);
    p.drawRoundedRect(QRectF(-2.7, 2.5, 5.4, 8), 1.8, 1.8);
    p.drawRect(QRectF(-0.9, -8, 1.8, 11));
    p.drawPolygon(QPolygonF{{-0.9, -8}, {0.9, -8}, {0.5, -10}, {-0.5, -10}});
    p.restore();
}

// The mark for a name without a drawing: a question mark in a dashed square.
void unknownSymbol(QPainter& p, const QColor& c) {
    QPen pen(c, 1.4, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 3, 3);
    stroke(p, c, 1.8);
    QPainterPath hook;
    hook.moveTo(9.2, 9.6);
    hook.cubicTo(9.2, 6.2, 14.8, 6.2, 14.8, 9.6);
    hook.cubicTo(14.8, 11.8, 12, 11.8, 12, 14.2);
    p.drawPath(hook);
    fill(p, c);
    p.drawEllipse(around({12, 17.2}, 1.1));
}

const QList<std::pair<QString, Glyph>>& table() {
    static const QList<std::pair<QString, Glyph>> glyphs = {
        {QStringLiteral("gauge"), gauge},
        {QStringLiteral("folder"), folder},
        {QStringLiteral("folder.badge.plus"), folderBadgePlus},
        {QStringLiteral("folder.badge.gear"), folderBadgeGear},
        {QStringLiteral("doc"), doc},
        {QStringLiteral("doc.text"), docText},
        {QStringLiteral("doc.text.fill"), docTextFill},
        {QStringLiteral("doc.plaintext"), docPlaintext},
        {QStringLiteral("doc.text.badge.plus"), docTextBadgePlus},
        {QStringLiteral("gearshape"), gearshape},
        {QStringLiteral("gearshape.fill"), gearshapeFill},
        {QStringLiteral("book.fill"), bookFill},
        {QStringLiteral("arrow.clockwise"), arrowClockwise},
        {QStringLiteral("server.rack"), serverRack},
        {QStringLiteral("shippingbox.fill"), shippingboxFill},
        {QStringLiteral("plus"), plus},
        {QStringLiteral("plus.circle.fill"), plusCircleFill},
        {QStringLiteral("minus.circle.fill"), minusCircleFill},
        {QStringLiteral("checkmark.circle.fill"), checkmarkCircleFill},
        {QStringLiteral("1.circle.fill"),
         [](QPainter& p, const QColor& c) { numberInCircle(p, c, QStringLiteral("1")); }},
        {QStringLiteral("2.circle.fill"),
         [](QPainter& p, const QColor& c) { numberInCircle(p, c, QStringLiteral("2")); }},
        {QStringLiteral("3.circle.fill"),
         [](QPainter& p, const QColor& c) { numberInCircle(p, c, QStringLiteral("3")); }},
        {QStringLiteral("list.bullet.circle.fill"), listBulletCircleFill},
        {QStringLiteral("exclamationmark.triangle.fill"), exclamationTriangleFill},
        {QStringLiteral("info.circle"), infoCircle},
        {QStringLiteral("trash"), trash},
        {QStringLiteral("magnifyingglass"), magnifyingglass},
        {QStringLiteral("pencil"), pencil},
        {QStringLiteral("globe"), globe},
        {QStringLiteral("globe.badge.chevron.backward"), globeBadgeChevronBackward},
        {QStringLiteral("network"), network},
        {QStringLiteral("checkmark.shield.fill"), checkmarkShieldFill},
        {QStringLiteral("wrench.and.screwdriver.fill"), wrenchAndScrewdriverFill},
    };
    return glyphs;
}

const QHash<QString, Glyph>& index() {
    static const QHash<QString, Glyph> byName = [] {
        QHash<QString, Glyph> hash;
        for (const auto& [name, glyph] : table())
            hash.insert(name, glyph);
        return hash;
    }();
    return byName;
}

} // namespace

bool SymbolGlyphs::contains(const QString& name) {
    return index().contains(name);
}

QStringList SymbolGlyphs::names() {
    QStringList names;
    for (const auto& entry : table())
        names.append(entry.first);
    return names;
}

void SymbolGlyphs::paint(const QString& name, QPainter& painter, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing);
    const auto it = index().constFind(name);
    if (it != index().constEnd())
        (*it)(painter, color);
    else
        unknownSymbol(painter, color);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void SymbolGlyphs::paintApplicationIcon(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(QPointF(12, 0.5), QPointF(12, 23.5));
    background.setColorAt(0, namedColor(NamedColor::cyan));
    background.setColorAt(1, namedColor(NamedColor::indigo));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 5.4, 5.4);
    // A globe, Korvi's subject, in the middle.
    painter.save();
    painter.translate(12, 12);
    painter.scale(0.68, 0.68);
    painter.translate(-12, -12);
    globeLines(painter, semanticColor(SemanticColor::textOnAccent));
    painter.restore();
}

} // namespace korvi
