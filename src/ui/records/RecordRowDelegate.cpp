#include "ui/records/RecordRowDelegate.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/records/RecordListModel.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

constexpr int rowGap = 3;   // above and below each card
constexpr int padding = 12; // inside the card
constexpr int lineSpacing = 4;
constexpr int pencilSize = 20;

// A caption-sized rounded badge; returns its width.
int drawBadge(QPainter* painter, const QString& text, const QColor& textColor,
              const QColor& background, int x, int lineTop, int lineHeight) {
    const QFont font = Typography::font(TextStyle::caption);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(text) + 12;
    const int height = metrics.height() + 2;
    const QRect box(x, lineTop + (lineHeight - height) / 2, width, height);
    painter->setPen(Qt::NoPen);
    painter->setBrush(background);
    painter->drawRoundedRect(box, 4, 4);
    painter->setFont(font);
    painter->setPen(textColor);
    painter->drawText(box, Qt::AlignCenter, text);
    return width;
}

} // namespace

RecordRowDelegate::RecordRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

NamedColor RecordRowDelegate::typeColor(DNSRecordType type) {
    switch (type) {
    case DNSRecordType::A:
        return NamedColor::blue;
    case DNSRecordType::AAAA:
        return NamedColor::purple;
    case DNSRecordType::CAA:
        return NamedColor::cyan;
    case DNSRecordType::CNAME:
        return NamedColor::orange;
    case DNSRecordType::MX:
        return NamedColor::red;
    case DNSRecordType::NS:
        return NamedColor::green;
    case DNSRecordType::PTR:
        return NamedColor::yellow;
    case DNSRecordType::SOA:
        return NamedColor::gray;
    case DNSRecordType::SRV:
        return NamedColor::pink;
    case DNSRecordType::SSHFP:
        return NamedColor::indigo;
    case DNSRecordType::TLSA:
        return NamedColor::mint;
    case DNSRecordType::TXT:
        return NamedColor::brown;
    }
    return NamedColor::gray;
}

QString RecordRowDelegate::typeName(const DNSRecord& record) {
    return record.isKept() ? record.keptType : rawValue(record.type);
}

QString RecordRowDelegate::readOnlyText() {
    return tr("read-only");
}

QString RecordRowDelegate::shownName(const DNSRecord& record) {
    return record.name.isEmpty() ? QStringLiteral("@") : record.name;
}

QStringList RecordRowDelegate::detailTexts(const DNSRecord& record) {
    QStringList texts{tr("TTL: %1").arg(record.ttl)};
    if (record.priority)
        texts.append(tr("Priority: %1").arg(*record.priority));
    if (record.weight)
        texts.append(tr("Weight: %1").arg(*record.weight));
    if (record.port)
        texts.append(tr("Port: %1").arg(*record.port));
    return texts;
}

QSize RecordRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    const int height = QFontMetrics(Typography::font(TextStyle::headline)).height() +
                       QFontMetrics(Typography::font(TextStyle::body)).height() +
                       QFontMetrics(Typography::font(TextStyle::caption)).height() +
                       2 * lineSpacing + 2 * padding + 2 * rowGap;
    // The list view stretches each row to its width.
    return QSize(200, height);
}

void RecordRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const auto* model = qobject_cast<const RecordListModel*>(index.model());
    if (!model || index.row() >= model->rowCount())
        return;
    const DNSRecord& record = model->recordAt(index.row());
    const QPalette& palette = option.palette;
    const QColor secondary = ScreenWidgets::secondaryTextColor();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect card = option.rect.adjusted(0, rowGap, 0, -rowGap);
    QColor background = palette.color(QPalette::Base);
    background.setAlphaF(0.5f);
    if (m_bindRunning && (option.state & QStyle::State_MouseOver))
        background = palette.color(QPalette::Base);
    painter->setPen(Qt::NoPen);
    painter->setBrush(background);
    painter->drawRoundedRect(card, 8, 8);

    const QRect content = card.adjusted(padding, padding, -padding, -padding);
    const int textRight = content.right() - pencilSize - 12;
    const QFont headline = Typography::font(TextStyle::headline);
    const QFont body = Typography::font(TextStyle::body);
    const QFont caption = Typography::font(TextStyle::caption);
    const QFontMetrics headlineMetrics(headline);
    const QFontMetrics bodyMetrics(body);
    const QFontMetrics captionMetrics(caption);

    // First line: name, server badge, type badge.
    int y = content.top();
    const QString stopped = tr("(Server Stopped)");
    const QString type = typeName(record);
    const int badges = captionMetrics.horizontalAdvance(type) + 12 + 8 +
                       (m_bindRunning ? 0 : captionMetrics.horizontalAdvance(stopped) + 12 + 8);
    const QString name = headlineMetrics.elidedText(shownName(record), Qt::ElideRight,
                                                    qMax(0, textRight - content.left() - badges));
    painter->setFont(headline);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(
        QRect(content.left(), y, textRight - content.left(), headlineMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, name);
    int x = content.left() + headlineMetrics.horizontalAdvance(name) + 8;
    if (!m_bindRunning) {
        const QColor orange = namedColor(NamedColor::orange);
        QColor tint = orange;
        tint.setAlphaF(0.2f);
        x += drawBadge(painter, stopped, orange, tint, x, y, headlineMetrics.height()) + 8;
    }
    const NamedColor badgeColor = record.isKept() ? NamedColor::gray : typeColor(record.type);
    drawBadge(painter, type, Qt::white, namedColor(badgeColor), x, y, headlineMetrics.height());

    // Second line: the value.
    y += headlineMetrics.height() + lineSpacing;
    painter->setFont(body);
    painter->setPen(secondary);
    const QString value = bodyMetrics.elidedText(QString(record.value).replace(u'\n', u' '),
                                                 Qt::ElideRight, textRight - content.left());
    painter->drawText(QRect(content.left(), y, textRight - content.left(), bodyMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, value);

    // Third line: TTL and the numbers that apply.
    y += bodyMetrics.height() + lineSpacing;
    painter->setFont(caption);
    x = content.left();
    for (const QString& text : detailTexts(record)) {
        painter->drawText(QRect(x, y, qMax(0, textRight - x), captionMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
        x += captionMetrics.horizontalAdvance(text) + 16;
    }

    // A record Korvi keeps without editing shows "read-only" where the
    // pencil would be; it cannot be opened.
    if (record.isKept()) {
        const int width = captionMetrics.horizontalAdvance(readOnlyText()) + 12;
        QColor tint = secondary;
        tint.setAlphaF(0.2f);
        drawBadge(painter, readOnlyText(), secondary, tint, content.right() - width + 1,
                  card.top() + (card.height() - captionMetrics.height()) / 2,
                  captionMetrics.height());
        painter->restore();
        return;
    }

    // The pencil.
    const QColor pencil = m_bindRunning ? semanticColor(SemanticColor::accent) : secondary;
    painter->drawPixmap(QRect(content.right() - pencilSize + 1,
                              card.top() + (card.height() - pencilSize) / 2, pencilSize,
                              pencilSize),
                        ScreenWidgets::tintedPixmap(QStringLiteral("pencil"), pencil, pencilSize));
    painter->restore();
}

} // namespace korvi
