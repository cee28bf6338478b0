#include "ui/records/AddRecordView.h"

#include <QVBoxLayout>

#include "ui/records/RecordFormFields.h"

namespace korvi {

AddRecordView::AddRecordView(DNSServerManager* manager, const ZonePtr& zone, QWidget* parent)
    : RecordSheet(manager, zone, tr("Add DNS Record"),
                  tr("Create a new DNS record for %1").arg(zone ? zone->name() : QString()),
                  tr("Save Record"), int(RecordFormFields::Variant::add), parent) {
    setObjectName(QStringLiteral("addRecordView"));
    column()->addStretch();
    fitToContent();
}

DNSRecord AddRecordView::recordToSave() const {
    return fields()->recordOn(DNSRecord());
}

void AddRecordView::save() {
    if (m_manager && m_zone)
        waitForChange(m_manager->addRecord(recordToSave(), m_zone), saveButton(), tr("Saving…"));
}

} // namespace korvi
