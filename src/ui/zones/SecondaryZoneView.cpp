#include "ui/zones/SecondaryZoneView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "manager/SecondaryZoneCopy.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/records/RecordTableView.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

SecondaryZoneView::SecondaryZoneView(SecondaryZoneCopy* copy, QWidget* parent)
    : QWidget(parent), m_copy(copy) {
    setObjectName(QStringLiteral("secondaryZoneView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(10);

    auto* header = new QHBoxLayout;
    header->addWidget(Typography::label(
        copy ? copy->settings().name : QString(), TextStyle::largeTitle, QFont::Bold,
        semanticColor(SemanticColor::label), QStringLiteral("secondaryZoneName"), this));
    header->addWidget(ScreenWidgets::badge(tr("Secondary (read-only)"),
                                           namedColor(NamedColor::purple),
                                           QStringLiteral("secondaryZoneBadge"), this));
    header->addStretch();
    // The record actions of Korvi's own zones, here always disabled.
    const QList<std::pair<QString, QString>> buttons = {
        {tr("Add Record"), QStringLiteral("secondaryAddRecordButton")},
        {tr("Edit"), QStringLiteral("secondaryEditRecordButton")},
        {tr("Delete"), QStringLiteral("secondaryDeleteRecordButton")}};
    for (const auto& [text, name] : buttons) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setEnabled(false);
        button->setToolTip(tr("Records of a secondary zone change on its primary"));
        header->addWidget(button);
    }
    layout->addLayout(header);

    const auto info = [this, layout](const QString& name) {
        QLabel* label =
            ScreenWidgets::secondaryLabel(QString(), TextStyle::subheadline, name, this);
        layout->addWidget(label);
        return label;
    };
    info(QStringLiteral("secondaryZonePrimaries"))
        ->setText(tr("Copied from %1")
                      .arg(copy ? SecondaryZoneCopy::primariesText(copy->settings()) : QString()));
    m_serial = info(QStringLiteral("secondaryZoneSerial"));
    m_transfer = info(QStringLiteral("secondaryZoneTransfer"));
    info(QStringLiteral("secondaryZoneNote"))
        ->setText(tr("Records of a secondary zone come from its primary: change "
                     "them there, and this server copies them."));
    m_problem =
        Typography::label(QString(), TextStyle::body, QFont::Normal, namedColor(NamedColor::orange),
                          QStringLiteral("secondaryZoneProblem"), this);
    m_problem->setWordWrap(true);
    layout->addWidget(m_problem);

    m_table = new RecordTableView(this);
    m_table->setObjectName(QStringLiteral("secondaryZoneRecords"));
    m_table->setReadOnly(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_table, 1);

    if (copy) {
        m_table->setZone(copy->zone());
        connect(copy, &SecondaryZoneCopy::copyChanged, this, &SecondaryZoneView::update);
    }
    update();
}

void SecondaryZoneView::update() {
    const std::optional<quint32> serial = m_copy ? m_copy->serial() : std::nullopt;
    m_serial->setText(serial ? tr("Serial %1").arg(*serial) : tr("Serial unknown"));
    m_transfer->setText(
        m_copy && m_copy->hasCopy()
            ? tr("Last transfer %1")
                  .arg(QLocale().toString(m_copy->lastTransfer(), QLocale::ShortFormat))
            : tr("Not transferred yet"));
    const QString problem = m_copy ? m_copy->problem() : QString();
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
}

} // namespace korvi
