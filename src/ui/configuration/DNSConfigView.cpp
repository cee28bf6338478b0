#include "ui/configuration/DNSConfigView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/configuration/ApplySettingsSection.h"
#include "ui/configuration/ConfiguredZonesSection.h"
#include "ui/configuration/EditableListSection.h"
#include "ui/configuration/ForwarderPresetButton.h"
#include "ui/configuration/PtrSettingsSection.h"
#include "ui/dashboard/ServerStatusStyle.h"
#include "ui/replication/ReplicationDialog.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

// A card: a headline title over its content.
RoundedPanel* card(const QString& title, const QString& name, QVBoxLayout** content) {
    RoundedPanel* panel = ScreenWidgets::card(name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    layout->addWidget(
        ScreenWidgets::label(title, TextStyle::headline, name + QStringLiteral("Title")));
    *content = layout;
    return panel;
}

struct Preset {
    const char* title;
    const char* name;
    QStringList servers;
};

const QList<Preset>& presets() {
    static const QList<Preset> list = {
        {"Google DNS", "presetGoogle", {QStringLiteral("8.8.8.8"), QStringLiteral("8.8.4.4")}},
        {"Cloudflare DNS",
         "presetCloudflare",
         {QStringLiteral("1.1.1.1"), QStringLiteral("1.0.0.1")}},
        {"Quad9 DNS",
         "presetQuad9",
         {QStringLiteral("9.9.9.9"), QStringLiteral("149.112.112.112")}},
        {"OpenDNS",
         "presetOpenDNS",
         {QStringLiteral("208.67.222.222"), QStringLiteral("208.67.220.220")}},
    };
    return list;
}

} // namespace

QList<std::pair<QString, QString>> DNSConfigView::loggingLevels() {
    return {{tr("Critical"), QStringLiteral("critical")},
            {tr("Error"), QStringLiteral("error")},
            {tr("Warning"), QStringLiteral("warning")},
            {tr("Info"), QStringLiteral("info")},
            {tr("Debug"), QStringLiteral("debug")}};
}

DNSConfigView::DNSConfigView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("dnsConfigView"));
    DNSConfiguration* config = manager->configuration();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = ScreenWidgets::scrollArea();
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addWidget(ScreenWidgets::label(tr("Server Configuration"), TextStyle::largeTitle,
                                           QStringLiteral("titleLabel")));
    column->addWidget(buildStatusRow());
    // On a distribution's BIND the server-wide settings live in a file the
    // package owns: shown, with that file named, but not edited by Korvi.
    const QString packageOptions = manager->layout().packageOptionsPath;
    QLabel* readOnlyNotice = nullptr;
    if (!packageOptions.isEmpty()) {
        readOnlyNotice = ScreenWidgets::secondaryLabel(
            tr("These server-wide settings are read from %1, a file the BIND package "
               "owns. Korvi shows them but does not change them; edit that file to "
               "change them.")
                .arg(packageOptions),
            TextStyle::subheadline, QStringLiteral("optionsReadOnlyNotice"));
        readOnlyNotice->setWordWrap(true);
        column->addWidget(readOnlyNotice);
    }
    column->addWidget(buildBasicSettings());

    using Texts = EditableListSection::Texts;
    const QList<
        std::tuple<Texts, std::function<QStringList()>, std::function<void(const QStringList&)>>>
        lists = {
            {Texts{tr("Listen Addresses"), tr("IP addresses the server will listen on:"),
                   tr("IP Address"), tr("Add Listen Address"), QStringLiteral("127.0.0.1"),
                   QStringLiteral("listenAddresses")},
             [config] { return config->listenAddresses(); },
             [config](const QStringList& list) { config->setListenAddresses(list); }},
            {Texts{tr("Allow Query"), tr("IP addresses or networks allowed to query:"),
                   tr("IP/Network"), tr("Add Allow Query"), QStringLiteral("any"),
                   QStringLiteral("allowQuery")},
             [config] { return config->allowQuery(); },
             [config](const QStringList& list) { config->setAllowQuery(list); }},
            {Texts{tr("Forwarders"), tr("DNS servers to forward unresolved queries to:"),
                   tr("Forwarder IP"), tr("Add Forwarder"), QStringLiteral("8.8.8.8"),
                   QStringLiteral("forwarders")},
             [config] { return config->forwarders(); },
             [config](const QStringList& list) { config->setForwarders(list); }},
        };
    for (const auto& [texts, getter, setter] : lists) {
        auto* section = new EditableListSection(texts, getter, setter);
        m_lists.append(section);
        column->addWidget(section);
    }
    column->addWidget(buildPresets());
    column->addWidget(buildInformationBox());
    column->addWidget(new ConfiguredZonesSection(manager));
    // How changes reach the server: Korvi's own setting, never the package's.
    column->addWidget(new ApplySettingsSection(manager));
    column->addWidget(new PtrSettingsSection(manager));
    column->addWidget(buildButtons());
    column->addStretch();
    if (readOnlyNotice) {
        for (QWidget* editor : std::initializer_list<QWidget*>{m_portField, m_recursion, m_dnssec,
                                                               m_loggingLevel, m_saveButton})
            editor->setEnabled(false);
        for (EditableListSection* section : std::as_const(m_lists))
            section->setEnabled(false);
        for (QWidget* preset : m_presetButtons)
            preset->setEnabled(false);
    }
    scroll->setWidget(content);
    outer->addWidget(scroll);

    connect(config, &DNSConfiguration::changed, this, &DNSConfigView::refreshConfiguration);
    connect(manager, &DNSServerManager::serverStatusChanged, this, &DNSConfigView::refreshStatus);
    refreshConfiguration();
    refreshStatus();
}

