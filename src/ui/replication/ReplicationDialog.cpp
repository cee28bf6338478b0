#include "ui/replication/ReplicationDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "manager/ReplicationService.h"
#include "ui/replication/SecondarySetupDialog.h"

namespace korvi {

namespace {

QPushButton* button(const QString& text, const QString& objectName) {
    auto* created = new QPushButton(text);
    created->setObjectName(objectName);
    return created;
}

} // namespace

ReplicationDialog::ReplicationDialog(ReplicationService* replication, QWidget* parent)
    : QDialog(parent), m_replication(replication) {
    setObjectName(QStringLiteral("replicationDialog"));
    setWindowTitle(tr("Secondaries"));
    setMinimumSize(560, 680);
    auto* column = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Secondary servers copy Korvi's zones by zone transfer. Only servers that sign with one "
           "of these TSIG keys may transfer, each secondary is notified of every change, and the "
           "catalog of Korvi's zones tells it which zones to copy."));
    intro->setObjectName(QStringLiteral("replicationIntro"));
    intro->setWordWrap(true);
    column->addWidget(intro);
    column->addWidget(buildKeys());
    column->addWidget(buildSecondaries());
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("replicationMessage"));
    m_message->setWordWrap(true);
    column->addWidget(m_message);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    if (m_replication) {
        connect(m_replication, &ReplicationService::keysChanged, this,
                &ReplicationDialog::refreshKeys);
        connect(m_replication, &ReplicationService::secondariesChanged, this,
                &ReplicationDialog::refreshSecondaries);
        connect(m_replication, &ReplicationService::finished, this, &ReplicationDialog::showResult);
    }
    refreshKeys();
    refreshSecondaries();
}

QWidget* ReplicationDialog::buildKeys() {
    auto* box = new QGroupBox(tr("TSIG Keys"));
    box->setObjectName(QStringLiteral("keysSection"));
    auto* layout = new QVBoxLayout(box);
    m_keyList = new QListWidget;
    m_keyList->setObjectName(QStringLiteral("keyList"));
    m_keyList->setAccessibleName(tr("TSIG keys"));
    m_keyList->setMaximumHeight(110);
    layout->addWidget(m_keyList);
    auto* row = new QHBoxLayout;
    m_keyName = new QLineEdit;
    m_keyName->setObjectName(QStringLiteral("newKeyNameField"));
    m_keyName->setPlaceholderText(tr("Key name, e.g. korvi-secondary"));
    auto* create = button(tr("Create Key"), QStringLiteral("createKeyButton"));
    auto* remove = button(tr("Delete Key"), QStringLiteral("deleteKeyButton"));
    auto* show = button(tr("Show Secret"), QStringLiteral("showSecretButton"));
    row->addWidget(m_keyName, 1);
    row->addWidget(create);
    row->addWidget(remove);
    row->addWidget(show);
    layout->addLayout(row);
    m_secret = new QLabel;
    m_secret->setObjectName(QStringLiteral("secretLabel"));
    m_secret->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_secret->setWordWrap(true);
    layout->addWidget(m_secret);

    connect(create, &QPushButton::clicked, this, [this] {
        if (m_replication)
            m_replication->createKey(m_keyName->text().trimmed());
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_replication && !selectedKey().isEmpty())
            m_replication->deleteKey(selectedKey());
    });
    connect(show, &QPushButton::clicked, this, [this] {
        const std::optional<TsigKey> key =
            m_replication ? m_replication->key(selectedKey()) : std::nullopt;
        m_secret->setText(
            key ? QStringLiteral("%1 (%2): %3").arg(key->name, key->algorithm, key->secret)
                : tr("Choose a key to see its secret."));
    });
    // A secret stays on screen only while its key is the one chosen.
    connect(m_keyList, &QListWidget::currentRowChanged, m_secret, &QLabel::clear);
    return box;
}

