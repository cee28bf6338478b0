#pragma once

#include <QList>
#include <QMetaObject>
#include <QWidget>

class QLabel;
class QLayout;
class QToolButton;

namespace korvi {

class DNSServerManager;
class RoundedPanel;

// Section 0: the state of the server and the data at a glance: the BIND
// server's status, the package manager found, the number of zones and of
// records. It redraws from the manager whenever one of these changes.
class DashboardView : public QWidget {
    Q_OBJECT

public:
    explicit DashboardView(DNSServerManager* manager, QWidget* parent = nullptr);

private:
    // A card: icon and title on top, then whatever the caller adds to its
    // layout; the title row's layout is returned through titleRow.
    RoundedPanel* makeCard(const QString& symbol, const QColor& iconColor, const QString& title,
                           QLayout** titleRow);
    void updateServer();
    void updatePackageManager();
    void updateCounts();
    // Zones announce changes of their records themselves.
    void observeZones();

    DNSServerManager* m_manager;
    QLabel* m_statusValue;
    QLabel* m_bindCaption;
    QLabel* m_packageManagerValue;
    QLabel* m_packageManagerCaption;
    QToolButton* m_refreshButton;
    QLabel* m_zonesValue;
    QLabel* m_recordsValue;
    QList<QMetaObject::Connection> m_zoneConnections;
};

} // namespace korvi
