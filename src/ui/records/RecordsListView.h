#pragma once

#include <QWidget>

#include "manager/DNSServerManager.h"

class QLabel;
class QListView;
class QStackedWidget;

namespace korvi {

class RecordListModel;
class RecordRowDelegate;

// The filtered records of one zone: a list of painted rows, or the empty
// state when nothing matches. A click on a row asks to edit that record,
// while the server runs.
class RecordsListView : public QWidget {
    Q_OBJECT

public:
    explicit RecordsListView(QWidget* parent = nullptr);

    void setZone(const ZonePtr& zone);
    void setSearchText(const QString& text);
    void setBindRunning(bool running);
    bool isBindRunning() const { return m_bindRunning; }

    RecordListModel* model() const { return m_model; }
    QListView* listView() const { return m_list; }
    RecordRowDelegate* rowDelegate() const { return m_rowDelegate; }

Q_SIGNALS:
    void editRecordRequested(const korvi::DNSRecord& record);

private:
    void refreshEmptyState();
    void openRow(const QModelIndex& index);

    RecordListModel* m_model = nullptr;
    RecordRowDelegate* m_rowDelegate = nullptr;
    QStackedWidget* m_stack = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_emptyHint = nullptr;
    bool m_bindRunning = false;
};

} // namespace korvi
