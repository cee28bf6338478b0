#pragma once

#include <QDialog>
#include <QList>

class QMenu;
class QTreeWidget;

namespace korvi {

// "Keyboard Shortcuts": every command of the given menus that has a key,
// menu by menu, with its keys as the platform writes them. The list is read
// from the menus' actions themselves, so it always matches what the keys do.
class ShortcutsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ShortcutsDialog(const QList<QMenu*>& menus, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }

    // The keys of an action as the platform writes them, several joined by
    // ", " ("Ctrl+W, Ctrl+F4").
    static QString keysText(const QList<QKeySequence>& keys);

private:
    void fill(const QList<QMenu*>& menus);

    QTreeWidget* m_list;
};

} // namespace korvi
