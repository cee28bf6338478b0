#include "ui/tutorial/TutorialView.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/icons/SymbolIcons.h"
#include "ui/tutorial/AddingRecordsSection.h"
#include "ui/tutorial/BestPracticesSection.h"
#include "ui/tutorial/CreatingZonesSection.h"
#include "ui/tutorial/DNSBasicsSection.h"
#include "ui/tutorial/IntroductionSection.h"
#include "ui/tutorial/KorviOverviewSection.h"
#include "ui/tutorial/RecordTypesSection.h"
#include "ui/tutorial/ServerConfigurationSection.h"
#include "ui/tutorial/TroubleshootingSection.h"
#include "ui/tutorial/ZoneSettingsSection.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

// List rows that are headings carry no tag.
constexpr int tagRole = Qt::UserRole + 1;

template <typename T> std::function<TutorialSection*()> maker() {
    return [] { return new T; };
}

} // namespace

const QList<TutorialView::Entry>& TutorialView::entries() {
    // Kept in English, as the code knows the sections; the list shows them
    // translated.
    const QString start = QStringLiteral(QT_TR_NOOP("Getting Started"));
    const QString zones = QStringLiteral(QT_TR_NOOP("Managing Zones"));
    const QString records = QStringLiteral(QT_TR_NOOP("DNS Records"));
    const QString advanced = QStringLiteral(QT_TR_NOOP("Advanced"));
    static const QList<Entry> list = {
        {start, QStringLiteral(QT_TR_NOOP("Introduction")), QStringLiteral("1.circle.fill"),
         maker<IntroductionSection>()},
        {start, QStringLiteral(QT_TR_NOOP("DNS Basics")), QStringLiteral("2.circle.fill"),
         maker<DNSBasicsSection>()},
        {start, QStringLiteral(QT_TR_NOOP("Korvi Overview")), QStringLiteral("3.circle.fill"),
         maker<KorviOverviewSection>()},
        {zones, QStringLiteral(QT_TR_NOOP("Creating Zones")), QStringLiteral("folder.badge.plus"),
         maker<CreatingZonesSection>()},
        {zones, QStringLiteral(QT_TR_NOOP("Zone Settings")), QStringLiteral("gearshape.fill"),
         maker<ZoneSettingsSection>()},
        {records, QStringLiteral(QT_TR_NOOP("Adding Records")), QStringLiteral("plus.circle.fill"),
         maker<AddingRecordsSection>()},
        {records, QStringLiteral(QT_TR_NOOP("Record Types")),
         QStringLiteral("list.bullet.circle.fill"), maker<RecordTypesSection>()},
        {advanced, QStringLiteral(QT_TR_NOOP("Best Practices")),
         QStringLiteral("checkmark.shield.fill"), maker<BestPracticesSection>()},
        {advanced, QStringLiteral(QT_TR_NOOP("Server Configuration")),
         QStringLiteral("server.rack"), maker<ServerConfigurationSection>()},
        {advanced, QStringLiteral(QT_TR_NOOP("Troubleshooting")),
         QStringLiteral("wrench.and.screwdriver.fill"), maker<TroubleshootingSection>()},
    };
    return list;
}

TutorialView::TutorialView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tutorialView"));
    setWindowTitle(tr("Tutorial"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("tutorialList"));
    m_list->setAccessibleName(tr("Tutorial topics"));
    m_list->setMinimumWidth(200);
    m_list->setMaximumWidth(250);
    m_list->setIconSize(QSize(18, 18));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QColor accent = semanticColor(SemanticColor::accent);
    m_list->setStyleSheet(
        QStringLiteral("QListWidget { outline: none; }"
                       "QListWidget::item { padding: 4px 4px; }"
                       "QListWidget::item:selected { background: %1; color: %2; }")
            .arg(accent.name(), semanticColor(SemanticColor::textOnAccent).name()));
    QString heading;
    for (int tag = 0; tag < entries().size(); ++tag) {
        const Entry& entry = entries()[tag];
        if (entry.heading != heading) {
            heading = entry.heading;
            auto* item = new QListWidgetItem(tr(qUtf8Printable(heading)), m_list);
            item->setFlags(Qt::NoItemFlags);
            item->setFont(Typography::font(TextStyle::caption, QFont::Bold));
            item->setForeground(semanticColor(SemanticColor::secondaryLabel));
            item->setSizeHint(QSize(0, 30));
        }
        auto* item = new QListWidgetItem(symbolIcon(entry.symbol, accent),
                                         tr(qUtf8Printable(entry.title)), m_list);
        item->setData(tagRole, tag);
        item->setSizeHint(QSize(0, 28));
    }
    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && item->data(tagRole).isValid())
            showSection(item->data(tagRole).toInt());
    });
    layout->addWidget(m_list);

    // Every text wraps, so the page always fits the width.
    m_scroll = ScreenWidgets::scrollArea(this, true);
    m_scroll->setObjectName(QStringLiteral("tutorialContent"));
    layout->addWidget(m_scroll, 1);

    setSelectedSection(0);
}

void TutorialView::setSelectedSection(int tag) {
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        if (item->data(tagRole).isValid() && item->data(tagRole).toInt() == tag) {
            m_list->setCurrentItem(item);
            return;
        }
    }
}

void TutorialView::showSection(int tag) {
    if (tag < 0 || tag >= entries().size() || tag == m_selectedSection)
        return;
    m_selectedSection = tag;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(30, 30, 30, 30);
    m_section = entries()[tag].make();
    m_section->setParent(page);
    layout->addWidget(m_section);
    layout->addStretch();
    // Replaces (and deletes) the previous page.
    m_scroll->setWidget(page);
}

} // namespace korvi
