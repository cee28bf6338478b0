#pragma once

#include <QDialog>
#include <QPointer>

class QLineEdit;
class QPlainTextEdit;

namespace korvi {

class ReplicationService;

// What one secondary BIND needs in its named.conf to copy Korvi's zones
// through the catalog: the key, the catalog-zones clause and the catalog's
// zone statement, for the primary's address as the secondary reaches it.
// Shown as text with a Copy button.
class SecondarySetupDialog : public QDialog {
    Q_OBJECT

public:
    SecondarySetupDialog(ReplicationService* replication, const QString& secondaryName,
                         QWidget* parent = nullptr);

    QString snippet() const;

private:
    void refreshSnippet();

    QPointer<ReplicationService> m_replication;
    QString m_secondaryName;
    QLineEdit* m_primaryAddress = nullptr;
    QPlainTextEdit* m_snippet = nullptr;
};

} // namespace korvi
