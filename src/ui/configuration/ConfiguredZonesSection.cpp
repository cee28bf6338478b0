#include "ui/configuration/ConfiguredZonesSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "manager/ZoneAdoption.h"
#include "model/DNSConfiguration.h"
#include "ui/configuration/AdoptZoneDialog.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

ConfiguredZonesSection::ConfiguredZonesSection(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_configuration(manager->configuration()) {
    setObjectName(QStringLiteral("configuredZonesSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);
    outer->addWidget(ScreenWidgets::label(tr("Other Zones in BIND's Configuration"),
                                          TextStyle::headline,
                                          QStringLiteral("configuredZonesTitle")));
    outer->addWidget(ScreenWidgets::secondaryLabel(
        tr("BIND serves these zones, but Korvi does not edit them: they are declared "
           "outside Korvi's own include file, are not primary zones, or belong to a "
           "view. Korvi never writes their files. A primary zone declared in an "
           "administrator's file can be adopted: Korvi then edits it."),
        TextStyle::subheadline, QStringLiteral("configuredZonesHint")));
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(2);
    outer->addLayout(m_rows);
    m_message = ScreenWidgets::secondaryLabel(QString(), TextStyle::subheadline,
                                              QStringLiteral("adoptZoneMessage"));
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->hide();
    outer->addWidget(m_message);
    connect(m_configuration, &DNSConfiguration::changed, this, &ConfiguredZonesSection::rebuild);
    connect(manager, &DNSServerManager::zoneAdoptionFinished, this,
            &ConfiguredZonesSection::adoptionFinished);
    rebuild();
}

QString ConfiguredZonesSection::rowText(const ConfiguredZone& zone) {
    QString text = zone.name + QStringLiteral(" · ") + zoneTypeName(zone.type);
    if (zone.zoneClass != u"IN")
        text += u' ' + zone.zoneClass;
    if (!zone.view.isEmpty())
        text += tr(" · view %1").arg(zone.view);
    text += QStringLiteral(" · ") + (zone.declaredIn.isEmpty()
                                         ? tr("declaring file unknown")
                                         : tr("declared in %1").arg(zone.declaredIn));
    return text + tr(" · read-only");
}

void ConfiguredZonesSection::rebuild() {
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int shown = 0;
    if (m_configuration && m_manager) {
        for (const ConfiguredZone& zone : m_configuration->configuredZones()) {
            if (zone.isEditableByKorvi())
                continue;
            auto* row = new QWidget;
            auto* line = new QHBoxLayout(row);
            line->setContentsMargins(0, 0, 0, 0);
            line->addWidget(
                ScreenWidgets::secondaryLabel(rowText(zone), TextStyle::body,
                                              QStringLiteral("configuredZone%1").arg(shown)),
                1);
            if (!ZoneAdoption::refusal(zone, m_manager->layout())) {
                auto* adopt = new QPushButton(tr("Adopt into Korvi"));
                adopt->setObjectName(QStringLiteral("adoptZoneButton"));
                adopt->setProperty("zone", zone.name);
                adopt->setToolTip(tr("Move this zone's statement into Korvi's include, so that "
                                     "Korvi edits it"));
                adopt->setEnabled(!m_adopting);
                connect(adopt, &QPushButton::clicked, this, [this, zone] { askToAdopt(zone); });
                line->addWidget(adopt, 0, Qt::AlignTop);
            }
            m_rows->addWidget(row);
            ++shown;
        }
    }
    setVisible(shown > 0 || m_message->isVisibleTo(this));
}

void ConfiguredZonesSection::askToAdopt(const ConfiguredZone& zone) {
    if (m_confirmation || m_adopting || !m_manager)
        return;
    auto* dialog = new AdoptZoneDialog(zone, m_manager->layout(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_confirmation = dialog;
    connect(dialog, &QDialog::accepted, this, [this, zone] {
        if (!m_manager)
            return;
        m_adopting = true;
        for (QPushButton* button : findChildren<QPushButton*>(QStringLiteral("adoptZoneButton")))
            button->setEnabled(false);
        m_message->setText(tr("Taking zone '%1' over...").arg(zone.name));
        m_message->show();
        m_manager->adoptZone(zone);
    });
    dialog->open();
}

void ConfiguredZonesSection::adoptionFinished(const ZoneAdoptionResult& result) {
    m_adopting = false;
    m_message->setText(result.message);
    m_message->show();
    rebuild();
}

} // namespace korvi
