#pragma once

#include <QDialog>
#include <QPointer>

#include "manager/DNSServerManager.h"
#include "manager/ZoneSigningService.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace korvi {

class FormErrorLabel;

// One zone's DNSSEC: the "Sign this zone" switch with its policy (BIND's
// default or Korvi's own with an algorithm and a key lifetime), applied
// through the signing service; the key states BIND reports; the DS records
// for the parent with a Copy button; and whether the zone answers with
// signatures. Key states, DS records and the check are asked for when the
// dialog opens and again with their buttons.
class ZoneDnssecDialog : public QDialog {
    Q_OBJECT

public:
    ZoneDnssecDialog(DNSServerManager* manager, const QString& zone, QWidget* parent = nullptr);

    const QString& zone() const { return m_zone; }
    // The choice "Apply" hands over now.
    ZoneSigning choice() const;
    bool isApplying() const { return m_applying; }

    // The verification line for a check's outcome.
    static QString checkText(const SigningCheck& check);

public Q_SLOTS:
    void apply();
    void refresh();
    void copyDsRecords();

private:
    void showSigning();
    void updateChoiceFields();
    void signingApplied(const QString& zone, bool ok, const QString& message);
    void keyStatusRead(const QString& zone, bool ok, const QString& text);
    void dsRecordsRead(const QString& zone, const QStringList& records, const QString& problem);
    void signedAnswerChecked(const QString& zone, const SigningCheck& check);

    QPointer<DNSServerManager> m_manager;
    QPointer<ZoneSigningService> m_signing;
    QString m_zone;
    bool m_applying = false;
    QLabel* m_stateLabel = nullptr;
    FormErrorLabel* m_errorLabel = nullptr;
    QCheckBox* m_signSwitch = nullptr;
    QComboBox* m_policyChoice = nullptr;
    QComboBox* m_algorithmChoice = nullptr;
    QSpinBox* m_lifetimeField = nullptr;
    QPushButton* m_applyButton = nullptr;
    QPlainTextEdit* m_keyStatus = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_confirmDsButton = nullptr;
    QPlainTextEdit* m_dsRecords = nullptr;
    QLabel* m_dsProblem = nullptr;
    QPushButton* m_copyButton = nullptr;
    QLabel* m_checkLabel = nullptr;
};

} // namespace korvi
