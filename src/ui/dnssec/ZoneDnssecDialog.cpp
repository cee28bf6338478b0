#include "ui/dnssec/ZoneDnssecDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/widgets/FormErrorLabel.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

QPlainTextEdit* monospacedText(const QString& name, int lines) {
    auto* text = new QPlainTextEdit;
    text->setObjectName(name);
    text->setReadOnly(true);
    text->setFont(Typography::monospaced(TextStyle::caption));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFixedHeight(QFontMetrics(text->font()).lineSpacing() * lines + 16);
    return text;
}

QPushButton* plainButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* sectionTitle(const QString& text, const QString& name) {
    QLabel* title = ScreenWidgets::label(text, TextStyle::headline, name);
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    return title;
}

} // namespace

ZoneDnssecDialog::ZoneDnssecDialog(DNSServerManager* manager, const QString& zone, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_signing(manager ? manager->zoneSigning() : nullptr),
      m_zone(zone) {
    setObjectName(QStringLiteral("zoneDnssecDialog"));
    setWindowTitle(tr("DNSSEC"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(640);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(24, 24, 24, 16);
    column->setSpacing(10);

    QLabel* title =
        ScreenWidgets::label(tr("DNSSEC"), TextStyle::title2, QStringLiteral("headerTitle"));
    QFont bold = title->font();
    bold.setWeight(QFont::Bold);
    title->setFont(bold);
    column->addWidget(title);
    column->addWidget(ScreenWidgets::secondaryLabel(tr("Signing of %1 by BIND").arg(zone),
                                                    TextStyle::subheadline,
                                                    QStringLiteral("headerSubtitle")));
    m_stateLabel =
        ScreenWidgets::label(QString(), TextStyle::body, QStringLiteral("signingStateLabel"));
    column->addWidget(m_stateLabel);
    m_errorLabel = new FormErrorLabel;
    column->addWidget(m_errorLabel);

    // The switch and the policy.
    m_signSwitch = new QCheckBox(tr("Sign this zone"));
    m_signSwitch->setObjectName(QStringLiteral("signZoneSwitch"));
    column->addWidget(m_signSwitch);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_policyChoice = new QComboBox;
    m_policyChoice->setObjectName(QStringLiteral("policyChoice"));
    m_policyChoice->addItem(tr("BIND's default policy"));
    m_policyChoice->addItem(tr("Korvi's policy"));
    form->addRow(tr("Policy"), m_policyChoice);
    m_algorithmChoice = new QComboBox;
    m_algorithmChoice->setObjectName(QStringLiteral("algorithmChoice"));
    m_algorithmChoice->addItem(QStringLiteral("ECDSAP256SHA256"));
    m_algorithmChoice->addItem(QStringLiteral("ED25519"));
    form->addRow(tr("Algorithm"), m_algorithmChoice);
    m_lifetimeField = new QSpinBox;
    m_lifetimeField->setObjectName(QStringLiteral("keyLifetimeField"));
    m_lifetimeField->setRange(0, ZoneSigning::maximumLifetimeDays);
    m_lifetimeField->setSpecialValueText(tr("Unlimited"));
    // " day" or " days" as the number says, in the user's language.
    const auto daysSuffix = [this](int days) {
        m_lifetimeField->setSuffix(tr(" days", nullptr, days));
    };
    daysSuffix(m_lifetimeField->value());
    connect(m_lifetimeField, &QSpinBox::valueChanged, this, daysSuffix);
    form->addRow(tr("Key lifetime"), m_lifetimeField);
    column->addLayout(form);
    column->addWidget(ScreenWidgets::secondaryLabel(
        tr("BIND makes the keys, signs the zone and rolls the keys. Turning signing off lets "
           "BIND withdraw the signatures safely, which takes hours."),
        TextStyle::caption, QStringLiteral("signingHelp")));
    auto* applyRow = new QHBoxLayout;
    applyRow->addStretch();
    m_applyButton =
        ScreenWidgets::prominentButton(tr("Apply"), {}, QStringLiteral("applySigningButton"));
    applyRow->addWidget(m_applyButton);
    column->addLayout(applyRow);

    // Key states.
    auto* keysHeader = new QHBoxLayout;
    keysHeader->addWidget(sectionTitle(tr("Key states"), QStringLiteral("keyStatesTitle")));
    keysHeader->addStretch();
    m_confirmDsButton = plainButton(tr("DS Is at the Parent"), QStringLiteral("confirmDsButton"));
    m_confirmDsButton->setToolTip(
        tr("Tell BIND that the parent zone publishes the DS records below"));
    keysHeader->addWidget(m_confirmDsButton);
    m_refreshButton = plainButton(tr("Refresh"), QStringLiteral("refreshKeysButton"));
    keysHeader->addWidget(m_refreshButton);
    column->addLayout(keysHeader);
    m_keyStatus = monospacedText(QStringLiteral("keyStatusText"), 8);
    m_keyStatus->setAccessibleName(tr("Key states"));
    column->addWidget(m_keyStatus);

    // DS records.
    auto* dsHeader = new QHBoxLayout;
    dsHeader->addWidget(
        sectionTitle(tr("DS records for the parent zone"), QStringLiteral("dsRecordsTitle")));
    dsHeader->addStretch();
    m_copyButton = plainButton(tr("Copy"), QStringLiteral("copyDsButton"));
    dsHeader->addWidget(m_copyButton);
    column->addLayout(dsHeader);
    m_dsRecords = monospacedText(QStringLiteral("dsRecordsText"), 2);
    m_dsRecords->setAccessibleName(tr("DS records for the parent zone"));
    column->addWidget(m_dsRecords);
    m_dsProblem = ScreenWidgets::secondaryLabel(QString(), TextStyle::caption,
                                                QStringLiteral("dsProblemLabel"));
    m_dsProblem->setWordWrap(true);
    column->addWidget(m_dsProblem);

    // The signed answer.
    column->addWidget(sectionTitle(tr("Verification"), QStringLiteral("verificationTitle")));
    m_checkLabel = ScreenWidgets::label(tr("Not checked yet"), TextStyle::body,
                                        QStringLiteral("verificationLabel"));
    m_checkLabel->setWordWrap(true);
    column->addWidget(m_checkLabel);
    outer->addWidget(content, 1);

    RoundedPanel* bar = ScreenWidgets::card(QStringLiteral("buttonBar"), 0);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(24, 12, 24, 12);
    buttons->addStretch();
    QPushButton* close = plainButton(tr("Close"), QStringLiteral("closeButton"));
    buttons->addWidget(close);
    outer->addWidget(bar);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_applyButton, &QPushButton::clicked, this, &ZoneDnssecDialog::apply);
    connect(m_refreshButton, &QPushButton::clicked, this, &ZoneDnssecDialog::refresh);
    connect(m_copyButton, &QPushButton::clicked, this, &ZoneDnssecDialog::copyDsRecords);
    connect(m_signSwitch, &QCheckBox::toggled, this, &ZoneDnssecDialog::updateChoiceFields);
    connect(m_policyChoice, &QComboBox::currentIndexChanged, this,
            &ZoneDnssecDialog::updateChoiceFields);
    if (m_signing) {
        connect(m_confirmDsButton, &QPushButton::clicked, this,
                [this] { m_signing->confirmDsPublished(m_zone); });
        connect(m_signing, &ZoneSigningService::signingApplied, this,
                &ZoneDnssecDialog::signingApplied);
        connect(m_signing, &ZoneSigningService::signingChanged, this,
                [this](const QString& changed) {
                    if (changed.compare(m_zone, Qt::CaseInsensitive) == 0 && !m_applying)
                        showSigning();
                });
        connect(m_signing, &ZoneSigningService::keyStatusRead, this,
                &ZoneDnssecDialog::keyStatusRead);
        connect(m_signing, &ZoneSigningService::dsRecordsRead, this,
                &ZoneDnssecDialog::dsRecordsRead);
        connect(m_signing, &ZoneSigningService::signedAnswerChecked, this,
                &ZoneDnssecDialog::signedAnswerChecked);
    }
    showSigning();
    refresh();
}

ZoneSigning ZoneDnssecDialog::choice() const {
    ZoneSigning signing;
    signing.state = m_signSwitch->isChecked() ? SigningState::signing : SigningState::unsigned_;
    signing.bindDefaultPolicy = m_policyChoice->currentIndex() == 0;
    signing.algorithm = m_algorithmChoice->currentIndex() == 1 ? SigningAlgorithm::ed25519
                                                               : SigningAlgorithm::ecdsap256sha256;
    signing.keyLifetimeDays = m_lifetimeField->value();
    return signing;
}

QString ZoneDnssecDialog::checkText(const SigningCheck& check) {
    switch (check.outcome) {
    case SigningCheck::Outcome::signedAnswer:
        return tr("Signed and answering with signatures");
    case SigningCheck::Outcome::noAnswer:
        return tr("Not verified: the server did not answer (%1)").arg(check.detail);
    case SigningCheck::Outcome::refusedAnswer:
        return tr("Not verified: the server answered %1").arg(check.detail);
    case SigningCheck::Outcome::notAuthoritative:
        return tr("Not verified: the server does not answer for this zone with authority");
    case SigningCheck::Outcome::noSignature:
        return tr("Not signed: the zone's answer carries no signature (RRSIG)");
    }
    return QString();
}

void ZoneDnssecDialog::showSigning() {
    const ZoneSigning signing = m_signing ? m_signing->signing(m_zone) : ZoneSigning();
    switch (signing.state) {
    case SigningState::signing:
        m_stateLabel->setText(
            tr("🔏 Signed by BIND with the policy \"%1\"").arg(signing.policyName()));
        break;
    case SigningState::goingUnsigned:
        m_stateLabel->setText(tr("Going unsigned: BIND is withdrawing the signatures and keys"));
        break;
    case SigningState::unsigned_:
        m_stateLabel->setText(tr("Not signed"));
        break;
    }
    const QSignalBlocker blockSwitch(m_signSwitch);
    m_signSwitch->setChecked(signing.state == SigningState::signing);
    m_policyChoice->setCurrentIndex(signing.bindDefaultPolicy ? 0 : 1);
    m_algorithmChoice->setCurrentIndex(signing.algorithm == SigningAlgorithm::ed25519 ? 1 : 0);
    m_lifetimeField->setValue(signing.keyLifetimeDays);
    updateChoiceFields();
}

void ZoneDnssecDialog::updateChoiceFields() {
    const bool on = m_signSwitch->isChecked() && !m_applying;
    m_policyChoice->setEnabled(on);
    const bool own = on && m_policyChoice->currentIndex() == 1;
    m_algorithmChoice->setEnabled(own);
    m_lifetimeField->setEnabled(own);
    m_signSwitch->setEnabled(!m_applying && m_signing);
    m_applyButton->setEnabled(!m_applying && m_signing && m_manager && m_manager->isRunning());
}

void ZoneDnssecDialog::apply() {
    if (!m_signing || m_applying)
        return;
    m_errorLabel->hide();
    const ZoneSigning wanted = choice();
    const ZoneSigning current = m_signing->signing(m_zone);
    // Nothing to do: off and not signed, or on with the same policy.
    if (wanted.state == SigningState::unsigned_ && current.state != SigningState::signing)
        return;
    m_applying = true;
    m_applyButton->setText(tr("Applying…"));
    updateChoiceFields();
    if (wanted.state == SigningState::signing)
        m_signing->sign(m_zone, wanted);
    else
        m_signing->stopSigning(m_zone);
}

void ZoneDnssecDialog::signingApplied(const QString& zone, bool ok, const QString& message) {
    if (zone.compare(m_zone, Qt::CaseInsensitive) != 0 || !m_applying)
        return;
    m_applying = false;
    m_applyButton->setText(tr("Apply"));
    showSigning();
    if (!ok)
        m_errorLabel->showMessage(message.isEmpty() ? tr("Signing was not changed.") : message);
    refresh();
}

void ZoneDnssecDialog::refresh() {
    if (!m_signing)
        return;
    m_signing->readKeyStatus(m_zone);
    m_signing->readDsRecords(m_zone);
    m_signing->checkSignedAnswer(m_zone);
}

void ZoneDnssecDialog::copyDsRecords() {
    if (!m_dsRecords->toPlainText().isEmpty())
        QApplication::clipboard()->setText(m_dsRecords->toPlainText() + u'\n');
}

void ZoneDnssecDialog::keyStatusRead(const QString& zone, bool ok, const QString& text) {
    if (zone.compare(m_zone, Qt::CaseInsensitive) != 0)
        return;
    m_keyStatus->setPlainText(ok ? text : tr("The key states could not be read: %1").arg(text));
}

void ZoneDnssecDialog::dsRecordsRead(const QString& zone, const QStringList& records,
                                     const QString& problem) {
    if (zone.compare(m_zone, Qt::CaseInsensitive) != 0)
        return;
    m_dsRecords->setPlainText(records.join(u'\n'));
    m_copyButton->setEnabled(!records.isEmpty());
    m_dsProblem->setText(problem);
    m_dsProblem->setVisible(!problem.isEmpty());
}

void ZoneDnssecDialog::signedAnswerChecked(const QString& zone, const SigningCheck& check) {
    if (zone.compare(m_zone, Qt::CaseInsensitive) == 0)
        m_checkLabel->setText(checkText(check));
}

} // namespace korvi
