#pragma once

#include <QPointer>
#include <QPushButton>

#include "ui/apply/ApplyChangesDialog.h"

namespace korvi {

class DNSServerManager;

// "Apply (n changes)": shown while changes are collected (batch mode) and
// not applied yet. It opens the dialog that shows them as file differences
// and applies or discards them.
class ApplyChangesButton : public QPushButton {
    Q_OBJECT

public:
    explicit ApplyChangesButton(DNSServerManager* manager, QWidget* parent = nullptr);

    // "Apply (1 change)", "Apply (3 changes)".
    static QString textFor(int count);

    // The dialog it opened, while open (tests).
    ApplyChangesDialog* dialog() const { return m_dialog; }

private:
    void update(int count);
    void openDialog();

    QPointer<DNSServerManager> m_manager;
    QPointer<ApplyChangesDialog> m_dialog;
};

} // namespace korvi
