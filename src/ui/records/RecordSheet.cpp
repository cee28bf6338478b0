#include "ui/records/RecordSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/records/RecordFormFields.h"
#include "ui/widgets/FormErrorLabel.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

RecordSheet::RecordSheet(DNSServerManager* manager, const ZonePtr& zone, const QString& title,
                         const QString& subtitle, const QString& saveLabel, int fieldsVariant,
                         QWidget* parent)
    : QDialog(parent), m_manager(manager), m_zone(zone) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(700);
    setMinimumHeight(500);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* scroll = ScreenWidgets::scrollArea(nullptr, true);
    scroll->setObjectName(QStringLiteral("formScrollArea"));
    auto* content = new QWidget;
    m_content = content;
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(24, 24, 24, 24);
    m_column->setSpacing(20);

    auto* header = new QVBoxLayout;
    header->setSpacing(4);
    QLabel* heading = ScreenWidgets::label(title, TextStyle::title2, QStringLiteral("headerTitle"));
    QFont font = heading->font();
    font.setWeight(QFont::Bold);
    heading->setFont(font);
    header->addWidget(heading);
    header->addWidget(ScreenWidgets::secondaryLabel(subtitle, TextStyle::subheadline,
                                                    QStringLiteral("headerSubtitle")));
    m_column->addLayout(header);

    // Why the last change was refused, where the eye starts reading.
    m_errorLabel = new FormErrorLabel;
    m_column->addWidget(m_errorLabel);

    m_fields = new RecordFormFields(RecordFormFields::Variant(fieldsVariant),
                                    zone ? zone->name() : QString());
    m_column->addWidget(m_fields);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    RoundedPanel* bar = ScreenWidgets::card(QStringLiteral("buttonBar"), 0);
    m_bar = bar;
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(24, 12, 24, 12);
    buttons->addStretch();
    auto* cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    m_saveButton = ScreenWidgets::prominentButton(saveLabel, {}, QStringLiteral("saveButton"));
    buttons->addWidget(m_saveButton);
    outer->addWidget(bar);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        if (!m_fields->value().isEmpty() && m_pendingChange == 0)
            save();
    });
    connect(m_fields, &RecordFormFields::valueChanged, this, &RecordSheet::updateSaveButton);
    connect(m_fields, &RecordFormFields::typeApplied, this, &RecordSheet::fitToContent);
    if (manager)
        connect(manager, &DNSServerManager::changeFinished, this, &RecordSheet::changeFinished);
    updateSaveButton();
}

QString RecordSheet::errorText() const {
    return m_errorLabel->message();
}

void RecordSheet::showError(const QString& message) {
    m_errorLabel->showMessage(message);
    fitToContent();
}

void RecordSheet::waitForChange(ChangeId id, QPushButton* button, const QString& busyText) {
    if (id == 0)
        return;
    m_pendingChange = id;
    m_busyButton = button;
    m_busyButtonText = button->text();
    button->setText(busyText);
    setBusy(true);
}

void RecordSheet::setBusy(bool busy) {
    m_fields->setEditable(!busy);
    if (m_busyButton) {
        m_busyButton->setEnabled(!busy);
        if (!busy)
            m_busyButton->setText(m_busyButtonText);
    }
    if (busy)
        m_saveButton->setEnabled(false);
    else
        updateSaveButton();
}

void RecordSheet::changeFinished(ChangeId id, bool applied, const QString& message) {
    if (id == 0 || id != m_pendingChange)
        return;
    m_pendingChange = 0;
    if (applied) {
        accept();
        return;
    }
    setBusy(false);
    m_busyButton = nullptr;
    showError(message.isEmpty() ? tr("The change was not applied.") : message);
}

int RecordSheet::preferredHeight() const {
    m_content->layout()->activate();
    return m_content->sizeHint().height() + m_bar->sizeHint().height();
}

void RecordSheet::fitToContent() {
    int height = qMax(500, preferredHeight());
    if (const QScreen* screen = this->screen())
        height = qMin(height, qMax(500, screen->availableGeometry().height() * 9 / 10));
    resize(700, height);
}

void RecordSheet::updateSaveButton() {
    m_saveButton->setEnabled(!m_fields->value().isEmpty() && m_pendingChange == 0);
}

} // namespace korvi
