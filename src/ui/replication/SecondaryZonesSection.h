#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/replication/AddSecondaryZoneDialog.h"

class QListWidget;
class QPushButton;

namespace korvi {

class DNSServerManager;

// The zones this server keeps as a secondary, below the Secondaries table:
// one line each with its serial and last transfer, "Add Secondary Zone…",
// "Show Records" (the copy, read-only, in a window of its own) and "Remove".
class SecondaryZonesSection : public QWidget {
    Q_OBJECT

public:
    explicit SecondaryZonesSection(DNSServerManager* manager, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    AddSecondaryZoneDialog* addDialog() const { return m_addDialog; }
    QWidget* recordsWindow() const { return m_recordsWindow; }

public Q_SLOTS:
    void showAddDialog();
    void showRecords();

private:
    void rebuild();
    void updateButtons();

    QPointer<DNSServerManager> m_manager;
    QListWidget* m_list;
    QPushButton* m_show;
    QPushButton* m_remove;
    QPointer<AddSecondaryZoneDialog> m_addDialog;
    QPointer<QWidget> m_recordsWindow;
};

} // namespace korvi
