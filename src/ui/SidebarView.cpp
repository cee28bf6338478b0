#include "ui/SidebarView.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "ui/apply/ApplyChangesButton.h"
#include "ui/dashboard/ServerStatusStyle.h"
#include "ui/dashboard/StatusIndicator.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/PaletteFollower.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

const QString noPackageManager = QStringLiteral("None");

} // namespace

const QList<SidebarView::SectionEntry>& SidebarView::sections() {
    // Kept in English, as the screenshots name their files; the list shows
    // them translated.
    static const QList<SectionEntry> list = {
        {QStringLiteral(QT_TR_NOOP("Dashboard")), QStringLiteral("gauge")},
        {QStringLiteral(QT_TR_NOOP("Zone Management")), QStringLiteral("folder")},
        {QStringLiteral(QT_TR_NOOP("DNS Records")), QStringLiteral("doc.text")},
        {QStringLiteral(QT_TR_NOOP("Server Configuration")), QStringLiteral("gearshape")},
        {QStringLiteral(QT_TR_NOOP("Secondaries")), QStringLiteral("server.rack")},
        {QStringLiteral(QT_TR_NOOP("Logs")), QStringLiteral("doc.plaintext")},
        {QStringLiteral(QT_TR_NOOP("History")), QStringLiteral("arrow.clockwise")},
        {QStringLiteral(QT_TR_NOOP("Lookup")), QStringLiteral("magnifyingglass")},
        {QStringLiteral(QT_TR_NOOP("Tutorial")), QStringLiteral("book.fill")},
    };
    return list;
}

SidebarView::SidebarView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("sidebar"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 10, 8, 14);
    layout->setSpacing(10);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("sidebarList"));
    m_list->setAccessibleName(tr("Sections"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(QSize(18, 18));
    m_list->setSpacing(1);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const SectionEntry& section : sections()) {
        auto* item = new QListWidgetItem(tr(qUtf8Printable(section.title)), m_list);
        item->setSizeHint(QSize(0, 32));
    }
    // The selected section and the icons take the desktop's highlight colour,
    // and follow it when it changes.
    PaletteFollower::follow(m_list, [this] {
        const QColor accent = semanticColor(SemanticColor::accent);
        m_list->setStyleSheet(
            QStringLiteral("QListWidget { background: transparent; outline: none; }"
                           "QListWidget::item { padding: 5px 6px; border-radius: 6px; color: %1; }"
                           "QListWidget::item:selected { background: %2; color: %3; }")
                .arg(semanticColor(SemanticColor::label).name(), accent.name(),
                     semanticColor(SemanticColor::textOnAccent).name()));
        for (int row = 0; row < m_list->count(); ++row)
            m_list->item(row)->setIcon(symbolIcon(sections().at(row).symbol, accent));
    });
    m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            Q_EMIT selectedSectionChanged(Section(row));
    });
    layout->addWidget(m_list, 1);
    // Collected changes wait here, in sight from every screen.
    layout->addWidget(new ApplyChangesButton(manager, this));

    // Server status: the light and its sentence.
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(6);
    m_indicator = new StatusIndicator(this);
    m_indicator->setObjectName(QStringLiteral("statusIndicator"));
    m_statusText = Typography::label(QString(), TextStyle::caption, QFont::Normal,
                                     semanticColor(SemanticColor::secondaryLabel),
                                     QStringLiteral("statusText"), this);
    statusRow->addWidget(m_indicator);
    statusRow->addWidget(m_statusText, 1);
    layout->addLayout(statusRow);

    // Server controls: one of the two below is shown.
    m_serverButton = new ProminentButton(QString(), this);
    m_serverButton->setObjectName(QStringLiteral("serverButton"));
    connect(m_serverButton, &QPushButton::clicked, this, &SidebarView::serverButtonPressed);
    layout->addWidget(m_serverButton);

    m_installBlock = new QWidget(this);
    m_installBlock->setObjectName(QStringLiteral("installBlock"));
    auto* installLayout = new QVBoxLayout(m_installBlock);
    installLayout->setContentsMargins(0, 0, 0, 0);
    installLayout->setSpacing(4);
    m_installButton = new ProminentButton(QString(), m_installBlock);
    m_installButton->setObjectName(QStringLiteral("installButton"));
    m_installCaption = Typography::label(QString(), TextStyle::caption, QFont::Normal,
                                         semanticColor(SemanticColor::secondaryLabel),
                                         QStringLiteral("installCaption"), m_installBlock);
    m_installCaption->setWordWrap(true);
    installLayout->addWidget(m_installButton);
    installLayout->addWidget(m_installCaption);
    PaletteFollower::follow(this, [this] {
        for (QLabel* caption : {m_statusText, m_installCaption})
            Typography::setTextColor(caption, semanticColor(SemanticColor::secondaryLabel));
    });
    layout->addWidget(m_installBlock);
    connect(m_installButton, &QPushButton::clicked, this, [this] {
        if (m_manager->availablePackageManager() == noPackageManager)
            m_manager->openPackageManagerInstallationGuide();
        else
            m_manager->installBind();
    });

    connect(manager, &DNSServerManager::serverStatusChanged, this, &SidebarView::updateServerBlock);
    connect(manager, &DNSServerManager::isBindInstalledChanged, this,
            &SidebarView::updateServerBlock);
    connect(manager, &DNSServerManager::availablePackageManagerChanged, this,
            &SidebarView::updateServerBlock);
    updateServerBlock();
}

Section SidebarView::selectedSection() const {
    return Section(m_list->currentRow());
}

void SidebarView::setSelectedSection(Section section) {
    m_list->setCurrentRow(int(section));
}

void SidebarView::updateServerBlock() {
    const ServerStatus status = m_manager->serverStatus();
    m_indicator->setColor(ServerStatusStyle::color(status));
    m_statusText->setText(ServerStatusStyle::statusText(status));

    const bool notInstalled = status == ServerStatus::notInstalled;
    m_serverButton->setVisible(!notInstalled);
    m_installBlock->setVisible(notInstalled);
    m_serverButton->setText(status == ServerStatus::running ? tr("Stop Server")
                                                            : tr("Start Server"));
    m_serverButton->setEnabled(m_manager->isBindInstalled());

    const QString packageManager = m_manager->availablePackageManager();
    if (packageManager == noPackageManager) {
        m_installButton->setText(tr("Install Package Manager"));
        m_installCaption->setText(tr("Homebrew or MacPorts required"));
    } else {
        m_installButton->setText(tr("Install BIND"));
        m_installCaption->setText(tr("Using %1").arg(packageManager));
    }
}

void SidebarView::serverButtonPressed() {
    // The status at the moment of pressing decides, not the label.
    if (m_manager->serverStatus() == ServerStatus::running)
        m_manager->stopServer();
    else
        m_manager->startServer();
}

} // namespace korvi
