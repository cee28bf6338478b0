#pragma once

#include <QList>
#include <QStringList>

#include <functional>

#include "ui/widgets/RoundedPanel.h"

class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace korvi {

// A card editing one list of texts in place: a caption, one field with a
// remove button per element, and a button that appends a fixed text. Every
// edit goes straight to the list through the setter; the card redraws from
// the getter when told the list changed. Widgets are named after a prefix:
// prefix + "Field" + position, prefix + "Remove" + position, prefix +
// "AddButton".
class EditableListSection : public RoundedPanel {
    Q_OBJECT

public:
    struct Texts {
        QString title;
        QString caption;
        QString placeholder;
        QString addLabel;
        QString addedText;
        QString namePrefix;
    };

    EditableListSection(const Texts& texts, std::function<QStringList()> getter,
                        std::function<void(const QStringList&)> setter, QWidget* parent = nullptr);

    // Shows the list as it now is, keeping fields whose text is unchanged
    // (and so the cursor of the one being typed in).
    void refresh();
    int rowCount() const { return int(m_rows.size()); }
    QLineEdit* field(int position) const;

private:
    struct Row {
        QWidget* widget;
        QLineEdit* field;
        QToolButton* remove;
    };

    void addRow();
    void edit(int position, const QString& text);
    void remove(int position);

    Texts m_texts;
    std::function<QStringList()> m_get;
    std::function<void(const QStringList&)> m_set;
    QVBoxLayout* m_rowsLayout = nullptr;
    QList<Row> m_rows;
};

} // namespace korvi
