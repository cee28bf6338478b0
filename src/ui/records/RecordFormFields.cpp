#include "ui/records/RecordFormFields.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/RecordValidator.h"
#include "model/TextCleaning.h"
#include "model/ZoneFileWriter.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

struct QuickTtl {
    const char* label;
    qint64 ttl;
};

constexpr QuickTtl quickTtls[] = {
    {QT_TRANSLATE_NOOP("korvi::RecordFormFields", "5 minutes (300)"), 300},
    {QT_TRANSLATE_NOOP("korvi::RecordFormFields", "1 hour (3600)"), 3600},
    {QT_TRANSLATE_NOOP("korvi::RecordFormFields", "24 hours (86400)"), 86400},
    {QT_TRANSLATE_NOOP("korvi::RecordFormFields", "1 week (604800)"), 604800}};

// "Record Name" and the other field headings.
QLabel* heading(const QString& text, const QString& name) {
    QLabel* label = ScreenWidgets::label(text, TextStyle::subheadline, name);
    QFont font = label->font();
    font.setWeight(QFont::Medium);
    label->setFont(font);
    return label;
}

QLabel* help(const QString& text, const QString& name) {
    return ScreenWidgets::secondaryLabel(text, TextStyle::caption, name);
}

QGroupBox* group(const QString& title, const QString& name) {
    auto* box = new QGroupBox(title);
    box->setObjectName(name);
    return box;
}

IntegerField* numberField(const QString& title, const QString& name) {
    auto* field = new IntegerField;
    field->setObjectName(name);
    field->setAccessibleName(title);
    field->setFixedWidth(100);
    return field;
}

struct Choice {
    qint64 value;
    const char* label;
};

// The choices of the SSHFP and TLSA numbers, with what each stands for; the
// labels are translated where they are shown.
constexpr Choice sshfpAlgorithmChoices[] = {
    {1, "1 - RSA"}, {2, "2 - DSA"}, {3, "3 - ECDSA"}, {4, "4 - Ed25519"}, {6, "6 - Ed448"}};
constexpr Choice sshfpTypeChoices[] = {{1, "1 - SHA-1"}, {2, "2 - SHA-256"}};
constexpr Choice tlsaUsageChoices[] = {
    {0, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "0 - PKIX-TA (CA constraint)")},
    {1,
     QT_TRANSLATE_NOOP("korvi::RecordFormFields", "1 - PKIX-EE (service certificate constraint)")},
    {2, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "2 - DANE-TA (trust anchor)")},
    {3, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "3 - DANE-EE (domain-issued certificate)")}};
constexpr Choice tlsaSelectorChoices[] = {
    {0, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "0 - Full certificate")},
    {1, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "1 - Subject public key")}};
constexpr Choice tlsaMatchingChoices[] = {
    {0, QT_TRANSLATE_NOOP("korvi::RecordFormFields", "0 - Exact match")},
    {1, "1 - SHA-256"},
    {2, "2 - SHA-512"}};

template <std::size_t N>
QComboBox* numberPicker(const QString& title, const QString& name, const Choice (&choices)[N]) {
    auto* picker = new QComboBox;
    picker->setObjectName(name);
    picker->setAccessibleName(title);
    for (const Choice& choice : choices)
        picker->addItem(QCoreApplication::translate("korvi::RecordFormFields", choice.label),
                        choice.value);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return picker;
}

// Shows a number in a picker; a number the picker does not offer (read from
// a file) is added, so that it is shown and saved as it is.
void pickNumber(QComboBox* picker, std::optional<qint64> value) {
    if (!value) {
        picker->setCurrentIndex(0);
        return;
    }
    int index = picker->findData(*value);
    if (index < 0) {
        picker->addItem(QString::number(*value), *value);
        index = picker->count() - 1;
    }
    picker->setCurrentIndex(index);
}

std::optional<qint64> pickedNumber(const QComboBox* picker) {
    const QVariant data = picker->currentData();
    return data.isValid() ? std::optional<qint64>(data.toLongLong()) : std::nullopt;
}

