#include "ui/lookup/LookupView.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

const QStringList offeredTypes = {
    QStringLiteral("A"),     QStringLiteral("AAAA"),   QStringLiteral("CAA"),
    QStringLiteral("CNAME"), QStringLiteral("MX"),     QStringLiteral("NS"),
    QStringLiteral("PTR"),   QStringLiteral("SOA"),    QStringLiteral("SRV"),
    QStringLiteral("SSHFP"), QStringLiteral("TLSA"),   QStringLiteral("TXT"),
    QStringLiteral("DS"),    QStringLiteral("DNSKEY"), QStringLiteral("ANY")};

QColor statusColor(const LookupResult& result) {
    switch (result.outcome) {
    case DnsOutcome::noError:
        return namedColor(NamedColor::green);
    case DnsOutcome::nxDomain:
        return namedColor(NamedColor::orange);
    default:
        return namedColor(NamedColor::red);
    }
}

} // namespace

LookupView::LookupView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_lookup(new DnsLookup(this)) {
    setObjectName(QStringLiteral("lookupView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);
    layout->addWidget(
        ScreenWidgets::label(tr("Lookup"), TextStyle::largeTitle, QStringLiteral("titleLabel")));
    layout->addWidget(ScreenWidgets::secondaryLabel(
        tr("Ask a DNS server one question and see its answer as dig shows it."),
        TextStyle::subheadline, QStringLiteral("lookupHintLabel")));

    RoundedPanel* form = ScreenWidgets::card(QStringLiteral("lookupForm"));
    auto* formLayout = new QHBoxLayout(form);
    formLayout->setContentsMargins(14, 12, 14, 12);
    formLayout->setSpacing(10);
    const LookupServer local = localServer();
    m_serverField = new QLineEdit;
    m_serverField->setObjectName(QStringLiteral("lookupServerField"));
    m_serverField->setAccessibleName(tr("Server"));
    m_serverField->setPlaceholderText(
        tr("Korvi's server (%1:%2)").arg(local.address, QString::number(local.port)));
    m_serverField->setToolTip(tr("An address, with :port when it is not 53; empty asks the "
                                 "server Korvi manages"));
    m_nameField = new QLineEdit;
    m_nameField->setObjectName(QStringLiteral("lookupNameField"));
    m_nameField->setAccessibleName(tr("Name"));
    m_nameField->setPlaceholderText(tr("www.example.com"));
    m_typeBox = new QComboBox;
    m_typeBox->setObjectName(QStringLiteral("lookupTypeBox"));
    m_typeBox->setEditable(true);
    m_typeBox->addItems(offeredTypes);
    m_askButton = ScreenWidgets::prominentButton(tr("Look Up"), QStringLiteral("magnifyingglass"),
                                                 QStringLiteral("lookupButton"));
    auto* serverLabel = new QLabel(tr("Server"));
    auto* nameLabel = new QLabel(tr("Name"));
    auto* typeLabel = new QLabel(tr("Type"));
    formLayout->addWidget(serverLabel);
    formLayout->addWidget(m_serverField, 2);
    formLayout->addWidget(nameLabel);
    formLayout->addWidget(m_nameField, 3);
    formLayout->addWidget(typeLabel);
    formLayout->addWidget(m_typeBox);
    formLayout->addWidget(m_askButton);
    layout->addWidget(form);

    m_problemLabel = new QLabel;
    m_problemLabel->setObjectName(QStringLiteral("lookupProblemLabel"));
    m_problemLabel->setWordWrap(true);
    Typography::setTextColor(m_problemLabel, namedColor(NamedColor::red));
    m_problemLabel->hide();
    layout->addWidget(m_problemLabel);

    auto* summary = new QHBoxLayout;
    summary->setSpacing(12);
    m_statusLabel = ScreenWidgets::badge(QString(), namedColor(NamedColor::gray),
                                         QStringLiteral("lookupStatusLabel"));
    m_flagsLabel =
        ScreenWidgets::label(QString(), TextStyle::body, QStringLiteral("lookupFlagsLabel"));
    m_timeLabel = ScreenWidgets::secondaryLabel(QString(), TextStyle::body,
                                                QStringLiteral("lookupTimeLabel"));
    summary->addWidget(m_statusLabel);
    summary->addWidget(m_flagsLabel);
    summary->addStretch();
    summary->addWidget(m_timeLabel);
    layout->addLayout(summary);

    m_resultText = new QPlainTextEdit;
    m_resultText->setObjectName(QStringLiteral("lookupResultText"));
    m_resultText->setAccessibleName(tr("Answer"));
    m_resultText->setReadOnly(true);
    m_resultText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_resultText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_resultText->setPlaceholderText(tr("The answer shows here."));
    layout->addWidget(m_resultText, 1);
    for (QWidget* w : {static_cast<QWidget*>(m_statusLabel), static_cast<QWidget*>(m_flagsLabel),
                       static_cast<QWidget*>(m_timeLabel)})
        w->hide();

    connect(m_askButton, &QPushButton::clicked, this, &LookupView::ask);
    connect(m_nameField, &QLineEdit::returnPressed, this, &LookupView::ask);
    connect(m_serverField, &QLineEdit::returnPressed, this, &LookupView::ask);
    connect(m_lookup, &DnsLookup::finished, this, &LookupView::finished);
}

LookupServer LookupView::localServer() const {
    LookupServer server;
    server.address = QStringLiteral("127.0.0.1");
    if (m_manager) {
        const SystemLayout& layout = m_manager->layout();
        if (!layout.serverAddress.isEmpty())
            server.address = layout.serverAddress;
        if (layout.serverPort != 0)
            server.port = layout.serverPort;
    }
    return server;
}

void LookupView::lookUp(const QString& name, const QString& type) {
    m_nameField->setText(name);
    m_typeBox->setCurrentText(type);
    ask();
}

void LookupView::ask() {
    const QString name = m_nameField->text().trimmed();
    if (name.isEmpty()) {
        showProblem(tr("Enter the name to look up."));
        return;
    }
    LookupServer server = localServer();
    if (!m_serverField->text().trimmed().isEmpty()) {
        const auto typed = LookupServer::parse(m_serverField->text());
        if (!typed) {
            showProblem(tr("\"%1\" is not a server address: type an IPv4 or IPv6 address, "
                           "with :port when it is not 53 ([2001:db8::1]:5353 for IPv6).")
                            .arg(m_serverField->text().trimmed()));
            return;
        }
        server = *typed;
    }
    showProblem({});
    DnsQuestion question;
    question.address = server.address;
    question.port = server.port;
    question.name = name;
    question.type = m_typeBox->currentText().trimmed().toUpper();
    question.timeoutMs = 3000;
    m_pending = m_lookup->ask(question);
    m_askButton->setEnabled(false);
    m_askButton->setText(tr("Asking…"));
}

void LookupView::finished(quint64 id, const LookupResult& result) {
    if (id != m_pending)
        return;
    m_pending = 0;
    m_result = result;
    m_askButton->setEnabled(true);
    m_askButton->setText(tr("Look Up"));
    if (result.responded()) {
        m_statusLabel->setText(result.rcode);
        m_flagsLabel->setText(tr("Flags: %1").arg(result.flags.join(u' ')));
    } else {
        m_statusLabel->setText(tr("No response"));
        m_flagsLabel->setText(result.error);
    }
    // The status in its colour, as a badge: green, orange for a missing
    // name, red for a failure.
    const QColor color = statusColor(result);
    QColor background = color;
    background.setAlphaF(0.2f);
    m_statusLabel->setStyleSheet(
        QStringLiteral("QLabel { color: %1; background-color: %2; "
                       "border-radius: 4px; padding: 1px 6px; }")
            .arg(color.name(QColor::HexArgb), background.name(QColor::HexArgb)));
    m_timeLabel->setText(tr("%1 ms").arg(result.elapsedMs));
    for (QWidget* w : {static_cast<QWidget*>(m_statusLabel), static_cast<QWidget*>(m_flagsLabel),
                       static_cast<QWidget*>(m_timeLabel)})
        w->show();
    m_resultText->setPlainText(lookupText(result));
    Q_EMIT resultShown();
}

void LookupView::showProblem(const QString& text) {
    m_problemLabel->setText(text);
    m_problemLabel->setVisible(!text.isEmpty());
}

} // namespace korvi
