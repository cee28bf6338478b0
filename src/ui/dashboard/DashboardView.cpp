#include "ui/dashboard/DashboardView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "ui/dashboard/ServerStatusStyle.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

const QString noPackageManager = QStringLiteral("None");

QLabel* sectionTitle(const QString& text, QWidget* parent) {
    return Typography::label(text, TextStyle::title2, QFont::DemiBold,
                             semanticColor(SemanticColor::secondaryLabel), QString(), parent);
}

} // namespace

DashboardView::DashboardView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("dashboardView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // Every text wraps, so the page always fits the width.
    auto* scroll = ScreenWidgets::scrollArea(this, true);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);
    const QColor label = semanticColor(SemanticColor::label);
    const QColor secondary = semanticColor(SemanticColor::secondaryLabel);

    layout->addWidget(Typography::label(tr("Dashboard"), TextStyle::largeTitle, QFont::Bold, label,
                                        QStringLiteral("dashboardTitle"), content));

    // System status.
    layout->addWidget(sectionTitle(tr("System Status"), content));
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(20);
    QLayout* titleRow = nullptr;

    RoundedPanel* bindCard = makeCard(QStringLiteral("server.rack"), namedColor(NamedColor::blue),
                                      tr("BIND Server"), &titleRow);
    bindCard->setObjectName(QStringLiteral("bindServerCard"));
    m_statusValue = Typography::label(QString(), TextStyle::title3, QFont::DemiBold, label,
                                      QStringLiteral("bindStatusValue"), bindCard);
    m_bindCaption =
        Typography::label(tr("BIND DNS server not detected"), TextStyle::caption, QFont::Normal,
                          secondary, QStringLiteral("bindNotDetectedCaption"), bindCard);
    // Which of the host layouts Korvi manages, and its configuration file.
    const SystemLayout& host = m_manager->layout();
    const QString layoutName = host.layoutName.isEmpty() ? tr("macOS / Homebrew") : host.layoutName;
    auto* layoutLabel = Typography::label(
        tr("Layout: %1 — %2").arg(layoutName, host.namedConfigPath), TextStyle::caption,
        QFont::Normal, secondary, QStringLiteral("hostLayoutLabel"), bindCard);
    layoutLabel->setWordWrap(true);
    bindCard->layout()->addWidget(m_statusValue);
    bindCard->layout()->addWidget(m_bindCaption);
    bindCard->layout()->addWidget(layoutLabel);
    statusRow->addWidget(bindCard, 1);

    RoundedPanel* packageCard =
        makeCard(QStringLiteral("shippingbox.fill"), namedColor(NamedColor::green),
                 tr("Package Manager"), &titleRow);
    packageCard->setObjectName(QStringLiteral("packageManagerCard"));
    m_refreshButton = new QToolButton(packageCard);
    m_refreshButton->setObjectName(QStringLiteral("packageManagerRefreshButton"));
    m_refreshButton->setAutoRaise(true);
    m_refreshButton->setIcon(symbolIcon(QStringLiteral("arrow.clockwise"), secondary));
    m_refreshButton->setIconSize(QSize(13, 13));
    m_refreshButton->setToolTip(tr("Refresh package manager detection"));
    m_refreshButton->setAccessibleName(tr("Refresh package manager detection"));
    titleRow->addWidget(m_refreshButton);
    // The refresh here detects the package managers again; unlike the
    // toolbar's, it leaves zones and configuration alone.
    connect(m_refreshButton, &QToolButton::clicked, this,
            [this] { m_manager->refreshPackageManagerDetection(); });
    m_packageManagerValue = Typography::label(QString(), TextStyle::title3, QFont::DemiBold, label,
                                              QStringLiteral("packageManagerValue"), packageCard);
    m_packageManagerCaption =
        Typography::label(tr("Required for BIND installation"), TextStyle::caption, QFont::Normal,
                          secondary, QStringLiteral("packageManagerCaption"), packageCard);
    packageCard->layout()->addWidget(m_packageManagerValue);
    packageCard->layout()->addWidget(m_packageManagerCaption);
    statusRow->addWidget(packageCard, 1);
    layout->addLayout(statusRow);

    // DNS statistics.
    layout->addSpacing(8);
    layout->addWidget(sectionTitle(tr("DNS Statistics"), content));
    auto* statsRow = new QHBoxLayout;
    statsRow->setSpacing(20);
    RoundedPanel* zonesCard =
        makeCard(QStringLiteral("folder.badge.gear"), namedColor(NamedColor::orange),
                 tr("Active Zones"), &titleRow);
    zonesCard->setObjectName(QStringLiteral("activeZonesCard"));
    m_zonesValue = Typography::label(QString(), TextStyle::title, QFont::Bold, label,
                                     QStringLiteral("activeZonesValue"), zonesCard);
    zonesCard->layout()->addWidget(m_zonesValue);
    statsRow->addWidget(zonesCard, 1);
    RoundedPanel* recordsCard =
        makeCard(QStringLiteral("doc.text.fill"), namedColor(NamedColor::purple),
                 tr("Total Records"), &titleRow);
    recordsCard->setObjectName(QStringLiteral("totalRecordsCard"));
    m_recordsValue = Typography::label(QString(), TextStyle::title, QFont::Bold, label,
                                       QStringLiteral("totalRecordsValue"), recordsCard);
    recordsCard->layout()->addWidget(m_recordsValue);
    statsRow->addWidget(recordsCard, 1);
    layout->addLayout(statsRow);
    layout->addStretch();

    connect(manager, &DNSServerManager::serverStatusChanged, this, &DashboardView::updateServer);
    connect(manager, &DNSServerManager::isBindInstalledChanged, this, &DashboardView::updateServer);
    connect(manager, &DNSServerManager::availablePackageManagerChanged, this,
            &DashboardView::updatePackageManager);
    connect(manager, &DNSServerManager::zonesChanged, this, [this] {
        observeZones();
        updateCounts();
    });
    updateServer();
    updatePackageManager();
    observeZones();
    updateCounts();
}

