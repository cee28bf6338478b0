#include "ui/records/RecordFormFields.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/TextCleaning.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

struct QuickTtl {
    const char* label;
    qint64 ttl;
};

constexpr QuickTtl quickTtls[] = {{"5 minutes (300)", 300},
                                  {"1 hour (3600)", 3600},
                                  {"24 hours (86400)", 86400},
                                  {"1 week (604800)", 604800}};

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

} // namespace

RecordFormFields::RecordFormFields(Variant variant, const QString& zoneName, QWidget* parent)
    : QWidget(parent), m_variant(variant) {
    setObjectName(QStringLiteral("recordFormFields"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(buildRecordGroup(zoneName));
    layout->addWidget(buildTtlGroup());
    layout->addWidget(buildPriorityGroup());
    layout->addWidget(buildSrvGroup());
    applyType(DNSRecordType::A);
}

QGroupBox* RecordFormFields::buildRecordGroup(const QString& zoneName) {
    QGroupBox* box =
        group(m_variant == Variant::edit ? QStringLiteral("Record Information") : QString(),
              QStringLiteral("recordGroup"));
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(6);

    layout->addWidget(heading(QStringLiteral("Record Name"), QStringLiteral("nameHeading")));
    m_nameField = new QLineEdit;
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_nameField->setPlaceholderText(QStringLiteral("www (or leave empty for @)"));
    layout->addWidget(m_nameField);
    layout->addWidget(help(QStringLiteral("Record name relative to ") + zoneName +
                               QStringLiteral(" (@ for root domain)"),
                           QStringLiteral("nameHelpLabel")));
    layout->addSpacing(6);

    layout->addWidget(heading(QStringLiteral("Record Type"), QStringLiteral("typeHeading")));
    m_typePicker = new QComboBox;
    m_typePicker->setObjectName(QStringLiteral("typePicker"));
    m_typePicker->setAccessibleName(QStringLiteral("Type"));
    for (DNSRecordType type : allRecordTypes())
        m_typePicker->addItem(typeLabel(type), int(type));
    m_typePicker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(m_typePicker);
    typeRow->addStretch();
    layout->addLayout(typeRow);
    m_summary = help({}, QStringLiteral("typeSummaryLabel"));
    layout->addWidget(m_summary);
    layout->addSpacing(6);

    layout->addWidget(heading(QStringLiteral("Value *"), QStringLiteral("valueHeading")));
    m_valueField = new QLineEdit;
    m_valueField->setObjectName(QStringLiteral("valueField"));
    layout->addWidget(m_valueField);
    m_valueHelp = help({}, QStringLiteral("valueHelpLabel"));
    layout->addWidget(m_valueHelp);

    connect(m_typePicker, &QComboBox::currentIndexChanged, this, &RecordFormFields::typePicked);
    connect(m_valueField, &QLineEdit::textChanged, this, &RecordFormFields::valueChanged);
    return box;
}

QGroupBox* RecordFormFields::buildTtlGroup() {
    const bool edit = m_variant == Variant::edit;
    QGroupBox* box =
        group(edit ? QStringLiteral("TTL (Time To Live)") : QString(), QStringLiteral("ttlGroup"));
    auto* layout = new QVBoxLayout(box);
    if (edit)
        layout->addWidget(help(QStringLiteral("How long other servers should cache this record"),
                               QStringLiteral("ttlHelpLabel")));
    auto* row = new QHBoxLayout;
    row->addWidget(heading(QStringLiteral("TTL"), QStringLiteral("ttlHeading")));
    m_ttlField = numberField(QStringLiteral("TTL"), QStringLiteral("ttlField"));
    m_ttlField->setValue(86400);
    row->addWidget(m_ttlField);
    row->addWidget(help(QStringLiteral("seconds"), QStringLiteral("ttlUnitLabel")));
    row->addStretch();
    m_quickTtl = new QPushButton(QStringLiteral("Quick TTL"));
    m_quickTtl->setObjectName(QStringLiteral("quickTtlButton"));
    m_quickTtl->setAutoDefault(false);
    auto* menu = new QMenu(m_quickTtl);
    menu->setObjectName(QStringLiteral("quickTtlMenu"));
    for (const QuickTtl& choice : quickTtls) {
        QAction* action = menu->addAction(QString::fromUtf8(choice.label));
        action->setObjectName(QStringLiteral("quickTtl%1").arg(choice.ttl));
        const qint64 ttl = choice.ttl;
        connect(action, &QAction::triggered, this, [this, ttl] { setTtl(ttl); });
    }
    m_quickTtl->setMenu(menu);
    row->addWidget(m_quickTtl);
    layout->addLayout(row);
    return box;
}

QGroupBox* RecordFormFields::buildPriorityGroup() {
    const bool edit = m_variant == Variant::edit;
    m_priorityGroup =
        group(edit ? QStringLiteral("Priority") : QString(), QStringLiteral("priorityGroup"));
    auto* layout = new QVBoxLayout(m_priorityGroup);
    if (!edit)
        layout->addWidget(
            heading(QStringLiteral("Priority Value"), QStringLiteral("priorityHeading")));
    m_priorityField = numberField(QStringLiteral("Priority"), QStringLiteral("priorityField"));
    m_priorityField->setShownDefault(shownPriority);
    layout->addWidget(m_priorityField);
    layout->addWidget(help(QStringLiteral("Lower values have higher priority (0-65535)"),
                           QStringLiteral("priorityHelpLabel")));
    return m_priorityGroup;
}

QGroupBox* RecordFormFields::buildSrvGroup() {
    const bool edit = m_variant == Variant::edit;
    m_srvGroup =
        group(edit ? QStringLiteral("SRV Record Details") : QString(), QStringLiteral("srvGroup"));
    auto* layout = new QVBoxLayout(m_srvGroup);
    layout->addWidget(heading(QStringLiteral("Weight"), QStringLiteral("weightHeading")));
    m_weightField = numberField(QStringLiteral("Weight"), QStringLiteral("weightField"));
    m_weightField->setShownDefault(shownWeight);
    layout->addWidget(m_weightField);
    layout->addWidget(help(QStringLiteral("Relative weight for records with same priority"),
                           QStringLiteral("weightHelpLabel")));
    layout->addSpacing(6);
    layout->addWidget(heading(QStringLiteral("Port"), QStringLiteral("portHeading")));
    m_portField = numberField(QStringLiteral("Port"), QStringLiteral("portField"));
    m_portField->setShownDefault(shownPort);
    layout->addWidget(m_portField);
    layout->addWidget(help(QStringLiteral("Target port number for the service"),
                           QStringLiteral("portHelpLabel")));
    return m_srvGroup;
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
std::optional<qint64> RecordFormFields::priority() const {
    return m_priorityField->value();
}
std::optional<qint64> RecordFormFields::weight() const {
    return m_weightField->value();
}
std::optional<qint64> RecordFormFields::port() const {
    return m_portField->value();
}

void RecordFormFields::setTtl(qint64 ttl) {
    m_ttlField->setValue(ttl);
}

void RecordFormFields::load(const DNSRecord& record) {
    m_loading = true;
    m_nameField->setText(record.name);
    m_typePicker->setCurrentIndex(int(allRecordTypes().indexOf(record.type)));
    applyType(record.type);
    m_valueField->setText(record.value);
    m_ttlField->setValue(record.ttl);
    m_priorityField->setValue(record.priority);
    m_weightField->setValue(record.weight);
    m_portField->setValue(record.port);
    m_loading = false;
}

void RecordFormFields::chooseType(DNSRecordType type) {
    m_typePicker->setCurrentIndex(int(allRecordTypes().indexOf(type)));
}

void RecordFormFields::typePicked(int index) {
    if (index < 0 || index >= allRecordTypes().size())
        return;
    const DNSRecordType type = allRecordTypes()[index];
    if (m_loading) {
        applyType(type);
        return;
    }
    // The add form chooses the type's usual TTL; both forms drop the numbers
    // the new type does not use.
    if (m_variant == Variant::add)
        m_ttlField->setValue(ttlForType(type));
    if (type != DNSRecordType::MX && type != DNSRecordType::SRV)
        m_priorityField->setValue(std::nullopt);
    if (type != DNSRecordType::SRV) {
        m_weightField->setValue(std::nullopt);
        m_portField->setValue(std::nullopt);
    }
    applyType(type);
}

void RecordFormFields::applyType(DNSRecordType type) {
    m_type = type;
    m_summary->setText(summary(type));
    m_valueField->setPlaceholderText(valuePlaceholder(type));
    m_valueHelp->setText(valueHelp(type));
    m_priorityGroup->setVisible(type == DNSRecordType::MX || type == DNSRecordType::SRV);
    m_srvGroup->setVisible(type == DNSRecordType::SRV);
    Q_EMIT typeApplied(type);
}

QString RecordFormFields::savedName(const QString& typed) {
    return cleanRecordName(typed.isEmpty() ? QStringLiteral("@") : typed);
}

bool RecordFormFields::looksLikeAddress(const QString& text) {
    return (text.contains(u'.') && text.split(u'.', Qt::SkipEmptyParts).size() == 4) ||
           text.contains(u':');
}

QString RecordFormFields::composeValue(const QString& text, DNSRecordType type) {
    QString value = trimmedText(text);
    switch (type) {
    case DNSRecordType::CNAME:
    case DNSRecordType::MX:
    case DNSRecordType::NS:
    case DNSRecordType::PTR:
        if (!value.isEmpty() && !value.endsWith(u'.') && !looksLikeAddress(value))
            value += u'.';
        break;
    case DNSRecordType::SRV:
        if (!value.isEmpty() && !value.endsWith(u'.'))
            value += u'.';
        break;
    default:
        break;
    }
    return normalizeRecordValue(value, type);
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
    return rawValue(type) + QStringLiteral(" - ") + displayName(type);
}

} // namespace korvi
