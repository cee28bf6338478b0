#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QListWidget;
class QScrollArea;

namespace korvi {

class TutorialSection;

// Section 5: the built-in guide. Ten sections under four headings are
// listed on the left; the chosen one is shown on the right.
class TutorialView : public QWidget {
    Q_OBJECT

public:
    struct Entry {
        QString heading;
        QString title;
        QString symbol;
        std::function<TutorialSection*()> make;
    };
    // The sections in order; the position is the section's tag.
    static const QList<Entry>& entries();

    explicit TutorialView(QWidget* parent = nullptr);

    int selectedSection() const { return m_selectedSection; }
    void setSelectedSection(int tag);
    TutorialSection* currentSection() const { return m_section; }

private:
    void showSection(int tag);

    QListWidget* m_list;
    QScrollArea* m_scroll;
    TutorialSection* m_section = nullptr;
    int m_selectedSection = -1;
};

} // namespace korvi