RoundedPanel* DashboardView::makeCard(const QString& symbol, const QColor& iconColor,
                                      const QString& title, QLayout** titleRow) {
    auto* card = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 12);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(8);
    // Cards in a row share its height; their content stays at the top.
    layout->setAlignment(Qt::AlignTop);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    auto* icon = new QLabel(card);
    icon->setPixmap(symbolIcon(symbol, iconColor).pixmap(QSize(22, 22)));
    row->addWidget(icon);
    row->addWidget(Typography::label(title, TextStyle::headline, QFont::DemiBold,
                                     semanticColor(SemanticColor::label), QString(), card),
                   1);
    layout->addLayout(row);
    *titleRow = row;
    return card;
}

void DashboardView::updateServer() {
    const ServerStatus status = m_manager->serverStatus();
    m_statusValue->setText(ServerStatusStyle::valueText(status));
    Typography::setTextColor(m_statusValue, ServerStatusStyle::color(status));
    m_bindCaption->setVisible(!m_manager->isBindInstalled());
}

void DashboardView::updatePackageManager() {
    const QString name = m_manager->availablePackageManager();
    const bool none = name == noPackageManager;
    m_packageManagerValue->setText(none ? tr("None") : name);
    Typography::setTextColor(m_packageManagerValue,
                             namedColor(none ? NamedColor::red : NamedColor::green));
    m_packageManagerCaption->setVisible(none);
}

void DashboardView::observeZones() {
    for (const QMetaObject::Connection& connection : std::as_const(m_zoneConnections))
        disconnect(connection);
    m_zoneConnections.clear();
    for (const ZonePtr& zone : m_manager->zones())
        m_zoneConnections.append(
            connect(zone.data(), &DNSZone::changed, this, &DashboardView::updateCounts));
}

void DashboardView::updateCounts() {
    m_zonesValue->setText(QString::number(m_manager->zones().size()));
    m_recordsValue->setText(QString::number(m_manager->totalRecords()));
}

} // namespace korvi
