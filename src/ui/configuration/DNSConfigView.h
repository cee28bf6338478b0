#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include "manager/DNSServerManager.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace korvi {

class EditableListSection;
class ForwarderPresetButton;
class IntegerField;

// The server configuration screen. Every control edits the manager's one
// configuration in place, so a change is in the model at once; it reaches
// named.conf through "Save Configuration". The screen works while the
// server is stopped; only "Reload Server" needs it running.
class DNSConfigView : public QWidget {
    Q_OBJECT

public:
    explicit DNSConfigView(DNSServerManager* manager, QWidget* parent = nullptr);

    // Logging levels in picker order: label and stored value.
    static QList<std::pair<QString, QString>> loggingLevels();

private:
    QWidget* buildStatusRow();
    QWidget* buildBasicSettings();
    QWidget* buildPresets();
    QWidget* buildInformationBox();
    QWidget* buildButtons();
    void refreshConfiguration();
    void refreshStatus();

    QPointer<DNSServerManager> m_manager;
    QLabel* m_statusIcon = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_statusHint = nullptr;
    IntegerField* m_portField = nullptr;
    QCheckBox* m_recursion = nullptr;
    QCheckBox* m_dnssec = nullptr;
    QComboBox* m_loggingLevel = nullptr;
    QList<EditableListSection*> m_lists;
    QList<QWidget*> m_presetButtons;
    QLabel* m_infoLabel = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_reloadButton = nullptr;
    QPushButton* m_reloadFromFileButton = nullptr;
};

} // namespace korvi
