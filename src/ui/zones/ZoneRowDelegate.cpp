#include "ui/zones/ZoneRowDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/zones/ZoneListModel.h"

namespace korvi {

namespace {

constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 8;
constexpr int lineSpacing = 4;
constexpr int deleteButtonSize = 28;
constexpr int captionIconSize = 12;

// Draws "(Server Stopped)"-style badge text at x on the line whose top is y;
// returns the badge's width.
int drawBadge(QPainter* painter, const QString& text, const QColor& color, int x, int y,
              int lineHeight) {
    const QFont font = Typography::font(TextStyle::caption);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text) + 12;
    const int height = metrics.height() + 2;
    const QRect box(x, y + (lineHeight - height) / 2, width, height);
    QColor background = color;
    background.setAlphaF(0.2f);
    painter->setPen(Qt::NoPen);
    painter->setBrush(background);
    painter->drawRoundedRect(box, 4, 4);
    painter->setFont(font);
    painter->setPen(color);
    painter->drawText(box, Qt::AlignCenter, text);
    return width;
}

} // namespace

ZoneRowDelegate::ZoneRowDelegate(Style style, QObject* parent)
    : QStyledItemDelegate(parent), m_style(style) {}

void ZoneRowDelegate::setBindRunning(bool running) {
    m_bindRunning = running;
}

QString ZoneRowDelegate::recordCountText(qlonglong count) {
    return tr("%n records", nullptr, int(count));
}

QSize ZoneRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    const bool management = m_style == Style::management;
    const QFontMetrics first(
        Typography::font(management ? TextStyle::headline : TextStyle::subheadline));
    const QFontMetrics second(Typography::font(TextStyle::caption));
    int height = 2 * verticalPadding + first.height() + lineSpacing + second.height();
    if (management)
        height = qMax(height, deleteButtonSize + 2 * verticalPadding);
    // The list view stretches each row to its width.
    return QSize(150, height);
}

QRect ZoneRowDelegate::deleteButtonRect(const QRect& rowRect) const {
    return QRect(rowRect.right() - horizontalPadding - deleteButtonSize + 1,
                 rowRect.top() + (rowRect.height() - deleteButtonSize) / 2, deleteButtonSize,
                 deleteButtonSize);
}

void ZoneRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_style == Style::management)
        paintManagementRow(painter, option, index);
    else
        paintColumnRow(painter, option, index);
    painter->restore();
}

void ZoneRowDelegate::paintManagementRow(QPainter* painter, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    const QRect row = option.rect;
    const QPalette& palette = option.palette;
    const QColor secondary = ScreenWidgets::secondaryTextColor();

    // Rows of a plain list are parted by a thin line.
    painter->setPen(QPen(palette.color(QPalette::Mid), 0.5));
    painter->drawLine(row.bottomLeft() + QPoint(horizontalPadding, 0), row.bottomRight());

    const QFont headline = Typography::font(TextStyle::headline);
    const QFont caption = Typography::font(TextStyle::caption);
    const QFontMetrics headlineMetrics(headline);
    const QFontMetrics captionMetrics(caption);
    const QRect button = deleteButtonRect(row);
    const int left = row.left() + horizontalPadding;
    const int textRight = button.left() - 8;
    int y = row.top() +
            (row.height() - headlineMetrics.height() - lineSpacing - captionMetrics.height()) / 2;

    // First line: name, and the badge while the server is stopped.
    const QString stopped = stoppedBadgeText();
    const int badgeWidth =
        m_bindRunning ? 0 : QFontMetrics(caption).horizontalAdvance(stopped) + 12 + 8;
    const QString name =
        headlineMetrics.elidedText(index.data(ZoneListModel::NameRole).toString(), Qt::ElideRight,
                                   qMax(0, textRight - left - badgeWidth));
    painter->setFont(headline);
    painter->setPen(palette.color(QPalette::Text));
    const QRect nameRect(left, y, headlineMetrics.horizontalAdvance(name),
                         headlineMetrics.height());
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, name);
    if (!m_bindRunning)
        drawBadge(painter, stopped, namedColor(NamedColor::orange), nameRect.right() + 8, y,
                  headlineMetrics.height());

    // Second line: record count and file name, each behind its icon.
    y += headlineMetrics.height() + lineSpacing;
    painter->setFont(caption);
    painter->setPen(secondary);
    int x = left;
    const auto item = [&](const QString& symbol, const QString& text) {
        const QPixmap icon = ScreenWidgets::tintedPixmap(symbol, secondary, captionIconSize);
        painter->drawPixmap(QRect(x, y + (captionMetrics.height() - captionIconSize) / 2,
                                  captionIconSize, captionIconSize),
                            icon);
        x += captionIconSize + 4;
        const QString shown =
            captionMetrics.elidedText(text, Qt::ElideMiddle, qMax(0, textRight - x));
        painter->drawText(QRect(x, y, textRight - x, captionMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, shown);
        x += captionMetrics.horizontalAdvance(shown) + 16;
    };
    item(QStringLiteral("doc.text"),
         recordCountText(index.data(ZoneListModel::RecordCountRole).toLongLong()));
    item(QStringLiteral("doc"), index.data(ZoneListModel::FileNameRole).toString());

    // The delete button: red while it can be used.
    if (m_bindRunning && m_pressedRow == index.row()) {
        QColor pressed = namedColor(NamedColor::red);
        pressed.setAlphaF(0.15f);
        painter->setPen(Qt::NoPen);
        painter->setBrush(pressed);
        painter->drawRoundedRect(button, 6, 6);
    }
    const QColor trash = m_bindRunning ? namedColor(NamedColor::red) : secondary;
    const int iconSize = 18;
    painter->drawPixmap(QRect(button.center().x() - iconSize / 2 + 1,
                              button.center().y() - iconSize / 2 + 1, iconSize, iconSize),
                        ScreenWidgets::tintedPixmap(QStringLiteral("trash"), trash, iconSize));
}

