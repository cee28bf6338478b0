#include "ui/zones/ImportZoneView.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "manager/DNSServerManager.h"
#include "manager/DnsLookup.h"
#include "manager/ManagerTasks.h"
#include "model/ZoneFileWriter.h"
#include "ui/widgets/FormErrorLabel.h"
#include "ui/widgets/ScreenWidgets.h"
#include "ui/widgets/Typography.h"

namespace korvi {

namespace {

QTableWidget* table(const QStringList& headers, const QString& objectName) {
    auto* t = new QTableWidget(0, int(headers.size()));
    t->setObjectName(objectName);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setWordWrap(false);
    return t;
}

void setRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int column = 0; column < cells.size(); ++column)
        t->setItem(row, column, new QTableWidgetItem(cells.at(column)));
}

// Every column but the last, which takes the rest of the width, fits its
// contents.
void fitColumns(QTableWidget* t) {
    for (int column = 0; column + 1 < t->columnCount(); ++column)
        t->resizeColumnToContents(column);
}

// The preview's tables show this many rows at most; the summary gives the count.
constexpr int shownRows = 2000;

} // namespace

ImportZoneView::ImportZoneView(DNSServerManager* manager, QWidget* parent)
    : QDialog(parent), m_manager(manager), m_importer(new ZoneImporter(manager, this)) {
    setObjectName(QStringLiteral("importZoneView"));
    setWindowTitle(tr("Import Zone"));
    setWindowModality(Qt::WindowModal);
    resize(860, 680);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);
    layout->addWidget(
        ScreenWidgets::label(tr("Import Zone"), TextStyle::title2, QStringLiteral("titleLabel")));
    layout->addWidget(ScreenWidgets::secondaryLabel(
        tr("A new zone from a BIND zone file, from zone text or by a zone transfer. Preview "
           "shows what will be imported before anything changes."),
        TextStyle::subheadline, QStringLiteral("importHintLabel")));
    m_refusalLabel = new FormErrorLabel;
    m_refusalLabel->setObjectName(QStringLiteral("importErrorLabel"));
    layout->addWidget(m_refusalLabel);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("importSourceTabs"));
    m_tabs->addTab(buildFileTab(), tr("Zone File"));
    m_tabs->addTab(buildTextTab(), tr("Zone Text"));
    m_tabs->addTab(buildTransferTab(), tr("Zone Transfer"));
    m_tabs->setMaximumHeight(190);
    layout->addWidget(m_tabs);

    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = new QLabel(tr("Zone name"));
    nameRow->addWidget(nameLabel);
    m_zoneNameField = new QLineEdit;
    nameLabel->setBuddy(m_zoneNameField);
    m_zoneNameField->setObjectName(QStringLiteral("importZoneNameField"));
    m_zoneNameField->setPlaceholderText(tr("example.com"));
    nameRow->addWidget(m_zoneNameField, 1);
    m_previewButton = new QPushButton(tr("Preview"));
    m_previewButton->setObjectName(QStringLiteral("previewButton"));
    nameRow->addWidget(m_previewButton);
    layout->addLayout(nameRow);

    m_summaryLabel =
        ScreenWidgets::label(QString(), TextStyle::headline, QStringLiteral("previewSummaryLabel"));
    m_soaLabel = ScreenWidgets::secondaryLabel(QString(), TextStyle::caption,
                                               QStringLiteral("previewSoaLabel"));
    m_soaLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summaryLabel);
    layout->addWidget(m_soaLabel);
    m_recordsTable = table({tr("Name"), tr("TTL"), tr("Type"), tr("Data")},
                           QStringLiteral("previewRecordsTable"));
    m_recordsTable->setAccessibleName(tr("Records to import"));
    layout->addWidget(m_recordsTable, 3);
    m_leftOutTitle = ScreenWidgets::label(tr("Not imported"), TextStyle::headline,
                                          QStringLiteral("notImportedTitle"));
    layout->addWidget(m_leftOutTitle);
    m_leftOutTable = table({tr("Line"), tr("Name"), tr("Type"), tr("Reason")},
                           QStringLiteral("notImportedTable"));
    m_leftOutTable->setAccessibleName(tr("Not imported"));
    layout->addWidget(m_leftOutTable, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancelButton = new QPushButton(tr("Cancel"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_importButton =
        ScreenWidgets::prominentButton(tr("Import"), QString(), QStringLiteral("importButton"));
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_importButton);
    layout->addLayout(buttons);

    connect(m_previewButton, &QPushButton::clicked, this, &ImportZoneView::showPreview);
    connect(m_importButton, &QPushButton::clicked, this, &ImportZoneView::startImport);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_importer, &ZoneImporter::finished, this, &ImportZoneView::importFinished);
    // A changed source or name makes the preview on screen stale.
    const auto stale = [this] {
        m_preview = ZoneImportPreview{};
        updateButtons();
    };
    connect(m_zoneNameField, &QLineEdit::textEdited, this, stale);
    connect(m_textField, &QPlainTextEdit::textChanged, this, stale);
    connect(m_fileField, &QLineEdit::textChanged, this, stale);
    connect(m_serverField, &QLineEdit::textEdited, this, stale);
    connect(m_tabs, &QTabWidget::currentChanged, this, stale);
    for (QWidget* w :
         {static_cast<QWidget*>(m_summaryLabel), static_cast<QWidget*>(m_soaLabel),
          static_cast<QWidget*>(m_leftOutTitle), static_cast<QWidget*>(m_leftOutTable)})
        w->hide();
    updateButtons();
}

