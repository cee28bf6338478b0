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
    const RecordFormFields* form = fields();
    RecordOptions options;
    options.priority = form->priority();
    options.weight = form->weight();
    options.port = form->port();
    return DNSRecord(form->savedName(), form->type(), form->savedValue(), form->savedTtl(),
                     options);
}

void AddRecordView::save() {
    // The manager reports a record it refuses; the sheet closes either way.
    if (m_manager && m_zone)
        m_manager->addRecord(recordToSave(), m_zone);
    accept();
}

} // namespace korvi
