#pragma once

#include "ui/records/RecordSheet.h"

namespace korvi {

// The edit form for one record: the shared record fields loaded from the
// record when the sheet appears, "Save Changes" (same id, the type-specific
// fields other than priority, weight and port cleared) and the "Danger Zone"
// with "Delete Record", which deletes at once.
class EditRecordView : public RecordSheet {
    Q_OBJECT

public:
    EditRecordView(DNSServerManager* manager, const ZonePtr& zone, const DNSRecord& record,
                   QWidget* parent = nullptr);

    bool isInitialized() const { return m_initialized; }
    const DNSRecord& record() const { return m_record; }
    // The record "Save Changes" would hand over now.
    DNSRecord recordToSave() const;

public Q_SLOTS:
    void deleteRecord();

protected:
    void showEvent(QShowEvent* event) override;
    void save() override;

private:
    DNSRecord m_record;
    bool m_initialized = false;
    QWidget* m_loadingPage = nullptr;
    QWidget* m_formPage = nullptr;
};

} // namespace korvi