QWidget* ImportZoneView::buildFileTab() {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    m_fileField = new QLineEdit;
    m_fileField->setObjectName(QStringLiteral("importFileField"));
    m_fileField->setPlaceholderText(tr("/etc/bind/db.example.com"));
    auto* choose = new QPushButton(tr("Choose…"));
    choose->setObjectName(QStringLiteral("chooseFileButton"));
    connect(choose, &QPushButton::clicked, this, &ImportZoneView::chooseFile);
    auto* label = new QLabel(tr("File"));
    label->setBuddy(m_fileField);
    row->addWidget(label);
    row->addWidget(m_fileField, 1);
    row->addWidget(choose);
    return page;
}

QWidget* ImportZoneView::buildTextTab() {
    m_textField = new QPlainTextEdit;
    m_textField->setObjectName(QStringLiteral("importTextField"));
    m_textField->setPlaceholderText(
        tr("Paste the zone's text: $TTL, the SOA and the records, as in a BIND zone file."));
    m_textField->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textField->setAccessibleName(tr("Zone Text"));
    return m_textField;
}

QWidget* ImportZoneView::buildTransferTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_serverField = new QLineEdit;
    m_serverField->setObjectName(QStringLiteral("transferServerField"));
    m_serverField->setPlaceholderText(tr("192.0.2.1 or 192.0.2.1:5353"));
    m_keyNameField = new QLineEdit;
    m_keyNameField->setObjectName(QStringLiteral("tsigNameField"));
    m_keyNameField->setPlaceholderText(tr("optional"));
    m_algorithmBox = new QComboBox;
    m_algorithmBox->setObjectName(QStringLiteral("tsigAlgorithmBox"));
    m_algorithmBox->addItems({QStringLiteral("hmac-sha256"), QStringLiteral("hmac-sha512"),
                              QStringLiteral("hmac-sha384"), QStringLiteral("hmac-sha224"),
                              QStringLiteral("hmac-sha1"), QStringLiteral("hmac-md5")});
    m_secretField = new QLineEdit;
    m_secretField->setObjectName(QStringLiteral("tsigSecretField"));
    m_secretField->setEchoMode(QLineEdit::Password);
    m_secretField->setPlaceholderText(tr("base64, as in the key statement"));
    form->addRow(tr("Server"), m_serverField);
    form->addRow(tr("TSIG key name"), m_keyNameField);
    form->addRow(tr("Algorithm"), m_algorithmBox);
    form->addRow(tr("Secret"), m_secretField);
    return page;
}

