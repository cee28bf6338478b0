#pragma once

#include <QDialog>
#include <QPointer>

#include "manager/ChangeId.h"
#include "manager/ZoneImport.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace korvi {

class DNSServerManager;
class FormErrorLabel;

// "Import Zone": a new zone from a BIND zone file, from pasted zone text or by
// a zone transfer (optionally with a TSIG key). "Preview" reads the source in
// the background and shows the zone's name and SOA, the records Korvi will
// import and what it leaves out with the reason; "Import" then creates the
// zone through the manager's checked addition and the dialog closes once the
// zone is added. A refusal shows at the top and changes nothing.
class ImportZoneView : public QDialog {
    Q_OBJECT

public:
    enum class Source { file, text, transfer };

    explicit ImportZoneView(DNSServerManager* manager, QWidget* parent = nullptr);

    void setSource(Source source);
    Source source() const;
    // Reads the chosen source into a preview, in the background.
    void showPreview();
    void startImport();

    const ZoneImportPreview& preview() const { return m_preview; }
    bool isReading() const { return m_reading != 0; }
    ChangeId pendingImport() const { return m_pendingImport; }

Q_SIGNALS:
    // A preview (or its refusal) is on screen.
    void previewShown();

private:
    QWidget* buildFileTab();
    QWidget* buildTextTab();
    QWidget* buildTransferTab();
    void chooseFile();
    void previewRead(quint64 reading, const ZoneImportPreview& preview);
    void importFinished(ChangeId id, bool imported, const QString& message);
    void updateButtons();
    void showRefusal(const QString& text);

    QPointer<DNSServerManager> m_manager;
    ZoneImporter* m_importer = nullptr;
    ZoneImportPreview m_preview;
    quint64 m_reading = 0;
    quint64 m_lastReading = 0;
    ChangeId m_pendingImport = 0;

    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_fileField = nullptr;
    QPlainTextEdit* m_textField = nullptr;
    QLineEdit* m_serverField = nullptr;
    QLineEdit* m_keyNameField = nullptr;
    QComboBox* m_algorithmBox = nullptr;
    QLineEdit* m_secretField = nullptr;
    QLineEdit* m_zoneNameField = nullptr;
    QPushButton* m_previewButton = nullptr;
    FormErrorLabel* m_refusalLabel = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QLabel* m_soaLabel = nullptr;
    QTableWidget* m_recordsTable = nullptr;
    QLabel* m_leftOutTitle = nullptr;
    QTableWidget* m_leftOutTable = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_importButton = nullptr;
};

} // namespace korvi
