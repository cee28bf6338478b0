#include "ui/tutorial/TutorialSection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

QLabel* wrapped(QLabel* label) {
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QColor label() {
    return semanticColor(SemanticColor::label);
}
QColor secondary() {
    return semanticColor(SemanticColor::secondaryLabel);
}

} // namespace

TutorialSection::TutorialSection(QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(14);
}

QWidget* TutorialSection::wrappedText(const QString& text, QWidget* parent) const {
    return wrapped(
        Typography::label(text, TextStyle::body, QFont::Normal, label(), QString(), parent));
}

void TutorialSection::addTitle(const QString& text) {
    m_title = text;
    m_layout->addWidget(wrapped(Typography::label(text, TextStyle::largeTitle, QFont::Bold, label(),
                                                  QStringLiteral("sectionTitle"), this)));
}

void TutorialSection::addParagraph(const QString& text) {
    m_layout->addWidget(wrapped(
        Typography::label(text, TextStyle::body, QFont::Normal, secondary(), QString(), this)));
}

void TutorialSection::addHeading(const QString& text) {
    m_layout->addSpacing(6);
    m_layout->addWidget(wrapped(
        Typography::label(text, TextStyle::title2, QFont::DemiBold, label(), QString(), this)));
}

void TutorialSection::addBullets(const QStringList& lines) {
    auto* block = new QVBoxLayout;
    block->setSpacing(6);
    for (const QString& line : lines)
        block->addWidget(wrappedText(line, this));
    m_layout->addLayout(block);
}

void TutorialSection::addChecks(const QStringList& lines) {
    const QIcon check =
        symbolIcon(QStringLiteral("checkmark.circle.fill"), namedColor(NamedColor::green));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < lines.size(); ++i) {
        auto* icon = new QLabel(this);
        icon->setPixmap(check.pixmap(QSize(16, 16)));
        grid->addWidget(icon, i, 0, Qt::AlignTop);
        grid->addWidget(wrappedText(lines[i], this), i, 1);
    }
    grid->setColumnStretch(1, 1);
    m_layout->addLayout(grid);
}

void TutorialSection::addSteps(const QStringList& steps) {
    const QColor accent = semanticColor(SemanticColor::accent);
    const QColor onAccent = semanticColor(SemanticColor::textOnAccent);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < steps.size(); ++i) {
        auto* number = new QLabel(QString::number(i + 1), this);
        number->setFixedSize(22, 22);
        number->setAlignment(Qt::AlignCenter);
        number->setFont(Typography::font(TextStyle::caption, QFont::Bold));
        number->setStyleSheet(
            QStringLiteral("background-color: %1; color: %2; border-radius: 11px;")
                .arg(accent.name(), onAccent.name()));
        grid->addWidget(number, i, 0, Qt::AlignTop);
        grid->addWidget(wrappedText(steps[i], this), i, 1);
    }
    grid->setColumnStretch(1, 1);
    m_layout->addLayout(grid);
}

void TutorialSection::addItems(const QList<Item>& items) {
    auto* block = new QVBoxLayout;
    block->setSpacing(10);
    for (const Item& item : items) {
        auto* entry = new QVBoxLayout;
        entry->setSpacing(2);
        entry->addWidget(wrapped(Typography::label(item.title, TextStyle::headline, QFont::DemiBold,
                                                   label(), QString(), this)));
        entry->addWidget(wrapped(Typography::label(item.text, TextStyle::body, QFont::Normal,
                                                   secondary(), QString(), this)));
        block->addLayout(entry);
    }
    m_layout->addLayout(block);
}

void TutorialSection::addExamples(const QList<Item>& examples) {
    for (const Item& example : examples) {
        auto* entry = new QVBoxLayout;
        entry->setSpacing(4);
        entry->addWidget(wrapped(Typography::label(example.title, TextStyle::headline,
                                                   QFont::DemiBold, label(), QString(), this)));
        auto* card = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 8, this);
        auto* cardLayout = new QVBoxLayout(card);
        cardLayout->setContentsMargins(10, 8, 10, 8);
        auto* line = wrapped(new QLabel(example.text, card));
        line->setFont(Typography::monospaced());
        Typography::setTextColor(line, label());
        cardLayout->addWidget(line);
        entry->addWidget(card);
        m_layout->addLayout(entry);
    }
}

void TutorialSection::addRecordCards(const QList<RecordCard>& cards) {
    auto* block = new QVBoxLayout;
    block->setSpacing(8);
    for (const RecordCard& record : cards) {
        auto* card = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 8, this);
        auto* cardLayout = new QVBoxLayout(card);
        cardLayout->setContentsMargins(12, 10, 12, 10);
        cardLayout->setSpacing(3);
        cardLayout->addWidget(wrapped(Typography::label(
            record.title, TextStyle::headline, QFont::DemiBold, label(), QString(), card)));
        cardLayout->addWidget(wrapped(Typography::label(record.description, TextStyle::body,
                                                        QFont::Normal, label(), QString(), card)));
        cardLayout->addWidget(
            wrapped(Typography::label(tr("Use for: %1").arg(record.useFor), TextStyle::caption,
                                      QFont::Normal, secondary(), QString(), card)));
        block->addWidget(card);
    }
    m_layout->addLayout(block);
}

void TutorialSection::addIconRows(const QList<IconRow>& rows) {
    const QColor accent = semanticColor(SemanticColor::accent);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    for (int i = 0; i < rows.size(); ++i) {
        auto* icon = new QLabel(this);
        icon->setPixmap(symbolIcon(rows[i].symbol, accent).pixmap(QSize(22, 22)));
        grid->addWidget(icon, i, 0, Qt::AlignTop);
        auto* text = new QVBoxLayout;
        text->setSpacing(1);
        text->addWidget(wrapped(Typography::label(rows[i].title, TextStyle::headline,
                                                  QFont::DemiBold, label(), QString(), this)));
        text->addWidget(wrapped(Typography::label(rows[i].text, TextStyle::body, QFont::Normal,
                                                  secondary(), QString(), this)));
        grid->addLayout(text, i, 1);
    }
    grid->setColumnStretch(1, 1);
    m_layout->addLayout(grid);
}

void TutorialSection::addCommands(const QStringList& lines) {
    auto* card = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 8, this);
    auto* cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(12, 10, 12, 10);
    cardLayout->setSpacing(6);
    for (const QString& line : lines) {
        auto* text = wrapped(new QLabel(line, card));
        text->setFont(Typography::monospaced());
        Typography::setTextColor(text, label());
        cardLayout->addWidget(text);
    }
    m_layout->addWidget(card);
}

} // namespace korvi
