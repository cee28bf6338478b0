#include "ui/zones/ReverseZoneSection.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "model/ReverseZoneName.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

ReverseZoneSection::ReverseZoneSection(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("reverseZoneSection"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_check = new QCheckBox(tr("Reverse zone for a network"), this);
    m_check->setObjectName(QStringLiteral("reverseZoneCheck"));
    layout->addWidget(m_check, 0, Qt::AlignLeft);

    m_details = new QWidget(this);
    m_details->setObjectName(QStringLiteral("reverseZoneDetails"));
    auto* details = new QVBoxLayout(m_details);
    details->setContentsMargins(0, 0, 0, 0);
    details->setSpacing(6);
    details->addWidget(ScreenWidgets::label(tr("Network *"), TextStyle::subheadline,
                                            QStringLiteral("reversePrefixLabel")));
    m_prefixField = new QLineEdit(m_details);
    m_prefixField->setObjectName(QStringLiteral("reversePrefixField"));
    m_prefixField->setAccessibleName(tr("Network"));
    m_prefixField->setPlaceholderText(tr("192.0.2.0/24 or 2001:db8::/48"));
    details->addWidget(m_prefixField);
    details->addWidget(ScreenWidgets::secondaryLabel(
        tr("An IPv4 network of length /8, /16 or /24, or an IPv6 network whose length is a "
           "multiple of 4: the zone that answers the network's reverse lookups"),
        TextStyle::caption, QStringLiteral("reversePrefixHelp")));
    m_nameLabel =
        ScreenWidgets::label({}, TextStyle::subheadline, QStringLiteral("reverseZoneNameLabel"));
    m_nameLabel->setFont(Typography::monospaced(TextStyle::subheadline));
    m_nameLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_nameLabel->setWordWrap(true);
    details->addWidget(m_nameLabel);
    m_messageLabel =
        ScreenWidgets::label({}, TextStyle::subheadline, QStringLiteral("reversePrefixMessage"));
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(namedColor(NamedColor::red).name()));
    details->addWidget(m_messageLabel);
    layout->addWidget(m_details);

    connect(m_check, &QCheckBox::toggled, this, [this](bool reverse) {
        update();
        Q_EMIT reverseChanged(reverse);
        if (reverse)
            Q_EMIT zoneNameChanged(m_zoneName);
    });
    connect(m_prefixField, &QLineEdit::textChanged, this, [this] {
        const QString before = m_zoneName;
        update();
        if (isReverse() && m_zoneName != before)
            Q_EMIT zoneNameChanged(m_zoneName);
    });
    update();
}

bool ReverseZoneSection::isReverse() const {
    return m_check->isChecked();
}

QString ReverseZoneSection::prefix() const {
    return m_prefixField->text().trimmed();
}

QString ReverseZoneSection::suggestedNameServer() const {
    if (!m_manager)
        return {};
    for (const ZonePtr& zone : m_manager->zones()) {
        if (!ReverseZoneName::isReverseZone(zone->name()) && zone->soaRecord() &&
            !zone->soaRecord()->primaryNameServer.isEmpty())
            return zone->soaRecord()->primaryNameServer;
    }
    return {};
}

void ReverseZoneSection::update() {
    m_details->setVisible(isReverse());
    const ReverseZoneName::Result result =
        isReverse() ? ReverseZoneName::fromPrefix(prefix()) : ReverseZoneName::Result{};
    m_zoneName = result.zoneName;
    // Nothing typed yet is not a fault: the placeholder shows what goes there.
    m_refusal = prefix().isEmpty() ? QString() : result.message;
    m_nameLabel->setText(m_zoneName.isEmpty() ? QString() : tr("Zone: %1").arg(m_zoneName));
    m_nameLabel->setVisible(!m_zoneName.isEmpty());
    m_messageLabel->setText(m_refusal.isEmpty() ? QString()
                                                : QStringLiteral("⚠️ ") + m_refusal);
    m_messageLabel->setVisible(!m_refusal.isEmpty());
}

} // namespace korvi
