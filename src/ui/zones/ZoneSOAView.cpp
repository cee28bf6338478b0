#include "ui/zones/ZoneSOAView.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/TextCleaning.h"
#include "ui/dnssec/ZoneDnssecDialog.h"
#include "ui/widgets/FormErrorLabel.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

IntegerField* secondsField(const QString& title, const QString& name) {
    auto* field = new IntegerField;
    field->setObjectName(name);
    field->setAccessibleName(title);
    field->setFixedWidth(120);
    return field;
}

QLineEdit* nameField(const QString& title, const QString& name, const QString& text) {
    auto* field = new QLineEdit(text);
    field->setObjectName(name);
    field->setAccessibleName(title);
    return field;
}

// A field with its unit and a help line, as one row of the form.
QWidget* secondsRow(IntegerField* field, const QString& helpText) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(ScreenWidgets::secondaryLabel(
        QCoreApplication::translate("korvi::ZoneSOAView", "seconds"), TextStyle::caption));
    row->addStretch();
    layout->addLayout(row);
    layout->addWidget(ScreenWidgets::secondaryLabel(helpText, TextStyle::caption,
                                                    field->objectName() + QStringLiteral("Help")));
    return box;
}

} // namespace

ZoneSOAView::ZoneSOAView(DNSServerManager* manager, const ZonePtr& zone, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_zone(zone) {
    setObjectName(QStringLiteral("zoneSOAView"));
    setWindowTitle(tr("SOA Settings"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(560);
    const QString zoneName = zone ? zone->name() : QString();
    if (zone && zone->soaRecord())
        m_soa = *zone->soaRecord();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    QLabel* title =
        ScreenWidgets::label(tr("SOA Settings"), TextStyle::title2, QStringLiteral("headerTitle"));
    QFont bold = title->font();
    bold.setWeight(QFont::Bold);
    title->setFont(bold);
    column->addWidget(title);
    column->addWidget(ScreenWidgets::secondaryLabel(tr("Start of Authority for %1").arg(zoneName),
                                                    TextStyle::subheadline,
                                                    QStringLiteral("headerSubtitle")));

    m_errorLabel = new FormErrorLabel;
    column->addWidget(m_errorLabel);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setVerticalSpacing(10);
    m_primaryField = nameField(tr("Primary Name Server"), QStringLiteral("primaryNameServerField"),
                               m_soa.primaryNameServer);
    form->addRow(tr("Primary Name Server"), m_primaryField);
    m_adminField =
        nameField(tr("Administrator Email"), QStringLiteral("adminEmailField"), m_soa.adminEmail);
    m_adminField->setPlaceholderText(QStringLiteral("hostmaster.") + zoneName + u'.');
    form->addRow(tr("Administrator Email"), m_adminField);
    m_refreshField = secondsField(tr("Refresh"), QStringLiteral("refreshField"));
    m_refreshField->setValue(m_soa.refresh);
    form->addRow(tr("Refresh"),
                 secondsRow(m_refreshField, tr("How often secondary servers check for changes")));
    m_retryField = secondsField(tr("Retry"), QStringLiteral("retryField"));
    m_retryField->setValue(m_soa.retry);
    form->addRow(tr("Retry"),
                 secondsRow(m_retryField, tr("How soon they try again after a failure")));
    m_expireField = secondsField(tr("Expire"), QStringLiteral("expireField"));
    m_expireField->setValue(m_soa.expire);
    form->addRow(tr("Expire"),
                 secondsRow(m_expireField, tr("When they stop answering without the primary")));
    m_minimumField = secondsField(tr("Minimum"), QStringLiteral("minimumField"));
    m_minimumField->setValue(m_soa.minimum);
    form->addRow(
        tr("Minimum"),
        secondsRow(m_minimumField, tr("How long resolvers remember that a name does not exist")));
    m_ttlField = secondsField(tr("TTL"), QStringLiteral("soaTtlField"));
    m_ttlField->setValue(m_soa.ttl);
    m_ttlField->setPlaceholderText(tr("the minimum"));
    form->addRow(tr("TTL"), secondsRow(m_ttlField, tr("The SOA record's own TTL; when empty, "
                                                      "the minimum above")));
    m_serialLabel = ScreenWidgets::label(QString::number(m_soa.serial), TextStyle::body,
                                         QStringLiteral("serialLabel"));
    m_serialLabel->setFont(Typography::monospaced(TextStyle::body));
    form->addRow(tr("Serial"), m_serialLabel);
    column->addLayout(form);
    column->addWidget(
        ScreenWidgets::secondaryLabel(tr("The serial is advanced when the settings are saved"),
                                      TextStyle::caption, QStringLiteral("serialHelp")));
    column->addStretch();
    outer->addWidget(content, 1);

    RoundedPanel* bar = ScreenWidgets::card(QStringLiteral("buttonBar"), 0);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(24, 12, 24, 12);
    // The zone's signing, in its own dialog.
    auto* dnssec = new QPushButton(tr("DNSSEC…"));
    dnssec->setObjectName(QStringLiteral("dnssecButton"));
    dnssec->setAutoDefault(false);
    dnssec->setEnabled(manager && zone);
    connect(dnssec, &QPushButton::clicked, this, [this] {
        auto* dialog = new ZoneDnssecDialog(m_manager, m_zone->name(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    buttons->addWidget(dnssec);
    buttons->addStretch();
    auto* cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    m_saveButton = ScreenWidgets::prominentButton(tr("Save SOA"), {}, QStringLiteral("saveButton"));
    buttons->addWidget(m_saveButton);
    outer->addWidget(bar);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_saveButton, &QPushButton::clicked, this, &ZoneSOAView::save);
    if (manager)
        connect(manager, &DNSServerManager::changeFinished, this, &ZoneSOAView::changeFinished);
    // Without an SOA there is nothing to edit.
    m_saveButton->setEnabled(zone && zone->soaRecord());
}

QString ZoneSOAView::mailboxName(const QString& typed, const QString& zoneName) {
    QString name = typed.trimmed();
    const qsizetype at = name.indexOf(u'@');
    if (at > 0) {
        // Dots in the user part are escaped: "first.last@x" is "first\.last.x".
        QString user = name.left(at);
        user.replace(u'.', QStringLiteral("\\."));
        name = user + u'.' + name.mid(at + 1);
        if (!name.endsWith(u'.'))
            name += u'.';
    }
    return absoluteTarget(name, zoneName);
}

SOARecord ZoneSOAView::soaToSave() const {
    const QString zoneName = m_zone ? m_zone->name() : QString();
    SOARecord soa = m_soa;
    soa.primaryNameServer = absoluteTarget(m_primaryField->text(), zoneName);
    soa.adminEmail = mailboxName(m_adminField->text(), zoneName);
    soa.refresh = m_refreshField->value().value_or(m_soa.refresh);
    soa.retry = m_retryField->value().value_or(m_soa.retry);
    soa.expire = m_expireField->value().value_or(m_soa.expire);
    soa.minimum = m_minimumField->value().value_or(m_soa.minimum);
    soa.ttl = m_ttlField->value();
    return soa;
}

QString ZoneSOAView::errorText() const {
    return m_errorLabel->message();
}

void ZoneSOAView::save() {
    if (!m_manager || !m_zone || !m_zone->soaRecord() || m_pendingChange != 0)
        return;
    m_errorLabel->hide();
    m_pendingChange = m_manager->updateSOA(soaToSave(), m_zone);
    if (m_pendingChange != 0)
        setBusy(true);
}

void ZoneSOAView::setBusy(bool busy) {
    for (QWidget* field :
         std::initializer_list<QWidget*>{m_primaryField, m_adminField, m_refreshField, m_retryField,
                                         m_expireField, m_minimumField, m_ttlField})
        field->setEnabled(!busy);
    m_saveButton->setEnabled(!busy);
    m_saveButton->setText(busy ? tr("Saving…") : tr("Save SOA"));
}

void ZoneSOAView::showError(const QString& message) {
    m_errorLabel->showMessage(message);
    adjustSize();
}

void ZoneSOAView::changeFinished(ChangeId id, bool applied, const QString& message) {
    if (id == 0 || id != m_pendingChange)
        return;
    m_pendingChange = 0;
    if (applied) {
        accept();
        return;
    }
    setBusy(false);
    showError(message.isEmpty() ? tr("The SOA was not changed.") : message);
}

} // namespace korvi
