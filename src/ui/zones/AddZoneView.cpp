#include "ui/zones/AddZoneView.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "manager/ZoneRepository.h"
#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "platform/Console.h"
#include "ui/widgets/FormErrorLabel.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/zones/ReverseZoneSection.h"

namespace korvi {

namespace {

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// A titled group of the form.
QVBoxLayout* addGroup(QVBoxLayout* column, const QString& title, const QString& objectName) {
    auto* group = new QVBoxLayout;
    group->setSpacing(8);
    group->addWidget(ScreenWidgets::label(title, TextStyle::headline, objectName));
    column->addLayout(group);
    return group;
}

// A labelled field with its help line.
QLineEdit* addField(QVBoxLayout* group, const QString& label, const QString& placeholder,
                    const QString& help, const QString& name) {
    QLabel* title =
        ScreenWidgets::label(label, TextStyle::subheadline, name + QStringLiteral("Label"));
    group->addWidget(title);
    auto* field = new QLineEdit;
    field->setObjectName(name + QStringLiteral("Field"));
    title->setBuddy(field); // the label names the field for screen readers
    field->setPlaceholderText(placeholder);
    group->addWidget(field);
    group->addWidget(
        ScreenWidgets::secondaryLabel(help, TextStyle::caption, name + QStringLiteral("Help")));
    return field;
}

} // namespace

AddZoneView::AddZoneView(DNSServerManager* manager, QWidget* parent)
    : QDialog(parent), m_manager(manager) {
    setObjectName(QStringLiteral("addZoneView"));
    setWindowTitle(tr("Add Domain"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(600, 700);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = ScreenWidgets::scrollArea();
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(24);

    auto* header = new QVBoxLayout;
    header->setSpacing(4);
    header->addWidget(ScreenWidgets::label(tr("Add New Domain"), TextStyle::title2,
                                           QStringLiteral("headerTitle")));
    header->addWidget(ScreenWidgets::secondaryLabel(tr("Configure a new DNS zone for your domain"),
                                                    TextStyle::subheadline,
                                                    QStringLiteral("headerSubtitle")));
    column->addLayout(header);

    // Why the server side refused the zone, where the eye starts reading.
    m_refusalLabel = new FormErrorLabel;
    column->addWidget(m_refusalLabel);

    QVBoxLayout* domain =
        addGroup(column, tr("Domain Information"), QStringLiteral("domainGroupTitle"));
    m_zoneNameField =
        addField(domain, tr("Domain Name *"), QStringLiteral("example.com"),
                 tr("Enter the domain name you want to manage"), QStringLiteral("zoneName"));
    m_reverseSection = new ReverseZoneSection(manager);
    domain->addWidget(m_reverseSection);

    QVBoxLayout* soa =
        addGroup(column, tr("SOA Record Configuration"), QStringLiteral("soaGroupTitle"));
    soa->addWidget(ScreenWidgets::secondaryLabel(
        tr("Start of Authority record defines the authoritative information about your DNS zone"),
        TextStyle::caption, QStringLiteral("soaGroupText")));
    m_primaryField = addField(soa, tr("Primary Name Server"), QStringLiteral("ns1.example.com."),
                              tr("The primary authoritative name server for this domain"),
                              QStringLiteral("primaryNameServer"));
    m_adminField = addField(soa, tr("Administrator Email"), QStringLiteral("admin.example.com."),
                            tr("Email address of the domain administrator (replace @ with .)"),
                            QStringLiteral("adminEmail"));
    m_addressBox = new QWidget;
    m_addressBox->setObjectName(QStringLiteral("nameServerAddressBox"));
    auto* addressLayout = new QVBoxLayout(m_addressBox);
    addressLayout->setContentsMargins(0, 0, 0, 0);
    addressLayout->setSpacing(8);
    m_addressField =
        addField(addressLayout, tr("Name Server Address *"), QStringLiteral("192.0.2.53"),
                 tr("The primary name server is inside this domain: its address (IPv4 or "
                    "IPv6) is added to the zone so that the domain can be served at once"),
                 QStringLiteral("nameServerAddress"));
    m_addressField->setText(machineAddress());
    soa->addWidget(m_addressBox);

    QVBoxLayout* file =
        addGroup(column, tr("Zone File Information"), QStringLiteral("fileGroupTitle"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(ScreenWidgets::label(tr("File Location:"), TextStyle::subheadline,
                                            QStringLiteral("fileLocationTitle")));
    RoundedPanel* box = ScreenWidgets::card(QStringLiteral("fileLocationBox"), 4);
    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->setContentsMargins(8, 4, 8, 4);
    m_fileLocation =
        ScreenWidgets::label({}, TextStyle::caption, QStringLiteral("fileLocationLabel"));
    m_fileLocation->setFont(Typography::monospaced(TextStyle::caption));
    m_fileLocation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    boxLayout->addWidget(m_fileLocation);
    fileRow->addWidget(box, 1);
    file->addLayout(fileRow);
    file->addWidget(ScreenWidgets::secondaryLabel(
        tr("The zone file will be automatically created and configured"), TextStyle::caption,
        QStringLiteral("fileGroupText")));
    column->addStretch();
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    // Button row.
    RoundedPanel* bar = ScreenWidgets::card(QStringLiteral("buttonBar"), 0);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(24, 12, 24, 12);
    buttons->addStretch();
    m_cancelButton = new QPushButton(tr("Cancel"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    buttons->addWidget(m_cancelButton);
    m_createButton =
        ScreenWidgets::prominentButton(tr("Create Domain"), {}, QStringLiteral("createButton"));
    buttons->addWidget(m_createButton);
    outer->addWidget(bar);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        consoleLine(QStringLiteral("🚫 Cancel button pressed"));
        reject();
    });
    connect(m_createButton, &QPushButton::clicked, this, [this] {
        consoleLine(QStringLiteral("🔘 Create Domain button pressed"));
        createDomain();
    });
    connect(m_zoneNameField, &QLineEdit::textChanged, this, &AddZoneView::zoneNameChanged);
    connect(m_reverseSection, &ReverseZoneSection::zoneNameChanged, this,
            &AddZoneView::reverseZoneNamed);
    connect(m_reverseSection, &ReverseZoneSection::reverseChanged, this, [this](bool reverse) {
        // The name comes from the network while the zone is a reverse one.
        m_zoneNameField->setReadOnly(reverse);
        if (!reverse)
            m_zoneNameField->clear();
    });
    connect(m_primaryField, &QLineEdit::textChanged, this, &AddZoneView::updateAddressField);
    if (manager)
        connect(manager, &DNSServerManager::changeFinished, this, &AddZoneView::changeFinished);

    m_fileLocation->setText(zoneFilePath(tr("[domain]")));
    updateCreateButton();
    updateAddressField();
}

QString AddZoneView::zoneName() const {
    return m_zoneNameField->text();
}
QString AddZoneView::primaryNameServer() const {
    return m_primaryField->text();
}
QString AddZoneView::adminEmail() const {
    return m_adminField->text();
}

QString AddZoneView::nameServerAddress() const {
    return m_addressField->text().trimmed();
}

QString AddZoneView::effectivePrimary() const {
    const QString typed = primaryNameServer().trimmed();
    return typed.isEmpty() ? QStringLiteral("ns1.") + zoneName().trimmed() + u'.' : typed;
}

bool AddZoneView::needsNameServerAddress() const {
    const QString name = zoneName().trimmed();
    return !name.isEmpty() && ZoneRepository::nameServerInsideZone(effectivePrimary(), name);
}

void AddZoneView::updateAddressField() {
    // Shown while the zone name is still empty too, so that the form does
    // not jump as the first letters are typed: ns1.<zone> is the default.
    m_addressBox->setVisible(zoneName().trimmed().isEmpty() || needsNameServerAddress());
}

QString AddZoneView::refusalText() const {
    return m_refusalLabel->message();
}

QString AddZoneView::machineAddress() {
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
                return address.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

QString AddZoneView::zoneFilePath(const QString& name) const {
    const QString directory = m_manager ? m_manager->zoneDirectory() : QString();
    return directory + QStringLiteral("/db.") + name;
}

bool AddZoneView::isValidDomainForForm(const QString& name) {
    const bool valid = isValidDomainName(name);
    consoleLine(QStringLiteral("🔍 Domain validation for '") + name + QStringLiteral("': ") +
                boolText(valid));
    if (valid)
        return true;
    if (name.isEmpty())
        return false;
    const bool basic = name.contains(u'.') && name.size() >= 3 && !name.startsWith(u'.') &&
                       !name.endsWith(QStringLiteral("..")) && !name.contains(u' ');
    consoleLine(QStringLiteral("🔍 Basic fallback validation for '") + name + QStringLiteral("': ") +
                boolText(basic));
    return basic;
}

void AddZoneView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QString name = zoneName();
    if (name.isEmpty())
        return;
    if (m_primaryField->text().isEmpty())
        m_primaryField->setText(QStringLiteral("ns1.") + name + u'.');
    if (m_adminField->text().isEmpty())
        m_adminField->setText(QStringLiteral("admin.") + name + u'.');
}

void AddZoneView::zoneNameChanged(const QString& name) {
    m_fileLocation->setText(zoneFilePath(name.isEmpty() ? tr("[domain]") : name));
    const bool valid = isValidDomainForForm(name);
    if (!name.isEmpty() && valid) {
        // Texts the form filled in follow the name; texts typed otherwise stay.
        if (m_primaryField->text().isEmpty() ||
            m_primaryField->text().startsWith(QStringLiteral("ns1.")))
            m_primaryField->setText(QStringLiteral("ns1.") + name + u'.');
        if (m_adminField->text().isEmpty() ||
            m_adminField->text().startsWith(QStringLiteral("admin.")))
            m_adminField->setText(QStringLiteral("admin.") + name + u'.');
    }
    const bool empty = name.isEmpty();
    consoleLine(QStringLiteral("🔍 Button state changed - zoneName: '") + name +
                QStringLiteral("', isEmpty: ") + boolText(empty) + QStringLiteral(", isValid: ") +
                boolText(valid) + QStringLiteral(", disabled: ") + boolText(empty || !valid));
    updateCreateButton();
    updateAddressField();
}

void AddZoneView::reverseZoneNamed(const QString& name) {
    m_zoneNameField->setText(name);
    // A reverse zone's name server is usually one of the forward zones':
    // proposed instead of ns1 inside the reverse zone, which would need an
    // address record there.
    const QString server = m_reverseSection->suggestedNameServer();
    if (!name.isEmpty() && !server.isEmpty() &&
        (m_primaryField->text().isEmpty() ||
         m_primaryField->text().startsWith(QStringLiteral("ns1."))))
        m_primaryField->setText(server);
}

void AddZoneView::updateCreateButton() {
    const QString name = zoneName();
    const bool empty = name.isEmpty();
    const bool valid = isValidDomainForForm(name);
    consoleLine(QStringLiteral("🔍 Button state - zoneName: '") + name +
                QStringLiteral("', isEmpty: ") + boolText(empty) + QStringLiteral(", isValid: ") +
                boolText(valid));
    m_createButton->setEnabled(!empty && valid && !m_creating);
}

void AddZoneView::createDomain() {
    if (m_creating)
        return;
    const QString name = zoneName();
    consoleLine(QStringLiteral("🔄 Starting zone creation for: '") + name + u'\'');
    if (m_reverseSection->isReverse() && !m_reverseSection->refusal().isEmpty()) {
        showError(m_reverseSection->refusal());
        return;
    }
    if (name.isEmpty()) {
        showError(tr("Domain name is required"));
        return;
    }
    if (!isValidDomainForForm(name)) {
        showError(tr("Invalid domain name format. Please enter a valid domain like 'example.com'"));
        return;
    }
    if (m_manager) {
        if (const std::optional<QString> refusal = m_manager->newZoneRefusal(name)) {
            showError(*refusal);
            return;
        }
    }
    const bool inside = needsNameServerAddress();
    const QString address = inside ? nameServerAddress() : QString();
    if (inside && !isValidIPv4Address(address) && !isValidIPv6Address(address)) {
        showError(tr("The name server %1 is inside this domain: enter its IPv4 or IPv6 address")
                      .arg(effectivePrimary()));
        return;
    }
    consoleLine(QStringLiteral("✅ Validation passed, creating zone..."));

    const ZonePtr zone =
        ZoneRepository::newZone(name, zoneFilePath(name), primaryNameServer(), adminEmail(),
                                QDateTime::currentSecsSinceEpoch(), address);
    consoleLine(QStringLiteral("✅ SOA record created"));
    consoleLine(QStringLiteral("✅ NS record added"));
    if (!m_manager)
        return;

    // The button stays off so that the zone cannot be created twice; the
    // sheet closes when the manager reports the zone added.
    m_refusalLabel->hide();
    m_creating = true;
    m_createButton->setEnabled(false);
    m_createButton->setText(tr("Creating…"));
    consoleLine(QStringLiteral("🔄 Adding zone to DNS manager..."));
    m_pendingChange = m_manager->addZone(zone);
}

void AddZoneView::changeFinished(ChangeId id, bool applied, const QString& message) {
    if (id == 0 || id != m_pendingChange)
        return;
    m_pendingChange = 0;
    m_creating = false;
    m_createButton->setText(tr("Create Domain"));
    if (applied) {
        consoleLine(QStringLiteral("✅ Zone added successfully, dismissing dialog"));
        accept();
        return;
    }
    m_refusalLabel->showMessage(message.isEmpty() ? tr("The domain was not created.") : message);
    updateCreateButton();
}

void AddZoneView::showError(const QString& message) {
    m_errorMessage = message;
    auto* alert = new QMessageBox(QMessageBox::Warning, tr("Error Creating Zone"), message,
                                  QMessageBox::Ok, this);
    alert->setObjectName(QStringLiteral("errorAlert"));
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    if (QAbstractButton* ok = alert->button(QMessageBox::Ok))
        ok->setObjectName(QStringLiteral("errorOkButton"));
    m_errorAlert = alert;
    alert->open();
}

} // namespace korvi
