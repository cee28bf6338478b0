#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "manager/DNSServerManager.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi {

// The new-domain form, shown as a sheet over the zone screen: the domain
// name, the SOA's primary name server and administrator, and where the zone
// file will go. "Create Domain" builds the zone with its SOA and first NS
// record and hands it to the manager.
class AddZoneView : public QDialog {
    Q_OBJECT

public:
    explicit AddZoneView(DNSServerManager* manager, QWidget* parent = nullptr);

    QString zoneName() const;
    QString primaryNameServer() const;
    QString adminEmail() const;

    // The form's own domain check: the domain-name test, and for a name that
    // fails it a looser fallback. Writes its reasoning to standard output.
    static bool isValidDomainForForm(const QString& name);

    // The error alert while it is shown.
    QMessageBox* errorAlert() const { return m_errorAlert; }
    const QString& errorMessage() const { return m_errorMessage; }

public Q_SLOTS:
    void createDomain();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void zoneNameChanged(const QString& name);
    void updateCreateButton();
    void showError(const QString& message);
    QString zoneFilePath(const QString& name) const;

    QPointer<DNSServerManager> m_manager;
    QLineEdit* m_zoneNameField = nullptr;
    QLineEdit* m_primaryField = nullptr;
    QLineEdit* m_adminField = nullptr;
    QLabel* m_fileLocation = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_createButton = nullptr;
    QString m_errorMessage;
    QPointer<QMessageBox> m_errorAlert;
    bool m_creating = false;
};

} // namespace korvi
