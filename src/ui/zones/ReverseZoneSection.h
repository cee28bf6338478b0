#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace korvi {

class DNSServerManager;

// The new-zone form's "Reverse zone for a network": while ticked, the zone
// is named from the network typed (192.0.2.0/24 → 2.0.192.in-addr.arpa),
// shown as it is typed; a network that has no zone of its own shows why,
// and then the form has no name to create.
class ReverseZoneSection : public QWidget {
    Q_OBJECT

public:
    explicit ReverseZoneSection(DNSServerManager* manager, QWidget* parent = nullptr);

    bool isReverse() const;
    QString prefix() const;
    // The zone's name for the network typed; empty while refused or unticked.
    const QString& zoneName() const { return m_zoneName; }
    // Why the network typed has no zone; empty when it has one.
    const QString& refusal() const { return m_refusal; }
    // The name server a reverse zone is given: the primary of Korvi's first
    // forward zone, else nothing.
    QString suggestedNameServer() const;

Q_SIGNALS:
    // Ticked or unticked.
    void reverseChanged(bool reverse);
    // The zone's name followed the network (empty while refused).
    void zoneNameChanged(const QString& name);

private:
    void update();

    QPointer<DNSServerManager> m_manager;
    QCheckBox* m_check = nullptr;
    QWidget* m_details = nullptr;
    QLineEdit* m_prefixField = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_messageLabel = nullptr;
    QString m_zoneName;
    QString m_refusal;
};

} // namespace korvi
