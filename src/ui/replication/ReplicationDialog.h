#pragma once

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace korvi {

class ReplicationService;

// Korvi's secondaries: the TSIG keys (names listed, a secret shown only when
// asked for), the secondary servers that copy Korvi's zones, and for each of
// them the configuration it needs (SecondarySetupDialog). Every change goes
// through the replication service, which checks and applies it; its answer
// shows under the lists.
class ReplicationDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReplicationDialog(ReplicationService* replication, QWidget* parent = nullptr);

private:
    QWidget* buildKeys();
    QWidget* buildSecondaries();
    void refreshKeys();
    void refreshSecondaries();
    void showResult(bool ok, const QString& message);
    QString selectedKey() const;
    QString selectedSecondary() const;

    QPointer<ReplicationService> m_replication;
    QListWidget* m_keyList = nullptr;
    QLineEdit* m_keyName = nullptr;
    QLabel* m_secret = nullptr;
    QListWidget* m_secondaryList = nullptr;
    QLineEdit* m_secondaryName = nullptr;
    QLineEdit* m_secondaryAddress = nullptr;
    QSpinBox* m_secondaryPort = nullptr;
    QComboBox* m_secondaryKey = nullptr;
    QLabel* m_message = nullptr;
};

} // namespace korvi
