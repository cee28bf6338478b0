#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "manager/DNSServerManager.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi {

class FormErrorLabel;
class ReverseZoneSection;

// The new-domain form, shown as a sheet over the zone screen: the domain
// name, the SOA's primary name server and administrator, and where the zone
// file will go. When the primary name server lies inside the zone the form
// also asks for its address, so that the zone holds its own glue and is
// served at once. "Create Domain" builds the zone with its SOA, first NS
// record and that address, hands it to the manager and waits: the sheet
// closes once the zone has been added, and shows the reason at the top when
// it was refused.
class AddZoneView : public QDialog {
    Q_OBJECT

public:
    explicit AddZoneView(DNSServerManager* manager, QWidget* parent = nullptr);

    QString zoneName() const;
    QString primaryNameServer() const;
    QString adminEmail() const;
    QString nameServerAddress() const;
    // Whether the form asks for the name server's address now.
    bool needsNameServerAddress() const;
    // The zone addition the form waits for (0: none).
    ChangeId pendingChange() const { return m_pendingChange; }
    // The reason the last addition was refused, as shown at the top.
    QString refusalText() const;

    // The address the form proposes for a name server inside the zone: the
    // machine's first IPv4 address that is not a loopback one, else
    // 127.0.0.1.
    static QString machineAddress();

    // The form's own domain check: the domain-name test, and for a name that
    // fails it a looser fallback. Writes its reasoning to standard output.
    static bool isValidDomainForForm(const QString& name);

    // "Reverse zone for a network": the zone named from a network.
    ReverseZoneSection* reverseSection() const { return m_reverseSection; }

    // The error alert while it is shown.
    QMessageBox* errorAlert() const { return m_errorAlert; }
    const QString& errorMessage() const { return m_errorMessage; }

public Q_SLOTS:
    void createDomain();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void zoneNameChanged(const QString& name);
    void reverseZoneNamed(const QString& name);
    void updateAddressField();
    void changeFinished(ChangeId id, bool applied, const QString& message);
    // The primary name server the zone will get: the typed one, or ns1 of
    // the zone.
    QString effectivePrimary() const;
    void updateCreateButton();
    void showError(const QString& message);
    QString zoneFilePath(const QString& name) const;

    QPointer<DNSServerManager> m_manager;
    QLineEdit* m_zoneNameField = nullptr;
    ReverseZoneSection* m_reverseSection = nullptr;
    QLineEdit* m_primaryField = nullptr;
    QLineEdit* m_adminField = nullptr;
    QWidget* m_addressBox = nullptr;
    QLineEdit* m_addressField = nullptr;
    FormErrorLabel* m_refusalLabel = nullptr;
    QLabel* m_fileLocation = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_createButton = nullptr;
    QString m_errorMessage;
    QPointer<QMessageBox> m_errorAlert;
    bool m_creating = false;
    ChangeId m_pendingChange = 0;
};

} // namespace korvi
