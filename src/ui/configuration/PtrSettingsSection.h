#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;

namespace korvi {

class DNSServerManager;

// The card with "PTR records for new addresses": whether an A or AAAA
// record whose address lies in one of Korvi's reverse zones gets its PTR
// record at once, after a question, or not at all. Stored in the
// preferences as soon as it is chosen.
class PtrSettingsSection : public QWidget {
    Q_OBJECT

public:
    explicit PtrSettingsSection(DNSServerManager* manager, QWidget* parent = nullptr);

private:
    QPointer<DNSServerManager> m_manager;
    QComboBox* m_policy = nullptr;
};

} // namespace korvi
