#include "ui/replication/SecondariesView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "manager/ReplicationHealth.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/replication/SecondaryHealthModel.h"
#include "ui/replication/SecondaryZonesSection.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/Typography.h"

namespace korvi {

SecondariesView::SecondariesView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_health(manager ? manager->replicationHealth() : nullptr),
      m_model(new SecondaryHealthModel(m_health, this)) {
    ReplicationHealth* health = m_health;
    setObjectName(QStringLiteral("secondariesView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->addWidget(Typography::label(tr("Secondaries"), TextStyle::largeTitle, QFont::Bold,
                                        semanticColor(SemanticColor::label),
                                        QStringLiteral("secondariesTitle"), this));
    header->addStretch();
    m_refresh = new QPushButton(symbolIcon(QStringLiteral("arrow.clockwise")), tr("Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("refreshSecondariesButton"));
    m_refresh->setToolTip(tr("Ask the primary and every secondary for each zone's "
                             "serial now"));
    connect(m_refresh, &QPushButton::clicked, this, [this] {
        if (m_health)
            m_health->refresh();
    });
    header->addWidget(m_refresh);
    layout->addLayout(header);

    const QColor secondary = semanticColor(SemanticColor::secondaryLabel);
    m_checked = Typography::label(QString(), TextStyle::subheadline, QFont::Normal, secondary,
                                  QStringLiteral("secondariesChecked"), this);
    layout->addWidget(m_checked);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("secondariesTable"));
    m_table->setAccessibleName(tr("Secondaries"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* tablePanel = new QWidget(this);
    tablePanel->setObjectName(QStringLiteral("secondariesTablePanel"));
    auto* tableLayout = new QVBoxLayout(tablePanel);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(m_table, 1);
    m_details = Typography::label(QString(), TextStyle::body, QFont::Normal,
                                  semanticColor(SemanticColor::label),
                                  QStringLiteral("secondaryDetails"), tablePanel);
    m_details->setFont(Typography::monospaced(TextStyle::subheadline));
    m_details->setWordWrap(true);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tableLayout->addWidget(m_details);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("secondariesStack"));
    m_stack->addWidget(makeEmptyPanel());
    m_stack->addWidget(tablePanel);
    layout->addWidget(m_stack, 1);
    m_secondaryZones = new SecondaryZonesSection(manager, this);
    layout->addWidget(m_secondaryZones);

    connect(m_model, &QAbstractItemModel::modelReset, this, &SecondariesView::updatePanel);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &SecondariesView::updateDetails);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SecondariesView::updateDetails);
    if (health) {
        connect(health, &ReplicationHealth::refreshFinished, this, [this] {
            m_checked->setText(
                tr("Last checked %1")
                    .arg(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat)));
            m_table->resizeColumnsToContents();
        });
        // A screen shown is a screen that wants fresh numbers.
        health->refresh();
    }
    updatePanel();
}

QWidget* SecondariesView::makeEmptyPanel() {
    const QColor secondary = semanticColor(SemanticColor::secondaryLabel);
    auto* panel = new RoundedPanel(semanticColor(SemanticColor::controlBackground), 10);
    panel->setObjectName(QStringLiteral("noSecondariesPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setSpacing(10);
    layout->addStretch();
    auto* icon = new QLabel(panel);
    icon->setPixmap(symbolIcon(QStringLiteral("server.rack"), secondary).pixmap(QSize(48, 48)));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(Typography::label(tr("No Secondary Servers"), TextStyle::title2,
                                        QFont::DemiBold, secondary,
                                        QStringLiteral("noSecondariesTitle"), panel),
                      0, Qt::AlignHCenter);
    auto* text = Typography::label(
        tr("Secondary servers of your zones, and how well they keep up, appear here"),
        TextStyle::body, QFont::Normal, secondary, QStringLiteral("noSecondariesText"), panel);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addStretch();
    return panel;
}

void SecondariesView::updatePanel() {
    const bool empty = !m_health || m_health->secondaries().isEmpty();
    m_stack->setCurrentIndex(empty ? 0 : 1);
    m_refresh->setEnabled(!empty);
    m_checked->setVisible(!empty);
    updateDetails();
}

void SecondariesView::updateDetails() {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    QString text;
    if (m_health && !rows.isEmpty() && rows.first().row() < m_health->statuses().size()) {
        const ReplicationStatus& status = m_health->statuses().at(rows.first().row());
        text = SecondaryHealthModel::detailText(status);
        if (status.state == ReplicationState::unchecked)
            text = tr("Not checked yet.");
        else if (text.isEmpty())
            text = tr("%1 serves %2 as the primary does.").arg(status.secondary.name, status.zone);
    }
    m_details->setText(text);
    m_details->setVisible(!text.isEmpty());
}

} // namespace korvi
