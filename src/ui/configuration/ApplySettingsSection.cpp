#include "ui/configuration/ApplySettingsSection.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/ApplySettings.h"
#include "manager/DNSServerManager.h"
#include "manager/ZoneRepository.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

ApplySettingsSection::ApplySettingsSection(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("applySettingsSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    RoundedPanel* panel = ScreenWidgets::card(QStringLiteral("applySettings"));
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    layout->addWidget(ScreenWidgets::label(tr("Applying Changes"), TextStyle::headline,
                                           QStringLiteral("applySettingsTitle")));

    m_live = new QRadioButton(tr("Apply each change at once"), panel);
    m_live->setObjectName(QStringLiteral("applyLiveRadio"));
    m_batch = new QRadioButton(tr("Collect changes and apply them together"), panel);
    m_batch->setObjectName(QStringLiteral("applyBatchRadio"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_live);
    group->addButton(m_batch);
    layout->addWidget(m_live);
    layout->addWidget(m_batch);
    auto* explanation = ScreenWidgets::secondaryLabel(
        tr("Collected changes show in the lists at once; the zone files and the "
           "server change only when you apply them with the Apply button."),
        TextStyle::subheadline, QStringLiteral("applyModeExplanation"));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    m_modeMessage =
        ScreenWidgets::label({}, TextStyle::subheadline, QStringLiteral("applyModeMessage"));
    m_modeMessage->setWordWrap(true);
    m_modeMessage->setStyleSheet(
        QStringLiteral("color: %1;").arg(namedColor(NamedColor::orange).name()));
    m_modeMessage->hide();
    layout->addWidget(m_modeMessage);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    PreferencesStore& preferences = manager->preferences();
    m_servedLimit = new QSpinBox(panel);
    m_servedLimit->setObjectName(QStringLiteral("servedLimitSpin"));
    m_servedLimit->setRange(ApplySettings::minimumServedLimitSeconds,
                            ApplySettings::maximumServedLimitSeconds);
    m_servedLimit->setValue(ApplySettings::servedLimitSeconds(preferences));
    m_servedLimit->setAccessibleName(tr("Wait for the server to serve a change (seconds)"));
    grid->addWidget(ScreenWidgets::label(tr("Wait for the server to serve a change (seconds)"),
                                         TextStyle::body, QStringLiteral("servedLimitLabel")),
                    0, 0);
    grid->addWidget(m_servedLimit, 0, 1, Qt::AlignLeft);
    m_historyPerZone = new QSpinBox(panel);
    m_historyPerZone->setObjectName(QStringLiteral("historyPerZoneSpin"));
    m_historyPerZone->setRange(ApplySettings::minimumHistoryPerZone,
                               ApplySettings::maximumHistoryPerZone);
    m_historyPerZone->setValue(ApplySettings::historyPerZone(preferences));
    m_historyPerZone->setAccessibleName(tr("Snapshots kept per zone"));
    grid->addWidget(ScreenWidgets::label(tr("Snapshots kept per zone"), TextStyle::body,
                                         QStringLiteral("historyPerZoneLabel")),
                    1, 0);
    grid->addWidget(m_historyPerZone, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    connect(m_live, &QRadioButton::clicked, this, [this] { chooseMode(false); });
    connect(m_batch, &QRadioButton::clicked, this, [this] { chooseMode(true); });
    connect(m_servedLimit, &QSpinBox::valueChanged, this, [this](int seconds) {
        if (!m_manager)
            return;
        ApplySettings::setServedLimitSeconds(m_manager->preferences(), seconds);
        m_manager->zoneRepository()->setServedLimit(seconds * 1000);
    });
    connect(m_historyPerZone, &QSpinBox::valueChanged, this, [this](int count) {
        if (m_manager)
            ApplySettings::setHistoryPerZone(m_manager->preferences(), count);
    });
    ZoneRepository* repository = manager->zoneRepository();
    connect(repository, &ZoneRepository::batchModeChanged, this, &ApplySettingsSection::showMode);
    connect(repository, &ZoneRepository::stagedChanged, this, [this](int count) {
        if (count == 0)
            m_modeMessage->hide();
    });
    showMode();
}

void ApplySettingsSection::chooseMode(bool batch) {
    if (!m_manager)
        return;
    ZoneRepository* repository = m_manager->zoneRepository();
    if (!repository->setBatchMode(batch)) {
        const int count = repository->stagedChangeCount();
        m_modeMessage->setText(
            count == 1 ? tr("⚠️ 1 change is collected and not applied yet. Apply or discard it "
                            "first; then each change can be applied at once.")
                       : tr("⚠️ %n changes are collected and not applied yet. Apply or discard "
                            "them first; then each change can be applied at once.",
                            nullptr, count));
        m_modeMessage->show();
        showMode();
        return;
    }
    m_modeMessage->hide();
    ApplySettings::setBatchMode(m_manager->preferences(), batch);
    showMode();
}

void ApplySettingsSection::showMode() {
    if (!m_manager)
        return;
    const bool batch = m_manager->zoneRepository()->isBatchMode();
    m_batch->setChecked(batch);
    m_live->setChecked(!batch);
}

} // namespace korvi
