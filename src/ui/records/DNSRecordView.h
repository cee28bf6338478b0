#pragma once

#include <QMenu>
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

class QMessageBox;
class QPushButton;
class QStackedWidget;

namespace korvi {

class RecordTableView;
class RecordsListView;
class RoundedPanel;
class ZoneListModel;
class ZoneRowDelegate;

// The DNS records screen: the zones in a column on the left; the chosen
// zone's records on the right with a search field and "Add Record", shown as
// cards or as a dense table (the choice holds for the session). Records are
// added and edited in their own sheets, and only while the server runs;
// selected records are deleted together after a confirmation. Keys: Ctrl+N
// adds a record, Ctrl+F goes to the search field, Delete deletes the
// selected records.
class DNSRecordView : public QWidget {
    Q_OBJECT

public:
    explicit DNSRecordView(DNSServerManager* manager, QWidget* parent = nullptr);

    const std::optional<QUuid>& selectedZoneId() const { return m_selectedZoneId; }
    void selectZone(const QUuid& id);
    // The first zone with the selected id, if any.
    ZonePtr selectedZone() const;

    RecordsListView* recordsList() const { return m_records; }
    RecordTableView* recordTable() const { return m_table; }
    QListView* zoneList() const { return m_zoneList; }
    AddRecordView* addRecordSheet() const { return m_addSheet; }
    EditRecordView* editRecordSheet() const { return m_editSheet; }
    // The confirmation of a deletion while it is open.
    QMessageBox* deleteConfirmation() const;
    // The deletion waiting for its result (0: none).
    ChangeId pendingDeletion() const { return m_pendingDeletion; }

    // The records selected in the shown view, kept ones included.
    QList<DNSRecord> selectedRecordList() const;
    // The selected records' context menu (see RecordMenu), opened by a right
    // click in either view; null without a selected record.
    QMenu* recordMenu() const { return m_recordMenu; }
    QMenu* openRecordMenu(const QPoint& globalPosition);

    // Cards or table; the choice is kept for the rest of the session.
    bool showsTable() const;
    void setShowsTable(bool table);

Q_SIGNALS:
    // "Look Up": the main window shows the Lookup screen asking for this
    // absolute name and type.
    void lookUpRequested(const QString& name, const QString& type);

public Q_SLOTS:
    void showAddRecord();
    // The add form, as "Add Record" opens it: only while the button is enabled.
    void requestAddRecord();
    // Moves the focus to the search field, its text selected.
    void focusSearch();
    void showEditRecord(const korvi::DNSRecord& record);
    // Asks to delete the records selected in the shown view.
    void deleteSelectedRecords();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The selected records of the shown view: the ids that may be deleted,
    // and how many kept records the selection holds besides.
    struct Selection {
        QList<QUuid> ids;
        int kept = 0;
    };

    QWidget* buildZoneHeader();
    void refresh();
    void refreshSelection();
    // Only the shown view follows the zone; the other holds none.
    void applyZone();
    void updateActions();
    Selection selectedRecords() const;
    void startDeletion(const ZonePtr& zone, const QList<QUuid>& ids);
    void deletionFinished(ChangeId id, bool applied, const QString& message);
    void showError(const QString& text);

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
    QPushButton* m_cardsButton = nullptr;
    QPushButton* m_tableButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QLabel* m_errorLabel = nullptr;
    QLineEdit* m_searchField = nullptr;
    QStackedWidget* m_viewStack = nullptr;
    RecordsListView* m_records = nullptr;
    RecordTableView* m_table = nullptr;
    QPointer<AddRecordView> m_addSheet;
    QPointer<EditRecordView> m_editSheet;
    QPointer<QMessageBox> m_confirmation;
    ChangeId m_pendingDeletion = 0;
    QPointer<QMenu> m_recordMenu;
};

} // namespace korvi
