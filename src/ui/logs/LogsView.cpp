#include "ui/logs/LogsView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "manager/DNSServerManager.h"
#include "manager/ServerLogFollower.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/logs/LogListModel.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/Typography.h"

namespace korvi {

LogsView::LogsView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_model(new LogListModel(manager, this)) {
    setObjectName(QStringLiteral("logsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto* header = new QHBoxLayout;
    header->addWidget(Typography::label(tr("Server Logs"), TextStyle::largeTitle, QFont::Bold,
                                        semanticColor(SemanticColor::label),
                                        QStringLiteral("logsTitle"), this));
    header->addStretch();
    auto* clear = new QPushButton(symbolIcon(QStringLiteral("trash")), tr("Clear Logs"), this);
    clear->setObjectName(QStringLiteral("clearLogsButton"));
    connect(clear, &QPushButton::clicked, this, [this] { m_manager->clearLogs(); });
    header->addWidget(clear);
    layout->addLayout(header);

    m_stack = new QStackedWidget(this);
    m_emptyPanel = makeEmptyPanel();
    m_listPanel = makeListPanel();
    m_stack->addWidget(m_emptyPanel);
    m_stack->addWidget(m_listPanel);
    layout->addWidget(m_stack, 1);

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &LogsView::updatePanel);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &LogsView::updatePanel);
    connect(m_model, &QAbstractItemModel::modelReset, this, &LogsView::updatePanel);
    updatePanel();
}

QWidget* LogsView::makeEmptyPanel() {
    const QColor secondary = semanticColor(SemanticColor::secondaryLabel);
    auto* panel = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 10);
    panel->setObjectName(QStringLiteral("emptyLogsPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(10);
    layout->addStretch();
    auto* icon = new QLabel(panel);
    icon->setPixmap(symbolIcon(QStringLiteral("doc.plaintext"), secondary).pixmap(QSize(48, 48)));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto* title = Typography::label(tr("No Logs Available"), TextStyle::title2, QFont::DemiBold,
                                    secondary, QStringLiteral("noLogsTitle"), panel);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    auto* text =
        Typography::label(tr("Server logs will appear here when events occur"), TextStyle::body,
                          QFont::Normal, secondary, QStringLiteral("noLogsText"), panel);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addStretch();
    return panel;
}

QWidget* LogsView::makeListPanel() {
    auto* panel = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 10);
    panel->setObjectName(QStringLiteral("logsPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);

    m_list = new QListView(panel);
    m_list->setObjectName(QStringLiteral("logsList"));
    m_list->setAccessibleName(tr("Log lines"));
    m_list->setModel(m_model);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFont(Typography::monospaced());
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setWordWrap(true);
    m_list->setSpacing(2); // 4 between lines
    m_list->setUniformItemSizes(false);
    m_list->setAutoScroll(false);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, semanticColor(SemanticColor::secondaryLabel));
    m_list->setPalette(palette);

    // Copy takes every selected line, not only the current one (the list's
    // own copy key takes the current line only, so the key is caught here).
    m_list->installEventFilter(this);
    auto* copy = new QAction(tr("Copy"), m_list);
    copy->setObjectName(QStringLiteral("copyLogsAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &LogsView::copySelection);
    m_list->addAction(copy);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(m_list);
    return panel;
}

void LogsView::updatePanel() {
    m_stack->setCurrentWidget(m_model->rowCount() == 0 ? m_emptyPanel : m_listPanel);
}

LogsView::~LogsView() {
    // A screen deleted while shown is not hidden first.
    m_manager->serverLogFollower()->stop();
}

void LogsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_manager->serverLogFollower()->start();
}

void LogsView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_manager->serverLogFollower()->stop();
}

bool LogsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString LogsView::selectedText() const {
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& row : std::as_const(rows))
        lines.append(row.data().toString());
    return lines.join(u'\n');
}

void LogsView::copySelection() {
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

} // namespace korvi
