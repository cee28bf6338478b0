#include "ui/records/EditRecordView.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/records/RecordFormFields.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

EditRecordView::EditRecordView(DNSServerManager* manager, const ZonePtr& zone,
                               const DNSRecord& record, QWidget* parent)
    : RecordSheet(manager, zone, QStringLiteral("Edit DNS Record"),
                  QStringLiteral("Modify record in ") + (zone ? zone->name() : QString()),
                  QStringLiteral("Save Changes"), int(RecordFormFields::Variant::edit), parent),
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
    loadingLayout->addWidget(ScreenWidgets::secondaryLabel(QStringLiteral("Loading record..."),
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
    QLabel* dangerTitle = ScreenWidgets::label(QStringLiteral("Danger Zone"), TextStyle::headline,
                                               QStringLiteral("dangerZoneTitle"));
    Typography::setTextColor(dangerTitle, namedColor(NamedColor::red));
    dangerLayout->addWidget(dangerTitle);
    QLabel* deleteText =
        ScreenWidgets::label(QStringLiteral("Delete this DNS record"), TextStyle::subheadline,
                             QStringLiteral("deleteRecordText"));
    QFont medium = deleteText->font();
    medium.setWeight(QFont::Medium);
    deleteText->setFont(medium);
    dangerLayout->addWidget(deleteText);
    auto* deleteButton = new QPushButton(QStringLiteral("Delete Record"));
    deleteButton->setObjectName(QStringLiteral("deleteRecordButton"));
    deleteButton->setAutoDefault(false);
    Typography::setTextColor(deleteButton, namedColor(NamedColor::red));
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addWidget(deleteButton);
    deleteRow->addStretch();
    dangerLayout->addLayout(deleteRow);
    dangerLayout->addWidget(
        ScreenWidgets::secondaryLabel(QStringLiteral("This action cannot be undone"),
                                      TextStyle::caption, QStringLiteral("deleteRecordCaption")));
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
    const RecordFormFields* form = fields();
    DNSRecord changed = m_record;
    changed.name = form->savedName();
    changed.type = form->type();
    changed.value = form->savedValue();
    changed.ttl = form->savedTtl();
    changed.priority = form->priority();
    changed.weight = form->weight();
    changed.port = form->port();
    // The form has no fields for these: saving drops them, so the type's
    // defaults apply when the zone file is written.
    changed.flag.reset();
    changed.tag.reset();
    changed.algorithm.reset();
    changed.digestType.reset();
    changed.usage.reset();
    changed.selector.reset();
    return changed;
}

void EditRecordView::save() {
    if (!m_initialized)
        return;
    if (m_manager && m_zone)
        m_manager->updateRecord(recordToSave(), m_zone);
    accept();
}

void EditRecordView::deleteRecord() {
    if (m_manager && m_zone)
        m_manager->deleteRecord(m_record, m_zone);
    accept();
}

} // namespace korvi
