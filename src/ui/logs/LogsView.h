#pragma once

#include <QWidget>

class QListView;
class QPushButton;
class QStackedWidget;

namespace korvi {

class DNSServerManager;
class LogListModel;

// Section 4: the application log, one selectable line per entry in a fixed
// width face, with "Clear Logs". The list never scrolls by itself. While the
// screen is shown, lines the server adds to its log file join the list.
class LogsView : public QWidget {
    Q_OBJECT

public:
    explicit LogsView(DNSServerManager* manager, QWidget* parent = nullptr);
    ~LogsView() override;

    // The selected lines, in log order, one per line.
    QString selectedText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeEmptyPanel();
    QWidget* makeListPanel();
    void updatePanel();
    void copySelection();

    DNSServerManager* m_manager;
    LogListModel* m_model;
    QStackedWidget* m_stack;
    QWidget* m_emptyPanel = nullptr;
    QWidget* m_listPanel = nullptr;
    QListView* m_list = nullptr;
};

} // namespace korvi
