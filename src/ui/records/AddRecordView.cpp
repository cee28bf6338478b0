#include "ui/records/AddRecordView.h"

#include <QVBoxLayout>

#include "ui/records/RecordFormFields.h"

namespace korvi {

AddRecordView::AddRecordView(DNSServerManager* manager, const ZonePtr& zone, QWidget* parent)
    : RecordSheet(manager, zone, QStringLiteral("Add DNS Record"),
                  QStringLiteral("Create a new DNS record for ") +
                      (zone ? zone->name() : QString()),
                  QStringLiteral("Save Record"), int(RecordFormFields::Variant::add), parent) {
    setObjectName(QStringLiteral("addRecordView"));
    column()->addStretch();
    fitToContent();
}

DNSRecord AddRecordView::recordToSave() const {
    return fields()->recordOn(DNSRecord());
}

void AddRecordView::save() {
    if (m_manager && m_zone)
        waitForChange(m_manager->addRecord(recordToSave(), m_zone), saveButton(),
                      QStringLiteral("Saving…"));
}

} // namespace korvi