QWidget* DNSConfigView::buildStatusRow() {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("statusRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_statusIcon = new QLabel;
    m_statusIcon->setObjectName(QStringLiteral("statusIcon"));
    layout->addWidget(m_statusIcon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_statusLabel = ScreenWidgets::label({}, TextStyle::headline, QStringLiteral("statusLabel"));
    m_statusHint = ScreenWidgets::secondaryLabel({}, TextStyle::subheadline,
                                                 QStringLiteral("statusHintLabel"));
    texts->addWidget(m_statusLabel);
    texts->addWidget(m_statusHint);
    layout->addLayout(texts, 1);
    return row;
}

QWidget* DNSConfigView::buildBasicSettings() {
    QVBoxLayout* content = nullptr;
    RoundedPanel* panel = card(tr("Basic Settings"), QStringLiteral("basicSettings"), &content);
    DNSConfiguration* config = m_manager->configuration();
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    const auto rowLabel = [](const QString& text, const QString& name) {
        return ScreenWidgets::label(text, TextStyle::body, name);
    };

    m_portField = new IntegerField;
    m_portField->setObjectName(QStringLiteral("listenPortField"));
    m_portField->setAccessibleName(tr("Port"));
    m_portField->setPlaceholderText(tr("Port"));
    m_portField->setFixedWidth(100);
    connect(m_portField, &IntegerField::valueEdited, this, [config](std::optional<qint64> port) {
        if (port)
            config->setListenPort(*port);
    });
    grid->addWidget(rowLabel(tr("Listen Port:"), QStringLiteral("listenPortLabel")), 0, 0);
    grid->addWidget(m_portField, 0, 1, Qt::AlignLeft);

    m_recursion = new QCheckBox;
    m_recursion->setObjectName(QStringLiteral("recursionSwitch"));
    m_recursion->setAccessibleName(tr("Recursion"));
    connect(m_recursion, &QCheckBox::toggled, config, &DNSConfiguration::setRecursion);
    grid->addWidget(rowLabel(tr("Recursion:"), QStringLiteral("recursionLabel")), 1, 0);
    grid->addWidget(m_recursion, 1, 1, Qt::AlignLeft);

    m_dnssec = new QCheckBox;
    m_dnssec->setObjectName(QStringLiteral("dnssecSwitch"));
    m_dnssec->setAccessibleName(tr("Enable DNSSEC"));
    connect(m_dnssec, &QCheckBox::toggled, config, &DNSConfiguration::setEnableDNSSEC);
    grid->addWidget(rowLabel(tr("Enable DNSSEC:"), QStringLiteral("dnssecLabel")), 2, 0);
    grid->addWidget(m_dnssec, 2, 1, Qt::AlignLeft);

    m_loggingLevel = new QComboBox;
    m_loggingLevel->setObjectName(QStringLiteral("loggingLevelPicker"));
    m_loggingLevel->setAccessibleName(tr("Logging Level"));
    for (const auto& [label, stored] : loggingLevels())
        m_loggingLevel->addItem(label, stored);
    connect(m_loggingLevel, &QComboBox::activated, this, [this, config](int index) {
        if (index >= 0)
            config->setLoggingLevel(m_loggingLevel->itemData(index).toString());
    });
    grid->addWidget(rowLabel(tr("Logging Level:"), QStringLiteral("loggingLevelLabel")), 3, 0);
    grid->addWidget(m_loggingLevel, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    content->addLayout(grid);
    return panel;
}

QWidget* DNSConfigView::buildPresets() {
    QVBoxLayout* content = nullptr;
    RoundedPanel* panel =
        card(tr("Quick Forwarder Presets"), QStringLiteral("forwarderPresets"), &content);
    content->addWidget(ScreenWidgets::secondaryLabel(
        tr("Add common DNS forwarders:"), TextStyle::caption, QStringLiteral("presetsCaption")));
    auto* grid = new QGridLayout;
    grid->setSpacing(10);
    DNSConfiguration* config = m_manager->configuration();
    int position = 0;
    for (const Preset& preset : presets()) {
        auto* button = new ForwarderPresetButton(QString::fromUtf8(preset.title), preset.servers);
        button->setObjectName(QString::fromUtf8(preset.name));
        const QStringList servers = preset.servers;
        connect(button, &ForwarderPresetButton::clicked, this, [config, servers] {
            const QStringList applied =
                ForwarderPresetButton::appliedTo(config->forwarders(), servers);
            // Pressing a preset whose servers are all there changes nothing.
            if (applied != config->forwarders())
                config->setForwarders(applied);
        });
        grid->addWidget(button, position / 2, position % 2);
        m_presetButtons.append(button);
        ++position;
    }
    content->addLayout(grid);
    return panel;
}

QWidget* DNSConfigView::buildInformationBox() {
    QColor fill = semanticColor(SemanticColor::accent);
    fill.setAlphaF(0.1f);
    auto* box = new RoundedPanel(fill, 8);
    box->setObjectName(QStringLiteral("informationBox"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(ScreenWidgets::iconLabel(QStringLiteral("info.circle"), 18,
                                               semanticColor(SemanticColor::accent),
                                               QStringLiteral("infoIcon")),
                      0, Qt::AlignTop);
    m_infoLabel =
        ScreenWidgets::secondaryLabel({}, TextStyle::subheadline, QStringLiteral("infoLabel"));
    layout->addWidget(m_infoLabel, 1);
    return box;
}

QWidget* DNSConfigView::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_saveButton = ScreenWidgets::prominentButton(tr("Save Configuration"), {},
                                                  QStringLiteral("saveConfigurationButton"));
    m_reloadButton = new QPushButton;
    m_reloadButton->setObjectName(QStringLiteral("reloadServerButton"));
    m_reloadFromFileButton = new QPushButton(tr("Reload from File"));
    m_reloadFromFileButton->setObjectName(QStringLiteral("reloadFromFileButton"));
    layout->addWidget(m_saveButton);
    layout->addWidget(m_reloadButton);
    layout->addWidget(m_reloadFromFileButton);
    layout->addStretch();
    // Korvi's secondaries, their keys and the text each of them needs.
    auto* secondaries = new QPushButton(tr("Secondaries…"));
    secondaries->setObjectName(QStringLiteral("replicationButton"));
    layout->addWidget(secondaries);
    connect(secondaries, &QPushButton::clicked, this, [this] {
        if (!m_manager)
            return;
        auto* dialog = new ReplicationDialog(m_manager->replication(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });

    connect(m_saveButton, &QPushButton::clicked, this, [this] {
        if (m_manager)
            m_manager->saveConfiguration();
    });
    connect(m_reloadButton, &QPushButton::clicked, this, [this] {
        if (m_manager && m_manager->isRunning())
            m_manager->reloadServer();
    });
    connect(m_reloadFromFileButton, &QPushButton::clicked, this, [this] {
        if (m_manager)
            m_manager->loadConfigurationFromFile();
    });
    return row;
}

void DNSConfigView::refreshConfiguration() {
    if (!m_manager)
        return;
    const DNSConfiguration* config = m_manager->configuration();
    // Only what differs is set, so the control being used keeps its state.
    if (m_portField->value() != config->listenPort())
        m_portField->setValue(config->listenPort());
    const QSignalBlocker blockRecursion(m_recursion);
    m_recursion->setChecked(config->recursion());
    const QSignalBlocker blockDnssec(m_dnssec);
    m_dnssec->setChecked(config->enableDNSSEC());
    // A level read from a file that is none of the five shows no choice.
    m_loggingLevel->setCurrentIndex(m_loggingLevel->findData(config->loggingLevel()));
    for (EditableListSection* section : std::as_const(m_lists))
        section->refresh();
}

void DNSConfigView::refreshStatus() {
    if (!m_manager)
        return;
    const bool running = m_manager->isRunning();
    const QColor color = namedColor(running ? NamedColor::green : NamedColor::orange);
    ScreenWidgets::setIcon(m_statusIcon,
                           running ? QStringLiteral("checkmark.circle.fill")
                                   : QStringLiteral("exclamationmark.triangle.fill"),
                           22, color);
    m_statusLabel->setText(
        tr("BIND Server Status: %1").arg(ServerStatusStyle::valueText(m_manager->serverStatus())));
    Typography::setTextColor(m_statusLabel, color);
    m_statusHint->setText(running ? tr("Configuration changes will take effect after "
                                       "server reload")
                                  : tr("Configuration changes will take effect when "
                                       "server starts"));
    m_infoLabel->setText(running ? tr("Configuration changes are available "
                                      "immediately but require server reload to "
                                      "take effect")
                                 : tr("Configuration changes will be saved and "
                                      "applied when the server starts"));
    m_reloadButton->setText(running ? tr("Reload Server") : tr("Reload Server (Disabled)"));
    m_reloadButton->setEnabled(running);
}

} // namespace korvi
