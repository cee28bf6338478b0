#include "ui/history/HistoryView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

#include "manager/ChangeHistory.h"
#include "manager/DNSServerManager.h"
#include "model/TextDiff.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/DiffHtml.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

constexpr int snapshotIdRole = Qt::UserRole + 1;

QString timeText(const QDateTime& time) {
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString fileTitle(const SnapshotFile& file) {
    return file.role == ChangeSnapshot::configurationRole()
               ? QCoreApplication::translate("korvi::HistoryView", "configuration %1")
                     .arg(file.path)
               : QCoreApplication::translate("korvi::HistoryView", "zone file %1").arg(file.path);
}

} // namespace

HistoryView::HistoryView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_history(manager->changeHistory()),
      m_restore(manager->historyRestore()) {
    setObjectName(QStringLiteral("historyView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto* header = new QHBoxLayout;
    header->addWidget(Typography::label(tr("Change History"), TextStyle::largeTitle, QFont::Bold,
                                        semanticColor(SemanticColor::label),
                                        QStringLiteral("historyTitle"), this));
    header->addStretch();
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("historyZoneFilter"));
    m_filter->setMinimumWidth(180);
    header->addWidget(m_filter);
    layout->addLayout(header);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("historySplitter"));
    splitter->setChildrenCollapsible(false);
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(left);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setAccessibleName(tr("Changes"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setWordWrap(true);
    m_list->setMinimumWidth(320);
    m_list->setSpacing(3);
    leftLayout->addWidget(m_list, 1);
    m_empty = Typography::label(tr("No changes yet: every change you apply is "
                                   "kept here and can be restored"),
                                TextStyle::body, QFont::Normal,
                                semanticColor(SemanticColor::secondaryLabel),
                                QStringLiteral("noHistoryLabel"), left);
    m_empty->setWordWrap(true);
    leftLayout->addWidget(m_empty);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_selectedTitle = Typography::label(QString(), TextStyle::headline, QFont::DemiBold,
                                        semanticColor(SemanticColor::label),
                                        QStringLiteral("historySelectedTitle"), right);
    m_selectedTitle->setWordWrap(true);
    rightLayout->addWidget(m_selectedTitle);
    m_diff = new QTextEdit(right);
    m_diff->setObjectName(QStringLiteral("historyDiff"));
    m_diff->setAccessibleName(tr("Comparison"));
    m_diff->setReadOnly(true);
    m_diff->setLineWrapMode(QTextEdit::NoWrap);
    m_diff->setFont(Typography::monospaced());
    rightLayout->addWidget(m_diff, 1);
    auto* actions = new QHBoxLayout;
    m_outcome = Typography::label(QString(), TextStyle::body, QFont::Normal,
                                  semanticColor(SemanticColor::secondaryLabel),
                                  QStringLiteral("restoreOutcomeLabel"), right);
    m_outcome->setWordWrap(true);
    m_outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    actions->addWidget(m_outcome, 1);
    m_restoreButton =
        new QPushButton(symbolIcon(QStringLiteral("arrow.clockwise")), tr("Restore"), right);
    m_restoreButton->setObjectName(QStringLiteral("restoreSnapshotButton"));
    actions->addWidget(m_restoreButton, 0, Qt::AlignTop);
    rightLayout->addLayout(actions);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    connect(m_filter, &QComboBox::currentIndexChanged, this, &HistoryView::rebuildList);
    connect(m_list, &QListWidget::currentRowChanged, this, &HistoryView::selectionChanged);
    connect(m_restoreButton, &QPushButton::clicked, this, &HistoryView::askToRestore);
    if (m_history)
        connect(m_history, &ChangeHistory::entriesChanged, this, [this] {
            rebuildFilter();
            rebuildList();
        });
    if (m_restore)
        connect(m_restore, &HistoryRestore::restoreFinished, this, &HistoryView::restoreFinished);
    // The zone list decides what a restore would do (a zone removed since).
    connect(manager, &DNSServerManager::zonesChanged, this, &HistoryView::updateRestoreButton);
    rebuildFilter();
    rebuildList();
}

void HistoryView::rebuildFilter() {
    const QString chosen = m_filter->currentData().toString();
    QStringList names;
    if (m_history) {
        for (const ChangeSnapshot& entry : m_history->entries()) {
            if (!names.contains(entry.zoneName))
                names.append(entry.zoneName);
        }
    }
    names.sort();
    const QSignalBlocker blocker(m_filter);
    m_filter->clear();
    m_filter->addItem(tr("All zones"), QString());
    for (const QString& name : std::as_const(names))
        m_filter->addItem(name, name);
    m_filter->setCurrentIndex(qMax(0, m_filter->findData(chosen)));
}

void HistoryView::rebuildList() {
    const qint64 selected = m_selected ? m_selected->id : 0;
    const QString zone = m_filter->currentData().toString();
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    int row = -1;
    if (m_history) {
        for (const ChangeSnapshot& entry : m_history->entries()) {
            if (!zone.isEmpty() && entry.zoneName != zone)
                continue;
            auto* item = new QListWidgetItem(timeText(entry.time) + QStringLiteral("  ·  ") +
                                                 entry.zoneName + u'\n' + entry.summary,
                                             m_list);
            item->setData(snapshotIdRole, entry.id);
            if (entry.id == selected)
                row = m_list->count() - 1;
        }
    }
    m_empty->setVisible(m_list->count() == 0);
    m_list->setCurrentRow(row);
    if (row < 0 && selected != 0)
        selectionChanged();
    updateRestoreButton();
}

void HistoryView::selectionChanged() {
    m_selected.reset();
    m_diff->clear();
    m_selectedTitle->clear();
    QListWidgetItem* item = m_list->currentItem();
    if (item && m_history) {
        const qint64 id = item->data(snapshotIdRole).toLongLong();
        for (const ChangeSnapshot& entry : m_history->entries()) {
            if (entry.id == id)
                m_selected = entry;
        }
    }
    updateRestoreButton();
    if (!m_selected)
        return;
    m_selectedTitle->setText(m_selected->summary + QStringLiteral(" — ") +
                             timeText(m_selected->time));
    m_diff->setPlainText(tr("Reading the change…"));
    const qint64 id = m_selected->id;
    m_history->loadTexts(id,
                         [self = QPointer<HistoryView>(this),
                          id](const std::optional<ChangeSnapshot>& snapshot, const QString& error) {
                             if (!self || !self->m_selected || self->m_selected->id != id)
                                 return;
                             if (snapshot)
                                 self->showTexts(*snapshot);
                             else
                                 self->m_diff->setPlainText(error);
                         });
}

void HistoryView::showTexts(const ChangeSnapshot& snapshot) {
    QString html;
    for (const SnapshotFile& file : snapshot.files) {
        const QString before = file.before.value_or(QString());
        const QString after = file.after.value_or(QString());
        const QString title = fileTitle(file);
        const QString unified = unifiedDiff(before, after, file.before ? title : tr("(no file)"),
                                            file.after ? title : tr("(no file)"));
        html +=
            unified.isEmpty()
                ? QStringLiteral("<p>%1</p>").arg(tr("%1: unchanged").arg(title.toHtmlEscaped()))
                : diffHtml(unified);
    }
    m_diff->setHtml(html);
}

QString HistoryView::diffHtml(const QString& unified) {
    return QStringLiteral("<pre style=\"margin:0\">") + diffLinesHtml(unified) +
           QStringLiteral("</pre>");
}

void HistoryView::updateRestoreButton() {
    const bool possible = m_selected && m_restore &&
                          m_restore->actionFor(*m_selected) != HistoryRestore::Action::unavailable;
    m_restoreButton->setEnabled(possible && m_running == 0);
    m_restoreButton->setToolTip(
        m_selected && m_restore && !possible ? m_restore->confirmation(*m_selected) : QString());
}

void HistoryView::askToRestore() {
    if (!m_selected || !m_restore || m_confirmation || m_running != 0)
        return;
    const ChangeSnapshot snapshot = *m_selected;
    const bool removal = m_restore->actionFor(snapshot) == HistoryRestore::Action::removeZone;
    // Window-modal and opened, never exec(): the answer arrives as a signal.
    auto* box =
        new QMessageBox(removal ? QMessageBox::Warning : QMessageBox::Question, tr("Restore"),
                        m_restore->confirmation(snapshot), QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("restoreConfirmation"));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelRestoreButton"));
    QPushButton* confirm =
        box->addButton(removal ? tr("Remove Zone") : tr("Restore"),
                       removal ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
    confirm->setObjectName(QStringLiteral("confirmRestoreButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, confirm, snapshot](QAbstractButton* b) {
        if (b != confirm || !m_restore)
            return;
        m_running = m_restore->restore(snapshot);
        m_restoreButton->setText(tr("Restoring…"));
        showOutcome(tr("⏳ Restoring zone '%1'…").arg(snapshot.zoneName), false);
        updateRestoreButton();
    });
    m_confirmation = box;
    box->open();
}

void HistoryView::restoreFinished(HistoryRestore::RestoreId id, bool applied,
                                  const QString& message) {
    if (id != m_running)
        return;
    m_running = 0;
    m_restoreButton->setText(tr("Restore"));
    if (applied)
        showOutcome(tr("✅ Restored: the server serves the zone as it was before "
                       "that change"),
                    false);
    else
        showOutcome(tr("❌ The restore was not applied: %1").arg(message), true);
    updateRestoreButton();
}

void HistoryView::showOutcome(const QString& text, bool failure) {
    m_outcome->setText(text);
    QPalette palette = m_outcome->palette();
    palette.setColor(QPalette::WindowText,
                     failure ? namedColor(NamedColor::red) : semanticColor(SemanticColor::label));
    m_outcome->setPalette(palette);
}

} // namespace korvi
