#include "ui/records/EditRecordView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/records/RecordFormFields.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

EditRecordView::EditRecordView(DNSServerManager* manager, const ZonePtr& zone,
                               const DNSRecord& record, QWidget* parent)
    : RecordSheet(manager, zone, tr("Edit DNS Record"),
                  tr("Modify record in %1").arg(zone ? zone->name() : QString()),
                  tr("Save Changes"), int(RecordFormFields::Variant::edit), parent),
      m_record(record) {
    setObjectName(QStringLiteral("editRecordView"));

    // Until the sheet has appeared and loaded the record, a busy indicator
    // stands in for the fields.
    auto* loading = new QWidget;
    m_loadingPage = loading;
    loading->setObjectName(QStringLiteral("loadingPage"));
    loading->setMinimumHeight(200);
    auto* loadingLayout = new QVBoxLayout(loading);
    loadingLayout->addStretch();
    auto* busy = new QProgressBar;
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setFixedWidth(120);
    loadingLayout->addWidget(busy, 0, Qt::AlignHCenter);
    loadingLayout->addWidget(ScreenWidgets::secondaryLabel(tr("Loading record..."),
                                                           TextStyle::caption,
                                                           QStringLiteral("loadingLabel")),
                             0, Qt::AlignHCenter);
    loadingLayout->addStretch();
    column()->addWidget(loading);

    // The fields move onto the second page, above the danger zone.
    auto* formPage = new QWidget;
    m_formPage = formPage;
    auto* formLayout = new QVBoxLayout(formPage);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->setSpacing(20);
    column()->removeWidget(fields());
    formLayout->addWidget(fields());

    auto* danger = new QGroupBox;
    danger->setObjectName(QStringLiteral("dangerZoneGroup"));
    auto* dangerLayout = new QVBoxLayout(danger);
    QLabel* dangerTitle = ScreenWidgets::label(tr("Danger Zone"), TextStyle::headline,
                                               QStringLiteral("dangerZoneTitle"));
    Typography::setTextColor(dangerTitle, namedColor(NamedColor::red));
    dangerLayout->addWidget(dangerTitle);
    QLabel* deleteText = ScreenWidgets::label(tr("Delete this DNS record"), TextStyle::subheadline,
                                              QStringLiteral("deleteRecordText"));
    QFont medium = deleteText->font();
    medium.setWeight(QFont::Medium);
    deleteText->setFont(medium);
    dangerLayout->addWidget(deleteText);
    auto* deleteButton = new QPushButton(tr("Delete Record"));
    m_deleteButton = deleteButton;
    deleteButton->setObjectName(QStringLiteral("deleteRecordButton"));
    deleteButton->setAutoDefault(false);
    Typography::setTextColor(deleteButton, namedColor(NamedColor::red));
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addWidget(deleteButton);
    deleteRow->addStretch();
    dangerLayout->addLayout(deleteRow);
    dangerLayout->addWidget(ScreenWidgets::secondaryLabel(tr("This action cannot be undone"),
                                                          TextStyle::caption,
                                                          QStringLiteral("deleteRecordCaption")));
    formLayout->addWidget(danger);
    column()->addWidget(formPage);
    formPage->hide();
    column()->addStretch();
    fitToContent();

    connect(deleteButton, &QPushButton::clicked, this, &EditRecordView::deleteRecord);
}

void EditRecordView::showEvent(QShowEvent* event) {
    RecordSheet::showEvent(event);
    if (m_initialized)
        return;
    fields()->load(m_record);
    m_initialized = true;
    m_loadingPage->hide();
    m_formPage->show();
    updateSaveButton();
    fitToContent();
}

DNSRecord EditRecordView::recordToSave() const {
    // Same id; every type-specific field is the form's, so that a field of
    // the old type does not travel with the new one.
    DNSRecord base = m_record;
    static_cast<RecordOptions&>(base) = RecordOptions();
    return fields()->recordOn(base);
}

void EditRecordView::save() {
    if (!m_initialized)
        return;
    if (m_manager && m_zone)
        waitForChange(m_manager->updateRecord(recordToSave(), m_zone), saveButton(), tr("Saving…"));
}

QString EditRecordView::deleteMessage(const DNSRecord& record) {
    const QString name = record.name.isEmpty() ? QStringLiteral("@") : record.name;
    return tr("Are you sure you want to delete the %1 record '%2' (%3)? This action cannot be "
              "undone.")
        .arg(rawValue(record.type), name, record.value);
}

void EditRecordView::deleteRecord() {
    if (!m_zone || m_deleteConfirmation || pendingChange() != 0)
        return;
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Delete Record"), deleteMessage(m_record),
                                QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("deleteRecordConfirmation"));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelDeleteButton"));
    QPushButton* remove = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("confirmDeleteButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(remove, &QPushButton::clicked, this, &EditRecordView::confirmDelete);
    m_deleteConfirmation = box;
    box->open();
}

void EditRecordView::confirmDelete() {
    if (m_manager && m_zone)
        waitForChange(m_manager->deleteRecord(m_record, m_zone), m_deleteButton, tr("Deleting…"));
}

} // namespace korvi