void ImportZoneView::setSource(Source source) {
    m_tabs->setCurrentIndex(int(source));
}

ImportZoneView::Source ImportZoneView::source() const {
    return Source(m_tabs->currentIndex());
}

void ImportZoneView::chooseFile() {
    auto* dialog = new QFileDialog(this, tr("Choose a Zone File"));
    dialog->setObjectName(QStringLiteral("chooseZoneFileDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { m_fileField->setText(path); });
    dialog->open();
}

void ImportZoneView::showPreview() {
    if (m_reading != 0 || m_pendingImport != 0)
        return;
    showRefusal({});
    QString zone = m_zoneNameField->text().trimmed();
    const Source from = source();
    const QString path = m_fileField->text().trimmed();
    const QString text = m_textField->toPlainText();
    if (zone.isEmpty() && from == Source::file && !path.isEmpty()) {
        QFile file(path);
        const QString head =
            file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(64 * 1024)) : QString();
        zone = ZoneImportReader::proposedZoneName(head, path);
    } else if (zone.isEmpty() && from == Source::text) {
        zone = ZoneImportReader::proposedZoneName(text, QString());
    }
    if (zone.isEmpty()) {
        showRefusal(tr("Enter the zone's name."));
        return;
    }
    m_zoneNameField->setText(zone);
    std::function<ZoneImportPreview()> read;
    switch (from) {
    case Source::file:
        if (path.isEmpty()) {
            showRefusal(tr("Choose the zone file to import."));
            return;
        }
        read = [path, zone] { return ZoneImportReader::fromFile(path, zone); };
        break;
    case Source::text:
        if (text.trimmed().isEmpty()) {
            showRefusal(tr("Paste the zone's text to import."));
            return;
        }
        read = [text, zone] { return ZoneImportReader::fromText(text, zone); };
        break;
    case Source::transfer: {
        const auto server = LookupServer::parse(m_serverField->text());
        if (!server) {
            showRefusal(tr("\"%1\" is not a server address: type an IPv4 or IPv6 address, "
                           "with :port when it is not 53.")
                            .arg(m_serverField->text().trimmed()));
            return;
        }
        ZoneTransferRequest request;
        request.address = server->address;
        request.port = server->port;
        request.zoneName = zone;
        request.tsigName = m_keyNameField->text().trimmed();
        request.tsigAlgorithm = m_algorithmBox->currentText();
        request.tsigSecret = m_secretField->text().trimmed();
        if (!request.tsigName.isEmpty() && request.tsigSecret.isEmpty()) {
            showRefusal(tr("Enter the TSIG key's secret, or leave the key name empty."));
            return;
        }
        read = [request] { return ZoneImportReader::transferNow(request); };
        break;
    }
    }
    const quint64 reading = ++m_lastReading;
    m_reading = reading;
    m_previewButton->setText(tr("Reading…"));
    updateButtons();
    QPointer<ImportZoneView> self(this);
    ManagerTasks::inBackground([self, reading, read] {
        const ZoneImportPreview preview = read();
        ManagerTasks::onMainThread<ImportZoneView>(
            self, [reading, preview](ImportZoneView& view) { view.previewRead(reading, preview); });
    });
}

void ImportZoneView::previewRead(quint64 reading, const ZoneImportPreview& preview) {
    if (reading != m_reading)
        return;
    m_reading = 0;
    m_previewButton->setText(tr("Preview"));
    m_preview = preview;
    m_recordsTable->setRowCount(0);
    m_leftOutTable->setRowCount(0);
    if (!preview.ok) {
        showRefusal(preview.error);
        for (QWidget* w :
             {static_cast<QWidget*>(m_summaryLabel), static_cast<QWidget*>(m_soaLabel),
              static_cast<QWidget*>(m_leftOutTitle), static_cast<QWidget*>(m_leftOutTable)})
            w->hide();
        updateButtons();
        Q_EMIT previewShown();
        return;
    }
    if (const auto refusal = m_importer->refusal(preview))
        showRefusal(*refusal);
    const int count = int(preview.records.size());
    m_summaryLabel->setText(
        preview.notImported.isEmpty()
            ? tr("%1: %n records to import", nullptr, count).arg(preview.zoneName)
            : tr("%1: %n records to import, %2 not imported", nullptr, count)
                  .arg(preview.zoneName, QString::number(preview.notImported.size())));
    // One arg() call, so that a "%1" in the file's path is never filled in.
    const SOARecord& soa = *preview.soa;
    const QString soaText =
        soa.ttl ? tr("From %1. SOA: %2 %3, serial %4, refresh %5, retry %6, expire %7, "
                     "minimum %8, TTL %9")
                      .arg(preview.source, soa.primaryNameServer, soa.adminEmail,
                           QString::number(soa.serial), QString::number(soa.refresh),
                           QString::number(soa.retry), QString::number(soa.expire),
                           QString::number(soa.minimum), QString::number(*soa.ttl))
                : tr("From %1. SOA: %2 %3, serial %4, refresh %5, retry %6, expire %7, "
                     "minimum %8")
                      .arg(preview.source, soa.primaryNameServer, soa.adminEmail,
                           QString::number(soa.serial), QString::number(soa.refresh),
                           QString::number(soa.retry), QString::number(soa.expire),
                           QString::number(soa.minimum));
    m_soaLabel->setText(soaText);
    const int rows = int(qMin<qsizetype>(preview.records.size(), shownRows));
    m_recordsTable->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const DNSRecord& r = preview.records.at(i);
        setRow(m_recordsTable, i,
               {r.name.isEmpty() ? QStringLiteral("@") : r.name, QString::number(r.ttl),
                r.isKept() ? r.keptType : rawValue(r.type), presentationData(r, preview.zoneName)});
    }
    fitColumns(m_recordsTable);
    const int leftOut = int(qMin<qsizetype>(preview.notImported.size(), shownRows));
    m_leftOutTable->setRowCount(leftOut);
    for (int i = 0; i < leftOut; ++i) {
        const NotImported& n = preview.notImported.at(i);
        setRow(m_leftOutTable, i,
               {n.line > 0 ? QString::number(n.line) : QString(),
                n.owner.isEmpty() && !n.type.startsWith(u'$') ? QStringLiteral("@") : n.owner,
                n.type, n.reason});
    }
    fitColumns(m_leftOutTable);
    m_summaryLabel->show();
    m_soaLabel->show();
    m_leftOutTitle->setVisible(leftOut > 0);
    m_leftOutTable->setVisible(leftOut > 0);
    updateButtons();
    Q_EMIT previewShown();
}

void ImportZoneView::startImport() {
    if (!m_preview.ok || m_pendingImport != 0 || m_reading != 0)
        return;
    if (const auto refusal = m_importer->refusal(m_preview)) {
        showRefusal(*refusal);
        return;
    }
    showRefusal({});
    m_pendingImport = m_importer->import(m_preview);
    m_importButton->setText(tr("Importing…"));
    updateButtons();
}

void ImportZoneView::importFinished(ChangeId id, bool imported, const QString& message) {
    if (id != m_pendingImport)
        return;
    m_pendingImport = 0;
    m_importButton->setText(tr("Import"));
    if (imported) {
        accept();
        return;
    }
    showRefusal(message.isEmpty() ? tr("The zone was not imported.") : message);
    updateButtons();
}

void ImportZoneView::updateButtons() {
    const bool busy = m_reading != 0 || m_pendingImport != 0;
    m_previewButton->setEnabled(!busy);
    m_importButton->setEnabled(!busy && m_preview.ok && !m_importer->refusal(m_preview));
    m_tabs->setEnabled(!busy);
    m_zoneNameField->setEnabled(!busy);
}

void ImportZoneView::showRefusal(const QString& text) {
    m_refusalLabel->showMessage(text);
}

} // namespace korvi
