#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "manager/DNSServerManager.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ImportZoneView.h"
#include "ui/zones/ZoneSOAView.h"

class QLabel;

class QListView;
class QPushButton;
class QStackedWidget;

namespace korvi {

class RoundedPanel;
class ZoneListModel;
class ZoneRowDelegate;

// The zone management screen: the list of domains, the new-domain sheet,
// the SOA settings of a domain (double-click its row, or its context menu)
// and the delete confirmation. Nothing can be changed while the server does
// not run.
class ZoneManagementView : public QWidget {
    Q_OBJECT

public:
    explicit ZoneManagementView(DNSServerManager* manager, QWidget* parent = nullptr);

    // The sheet or confirmation now open, if any.
    AddZoneView* addZoneSheet() const { return m_addZoneSheet; }
    ImportZoneView* importSheet() const { return m_importSheet; }
    QFileDialog* exportDialog() const { return m_exportDialog; }
    ZoneSOAView* soaSheet() const { return m_soaSheet; }
    QMessageBox* deleteConfirmation() const { return m_deleteConfirmation; }
    ZonePtr zoneToDelete() const { return m_zoneToDelete; }

    QListView* zoneList() const { return m_list; }
    ZoneRowDelegate* rowDelegate() const { return m_rowDelegate; }

    // "Are you sure you want to delete the zone 'x'? This will remove all N
    // DNS records."
    static QString deleteMessage(const DNSZone& zone);

public Q_SLOTS:
    void showAddZone();
    void showImport();
    // Asks where to save the zone's file, then writes it (ZoneExport).
    void exportZone(const ZonePtr& zone);
    // Writes the zone's file to the path; a failure is logged and shown.
    void writeExport(const ZonePtr& zone, const QString& path);
    void requestDelete(const ZonePtr& zone);
    // Opens the SOA settings of a zone while the server runs.
    void showSOA(const ZonePtr& zone);

private:
    void refresh();
    void showRowMenu(const QPoint& position);

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
    QLabel* m_listHint = nullptr;
    QPointer<AddZoneView> m_addZoneSheet;
    QPointer<ImportZoneView> m_importSheet;
    QPointer<QFileDialog> m_exportDialog;
    QPushButton* m_importButton = nullptr;
    QPointer<ZoneSOAView> m_soaSheet;
    QPointer<QMessageBox> m_deleteConfirmation;
    ZonePtr m_zoneToDelete;
};

} // namespace korvi
