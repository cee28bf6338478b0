#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace korvi {

class DNSServerManager;

// The application log as a list model: one row per line of the manager's
// logs, oldest first. A change of the log is passed on as the rows removed
// from the front and the rows added at the end, so that a view keeps its
// selection and scroll position.
class LogListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit LogListModel(DNSServerManager* manager, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void logsChanged();

    DNSServerManager* m_manager;
    // The lines as the views last saw them.
    QStringList m_lines;
};

} // namespace korvi
