#include "ui/configuration/PtrSettingsSection.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "manager/PtrSync.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

PtrSettingsSection::PtrSettingsSection(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("ptrSettingsSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    RoundedPanel* panel = ScreenWidgets::card(QStringLiteral("ptrSettings"));
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    layout->addWidget(ScreenWidgets::label(tr("Reverse Zones"), TextStyle::headline,
                                           QStringLiteral("ptrSettingsTitle")));

    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(ScreenWidgets::label(tr("PTR records for new addresses"), TextStyle::body,
                                        QStringLiteral("ptrPolicyLabel")));
    m_policy = new QComboBox(panel);
    m_policy->setObjectName(QStringLiteral("ptrPolicyCombo"));
    m_policy->setAccessibleName(tr("PTR records for new addresses"));
    m_policy->addItem(tr("Always add"), PtrSync::policyText(PtrPolicy::always));
    m_policy->addItem(tr("Ask"), PtrSync::policyText(PtrPolicy::ask));
    m_policy->addItem(tr("Never add"), PtrSync::policyText(PtrPolicy::never));
    m_policy->setCurrentIndex(
        m_policy->findData(PtrSync::policyText(PtrSync::policy(manager->preferences()))));
    row->addWidget(m_policy);
    row->addStretch();
    layout->addLayout(row);
    auto* explanation = ScreenWidgets::secondaryLabel(
        tr("When an A or AAAA record gets an address inside one of your reverse zones, its PTR "
           "record can be added with it. A PTR record Korvi added moves when the address or "
           "name changes and goes when the record is deleted; other PTR records stay as they "
           "are."),
        TextStyle::subheadline, QStringLiteral("ptrPolicyExplanation"));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    connect(m_policy, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_manager)
            return;
        const QString value = m_policy->currentData().toString();
        const PtrPolicy policy = value == PtrSync::policyText(PtrPolicy::always) ? PtrPolicy::always
                                 : value == PtrSync::policyText(PtrPolicy::never) ? PtrPolicy::never
                                                                                  : PtrPolicy::ask;
        PtrSync::setPolicy(m_manager->preferences(), policy);
    });
}

} // namespace korvi
