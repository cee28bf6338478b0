#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

#include "manager/HistoryRestore.h"
#include "storage/ChangeSnapshot.h"

class QComboBox;
class QLabel;
class QListWidget;
class QMessageBox;
class QPushButton;
class QTextEdit;

namespace korvi {

class ChangeHistory;
class DNSServerManager;

// The History section: the applied changes, newest first (time, zone,
// summary), narrowed to one zone when chosen; the selected change's
// comparison of the files it replaced (removed lines red, added green); and
// "Restore", which asks first and then puts the zone back as it was before
// that change, showing how it ended.
class HistoryView : public QWidget {
    Q_OBJECT

public:
    explicit HistoryView(DNSServerManager* manager, QWidget* parent = nullptr);

    // The open confirmation, if any (tests answer it).
    QMessageBox* restoreConfirmation() const { return m_confirmation; }
    // The comparison's lines as HTML with their colours, for one unified
    // diff's text.
    static QString diffHtml(const QString& unified);

private:
    void rebuildFilter();
    void rebuildList();
    void selectionChanged();
    void showTexts(const ChangeSnapshot& snapshot);
    void askToRestore();
    void restoreFinished(HistoryRestore::RestoreId id, bool applied, const QString& message);
    void updateRestoreButton();
    void showOutcome(const QString& text, bool failure);

    DNSServerManager* m_manager;
    QPointer<ChangeHistory> m_history;
    QPointer<HistoryRestore> m_restore;
    QComboBox* m_filter = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_empty = nullptr;
    QLabel* m_selectedTitle = nullptr;
    QTextEdit* m_diff = nullptr;
    QLabel* m_outcome = nullptr;
    QPushButton* m_restoreButton = nullptr;
    std::optional<ChangeSnapshot> m_selected;
    HistoryRestore::RestoreId m_running = 0;
    QPointer<QMessageBox> m_confirmation;
};

} // namespace korvi
