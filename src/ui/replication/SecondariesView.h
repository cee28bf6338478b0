#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace korvi {

class DNSServerManager;
class ReplicationHealth;
class SecondaryHealthModel;
class SecondaryZonesSection;

// The Secondaries screen: for each secondary server and each zone, whether
// the secondary serves the primary's serial, how far behind it is and since
// when, or why it does not answer. "Refresh" asks everyone at once; the
// health refreshes itself on its timer besides. The selected row's reason
// and the primary's log lines about the zone's transfers show below. Under
// it, the zones this server itself keeps as a secondary.
class SecondariesView : public QWidget {
    Q_OBJECT

public:
    explicit SecondariesView(DNSServerManager* manager, QWidget* parent = nullptr);

    QTableView* table() const { return m_table; }
    SecondaryZonesSection* secondaryZones() const { return m_secondaryZones; }

private:
    QWidget* makeEmptyPanel();
    void updatePanel();
    void updateDetails();

    QPointer<ReplicationHealth> m_health;
    SecondaryHealthModel* m_model;
    QStackedWidget* m_stack = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_refresh = nullptr;
    QLabel* m_checked = nullptr;
    QLabel* m_details = nullptr;
    SecondaryZonesSection* m_secondaryZones = nullptr;
};

} // namespace korvi