QWidget* ReplicationDialog::buildSecondaries() {
    auto* box = new QGroupBox(tr("Secondary Servers"));
    box->setObjectName(QStringLiteral("secondariesSection"));
    auto* layout = new QVBoxLayout(box);
    m_secondaryList = new QListWidget;
    m_secondaryList->setObjectName(QStringLiteral("secondaryList"));
    m_secondaryList->setAccessibleName(tr("Secondary servers"));
    m_secondaryList->setMaximumHeight(110);
    layout->addWidget(m_secondaryList);
    auto* form = new QFormLayout;
    m_secondaryName = new QLineEdit;
    m_secondaryName->setObjectName(QStringLiteral("secondaryNameField"));
    m_secondaryAddress = new QLineEdit;
    m_secondaryAddress->setObjectName(QStringLiteral("secondaryAddressField"));
    m_secondaryAddress->setPlaceholderText(QStringLiteral("192.0.2.2"));
    m_secondaryPort = new QSpinBox;
    m_secondaryPort->setObjectName(QStringLiteral("secondaryPortField"));
    m_secondaryPort->setRange(1, 65535);
    m_secondaryPort->setValue(53);
    m_secondaryKey = new QComboBox;
    m_secondaryKey->setObjectName(QStringLiteral("secondaryKeyPicker"));
    form->addRow(tr("Name"), m_secondaryName);
    form->addRow(tr("Address"), m_secondaryAddress);
    form->addRow(tr("Port"), m_secondaryPort);
    form->addRow(tr("Key"), m_secondaryKey);
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    auto* add = button(tr("Add Secondary"), QStringLiteral("addSecondaryButton"));
    auto* remove = button(tr("Remove Secondary"), QStringLiteral("removeSecondaryButton"));
    auto* setup = button(tr("Secondary Setup…"), QStringLiteral("secondarySetupButton"));
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    row->addWidget(setup);
    layout->addLayout(row);

    connect(add, &QPushButton::clicked, this, [this] {
        if (!m_replication)
            return;
        SecondaryServer secondary;
        secondary.name = m_secondaryName->text().trimmed();
        secondary.address = m_secondaryAddress->text().trimmed();
        secondary.port = quint16(m_secondaryPort->value());
        secondary.keyName = m_secondaryKey->currentText();
        m_replication->addSecondary(secondary);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_replication && !selectedSecondary().isEmpty())
            m_replication->removeSecondary(selectedSecondary());
    });
    connect(setup, &QPushButton::clicked, this, [this] {
        if (!m_replication || selectedSecondary().isEmpty()) {
            showResult(false, tr("Choose a secondary first."));
            return;
        }
        auto* dialog = new SecondarySetupDialog(m_replication, selectedSecondary(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    return box;
}

void ReplicationDialog::refreshKeys() {
    const QStringList names = m_replication ? m_replication->keyNames() : QStringList();
    const QString chosen = selectedKey();
    m_keyList->clear();
    m_keyList->addItems(names);
    const auto found = m_keyList->findItems(chosen, Qt::MatchExactly);
    if (!found.isEmpty())
        m_keyList->setCurrentItem(found.first());
    const QString picked = m_secondaryKey->currentText();
    m_secondaryKey->clear();
    m_secondaryKey->addItems(names);
    if (names.contains(picked))
        m_secondaryKey->setCurrentText(picked);
}

void ReplicationDialog::refreshSecondaries() {
    m_secondaryList->clear();
    if (!m_replication)
        return;
    for (const SecondaryServer& secondary : m_replication->secondaries()) {
        auto* item = new QListWidgetItem(tr("%1 — %2 port %3, key %4")
                                             .arg(secondary.name, secondary.address,
                                                  QString::number(secondary.port),
                                                  secondary.keyName));
        item->setData(Qt::UserRole, secondary.name);
        m_secondaryList->addItem(item);
    }
    if (m_secondaryList->count() > 0 && !m_secondaryList->currentItem())
        m_secondaryList->setCurrentRow(m_secondaryList->count() - 1);
}

void ReplicationDialog::showResult(bool ok, const QString& message) {
    m_message->setText(ok ? tr("✅ Done") : QStringLiteral("❌ ") + message);
}

QString ReplicationDialog::selectedKey() const {
    const QListWidgetItem* item = m_keyList ? m_keyList->currentItem() : nullptr;
    return item ? item->text() : QString();
}

QString ReplicationDialog::selectedSecondary() const {
    const QListWidgetItem* item = m_secondaryList ? m_secondaryList->currentItem() : nullptr;
    return item ? item->data(Qt::UserRole).toString() : QString();
}

} // namespace korvi
