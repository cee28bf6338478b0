#include "ui/logs/LogListModel.h"

#include <algorithm>

#include "manager/DNSServerManager.h"

namespace korvi {

LogListModel::LogListModel(DNSServerManager* manager, QObject* parent)
    : QAbstractListModel(parent), m_manager(manager), m_lines(manager->logs()) {
    connect(manager, &DNSServerManager::logsChanged, this, &LogListModel::logsChanged);
}

int LogListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_lines.at(index.row());
    return {};
}

void LogListModel::logsChanged() {
    const QStringList& now = m_manager->logs();
    const qsizetype before = m_lines.size();
    // The usual changes: lines appended, and the oldest lines dropped to keep
    // the log at its size. Find how many lines left the front: the rest of
    // the old list must begin the new one (at worst all of them left, as
    // when the log is cleared).
    qsizetype removed = 0;
    for (; removed < before; ++removed) {
        const qsizetype kept = before - removed;
        if (kept <= now.size() &&
            std::equal(m_lines.cbegin() + removed, m_lines.cend(), now.cbegin()))
            break;
    }
    if (removed > 0) {
        beginRemoveRows(QModelIndex(), 0, int(removed - 1));
        m_lines.remove(0, removed);
        endRemoveRows();
    }
    if (now.size() > m_lines.size()) {
        beginInsertRows(QModelIndex(), int(m_lines.size()), int(now.size() - 1));
        m_lines = now;
        endInsertRows();
    }
}

} // namespace korvi
