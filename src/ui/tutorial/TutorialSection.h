#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QVBoxLayout;

namespace korvi {

// The page of one tutorial section and the building blocks every section
// uses: page title, introductory paragraph, sub-headings, and below them
// bullet lines, check-marked lines, numbered steps, titled items, example
// cards, record cards, icon rows and command lines.
class TutorialSection : public QWidget {
    Q_OBJECT

public:
    explicit TutorialSection(QWidget* parent = nullptr);

    // The page title, as shown at its top.
    QString title() const { return m_title; }

protected:
    struct Item {
        QString title;
        QString text;
    };
    struct RecordCard {
        QString title;
        QString description;
        QString useFor; // the text after "Use for: "
    };
    struct IconRow {
        QString symbol;
        QString title;
        QString text;
    };

    void addTitle(const QString& text);
    void addParagraph(const QString& text);
    void addHeading(const QString& text);
    // Lines as given, each beginning with "• ".
    void addBullets(const QStringList& lines);
    void addChecks(const QStringList& lines);
    void addSteps(const QStringList& steps);
    void addItems(const QList<Item>& items);
    // A headline and a monospaced example line on a rounded card.
    void addExamples(const QList<Item>& examples);
    void addRecordCards(const QList<RecordCard>& cards);
    void addIconRows(const QList<IconRow>& rows);
    void addCommands(const QStringList& lines);

private:
    QWidget* wrappedText(const QString& text, QWidget* parent) const;

    QVBoxLayout* m_layout;
    QString m_title;
};

} // namespace korvi
