#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QSpinBox;

namespace korvi {

class DNSServerManager;

// The small form that adds a secondary zone: the zone's name, its primary's
// address and port, and the name of the TSIG key that signs its transfers
// (optional). A refusal is shown in the form and adds nothing.
class AddSecondaryZoneDialog : public QDialog {
    Q_OBJECT

public:
    explicit AddSecondaryZoneDialog(DNSServerManager* manager, QWidget* parent = nullptr);

private:
    void add();

    QPointer<DNSServerManager> m_manager;
    QLineEdit* m_name;
    QLineEdit* m_address;
    QSpinBox* m_port;
    QLineEdit* m_key;
    QLabel* m_error;
};

} // namespace korvi
