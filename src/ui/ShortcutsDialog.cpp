#include "ui/ShortcutsDialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvi {

namespace {

// A menu text as read aloud: without the mnemonic marker.
QString plainText(QString text) {
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

} // namespace

ShortcutsDialog::ShortcutsDialog(const QList<QMenu*>& menus, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("shortcutsDialog"));
    setWindowTitle(tr("Keyboard Shortcuts"));
    resize(460, 480);
    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("shortcutsList"));
    m_list->setAccessibleName(tr("Keyboard shortcuts"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Command"), tr("Keys")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    layout->addWidget(m_list);
    fill(menus);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeShortcutsButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // The window closes with the platform's close-window key, as Escape does.
    auto* closeKey = new QShortcut(QKeySequence::Close, this);
    connect(closeKey, &QShortcut::activated, this, &QDialog::reject);
}

QString ShortcutsDialog::keysText(const QList<QKeySequence>& keys) {
    QStringList texts;
    for (const QKeySequence& key : keys)
        texts.append(key.toString(QKeySequence::NativeText));
    return texts.join(QStringLiteral(", "));
}

void ShortcutsDialog::fill(const QList<QMenu*>& menus) {
    for (QMenu* menu : menus) {
        QTreeWidgetItem* heading = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->shortcuts().isEmpty())
                continue;
            if (!heading) {
                heading = new QTreeWidgetItem(m_list, {plainText(menu->title())});
                QFont bold = heading->font(0);
                bold.setBold(true);
                heading->setFont(0, bold);
                heading->setFlags(Qt::ItemIsEnabled);
                heading->setFirstColumnSpanned(true);
            }
            auto* row = new QTreeWidgetItem(
                heading, {plainText(action->text()), keysText(action->shortcuts())});
            row->setData(0, Qt::UserRole, action->objectName());
        }
    }
    m_list->expandAll();
}

} // namespace korvi
