#pragma once

#include "ui/records/RecordSheet.h"

namespace korvi {

// The new-record form: the shared record fields, with the type's usual TTL
// chosen with the type. "Save Record" hands the new record to the manager,
// which validates it and has BIND check it; the sheet closes once it has been
// applied and shows the reason when it was refused.
class AddRecordView : public RecordSheet {
    Q_OBJECT

public:
    AddRecordView(DNSServerManager* manager, const ZonePtr& zone, QWidget* parent = nullptr);

    // The record "Save Record" would hand over now (with a new id).
    DNSRecord recordToSave() const;

protected:
    void save() override;
};

} // namespace korvi
