#pragma once

#include <QMessageBox>
#include <QPointer>

#include "ui/records/RecordSheet.h"

namespace korvi {

// The edit form for one record: the shared record fields loaded from the
// record when the sheet appears, "Save Changes" (same id, the type-specific
// fields those the form shows) and the "Danger Zone" with "Delete Record",
// which asks first and then waits for the deletion like a save.
class EditRecordView : public RecordSheet {
    Q_OBJECT

public:
    EditRecordView(DNSServerManager* manager, const ZonePtr& zone, const DNSRecord& record,
                   QWidget* parent = nullptr);

    bool isInitialized() const { return m_initialized; }
    const DNSRecord& record() const { return m_record; }
    // The record "Save Changes" would hand over now.
    DNSRecord recordToSave() const;
    // The delete confirmation while it is shown.
    QMessageBox* deleteConfirmation() const { return m_deleteConfirmation; }
    // "Are you sure you want to delete the A record 'www' (192.0.2.1)? This
    // action cannot be undone."
    static QString deleteMessage(const DNSRecord& record);

public Q_SLOTS:
    // Asks for confirmation; "Delete" hands the deletion to the manager.
    void deleteRecord();

protected:
    void showEvent(QShowEvent* event) override;
    void save() override;

private:
    void confirmDelete();

    DNSRecord m_record;
    QPushButton* m_deleteButton = nullptr;
    QPointer<QMessageBox> m_deleteConfirmation;
    bool m_initialized = false;
    QWidget* m_loadingPage = nullptr;
    QWidget* m_formPage = nullptr;
};

} // namespace korvi
