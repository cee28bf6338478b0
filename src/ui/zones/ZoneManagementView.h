#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "manager/DNSServerManager.h"
#include "ui/zones/AddZoneView.h"

class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;

namespace korvi {

class RoundedPanel;
class ZoneListModel;
class ZoneRowDelegate;

// The zone management screen: the list of domains, the new-domain sheet and
// the delete confirmation. Nothing can be changed while the server does not
// run.
class ZoneManagementView : public QWidget {
    Q_OBJECT

public:
    explicit ZoneManagementView(DNSServerManager* manager, QWidget* parent = nullptr);

    // The sheet or confirmation now open, if any.
    AddZoneView* addZoneSheet() const { return m_addZoneSheet; }
    QMessageBox* deleteConfirmation() const { return m_deleteConfirmation; }
    ZonePtr zoneToDelete() const { return m_zoneToDelete; }

    QListView* zoneList() const { return m_list; }
    ZoneRowDelegate* rowDelegate() const { return m_rowDelegate; }

    // "Are you sure you want to delete the zone 'x'? This will remove all N
    // DNS records."
    static QString deleteMessage(const DNSZone& zone);

public Q_SLOTS:
    void showAddZone();
    void requestDelete(const ZonePtr& zone);

private:
    void refresh();

    QPointer<DNSServerManager> m_manager;
    ZoneListModel* m_model = nullptr;
    ZoneRowDelegate* m_rowDelegate = nullptr;
    QPushButton* m_addButton = nullptr;
    RoundedPanel* m_banner = nullptr;
    QStackedWidget* m_stack = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_emptyMessage = nullptr;
    QLabel* m_emptyStatus = nullptr;
    QLabel* m_emptyHint = nullptr;
    QPushButton* m_emptyAddButton = nullptr;
    QPointer<AddZoneView> m_addZoneSheet;
    QPointer<QMessageBox> m_deleteConfirmation;
    ZonePtr m_zoneToDelete;
};

} // namespace korvi
