#include "ui/apply/ApplyChangesDialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "model/TextDiff.h"
#include "ui/widgets/DiffHtml.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

QString changesPhrase(int count) {
    return count == 1 ? QCoreApplication::translate("korvi::ApplyChangesDialog", "1 change")
                      : QCoreApplication::translate("korvi::ApplyChangesDialog", "%n changes",
                                                    nullptr, count);
}

} // namespace

QColor ApplyChangesDialog::removedColor() {
    return namedColor(NamedColor::red);
}

QColor ApplyChangesDialog::addedColor() {
    return namedColor(NamedColor::green);
}

ApplyChangesDialog::ApplyChangesDialog(ZoneRepository* repository, QWidget* parent)
    : QDialog(parent), m_repository(repository) {
    setObjectName(QStringLiteral("applyChangesDialog"));
    setWindowTitle(tr("Apply Changes"));
    setWindowModality(Qt::WindowModal);
    resize(820, 600);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(10);
    layout->addWidget(ScreenWidgets::label(tr("Apply Changes"), TextStyle::title2,
                                           QStringLiteral("applyTitleLabel")));
    m_summary = ScreenWidgets::secondaryLabel({}, TextStyle::subheadline,
                                              QStringLiteral("applySummaryLabel"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    m_differences = new QTextEdit(this);
    m_differences->setObjectName(QStringLiteral("diffView"));
    m_differences->setAccessibleName(tr("Differences"));
    m_differences->setReadOnly(true);
    m_differences->setLineWrapMode(QTextEdit::NoWrap);
    m_differences->setFont(Typography::monospaced(TextStyle::caption));
    layout->addWidget(m_differences, 1);

    m_outcome = ScreenWidgets::label({}, TextStyle::body, QStringLiteral("applyOutcomeLabel"));
    m_outcome->setWordWrap(true);
    m_outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_outcome->hide();
    layout->addWidget(m_outcome);

    auto* buttons = new QHBoxLayout;
    m_discardButton = new QPushButton(tr("Discard All"), this);
    m_discardButton->setObjectName(QStringLiteral("discardAllButton"));
    m_discardButton->setAutoDefault(false);
    buttons->addWidget(m_discardButton);
    buttons->addStretch();
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelApplyButton"));
    m_cancelButton->setAutoDefault(false);
    buttons->addWidget(m_cancelButton);
    m_applyButton = new QPushButton(tr("Apply"), this);
    m_applyButton->setObjectName(QStringLiteral("applyButton"));
    m_applyButton->setDefault(true);
    buttons->addWidget(m_applyButton);
    layout->addLayout(buttons);

    connect(m_applyButton, &QPushButton::clicked, this, &ApplyChangesDialog::apply);
    connect(m_discardButton, &QPushButton::clicked, this, &ApplyChangesDialog::askToDiscard);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(repository, &ZoneRepository::changeFinished, this, &ApplyChangesDialog::changeFinished);
    // A zone removed meanwhile takes its changes with it.
    connect(repository, &ZoneRepository::stagedChanged, this, [this] {
        if (!m_applying)
            showDifferences();
    });
    showDifferences();
}

QString ApplyChangesDialog::differenceHtml(const QList<ZoneRepository::StagedFile>& files) {
    const QString secondary = namedColor(NamedColor::gray).name();
    QString html = QStringLiteral("<div style=\"white-space: pre; font-family: monospace;\">");
    for (const ZoneRepository::StagedFile& file : files) {
        html += QStringLiteral("<p style=\"font-family: sans-serif;\"><b>") +
                file.zoneName.toHtmlEscaped() + QStringLiteral("</b> &nbsp; <span style=\"color:") +
                secondary + QStringLiteral("\">") + file.filePath.toHtmlEscaped() +
                QStringLiteral("</span><br>");
        for (const QString& description : file.descriptions)
            html += QStringLiteral("• ") + description.toHtmlEscaped() + QStringLiteral("<br>");
        html += QStringLiteral("</p><pre>");
        const QString diff =
            unifiedDiff(file.currentText, file.newText, tr("%1 (now)").arg(file.filePath),
                        tr("%1 (after applying)").arg(file.filePath));
        html += diffLinesHtml(diff);
        html += QStringLiteral("</pre>");
    }
    return html + QStringLiteral("</div>");
}

void ApplyChangesDialog::showDifferences() {
    if (!m_repository)
        return;
    const QList<ZoneRepository::StagedFile> files = m_repository->stagedFiles();
    const int count = m_repository->stagedChangeCount();
    m_summary->setText(
        count == 0 ? tr("No changes are waiting to be applied.")
                   : tr("%1 in %2. Each zone file below changes as shown; applying writes "
                        "them all, reloads the zones and checks that the server serves them. "
                        "If any zone fails, every file is put back.")
                         .arg(changesPhrase(count),
                              files.size() == 1 ? tr("1 zone")
                                                : tr("%n zones", nullptr, int(files.size()))));
    m_differences->setHtml(differenceHtml(files));
    m_applyButton->setEnabled(count > 0);
    m_discardButton->setEnabled(count > 0);
}

void ApplyChangesDialog::apply() {
    if (!m_repository || m_applying)
        return;
    m_applyButton->setEnabled(false);
    m_discardButton->setEnabled(false);
    m_cancelButton->setEnabled(false);
    showOutcome(tr("⏳ Applying the changes and waiting for the server to serve "
                   "them…"),
                semanticColor(SemanticColor::secondaryLabel));
    m_applying = m_repository->applyStaged();
}

void ApplyChangesDialog::changeFinished(ChangeId id, bool applied, const QString& message) {
    if (id != m_applying)
        return;
    m_applying = 0;
    m_cancelButton->setEnabled(true);
    if (applied) {
        showOutcome(tr("✅ The changes were applied and the server serves them."),
                    namedColor(NamedColor::green));
        m_applyButton->hide();
        m_discardButton->hide();
        m_cancelButton->setText(tr("Close"));
        m_cancelButton->setDefault(true);
    } else {
        showOutcome(QStringLiteral("❌ ") + message, namedColor(NamedColor::red));
        showDifferences();
    }
    Q_EMIT applyFinished(applied, message);
}

void ApplyChangesDialog::showOutcome(const QString& text, const QColor& color) {
    m_outcome->setText(text);
    m_outcome->setStyleSheet(QStringLiteral("color: %1;").arg(color.name()));
    m_outcome->show();
}

void ApplyChangesDialog::askToDiscard() {
    if (!m_repository || m_applying)
        return;
    const int count = m_repository->stagedChangeCount();
    auto* box =
        new QMessageBox(QMessageBox::Warning, tr("Discard All"),
                        tr("Discard %1?").arg(changesPhrase(count)), QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("discardConfirmBox"));
    box->setInformativeText(tr("The zones go back to how they were last applied. "
                               "This cannot be undone."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* discard = box->addButton(tr("Discard All"), QMessageBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("discardConfirmButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("discardCancelButton"));
    box->setDefaultButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, discard](QAbstractButton* clicked) {
        if (clicked != discard || !m_repository)
            return;
        m_repository->discardStaged();
        accept();
    });
    m_confirmation = box;
    box->open();
}

} // namespace korvi
