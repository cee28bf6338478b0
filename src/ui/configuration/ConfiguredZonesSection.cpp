#include "ui/configuration/ConfiguredZonesSection.h"

#include <QLabel>
#include <QVBoxLayout>

#include "model/DNSConfiguration.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

ConfiguredZonesSection::ConfiguredZonesSection(DNSConfiguration* configuration, QWidget* parent)
    : QWidget(parent), m_configuration(configuration) {
    setObjectName(QStringLiteral("configuredZonesSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);
    outer->addWidget(ScreenWidgets::label(QStringLiteral("Other Zones in BIND's Configuration"),
                                          TextStyle::headline,
                                          QStringLiteral("configuredZonesTitle")));
    outer->addWidget(ScreenWidgets::secondaryLabel(
        QStringLiteral("BIND serves these zones, but Korvi does not edit them: they are declared "
                       "outside Korvi's own include file, are not primary zones, or belong to a "
                       "view. Korvi never writes their files."),
        TextStyle::subheadline, QStringLiteral("configuredZonesHint")));
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(2);
    outer->addLayout(m_rows);
    connect(configuration, &DNSConfiguration::changed, this, &ConfiguredZonesSection::rebuild);
    rebuild();
}

QString ConfiguredZonesSection::rowText(const ConfiguredZone& zone) {
    QString text = zone.name + QStringLiteral(" · ") + zoneTypeName(zone.type);
    if (zone.zoneClass != u"IN")
        text += u' ' + zone.zoneClass;
    if (!zone.view.isEmpty())
        text += QStringLiteral(" · view ") + zone.view;
    text += QStringLiteral(" · ") + (zone.declaredIn.isEmpty()
                                         ? QStringLiteral("declaring file unknown")
                                         : QStringLiteral("declared in ") + zone.declaredIn);
    return text + QStringLiteral(" · read-only");
}

void ConfiguredZonesSection::rebuild() {
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int shown = 0;
    if (m_configuration) {
        for (const ConfiguredZone& zone : m_configuration->configuredZones()) {
            if (zone.isEditableByKorvi())
                continue;
            m_rows->addWidget(ScreenWidgets::secondaryLabel(
                rowText(zone), TextStyle::body, QStringLiteral("configuredZone%1").arg(shown)));
            ++shown;
        }
    }
    setVisible(shown > 0);
}

} // namespace korvi
