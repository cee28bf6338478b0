#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QRadioButton;
class QSpinBox;

namespace korvi {

class DNSServerManager;

// How changes reach the server: each applied at once, or collected and
// applied together; how long a change waits for the server to serve it;
// how many earlier versions of each zone file are kept. Each choice is
// stored in the preferences at once and given to the zone repository.
// Back to applying each change at once is refused while changes are
// collected; the section then says so and keeps the choice.
class ApplySettingsSection : public QWidget {
    Q_OBJECT

public:
    explicit ApplySettingsSection(DNSServerManager* manager, QWidget* parent = nullptr);

private:
    void chooseMode(bool batch);
    void showMode();

    QPointer<DNSServerManager> m_manager;
    QRadioButton* m_live = nullptr;
    QRadioButton* m_batch = nullptr;
    QLabel* m_modeMessage = nullptr;
    QSpinBox* m_servedLimit = nullptr;
    QSpinBox* m_historyPerZone = nullptr;
};

} // namespace korvi
