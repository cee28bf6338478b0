#pragma once

#include <QDialog>
#include <QPointer>

#include "manager/DNSServerManager.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi {

class FormErrorLabel;
class IntegerField;

// The zone's start-of-authority settings after it was created: primary name
// server, administrator's address, refresh, retry, expire, minimum and the
// SOA's own TTL. "Save SOA" hands them to the manager (updateSOA, which
// advances the serial) and waits: the sheet closes once the change has been
// applied and shows the reason at the top when it was refused.
class ZoneSOAView : public QDialog {
    Q_OBJECT

public:
    ZoneSOAView(DNSServerManager* manager, const ZonePtr& zone, QWidget* parent = nullptr);

    const ZonePtr& zone() const { return m_zone; }
    // The SOA "Save SOA" would hand over now: names completed in the zone
    // ("ns1" is "ns1.<zone>.", "hostmaster@example.com" is
    // "hostmaster.example.com."), the serial as it is (the manager advances
    // it), no TTL when the field is empty.
    SOARecord soaToSave() const;
    ChangeId pendingChange() const { return m_pendingChange; }
    QString errorText() const;

    // An administrator's address in the SOA's form: "user@host" becomes
    // "user.host", then the name is completed in the zone.
    static QString mailboxName(const QString& typed, const QString& zoneName);

public Q_SLOTS:
    void save();

private:
    void changeFinished(ChangeId id, bool applied, const QString& message);
    void setBusy(bool busy);
    void showError(const QString& message);

    QPointer<DNSServerManager> m_manager;
    ZonePtr m_zone;
    SOARecord m_soa;
    QLineEdit* m_primaryField = nullptr;
    QLineEdit* m_adminField = nullptr;
    IntegerField* m_refreshField = nullptr;
    IntegerField* m_retryField = nullptr;
    IntegerField* m_expireField = nullptr;
    IntegerField* m_minimumField = nullptr;
    IntegerField* m_ttlField = nullptr;
    QLabel* m_serialLabel = nullptr;
    FormErrorLabel* m_errorLabel = nullptr;
    QPushButton* m_saveButton = nullptr;
    ChangeId m_pendingChange = 0;
};

} // namespace korvi
