#pragma once

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <optional>

#include "manager/DNSServerManager.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/EditRecordView.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;

namespace korvi {

class RecordsListView;
class RoundedPanel;
class ZoneListModel;
class ZoneRowDelegate;

// The DNS records screen: the zones in a column on the left; the chosen
// zone's records on the right with a search field and "Add Record". Records
// are added and edited in their own sheets, and only while the server runs.
class DNSRecordView : public QWidget {
    Q_OBJECT

public:
    explicit DNSRecordView(DNSServerManager* manager, QWidget* parent = nullptr);

    const std::optional<QUuid>& selectedZoneId() const { return m_selectedZoneId; }
    void selectZone(const QUuid& id);
    // The first zone with the selected id, if any.
    ZonePtr selectedZone() const;

    RecordsListView* recordsList() const { return m_records; }
    QListView* zoneList() const { return m_zoneList; }
    AddRecordView* addRecordSheet() const { return m_addSheet; }
    EditRecordView* editRecordSheet() const { return m_editSheet; }

public Q_SLOTS:
    void showAddRecord();
    void showEditRecord(const korvi::DNSRecord& record);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshSelection();

    QPointer<DNSServerManager> m_manager;
    std::optional<QUuid> m_selectedZoneId;

    ZoneListModel* m_zoneModel = nullptr;
    ZoneRowDelegate* m_zoneRowDelegate = nullptr;
    RoundedPanel* m_banner = nullptr;
    QLabel* m_zoneCount = nullptr;
    QStackedWidget* m_zoneStack = nullptr;
    QListView* m_zoneList = nullptr;
    QStackedWidget* m_detailStack = nullptr;
    QLabel* m_zoneTitle = nullptr;
    QLabel* m_zoneRecordCount = nullptr;
    QLabel* m_readOnlyNote = nullptr;
    QPushButton* m_addButton = nullptr;
    QLineEdit* m_searchField = nullptr;
    RecordsListView* m_records = nullptr;
    QPointer<AddRecordView> m_addSheet;
    QPointer<EditRecordView> m_editSheet;
};

} // namespace korvi
