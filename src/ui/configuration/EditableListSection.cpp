#include "ui/configuration/EditableListSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

EditableListSection::EditableListSection(const Texts& texts, std::function<QStringList()> getter,
                                         std::function<void(const QStringList&)> setter,
                                         QWidget* parent)
    : RoundedPanel(semanticColor(SemanticColor::controlBackground), 10, parent), m_texts(texts),
      m_get(std::move(getter)), m_set(std::move(setter)) {
    setObjectName(texts.namePrefix + QStringLiteral("Section"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(8);
    layout->addWidget(ScreenWidgets::label(texts.title, TextStyle::headline,
                                           texts.namePrefix + QStringLiteral("Title")));
    layout->addWidget(ScreenWidgets::secondaryLabel(texts.caption, TextStyle::caption,
                                                    texts.namePrefix + QStringLiteral("Caption")));
    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setSpacing(6);
    layout->addLayout(m_rowsLayout);

    auto* add = new QPushButton(texts.addLabel);
    add->setObjectName(texts.namePrefix + QStringLiteral("AddButton"));
    add->setFlat(true);
    add->setIcon(ScreenWidgets::tintedIcon(QStringLiteral("plus.circle.fill"),
                                           semanticColor(SemanticColor::accent)));
    add->setCursor(Qt::PointingHandCursor);
    connect(add, &QPushButton::clicked, this, [this] {
        QStringList list = m_get();
        list.append(m_texts.addedText);
        m_set(list);
    });
    layout->addWidget(add, 0, Qt::AlignLeft);
    refresh();
}

QLineEdit* EditableListSection::field(int position) const {
    return position >= 0 && position < m_rows.size() ? m_rows[position].field : nullptr;
}

void EditableListSection::addRow() {
    const int position = int(m_rows.size());
    auto* widget = new QWidget;
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    auto* field = new QLineEdit;
    field->setObjectName(m_texts.namePrefix + QStringLiteral("Field") + QString::number(position));
    field->setPlaceholderText(m_texts.placeholder);
    // Every row is an entry of the section's list, named after the section.
    field->setAccessibleName(tr("%1, entry %2").arg(m_texts.title).arg(position + 1));
    row->addWidget(field, 1);
    auto* remove = new QToolButton;
    remove->setObjectName(m_texts.namePrefix + QStringLiteral("Remove") +
                          QString::number(position));
    remove->setAutoRaise(true);
    remove->setIcon(ScreenWidgets::tintedIcon(QStringLiteral("minus.circle.fill"),
                                              namedColor(NamedColor::red)));
    remove->setToolTip(tr("Remove"));
    remove->setAccessibleName(tr("Remove entry %1").arg(position + 1));
    row->addWidget(remove);
    m_rowsLayout->addWidget(widget);
    m_rows.append({widget, field, remove});
    connect(field, &QLineEdit::textEdited, this,
            [this, position](const QString& text) { edit(position, text); });
    connect(remove, &QToolButton::clicked, this, [this, position] { this->remove(position); });
}

void EditableListSection::edit(int position, const QString& text) {
    QStringList list = m_get();
    // The list may have changed under the field; a position gone is ignored.
    if (position >= list.size())
        return;
    list[position] = text;
    m_set(list);
}

void EditableListSection::remove(int position) {
    QStringList list = m_get();
    if (position >= list.size())
        return;
    list.removeAt(position);
    m_set(list);
}

void EditableListSection::refresh() {
    const QStringList list = m_get();
    while (m_rows.size() < list.size())
        addRow();
    while (m_rows.size() > list.size()) {
        // The row may be the one whose button is being handled: take it out
        // of the card now and delete it once the click is over.
        const Row row = m_rows.takeLast();
        m_rowsLayout->removeWidget(row.widget);
        row.widget->hide();
        row.widget->setParent(nullptr);
        row.widget->deleteLater();
    }
    for (int i = 0; i < list.size(); ++i) {
        if (m_rows[i].field->text() != list[i])
            m_rows[i].field->setText(list[i]);
    }
}

} // namespace korvi
