#include "ui/replication/SecondarySetupDialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "manager/ReplicationService.h"
#include "model/RecordValidator.h"

namespace korvi {

SecondarySetupDialog::SecondarySetupDialog(ReplicationService* replication,
                                           const QString& secondaryName, QWidget* parent)
    : QDialog(parent), m_replication(replication), m_secondaryName(secondaryName) {
    setObjectName(QStringLiteral("secondarySetupDialog"));
    setWindowTitle(tr("Set Up Secondary \"%1\"").arg(secondaryName));
    auto* column = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Add this to the named.conf of the secondary server. It copies every zone of Korvi "
           "through the catalog, signed with the secondary's key; zones added or removed in "
           "Korvi reach it without further changes. The text holds the key's secret."));
    intro->setObjectName(QStringLiteral("secondarySetupIntro"));
    intro->setWordWrap(true);
    column->addWidget(intro);

    auto* addressRow = new QHBoxLayout;
    auto* addressLabel = new QLabel(tr("Primary address as the secondary sees it:"));
    addressRow->addWidget(addressLabel);
    m_primaryAddress = new QLineEdit;
    m_primaryAddress->setObjectName(QStringLiteral("primaryAddressField"));
    addressLabel->setBuddy(m_primaryAddress);
    if (const auto setup = replication ? replication->setupFor(secondaryName) : std::nullopt)
        m_primaryAddress->setText(setup->primaryAddress);
    addressRow->addWidget(m_primaryAddress, 1);
    column->addLayout(addressRow);

    m_snippet = new QPlainTextEdit;
    m_snippet->setObjectName(QStringLiteral("secondarySnippet"));
    m_snippet->setAccessibleName(tr("Configuration for the secondary"));
    m_snippet->setReadOnly(true);
    m_snippet->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_snippet->setMinimumSize(560, 300);
    column->addWidget(m_snippet, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copySnippetButton"));
    column->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(snippet()); });
    connect(m_primaryAddress, &QLineEdit::textChanged, this, &SecondarySetupDialog::refreshSnippet);
    refreshSnippet();
}

QString SecondarySetupDialog::snippet() const {
    return m_snippet->toPlainText();
}

void SecondarySetupDialog::refreshSnippet() {
    const QString address = m_primaryAddress->text().trimmed();
    if (!isValidIPv4Address(address) && !isValidIPv6Address(address)) {
        m_snippet->setPlainText(
            tr("// Enter the primary's IPv4 or IPv6 address as the secondary reaches "
               "it."));
        return;
    }
    const std::optional<QString> text =
        m_replication
            ? m_replication->secondarySnippet(m_secondaryName, m_primaryAddress->text().trimmed())
            : std::nullopt;
    m_snippet->setPlainText(text.value_or(tr("// The secondary or its key is no longer there.")));
}

} // namespace korvi