// A heading and a control side by side, with a help line below.
QWidget* labelledRow(const QString& title, QWidget* control, const QString& helpText,
                     const QString& name) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(heading(title, name + QStringLiteral("Heading")));
    auto* row = new QHBoxLayout;
    row->addWidget(control);
    row->addStretch();
    layout->addLayout(row);
    if (!helpText.isEmpty())
        layout->addWidget(help(helpText, name + QStringLiteral("HelpLabel")));
    return box;
}

bool usesField(DNSRecordType type, RecordField field) {
    for (const RecordFieldDefault& one : recordTypeInfo(type).fields) {
        if (one.field == field)
            return true;
    }
    return false;
}

} // namespace

RecordFormFields::RecordFormFields(Variant variant, const QString& zoneName, QWidget* parent)
    : QWidget(parent), m_variant(variant), m_zoneName(zoneName) {
    setObjectName(QStringLiteral("recordFormFields"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(buildRecordGroup());
    layout->addWidget(buildTtlGroup());
    layout->addWidget(buildPriorityGroup());
    layout->addWidget(buildSrvGroup());
    layout->addWidget(buildCaaGroup());
    layout->addWidget(buildSshfpGroup());
    layout->addWidget(buildTlsaGroup());
    layout->addWidget(buildPreview());
    applyType(DNSRecordType::A);
}

QGroupBox* RecordFormFields::buildRecordGroup() {
    QGroupBox* box = group(m_variant == Variant::edit ? tr("Record Information") : QString(),
                           QStringLiteral("recordGroup"));
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(6);

    QLabel* nameHeading = heading(tr("Record Name"), QStringLiteral("nameHeading"));
    layout->addWidget(nameHeading);
    m_nameField = new QLineEdit;
    m_nameField->setObjectName(QStringLiteral("nameField"));
    nameHeading->setBuddy(m_nameField); // the heading names the field for screen readers
    m_nameField->setPlaceholderText(tr("www (or leave empty for @)"));
    layout->addWidget(m_nameField);
    layout->addWidget(help(tr("Record name relative to %1 (@ for root domain)").arg(m_zoneName),
                           QStringLiteral("nameHelpLabel")));
    layout->addSpacing(6);

    layout->addWidget(heading(tr("Record Type"), QStringLiteral("typeHeading")));
    m_typePicker = new QComboBox;
    m_typePicker->setObjectName(QStringLiteral("typePicker"));
    m_typePicker->setAccessibleName(tr("Type"));
    for (DNSRecordType type : editableRecordTypes())
        m_typePicker->addItem(typeLabel(type), int(type));
    m_typePicker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(m_typePicker);
    typeRow->addStretch();
    layout->addLayout(typeRow);
    m_summary = help({}, QStringLiteral("typeSummaryLabel"));
    layout->addWidget(m_summary);
    layout->addSpacing(6);

    QLabel* valueHeading = heading(tr("Value *"), QStringLiteral("valueHeading"));
    layout->addWidget(valueHeading);
    m_valueField = new QLineEdit;
    m_valueField->setObjectName(QStringLiteral("valueField"));
    valueHeading->setBuddy(m_valueField);
    layout->addWidget(m_valueField);
    m_targetRow = new QWidget;
    m_targetRow->setObjectName(QStringLiteral("targetPreviewRow"));
    auto* targetLayout = new QHBoxLayout(m_targetRow);
    targetLayout->setContentsMargins(0, 0, 0, 0);
    targetLayout->setSpacing(6);
    targetLayout->addWidget(help(tr("Full name:"), QStringLiteral("targetCaption")));
    m_targetPreview = help({}, QStringLiteral("targetPreviewLabel"));
    m_targetPreview->setFont(Typography::monospaced(TextStyle::caption));
    m_targetPreview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    targetLayout->addWidget(m_targetPreview, 1);
    layout->addWidget(m_targetRow);
    m_valueHelp = help({}, QStringLiteral("valueHelpLabel"));
    m_valueHelp->setWordWrap(true);
    layout->addWidget(m_valueHelp);

    connect(m_typePicker, &QComboBox::currentIndexChanged, this, &RecordFormFields::typePicked);
    connect(m_valueField, &QLineEdit::textChanged, this, &RecordFormFields::valueChanged);
    connect(m_valueField, &QLineEdit::textChanged, this, &RecordFormFields::updatePreview);
    connect(m_nameField, &QLineEdit::textChanged, this, &RecordFormFields::updatePreview);
    return box;
}

QGroupBox* RecordFormFields::buildTtlGroup() {
    const bool edit = m_variant == Variant::edit;
    QGroupBox* box = group(edit ? tr("TTL (Time To Live)") : QString(), QStringLiteral("ttlGroup"));
    auto* layout = new QVBoxLayout(box);
    if (edit)
        layout->addWidget(help(tr("How long other servers should cache this record"),
                               QStringLiteral("ttlHelpLabel")));
    auto* row = new QHBoxLayout;
    row->addWidget(heading(tr("TTL"), QStringLiteral("ttlHeading")));
    m_ttlField = numberField(tr("TTL"), QStringLiteral("ttlField"));
    m_ttlField->setValue(86400);
    row->addWidget(m_ttlField);
    row->addWidget(help(tr("seconds"), QStringLiteral("ttlUnitLabel")));
    row->addStretch();
    m_quickTtl = new QPushButton(tr("Quick TTL"));
    m_quickTtl->setObjectName(QStringLiteral("quickTtlButton"));
    m_quickTtl->setAutoDefault(false);
    auto* menu = new QMenu(m_quickTtl);
    menu->setObjectName(QStringLiteral("quickTtlMenu"));
    for (const QuickTtl& choice : quickTtls) {
        QAction* action =
            menu->addAction(QCoreApplication::translate("korvi::RecordFormFields", choice.label));
        action->setObjectName(QStringLiteral("quickTtl%1").arg(choice.ttl));
        const qint64 ttl = choice.ttl;
        connect(action, &QAction::triggered, this, [this, ttl] { setTtl(ttl); });
    }
    m_quickTtl->setMenu(menu);
    row->addWidget(m_quickTtl);
    layout->addLayout(row);
    connect(m_ttlField, &IntegerField::valueEdited, this, &RecordFormFields::updatePreview);
    return box;
}

QGroupBox* RecordFormFields::buildPriorityGroup() {
    const bool edit = m_variant == Variant::edit;
    m_priorityGroup = group(edit ? tr("Priority") : QString(), QStringLiteral("priorityGroup"));
    auto* layout = new QVBoxLayout(m_priorityGroup);
    if (!edit)
        layout->addWidget(heading(tr("Priority Value"), QStringLiteral("priorityHeading")));
    m_priorityField = numberField(tr("Priority"), QStringLiteral("priorityField"));
    layout->addWidget(m_priorityField);
    layout->addWidget(help(tr("Lower values have higher priority (0-65535)"),
                           QStringLiteral("priorityHelpLabel")));
    connect(m_priorityField, &IntegerField::valueEdited, this, &RecordFormFields::updatePreview);
    return m_priorityGroup;
}

QGroupBox* RecordFormFields::buildSrvGroup() {
    const bool edit = m_variant == Variant::edit;
    m_srvGroup = group(edit ? tr("SRV Record Details") : QString(), QStringLiteral("srvGroup"));
    auto* layout = new QVBoxLayout(m_srvGroup);
    m_weightField = numberField(tr("Weight"), QStringLiteral("weightField"));
    layout->addWidget(labelledRow(tr("Weight"), m_weightField,
                                  tr("Relative weight for records with same priority"),
                                  QStringLiteral("weight")));
    m_portField = numberField(tr("Port"), QStringLiteral("portField"));
    layout->addWidget(labelledRow(tr("Port"), m_portField, tr("Target port number for the service"),
                                  QStringLiteral("port")));
    for (IntegerField* field : {m_weightField, m_portField})
        connect(field, &IntegerField::valueEdited, this, &RecordFormFields::updatePreview);
    return m_srvGroup;
}

QGroupBox* RecordFormFields::buildCaaGroup() {
    m_caaGroup = group(tr("CAA Record Details"), QStringLiteral("caaGroup"));
    auto* layout = new QVBoxLayout(m_caaGroup);
    m_flagField = numberField(tr("Flag"), QStringLiteral("flagField"));
    layout->addWidget(labelledRow(tr("Flag"), m_flagField,
                                  tr("0 normally; 128 marks the property critical (0-255)"),
                                  QStringLiteral("flag")));
    m_tagPicker = new QComboBox;
    m_tagPicker->setObjectName(QStringLiteral("tagPicker"));
    m_tagPicker->setAccessibleName(tr("Tag"));
    for (const char* tag : {"issue", "issuewild", "iodef"})
        m_tagPicker->addItem(QLatin1String(tag), QLatin1String(tag));
    layout->addWidget(labelledRow(tr("Tag"), m_tagPicker,
                                  tr("issue: who may issue certificates; issuewild: "
                                     "wildcard certificates; iodef: where to report"),
                                  QStringLiteral("tag")));
    connect(m_flagField, &IntegerField::valueEdited, this, &RecordFormFields::updatePreview);
    connect(m_tagPicker, &QComboBox::currentIndexChanged, this, &RecordFormFields::updatePreview);
    return m_caaGroup;
}

QGroupBox* RecordFormFields::buildSshfpGroup() {
    m_sshfpGroup = group(tr("SSHFP Record Details"), QStringLiteral("sshfpGroup"));
    auto* layout = new QVBoxLayout(m_sshfpGroup);
    m_algorithmPicker =
        numberPicker(tr("Algorithm"), QStringLiteral("algorithmPicker"), sshfpAlgorithmChoices);
    layout->addWidget(labelledRow(tr("Algorithm"), m_algorithmPicker,
                                  tr("The algorithm of the host's SSH key"),
                                  QStringLiteral("algorithm")));
    m_fingerprintTypePicker = numberPicker(
        tr("Fingerprint Type"), QStringLiteral("fingerprintTypePicker"), sshfpTypeChoices);
    layout->addWidget(labelledRow(tr("Fingerprint Type"), m_fingerprintTypePicker,
                                  tr("The hash the fingerprint below was made with"),
                                  QStringLiteral("fingerprintType")));
    for (QComboBox* picker : {m_algorithmPicker, m_fingerprintTypePicker})
        connect(picker, &QComboBox::currentIndexChanged, this, &RecordFormFields::updatePreview);
    return m_sshfpGroup;
}

QGroupBox* RecordFormFields::buildTlsaGroup() {
    m_tlsaGroup = group(tr("TLSA Record Details"), QStringLiteral("tlsaGroup"));
    auto* layout = new QVBoxLayout(m_tlsaGroup);
    m_usagePicker = numberPicker(tr("Usage"), QStringLiteral("usagePicker"), tlsaUsageChoices);
    layout->addWidget(labelledRow(tr("Usage"), m_usagePicker, tr("How the certificate is checked"),
                                  QStringLiteral("usage")));
    m_selectorPicker =
        numberPicker(tr("Selector"), QStringLiteral("selectorPicker"), tlsaSelectorChoices);
    layout->addWidget(labelledRow(tr("Selector"), m_selectorPicker,
                                  tr("Which part of the certificate is matched"),
                                  QStringLiteral("selector")));
    m_matchingTypePicker = numberPicker(tr("Matching Type"), QStringLiteral("matchingTypePicker"),
                                        tlsaMatchingChoices);
    layout->addWidget(labelledRow(tr("Matching Type"), m_matchingTypePicker,
                                  tr("How the data below is compared"),
                                  QStringLiteral("matchingType")));
    for (QComboBox* picker : {m_usagePicker, m_selectorPicker, m_matchingTypePicker})
        connect(picker, &QComboBox::currentIndexChanged, this, &RecordFormFields::updatePreview);
    return m_tlsaGroup;
}

QWidget* RecordFormFields::buildPreview() {
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("previewBox"));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(
        heading(tr("Record as it will be written"), QStringLiteral("recordPreviewHeading")));
    m_recordPreview = help({}, QStringLiteral("recordPreviewLabel"));
    m_recordPreview->setFont(Typography::monospaced(TextStyle::caption));
    m_recordPreview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_recordPreview->setWordWrap(true);
    layout->addWidget(m_recordPreview);
    m_validation = ScreenWidgets::label({}, TextStyle::caption, QStringLiteral("validationLabel"));
    Typography::setTextColor(m_validation, namedColor(NamedColor::orange));
    m_validation->setWordWrap(true);
    layout->addWidget(m_validation);
    return box;
}

QString RecordFormFields::name() const {
    return m_nameField->text();
}
QString RecordFormFields::value() const {
    return m_valueField->text();
}
qint64 RecordFormFields::ttl() const {
    return m_ttlField->value().value_or(86400);
}

RecordOptions RecordFormFields::options() const {
    RecordOptions options;
    const DNSRecordType type = m_type;
    if (usesField(type, RecordField::priority))
        options.priority = m_priorityField->value();
    if (usesField(type, RecordField::weight))
        options.weight = m_weightField->value();
    if (usesField(type, RecordField::port))
        options.port = m_portField->value();
    if (usesField(type, RecordField::flag))
        options.flag = m_flagField->value();
    if (usesField(type, RecordField::tag))
        options.tag = m_tagPicker->currentText();
    if (type == DNSRecordType::SSHFP) {
        options.algorithm = pickedNumber(m_algorithmPicker);
        options.digestType = pickedNumber(m_fingerprintTypePicker);
    }
    if (type == DNSRecordType::TLSA) {
        options.usage = pickedNumber(m_usagePicker);
        options.selector = pickedNumber(m_selectorPicker);
        options.digestType = pickedNumber(m_matchingTypePicker);
    }
    return options;
}

void RecordFormFields::setTtl(qint64 ttl) {
    m_ttlField->setValue(ttl);
    updatePreview();
}

void RecordFormFields::setEditable(bool editable) {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(editable);
}

void RecordFormFields::showOptions(const RecordOptions& options, DNSRecordType type) {
    // Only the fields the options hold change; the others are not read for
    // this type and get their type's numbers when it is chosen.
    if (options.priority)
        m_priorityField->setValue(options.priority);
    if (options.weight)
        m_weightField->setValue(options.weight);
    if (options.port)
        m_portField->setValue(options.port);
    if (options.flag)
        m_flagField->setValue(options.flag);
    if (options.tag) {
        const int tag = m_tagPicker->findText(*options.tag, Qt::MatchFixedString);
        if (tag < 0)
            m_tagPicker->addItem(*options.tag, *options.tag);
        m_tagPicker->setCurrentIndex(tag < 0 ? m_tagPicker->count() - 1 : tag);
    }
    if (options.algorithm)
        pickNumber(m_algorithmPicker, options.algorithm);
    if (options.usage)
        pickNumber(m_usagePicker, options.usage);
    if (options.selector)
        pickNumber(m_selectorPicker, options.selector);
    if (options.digestType)
        pickNumber(type == DNSRecordType::TLSA ? m_matchingTypePicker : m_fingerprintTypePicker,
                   options.digestType);
}

void RecordFormFields::load(const DNSRecord& record) {
    m_loading = true;
    m_nameField->setText(record.name);
    m_typePicker->setCurrentIndex(int(editableRecordTypes().indexOf(record.type)));
    // A field the record leaves absent is written with the type's default:
    // the form shows that number.
    RecordOptions shown = defaultRecordOptions(record.type);
    const RecordOptions& own = record.options();
    const auto keep = [](auto& into, const auto& from) {
        if (from)
            into = from;
    };
    keep(shown.priority, own.priority);
    keep(shown.weight, own.weight);
    keep(shown.port, own.port);
    keep(shown.flag, own.flag);
    keep(shown.tag, own.tag);
    keep(shown.algorithm, own.algorithm);
    keep(shown.digestType, own.digestType);
    keep(shown.usage, own.usage);
    keep(shown.selector, own.selector);
    showOptions(shown, record.type);
    applyType(record.type);
    m_valueField->setText(record.value);
    m_ttlField->setValue(record.ttl);
    m_loading = false;
    updatePreview();
}

void RecordFormFields::chooseType(DNSRecordType type) {
    m_typePicker->setCurrentIndex(int(editableRecordTypes().indexOf(type)));
}

void RecordFormFields::typePicked(int index) {
    if (index < 0 || index >= editableRecordTypes().size())
        return;
    const DNSRecordType type = editableRecordTypes()[index];
    if (m_loading) {
        applyType(type);
        return;
    }
    // The add form chooses the type's usual TTL. A number both types use
    // (an MX priority kept for SRV) stays as typed; every other field the
    // new type uses shows its default, which is also what it saves.
    if (m_variant == Variant::add)
        m_ttlField->setValue(ttlForType(type));
    const DNSRecordType previous = m_type;
    RecordOptions shown = defaultRecordOptions(type);
    const std::optional<qint64> priority = m_priorityField->value();
    if (usesField(previous, RecordField::priority) && usesField(type, RecordField::priority) &&
        priority)
        shown.priority = priority;
    showOptions(shown, type);
    applyType(type);
}

void RecordFormFields::applyType(DNSRecordType type) {
    m_type = type;
    const RecordTypeInfo& info = recordTypeInfo(type);
    m_summary->setText(QCoreApplication::translate("korvi::DNSRecordType", info.summary));
    m_valueField->setPlaceholderText(valuePlaceholder(type));
    m_valueHelp->setText(QCoreApplication::translate("korvi::DNSRecordType", info.valueHelp));
    m_priorityGroup->setVisible(usesField(type, RecordField::priority));
    m_srvGroup->setVisible(type == DNSRecordType::SRV);
    m_caaGroup->setVisible(type == DNSRecordType::CAA);
    m_sshfpGroup->setVisible(type == DNSRecordType::SSHFP);
    m_tlsaGroup->setVisible(type == DNSRecordType::TLSA);
    updatePreview();
    Q_EMIT typeApplied(type);
}

DNSRecord RecordFormFields::recordOn(const DNSRecord& base) const {
    DNSRecord record = base;
    record.name = savedName();
    record.type = type();
    record.value = savedValue();
    record.ttl = savedTtl();
    static_cast<RecordOptions&>(record) = options();
    return record;
}

QString RecordFormFields::targetPreview() const {
    return isTargetType(m_type) ? absoluteTarget(value(), m_zoneName) : QString();
}

QString RecordFormFields::recordPreview() const {
    return recordLine(recordOn(DNSRecord()), m_zoneName);
}

QString RecordFormFields::validationText() const {
    if (trimmedText(value()).isEmpty())
        return {};
    return validateRecord(recordOn(DNSRecord()), m_zoneName).shownErrors.join(u'\n');
}

void RecordFormFields::updatePreview() {
    if (m_loading || !m_recordPreview)
        return;
    const QString target = targetPreview();
    m_targetPreview->setText(target);
    m_targetRow->setVisible(!target.isEmpty());
    m_recordPreview->setText(recordPreview());
    const QString problems = validationText();
    m_validation->setText(problems);
    m_validation->setVisible(!problems.isEmpty());
}

QString RecordFormFields::savedName(const QString& typed) {
    return cleanRecordName(typed.isEmpty() ? QStringLiteral("@") : typed);
}

QString RecordFormFields::composeValue(const QString& text, DNSRecordType type,
                                       const QString& zoneName) {
    return completedRecordValue(text, type, zoneName);
}

QString RecordFormFields::recordLine(const DNSRecord& record, const QString& zoneName) {
    const QString owner =
        absoluteTarget(record.name.isEmpty() ? QStringLiteral("@") : record.name, zoneName);
    return owner + u' ' + QString::number(record.ttl) + QStringLiteral(" IN ") +
           rawValue(record.type) + u' ' + presentationData(record, zoneName);
}

qint64 RecordFormFields::clampTtl(qint64 ttl) {
    return qBound(DNSRecord::minimumTTL, ttl, DNSRecord::maximumTTL);
}

qint64 RecordFormFields::ttlForType(DNSRecordType type) {
    switch (type) {
    case DNSRecordType::CAA:
    case DNSRecordType::NS:
    case DNSRecordType::SOA:
        return 86400;
    case DNSRecordType::TXT:
        return 300;
    default:
        return 3600;
    }
}

QString RecordFormFields::typeLabel(DNSRecordType type) {
    return rawValue(type) + QStringLiteral(" - ") +
           QCoreApplication::translate("korvi::DNSRecordType", recordTypeInfo(type).displayName);
}

} // namespace korvi
