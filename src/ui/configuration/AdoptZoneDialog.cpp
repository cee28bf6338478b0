#include "ui/configuration/AdoptZoneDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/HostLayout.h"
#include "manager/ZoneAdoption.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

AdoptZoneDialog::AdoptZoneDialog(const ConfiguredZone& zone, const SystemLayout& layout,
                                 QWidget* parent)
    : QDialog(parent), m_zone(zone) {
    setObjectName(QStringLiteral("adoptZoneConfirmation"));
    setWindowTitle(tr("Adopt into Korvi"));
    setWindowModality(Qt::WindowModal);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(10);
    column->addWidget(ScreenWidgets::label(tr("Adopt “%1” into Korvi?").arg(zone.name),
                                           TextStyle::headline,
                                           QStringLiteral("adoptZoneQuestion")));
    QLabel* text = ScreenWidgets::secondaryLabel(explanation(zone, layout), TextStyle::body,
                                                 QStringLiteral("adoptZoneExplanation"));
    text->setMinimumWidth(460);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(text);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* adopt = buttons->addButton(tr("Adopt"), QDialogButtonBox::AcceptRole);
    adopt->setObjectName(QStringLiteral("adoptZoneConfirmButton"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("adoptZoneCancelButton"));
    // Nothing happens by pressing Return alone.
    adopt->setAutoDefault(false);
    cancel->setDefault(true);
    cancel->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

QString AdoptZoneDialog::explanation(const ConfiguredZone& zone, const SystemLayout& layout) {
    const OwnedFileLayout files = ownedFileLayout(layout);
    return tr("Korvi takes the statement of zone “%1” out of %2 (nothing else in that file "
              "changes) and lists the zone in its own include file, %3. From then on Korvi "
              "edits the zone and writes its file, %4, from the records it reads now from %5; "
              "it never writes %5.\n\n"
              "Before anything changes, copies of %2 and of the zone's file go into a new "
              "folder below %6. BIND's checker judges the new configuration first: if it "
              "refuses, or any step fails, nothing stays changed.")
        .arg(zone.name, zone.declaredIn, files.korviInclude, files.zoneFile(zone.name), zone.file,
             ZoneAdoption::backupRoot(layout));
}

} // namespace korvi
