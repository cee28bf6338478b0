#include "ui/replication/AddSecondaryZoneDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/Typography.h"

namespace korvi {

AddSecondaryZoneDialog::AddSecondaryZoneDialog(DNSServerManager* manager, QWidget* parent)
    : QDialog(parent), m_manager(manager) {
    setObjectName(QStringLiteral("addSecondaryZoneDialog"));
    setWindowTitle(tr("Add Secondary Zone"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Typography::label(
        tr("This server copies the zone from its primary and answers for it; "
           "its records are changed on the primary."),
        TextStyle::subheadline, QFont::Normal, semanticColor(SemanticColor::secondaryLabel),
        QStringLiteral("addSecondaryZoneIntro"), this));

    auto* form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("secondaryZoneNameField"));
    m_name->setPlaceholderText(QStringLiteral("example.com"));
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("primaryAddressField"));
    m_address->setPlaceholderText(QStringLiteral("192.0.2.1"));
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("primaryPortField"));
    m_port->setRange(1, 65535);
    m_port->setValue(53);
    m_key = new QLineEdit(this);
    m_key->setObjectName(QStringLiteral("primaryKeyField"));
    m_key->setPlaceholderText(tr("optional"));
    form->addRow(tr("Zone name:"), m_name);
    form->addRow(tr("Primary address:"), m_address);
    form->addRow(tr("Primary port:"), m_port);
    form->addRow(tr("TSIG key name:"), m_key);
    layout->addLayout(form);

    m_error = Typography::label(QString(), TextStyle::subheadline, QFont::Normal,
                                namedColor(NamedColor::red),
                                QStringLiteral("addSecondaryZoneError"), this);
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelSecondaryZoneButton"));
    QPushButton* add = buttons->addButton(tr("Add Secondary Zone"), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("confirmSecondaryZoneButton"));
    add->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &AddSecondaryZoneDialog::add);
    layout->addWidget(buttons);
}

void AddSecondaryZoneDialog::add() {
    if (!m_manager)
        return;
    SecondaryZoneSettings zone;
    zone.name = m_name->text().trimmed().toLower();
    if (zone.name.endsWith(u'.'))
        zone.name.chop(1);
    zone.primaries.append(
        {m_address->text().trimmed(), quint16(m_port->value()), m_key->text().trimmed()});
    zone.fileName = SecondaryZoneSettings::defaultFileName(zone.name);
    if (const std::optional<QString> refused = m_manager->secondaryZoneRefusal(zone)) {
        m_error->setText(*refused);
        m_error->show();
        return;
    }
    m_manager->addSecondaryZone(zone);
    accept();
}

} // namespace korvi