void ZoneRowDelegate::paintColumnRow(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const QRect row = option.rect.adjusted(4, 1, -4, -1);
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.color(QPalette::Highlight));
        painter->drawRoundedRect(row, 6, 6);
    }
    const QColor text =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    const QColor secondary =
        selected ? palette.color(QPalette::HighlightedText) : ScreenWidgets::secondaryTextColor();

    QFont nameFont = Typography::font(TextStyle::subheadline);
    nameFont.setWeight(QFont::Medium);
    const QFont caption = Typography::font(TextStyle::caption);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics captionMetrics(caption);
    const int left = row.left() + 8;
    const int right = row.right() - 8;
    int y = row.top() +
            (row.height() - nameMetrics.height() - lineSpacing - captionMetrics.height()) / 2;

    const int warningSize = 12;
    const int warningSpace = m_bindRunning ? 0 : warningSize + 6;
    const QString name =
        nameMetrics.elidedText(index.data(ZoneListModel::NameRole).toString(), Qt::ElideRight,
                               qMax(0, right - left - warningSpace));
    painter->setFont(nameFont);
    painter->setPen(text);
    painter->drawText(QRect(left, y, right - left, nameMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, name);
    if (!m_bindRunning) {
        const int x = left + nameMetrics.horizontalAdvance(name) + 6;
        painter->drawPixmap(
            QRect(x, y + (nameMetrics.height() - warningSize) / 2, warningSize, warningSize),
            ScreenWidgets::tintedPixmap(QStringLiteral("exclamationmark.triangle.fill"),
                                        namedColor(NamedColor::orange), warningSize));
    }
    y += nameMetrics.height() + lineSpacing;
    painter->setFont(caption);
    painter->setPen(secondary);
    painter->drawText(QRect(left, y, right - left, captionMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      recordCountText(index.data(ZoneListModel::RecordCountRole).toLongLong()));
}

bool ZoneRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (m_style != Style::management)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool onButton = deleteButtonRect(option.rect).contains(mouse->position().toPoint());
    if (type == QEvent::MouseButtonPress) {
        m_pressedRow = onButton && m_bindRunning ? index.row() : -1;
        return onButton;
    }
    if (type == QEvent::MouseButtonRelease) {
        const bool clicked = onButton && m_bindRunning && m_pressedRow == index.row();
        m_pressedRow = -1;
        if (clicked)
            Q_EMIT deleteRequested(index.row());
        return onButton;
    }
    return onButton;
}

} // namespace korvi
